#include "work_thread.h"

#include <QCoreApplication>
#include <QThread>

#include "base/cformat.h"
#include "control_bar.h"
#include "dialog_provider.h"

namespace skywave::gui {

WorkThread::~WorkThread() {
    if (thread_.joinable()) thread_.join();
}

void WorkThread::start(std::function<void()> job, std::function<void()> done) {
    if (thread_.joinable()) thread_.join();
    busy_ = true;
    thread_ = std::thread([this, job = std::move(job), done = std::move(done)]() mutable {
        job();
        // Queued behind everything the work posted, so done runs last.
        QMetaObject::invokeMethod(
            this,
            [this, done = std::move(done)] {
                thread_.join();
                busy_ = false;
                done();
            },
            Qt::QueuedConnection);
    });
}

void WorkThread::wait() {
    while (busy_)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                        QEventLoop::ExcludeUserInputEvents);
}

void WorkThread::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void WorkThread::call(std::function<void()> fn) {
    if (QThread::currentThread() == thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(this, std::move(fn), Qt::BlockingQueuedConnection);
}

void WorkMessages::show_message(const std::string& text, const std::string& caption,
                                const std::string& detail) {
    worker_.call([&] {
        if (!worker_.closing()) show_detail(parent_, detail);
    });
    show_message(text, caption);
}

void WorkMessages::show_message(const std::string& text, const std::string& caption) {
    worker_.call([&] {
        if (!worker_.closing()) dialogs_.message(parent_, text, caption);
    });
}

void GuiRunHooks::prepare(long planned) {
    started_ = false;
    planned_ = planned;
    done_ = 0;
}

void GuiRunHooks::StartCalcs() {
    started_ = true;
    const long planned = planned_;
    worker_.post([this, planned] {
        if (ControlBar* g = gadgets_()) {
            g->StartCalcs();
            g->StartProgress(planned);
        }
    });
}

void GuiRunHooks::StopCalcs() {
    worker_.post([this] {
        if (ControlBar* g = gadgets_()) {
            g->StopProgress();
            g->StopCalcs();
        }
    });
}

void GuiRunHooks::SetStatus(const std::string& text) {
    worker_.post([this, text] {
        if (ControlBar* g = gadgets_()) g->SetStatus(text);
    });
}

void GuiRunHooks::SetTime(float calc_time) {
    worker_.post([this, calc_time] {
        if (ControlBar* g = gadgets_()) g->SetTime(calc_time);
    });
}

void GuiRunHooks::step_done(Model&) {
    const long done = ++done_, planned = planned_;
    worker_.post([this, done, planned] {
        if (ControlBar* g = gadgets_()) g->SetProgress(done, planned);
    });
}

// The run waits here while the user looks at the arrays on the GUI thread, which
// has the model to itself meanwhile.
void GuiRunHooks::ExamineArrays(Model&) {
    {
        std::lock_guard lock(mutex_);
        examining_ = true;
    }
    worker_.post(examine_);
    std::unique_lock lock(mutex_);
    released_.wait(lock, [this] { return !examining_; });
}

void GuiRunHooks::release_examination() {
    {
        std::lock_guard lock(mutex_);
        examining_ = false;
    }
    released_.notify_all();
}

bool GuiRunHooks::examination_pending() const {
    std::lock_guard lock(mutex_);
    return examining_;
}

void GuiSweepHooks::sweep_started() {
    worker_.post([this] {
        if (ControlBar* g = gadgets_()) g->sweep_started();
    });
}

void GuiSweepHooks::sweep_ended() {
    worker_.post([this] {
        if (ControlBar* g = gadgets_()) g->sweep_ended();
    });
}

void GuiSweepHooks::SetStatus2(const std::string& text) {
    worker_.post([this, text] {
        if (ControlBar* g = gadgets_()) g->SetStatus2(text);
    });
}

void GuiSweepHooks::progress(long done, long planned) {
    worker_.post([this, done, planned] {
        if (ControlBar* g = gadgets_()) {
            g->SetProgress(done, planned);
            g->SetStatus(cformat("%ld of %ld runs", done, planned));
        }
    });
}

}  // namespace skywave::gui
