// Replay of a prediction file in the window: opening and closing, the next screen by
// hand or on the one-second timer, and files dropped on the window.
#include "commands.h"
#include "gadgets.h"
#include "sky_window.h"

namespace skywave::gui {

void TSkyWindow::OpenAFile() {
    if (FileIsOpen()) CloseFile();
    if (!replay_.OpenAFile(file_name_, m_, messages_)) return;
    Gadgets->FileOpened();
    UpdateCommands();
}

void TSkyWindow::CloseFile() {
    if (!FileIsOpen()) return;
    if (ReplayTimerID) CMReplayStop();
    Gadgets->FileClosed();
    replay_.CloseFile();
    DrawDisplay();
    UpdateCommands();
}

void TSkyWindow::CMReplayNext() {
    if (!FileIsOpen()) return;
    replay_.ReadScreen(m_, ScreenBuff);
    DrawDisplay();
}

void TSkyWindow::CMReplayAuto() {
    if (!FileIsOpen()) return;
    AutoData data;
    data.Seconds = 3600;
    dialogs_.auto_dialog(this, data);
    if (!data.UseIt) return;
    TimeoutValue = data.Seconds;
    TimeCounter = 0;
    ReplayTimerID = startTimer(1000);
    if (!ReplayTimerID) {
        dialogs_.message(this, "No Timer Available!", "Auto Timer ERROR!");
        return;
    }
    Gadgets->StartAutoReplay();
    UpdateCommands();
}

void TSkyWindow::CMReplayStop() {
    if (!ReplayTimerID) return;
    killTimer(ReplayTimerID);
    ReplayTimerID = 0;
    Gadgets->StopAutoReplay();
    UpdateCommands();
}

// One second has passed. A period of 0 steps on every tick, like a period of 1.
void TSkyWindow::EvTimer(int TimerID) {
    if (TimerID == 0 || TimerID != ReplayTimerID) return;
    ++TimeCounter;
    Gadgets->SetCounter(TimeCounter < TimeoutValue ? int(TimeoutValue - TimeCounter) : 0);
    if (TimeCounter >= TimeoutValue) {
        TimeCounter = 0;
        CMReplayNext();
    }
}

// Only the first of several dropped files is opened. While work goes on nothing is
// opened: the file's grain and location would change the run's.
void TSkyWindow::EvDropFiles(const QStringList& files) {
    if (files.isEmpty() || Busy()) return;
    file_name_ = files.first().toStdString();
    OpenAFile();
    CMReplayNext();
    UpdateCommands();
}

}  // namespace skywave::gui
