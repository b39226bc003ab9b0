// Pictures of the screens: the one shown as a PNG, every screen of the file as one
// animated GIF, each as `skywave render` draws them.
#include <memory>

#include "base/messages.h"
#include "commands.h"
#include "control_bar.h"
#include "map/gif_io.h"
#include "map/png_io.h"
#include "map_window.h"

namespace skywave::gui {

namespace {

FileRequest picture_file(const char* filter, const char* ext) {
    FileRequest request;
    request.kind = FileRequest::save;
    request.filter = qt_filter(filter);
    request.default_ext = QString::fromLatin1(ext);
    request.confirm_overwrite = true;  // the save dialog asks before an existing file
    return request;
}

}  // namespace

void MapWindow::export_picture() {
    const auto name = choose_report(picture_file("PNG Picture (*.PNG)|*.PNG", "PNG"), {file_name_});
    if (!name) return;
    const SourceRect src = shown_source();
    std::string error;
    if (!write_png(*name, s_.Working, src.x, src.y, src.width, src.height, error))
        dialogs_.message(this, error, "ERROR WRITING OUTPUT");
}

// Every screen drawn in the view of the moment, on the worker thread with the
// progress bar; Stop leaves no picture.
void MapWindow::export_animation() {
    const auto name =
        choose_report(picture_file("GIF Animation (*.GIF)|*.GIF", "GIF"), {file_name_});
    if (!name) return;
    const ViewState view = bars_->View();
    const std::string file = replay_.file_name();
    auto model = std::make_shared<Model>();
    model->settings() = m_;
    const int screens = replay_.screen_count();
    abort_ = 0;
    bars_->StartCalcs();
    bars_->StartProgress(screens);
    start_work(
        [this, name = *name, view, file, model, screens] {
            ReplayFile replay;
            MessageLog quiet;
            if (!replay.open(file, *model, quiet)) {
                worker_messages_.show_message("Can't open the file", "ERROR", file);
                return;
            }
            std::string error;
            const GifOutcome outcome = write_replay_gif(
                name, replay, *model, view, screens, GifAnimation{}.delay_ms,
                [this] { return abort_.load() != 0; },
                [this, screens](int done, const std::string&) {
                    worker_.post([this, done, screens] {
                        if (bars_) bars_->SetProgress(done, screens);
                    });
                },
                error);
            if (outcome == GifOutcome::failed)
                worker_messages_.show_message(error, "ERROR WRITING OUTPUT");
        },
        [this] {
            if (!bars_) return;
            bars_->StopProgress();
            bars_->StopCalcs();
        });
}

}  // namespace skywave::gui
