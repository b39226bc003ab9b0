// The RUN flags: the run-settings dialog in text form.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace skywave {
struct RunSettings;
}

namespace skywave::cli {

class ConsoleMessages;

// Where the constants in force come from: the defaults, then MOF.DAT of the working
// directory, then --consts files in order.
struct ConstantsFlags {
    std::vector<std::string> files;
    bool no_mof_dat = false;
};

struct RunFlags {
    ConstantsFlags consts;
    std::optional<std::string> lat, lon, locator;
    std::optional<std::string> start_date, stop_date, step_date;
    std::optional<std::string> start_time, stop_time, step_time;
    std::optional<std::string> flux, a_index, k_index, grain;
    std::optional<std::string> indices;  // GFZ daily indices file (add_indices_flags)
    std::optional<int> year;
};

void add_constants_flags(CLI::App& app, ConstantsFlags& flags);
// The files the constants flags read: MOF.DAT when it is read, and every --consts file.
std::vector<std::string> constants_inputs(const ConstantsFlags& flags);
// Every file the RUN flags read: those and the --indices file.
std::vector<std::string> run_inputs(const RunFlags& flags);
void add_run_flags(CLI::App& app, RunFlags& flags);

// Brings the model's constants into their starting state. False when a --consts
// file could not be read (reported).
bool load_constants(RunSettings& s, const ConstantsFlags& flags, ConsoleMessages& messages);

// What the run settings are when no flag gives them: a prediction is for today;
// runs scored against observations take their dates from the observations (the
// caller sets them) and cover every hour.
enum class RunDefaults { today, observations };

// Sets the run up as the dialog would: its fields filled from the constants in
// force, the given flags replacing fields, then the dialog's checks. A start date
// alone is a single date. False when a check failed (reported); the settings are then
// unchanged. file_name, when given, receives the prediction file the run writes:
// output, else "default.mof".
bool apply_run_flags(RunSettings& s, const RunFlags& flags,
                     const std::optional<std::string>& output, ConsoleMessages& messages,
                     RunDefaults defaults = RunDefaults::today, std::string* file_name = nullptr);

// Whether the flags give any date.
bool has_dates(const RunFlags& flags);

}  // namespace skywave::cli
