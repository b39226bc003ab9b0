// The Calculations commands: the run settings, Start and Stop of a run on the worker
// thread, and the two switches the driver reads after every step.
#include "commands.h"
#include "gadgets.h"
#include "run/driver.h"
#include "sky_window.h"

namespace skywave::gui {

int TSkyWindow::DoInitDialog() {
    InitData data = init_data_from_settings(m_, file_name_, messages_);
    dialogs_.init_dialog(this, data);
    apply_init_data(m_, file_name_, data);
    return data.UseIt;
}

void TSkyWindow::CMCalcInit() {
    DoInitDialog();
}

void TSkyWindow::CMCalcStart() {
    if (!DoInitDialog()) return;
    Abort = 0;
    CloseFile();
    hooks_.prepare(count_steps(m_).value_or(0));
    start_work(
        [this, output = file_name_] {
            if (!InitCalc(m_, worker_messages_)) return;
            MainCalcs(m_, output, hooks_, worker_messages_);
            EndCalc(m_);
        },
        [this] {
            // A run that could not create its file has no result to show: a file of
            // that name on the disk is an older one.
            if (Destroyed || !hooks_.started()) return;
            OpenAFile();
            if (FileIsOpen()) CMReplayNext();
        });
}

void TSkyWindow::CMCalcStop() {
    Abort = 1;
}

void TSkyWindow::CMCalcCView() {
    hooks_.exam_flag = Gadgets->ToggleExam();
}

void TSkyWindow::CMCalcChangeConst() {
    hooks_.change_flag = Gadgets->ToggleCalcChange();
}

}  // namespace skywave::gui
