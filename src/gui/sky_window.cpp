#include "sky_window.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QTimerEvent>
#include <QUrl>

#include "commands.h"
#include "files/constants_file.h"
#include "gadgets.h"
#include "map/map_resources.h"

namespace skywave::gui {

TSkyWindow::TSkyWindow(DialogProvider& dialogs, QWidget* parent)
    : QWidget(parent),
      hooks_(
          worker_, [this] { return Gadgets; }, [this] { ExamineArrays(); }),
      Abort(hooks_.Abort),
      dialogs_(dialogs),
      messages_(dialogs, this),
      worker_messages_(worker_, dialogs, this),
      sweep_hooks_(
          worker_, [this] { return Gadgets; }, hooks_.Abort) {
    setObjectName(QStringLiteral("SKYWINDOW"));
    // Painting covers the whole client area; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 100);
}

TSkyWindow::~TSkyWindow() {
    Destroy(0);
}

void TSkyWindow::SetupWindow(TMOFGadgets* gadgets) {
    Gadgets = gadgets;
    Destroyed = 0;
    setAcceptDrops(true);
    WorkingFont = working_font();
    const MapResources& res = map_resources();
    if (res.world.width() != kMapWidth || res.DrawBitmap[0].width() == 0 ||
        res.ExamBitmap[0].width() == 0)
        dialogs_.message(this, "Bitmap or device setup error", "SETUP ERROR!");
    DrawDisplay();
    UpdateCommands();
    // A file named on the command line is shown at once.
    if (!file_name_.empty()) {
        OpenAFile();
        CMReplayNext();
    }
}

void TSkyWindow::Destroy(int) {
    if (Destroyed) return;
    Destroyed = 1;
    Abort = 1;
    // Work still going on ends at its next look at Abort; an examination lets it go.
    worker_.close();
    if (ExamNext) end_examination();
    worker_.wait();
    if (ReplayTimerID) CMReplayStop();
    if (Gadgets) CloseFile();
    setAcceptDrops(false);
}

// The Working font: Arial-like, bold, 40 pixels high (its width is set where it is
// drawn).
QFont TSkyWindow::working_font() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    int pixels = 40;
    font.setPixelSize(pixels);
    while (pixels > 10 && QFontMetrics(font).height() > 40)
        font.setPixelSize(--pixels);
    return font;
}

bool TSkyWindow::CommandEnabled(int id) const {
    switch (id) {
        case CM_FILESAVEAS:
        case CM_FILEPRINT:
        case CM_FILEPAGESET:
        case CM_FILEPRINTSET:
        case CM_EDITCUT:
        case CM_EDITCOPY:
        case CM_EDITPASTE:
            return false;
        // These change the grid, the constants or the file a run writes.
        case CM_FILENEW:
        case CM_FILEOPEN:
        case CM_FILESAVE:
        case CM_CALCSTART:
        case CM_CALCINIT:
        case CM_CALCCDEFAULT:
        case CM_CALCCCHANGE:
        case CM_CALCCDIDDLE:
        case CM_CALCCOPEN:
        case CM_CALCCWRITE:
        case CM_CALCSCORE:
        case CM_CALCSCOREMULTI:
            return !Busy();
        case CM_CALCSTOP:
            return m_.CalcInitDone != 0;
        case CM_EXAMNEXT:
            return ExamNext != 0;
        case CM_REPLAYNEXT:
        case CM_REPLAYAUTO:
        case CM_REPLAYSTOP:
            return FileIsOpen();
        default:
            // The View items redraw a replayed screen, or an examined array.
            if (id >= CM_VIEWMAP && id <= CM_VIEWPOLARQ) return FileIsOpen() || ExamNext != 0;
            return true;
    }
}

void TSkyWindow::UpdateCommands() {
    if (Gadgets) Gadgets->UpdateCommands([this](int id) { return CommandEnabled(id); });
}

void TSkyWindow::Command(int id) {
    if (!CommandEnabled(id)) return;
    switch (id) {
        case CM_FILENEW:
            CMFileNew();
            break;
        case CM_FILEOPEN:
            CMFileOpen();
            break;
        case CM_FILESAVE:
            CMFileSave();
            break;
        case CM_FILEEXIT:
            CMFileExit();
            return;
        case CM_CALCSTART:
            CMCalcStart();
            break;
        case CM_CALCSTOP:
            CMCalcStop();
            break;
        case CM_CALCCVIEW:
            CMCalcCView();
            break;
        case CM_CALCCHANGECONST:
            CMCalcChangeConst();
            break;
        case CM_EXAMNEXT:
            NextExamine();
            break;
        case CM_CALCSCORE:
            CMCalcScore();
            break;
        case CM_CALCSCOREMULTI:
            CMCalcScoreMulti();
            break;
        case CM_CALCINIT:
            CMCalcInit();
            break;
        case CM_CALCCDEFAULT:
            CMCalcCDefault();
            break;
        case CM_CALCCCHANGE:
            CMCalcCChange();
            break;
        case CM_CALCCDIDDLE:
            CMCalcCDiddle();
            break;
        case CM_CALCCOPEN:
            CMCalcCOpen();
            break;
        case CM_CALCCWRITE:
            CMCalcCWrite();
            break;
        case CM_REPLAYNEXT:
            CMReplayNext();
            break;
        case CM_REPLAYAUTO:
            CMReplayAuto();
            break;
        case CM_REPLAYSTOP:
            CMReplayStop();
            break;
        case CM_HELPINDEX:
            dialogs_.message(this, "", "help index");
            break;
        case CM_HELPKEYBOARD:
            dialogs_.message(this, "", "help keyboard");
            break;
        case CM_HELPCOMMANDS:
            dialogs_.message(this, "", "help commands");
            break;
        case CM_HELPPROCEDURES:
            dialogs_.message(this, "", "help procedures");
            break;
        case CM_HELPUSING:
            dialogs_.message(this, "", "help using");
            break;
        case CM_HELPABOUT:
            CMHelpAbout();
            break;
        default:
            if (id >= CM_VIEWMAP && id <= CM_VIEWPOLARQ) ViewCommand(id);
            break;
    }
    UpdateCommands();
}

void TSkyWindow::CMFileNew() {
    if (const auto name =
            dialogs_.file_name(this, prediction_file_request(FileRequest::save, true))) {
        CloseFile();
        file_name_ = *name;  // the next run writes it
    }
}

void TSkyWindow::CMFileOpen() {
    const auto name = dialogs_.file_name(this, prediction_file_request(FileRequest::open));
    if (!name) return;
    file_name_ = *name;
    OpenAFile();
    if (FileIsOpen()) CMReplayNext();
}

void TSkyWindow::CMFileSave() {
    CloseFile();
}

void TSkyWindow::CMFileExit() {
    Destroy(0);
    if (QWidget* frame = window(); frame != this) frame->close();
}

void TSkyWindow::ViewCommand(int id) {
    switch (id) {
        case CM_VIEWMAP:
            Gadgets->ToggleViewMap();
            break;
        case CM_VIEWQTH:
            Gadgets->ToggleViewQTH();
            break;
        case CM_VIEWSUN:
            Gadgets->ToggleViewSun();
            break;
        case CM_VIEWGREATC:
            Gadgets->ToggleViewPaths();
            break;
        case CM_VIEWSHORT:
            Gadgets->ToggleViewShort();
            break;
        case CM_VIEWLONG:
            Gadgets->ToggleViewLong();
            break;
        case CM_VIEWMOF:
        case CM_VIEWLOF:
        case CM_VIEWOTHER:
            Gadgets->CheckMOFLOFOther(id);
            break;
        default:
            Gadgets->CheckRectPolar(id);
            break;
    }
    DrawDisplay();
}

void TSkyWindow::CMHelpAbout() {
    dialogs_.about(this);
}

void TSkyWindow::DrawDisplay() {
    if (FileIsOpen() && ExamNext == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Gadgets->SetTitle(skywave::DrawReplay(s_, m_, ScreenBuff, Gadgets->View()));
        update();
        QApplication::restoreOverrideCursor();
    } else {
        DrawArray();
    }
}

// The stored picture, its shown part scaled to the client area (the aspect is the
// window's). Shrinking combines pixels by OR, so thin bright lines survive.
void TSkyWindow::Paint() {
    QPainter painter(this);
    const SourceRect src = paint_source(Gadgets ? Gadgets->View() : ViewState{}, ExamNext != 0);
    const int w = width(), h = height();
    Surface part(src.width, src.height);
    part.blit(0, 0, src.width, src.height, s_.Working, src.x, src.y, RasterOp::copy);
    Surface shown(w, h);
    shown.stretch_blit(0, 0, w, h, part, RasterOp::copy, StretchMode::or_);
    const QImage image(reinterpret_cast<const uchar*>(shown.data()), w, h, w * 4,
                       QImage::Format_RGB32);
    painter.drawImage(0, 0, image);
}

void TSkyWindow::paintEvent(QPaintEvent*) {
    Paint();
}

// A new size shows the stored picture again; nothing is composed anew.
void TSkyWindow::EvSize() {
    update();
}

void TSkyWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    EvSize();
}

void TSkyWindow::timerEvent(QTimerEvent* event) {
    EvTimer(event->timerId());
}

void TSkyWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!Busy() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TSkyWindow::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    EvDropFiles(files);
}

void TSkyWindow::start_work(std::function<void()> job, std::function<void()> done) {
    worker_.start(std::move(job), [this, done = std::move(done)] {
        done();
        UpdateCommands();
    });
    UpdateCommands();
}

// A sweep's runs report to the second status field; Stop and the progress bar are
// those of a run, the first field counts the runs.
void TSkyWindow::start_sweep(long planned_runs) {
    Abort = 0;
    Gadgets->StartCalcs();
    Gadgets->TimeGadget->clear();
    Gadgets->SetStatus("");
    Gadgets->StartProgress(planned_runs);
}

std::function<void()> TSkyWindow::sweep_done(std::shared_ptr<Report> report) {
    return [this, report] {
        if (!report->close()) dialogs_.message(this, report->error_text(), "ERROR WRITING OUTPUT");
        if (!Gadgets) return;
        Gadgets->StopProgress();
        Gadgets->StopCalcs();
    };
}

void TSkyWindow::first_use_init() {
    skywave::first_use_init(m_, messages_);
}

}  // namespace skywave::gui
