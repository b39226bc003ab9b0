#include "run/settings_form.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "base/cformat.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "files/constants_file.h"
#include "model/maidenhead.h"
#include "model/run_settings.h"

namespace skywave {

namespace {

constexpr const char* kDefaultFileName = "default.mof";

// An integer field: optional blanks around a whole number, signed or (for the angle
// and clock fields) unsigned, where a sign makes the field unreadable.
enum class Sign { allowed, refused };

std::optional<long> read_int(const std::string& text, Sign sign) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    const std::string_view t = std::string_view(text).substr(b, e - b);
    if (t.empty()) return std::nullopt;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        const bool signed_start = i == 0 && (c == '+' || c == '-') && sign == Sign::allowed;
        if (!(std::isdigit(static_cast<unsigned char>(c)) || signed_start)) return std::nullopt;
    }
    return parse_long(t);
}

// Reads an integer field into v if it lies in lo ... hi.
bool read_in(const std::string& text, long lo, long hi, long& v, Sign sign = Sign::allowed) {
    std::optional<long> n = read_int(text, sign);
    if (!n || *n < lo || *n > hi) return false;
    v = *n;
    return true;
}

char hemisphere(const std::string& text) {
    return text.empty() ? '\0' : char(std::toupper(static_cast<unsigned char>(text[0])));
}

// Degrees, minutes and seconds of a non-negative angle, each truncated.
void to_dms(float value, std::string& deg, std::string& min, std::string& sec) {
    const int d = trunc_to_int(value).value_or(0);
    const int m = trunc_to_int((D(value) - d) * 60).value_or(0);
    const int s = trunc_to_int(((D(value) - d) - m * (1.0 / 60)) * 3600).value_or(0);
    deg = std::to_string(d);
    min = std::to_string(m);
    sec = std::to_string(s);
}

void to_hm(float value, std::string& hour, std::string& min) {
    const int h = trunc_to_int(value).value_or(0);
    hour = std::to_string(h);
    min = std::to_string(trunc_to_int((D(value) - h) * 60).value_or(0));
}

bool read_location(const SettingsFields& f, SettingsRecord& data) {
    long d, m, s;
    constexpr Sign u = Sign::refused;
    if (!read_in(f.lat_deg, 0, 90, d, u) || !read_in(f.lat_min, 0, 60, m, u) ||
        !read_in(f.lat_sec, 0, 60, s, u))
        return false;
    const char ns = hemisphere(f.lat_hemi);
    if (ns != 'N' && ns != 'S') return false;
    float lat = float(d + m * (1.0 / 60) + s * (1.0 / 3600));
    if (lat < 0 || lat > 90) return false;
    if (ns == 'S' && lat != 0) lat = -lat;  // a zero latitude stays +0
    data.Lat = lat;

    if (!read_in(f.lon_deg, 0, 360, d, u) || !read_in(f.lon_min, 0, 60, m, u) ||
        !read_in(f.lon_sec, 0, 60, s, u))
        return false;
    const char ew = hemisphere(f.lon_hemi);
    if (ew != 'E' && ew != 'W') return false;
    float lon = float(d + m * (1.0 / 60) + s * (1.0 / 3600));
    if (ew == 'E') lon = float(360 - D(lon));
    if (lon < 0 || lon > 360) return false;
    data.Lon = lon;
    return true;
}

bool read_dates(const SettingsFields& f, SettingsRecord& data, MessageSink& messages) {
    long sd, sm, ed, em, pd, pm;
    if (!read_in(f.start_day, 1, 31, sd) || !read_in(f.start_month, 1, 12, sm) ||
        !read_in(f.stop_day, 1, 31, ed) || !read_in(f.stop_month, 1, 12, em) ||
        !read_in(f.step_day, 0, 31, pd) || !read_in(f.step_month, 0, 12, pm))
        return false;
    if (sd == ed && sm == em) {
        pd = pm = 1;  // a single date
    } else if ((pd == 0 || pm == 0) && sd <= ed && sm <= em) {
        // Without both steps the days would wrap in the same month for ever.
        messages.show_message("Need date step.", "DATE ERROR!");
        return false;
    }
    data.StartDay = int(sd);
    data.StartMonth = int(sm);
    data.StopDay = int(ed);
    data.StopMonth = int(em);
    data.StepDay = int(pd);
    data.StepMonth = int(pm);
    return true;
}

bool read_time(const std::string& hour, const std::string& min, float& value) {
    long h, m;
    if (!read_in(hour, 0, 24, h, Sign::refused) || !read_in(min, 0, 60, m, Sign::refused))
        return false;
    value = float(h + m * (1.0 / 60));
    return value >= 0 && value <= 24;
}

bool read_times(const SettingsFields& f, SettingsRecord& data) {
    float start, stop, step;
    if (!read_time(f.start_hour, f.start_min, start) || !read_time(f.stop_hour, f.stop_min, stop) ||
        !read_time(f.step_hour, f.step_min, step))
        return false;
    if (start > stop) return false;
    if (step == 0) {
        // A zero step would repeat the same time for ever; it only makes sense for
        // a single time.
        if (start != stop) return false;
        step = 1;
    }
    data.Start = start;
    data.Stop = stop;
    data.Step = step;
    return true;
}

}  // namespace

SettingsFields fill_fields(const SettingsRecord& data) {
    SettingsFields f;
    f.file_name = data.FileName;
    float lat = data.Lat;
    f.lat_hemi = "N";
    if (lat < 0) {
        lat = -lat;
        f.lat_hemi = "S";
    }
    to_dms(lat, f.lat_deg, f.lat_min, f.lat_sec);
    float lon = data.Lon;
    f.lon_hemi = "W";
    if (lon > 180) {
        f.lon_hemi = "E";
        lon = float(360 - D(lon));
    }
    to_dms(lon, f.lon_deg, f.lon_min, f.lon_sec);
    f.start_month = std::to_string(data.StartMonth);
    f.start_day = std::to_string(data.StartDay);
    f.stop_month = std::to_string(data.StopMonth);
    f.stop_day = std::to_string(data.StopDay);
    f.step_month = std::to_string(data.StepMonth);
    f.step_day = std::to_string(data.StepDay);
    to_hm(data.Start, f.start_hour, f.start_min);
    to_hm(data.Stop, f.stop_hour, f.stop_min);
    to_hm(data.Step, f.step_hour, f.step_min);
    f.flux = std::to_string(data.Flux);
    f.a_index = std::to_string(data.A);
    f.k_index = std::to_string(data.K);
    f.grain = std::to_string(data.Grain);
    return f;
}

bool accept_fields(const SettingsFields& f, SettingsRecord& data, MessageSink& messages) {
    if (!read_location(f, data)) {
        messages.show_message("QTH not readable.", "QTH ERROR!");
        return false;
    }
    if (!read_dates(f, data, messages)) {
        messages.show_message("DATE not readable.", "DATE ERROR!");
        return false;
    }
    if (!read_times(f, data)) {
        messages.show_message("TIME not readable.", "TIME ERROR!");
        return false;
    }
    long flux, a, k;
    if (!read_in(f.flux, 50, 500, flux) || !read_in(f.a_index, 0, 400, a) ||
        !read_in(f.k_index, 0, 9, k)) {
        messages.show_message("Solar Data not readable.", "SOLAR DATA ERROR!");
        return false;
    }
    data.Flux = int(flux);
    data.A = int(a);
    data.K = int(k);
    long grain;
    if (!read_in(f.grain, 1, 3, grain)) {
        messages.show_message("Grain Data not readable.", "GRAIN DATA ERROR!");
        return false;
    }
    data.Grain = int(grain);
    data.FileName = f.file_name;
    data.accepted = true;
    return true;
}

void set_today(SettingsFields& f) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    f.start_month = f.stop_month = std::to_string(local.tm_mon + 1);
    f.start_day = f.stop_day = std::to_string(local.tm_mday);
    f.step_month = f.step_day = "1";
}

void set_whole_day(SettingsFields& f) {
    f.start_hour = "0";
    f.stop_hour = "23";
    f.step_hour = "1";
    f.start_min = f.stop_min = f.step_min = "0";
}

namespace {

// Whole seconds of an angle, halves away from zero.
long round_seconds(double degrees) {
    return std::lround(std::fabs(degrees) * 3600);
}

void dms_fields(long seconds, std::string& deg, std::string& min, std::string& sec) {
    deg = std::to_string(seconds / 3600);
    min = std::to_string(seconds % 3600 / 60);
    sec = std::to_string(seconds % 60);
}

}  // namespace

void set_latitude_degrees(SettingsFields& f, double lat) {
    const long s = round_seconds(lat);
    dms_fields(s, f.lat_deg, f.lat_min, f.lat_sec);
    f.lat_hemi = lat < 0 && s != 0 ? "S" : "N";
}

void set_longitude_degrees(SettingsFields& f, double lon_east) {
    if (lon_east > 180) lon_east -= 360;
    const long s = round_seconds(lon_east);
    dms_fields(s, f.lon_deg, f.lon_min, f.lon_sec);
    // Greenwich itself is 0 west, as "0:00:00W" stores it.
    f.lon_hemi = lon_east > 0 && s != 0 ? "E" : "W";
}

bool set_location_from_locator(SettingsFields& f, std::string_view locator) {
    const std::optional<LatLon> centre = locator_centre(locator);
    if (!centre) return false;
    set_latitude_degrees(f, centre->lat);
    set_longitude_degrees(f, centre->lon);
    return true;
}

std::optional<double> parse_decimal_degrees(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    text = text.substr(b, e - b);
    std::size_t i = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i])))
            digits = true;
        else if (text[i] == '.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (!digits) return std::nullopt;
    return std::strtod(std::string(text).c_str(), nullptr);
}

std::string qth_text(const SettingsRecord& data) {
    const double east = data.Lon > 180 ? 360 - D(data.Lon) : -D(data.Lon);
    // To the nearest second, as the place was most likely typed.
    const auto dms = [](double deg, char positive, char negative) {
        const long s = round_seconds(deg);
        return cformat("%ld\u00b0%02ld\u2032%02ld\u2033%c", s / 3600, s % 3600 / 60, s % 60,
                       deg < 0 && s != 0 ? negative : positive);
    };
    return dms(D(data.Lat), 'N', 'S') + " " + dms(east, 'E', 'W') + " " +
           locator_of(LatLon{D(data.Lat), east}, 6);
}

SettingsRecord record_from_settings(RunSettings& s, std::string& file_name, MessageSink& messages,
                                    bool read_mof_dat) {
    first_use_init(s, messages, read_mof_dat);
    const Constants& k = s.consts;
    const RunDates& d = s.dates;
    const auto whole = [](float v) { return trunc_to_int(v).value_or(0); };
    SettingsRecord data;
    data.Lat = float(D(k.rlat) * kDegPerRad);
    data.Lon = float(D(k.rlon) * kDegPerRad);
    data.StartDay = whole(d.start_day);
    data.StartMonth = whole(d.start_month);
    data.StopDay = whole(d.stop_day);
    data.StopMonth = whole(d.stop_month);
    data.StepDay = 1;  // the previous steps are not shown again
    data.StepMonth = 1;
    data.Start = k.start_time;
    data.Stop = k.stop_time;
    data.Step = k.step_time;
    data.Flux = whole(k.sf_index);
    data.A = whole(k.a_index);
    data.K = whole(k.k_index);
    data.Grain = whole(k.display_grain);
    if (file_name.empty()) file_name = kDefaultFileName;
    data.FileName = file_name;
    return data;
}

void apply_record(RunSettings& s, std::string& file_name, const SettingsRecord& data) {
    if (data.accepted) {
        Constants& k = s.consts;
        RunDates& d = s.dates;
        k.rlat = float(D(data.Lat) * kRadPerDeg);
        k.rlon = float(D(data.Lon) * kRadPerDeg);
        k.day = d.start_day = float(data.StartDay);
        k.month = d.start_month = float(data.StartMonth);
        d.stop_day = float(data.StopDay);
        d.stop_month = float(data.StopMonth);
        d.step_day = float(data.StepDay);
        d.step_month = float(data.StepMonth);
        k.start_time = data.Start;
        k.stop_time = data.Stop;
        k.step_time = data.Step;
        k.sf_index = float(data.Flux);
        k.a_index = float(data.A);
        k.k_index = float(data.K);
        k.display_grain = float(data.Grain);
        file_name = data.FileName;
    }
    set_grain(s.grid, s.consts.display_grain);
}

}  // namespace skywave
