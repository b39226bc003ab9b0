// skywave: HF propagation predictions from the command line.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "console.h"

namespace skywave::cli {

CLI::Validator whole_number_in(long low, long high, const std::string& message,
                               const std::string& name) {
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            long value = 0;
            std::size_t used = 0;
            try {
                value = std::stol(text, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            return used == text.size() && used > 0 && value >= low && value <= high ? std::string()
                                                                                    : message;
        },
        name);
}

CLI::Validator counting_from_one(const std::string& message) {
    return whole_number_in(1, std::numeric_limits<long>::max(), message, "N>=1");
}

namespace {

// Edits that turn a into b (insert, delete, replace, swap two neighbours).
std::size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// "no command 'rnu'; did you mean 'run'?" for a first word that names no command.
std::optional<std::string> unknown_command(const CLI::App& app, const std::string& word) {
    if (word.empty() || word[0] == '-') return std::nullopt;
    std::string best, names;
    std::size_t best_distance = 3;  // further away is no likely typing slip
    for (const CLI::App* sub : app.get_subcommands({})) {
        if (sub->get_name() == word) return std::nullopt;
        names += (names.empty() ? "" : ", ") + sub->get_name();
        if (const std::size_t d = edit_distance(word, sub->get_name()); d < best_distance) {
            best_distance = d;
            best = sub->get_name();
        }
    }
    return "no command '" + word + "'; " +
           (best.empty() ? "the commands are " + names : "did you mean '" + best + "'?");
}

}  // namespace

}  // namespace skywave::cli

int main(int argc, char** argv) {
    using namespace skywave::cli;
    install_signal_handlers();
    CLI::App app{
        "skywave: predicts which HF frequencies carry a signal from your station, for every "
        "point of the world, date and hour"};
    app.require_subcommand(1);
    Action action;
    // Each command's options take a few hundred microseconds to set up: a command named
    // on the line is set up alone, the others only for help or a mistyped name.
    struct Command {
        std::initializer_list<std::string_view> names;
        void (*add)(CLI::App&, Action&);
    };
    static const Command commands[] = {
        {{"run"}, add_run_command},
        {{"consts"}, add_consts_command},
        {{"score", "score-multi", "diddle"}, add_score_commands},
        {{"render"}, add_render_command},
        {{"array"}, add_array_command},
        {{"contest-data"}, add_contest_data_command},
        {{"point"}, add_point_command},
        {{"accuracy"}, add_accuracy_command},
        {{"tune"}, add_tune_command},
    };
    const Command* named = nullptr;
    for (const Command& c : commands)
        if (argc > 1 && std::find(c.names.begin(), c.names.end(), argv[1]) != c.names.end())
            named = &c;
    if (named) {
        named->add(app, action);
    } else {
        for (const Command& c : commands)
            c.add(app, action);
    }
    if (argc > 1)
        if (const std::optional<std::string> text = unknown_command(app, argv[1])) {
            std::fprintf(stderr, "%s\n", text->c_str());
            return kUsage;
        }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kOk : kUsage;  // --help is no error
    }
    if (!action) return kUsage;
    int code = kError;
    try {
        code = action();
    } catch (const std::bad_alloc&) {
        ConsoleMessages().show_message("Not enough memory.", "MEMORY ERROR!");
        code = kError;
    }
    // A command stopped by a signal ends as the signal would have ended it.
    return interrupted() ? 128 + stop_signal() : code;
}
