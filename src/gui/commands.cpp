#include "commands.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <initializer_list>
#include <utility>

namespace skywave::gui {

namespace {

struct Hint {
    int id;
    const char* text;
};

constexpr Hint kHints[] = {
    {CM_FILENEW, " "},
    {CM_FILEOPEN, "Open a MOF data file."},
    {CM_FILESAVE, "Save current data file."},
    {CM_FILESAVEAS, " "},
    {CM_FILEPRINT, " "},
    {CM_FILEPAGESET, " "},
    {CM_FILEPRINTSET, " "},
    {CM_FILEEXIT, "Exit from program."},
    {CM_EDITCUT, " "},
    {CM_EDITCOPY, " "},
    {CM_EDITPASTE, " "},
    {CM_CALCSTART, " Start Calculations"},
    {CM_CALCSTOP, "Stop Calculation in progress"},
    {CM_CALCCVIEW, "Enable examining intermediate calculation values"},
    {CM_CALCCHANGECONST, "Enable changing constants after every calculation loop."},
    {CM_EXAMNEXT, "Examine another calculation result"},
    {CM_CALCSCORE, "Score comparison between files."},
    {CM_CALCSCOREMULTI, "Score Comparison Between Multiple Files"},
    {CM_CALCINIT, "Initialize Calculations"},
    {CM_CALCCDEFAULT, "Reset Default Constants"},
    {CM_CALCCCHANGE, "Change Constants"},
    {CM_CALCCDIDDLE, "Vary values of constants and create score report"},
    {CM_CALCCOPEN, "Open and read a constants file"},
    {CM_CALCCWRITE, "Write current constants to a file"},
    {CM_VIEWMAP, "View or remove backround map. "},
    {CM_VIEWQTH, "Show or remove your QTH marker. "},
    {CM_VIEWSUN, "Show or remove the sun rise/set lines. "},
    {CM_VIEWGREATC, "Show or remove great circle lines. "},
    {CM_VIEWMOF, "Show or remove MOF display. "},
    {CM_VIEWLOF, "Show or remove LOF display. "},
    {CM_VIEWOTHER, " "},
    {CM_VIEWSHORT, "Show or remove short path display."},
    {CM_VIEWLONG, "Show or remove long path display."},
    {CM_VIEWRECT, "Display in rectangular format."},
    {CM_VIEWPOLARN, "Display from North Pole perspective."},
    {CM_VIEWPOLARQ, "Display with your QTH at center"},
    {CM_REPLAYNEXT, "Show next entry in file. "},
    {CM_REPLAYAUTO, "Start automatic replay. "},
    {CM_REPLAYSTOP, "Stop automatic replay. "},
    {CM_HELPINDEX, " "},
    {CM_HELPKEYBOARD, " "},
    {CM_HELPCOMMANDS, " "},
    {CM_HELPPROCEDURES, " "},
    {CM_HELPUSING, " "},
    {CM_HELPABOUT, "Show about box. "},
    {CM_FILEEXPORTPICTURE, "Write the screen shown as a PNG picture"},
    {CM_FILEEXPORTANIMATION, "Write every screen of the file as one animated GIF"},
    {CM_VIEWKEEPPROPORTIONS, "Keep the picture's proportions: a round polar disc"},
    {CM_REPLAYPREVIOUS, "Show the previous entry in the file"},
    {CM_HELPGUIDE, "How to use skywave and read its map"},
};

// One entry of a popup: a command, a separator (id 0) or a nested popup.
struct Item {
    int id;
    const char* text;
    bool checkable = false;
    bool checked = false;
};

constexpr Item kSeparator{0, nullptr};

QAction* add_item(QMenu* menu, const Item& item) {
    if (item.id == 0) return menu->addSeparator();
    QAction* a = menu->addAction(QString::fromUtf8(item.text));
    a->setData(item.id);
    a->setStatusTip(QString::fromUtf8(command_hint(item.id)));
    a->setCheckable(item.checkable);
    a->setChecked(item.checked);
    return a;
}

QMenu* add_popup(QWidget* parent, const char* title, std::initializer_list<Item> items) {
    auto* menu = new QMenu(QString::fromUtf8(title), parent);
    for (const Item& item : items)
        add_item(menu, item);
    return menu;
}

}  // namespace

const char* command_hint(int id) {
    for (const Hint& h : kHints)
        if (h.id == id) return h.text;
    return nullptr;
}

void build_mofmenu(QMenuBar* bar) {
    bar->addMenu(add_popup(bar, "&File",
                           {{CM_FILENEW, "&New"},
                            {CM_FILEOPEN, "&Open..."},
                            {CM_FILESAVE, "&Save"},
                            {CM_FILESAVEAS, "Save &as..."},
                            kSeparator,
                            {CM_FILEEXPORTPICTURE, "Export &Picture..."},
                            {CM_FILEEXPORTANIMATION, "Export A&nimation..."},
                            kSeparator,
                            {CM_FILEPRINT, "&Print..."},
                            {CM_FILEPAGESET, "Page se&tup..."},
                            {CM_FILEPRINTSET, "P&rinter setup..."},
                            kSeparator,
                            {CM_FILEEXIT, "E&xit"}}));
    bar->addMenu(add_popup(bar, "&Edit",
                           {{CM_EDITCUT, "&Cut\tShift+Del"},
                            {CM_EDITCOPY, "&Copy\tShift+Ins"},
                            {CM_EDITPASTE, "&Paste\tCtrl+Ins"}}));

    QMenu* calc = add_popup(bar, "&Calculations",
                            {{CM_CALCSTART, "&Start"},
                             {CM_CALCCVIEW, "&Enable Exam Calc Arrays", true, false},
                             {CM_CALCCHANGECONST, "Enable &Const Changes", true, false},
                             {CM_EXAMNEXT, "Exam &Another Array"}});
    calc->addMenu(add_popup(calc, "File Sc&ore Comparison",
                            {{CM_CALCSCORE, "&Single File Score Comparison"},
                             {CM_CALCSCOREMULTI, "&Multi File Score Comparison"}}));
    calc->addMenu(add_popup(calc, "&Constants",
                            {{CM_CALCINIT, "&Init"},
                             {CM_CALCCDEFAULT, "&Set Program Defaults"},
                             {CM_CALCCCHANGE, "&Manual Change Constants"},
                             {CM_CALCCDIDDLE, "&Auto Diddle Constants"},
                             {CM_CALCCOPEN, "&Read File of Constants"},
                             {CM_CALCCWRITE, "&Write File of Constants"}}));
    bar->addMenu(calc);

    bar->addMenu(add_popup(bar, "&View",
                           {{CM_VIEWMAP, "M&ap", true, true},
                            {CM_VIEWQTH, "&QTH", true, true},
                            {CM_VIEWSUN, "&Sun", true, true},
                            {CM_VIEWGREATC, "&Great Circles", true, false},
                            kSeparator,
                            {CM_VIEWMOF, "&MOF", true, true},
                            {CM_VIEWLOF, "&LOF", true, false},
                            {CM_VIEWOTHER, "&Other", true, false},
                            kSeparator,
                            {CM_VIEWSHORT, "S&hort Path", true, true},
                            {CM_VIEWLONG, "Long &Path", true, true},
                            kSeparator,
                            {CM_VIEWRECT, "&Rectangular", true, true},
                            {CM_VIEWPOLARN, "Polar-&North Pole", true, false},
                            {CM_VIEWPOLARQ, "Polar-&Your QTH", true, false},
                            kSeparator,
                            {CM_VIEWKEEPPROPORTIONS, "Keep &Proportions", true, false}}));
    bar->addMenu(add_popup(bar, "&Replay",
                           {{CM_REPLAYNEXT, "&Next"},
                            {CM_REPLAYPREVIOUS, "&Previous"},
                            {CM_REPLAYAUTO, "&Auto Cycle"}}));
    QMenu* help = add_popup(bar, "&Help",
                            {{CM_HELPINDEX, "&Index\tF1"},
                             {CM_HELPKEYBOARD, "&Keyboard"},
                             {CM_HELPCOMMANDS, "&Commands"},
                             {CM_HELPPROCEDURES, "&Procedures"},
                             {CM_HELPUSING, "&Using help"},
                             {CM_HELPGUIDE, "&Guide"},
                             kSeparator,
                             {CM_HELPABOUT, "&About..."}});
    bar->addMenu(help);
    // The menu text names F1; the key works from anywhere in the window.
    QAction* index = find_command(bar, CM_HELPINDEX);
    index->setShortcut(QKeySequence(Qt::Key_F1));
    index->setShortcutContext(Qt::WindowShortcut);
    // The keys a map viewer has: arrows and space to step, Ctrl+O to open.
    const std::pair<int, QList<QKeySequence>> keys[] = {
        {CM_REPLAYNEXT, {QKeySequence(Qt::Key_Right), QKeySequence(Qt::Key_Space)}},
        {CM_REPLAYPREVIOUS, {QKeySequence(Qt::Key_Left)}},
        {CM_FILEOPEN, {QKeySequence(QKeySequence::Open)}},
    };
    for (const auto& [id, sequences] : keys) {
        QAction* a = find_command(bar, id);
        a->setShortcuts(sequences);
        a->setShortcutContext(Qt::WindowShortcut);
    }
}

namespace {

QAction* find_in(const QList<QAction*>& actions, int id) {
    for (QAction* a : actions) {
        if (a->menu()) {
            if (QAction* found = find_in(a->menu()->actions(), id)) return found;
        } else if (command_of(a) == id) {
            return a;
        }
    }
    return nullptr;
}

}  // namespace

QAction* find_command(const QMenuBar* bar, int id) {
    return find_in(bar->actions(), id);
}

int command_of(const QAction* action) {
    bool ok = false;
    const int id = action->data().toInt(&ok);
    return ok ? id : 0;
}

}  // namespace skywave::gui
