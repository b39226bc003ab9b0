#include "observations/cabrillo.h"

#include <cctype>

#include "base/cformat.h"
#include "base/line_reader.h"
#include "base/messages.h"

namespace skywave {

namespace {

bool all_digits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// "TAG:" at the start of a line: the tag in upper case, and the value after it.
std::optional<std::string> tag_of(std::string_view line, std::string_view& value) {
    std::size_t i = 0;
    while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '-'))
        ++i;
    if (i == 0 || i >= line.size() || line[i] != ':') return std::nullopt;
    value = trim(line.substr(i + 1));
    return to_upper(line.substr(0, i));
}

// "hhmm" into the hour.
std::optional<int> qso_hour(std::string_view t) {
    if (t.size() != 4 || !all_digits(t)) return std::nullopt;
    const int h = (t[0] - '0') * 10 + (t[1] - '0'), m = (t[2] - '0') * 10 + (t[3] - '0');
    if (h > 23 || m > 59) return std::nullopt;
    return h;
}

}  // namespace

bool looks_like_cabrillo(std::string_view head) {
    std::size_t pos = 0;
    while (pos < head.size()) {
        std::size_t end = head.find('\n', pos);
        if (end == std::string_view::npos) end = head.size();
        const std::string_view line = trim(head.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        // A byte order mark may precede the first tag.
        const std::string_view bom = "\xEF\xBB\xBF";
        const std::string_view first =
            line.substr(0, bom.size()) == bom ? line.substr(bom.size()) : line;
        return to_upper(first.substr(0, 13)) == "START-OF-LOG:";
    }
    return false;
}

std::optional<float> cabrillo_mhz(std::string_view field) {
    std::string f = to_upper(field);
    double scale = 0;  // MHz per unit of the number
    if (!f.empty() && f.back() == 'G') {
        f.pop_back();
        scale = 1000;
    }
    std::size_t dots = 0;
    for (char c : f)
        if (c == '.')
            ++dots;
        else if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    if (dots > 1) return std::nullopt;
    const std::optional<float> v = parse_float(f);
    if (!v || !(*v > 0)) return std::nullopt;
    if (scale == 0) scale = *v >= 1000 ? 0.001 : 1;  // kHz, or a band's MHz
    return float(*v * scale);
}

bool looks_like_call(std::string_view s) {
    if (s.size() < 3 || s.size() > 20) return false;
    bool letter = false, digit = false;
    for (char c : s) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isalpha(u))
            letter = true;
        else if (std::isdigit(u))
            digit = true;
        else if (c != '/')
            return false;
    }
    return letter && digit;
}

std::optional<std::size_t> their_call_index(const std::vector<std::string_view>& rest) {
    const std::size_t n = rest.size();
    if (n == 0) return std::nullopt;
    // Same-sized exchanges: s sent fields, the call, s received fields (2s + 1), or
    // with a transmitter number after them (2s + 2).
    const std::size_t sym = n % 2 == 1 ? (n - 1) / 2 : (n - 2) / 2;
    if (looks_like_call(rest[sym])) return sym;
    for (std::size_t i = 0; i < n; ++i)
        if (looks_like_call(rest[i])) return i;
    return std::nullopt;
}

std::optional<StationLog> read_cabrillo(const std::string& file, MessageSink& messages) {
    return read_cabrillo(read_file_text(file), messages);
}

std::optional<StationLog> read_cabrillo(FileText text, MessageSink& messages) {
    const std::string file = text.name;
    LineReader in(std::move(text));
    if (!in.is_open()) {
        messages.show_message(file + ": can't open the log", "LOG ERROR!");
        return std::nullopt;
    }
    if (in.failed()) {
        messages.show_message(in.error_text(), "LOG ERROR!");
        return std::nullopt;
    }
    StationLog log;
    log.file = file;
    std::string line, first_own_call;
    long line_no = 0, qso_lines = 0;
    bool started = false;
    const auto skip = [&](const std::string& reason) { log.skipped.push_back({line_no, reason}); };
    while (in.next(line)) {
        ++line_no;
        std::string_view text = line;
        if (line_no == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        if (trim(text).empty()) continue;
        std::string_view value;
        const std::optional<std::string> tag = tag_of(text, value);
        if (!started) {
            if (tag != "START-OF-LOG") {
                messages.show_message(
                    cformat("%s:%ld: not a Cabrillo log (it does not begin with START-OF-LOG:)",
                            file.c_str(), line_no),
                    "LOG ERROR!");
                return std::nullopt;
            }
            started = true;
            continue;
        }
        if (!tag) {
            if (log.unknown_lines++ == 0) log.first_unknown_line = line_no;
            continue;
        }
        if (*tag == "CONTEST") {
            log.contest = to_upper(value);
            for (char& c : log.contest)
                if (c == ' ' || c == '\t') c = '-';
        } else if (*tag == "LOCATION") {
            log.location = to_upper(value);
        } else if (*tag == "CALLSIGN") {
            const std::vector<std::string_view> words = split_blanks(value);
            if (!words.empty() && log.call.empty()) log.call = to_upper(words[0]);
        } else if (*tag == "GRID-LOCATOR" || *tag == "HQ-GRID-LOCATOR") {
            if (value.empty() || (log.station && *tag == "HQ-GRID-LOCATOR")) continue;
            const std::optional<LatLon> place = locator_centre(value);
            if (!place) {
                messages.show_message(
                    cformat("%s:%ld: %s \"%.*s\" is not a Maidenhead locator of 4, 6 or 8 "
                            "characters",
                            file.c_str(), line_no, tag->c_str(), int(value.size()), value.data()),
                    "LOG ERROR!");
                return std::nullopt;
            }
            log.station = place;
            log.station_locator = std::string(value);
        } else if (*tag == "X-QSO") {
            skip("X-QSO: a contact the log itself leaves out");
        } else if (*tag == "QSO") {
            ++qso_lines;
            const std::vector<std::string_view> f = split_blanks(value);
            if (f.size() < 6) {
                skip("QSO line with too few fields");
                continue;
            }
            if (first_own_call.empty()) first_own_call = to_upper(f[4]);
            if (to_upper(f[0]) == "LIGHT") {
                skip("band LIGHT is no radio band");
                continue;
            }
            const std::optional<float> mhz = cabrillo_mhz(f[0]);
            if (!mhz) {
                skip("frequency \"" + std::string(f[0]) + "\" not readable");
                continue;
            }
            const std::optional<CivilDate> date = parse_iso_date(f[2]);
            if (!date) {
                skip("date \"" + std::string(f[2]) + "\" is not a date (yyyy-mm-dd)");
                continue;
            }
            const std::optional<int> hour = qso_hour(f[3]);
            if (!hour) {
                skip("time \"" + std::string(f[3]) + "\" is not a time (hhmm)");
                continue;
            }
            const std::vector<std::string_view> rest(f.begin() + 5, f.end());
            const std::optional<std::size_t> at = their_call_index(rest);
            if (!at) {
                skip("no callsign of the far end");
                continue;
            }
            Contact contact{*date, *hour, *mhz, to_upper(rest[*at]), std::nullopt, line_no, {}};
            for (std::size_t i = *at + 1; i < rest.size(); ++i)
                contact.received.push_back(to_upper(rest[i]));
            // A call ends in a letter; "FN31" or "JO97BM12" can only be a locator.
            if (locator_centre(contact.call) &&
                std::isdigit(static_cast<unsigned char>(contact.call.back())))
                log.warnings.push_back(
                    cformat("%s:%ld: the worked call \"%s\" looks like a "
                            "locator; is a field of the exchange missing?",
                            file.c_str(), line_no, contact.call.c_str()));
            log.contacts.push_back(std::move(contact));
        }
    }
    if (!started) {
        messages.show_message(file + ": the log is empty", "LOG ERROR!");
        return std::nullopt;
    }
    if (qso_lines == 0) {
        messages.show_message(file + ": no QSO lines in the log", "LOG ERROR!");
        return std::nullopt;
    }
    if (log.call.empty()) log.call = first_own_call;
    return log;
}

}  // namespace skywave
