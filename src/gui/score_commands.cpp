// The score commands: one prediction against one contest file (on the GUI thread,
// it only reads two files), and every contest file of a folder run and scored on the
// worker thread.
#include <algorithm>
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

// The comparison reads both files once and runs on the worker thread, with the
// progress bar; afterwards the first file is on the map again.
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
    const auto compare = dialogs_.file_name(this, second);
    const auto report_name =
        compare ? choose_report(report_file(), {file_name_, *compare}) : std::nullopt;
    bool refused = false;
    std::shared_ptr<Report> report = report_name ? create_report(*report_name, refused) : nullptr;
    if (!report_name || refused) {
        open_replay();
        if (file_is_open()) next_screen();
        return;
    }
    // Both files are read in the first file's layout.
    FileText prediction = read_file_text(file_name_);
    if (const int grain = prediction.ok() ? detect_grain_text(prediction.text) : -1; grain > 0) {
        m_.consts.display_grain = float(grain);
        set_grain(m_.grid, m_.consts.display_grain);
    }
    const long lines = long(std::count(prediction.text.begin(), prediction.text.end(), '\n'));
    const long screens = lines / std::max(1, 1 + 5 * m_.grid.out_rows);
    abort_ = 0;
    bars_->StartCalcs();
    bars_->StartProgress(screens);
    start_work(
        [this, prediction = std::move(prediction), compare = *compare, report, screens]() mutable {
            // Without a report file the comparison still runs and shows its messages.
            score_texts(m_.grid, std::move(prediction), read_file_text(compare), report.get(),
                        worker_messages_, [this, screens](long done) {
                            worker_.post([this, done, screens] {
                                if (bars_) bars_->SetProgress(done, screens);
                            });
                        });
        },
        [this, report] {
            if (report) report->close();
            if (bars_) {
                bars_->StopProgress();
                bars_->StopCalcs();
            }
            if (destroyed_) return;
            open_replay();
            if (file_is_open()) next_screen();
        });
}

// Each contest file is run as the command line runs it: its own conditions, grain and
// the dates its screens span, 0:00 to 23:00 UTC, writing "SCRATCH.MOF"; one report row
// per file.
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
    const auto report_name = choose_report(report_file(), files);
    if (!report_name) return;
    bool refused = false;
    std::shared_ptr<Report> report = create_report(*report_name, refused);
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
