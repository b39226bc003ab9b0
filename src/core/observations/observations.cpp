#include "observations/observations.h"

#include <cctype>

#include "base/cformat.h"

namespace skywave {

int days_in_month(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool is_valid(const CivilDate& d) {
    return d.year >= 1 && d.year <= 9999 && d.day >= 1 && d.day <= days_in_month(d.year, d.month);
}

CivilDate next_day(const CivilDate& d) {
    if (d.day < days_in_month(d.year, d.month)) return {d.year, d.month, d.day + 1};
    if (d.month < 12) return {d.year, d.month + 1, 1};
    return {d.year + 1, 1, 1};
}

// The proleptic Gregorian day count in eras of 400 years.
long days_from_civil(const CivilDate& d) {
    const long y = d.year - (d.month <= 2);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate civil_from_days(long z) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(yoe + era * 400 + (month <= 2)), month, day};
}

std::optional<CivilDate> parse_iso_date(std::string_view t) {
    if (t.size() != 10 || t[4] != '-' || t[7] != '-') return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
    const auto num = [&](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i)
            v = v * 10 + (t[i] - '0');
        return v;
    };
    const CivilDate d{num(0, 4), num(5, 2), num(8, 2)};
    if (!is_valid(d)) return std::nullopt;
    return d;
}

std::string iso_text(const CivilDate& d) {
    return cformat("%04d-%02d-%02d", d.year, d.month, d.day);
}

std::string to_upper(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string_view trim(std::string_view t) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!t.empty() && blank(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && blank(t.back()))
        t.remove_suffix(1);
    return t;
}

std::vector<std::string_view> split_blanks(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start) fields.push_back(text.substr(start, i - start));
    }
    return fields;
}

std::string base_call(std::string_view call) {
    std::string_view best;
    std::size_t start = 0;
    while (start <= call.size()) {
        std::size_t end = call.find('/', start);
        if (end == std::string_view::npos) end = call.size();
        if (end - start > best.size()) best = call.substr(start, end - start);
        start = end + 1;
    }
    return to_upper(trim(best));
}

}  // namespace skywave
