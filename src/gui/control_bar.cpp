#include "control_bar.h"

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
#include "dialog_provider.h"

namespace skywave::gui {

// A control-bar or status-bar item. Control-bar items are actions (a button or text
// field wrapped in a widget action, or a separator); status-bar items are widgets.
struct ControlBar::Gadget {
    QString name;
    QAction* action = nullptr;
    QWidget* widget = nullptr;
    QSize face;  // a button's face, shown at its own size
};

int ControlBar::Bar::find(const Gadget* g) const {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].first == g) return int(i);
    return -1;
}

void ControlBar::Bar::insert(Gadget* g, int at) {
    if (const int i = find(g); i >= 0) {
        ++items[std::size_t(i)].second;
        return;
    }
    at = std::clamp(at, 0, int(items.size()));
    items.insert(items.begin() + at, {g, 1});
}

void ControlBar::Bar::insert_after(Gadget* g, const Gadget* after) {
    const int i = find(after);
    insert(g, i < 0 ? int(items.size()) : i + 1);
}

void ControlBar::Bar::remove(const Gadget* g) {
    const int i = find(g);
    if (i < 0) return;
    if (--items[std::size_t(i)].second <= 0) items.erase(items.begin() + i);
}

ControlBar::ControlBar(QMainWindow* F, std::function<void(int)> command)
    : QObject(F), Frame(F), command_(std::move(command)) {
    StatusBar = new QStatusBar(F);
    StatusBar->setSizeGripEnabled(true);
    ToolBar = new QToolBar(QStringLiteral("Control bar"), F);
    ToolBar->setObjectName(QStringLiteral("ControlBar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    QFont font = ToolBar->font();
    font.setPointSize(10);
    font.setBold(false);
    font.setItalic(false);
    ToolBar->setFont(font);
    ToolBar->setIconSize(QSize(100, 20));

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
    F->addToolBar(Qt::TopToolBarArea, ToolBar);
    redraw_control_bar();
    redraw_status_bar();
}

ControlBar::~ControlBar() {
    for (Gadget* g : gadgets_)
        delete g;
}

ControlBar::Gadget* ControlBar::button(int command, const char* name, QAction*& action) {
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

ControlBar::Gadget* ControlBar::text_gadget(const char* name, int chars, bool right,
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

bool ControlBar::is_checked(Command id) const {
    const QAction* a = Menu ? find_command(Menu, id) : nullptr;
    return a && a->isChecked();
}

bool ControlBar::toggle(Command id) {
    if (QAction* a = Menu ? find_command(Menu, id) : nullptr) a->setChecked(!a->isChecked());
    return is_checked(id);
}

void ControlBar::check_one_of(Command first, Command which) {
    for (int id = first; id < first + 3; ++id)
        if (QAction* a = Menu ? find_command(Menu, id) : nullptr) a->setChecked(false);
    if (QAction* a = Menu ? find_command(Menu, which) : nullptr) a->setChecked(true);
}

void ControlBar::check_lines(Command which) {
    check_one_of(CM_VIEWMOF, which);
}

void ControlBar::check_projection(Command which) {
    check_one_of(CM_VIEWRECT, which);
}

ViewState ControlBar::View() const {
    ViewState v;
    v.map = is_checked(CM_VIEWMAP);
    v.qth = is_checked(CM_VIEWQTH);
    v.sun = is_checked(CM_VIEWSUN);
    v.great_circles = is_checked(CM_VIEWGREATC);
    v.lines = is_checked(CM_VIEWMOF)   ? ViewState::mof
              : is_checked(CM_VIEWLOF) ? ViewState::lof
                                       : ViewState::other;
    v.short_path = is_checked(CM_VIEWSHORT);
    v.long_path = is_checked(CM_VIEWLONG);
    v.projection = is_checked(CM_VIEWPOLARN)   ? ViewState::polar_north
                   : is_checked(CM_VIEWPOLARQ) ? ViewState::polar_qth
                                               : ViewState::rectangular;
    return v;
}

void ControlBar::SetCounter(int time) {
    CounterGadget->setText(QString::fromStdString(cformat("%5d", time)));
}

void ControlBar::SetTime(float time) {
    TimeGadget->setText(QString::fromStdString(cformat("TIME= %5.2fZ         ", double(time))));
}

void ControlBar::SetStatus(const std::string& text) {
    StatusGadget->setText(to_qstring(text));
}
void ControlBar::SetStatus2(const std::string& text) {
    StatusGadget2->setText(to_qstring(text));
}
void ControlBar::SetTitle(const std::string& text) {
    TitleGadget->setText(to_qstring(text));
}

// A changing menu item keeps its place; afterwards it is found under its new id.
void ControlBar::change_item(int id, int new_id, const char* text) {
    QAction* a = Menu ? find_command(Menu, id) : nullptr;
    if (!a) return;
    a->setData(new_id);
    a->setText(QString::fromUtf8(text));
    a->setStatusTip(QString::fromUtf8(command_hint(new_id)));
}

void ControlBar::FileOpened() {
    control_.remove(open_);
    control_.insert_front(save_);
    control_.append(next_);
    control_.append(auto_);
    control_.append(title_);
    redraw_control_bar();
}

void ControlBar::FileClosed() {
    control_.remove(auto_);
    control_.remove(next_);
    control_.remove(save_);
    control_.remove(title_);
    control_.insert_front(open_);
    redraw_control_bar();
}

void ControlBar::StartAutoReplay() {
    change_item(CM_REPLAYAUTO, CM_REPLAYSTOP, "&Auto Stop");
    control_.remove(auto_);
    control_.insert_after(stop_, next_);
    control_.insert_after(counter_, stop_);
    redraw_control_bar();
}

void ControlBar::StopAutoReplay() {
    change_item(CM_REPLAYSTOP, CM_REPLAYAUTO, "&Auto Cycle");
    control_.remove(stop_);
    control_.remove(counter_);
    control_.insert_after(auto_, next_);
    redraw_control_bar();
}

void ControlBar::StartCalcs() {
    change_item(CM_CALCSTART, CM_CALCSTOP, "Calc &Stop");
    control_.append(calc_stop_);
    status_bar_.append(time_);
    status_bar_.append(status_);
    redraw_control_bar();
    redraw_status_bar();
}

void ControlBar::StopCalcs() {
    status_bar_.remove(status_);
    status_bar_.remove(time_);
    change_item(CM_CALCSTOP, CM_CALCSTART, "Calc &Start");
    control_.remove(calc_stop_);
    redraw_control_bar();
    redraw_status_bar();
}

void ControlBar::StartExamine() {
    control_.append(exam_next_);
    control_.append(title_);
    redraw_control_bar();
}

void ControlBar::StopExamine() {
    control_.remove(exam_next_);
    control_.remove(title_);
    redraw_control_bar();
}

void ControlBar::sweep_started() {
    status_bar_.append(status2_);
    redraw_status_bar();
}

void ControlBar::sweep_ended() {
    status_bar_.remove(status2_);
    redraw_status_bar();
}

void ControlBar::StartProgress(long total) {
    SetProgress(0, total);
    status_bar_.append(progress_);
    redraw_status_bar();
}

void ControlBar::SetProgress(long done, long total) {
    // A bar counts in int; very long runs are shown in proportion.
    const long scale = total > 1'000'000 ? total / 1'000'000 + 1 : 1;
    ProgressGadget->setRange(0, int(total / scale));
    ProgressGadget->setValue(int(std::min(done, total > 0 ? total : done) / scale));
}

void ControlBar::StopProgress() {
    status_bar_.remove(progress_);
    redraw_status_bar();
}

void ControlBar::enable_commands(const std::function<bool(int)>& enabled) {
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

void ControlBar::redraw_control_bar() {
    ToolBar->clear();
    for (const auto& item : control_.items) {
        Gadget* g = item.first;
        ToolBar->addAction(g->action);
        // A tool bar gives all its buttons its icon size (the widest face); each button
        // is as wide as its own face.
        if (auto* tool = qobject_cast<QToolButton*>(g->widget))
            tool->setFixedSize(g->face + QSize(8, 8));
        if (g->widget) g->widget->show();
    }
    ToolBar->update();
}

void ControlBar::redraw_status_bar() {
    for (Gadget* g : {time_, status_, status2_, progress_})
        StatusBar->removeWidget(g->widget);
    for (const auto& item : status_bar_.items) {
        StatusBar->addPermanentWidget(item.first->widget);
        item.first->widget->show();
    }
}

QStringList ControlBar::control_items() const {
    QStringList names;
    for (const auto& item : control_.items)
        names << item.first->name;
    return names;
}

QStringList ControlBar::status_items() const {
    QStringList names;
    for (const auto& item : status_bar_.items)
        names << item.first->name;
    return names;
}

QAction* ControlBar::Button(int command) const {
    for (QAction* b : {HelpAboutButton, FileSaveButton, FileOpenButton, ReplayNextButton,
                       ReplayAutoButton, ReplayStopButton, CalcStopButton, ExamNextButton})
        if (command_of(b) == command) return b;
    return nullptr;
}

}  // namespace skywave::gui
