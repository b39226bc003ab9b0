#include "map_window.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QTimerEvent>
#include <QUrl>
#include <cerrno>

#include "base/output_file.h"
#include "commands.h"
#include "control_bar.h"
#include "files/constants_file.h"
#include "map/legend.h"
#include "map/map_place.h"
#include "map/map_resources.h"

namespace skywave::gui {

MapWindow::MapWindow(DialogProvider& dialogs, QWidget* parent)
    : QWidget(parent),
      hooks_(
          worker_, [this] { return bars_; }, [this] { ExamineArrays(); }),
      abort_(hooks_.Abort),
      dialogs_(dialogs),
      messages_(dialogs, this),
      worker_messages_(worker_, dialogs, this),
      sweep_hooks_(
          worker_, [this] { return bars_; }, hooks_.Abort),
      commands_(command_table()) {
    setObjectName(QStringLiteral("SKYWINDOW"));
    // Painting covers the whole client area; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 100);
    // The read-out follows the mouse without a button pressed.
    setMouseTracking(true);
    connect(&hover_, &HoverModel::ready, this, [this] { show_read_out(); });
}

MapWindow::~MapWindow() {
    shut_down();
}

void MapWindow::attach_info(MapInfo* info) {
    info_ = info;
    connect(info, &MapInfo::screen_chosen, this, [this](int n) { show_screen(n); });
}

void MapWindow::attach_bars(ControlBar* bars) {
    bars_ = bars;
    destroyed_ = false;
    setAcceptDrops(true);
    working_font_ = working_font();
    const MapResources& res = map_resources();
    if (res.world.width() != kMapWidth || res.DrawBitmap[0].width() == 0 ||
        res.ExamBitmap[0].width() == 0)
        dialogs_.message(this, "Bitmap or device setup error", "SETUP ERROR!");
    DrawDisplay();
    update_commands();
    // A file named on the command line is shown at once.
    if (!file_name_.empty()) {
        open_replay();
        next_screen();
    }
}

void MapWindow::shut_down() {
    if (destroyed_) return;
    destroyed_ = true;
    abort_ = 1;
    // Work still going on ends at its next look at the stop flag; an examination lets it
    // go.
    worker_.close();
    if (examining_) end_examination();
    worker_.wait();
    if (replay_timer_) stop_auto_cycle();
    if (bars_) close_replay();
    setAcceptDrops(false);
}

// The Working font: Arial-like, bold, 40 pixels high (its width is set where it is
// drawn).
QFont MapWindow::working_font() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    int pixels = 40;
    font.setPixelSize(pixels);
    while (pixels > 10 && QFontMetrics(font).height() > 40)
        font.setPixelSize(--pixels);
    return font;
}

void MapWindow::new_file() {
    if (const auto name =
            dialogs_.file_name(this, prediction_file_request(FileRequest::save, true))) {
        close_replay();
        file_name_ = *name;  // the next run writes it; the dialog asked about replacing it
        confirmed_output_ = *name;
    }
}

void MapWindow::open_file() {
    const auto name = dialogs_.file_name(this, prediction_file_request(FileRequest::open));
    if (!name) return;
    file_name_ = *name;
    open_replay();
    if (file_is_open()) next_screen();
}

void MapWindow::save_file() {
    close_replay();
}

void MapWindow::exit_program() {
    shut_down();
    if (QWidget* frame = window(); frame != this) frame->close();
}

// The overlays and paths are switched on and off; of MOF, LOF, Other and of the three
// projections exactly one is checked.
void MapWindow::change_view(Command id) {
    switch (id) {
        case CM_VIEWMOF:
        case CM_VIEWLOF:
        case CM_VIEWOTHER:
            bars_->check_lines(id);
            break;
        case CM_VIEWRECT:
        case CM_VIEWPOLARN:
        case CM_VIEWPOLARQ:
            bars_->check_projection(id);
            break;
        default:
            bars_->toggle(id);
            break;
    }
    DrawDisplay();
}

void MapWindow::show_about() {
    dialogs_.about(this);
}

void MapWindow::DrawDisplay() {
    if (file_is_open() && !examining_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const ViewState view = bars_->View();
        bars_->SetTitle(skywave::DrawReplay(s_, m_, screen_, view));
        describe_screen(view);
        update();
        QApplication::restoreOverrideCursor();
    } else {
        DrawArray();
    }
}

// The strip under the map says what the screen shows and what its colours mean.
void MapWindow::describe_screen(const ViewState& view) {
    if (!info_) return;
    const int number = replay_.screen_number(), screens = replay_.screen_count();
    info_->set_caption(screen_caption(screen_, view, number, screens));
    if (view.lines == ViewState::other || (!view.short_path && !view.long_path))
        info_->show_array_levels({});
    else
        info_->show_levels(level_texts(m_.consts, view.lines), view);
    info_->set_screens(number, screens);
}

// The part of the picture shown. An examined array's legend lies below the map, so in
// a polar view too the examination shows the whole picture, and the legend is never
// cut off.
SourceRect MapWindow::shown_source() const {
    const ViewState view = bars_ ? bars_->View() : ViewState{};
    if (examining_ && view.projection != ViewState::rectangular) return {0, 0, 640, 445};
    return paint_source(view, examining_);
}

// The region of the window the picture takes: all of it, or with Keep Proportions the
// largest part of the picture's own shape, centred.
QRect MapWindow::picture_rect(const SourceRect& src) const {
    if (!bars_ || !bars_->is_checked(CM_VIEWKEEPPROPORTIONS)) return rect();
    const double scale = std::min(double(width()) / src.width, double(height()) / src.height);
    const int w = std::max(1, int(src.width * scale)), h = std::max(1, int(src.height * scale));
    return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

// The stored picture, its shown part scaled to the client area (the aspect is the
// window's). Shrinking combines pixels by OR, so thin bright lines survive.
void MapWindow::Paint() {
    QPainter painter(this);
    const SourceRect src = shown_source();
    const QRect target = picture_rect(src);
    if (target != rect()) painter.fillRect(rect(), Qt::black);
    const int w = target.width(), h = target.height();
    Surface part(src.width, src.height);
    part.blit(0, 0, src.width, src.height, s_.Working, src.x, src.y, RasterOp::copy);
    Surface shown(w, h);
    shown.stretch_blit(0, 0, w, h, part, RasterOp::copy, StretchMode::or_);
    const QImage image(reinterpret_cast<const uchar*>(shown.data()), w, h, w * 4,
                       QImage::Format_RGB32);
    painter.drawImage(target.topLeft(), image);
}

// The point of the 640 x 480 picture under a point of the window, if the picture is
// there.
std::optional<std::pair<int, int>> MapWindow::picture_point(QPoint at) const {
    const SourceRect src = shown_source();
    const QRect target = picture_rect(src);
    if (!target.contains(at)) return std::nullopt;
    return std::pair{src.x + (at.x() - target.x()) * src.width / target.width(),
                     src.y + (at.y() - target.y()) * src.height / target.height()};
}

std::string MapWindow::read_out_at(QPoint at) const {
    if (!file_is_open() || examining_ || !bars_) return {};
    const std::optional<std::pair<int, int>> point = picture_point(at);
    if (!point) return {};
    const ViewState view = bars_->View();
    const std::optional<MapPlace> place = place_at(m_, view, point->first, point->second);
    return place ? hover_.read_out(*place, screen_, view, m_.consts) : std::string();
}

void MapWindow::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    last_mouse_ = event->position().toPoint();
    show_read_out();
}

void MapWindow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (bars_) bars_->StatusBar->clearMessage();
}

void MapWindow::show_read_out() {
    if (!bars_ || !underMouse()) return;
    const std::string text = read_out_at(last_mouse_);
    if (text.empty())
        bars_->StatusBar->clearMessage();
    else
        bars_->StatusBar->showMessage(to_qstring(text));
}

void MapWindow::paintEvent(QPaintEvent*) {
    Paint();
}

// A new size shows the stored picture again; nothing is composed anew.
void MapWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    update();
}

void MapWindow::timerEvent(QTimerEvent* event) {
    auto_cycle_tick(event->timerId());
}

void MapWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!busy() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MapWindow::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    open_dropped_files(files);
}

void MapWindow::start_work(std::function<void()> job, std::function<void()> done) {
    const auto guarded = [this, job = std::move(job)] {
        try {
            job();
        } catch (const std::bad_alloc&) {
            // The work is given up; the window says so and goes on.
            worker_messages_.show_message("Not enough memory.", "MEMORY ERROR!");
        }
    };
    worker_.start(guarded, [this, done = std::move(done)] {
        done();
        update_commands();
    });
    update_commands();
}

// A sweep's runs report to the second status field; Stop and the progress bar are
// those of a run, the first field counts the runs.
void MapWindow::start_sweep(long planned_runs) {
    abort_ = 0;
    bars_->StartCalcs();
    bars_->TimeGadget->clear();
    bars_->SetStatus("");
    bars_->StartProgress(planned_runs);
}

std::function<void()> MapWindow::sweep_done(std::shared_ptr<Report> report) {
    return [this, report] {
        if (!report->close()) dialogs_.message(this, report->error_text(), "ERROR WRITING OUTPUT");
        if (!bars_) return;
        bars_->StopProgress();
        bars_->StopCalcs();
    };
}

void MapWindow::first_use_init() {
    skywave::first_use_init(m_, messages_);
}

}  // namespace skywave::gui
