// The Constants commands: defaults, constants files, the per-step hook and the
// automatic diddle, which runs on the worker thread.
#include <memory>

#include "base/report.h"
#include "control_bar.h"
#include "files/constants_file.h"
#include "files/prediction_file.h"
#include "map_window.h"
#include "model/constants.h"
#include "run/contest_run.h"
#include "tuning/diddle.h"

namespace skywave::gui {

namespace {

FileRequest constants_file(FileRequest::Kind kind) {
    FileRequest request;
    request.kind = kind;
    request.filter = qt_filter("MOF Consts (*.DAT)|*.DAT|");
    request.default_ext = QStringLiteral("DAT");
    request.confirm_overwrite = kind == FileRequest::save;
    return request;
}

}  // namespace

// Every constant back to its built-in default (not MOF.DAT's); the sweep marks stay.
void MapWindow::reset_constants() {
    first_use_init();
    init_consts(m_.consts);
    set_grain(m_.grid, m_.consts.display_grain);
}

void MapWindow::change_constants() {
    first_use_init();
    ChangeConsts(m_);
}

void MapWindow::read_constants_file() {
    first_use_init();
    if (const auto name = dialogs_.file_name(this, constants_file(FileRequest::open)))
        ReadConsts(m_, *name, messages_);
}

void MapWindow::write_constants_file() {
    first_use_init();
    if (const auto name = dialogs_.file_name(this, constants_file(FileRequest::save)))
        WriteConsts(m_, *name, messages_);
}

// The contest file's conditions, grain and dates set the runs; every run writes
// "scratch.mof" in the working directory.
void MapWindow::diddle_constants() {
    first_use_init();
    close_replay();
    FileRequest contest_request;
    contest_request.filter = qt_filter("Contest Data(*.PRP)|*.PRP");
    contest_request.default_ext = QStringLiteral("PRP");
    const auto contest = dialogs_.file_name(this, contest_request);
    if (!contest) return;
    FileRequest report_request;
    report_request.kind = FileRequest::save;
    report_request.filter = qt_filter("Report file(*.DID)|*.DID");
    report_request.default_ext = QStringLiteral("DID");
    const auto report_name = choose_report(report_request, {*contest});
    if (!report_name) return;

    // As the command line runs it: the contest file's grain and the dates its screens
    // span, 0:00 to 23:00 UTC. Its conditions, grain and dates stay in force afterwards;
    // the run settings keep their own times.
    RunSettings run = m_;
    ContestRun prepared = prepare_contest_run(run, *contest, ContestRunRequest{}, messages_);
    switch (prepared.status) {
        case ContestRunStatus::ready:
            break;
        case ContestRunStatus::no_grain:
            dialogs_.message(this, "Can't read the file grain", "ERROR");
            return;
        default:  // reported
            return;
    }
    const RunTimes own_times = run_times(m_);
    m_.settings() = run;
    m_.consts.start_time = own_times.start;
    m_.consts.stop_time = own_times.stop;
    m_.consts.step_time = own_times.step;
    bool refused = false;
    std::shared_ptr<Report> report = create_report(*report_name, refused);
    if (!report) {
        if (!refused) dialogs_.message(this, "Can't open report file", "ERROR");
        return;
    }

    start_sweep(0);
    start_work(
        [this, run, contest = std::move(prepared.contest), report] {
            DiddleConsts(run, contest, *report, "scratch.mof", default_jobs(), sweep_hooks_,
                         worker_messages_);
        },
        sweep_done(report));
}

}  // namespace skywave::gui
