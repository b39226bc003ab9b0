// Long work off the GUI thread. A run, a multi-file score or a diddle runs on a thread
// of its own; what it wants shown is handed to the GUI thread: status texts and
// progress queued, message boxes and the examination of arrays waited for.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "base/messages.h"
#include "run/driver.h"
#include "run/sweep.h"

namespace skywave::gui {

class DialogProvider;
class ControlBar;

class WorkThread : public QObject {
    Q_OBJECT
public:
    explicit WorkThread(QObject* parent = nullptr) : QObject(parent) {}
    ~WorkThread() override;

    bool busy() const { return busy_; }
    // Runs job on a new thread; afterwards done runs on the GUI thread.
    void start(std::function<void()> job, std::function<void()> done);
    // Lets the GUI thread's events through until the work has ended and its done ran.
    void wait();
    // From now on nothing more is shown: messages are dropped, and the work should
    // be asked to stop by its abort flag.
    void close() { closing_ = true; }
    bool closing() const { return closing_; }

    // From the work's thread: fn on the GUI thread, queued (post) or waited for (call).
    void post(std::function<void()> fn);
    void call(std::function<void()> fn);

private:
    std::thread thread_;
    bool busy_ = false;
    std::atomic<bool> closing_{false};
};

// Messages of the work, shown on the GUI thread while the work waits for the OK.
class WorkMessages : public MessageSink {
public:
    WorkMessages(WorkThread& worker, DialogProvider& dialogs, QWidget* parent)
        : worker_(worker), dialogs_(dialogs), parent_(parent) {}
    void show_message(const std::string& text, const std::string& caption) override;
    // The message's own text in the box; the file and the cause in the status bar.
    void show_message(const std::string& text, const std::string& caption,
                      const std::string& detail) override;

private:
    WorkThread& worker_;
    DialogProvider& dialogs_;
    QWidget* parent_;
};

// The driver's hooks of a run in the window. The switches and Abort are the
// window's; the examination is handed to the GUI thread while the run waits.
class GuiRunHooks : public RunHooks {
public:
    // examine starts the examination on the GUI thread, which calls
    // release_examination() when the user is done.
    GuiRunHooks(WorkThread& worker, std::function<ControlBar*()> gadgets,
                std::function<void()> examine)
        : worker_(worker), gadgets_(std::move(gadgets)), examine_(std::move(examine)) {}

    // Before a run: nothing started, no step done, total steps planned.
    void prepare(long planned);
    bool started() const { return started_; }

    void StartCalcs() override;
    void StopCalcs() override;
    void SetStatus(const std::string& text) override;
    void SetTime(float calc_time) override;
    void step_done(Model& m) override;
    void ExamineArrays(Model& m) override;

    void release_examination();
    bool examination_pending() const;

private:
    WorkThread& worker_;
    std::function<ControlBar*()> gadgets_;
    std::function<void()> examine_;
    std::atomic<bool> started_{false};
    long planned_ = 0;
    std::atomic<long> done_{0};
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool examining_ = false;
};

// The hooks of a sweep (multi-file score, diddle): the second status field and the
// runs done; Stop is the window's Abort.
class GuiSweepHooks : public SweepHooks {
public:
    GuiSweepHooks(WorkThread& worker, std::function<ControlBar*()> gadgets,
                  const std::atomic<int>& abort)
        : worker_(worker), gadgets_(std::move(gadgets)), abort_(abort) {}
    void sweep_started() override;
    void sweep_ended() override;
    void SetStatus2(const std::string& text) override;
    void progress(long done, long planned) override;
    bool stop_requested() override { return abort_.load() != 0; }

private:
    WorkThread& worker_;
    std::function<ControlBar*()> gadgets_;
    const std::atomic<int>& abort_;
};

}  // namespace skywave::gui
