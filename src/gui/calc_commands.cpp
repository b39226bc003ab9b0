// The Calculations commands: the run settings, Start and Stop of a run on the worker
// thread. (The two switches the driver reads after every step are in the command
// table.)
#include "commands.h"
#include "control_bar.h"
#include "files/constants_file.h"
#include "map_window.h"
#include "run/driver.h"
#include "run/sweep.h"

namespace skywave::gui {

// The run-settings dialog on the settings in force; true once they were confirmed.
// confirmed receives a file chosen with Browse in a save dialog that asked.
bool MapWindow::ask_run_settings(std::string& confirmed) {
    SettingsRecord data = record_from_settings(m_, file_name_, messages_);
    dialogs_.init_dialog(this, data, confirmed);
    apply_record(m_, file_name_, data);
    return data.accepted;
}

// The prediction file a run writes is never MOF.DAT, and an existing file is replaced
// only when it was chosen in a save dialog that asked or the user says Yes now; No
// returns to the run settings.
void MapWindow::start_run() {
    for (;;) {
        std::string confirmed = confirmed_output_;
        if (!ask_run_settings(confirmed)) return;
        const OutputCheck check =
            check_output(file_name_, {kDefaultConstantsFile}, file_name_ == confirmed);
        if (check == OutputCheck::refuse) return;
        if (check == OutputCheck::write) break;
    }
    confirmed_output_.clear();  // a confirmation holds for one run
    abort_ = 0;
    close_replay();
    hooks_.prepare(count_steps(m_).value_or(0));
    start_work(
        [this, output = file_name_] {
            if (!InitCalc(m_, worker_messages_)) return;
            MainCalcs(m_, output, hooks_, worker_messages_, default_jobs());
            EndCalc(m_);
        },
        [this] {
            // A run that could not create its file has no result to show: a file of
            // that name on the disk is an older one.
            if (destroyed_ || !hooks_.started()) return;
            open_replay();
            if (file_is_open()) next_screen();
        });
}

void MapWindow::stop_work() {
    abort_ = 1;
}

}  // namespace skywave::gui
