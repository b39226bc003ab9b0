#include "observations/wspr.h"

#include <cctype>
#include <cmath>
#include <map>

#include "base/cformat.h"
#include "base/line_reader.h"
#include "base/messages.h"

namespace skywave {

namespace {

bool digits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

int two(std::string_view s, std::size_t at) {
    return (s[at] - '0') * 10 + (s[at + 1] - '0');
}

// Floor division, for minutes before 1970.
long floor_div(long a, long b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

UtcHour from_minutes(long minutes) {
    const long days = floor_div(minutes, 1440);
    return {civil_from_days(days), int((minutes - days * 1440) / 60)};
}

// The columns of a table, -1 where it has none.
struct Columns {
    int time = -1, freq = -1, band = -1;
    int call[2] = {-1, -1};  // transmitter, receiver
    int loc[2] = {-1, -1}, lat[2] = {-1, -1}, lon[2] = {-1, -1};
};

int find_column(const std::vector<std::string>& names, std::initializer_list<const char*> wanted) {
    for (const char* w : wanted)
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == w) return int(i);
    return -1;
}

Columns find_columns(const std::vector<std::string>& header) {
    std::vector<std::string> names;
    for (const std::string& h : header) {
        std::string n(trim(h));
        for (char& c : n)
            c = c == ' ' ? '_' : char(std::tolower(static_cast<unsigned char>(c)));
        names.push_back(n);
    }
    Columns c;
    c.time = find_column(names, {"time", "timestamp", "datetime", "date_time", "time_utc"});
    c.freq = find_column(names, {"frequency", "freq", "mhz", "frequency_mhz"});
    c.band = find_column(names, {"band"});
    c.call[0] = find_column(names, {"tx_sign", "tx_call", "tx_callsign", "call", "callsign"});
    c.call[1] = find_column(names, {"rx_sign", "rx_call", "rx_callsign", "reporter"});
    c.loc[0] = find_column(names, {"tx_loc", "tx_grid", "tx_locator", "grid"});
    c.loc[1] =
        find_column(names, {"rx_loc", "rx_grid", "rx_locator", "reporter_grid", "reporter's_grid"});
    c.lat[0] = find_column(names, {"tx_lat"});
    c.lon[0] = find_column(names, {"tx_lon"});
    c.lat[1] = find_column(names, {"rx_lat"});
    c.lon[1] = find_column(names, {"rx_lon"});
    return c;
}

// What is missing from a table, or empty.
std::string missing_columns(const Columns& c) {
    const char* end[2] = {"transmitter", "receiver"};
    if (c.time < 0) return "no column of the time (time, timestamp)";
    if (c.freq < 0 && c.band < 0) return "no column of the frequency or band (frequency, band)";
    for (int e = 0; e < 2; ++e) {
        if (c.call[e] < 0)
            return cformat("no column of the %s's call (%s)", end[e],
                           e == 0 ? "tx_sign" : "rx_sign");
        if (c.loc[e] < 0 && (c.lat[e] < 0 || c.lon[e] < 0))
            return cformat(
                "no column of the %s's position (%s)", end[e],
                e == 0 ? "tx_loc, or tx_lat and tx_lon" : "rx_loc, or rx_lat and rx_lon");
    }
    return {};
}

// One row, read.
struct Spot {
    long line = 0;
    UtcHour time;
    float mhz = 0;
    std::string call[2], base[2], locator[2];
    LatLon place[2];
};

const std::string& field(const std::vector<std::string>& f, int i) {
    static const std::string none;
    return i >= 0 && std::size_t(i) < f.size() ? f[std::size_t(i)] : none;
}

// The position of one end of a row: coordinates when both read, else the locator.
std::optional<LatLon> end_place(const std::vector<std::string>& f, const Columns& c, int e) {
    const std::optional<float> lat = parse_float(trim(field(f, c.lat[e])));
    const std::optional<float> lon = parse_float(trim(field(f, c.lon[e])));
    if (lat && lon && *lat >= -90 && *lat <= 90 && *lon >= -180 && *lon <= 180)
        return LatLon{*lat, *lon};
    return locator_centre(trim(field(f, c.loc[e])));
}

}  // namespace

std::vector<std::string> split_csv(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char ch = line[i];
        if (quoted) {
            if (ch != '"')
                fields.back() += ch;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else
                quoted = false;
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            fields.emplace_back();
        } else {
            fields.back() += ch;
        }
    }
    return fields;
}

std::optional<UtcHour> parse_spot_time(std::string_view t) {
    t = trim(t);
    if (digits(t)) {  // seconds since 1970
        if (t.size() > 12) return std::nullopt;
        const std::optional<long> s = parse_long(t);
        if (!s) return std::nullopt;
        return from_minutes(*s / 60);
    }
    if (t.size() < 16 || (t[10] != 'T' && t[10] != ' ') || t[13] != ':') return std::nullopt;
    const std::optional<CivilDate> date = parse_iso_date(t.substr(0, 10));
    if (!date || !digits(t.substr(11, 2)) || !digits(t.substr(14, 2))) return std::nullopt;
    const int h = two(t, 11), m = two(t, 14);
    if (h > 23 || m > 59) return std::nullopt;
    std::string_view rest = t.substr(16);
    if (!rest.empty() && rest[0] == ':') {  // seconds, perhaps with a fraction
        if (rest.size() < 3 || !digits(rest.substr(1, 2)) || two(rest, 1) > 60) return std::nullopt;
        rest.remove_prefix(3);
        if (!rest.empty() && rest[0] == '.') {
            rest.remove_prefix(1);
            while (!rest.empty() && std::isdigit(static_cast<unsigned char>(rest[0])))
                rest.remove_prefix(1);
        }
    }
    long offset = 0;  // minutes east of UTC
    if (rest == "Z" || rest == "z" || rest.empty()) {
        offset = 0;
    } else if (rest[0] == '+' || rest[0] == '-') {
        std::string zone(rest.substr(1));
        if (zone.size() == 5 && zone[2] == ':') zone.erase(2, 1);
        if (!digits(zone) || (zone.size() != 2 && zone.size() != 4)) return std::nullopt;
        offset = two(zone, 0) * 60 + (zone.size() == 4 ? two(zone, 2) : 0);
        if (rest[0] == '-') offset = -offset;
    } else {
        return std::nullopt;
    }
    return from_minutes(days_from_civil(*date) * 1440 + h * 60 + m - offset);
}

std::optional<float> spot_frequency_mhz(std::string_view text) {
    const std::optional<float> v = parse_float(trim(text));
    if (!v || !std::isfinite(*v) || *v <= 0) return std::nullopt;
    if (*v >= 1e5f) return float(*v / 1e6);  // Hz
    if (*v >= 1000) return float(*v / 1e3);  // kHz
    return *v;
}

std::optional<float> spot_band_mhz(std::string_view text) {
    const std::string t = to_upper(trim(text));
    if (!t.empty() && t.back() == 'M') {  // a wavelength
        static const std::map<std::string, float> kBands = {
            {"2200M", 0.137f}, {"630M", 0.475f}, {"160M", 1.8f}, {"80M", 3.5f},  {"60M", 5.3f},
            {"40M", 7.0f},     {"30M", 10.1f},   {"20M", 14.0f}, {"17M", 18.1f}, {"15M", 21.0f},
            {"12M", 24.9f},    {"10M", 28.0f},   {"6M", 50.0f},  {"4M", 70.0f},  {"2M", 144.0f}};
        const auto it = kBands.find(t);
        return it == kBands.end() ? std::nullopt : std::optional<float>(it->second);
    }
    // The archives label a band with its whole MHz (3 for 80 m, 14 for 20 m); 0 and
    // -1 are the MF and LF bands.
    const std::optional<long> v = parse_long(t);
    if (!v || *v < -1 || *v > 100000) return std::nullopt;
    if (*v == -1) return 0.137f;
    if (*v == 0) return 0.475f;
    return float(*v);
}

std::optional<StationLog> read_wspr(const std::string& file, const std::optional<std::string>& call,
                                    MessageSink& messages) {
    return read_wspr(read_file_text(file), call, messages);
}

std::optional<StationLog> read_wspr(FileText text, const std::optional<std::string>& call,
                                    MessageSink& messages) {
    const std::string file = text.name;
    LineReader in(std::move(text));
    if (!in.is_open()) {
        messages.show_message(file + ": can't open the spot table", "TABLE ERROR!");
        return std::nullopt;
    }
    if (in.failed()) {
        messages.show_message(in.error_text(), "TABLE ERROR!");
        return std::nullopt;
    }
    StationLog log;
    log.file = file;
    std::string line;
    long line_no = 0;
    Columns c;
    std::size_t width = 0;
    std::vector<Spot> spots;
    while (in.next(line)) {
        ++line_no;
        std::string_view text = line;
        if (line_no == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        if (trim(text).empty()) continue;
        const std::vector<std::string> f = split_csv(text);
        if (width == 0) {  // the header row
            c = find_columns(f);
            if (const std::string missing = missing_columns(c); !missing.empty()) {
                messages.show_message(cformat("%s:%ld: ", file.c_str(), line_no) + missing,
                                      "TABLE ERROR!");
                return std::nullopt;
            }
            width = f.size();
            continue;
        }
        const auto skip = [&](const std::string& reason) {
            log.skipped.push_back({line_no, reason});
        };
        if (f.size() < width) {
            skip(cformat("%zu fields where the header names %zu", f.size(), width));
            continue;
        }
        Spot s;
        s.line = line_no;
        const std::optional<UtcHour> time = parse_spot_time(field(f, c.time));
        if (!time) {
            skip("time \"" + field(f, c.time) + "\" is not a time");
            continue;
        }
        s.time = *time;
        const std::optional<float> mhz =
            c.freq >= 0 ? spot_frequency_mhz(field(f, c.freq)) : spot_band_mhz(field(f, c.band));
        if (!mhz) {
            skip("frequency or band \"" + field(f, c.freq >= 0 ? c.freq : c.band) +
                 "\" not readable");
            continue;
        }
        s.mhz = *mhz;
        bool ok = true;
        for (int e = 0; e < 2 && ok; ++e) {
            s.call[e] = to_upper(trim(field(f, c.call[e])));
            s.base[e] = base_call(s.call[e]);
            s.locator[e] = std::string(trim(field(f, c.loc[e])));
            const std::optional<LatLon> place = end_place(f, c, e);
            if (s.base[e].empty() || !place) {
                skip(cformat("no %s of the %s", s.base[e].empty() ? "call" : "readable position",
                             e == 0 ? "transmitter" : "receiver"));
                ok = false;
            } else {
                s.place[e] = *place;
            }
        }
        if (ok) spots.push_back(std::move(s));
    }
    if (width == 0) {
        messages.show_message(file + ": the table is empty", "TABLE ERROR!");
        return std::nullopt;
    }
    // Which end is the station: the one named, or the one every row shares.
    std::string station = call ? base_call(*call) : std::string();
    if (!call && !spots.empty()) {
        for (int e = 0; e < 2 && station.empty(); ++e) {
            bool same = true;
            for (const Spot& s : spots)
                same = same && s.base[e] == spots[0].base[e];
            if (same) station = spots[0].base[e];
        }
        if (station.empty()) {
            messages.show_message(
                file +
                    ": spots of several transmitters and receivers; name the station with "
                    "--call",
                "TABLE ERROR!");
            return std::nullopt;
        }
    }
    log.call = station;
    std::map<std::string, long> positions;  // how often each position of the station is given
    std::map<std::string, LatLon> where;
    for (const Spot& s : spots) {
        const bool tx = s.base[0] == station, rx = s.base[1] == station;
        if (tx == rx) {
            if (tx) log.skipped.push_back({s.line, "the station heard itself"});
            continue;
        }
        const int own = tx ? 0 : 1, far = 1 - own;
        const std::string key = !s.locator[own].empty()
                                    ? s.locator[own]
                                    : cformat("%.4f %.4f", s.place[own].lat, s.place[own].lon);
        if (positions[key]++ == 0) where[key] = s.place[own];
        log.contacts.push_back(
            {s.time.date, s.time.hour, s.mhz, s.call[far], s.place[far], s.line, {}});
    }
    if (log.contacts.empty()) {
        messages.show_message(file + ": no spot with " +
                                  (station.empty() ? "the station" : station) +
                                  " as the transmitter or the receiver",
                              "TABLE ERROR!");
        return std::nullopt;
    }
    auto most = positions.begin();
    for (auto it = positions.begin(); it != positions.end(); ++it)
        if (it->second > most->second) most = it;
    log.station = where[most->first];
    log.station_locator = most->first;
    if (positions.size() > 1)
        log.notes.push_back(cformat(
            "%s: the station's position varies (%zu positions); using %s, given in %ld of %zu "
            "spots",
            file.c_str(), positions.size(), most->first.c_str(), most->second,
            log.contacts.size()));
    return log;
}

}  // namespace skywave
