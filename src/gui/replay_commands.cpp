// Replay of a prediction file in the window: opening and closing, the next screen by
// hand or on the one-second timer, and files dropped on the window.
#include "commands.h"
#include "control_bar.h"
#include "map_window.h"

namespace skywave::gui {

void MapWindow::open_replay() {
    if (file_is_open()) close_replay();
    hover_.forget();
    if (!replay_.open(file_name_, m_, messages_)) return;
    bars_->FileOpened();
    update_commands();
}

void MapWindow::close_replay() {
    if (!file_is_open()) return;
    if (replay_timer_) stop_auto_cycle();
    bars_->FileClosed();
    replay_.close();
    hover_.forget();
    if (info_) info_->clear();
    DrawDisplay();
    update_commands();
}

void MapWindow::next_screen() {
    if (!file_is_open()) return;
    replay_.ReadScreen(m_, screen_);
    // The read-out's model of this screen, with the constants in force.
    hover_.prepare(m_, screen_);
    DrawDisplay();
}

void MapWindow::previous_screen() {
    if (!file_is_open()) return;
    const int n = replay_.screen_number();
    show_screen(n > 1 ? n - 1 : -1);
}

void MapWindow::show_screen(int n) {
    if (!file_is_open() || busy()) return;
    replay_.seek(n < 0 ? replay_.screen_count() : n);
    next_screen();
}

void MapWindow::stop_what_runs() {
    if (busy())
        run_command(CM_CALCSTOP);
    else if (replay_timer_)
        run_command(CM_REPLAYSTOP);
}

void MapWindow::start_auto_cycle() {
    if (!file_is_open()) return;
    AutoData data;
    data.Seconds = 3600;
    dialogs_.auto_dialog(this, data);
    if (!data.accepted) return;
    auto_period_ = data.Seconds;
    auto_count_ = 0;
    replay_timer_ = startTimer(1000);
    if (!replay_timer_) {
        dialogs_.message(this, "No Timer Available!", "Auto Timer ERROR!");
        return;
    }
    bars_->StartAutoReplay();
    bars_->SetCounter(int(auto_period_));  // the new period, not the last cycle's count
    update_commands();
}

void MapWindow::stop_auto_cycle() {
    if (!replay_timer_) return;
    killTimer(replay_timer_);
    replay_timer_ = 0;
    bars_->StopAutoReplay();
    update_commands();
}

// One second has passed. A period of 0 steps on every tick, like a period of 1.
void MapWindow::auto_cycle_tick(int TimerID) {
    if (TimerID == 0 || TimerID != replay_timer_) return;
    ++auto_count_;
    bars_->SetCounter(auto_count_ < auto_period_ ? int(auto_period_ - auto_count_) : 0);
    if (auto_count_ >= auto_period_) {
        auto_count_ = 0;
        next_screen();
    }
}

// Only the first of several dropped files is opened. While work goes on nothing is
// opened: the file's grain and location would change the run's.
void MapWindow::open_dropped_files(const QStringList& files) {
    if (files.isEmpty() || busy()) return;
    file_name_ = file_name_of(files.first());
    open_replay();
    next_screen();
    update_commands();
}

}  // namespace skywave::gui
