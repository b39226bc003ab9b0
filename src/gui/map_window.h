// MapWindow: the main window. It owns the model, the picture surfaces and the replay
// state, routes every command to its handler and decides when a command is enabled.
// Its handlers live in several files, one concept each: this file's .cpp (set-up,
// painting, routing, File, View and Help), replay_commands.cpp, calc_commands.cpp,
// constants_commands.cpp, score_commands.cpp and examine.cpp.
#pragma once

#include <QFont>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/report.h"
#include "control_bar.h"
#include "dialog_provider.h"
#include "files/replay.h"
#include "hover.h"
#include "map/map_view.h"
#include "map_info.h"
#include "model/model.h"
#include "work_thread.h"

namespace skywave::gui {

class MapWindow : public QWidget {
    Q_OBJECT
    // First, so that the stop flag can be the run's: the worker thread and its hooks.
    WorkThread worker_;
    GuiRunHooks hooks_;

public:
    explicit MapWindow(DialogProvider& dialogs, QWidget* parent = nullptr);
    ~MapWindow() override;

    // Connects the window to the frame's bars and shows the file named on the command
    // line, if any.
    void attach_bars(ControlBar* bars);
    // The strip under the map that says what it shows (before attach_bars).
    void attach_info(MapInfo* info);
    // Stops any work, waits for it and closes the replay; the window does nothing more.
    void shut_down();

    // Runs the command when it is enabled now.
    void run_command(int id);
    bool command_enabled(int id) const;
    // Applies every command's rule to the menu and the buttons.
    void update_commands();

    // One second of the auto-cycle timer has passed (another timer's id is ignored).
    void auto_cycle_tick(int timer_id);
    // Files dropped on the window: the first is replayed.
    void open_dropped_files(const QStringList& files);
    // Exam Another Array.
    void examine_next();
    // Screen n of the file replayed (from 1; -1 the last).
    void show_screen(int n);
    // Esc: stops a run, a score or a diddle, else an auto cycle.
    void stop_what_runs();
    // The read-out under the mouse, as the status bar shows it (empty outside the map).
    std::string read_out_at(QPoint at) const;
    HoverModel& hover() { return hover_; }

    bool busy() const { return worker_.busy(); }
    bool file_is_open() const { return replay_.is_open(); }
    bool examining() const { return examining_; }
    bool is_shut_down() const { return destroyed_; }
    int replay_timer() const { return replay_timer_; }
    unsigned auto_period() const { return auto_period_; }
    // The stop flag of the work going on (non-zero once Stop was chosen).
    const std::atomic<int>& abort_flag() const { return abort_; }
    // The model: the GUI thread's, except while busy() and no examination is going on.
    Model& model() { return m_; }
    // The prediction file: the one replayed, and the one the next run writes.
    const std::string& file_name() const { return file_name_; }
    void set_file_name(const std::string& name) { file_name_ = name; }
    MapSurfaces& surfaces() { return s_; }
    WorkThread& worker() { return worker_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QSize sizeHint() const override { return {800, 444}; }

private:
    // One entry of the command table: what the command does and when it may.
    struct CommandEntry {
        Command id;
        std::function<void()> run;
        std::function<bool()> enabled;
        bool update_after = true;  // the enabling rules applied again afterwards
    };
    std::vector<CommandEntry> command_table();
    const CommandEntry* find_entry(int id) const;

    // File (this file).
    void new_file();
    void open_file();
    void save_file();
    void exit_program();
    void change_view(Command id);
    void show_about();
    // Calculations (calc_commands.cpp).
    bool ask_run_settings(std::string& confirmed);
    void start_run();
    void stop_work();
    // Constants (constants_commands.cpp).
    void reset_constants();
    void change_constants();
    void diddle_constants();
    void read_constants_file();
    void write_constants_file();
    // Scores (score_commands.cpp).
    void score_one_file();
    void score_many_files();
    // Replay (replay_commands.cpp).
    void open_replay();
    void close_replay();
    void next_screen();
    void previous_screen();
    // Pictures of the screens (export_commands.cpp).
    void export_picture();
    void export_animation();
    void start_auto_cycle();
    void stop_auto_cycle();
    // The picture (examine.cpp for the array).
    void DrawDisplay();
    void DrawArray();
    void ExamineArrays();

    void Paint();
    void describe_screen(const ViewState& view);
    SourceRect shown_source() const;
    QRect picture_rect(const SourceRect& src) const;
    std::optional<std::pair<int, int>> picture_point(QPoint at) const;
    void show_read_out();
    void first_use_init();
    void start_work(std::function<void()> job, std::function<void()> done);
    void start_sweep(long planned_runs);
    // What ends a sweep on the GUI thread: its report closed (a failed write is
    // reported) and the bars back to their idle state.
    std::function<void()> sweep_done(std::shared_ptr<Report> report);
    // Whether an output may be written: an input of the work is refused (reported); an
    // existing file that was not just chosen in a save dialog that asked is written only
    // after "Replace FILE?" was answered Yes (No: ask_again).
    enum class OutputCheck { write, ask_again, refuse };
    OutputCheck check_output(const std::string& name, const std::vector<std::string>& inputs,
                             bool confirmed);
    // A report file from its save dialog, asked again after a No; nothing when cancelled
    // or refused.
    std::optional<std::string> choose_report(const FileRequest& request,
                                             const std::vector<std::string>& inputs);
    // The report file, unless another process writes it (reported; refused is set);
    // null without refused when it cannot be created.
    std::shared_ptr<Report> create_report(const std::string& name, bool& refused);
    void draw_legend();
    void show_array();
    void end_examination();
    static QFont working_font();

    std::atomic<int>& abort_;
    QPointer<ControlBar> bars_;
    QPointer<MapInfo> info_;
    HoverModel hover_;
    QPoint last_mouse_;
    DialogProvider& dialogs_;
    DialogMessages messages_;
    Model m_;
    std::string file_name_;
    std::string confirmed_output_;  // chosen with New in a save dialog that asked
    ReplayFile replay_;
    ReplayScreen screen_;
    MapSurfaces s_;
    ExamState exam_;
    LegendText legend_;
    ArrayData array_choice_;
    QFont working_font_;
    int replay_timer_ = 0;
    unsigned auto_period_ = 0;  // seconds between screens
    unsigned auto_count_ = 0;   // seconds since the last screen
    bool examining_ = false;
    bool destroyed_ = false;
    WorkMessages worker_messages_;
    GuiSweepHooks sweep_hooks_;
    std::vector<CommandEntry> commands_;
};

}  // namespace skywave::gui
