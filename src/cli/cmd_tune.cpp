// skywave tune: the diddle pooled over every contest file of a folder, judged on
// hold-out files it never saw.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>

#include "base/output_file.h"
#include "base/safe_file.h"
#include "commands.h"
#include "console.h"
#include "files/constants_file.h"
#include "model/model.h"
#include "run/contest_run.h"
#include "run/sweep.h"
#include "run_options.h"
#include "tuning/diddle.h"
#include "tuning/score_multi.h"
#include "tuning/tune.h"

namespace skywave::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kScratch = "scratch.mof";

// The contest files of a folder (a file names its folder); empty, reported, when there
// are none.
std::vector<std::string> folder_files(const std::string& target, MessageSink& messages) {
    std::error_code ec;
    if (!fs::exists(target, ec)) {
        messages.show_message(target, "ERROR OPENING INPUT");
        return {};
    }
    fs::path folder =
        fs::is_directory(target, ec) ? fs::path(target) : fs::path(target).parent_path();
    if (folder.empty()) folder = ".";
    std::vector<std::string> files = list_contest_files(folder.string());
    if (files.empty()) std::fprintf(stderr, "no *.prp contest files in %s\n", folder.c_str());
    return files;
}

struct TuneCommand {
    std::string folder;
    std::optional<std::string> holdout, report, write;
    double min_distance_km = 0;
    bool csv = false;
    RunFlags flags;
    int jobs = default_jobs();

    int execute() {
        ConsoleMessages messages;
        if (flags.consts.files.empty()) {
            std::fprintf(stderr,
                         "tune needs --consts MARKS: a constants file whose sixth column is 1 for "
                         "each constant to tune\n");
            return kUsage;
        }
        const std::vector<std::string> files = folder_files(folder, messages);
        if (files.empty()) return kError;
        std::vector<std::string> holdout_files;
        if (holdout) {
            holdout_files = folder_files(*holdout, messages);
            if (holdout_files.empty()) return kError;
        }
        // The tuned constants may replace the marks file, which is read whole first.
        std::vector<std::string> contest = files;
        contest.insert(contest.end(), holdout_files.begin(), holdout_files.end());
        if (flags.indices) contest.push_back(*flags.indices);
        std::vector<std::string> inputs = run_inputs(flags);
        inputs.insert(inputs.end(), contest.begin(), contest.end());
        if (output_is_input({report.value_or(kScratch), kScratch}, inputs, messages)) return kError;
        if (write && output_is_input({*write}, contest, messages)) return kError;
        if (write && (same_file(*write, kScratch) || (report && same_file(*write, *report)))) {
            messages.show_message(*write + " is written by this command already",
                                  kOutputErrorCaption);
            return kError;
        }
        RunSettings s;
        if (!load_constants(s, flags.consts, messages)) return kError;
        if (!apply_run_flags(s, flags, std::nullopt, messages, RunDefaults::observations))
            return kError;
        TuneOptions options;
        options.request = {flags.grain ? int(s.consts.display_grain) : 0, !has_dates(flags),
                           run_times(s)};
        options.min_distance_km = min_distance_km;
        options.jobs = jobs;
        options.csv = csv;
        options.scratch = kScratch;
        bool any_marked = false;
        for (int i = 0; i < kConstCount; ++i)
            any_marked = any_marked || is_marked(s, i);
        if (!any_marked)
            std::fprintf(stderr, "note: no constant is marked for tuning (sixth column 1)\n");

        std::unique_ptr<Report> out = open_report(report, messages);
        if (!out) return kError;
        Progress progress;
        progress.set_label("tune");
        ConsoleSweepHooks hooks(progress);
        RunSettings tuned;
        const SweepOutcome outcome =
            tune_constants(s, files, holdout_files, options, *out, tuned, hooks, messages);
        progress.finish();
        if (!close_report(*out, messages)) return kError;
        const int code = sweep_exit_code(outcome, "no contest file could be scored", messages);
        if (code != kOk || !write) return code;
        return WriteConsts(tuned, *write, messages) ? kOk : kError;
    }
};

}  // namespace

void add_tune_command(CLI::App& app, Action& action) {
    static TuneCommand command;
    CLI::App* t = app.add_subcommand(
        "tune",
        "Tune the marked constants on every *.prp contest file of a folder at once, and judge "
        "the result on hold-out files");
    t->add_option("FOLDER", command.folder, "folder of contest files, or any file in it")
        ->required();
    t->add_option("--holdout", command.holdout,
                  "folder of contest files to judge the tuned constants on")
        ->type_name("FOLDER2");
    t->add_option("--min-distance", command.min_distance_km,
                  "leave cells nearer the QTH than KM out of every count (default 0)")
        ->check(CLI::NonNegativeNumber)
        ->type_name("KM");
    t->add_flag("--csv", command.csv, "comma-separated values instead of the text report");
    t->add_option("-o,--output", command.report, "report file (default: standard output)")
        ->type_name("REPORT");
    t->add_option("--write", command.write, "constants file of the tuned values")
        ->type_name("TUNED");
    add_run_flags(*t, command.flags);
    t->add_option("-j,--jobs", command.jobs, "runs at once (default: every core)")
        ->check(counting_from_one("give at least 1 run at once"));
    t->final_callback([&action] { action = [] { return command.execute(); }; });
}

}  // namespace skywave::cli
