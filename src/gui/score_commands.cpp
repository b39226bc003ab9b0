// The score commands: one prediction against one contest file (on the GUI thread,
// it only reads two files), and every contest file of a folder run and scored on the
// worker thread.
#include <filesystem>
#include <memory>

#include "base/report.h"
#include "control_bar.h"
#include "files/constants_file.h"
#include "files/prediction_file.h"
#include "map_window.h"
#include "tuning/score.h"
#include "tuning/score_multi.h"

namespace skywave::gui {

namespace {

FileRequest report_file() {
    FileRequest request;
    request.kind = FileRequest::save;
    request.filter = qt_filter("Report file(*.TXT)|*.TXT");
    request.default_ext = QStringLiteral("TXT");
    return request;
}

}  // namespace

void MapWindow::score_one_file() {
    if (!file_is_open()) {
        const auto name = dialogs_.file_name(this, prediction_file_request(FileRequest::open));
        if (!name) return;
        file_name_ = *name;
    }
    close_replay();
    FileRequest second;
    second.filter = qt_filter("Contest Data(*.PRP)|*.PRP|MOF Data Files (*.MOF)|*.MOF");
    second.default_ext = QStringLiteral("PRP");
    if (const auto compare = dialogs_.file_name(this, second)) {
        const auto report_name = dialogs_.file_name(this, report_file());
        bool refused = false;
        std::shared_ptr<Report> report;
        if (report_name) report = create_report(*report_name, {file_name_, *compare}, refused);
        if (report_name && !refused) {
            // Each file is read once; both are read in the first file's layout.
            FileText prediction = read_file_text(file_name_);
            if (const int grain = prediction.ok() ? detect_grain_text(prediction.text) : -1;
                grain > 0) {
                m_.consts.display_grain = float(grain);
                set_grain(m_.grid, m_.consts.display_grain);
            }
            // Without a report file the comparison still runs and shows its messages.
            score_texts(m_.grid, std::move(prediction), read_file_text(*compare), report.get(),
                        messages_);
            if (report) report->close();
        }
    }
    open_replay();
    if (file_is_open()) next_screen();
}

// Each contest file is run for its own conditions, grain and dates, with the run
// settings' times, writing "SCRATCH.MOF"; one report row per file.
void MapWindow::score_many_files() {
    first_use_init();
    FileRequest any;
    any.filter = qt_filter("Prop Files (*.PRP)|*.PRP");
    any.default_ext = QStringLiteral("PRP");
    const auto chosen = dialogs_.file_name(this, any);
    if (!chosen) return;
    std::string folder = std::filesystem::path(*chosen).parent_path().string();
    if (folder.empty()) folder = ".";
    close_replay();
    const std::vector<std::string> files = list_contest_files(folder);
    if (files.empty()) return;
    const auto report_name = dialogs_.file_name(this, report_file());
    if (!report_name) return;
    bool refused = false;
    std::shared_ptr<Report> report = create_report(*report_name, files, refused);
    if (!report) return;

    ScoreMultiOptions options;
    options.jobs = default_jobs();
    options.scratch = "SCRATCH.MOF";
    start_sweep(long(files.size()));
    start_work(
        [this, files, options, report] {
            score_multi(
                m_, files, options, [&](const std::string& text) { report->write(text); },
                sweep_hooks_, worker_messages_);
        },
        sweep_done(report));
}

}  // namespace skywave::gui
