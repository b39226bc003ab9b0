#include "gadgets.h"

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>
#include <algorithm>

#include "base/cformat.h"
#include "button_faces.h"
#include "commands.h"

namespace skywave::gui {

// A control-bar or status-bar item. Control-bar items are actions (a button or text
// field wrapped in a widget action, or a separator); status-bar items are widgets.
struct TMOFGadgets::Gadget {
    QString name;
    QAction* action = nullptr;
    QWidget* widget = nullptr;
    QSize face;  // a button's face, shown at its own size
};

int TMOFGadgets::Bar::find(const Gadget* g) const {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].first == g) return int(i);
    return -1;
}

void TMOFGadgets::Bar::insert(Gadget* g, int at) {
    if (const int i = find(g); i >= 0) {
        ++items[std::size_t(i)].second;
        return;
    }
    at = std::clamp(at, 0, int(items.size()));
    items.insert(items.begin() + at, {g, 1});
}

void TMOFGadgets::Bar::insert_after(Gadget* g, const Gadget* after) {
    const int i = find(after);
    insert(g, i < 0 ? int(items.size()) : i + 1);
}

void TMOFGadgets::Bar::remove(const Gadget* g) {
    const int i = find(g);
    if (i < 0) return;
    if (--items[std::size_t(i)].second <= 0) items.erase(items.begin() + i);
}

TMOFGadgets::TMOFGadgets(QMainWindow* F, std::function<void(int)> command)
    : QObject(F), Frame(F), command_(std::move(command)) {
    StatusBar = new QStatusBar(F);
    StatusBar->setSizeGripEnabled(true);
    ControlBar = new QToolBar(QStringLiteral("Control bar"), F);
    ControlBar->setObjectName(QStringLiteral("ControlBar"));
    ControlBar->setMovable(false);
    ControlBar->setFloatable(false);
    ControlBar->setContextMenuPolicy(Qt::PreventContextMenu);
    QFont font = ControlBar->font();
    font.setPointSize(10);
    font.setBold(false);
    font.setItalic(false);
    ControlBar->setFont(font);
    ControlBar->setIconSize(QSize(100, 20));

    about_ = button(CM_HELPABOUT, "About", HelpAboutButton);
    open_ = button(CM_FILEOPEN, "Open", FileOpenButton);
    save_ = button(CM_FILESAVE, "Save", FileSaveButton);
    next_ = button(CM_REPLAYNEXT, "Next", ReplayNextButton);
    auto_ = button(CM_REPLAYAUTO, "Auto Cycle", ReplayAutoButton);
    stop_ = button(CM_REPLAYSTOP, "Auto Stop", ReplayStopButton);
    exam_next_ = button(CM_EXAMNEXT, "Exam Another Array", ExamNextButton);
    calc_stop_ = button(CM_CALCSTOP, "Calc Stop", CalcStopButton);

    counter_ = text_gadget("counter", 5, true, CounterGadget);
    time_ = text_gadget("time", 10, false, TimeGadget);
    status_ = text_gadget("status", 40, false, StatusGadget);
    status2_ = text_gadget("status2", 20, false, StatusGadget2);
    title_ = text_gadget("title", 25, false, TitleGadget);

    ProgressGadget = new QProgressBar(StatusBar);
    ProgressGadget->setFixedWidth(160);
    ProgressGadget->setTextVisible(true);
    ProgressGadget->hide();
    progress_ = new Gadget{QStringLiteral("progress"), nullptr, ProgressGadget, {}};
    gadgets_.push_back(progress_);

    for (Gadget** sep : {&sep1_, &sep2_}) {
        auto* a = new QAction(this);
        a->setSeparator(true);
        *sep = new Gadget{QStringLiteral("|"), a, nullptr, {}};
        gadgets_.push_back(*sep);
    }

    control_.append(open_);
    control_.append(sep1_);
    control_.append(about_);
    control_.append(sep2_);
    F->setStatusBar(StatusBar);
    F->addToolBar(Qt::TopToolBarArea, ControlBar);
    redraw_control_bar();
    redraw_status_bar();
}

TMOFGadgets::~TMOFGadgets() {
    for (Gadget* g : gadgets_)
        delete g;
}

TMOFGadgets::Gadget* TMOFGadgets::button(int command, const char* name, QAction*& action) {
    action = new QAction(QString::fromUtf8(name), this);
    const QPixmap face = button_face(command);
    action->setIcon(QIcon(face));
    action->setData(command);
    action->setStatusTip(QString::fromUtf8(command_hint(command)));
    connect(action, &QAction::triggered, this, [this, action] { command_(command_of(action)); });

    auto* tool = new QToolButton;
    tool->setObjectName(QString::fromUtf8(name));
    tool->setDefaultAction(action);
    tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tool->setAutoRaise(false);
    auto* holder = new QWidgetAction(this);
    holder->setDefaultWidget(tool);
    auto* g = new Gadget{QString::fromUtf8(name), holder, tool, face.size()};
    gadgets_.push_back(g);
    return g;
}

TMOFGadgets::Gadget* TMOFGadgets::text_gadget(const char* name, int chars, bool right,
                                              QLabel*& label) {
    label = new QLabel;
    label->setObjectName(QString::fromUtf8(name));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    const QFontMetrics fm(label->font());
    label->setMinimumWidth(fm.averageCharWidth() * chars + 2 * label->frameWidth() + 6);
    auto* g = new Gadget{QString::fromUtf8(name), nullptr, label, {}};
    // Title and counter sit in the control bar; the others in the status bar.
    if (std::string(name) == "title" || std::string(name) == "counter") {
        auto* holder = new QWidgetAction(this);
        holder->setDefaultWidget(label);
        g->action = holder;
    } else {
        label->setParent(StatusBar);
        label->hide();
    }
    gadgets_.push_back(g);
    return g;
}

int TMOFGadgets::checked(int id) const {
    const QAction* a = Menu ? find_command(Menu, id) : nullptr;
    return a && a->isChecked() ? 8 : 0;
}

int TMOFGadgets::toggle(int id) {
    if (QAction* a = Menu ? find_command(Menu, id) : nullptr) a->setChecked(!a->isChecked());
    return checked(id);
}

void TMOFGadgets::check_one_of(int first, int which) {
    for (int id = first; id < first + 3; ++id)
        if (QAction* a = Menu ? find_command(Menu, id) : nullptr) a->setChecked(false);
    if (QAction* a = Menu ? find_command(Menu, which) : nullptr) a->setChecked(true);
}

int TMOFGadgets::CheckMOFLOFOther(int which) {
    check_one_of(CM_VIEWMOF, which);
    return 1;
}

int TMOFGadgets::CheckRectPolar(int which) {
    check_one_of(CM_VIEWRECT, which);
    return 1;
}

ViewState TMOFGadgets::View() const {
    ViewState v;
    v.map = IsViewMapChecked() != 0;
    v.qth = IsViewQTHChecked() != 0;
    v.sun = IsViewSunChecked() != 0;
    v.great_circles = IsViewPathsChecked() != 0;
    v.lines = IsViewMOFChecked()   ? ViewState::mof
              : IsViewLOFChecked() ? ViewState::lof
                                   : ViewState::other;
    v.short_path = IsViewShortChecked() != 0;
    v.long_path = IsViewLongChecked() != 0;
    v.projection = IsViewPolarChecked() ? ViewState::polar_north
                   : IsViewGCChecked()  ? ViewState::polar_qth
                                        : ViewState::rectangular;
    return v;
}

void TMOFGadgets::SetCounter(int time) {
    CounterGadget->setText(QString::fromStdString(cformat("%5d", time)));
}

void TMOFGadgets::SetTime(float time) {
    TimeGadget->setText(QString::fromStdString(cformat("TIME= %5.2fZ         ", double(time))));
}

void TMOFGadgets::SetStatus(const std::string& text) {
    StatusGadget->setText(QString::fromStdString(text));
}
void TMOFGadgets::SetStatus2(const std::string& text) {
    StatusGadget2->setText(QString::fromStdString(text));
}
void TMOFGadgets::SetTitle(const std::string& text) {
    TitleGadget->setText(QString::fromStdString(text));
}

// A changing menu item keeps its place; afterwards it is found under its new id.
void TMOFGadgets::change_item(int id, int new_id, const char* text) {
    QAction* a = Menu ? find_command(Menu, id) : nullptr;
    if (!a) return;
    a->setData(new_id);
    a->setText(QString::fromUtf8(text));
    a->setStatusTip(QString::fromUtf8(command_hint(new_id)));
}

void TMOFGadgets::FileOpened() {
    control_.remove(open_);
    control_.insert_front(save_);
    control_.append(next_);
    control_.append(auto_);
    control_.append(title_);
    redraw_control_bar();
}

void TMOFGadgets::FileClosed() {
    control_.remove(auto_);
    control_.remove(next_);
    control_.remove(save_);
    control_.remove(title_);
    control_.insert_front(open_);
    redraw_control_bar();
}

void TMOFGadgets::StartAutoReplay() {
    change_item(CM_REPLAYAUTO, CM_REPLAYSTOP, "&Auto Stop");
    control_.remove(auto_);
    control_.insert_after(stop_, next_);
    control_.insert_after(counter_, stop_);
    redraw_control_bar();
}

void TMOFGadgets::StopAutoReplay() {
    change_item(CM_REPLAYSTOP, CM_REPLAYAUTO, "&Auto Cycle");
    control_.remove(stop_);
    control_.remove(counter_);
    control_.insert_after(auto_, next_);
    redraw_control_bar();
}

void TMOFGadgets::StartCalcs() {
    change_item(CM_CALCSTART, CM_CALCSTOP, "Calc &Stop");
    control_.append(calc_stop_);
    status_bar_.append(time_);
    status_bar_.append(status_);
    redraw_control_bar();
    redraw_status_bar();
}

void TMOFGadgets::StopCalcs() {
    status_bar_.remove(status_);
    status_bar_.remove(time_);
    change_item(CM_CALCSTOP, CM_CALCSTART, "Calc &Start");
    control_.remove(calc_stop_);
    redraw_control_bar();
    redraw_status_bar();
}

void TMOFGadgets::StartExamine() {
    control_.append(exam_next_);
    control_.append(title_);
    redraw_control_bar();
}

void TMOFGadgets::StopExamine() {
    control_.remove(exam_next_);
    control_.remove(title_);
    redraw_control_bar();
}

void TMOFGadgets::StartDiddle() {
    status_bar_.append(status2_);
    redraw_status_bar();
}

void TMOFGadgets::StopDiddle() {
    status_bar_.remove(status2_);
    redraw_status_bar();
}

void TMOFGadgets::StartProgress(long total) {
    SetProgress(0, total);
    status_bar_.append(progress_);
    redraw_status_bar();
}

void TMOFGadgets::SetProgress(long done, long total) {
    // A bar counts in int; very long runs are shown in proportion.
    const long scale = total > 1'000'000 ? total / 1'000'000 + 1 : 1;
    ProgressGadget->setRange(0, int(total / scale));
    ProgressGadget->setValue(int(std::min(done, total > 0 ? total : done) / scale));
}

void TMOFGadgets::StopProgress() {
    status_bar_.remove(progress_);
    redraw_status_bar();
}

void TMOFGadgets::UpdateCommands(const std::function<bool(int)>& enabled) {
    const std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
        for (QAction* a : actions) {
            if (a->menu())
                walk(a->menu()->actions());
            else if (const int id = command_of(a))
                a->setEnabled(enabled(id));
        }
    };
    if (Menu) walk(Menu->actions());
    for (QAction* b : {HelpAboutButton, FileSaveButton, FileOpenButton, ReplayNextButton,
                       ReplayAutoButton, ReplayStopButton, CalcStopButton, ExamNextButton})
        b->setEnabled(enabled(command_of(b)));
}

void TMOFGadgets::redraw_control_bar() {
    ControlBar->clear();
    for (const auto& item : control_.items) {
        Gadget* g = item.first;
        ControlBar->addAction(g->action);
        // A tool bar gives all its buttons its icon size (the widest face); each button
        // is as wide as its own face.
        if (auto* tool = qobject_cast<QToolButton*>(g->widget))
            tool->setFixedSize(g->face + QSize(8, 8));
        if (g->widget) g->widget->show();
    }
    ControlBar->update();
}

void TMOFGadgets::redraw_status_bar() {
    for (Gadget* g : {time_, status_, status2_, progress_})
        StatusBar->removeWidget(g->widget);
    for (const auto& item : status_bar_.items) {
        StatusBar->addPermanentWidget(item.first->widget);
        item.first->widget->show();
    }
}

QStringList TMOFGadgets::ControlBarGadgets() const {
    QStringList names;
    for (const auto& item : control_.items)
        names << item.first->name;
    return names;
}

QStringList TMOFGadgets::StatusBarGadgets() const {
    QStringList names;
    for (const auto& item : status_bar_.items)
        names << item.first->name;
    return names;
}

QAction* TMOFGadgets::Button(int command) const {
    for (QAction* b : {HelpAboutButton, FileSaveButton, FileOpenButton, ReplayNextButton,
                       ReplayAutoButton, ReplayStopButton, CalcStopButton, ExamNextButton})
        if (command_of(b) == command) return b;
    return nullptr;
}

}  // namespace skywave::gui
