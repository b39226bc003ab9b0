// skywave score, score-multi and diddle: predictions against observations.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>

#include "base/safe_file.h"
#include "commands.h"
#include "console.h"
#include "files/prediction_file.h"
#include "model/grid.h"
#include "model/model.h"
#include "run/contest_run.h"
#include "run/sweep.h"
#include "run_options.h"
#include "tuning/diddle.h"
#include "tuning/score.h"
#include "tuning/score_multi.h"

namespace skywave::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kScratch = "scratch.mof";  // the diddle's runs

struct ScoreCommand {
    std::string file1, file2;
    std::optional<std::string> grain, report;

    int execute() {
        ConsoleMessages messages;
        if (report && output_is_input({*report}, {file1, file2}, messages)) return kError;
        // Each file is read once, so that a pipe or a FIFO can be scored.
        FileText prediction = read_file_text(file1);
        if (!prediction.opened) {
            messages.show_message("Can't open first file for comparison", "Error",
                                  prediction.open_error_text());
            return kError;
        }
        if (!prediction.ok()) {
            messages.show_message(prediction.error_text(), kReadErrorCaption);
            return kError;
        }
        int g = 0;
        if (grain) {
            g = std::atoi(grain->c_str());
            if (!grain_info(g) || *grain != std::to_string(g)) {
                messages.show_message("Grain Data not readable.", "GRAIN DATA ERROR!");
                return kError;
            }
        } else {
            g = detect_grain_text(prediction.text);
            if (g == 0) {
                messages.show_message(file1 + ": Can't read the file grain", "ERROR");
                return kError;
            }
        }
        Grid grid;
        set_grain(grid, float(g));
        std::unique_ptr<Report> out = open_report(report, messages);
        if (!out) return kError;
        const bool scored =
            score_texts(grid, std::move(prediction), read_file_text(file2), out.get(), messages)
                .has_value();
        const bool written = close_report(*out, messages);
        // A comparison that could not be made leaves no report behind.
        if (!(scored && written) && report) remove_incomplete(*report);
        return scored && written ? kOk : kError;
    }
};

struct MultiCommand {
    std::string target;
    std::optional<std::string> report;
    RunFlags flags;
    int jobs = default_jobs();

    int execute() {
        ConsoleMessages messages;
        std::error_code ec;
        const fs::path folder =
            fs::is_directory(target, ec) ? fs::path(target) : fs::path(target).parent_path();
        if (!fs::exists(target, ec)) {
            messages.show_message(target, "ERROR OPENING INPUT");
            return kError;
        }
        const std::vector<std::string> files =
            list_contest_files(folder.empty() ? "." : folder.string());
        if (files.empty()) {
            std::fprintf(stderr, "no *.prp contest files in %s\n",
                         folder.empty() ? "." : folder.c_str());
            return kError;  // nothing could be scored
        }
        std::vector<std::string> inputs = run_inputs(flags);
        inputs.insert(inputs.end(), files.begin(), files.end());
        ScoreMultiOptions options;
        if (output_is_input({report.value_or(options.scratch), options.scratch}, inputs, messages))
            return kError;
        RunSettings s;
        if (!load_constants(s, flags.consts, messages)) return kError;
        if (!apply_run_flags(s, flags, std::nullopt, messages, RunDefaults::observations))
            return kError;
        options.grain = flags.grain ? int(s.consts.display_grain) : 0;
        options.use_run_dates = has_dates(flags);
        options.times = run_times(s);  // the flags' times, else 0:00 to 23:00
        options.jobs = jobs;
        std::unique_ptr<Report> out = open_report(report, messages);
        if (!out) return kError;
        Progress progress;
        progress.set_label("score-multi");
        ConsoleSweepHooks hooks(progress);
        const SweepOutcome outcome = score_multi(
            s, files, options, [&](const std::string& text) { out->write(text); }, hooks, messages);
        progress.finish();
        if (!close_report(*out, messages)) return kError;
        return sweep_exit_code(outcome, "no contest file could be scored", messages);
    }
};

struct DiddleCommand {
    std::string contest;
    std::optional<std::string> report;
    RunFlags flags;
    int jobs = default_jobs();

    int execute() {
        ConsoleMessages messages;
        std::vector<std::string> inputs = run_inputs(flags);
        inputs.push_back(contest);
        if (output_is_input({report.value_or(kScratch), kScratch}, inputs, messages)) return kError;
        RunSettings s;
        if (!load_constants(s, flags.consts, messages)) return kError;
        if (!apply_run_flags(s, flags, std::nullopt, messages, RunDefaults::observations))
            return kError;
        const ContestRunRequest request{flags.grain ? int(s.consts.display_grain) : 0,
                                        !has_dates(flags), run_times(s)};
        ContestRun prepared = prepare_contest_run(s, contest, request, messages);
        switch (prepared.status) {
            case ContestRunStatus::ready:
                break;
            case ContestRunStatus::no_grain:
                messages.show_message(contest + ": Can't read the file grain", "ERROR");
                return kError;
            default:  // reported
                return kError;
        }
        std::unique_ptr<Report> out = open_report(report, messages);
        if (!out) return kError;
        Progress progress;
        progress.set_label("diddle");
        ConsoleSweepHooks hooks(progress);
        const SweepOutcome outcome =
            DiddleConsts(s, prepared.contest, *out, kScratch, jobs, hooks, messages);
        progress.finish();
        if (!close_report(*out, messages)) return kError;
        return sweep_exit_code(outcome, "the reference run could not be scored", messages);
    }
};

}  // namespace

void add_score_commands(CLI::App& app, Action& action) {
    static ScoreCommand score;
    CLI::App* s = app.add_subcommand(
        "score", "Score a prediction file against a contest data file, screen by screen");
    s->add_option("FILE1", score.file1, "prediction (or contest) file")->required();
    s->add_option("FILE2", score.file2, "contest data file with the observations")->required();
    s->add_option("--grain", score.grain, "grid of both files (default: detected from FILE1)")
        ->type_name("G");
    s->add_option("-o,--output", score.report, "report file (default: standard output)")
        ->type_name("REPORT");
    s->final_callback([&action] { action = [] { return score.execute(); }; });

    static MultiCommand multi;
    CLI::App* mu = app.add_subcommand("score-multi",
                                      "Run and score every *.prp contest file of a folder (a FILE "
                                      "names its folder); one row per file");
    mu->add_option("TARGET", multi.target, "folder, or any file in it")->required();
    mu->add_option("-o,--output", multi.report, "report file (default: standard output)")
        ->type_name("REPORT");
    add_run_flags(*mu, multi.flags);
    mu->add_option("-j,--jobs", multi.jobs, "runs at once (default: every core)")
        ->check(counting_from_one("give at least 1 run at once"));
    mu->final_callback([&action] { action = [] { return multi.execute(); }; });

    static DiddleCommand diddle;
    CLI::App* d = app.add_subcommand(
        "diddle",
        "Tune the marked constants against a contest data file (marks come from a constants file)");
    d->add_option("CONTEST", diddle.contest, "contest data file")->required();
    d->add_option("-o,--output", diddle.report, "report file (default: standard output)")
        ->type_name("REPORT");
    add_run_flags(*d, diddle.flags);
    d->add_option("-j,--jobs", diddle.jobs, "runs at once (default: every core)")
        ->check(counting_from_one("give at least 1 run at once"));
    d->final_callback([&action] { action = [] { return diddle.execute(); }; });
}

}  // namespace skywave::cli
