#include "files/contest.h"

#include "base/cformat.h"
#include "base/line_reader.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "model/grid.h"

namespace skywave {

std::optional<ContestHeader> parse_contest_header(const std::string& line) {
    ContestHeader h;
    const int n = cscan(line.c_str(), "%e %e %e %e %e %e %e %e", &h.month, &h.day, &h.unused,
                        &h.sf_index, &h.a_index, &h.k_index, &h.lat, &h.lon);
    if (n != 8) return std::nullopt;
    return h;
}

ContestHeaderRead read_contest_header(const std::string& file_name, MessageSink& messages) {
    return read_contest_header(read_file_text(file_name), messages);
}

ContestHeaderRead read_contest_header(const FileText& file, MessageSink& messages) {
    if (!file.opened) {
        messages.show_message("Can't open file for comparison", "Error", file.open_error_text());
        return {};
    }
    if (!file.ok()) {
        messages.show_message(file.error_text(), kReadErrorCaption);
        return {std::nullopt, true, true};
    }
    const std::string line = file.text.substr(0, file.text.find('\n'));
    ContestHeaderRead h{parse_contest_header(line), true, false};
    if (!h.header)
        messages.show_message(file.name +
                                  ": the first line does not hold month, day, hour, flux, A, K, "
                                  "latitude and longitude",
                              "HEADER ERROR!");
    return h;
}

std::optional<DateSpan> contest_date_span(const std::string& file_name, int grain) {
    return contest_date_span(read_file_text(file_name), grain);
}

std::optional<DateSpan> contest_date_span(const FileText& file, int grain) {
    const GrainInfo* info = grain_info(grain);
    LineReader in(file);
    if (!info || !in.is_open() || in.failed()) return std::nullopt;
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

}  // namespace skywave
