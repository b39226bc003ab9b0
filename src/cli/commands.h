// The subcommands of the skywave program.
#pragma once

#include <functional>
#include <string>

namespace CLI {
class App;
class Validator;
}  // namespace CLI

namespace skywave::cli {

// Each adds its subcommand to the application. A subcommand that was given on the
// command line sets `action`, which main runs once every argument is parsed; it
// returns the exit code.
using Action = std::function<int()>;

// A check of a whole-number flag from low to high, answering with message; name is its
// range as the help shows it.
CLI::Validator whole_number_in(long low, long high, const std::string& message,
                               const std::string& name);

// A check of a whole-number flag that counts from 1, answering with what it counts
// ("screens count from 1") instead of the parser's range.
CLI::Validator counting_from_one(const std::string& message);

void add_run_command(CLI::App& app, Action& action);
void add_consts_command(CLI::App& app, Action& action);
void add_score_commands(CLI::App& app, Action& action);
void add_render_command(CLI::App& app, Action& action);
void add_array_command(CLI::App& app, Action& action);
void add_contest_data_command(CLI::App& app, Action& action);
void add_point_command(CLI::App& app, Action& action);
void add_accuracy_command(CLI::App& app, Action& action);
void add_tune_command(CLI::App& app, Action& action);

}  // namespace skywave::cli
