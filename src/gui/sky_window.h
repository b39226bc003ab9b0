// TSkyWindow: the main window. It owns the model, the picture surfaces and the replay
// state, routes every command to its handler and decides when a command is enabled.
// Its handlers live in several files, one concept each: this file's .cpp (set-up,
// painting, routing, File, View and Help), replay_commands.cpp, calc_commands.cpp,
// constants_commands.cpp, score_commands.cpp and examine.cpp.
#pragma once

#include <QFont>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "base/report.h"
#include "dialog_provider.h"
#include "files/replay.h"
#include "gadgets.h"
#include "map/map_view.h"
#include "model/model.h"
#include "worker.h"

namespace skywave::gui {

class TSkyWindow : public QWidget {
    Q_OBJECT
    // First, so that Abort can be the run's flag: the worker thread and its hooks.
    Worker worker_;
    GuiRunHooks hooks_;

public:
    explicit TSkyWindow(DialogProvider& dialogs, QWidget* parent = nullptr);
    ~TSkyWindow() override;

    void SetupWindow(TMOFGadgets* gadgets);
    void Destroy(int retVal = 0);

    // Runs the command when it is enabled now.
    void Command(int id);
    bool CommandEnabled(int id) const;
    // Applies every command's rule to the menu and the buttons.
    void UpdateCommands();

    void CMFileNew();
    void CMFileOpen();
    void CMFileSave();
    void CMFileExit();
    void ViewCommand(int id);
    void CMHelpAbout();

    // Calculations (calc_commands.cpp).
    int DoInitDialog();
    void CMCalcInit();
    void CMCalcStart();
    void CMCalcStop();
    void CMCalcCView();
    void CMCalcChangeConst();
    // Constants (constants_commands.cpp).
    void CMCalcCDefault();
    void CMCalcCChange();
    void CMCalcCDiddle();
    void CMCalcCOpen();
    void CMCalcCWrite();
    // Scores (score_commands.cpp).
    void CMCalcScore();
    void CMCalcScoreMulti();

    // Replay (replay_commands.cpp).
    void OpenAFile();
    void CloseFile();
    void CMReplayNext();
    void CMReplayAuto();
    void CMReplayStop();
    void EvTimer(int TimerID);
    void EvDropFiles(const QStringList& files);

    // The picture (examine.cpp for the array).
    void DrawDisplay();
    void DrawArray();
    void ExamineArrays();
    void NextExamine();

    // Whether a run, a multi-file score or a diddle is going on.
    bool Busy() const { return worker_.busy(); }
    bool FileIsOpen() const { return replay_.is_open(); }
    // The model: the GUI thread's, except while Busy() and no examination is going on.
    Model& model() { return m_; }
    // The prediction file: the one replayed, and the one the next run writes.
    const std::string& file_name() const { return file_name_; }
    void set_file_name(const std::string& name) { file_name_ = name; }
    MapSurfaces& surfaces() { return s_; }
    Worker& worker() { return worker_; }

    QPointer<TMOFGadgets> Gadgets;
    ReplayScreen ScreenBuff;
    int ReplayTimerID = 0;
    unsigned TimeoutValue = 0;
    unsigned TimeCounter = 0;
    int ExamNext = 0;
    int Destroyed = 0;
    std::atomic<int>& Abort;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QSize sizeHint() const override { return {800, 444}; }

private:
    void Paint();
    void EvSize();
    void first_use_init();
    void start_work(std::function<void()> job, std::function<void()> done);
    void start_sweep(long planned_runs);
    // What ends a sweep on the GUI thread: its report closed (a failed write is
    // reported) and the bars back to their idle state.
    std::function<void()> sweep_done(std::shared_ptr<Report> report);
    void draw_legend();
    void show_array();
    void end_examination();
    static QFont working_font();

    DialogProvider& dialogs_;
    DialogMessages messages_;
    Model m_;
    std::string file_name_;
    ReplayFile replay_;
    MapSurfaces s_;
    ExamState exam_;
    LegendText legend_;
    ArrayData NewArray;
    QFont WorkingFont;
    WorkerMessages worker_messages_;
    GuiSweepHooks sweep_hooks_;
};

}  // namespace skywave::gui
