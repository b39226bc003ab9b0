// skywave run: compute a prediction file.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "commands.h"
#include "console.h"
#include "indices_flags.h"
#include "model/model.h"
#include "run/driver.h"
#include "run/sweep.h"
#include "run_options.h"

namespace skywave::cli {

namespace {

struct RunCommand {
    RunFlags flags;
    std::optional<std::string> output;
    int jobs = default_jobs();

    int execute() {
        ConsoleMessages messages;
        Model m;
        std::string file_name;
        if (!load_constants(m, flags.consts, messages)) return kError;
        if (!apply_run_flags(m, flags, output, messages, RunDefaults::today, &file_name))
            return kError;
        if (output_is_input({file_name}, run_inputs(flags), messages)) return kError;

        Progress progress;
        progress.set_total(count_steps(m).value_or(0));
        progress.set_label(file_name);
        ConsoleHooks hooks(progress);
        if (!InitCalc(m, messages)) return kError;
        const RunOutcome outcome = MainCalcs(m, file_name, hooks, messages, jobs);
        EndCalc(m);
        progress.finish();
        switch (outcome) {
            case RunOutcome::failed:
                return kError;
            case RunOutcome::aborted:
                std::fprintf(stderr, "stopped: %s holds the completed screens\n",
                             file_name.c_str());
                return kInterrupted;
            case RunOutcome::completed:
                break;
        }
        // On standard error: the prediction itself may be going to standard output.
        std::fprintf(stderr, "%s: %ld screens, grain %d (%dx%d)\n", file_name.c_str(),
                     count_steps(m).value_or(0), int(m.consts.display_grain), m.grid.n_rows,
                     m.grid.n_cols);
        return kOk;
    }
};

}  // namespace

void add_run_command(CLI::App& app, Action& action) {
    static RunCommand command;
    CLI::App* sub = app.add_subcommand("run", "Compute a prediction file for the run settings");
    add_run_flags(*sub, command.flags);
    add_indices_flags(*sub, command.flags);
    sub->add_option("-o,--output", command.output,
                    "prediction file to write (default \"default.mof\")")
        ->type_name("FILE");
    sub->add_option("-j,--jobs", command.jobs,
                    "threads computing the time steps of a date (default: every core); the "
                    "file is the same for any number")
        ->check(counting_from_one("give at least 1 thread"));
    sub->final_callback([&action] { action = [] { return command.execute(); }; });
}

}  // namespace skywave::cli
