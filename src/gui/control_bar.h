// ControlBar: the control bar, the status bar and the menu's changing state. The
// View and Calculations check marks live in the menu and are the display settings;
// the rest of the program changes the bars only through the operations below.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "commands.h"
#include "map/map_view.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenuBar;
class QProgressBar;
class QStatusBar;
class QToolBar;
class QWidget;

namespace skywave::gui {

class ControlBar : public QObject {
    Q_OBJECT
public:
    // Builds both bars into the frame. `command` runs the command of a pressed button.
    ControlBar(QMainWindow* F, std::function<void(int)> command);
    ~ControlBar() override;

    // The frame's menu bar, whose items hold the check marks.
    void SetMenu(QMenuBar* menu) { Menu = menu; }

    // Whether the menu item of the command carries its check mark.
    bool is_checked(Command id) const;
    // Flips the check mark of the command's item; the new state.
    bool toggle(Command id);
    // Checks one of three items and clears the other two: MOF, LOF, Other, or
    // Rectangular, Polar-North Pole, Polar-Your QTH.
    void check_lines(Command which);
    void check_projection(Command which);

    // The display settings as the check marks give them.
    ViewState View() const;

    void SetCounter(int time);
    void SetTime(float time);
    void SetStatus(const std::string& text);
    void SetStatus2(const std::string& text);
    void SetTitle(const std::string& text);

    void FileOpened();
    void FileClosed();
    void StartAutoReplay();
    void StopAutoReplay();
    void StartCalcs();
    void StopCalcs();
    void StartExamine();
    void StopExamine();
    void sweep_started();
    void sweep_ended();

    // How far long work has come: steps of a run, or runs of a sweep (0 total: not
    // known). Shown in the status bar while the work goes on.
    void StartProgress(long total);
    void SetProgress(long done, long total);
    void StopProgress();

    // Enables every menu item and button by its command's rule.
    void enable_commands(const std::function<bool(int)>& enabled);

    // The gadgets each bar shows, in order ("Open", "|", "About", "title" ...).
    QStringList control_items() const;
    QStringList status_items() const;
    // The action behind the button of a command.
    QAction* Button(int command) const;

    QMenuBar* Menu = nullptr;
    QMainWindow* Frame;
    QStatusBar* StatusBar;
    QToolBar* ToolBar;
    QLabel* CounterGadget;
    QLabel* TimeGadget;
    QLabel* StatusGadget;
    QLabel* StatusGadget2;
    QLabel* TitleGadget;
    QProgressBar* ProgressGadget;
    QAction* HelpAboutButton;
    QAction* FileSaveButton;
    QAction* FileOpenButton;
    QAction* ReplayNextButton;
    QAction* ReplayAutoButton;
    QAction* ReplayStopButton;
    QAction* CalcStopButton;
    QAction* ExamNextButton;

private:
    struct Gadget;
    // A bar's gadgets in order; a gadget inserted twice is shown once and stays until
    // it has been removed as often.
    struct Bar {
        std::vector<std::pair<Gadget*, int>> items;
        int find(const Gadget* g) const;
        void insert(Gadget* g, int at);
        void append(Gadget* g) { insert(g, int(items.size())); }
        void insert_front(Gadget* g) { insert(g, 0); }
        void insert_after(Gadget* g, const Gadget* after);
        void remove(const Gadget* g);
    };

    void check_one_of(Command first, Command which);
    void change_item(int id, int new_id, const char* text);
    Gadget* button(int command, const char* name, QAction*& action);
    Gadget* text_gadget(const char* name, int chars, bool right, QLabel*& label);
    void redraw_control_bar();
    void redraw_status_bar();

    std::function<void(int)> command_;
    std::vector<Gadget*> gadgets_;
    Gadget *about_, *open_, *save_, *next_, *auto_, *stop_, *exam_next_, *calc_stop_;
    Gadget *counter_, *time_, *status_, *status2_, *title_, *progress_, *sep1_, *sep2_;
    Bar control_, status_bar_;
};

}  // namespace skywave::gui
