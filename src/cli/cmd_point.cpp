// skywave point: the MOF and LOF of both paths to one place, step by step, and the
// amateur bands open between them.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <optional>

#include "base/cformat.h"
#include "base/numbers.h"
#include "commands.h"
#include "console.h"
#include "model/bands.h"
#include "model/maidenhead.h"
#include "model/model.h"
#include "model/point_path.h"
#include "run/driver.h"
#include "run/settings_form.h"
#include "run_options.h"

namespace skywave::cli {

namespace {

// The bands with some part between the LOF and the MOF, as a column shows them: "40m 30m".
std::string open_bands(const PointPath& p) {
    std::string bands;
    for (const AmateurBand* b : skywave::open_bands(p.lof, p.mof)) {
        if (!bands.empty()) bands += ' ';
        for (const char* c = b->name; *c; ++c)
            if (*c != ' ') bands += *c;
    }
    return bands;
}

std::string or_none(const std::string& bands) {
    return bands.empty() ? "-" : bands;
}

// The place of --to: a locator (its square's centre) or "LAT,LON" in signed decimal
// degrees, north and east positive.
struct Target {
    LatLon place;
    std::string label;
};

std::optional<Target> read_target(const std::string& text) {
    if (text.find(',') != std::string::npos) {
        const std::size_t comma = text.find(',');
        const std::optional<double> lat = parse_decimal_degrees(text.substr(0, comma));
        const std::optional<double> lon = parse_decimal_degrees(text.substr(comma + 1));
        if (!lat || !lon || *lat < -90 || *lat > 90 || *lon < -180 || *lon > 360)
            return std::nullopt;
        return Target{{*lat, *lon > 180 ? *lon - 360 : *lon}, text};
    }
    if (const std::optional<LatLon> centre = locator_centre(text)) return Target{*centre, text};
    return std::nullopt;
}

// "35.5°N 139.0°E".
std::string latlon_text(const LatLon& p) {
    return cformat("%.1f\u00b0%c %.1f\u00b0%c", std::fabs(p.lat), p.lat < 0 ? 'S' : 'N',
                   std::fabs(p.lon), p.lon < 0 ? 'W' : 'E');
}

class PointHooks : public ConsoleHooks {
public:
    PointHooks(Progress& progress, const Target& target, bool csv)
        : ConsoleHooks(progress), target_(target), csv_(csv) {}

    void step_done(Model& m) override {
        ConsoleHooks::step_done(m);
        // The engine's coordinates: radians, longitudes west positive.
        double west = -target_.place.lon;
        if (west < 0) west += 360;
        const PointPaths p =
            point_paths(m, float(target_.place.lat * D(kRadPerDeg)), float(west * D(kRadPerDeg)));
        const Constants& k = m.consts;
        const int minutes = int(k.calc_time * 60 + 0.5f);
        const std::string date = cformat("%02.0f/%02.0f", D(k.month), D(k.day));
        const std::string utc = cformat("%02d:%02d", minutes / 60, minutes % 60);
        if (!header_done_) header(p);
        if (csv_) {
            std::printf("%s,%s", date.c_str(), utc.c_str());
            for (const PointPath* path : {&p.short_path, &p.long_path})
                std::printf(",%.1f,%.1f,%.0f,%.1f,%d,%s", D(path->mof), D(path->lof),
                            path->distance_km, path->bearing_deg, path->hops,
                            open_bands(*path).c_str());
            std::printf("\n");
        } else {
            std::printf("%s  %s  %6.1f %6.1f %4d   %6.1f %6.1f %4d   %s | %s\n", date.c_str(),
                        utc.c_str(), D(p.short_path.mof), D(p.short_path.lof), p.short_path.hops,
                        D(p.long_path.mof), D(p.long_path.lof), p.long_path.hops,
                        or_none(open_bands(p.short_path)).c_str(),
                        or_none(open_bands(p.long_path)).c_str());
        }
        std::fflush(stdout);
    }

private:
    void header(const PointPaths& p) {
        header_done_ = true;
        if (csv_) {
            std::printf(
                "date,utc,short_mof_mhz,short_lof_mhz,short_km,short_bearing_deg,short_hops,"
                "short_bands,long_mof_mhz,long_lof_mhz,long_km,long_bearing_deg,long_hops,"
                "long_bands\n");
            return;
        }
        std::printf(
            "to %s (%s): short path %.0f km, bearing %.0f\u00b0; long path %.0f km, "
            "bearing %.0f\u00b0\n",
            target_.label.c_str(), latlon_text(target_.place).c_str(), p.short_path.distance_km,
            p.short_path.bearing_deg, p.long_path.distance_km, p.long_path.bearing_deg);
        std::printf("              ---- short path ---   ---- long path ----\n");
        std::printf(
            "date   UTC       MOF    LOF hops      MOF    LOF hops   open bands: "
            "short | long\n");
    }

    Target target_;
    bool csv_;
    bool header_done_ = false;
};

struct PointCommand {
    std::string to;
    RunFlags flags;
    bool csv = false;

    int execute() {
        ConsoleMessages messages;
        const std::optional<Target> target = read_target(to);
        if (!target) {
            messages.show_message(
                "--to " + to + ": give a locator (FN42, FN42hn) or LAT,LON in decimal degrees",
                "TARGET ERROR!");
            return kError;
        }
        Model m;
        if (!load_constants(m, flags.consts, messages)) return kError;
        if (!apply_run_flags(m, flags, std::nullopt, messages)) return kError;
        Progress progress;
        progress.set_total(count_steps(m).value_or(0));
        PointHooks hooks(progress, *target, csv);
        if (!InitCalc(m, messages)) return kError;
        const RunOutcome outcome = MainCalcs(m, std::nullopt, hooks, messages);
        EndCalc(m);
        progress.finish();
        return outcome == RunOutcome::completed ? kOk
               : outcome == RunOutcome::aborted ? kInterrupted
                                                : kError;
    }
};

}  // namespace

void add_point_command(CLI::App& app, Action& action) {
    static PointCommand c;
    CLI::App* p = app.add_subcommand(
        "point", "MOF and LOF of the short and long path to one place, step by step (in MHz)");
    p->add_option("--to", c.to,
                  "the place: a locator (PM95, FN42hn) or LAT,LON in signed decimal "
                  "degrees (north and east positive)")
        ->required()
        ->type_name("LOCATOR|LAT,LON");
    p->add_flag("--csv", c.csv, "comma-separated values instead of a table");
    add_run_flags(*p, c.flags);
    p->final_callback([&action] { action = [] { return c.execute(); }; });
}

}  // namespace skywave::cli
