#include "run_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "console.h"
#include "files/constants_file.h"
#include "indices_flags.h"
#include "model/run_settings.h"
#include "run/settings_form.h"

namespace skywave::cli {

namespace {

// Splits "a<sep>b<sep>c" into at most n parts; missing parts are empty.
std::vector<std::string> split(const std::string& text, char sep, std::size_t n) {
    std::vector<std::string> parts(n);
    std::size_t i = 0, start = 0;
    for (; i + 1 < n; ++i) {
        const std::size_t at = text.find(sep, start);
        if (at == std::string::npos) break;
        parts[i] = text.substr(start, at - start);
        start = at + 1;
    }
    parts[i] = text.substr(start);
    return parts;
}

// "42:30:00N" into degrees, minutes, seconds and the hemisphere letter. Minutes and
// seconds may be left out.
void set_angle(const std::string& text, std::string& deg, std::string& min, std::string& sec,
               std::string& hemi) {
    std::string value = text;
    hemi.clear();
    if (!value.empty() && std::isalpha(static_cast<unsigned char>(value.back()))) {
        hemi = value.substr(value.size() - 1);
        value.pop_back();
    }
    const auto parts = split(value, ':', 3);
    const auto colons = std::count(value.begin(), value.end(), ':');
    deg = parts[0];
    min = colons >= 1 ? parts[1] : "0";
    sec = colons >= 2 ? parts[2] : "0";
}

void set_date(const std::string& text, std::string& month, std::string& day) {
    const auto parts = split(text, '/', 2);
    month = parts[0];
    day = parts[1];
}

void set_time(const std::string& text, std::string& hour, std::string& min) {
    const auto parts = split(text, ':', 2);
    hour = parts[0];
    min = text.find(':') == std::string::npos ? "0" : parts[1];
}

// The dates of the rectangle: days start ... stop of each month start ... stop, as the
// run walks them.
long rectangle_dates(const SettingsRecord& d) {
    long n = 0;
    int day = d.StartDay, month = d.StartMonth;
    do {
        ++n;
        day += d.StepDay;
        if (day > d.StopDay) {
            day = d.StartDay;
            month += d.StepMonth;
        }
    } while (!(day > d.StopDay || month > d.StopMonth) && n < 100000);
    return n;
}

// The dates of the calendar from the first to the last date in steps of the day step,
// in a year that is not a leap year (into the next one when the last month comes
// earlier); 0 when a date is not one.
long calendar_dates(const SettingsRecord& d) {
    using namespace std::chrono;
    if (d.StepDay <= 0) return 0;
    const year first_year{2023};
    const year last_year = d.StopMonth < d.StartMonth ? first_year + years{1} : first_year;
    const year_month_day first{first_year, month(unsigned(d.StartMonth)),
                               day(unsigned(d.StartDay))};
    const year_month_day last{last_year, month(unsigned(d.StopMonth)), day(unsigned(d.StopDay))};
    if (!first.ok() || !last.ok()) return 0;
    const long span = long((sys_days(last) - sys_days(first)).count());
    return span < 0 ? 0 : span / d.StepDay + 1;
}

// A rectangle of dates that gives fewer dates than the calendar would, as when it
// crosses a month end, is said once on standard error.
void note_date_rectangle(const SettingsRecord& d) {
    const long dates = rectangle_dates(d);
    if (calendar_dates(d) <= dates) return;
    std::fprintf(stderr, "note: dates are days %d\u2026%d of months %d\u2026%d: %ld date%s\n",
                 d.StartDay, d.StopDay, d.StartMonth, d.StopMonth, dates, dates == 1 ? "" : "s");
}

}  // namespace

void add_constants_flags(CLI::App& app, ConstantsFlags& flags) {
    app.add_option("--consts", flags.files, "constants file read over the defaults and MOF.DAT")
        ->type_name("FILE");
    app.add_flag("--no-mof-dat", flags.no_mof_dat,
                 "do not read MOF.DAT from the working directory");
}

void add_run_flags(CLI::App& app, RunFlags& flags) {
    add_constants_flags(app, flags.consts);
    CLI::Option* lat =
        app.add_option("--lat", flags.lat,
                       "QTH latitude: degrees[:minutes[:seconds]] and N or S, or signed decimal "
                       "degrees (north positive)")
            ->type_name("D:M:SN|DEG");
    CLI::Option* lon =
        app.add_option("--lon", flags.lon,
                       "QTH longitude: degrees[:minutes[:seconds]] and W or E, or signed decimal "
                       "degrees (east positive)")
            ->type_name("D:M:SW|DEG");
    app.add_option("--locator", flags.locator,
                   "QTH as a Maidenhead locator of 4, 6 or 8 characters (the square's centre)")
        ->type_name("FN42hn")
        ->excludes(lat)
        ->excludes(lon);
    app.add_option("--start-date", flags.start_date, "first date, month/day (default today)")
        ->type_name("M/D");
    app.add_option("--stop-date", flags.stop_date, "last date, month/day (default the first date)")
        ->type_name("M/D");
    app.add_option("--step-date", flags.step_date, "date step, months/days (default 1/1)")
        ->type_name("M/D");
    app.add_option("--start-time", flags.start_time, "first time, hours:minutes UTC")
        ->type_name("H:M");
    app.add_option("--stop-time", flags.stop_time, "last time, hours:minutes UTC")
        ->type_name("H:M");
    app.add_option("--step-time", flags.step_time, "time step, hours:minutes")->type_name("H:M");
    app.add_option("--flux", flags.flux, "solar flux, 50 to 500")->type_name("F");
    app.add_option("--a-index", flags.a_index, "A index, 0 to 400")->type_name("A");
    app.add_option("--k-index", flags.k_index, "K index, 0 to 9")->type_name("K");
    app.add_option("--grain", flags.grain, "grid: 1 = 37x80, 2 = 24x40, 3 = 13x20")->type_name("G");
}

std::vector<std::string> constants_inputs(const ConstantsFlags& flags) {
    std::vector<std::string> files;
    if (!flags.no_mof_dat) files.push_back(kDefaultConstantsFile);
    files.insert(files.end(), flags.files.begin(), flags.files.end());
    return files;
}

std::vector<std::string> run_inputs(const RunFlags& flags) {
    std::vector<std::string> files = constants_inputs(flags.consts);
    if (flags.indices) files.push_back(*flags.indices);
    return files;
}

bool load_constants(RunSettings& s, const ConstantsFlags& flags, ConsoleMessages& messages) {
    bool read_mof_dat = !flags.no_mof_dat;
    if (read_mof_dat && !std::filesystem::exists(kDefaultConstantsFile)) {
        std::fprintf(stderr, "note: no %s in the working directory; using the built-in constants\n",
                     kDefaultConstantsFile);
        read_mof_dat = false;
    }
    first_use_init(s, messages, read_mof_dat);
    for (const std::string& file : flags.files)
        if (!ReadConsts(s, file, messages)) return false;
    return true;
}

bool has_dates(const RunFlags& flags) {
    return flags.start_date || flags.stop_date;
}

bool apply_run_flags(RunSettings& s, const RunFlags& flags,
                     const std::optional<std::string>& output, ConsoleMessages& messages,
                     RunDefaults defaults, std::string* file_name) {
    std::string name = output.value_or("");
    SettingsRecord data = record_from_settings(s, name, messages);
    SettingsFields f = fill_fields(data);
    if (!has_dates(flags)) set_today(f);  // replaced by the observations' dates where they count
    if (defaults == RunDefaults::observations) set_whole_day(f);
    // A number alone is decimal degrees as GPS shows them; anything else the
    // degrees:minutes:seconds form with its hemisphere letter.
    if (flags.lat) {
        if (const std::optional<double> deg = parse_decimal_degrees(*flags.lat))
            set_latitude_degrees(f, *deg);
        else
            set_angle(*flags.lat, f.lat_deg, f.lat_min, f.lat_sec, f.lat_hemi);
    }
    if (flags.lon) {
        if (const std::optional<double> deg = parse_decimal_degrees(*flags.lon))
            set_longitude_degrees(f, *deg);
        else
            set_angle(*flags.lon, f.lon_deg, f.lon_min, f.lon_sec, f.lon_hemi);
    }
    if (flags.locator && !set_location_from_locator(f, *flags.locator)) {
        messages.show_message("QTH not readable.", "QTH ERROR!");
        return false;
    }
    if (flags.start_date) {
        set_date(*flags.start_date, f.start_month, f.start_day);
        if (!flags.stop_date) set_date(*flags.start_date, f.stop_month, f.stop_day);
    } else if (flags.stop_date) {
        SettingsFields today;
        set_today(today);
        f.start_month = today.start_month;
        f.start_day = today.start_day;
    }
    if (flags.stop_date) set_date(*flags.stop_date, f.stop_month, f.stop_day);
    if (flags.step_date) set_date(*flags.step_date, f.step_month, f.step_day);
    if (flags.start_time) set_time(*flags.start_time, f.start_hour, f.start_min);
    if (flags.stop_time) set_time(*flags.stop_time, f.stop_hour, f.stop_min);
    if (flags.step_time) set_time(*flags.step_time, f.step_hour, f.step_min);
    if (flags.flux) f.flux = *flags.flux;
    if (flags.a_index) f.a_index = *flags.a_index;
    if (flags.k_index) f.k_index = *flags.k_index;
    if (flags.grain) f.grain = *flags.grain;
    if (output) f.file_name = *output;
    if (!indices_into_fields(f, flags, messages)) return false;
    if (!accept_fields(f, data, messages)) return false;
    apply_record(s, name, data);
    if (file_name) *file_name = name;
    if (has_dates(flags)) note_date_rectangle(data);
    // The QTH read from the flags, once, so that a sign mistake is seen at once.
    if (flags.lat || flags.lon || flags.locator)
        std::fprintf(stderr, "QTH %s\n", qth_text(data).c_str());
    return true;
}

}  // namespace skywave::cli
