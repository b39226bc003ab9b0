// skywave: HF propagation predictions from the command line.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "console.h"

int main(int argc, char** argv) {
    using namespace skywave::cli;
    CLI::App app{
        "skywave: predicts which HF frequencies carry a signal from your station, for every "
        "point of the world, date and hour"};
    app.require_subcommand(1);
    Action action;
    add_run_command(app, action);
    add_consts_command(app, action);
    add_score_commands(app, action);
    add_render_command(app, action);
    add_array_command(app, action);
    add_contest_data_command(app, action);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kOk : kUsage;  // --help is no error
    }
    return action ? action() : kUsage;
}
