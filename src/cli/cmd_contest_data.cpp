// skywave contest-data: a station's logs or spot tables as a contest data file.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>

#include "base/cformat.h"
#include "commands.h"
#include "console.h"
#include "indices_flags.h"
#include "model/model.h"
#include "observations/cabrillo.h"
#include "observations/contact_placement.h"
#include "observations/contest_data.h"
#include "observations/cty.h"
#include "observations/wspr.h"
#include "run_options.h"

namespace skywave::cli {

namespace {

constexpr const char* kDefaultCty = "/usr/share/hamradio-files/cty.dat";

// Degrees as the run settings read them: "42:30:00N".
std::string angle_text(double degrees, char positive, char negative) {
    const long seconds = std::lround(std::fabs(degrees) * 3600);
    return cformat("%ld:%ld:%ld%c", seconds / 3600, seconds / 60 % 60, seconds % 60,
                   degrees < 0 ? negative : positive);
}

std::optional<MonthDay> month_day(const std::optional<std::string>& text, const char* flag,
                                  MessageSink& messages) {
    if (!text) return std::nullopt;
    int month = 0, day = 0;
    char end = 0;
    if (cscan(text->c_str(), "%d/%d%c", &month, &day, &end) != 2 || month < 1 || month > 12 ||
        day < 1 || day > 31) {
        messages.show_message(std::string(flag) + " \"" + *text + "\" is not a month/day",
                              "DATE ERROR!");
        return MonthDay{};
    }
    return MonthDay{month, day};
}

void report_left_out(const char* what, const PlacementTally::Kind& kind) {
    if (kind.count == 0) return;
    std::fprintf(stderr, "left out: %ld contacts %s\n", kind.count, what);
    for (const std::string& e : kind.examples)
        std::fprintf(stderr, "  %s\n", e.c_str());
    if (kind.count > long(kind.examples.size()))
        std::fprintf(stderr, "  ... and %ld more\n", kind.count - long(kind.examples.size()));
}

void report_reading(const StationLog& log) {
    for (const std::string& n : log.notes)
        std::fprintf(stderr, "note: %s\n", n.c_str());
    for (std::size_t i = 0; i < log.warnings.size() && i < 5; ++i)
        std::fprintf(stderr, "warning: %s\n", log.warnings[i].c_str());
    if (log.warnings.size() > 5)
        std::fprintf(stderr, "warning: ... and %zu more such lines in %s\n",
                     log.warnings.size() - 5, log.file.c_str());
    if (!log.skipped.empty()) {
        std::fprintf(stderr, "%s: %zu lines skipped\n", log.file.c_str(), log.skipped.size());
        for (std::size_t i = 0; i < log.skipped.size() && i < 5; ++i)
            std::fprintf(stderr, "  %s:%ld: %s\n", log.file.c_str(), log.skipped[i].line,
                         log.skipped[i].reason.c_str());
        if (log.skipped.size() > 5)
            std::fprintf(stderr, "  ... and %zu more\n", log.skipped.size() - 5);
    }
    if (log.unknown_lines > 0)
        std::fprintf(stderr, "%s: lines of no known kind: %ld, the first at line %ld\n",
                     log.file.c_str(), log.unknown_lines, log.first_unknown_line);
}

struct ContestDataCommand {
    std::vector<std::string> inputs;
    std::string output;
    std::optional<std::string> cty, call, grain, indices, flux, a_index, k_index, lat, lon;
    std::optional<std::string> start_date, stop_date;
    ConstantsFlags consts;

    // A log or a table, told apart by their first lines; read once, so that "-" (standard
    // input) and pipes work like files.
    std::optional<StationLog> read_input(const std::string& file, MessageSink& messages) {
        FileText text = read_file_text(file);
        if (!text.opened) {
            messages.show_message(file + ": can't open the file", "INPUT ERROR!");
            return std::nullopt;
        }
        if (!text.ok()) {
            messages.show_message(text.error_text(), "INPUT ERROR!");
            return std::nullopt;
        }
        const std::string_view head = std::string_view(text.text).substr(0, 4096);
        if (looks_like_cabrillo(head)) return read_cabrillo(std::move(text), messages);
        const std::string_view first = trim(head.substr(0, head.find('\n')));
        if (first.find(',') != std::string_view::npos)
            return read_wspr(std::move(text), call, messages);
        messages.show_message(
            file +
                ":1: neither a Cabrillo log (START-OF-LOG:) nor a table of spots with a "
                "header row of comma-separated names",
            "INPUT ERROR!");
        return std::nullopt;
    }

    int execute() {
        ConsoleMessages messages;
        std::vector<StationLog> logs;
        const int code = make(logs, messages);
        // The lines that could not be used, at the end, whether or not a file was written.
        for (const StationLog& log : logs)
            report_reading(log);
        return code;
    }

    int make(std::vector<StationLog>& logs, ConsoleMessages& messages) {
        std::vector<std::string> read = constants_inputs(consts);
        read.insert(read.end(), inputs.begin(), inputs.end());
        read.push_back(cty.value_or(kDefaultCty));
        if (indices) read.push_back(*indices);
        if (output_is_input({output}, read, messages)) return kError;
        Model m;
        if (!load_constants(m, consts, messages)) return kError;
        for (const std::string& file : inputs) {
            std::optional<StationLog> log = read_input(file, messages);
            if (!log) return kError;
            logs.push_back(std::move(*log));
        }

        // The station: its call and its place, from the flags or the first input that
        // names them.
        std::string station_call = call ? to_upper(*call) : std::string();
        const StationLog* placed_by = nullptr;
        for (const StationLog& log : logs) {
            if (station_call.empty()) station_call = log.call;
            if (!placed_by && log.station) placed_by = &log;
        }
        for (const StationLog& log : logs)
            if (placed_by && log.station && log.station_locator != placed_by->station_locator)
                std::fprintf(stderr, "note: %s places the station at %s; using %s of %s\n",
                             log.file.c_str(), log.station_locator.c_str(),
                             placed_by->station_locator.c_str(), placed_by->file.c_str());
        if (!(lat && lon) && !placed_by) {
            messages.show_message(
                inputs.front() + ": no locator of the station (GRID-LOCATOR); give --lat and --lon",
                "QTH ERROR!");
            return kError;
        }
        if (station_call.empty() || station_call.find_first_of(" \t") != std::string::npos)
            station_call = "-";

        const std::optional<MonthDay> start = month_day(start_date, "--start-date", messages);
        const std::optional<MonthDay> stop = month_day(stop_date, "--stop-date", messages);
        if ((start && start->month == 0) || (stop && stop->month == 0)) return kError;
        std::string error;
        const std::optional<std::vector<CivilDate>> dates = covered_dates(logs, start, stop, error);
        if (!dates) {
            messages.show_message(error, "DATE ERROR!");
            return kError;
        }

        RunFlags run;
        run.grain = grain.value_or("2");
        run.lat = lat ? *lat : angle_text(placed_by->station->lat, 'N', 'S');
        run.lon = lon ? *lon : angle_text(placed_by->station->lon, 'E', 'W');
        run.start_date = cformat("%d/%d", dates->front().month, dates->front().day);
        run.stop_date = cformat("%d/%d", dates->back().month, dates->back().day);
        if (indices) {
            const std::optional<IndicesText> t = indices_for_dates(*indices, *dates, messages);
            if (!t) return kError;
            run.flux = t->flux;
            run.a_index = t->a_index;
            run.k_index = t->k_index;
        } else if (flux && a_index && k_index) {
            run.flux = flux;
            run.a_index = a_index;
            run.k_index = k_index;
        } else {
            messages.show_message(
                "the solar indices: give --indices GFZFILE, or --flux, --a-index and --k-index",
                "SOLAR DATA ERROR!");
            return kError;
        }
        if (!apply_run_flags(m, run, std::nullopt, messages, RunDefaults::observations))
            return kError;

        // Far ends without a position of their own are placed by their call's prefix.
        std::optional<PrefixTable> table;
        bool need_table = false;
        for (const StationLog& log : logs)
            for (const Contact& c : log.contacts)
                need_table = need_table || !c.place;
        if (need_table) {
            table = PrefixTable::read(cty.value_or(kDefaultCty), error);
            if (!table) {
                messages.show_message(
                    error + (cty ? "" : "; install Debian's hamradio-files or give --cty FILE"),
                    "PREFIX TABLE ERROR!");
                return kError;
            }
        }
        if (table)
            for (const StationLog& log : logs)
                if (const auto w = station_place_warning(log, *table))
                    std::fprintf(stderr, "warning: %s\n", w->c_str());
        PlacementTally tally;
        const std::vector<CellObservation> observations =
            place_contacts(logs, table ? &*table : nullptr, m.grid, *dates, tally);
        report_left_out("of other dates", tally.outside_dates);
        report_left_out("outside the HF range", tally.out_of_band);
        report_left_out("of unknown prefix", tally.unknown_prefix);
        report_left_out("at sea or in the air", tally.at_sea);
        report_left_out("in the polar rows", tally.polar);
        if (observations.empty()) {
            messages.show_message(inputs.front() + ": no contact left to write", "INPUT ERROR!");
            return kError;
        }

        const std::string text = contest_data_text(m, *dates, observations, station_call);
        if (!write_whole_file(output, text, messages)) return kError;
        long contacts = 0;
        for (const StationLog& log : logs)
            contacts += long(log.contacts.size());
        std::printf(
            "%s: %zu screens, grain %d (%dx%d), %s to %s, %s at %.1f %.1f (degrees N, W), flux "
            "%.0f, A %.0f, "
            "K %.0f; %ld of %ld contacts placed\n",
            output.c_str(), dates->size() * 24, int(m.consts.display_grain), m.grid.n_rows,
            m.grid.n_cols, iso_text(dates->front()).c_str(), iso_text(dates->back()).c_str(),
            station_call.c_str(), double(m.consts.rlat) * 57.29578,
            double(m.consts.rlon) * 57.29578, double(m.consts.sf_index), double(m.consts.a_index),
            double(m.consts.k_index), tally.placed, contacts);
        const Crowding crowd = crowding(observations);
        const LatLon centre = cell_centre(m.grid, crowd.cell);
        std::string rules;
        for (const auto& [count, how] : {std::pair{tally.by_source, "by the input's position"},
                                         {tally.by_locator, "by the received locator"},
                                         {tally.by_exchange,
                                          "by the state, province or section "
                                          "received"},
                                         {tally.by_district, "by call district"},
                                         {tally.by_prefix, "at the prefix table's country point"}})
            if (count > 0) rules += cformat("%s%ld %s", rules.empty() ? "" : ", ", count, how);
        std::printf(
            "placed %s; %ld cell-hours written; the most crowded cell, %.1f %c %.1f %c, holds "
            "%.1f %% of the placed contacts\n",
            rules.c_str(), crowd.cell_hours, std::fabs(centre.lat), centre.lat < 0 ? 'S' : 'N',
            std::fabs(centre.lon), centre.lon < 0 ? 'W' : 'E',
            100.0 * double(crowd.most) / double(tally.placed));
        return kOk;
    }
};

}  // namespace

void add_contest_data_command(CLI::App& app, Action& action) {
    static ContestDataCommand c;
    CLI::App* s = app.add_subcommand("contest-data",
                                     "Turn one station's Cabrillo logs or WSPR spot tables into a "
                                     "contest data file to score predictions against");
    s->add_option("INPUT", c.inputs,
                  "Cabrillo logs (2.0 or 3.0) or WSPR spot tables (CSV with a header row)")
        ->required();
    s->add_option("-o,--output", c.output, "contest data file to write")
        ->required()
        ->type_name("OUT.prp");
    s->add_option(
         "--cty", c.cty,
         std::string("callsign prefix table in cty.dat format (default ") + kDefaultCty + ")")
        ->type_name("FILE");
    s->add_option("--call", c.call,
                  "the station: its call in the spot tables, and the header's word")
        ->type_name("CALL");
    s->add_option("--grain", c.grain, "grid: 1 = 37x80, 2 = 24x40 (default), 3 = 13x20")
        ->type_name("G");
    CLI::Option* ind = s->add_option("--indices", c.indices,
                                     "flux, A and K from a GFZ daily indices file (the mean "
                                     "over the file's dates)")
                           ->type_name("GFZFILE");
    s->add_option("--flux", c.flux, "solar flux, 50 to 500")->type_name("F")->excludes(ind);
    s->add_option("--a-index", c.a_index, "A index, 0 to 400")->type_name("A")->excludes(ind);
    s->add_option("--k-index", c.k_index, "K index, 0 to 9")->type_name("K")->excludes(ind);
    CLI::Option* lat = s->add_option("--lat", c.lat,
                                     "station latitude, degrees[:minutes[:seconds]] and N or S "
                                     "(default: the log's locator)")
                           ->type_name("D:M:SN");
    CLI::Option* lon =
        s->add_option("--lon", c.lon, "station longitude, degrees[:minutes[:seconds]] and W or E")
            ->type_name("D:M:SW");
    lat->needs(lon);
    lon->needs(lat);
    s->add_option("--start-date", c.start_date,
                  "first date, month/day (default: the first contact's)")
        ->type_name("M/D");
    s->add_option("--stop-date", c.stop_date, "last date, month/day (default: the last contact's)")
        ->type_name("M/D");
    add_constants_flags(*s, c.consts);
    s->final_callback([&action] { action = [] { return c.execute(); }; });
}

}  // namespace skywave::cli
