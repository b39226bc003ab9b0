// TMOFGadgets: the control bar, the status bar and the menu's changing state. The
// View and Calculations check marks live in the menu and are the display settings;
// the rest of the program changes the bars only through the operations below.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

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

class TMOFGadgets : public QObject {
    Q_OBJECT
public:
    // Builds both bars into the frame. `command` runs the command of a pressed button.
    TMOFGadgets(QMainWindow* F, std::function<void(int)> command);
    ~TMOFGadgets() override;

    // The frame's menu bar, whose items hold the check marks.
    void SetMenu(QMenuBar* menu) { Menu = menu; }

    // The checked bit of an item: 8 when checked, 0 when not.
    int IsViewMapChecked() const { return checked(140); }
    int IsViewQTHChecked() const { return checked(141); }
    int IsViewSunChecked() const { return checked(142); }
    int IsViewPathsChecked() const { return checked(143); }
    int IsViewMOFChecked() const { return checked(144); }
    int IsViewLOFChecked() const { return checked(145); }
    int IsViewShortChecked() const { return checked(147); }
    int IsViewLongChecked() const { return checked(148); }
    int IsViewPolarChecked() const { return checked(150); }
    int IsViewGCChecked() const { return checked(151); }
    int IsExamChecked() const { return checked(101); }
    int IsChangeConstChecked() const { return checked(109); }

    // Each flips its item's check mark and returns the new checked bit.
    int ToggleViewMap() { return toggle(140); }
    int ToggleViewQTH() { return toggle(141); }
    int ToggleViewSun() { return toggle(142); }
    int ToggleViewPaths() { return toggle(143); }
    int ToggleViewShort() { return toggle(147); }
    int ToggleViewLong() { return toggle(148); }
    int ToggleExam() { return toggle(101); }
    int ToggleCalcChange() { return toggle(109); }
    // One of three: MOF, LOF, Other (144 ... 146) and Rectangular, Polar-North Pole,
    // Polar-Your QTH (149 ... 151). Both return 1.
    int CheckMOFLOFOther(int which);
    int CheckRectPolar(int which);

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
    void StartDiddle();
    void StopDiddle();

    // How far long work has come: steps of a run, or runs of a sweep (0 total: not
    // known). Shown in the status bar while the work goes on.
    void StartProgress(long total);
    void SetProgress(long done, long total);
    void StopProgress();

    // Enables every menu item and button by its command's rule.
    void UpdateCommands(const std::function<bool(int)>& enabled);

    // The gadgets each bar shows, in order ("Open", "|", "About", "title" ...).
    QStringList ControlBarGadgets() const;
    QStringList StatusBarGadgets() const;
    // The action behind the button of a command.
    QAction* Button(int command) const;

    QMenuBar* Menu = nullptr;
    QMainWindow* Frame;
    QStatusBar* StatusBar;
    QToolBar* ControlBar;
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

    int checked(int id) const;
    int toggle(int id);
    void check_one_of(int first, int which);
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
