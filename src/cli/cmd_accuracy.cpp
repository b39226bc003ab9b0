// skywave accuracy: the score of a prediction against observations, split by distance,
// hour or band, with the clear misses and the cells that could not be counted.
#include <CLI/CLI.hpp>

#include "base/safe_file.h"
#include "commands.h"
#include "console.h"
#include "files/prediction_file.h"
#include "model/grid.h"
#include "tuning/accuracy.h"

namespace skywave::cli {

namespace {

struct AccuracyCommand {
    std::string prediction, observations;
    std::string by = "distance";
    bool csv = false;
    std::optional<std::string> report;

    int execute() {
        ConsoleMessages messages;
        if (report && output_is_input({*report}, {prediction, observations}, messages))
            return kError;
        FileText one = read_file_text(prediction);
        if (!one.opened) {
            messages.show_message("Can't open first file for comparison", "Error",
                                  one.open_error_text());
            return kError;
        }
        if (!one.ok()) {
            messages.show_message(one.error_text(), kReadErrorCaption);
            return kError;
        }
        // Both files are on the prediction's grid, as for the score.
        const int g = detect_grain_text(one.text);
        if (g == 0) {
            messages.show_message(prediction + ": Can't read the file grain", "ERROR");
            return kError;
        }
        Grid grid;
        set_grain(grid, float(g));
        const AccuracySplit split = by == "hour"   ? AccuracySplit::hour
                                    : by == "band" ? AccuracySplit::band
                                                   : AccuracySplit::distance;
        const std::optional<AccuracyTable> table =
            accuracy_table(grid, std::move(one), read_file_text(observations), split, messages);
        if (!table) return kError;  // reported; no report is begun
        std::unique_ptr<Report> out = open_report(report, messages);
        if (!out) return kError;
        out->write(csv ? accuracy_csv(*table) : accuracy_text(*table, prediction, observations));
        if (!close_report(*out, messages)) {
            if (report) remove_incomplete(*report);
            return kError;
        }
        return kOk;
    }
};

}  // namespace

void add_accuracy_command(CLI::App& app, Action& action) {
    static AccuracyCommand command;
    CLI::App* a = app.add_subcommand(
        "accuracy",
        "Score a prediction against a contest data file, split by distance from the QTH, UTC "
        "hour or band, with the clear misses and the cells that could not be counted");
    a->add_option("PRED", command.prediction, "prediction (or contest) file")->required();
    a->add_option("OBS", command.observations, "contest data file with the observations")
        ->required();
    a->add_option("--by", command.by, "split by distance (km), hour (UTC) or band (level)")
        ->check(CLI::IsMember({"distance", "hour", "band"}))
        ->type_name("distance|hour|band");
    a->add_flag("--csv", command.csv, "comma-separated values, counts in cell-hours");
    a->add_option("-o,--output", command.report, "report file (default: standard output)")
        ->type_name("REPORT");
    a->final_callback([&action] { action = [] { return command.execute(); }; });
}

}  // namespace skywave::cli
