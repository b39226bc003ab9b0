#include "contest.h"

#include "cformat.h"
#include "grid.h"
#include "line_reader.h"
#include "messages.h"
#include "numbers.h"

namespace skywave {

std::optional<ContestHeader> parse_contest_header(const std::string& line) {
    ContestHeader h;
    const int n = cscan(line.c_str(), "%e %e %e %e %e %e %e %e", &h.month, &h.day, &h.unused,
                        &h.sf_index, &h.a_index, &h.k_index, &h.lat, &h.lon);
    if (n != 8) return std::nullopt;
    return h;
}

std::optional<ContestHeader> read_contest_header(const std::string& file_name,
                                                 MessageSink& messages) {
    LineReader in(file_name);
    if (!in.is_open()) {
        messages.show_message("Can't open file for comparison", "Error");
        return std::nullopt;
    }
    std::string line;
    in.next(line);
    std::optional<ContestHeader> h = parse_contest_header(line);
    if (!h)
        messages.show_message(file_name +
                                  ": the first line does not hold month, day, hour, flux, A, K, "
                                  "latitude and longitude",
                              "HEADER ERROR!");
    return h;
}

void apply_contest_header(Model& m, const ContestHeader& h) {
    Constants& k = m.consts;
    k.month = h.month;
    k.day = h.day;
    k.sf_index = h.sf_index;
    k.a_index = h.a_index;
    k.k_index = h.k_index;
    k.rlat = float(D(h.lat) * kRadPerDeg2);
    k.rlon = float(D(h.lon) * kRadPerDeg2);
}

std::optional<DateSpan> contest_date_span(const std::string& file_name, int grain) {
    const GrainInfo* info = grain_info(grain);
    LineReader in(file_name);
    if (!info || !in.is_open()) return std::nullopt;
    const long screen_lines = 1 + 5L * (info->n_rows - 2);
    std::optional<DateSpan> span;
    std::string line;
    for (long i = 0; in.next(line); ++i) {
        if (i % screen_lines != 0) continue;
        float month, day;
        if (cscan(line.c_str(), "%e %e", &month, &day) != 2) continue;
        const int mo = trunc_to_int(month).value_or(0), d = trunc_to_int(day).value_or(0);
        if (!span) span = DateSpan{mo, d, mo, d};
        span->last_month = mo;
        span->last_day = d;
    }
    return span;
}

bool set_run_dates(Model& m, const DateSpan& s, MessageSink& messages) {
    const auto valid = [](int month, int day) {
        return month >= 1 && month <= 12 && day >= 1 && day <= 31;
    };
    if (!valid(s.first_month, s.first_day) || !valid(s.last_month, s.last_day)) {
        messages.show_message("DATE not readable.", "DATE ERROR!");
        return false;
    }
    if (s.first_month != s.last_month || s.last_day < s.first_day) {
        messages.show_message(
            cformat("The observations run from %d/%d to %d/%d, across a month end; give "
                    "--start-date and --stop-date to score a part of them.",
                    s.first_month, s.first_day, s.last_month, s.last_day),
            "DATE ERROR!");
        return false;
    }
    m.dates = {
        float(s.first_day), float(s.first_month), float(s.last_day), float(s.last_month), 1, 1};
    m.consts.day = m.dates.start_day;
    m.consts.month = m.dates.start_month;
    return true;
}

}  // namespace skywave
