#include "observations/gfz_indices.h"

#include <cmath>

#include "base/cformat.h"
#include "base/line_reader.h"
#include "base/messages.h"

namespace skywave {

namespace {

// Half up: the indices are never negative.
int round_index(double v) {
    return int(std::floor(v + 0.5));
}

}  // namespace

std::optional<double> DailyIndices::daily_k() const {
    double sum = 0;
    int n = 0;
    for (float k : kp)
        if (k >= 0) {
            sum += k;
            ++n;
        }
    if (n == 0) return std::nullopt;
    return sum / n;
}

std::optional<GfzIndices> GfzIndices::read(const std::string& file, MessageSink& messages) {
    LineReader in(file);
    if (!in.is_open()) {
        messages.show_message(file + ": can't open the indices file", "INDICES ERROR!");
        return std::nullopt;
    }
    if (in.failed()) {
        messages.show_message(in.error_text(), "INDICES ERROR!");
        return std::nullopt;
    }
    GfzIndices table;
    std::string line;
    long line_no = 0;
    while (in.next(line)) {
        ++line_no;
        const std::string_view text = trim(line);
        if (text.empty() || text[0] == '#') continue;
        const std::vector<std::string_view> f = split_blanks(text);
        std::vector<float> v;
        for (std::string_view s : f)
            if (std::optional<float> x = parse_float(s); x && std::isfinite(*x)) v.push_back(*x);
        const CivilDate date{v.size() == 28 ? int(v[0]) : 0, v.size() == 28 ? int(v[1]) : 0,
                             v.size() == 28 ? int(v[2]) : 0};
        if (f.size() != 28 || v.size() != 28 || !is_valid(date) || v[0] != date.year ||
            v[1] != date.month || v[2] != date.day) {
            messages.show_message(
                cformat("%s:%ld: not a line of daily indices (year, month, day and 25 numbers)",
                        file.c_str(), line_no),
                "INDICES ERROR!");
            return std::nullopt;
        }
        DailyIndices d;
        for (int i = 0; i < 8; ++i)
            d.kp[i] = v[std::size_t(7 + i)];
        d.ap = v[23];
        d.flux = v[25];
        table.add(date, d);
    }
    return table;
}

const DailyIndices* GfzIndices::find(const CivilDate& date) const {
    const auto it = days_.find(date);
    return it == days_.end() ? nullptr : &it->second;
}

std::vector<int> GfzIndices::years_with(int month, int day) const {
    std::vector<int> years;
    for (const auto& [date, values] : days_)
        if (date.month == month && date.day == day) years.push_back(date.year);
    return years;
}

RunIndices mean_indices(const GfzIndices& table, const std::vector<CivilDate>& dates) {
    double flux = 0, a = 0, k = 0;
    RunIndices r;
    for (const CivilDate& date : dates) {
        const DailyIndices* d = table.find(date);
        if (!d) continue;
        if (d->flux >= 0) {
            flux += d->flux;
            ++r.flux_days;
        }
        if (d->ap >= 0) {
            a += d->ap;
            ++r.a_days;
        }
        if (const std::optional<double> dk = d->daily_k()) {
            k += *dk;
            ++r.k_days;
        }
    }
    if (r.flux_days) r.flux = round_index(flux / r.flux_days);
    if (r.a_days) r.a_index = round_index(a / r.a_days);
    if (r.k_days) r.k_index = round_index(k / r.k_days);
    return r;
}

std::optional<std::string> missing_index(const RunIndices& r) {
    if (!r.flux) return "flux (F10.7obs)";
    if (!r.a_index) return "A index (Ap)";
    if (!r.k_index) return "K index (Kp)";
    return std::nullopt;
}

}  // namespace skywave
