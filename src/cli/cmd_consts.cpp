// skywave consts: constants files.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "console.h"
#include "files/constants_file.h"
#include "model/run_settings.h"
#include "run_options.h"

namespace skywave::cli {

namespace {

struct ConstsCommand {
    ConstantsFlags flags;
    std::string file;

    int write() {
        ConsoleMessages messages;
        RunSettings s;
        if (!load_constants(s, flags, messages)) return kError;
        return WriteConsts(s, file, messages) ? kOk : kError;
    }
};

}  // namespace

void add_consts_command(CLI::App& app, Action& action) {
    static ConstsCommand command;
    CLI::App* consts = app.add_subcommand("consts", "Constants files");
    consts->require_subcommand(1);
    CLI::App* write =
        consts->add_subcommand("write", "Write the constants in force as a constants file");
    add_constants_flags(*write, command.flags);
    write->add_option("FILE", command.file, "constants file to write")->required();
    write->final_callback([&action] { action = [] { return command.write(); }; });
}

}  // namespace skywave::cli
