// Independent runs of the model in parallel, with their report written in order.
//
// A sweep (the constant diddle, the multi-file score) is a list of tasks, each a
// series of runs on a model of its own. Tasks run on worker threads; what each task
// writes is collected and handed to the report in task order, as soon as every
// earlier task has finished, so the report is the same for any number of threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/messages.h"
#include "model/model.h"
#include "run/driver.h"

namespace skywave {

// The front end of a sweep. Every call comes from the thread that runs the sweep.
class SweepHooks {
public:
    virtual ~SweepHooks() = default;
    virtual void sweep_started() {}
    virtual void sweep_ended() {}
    // The second status text: what is being computed.
    virtual void SetStatus2(const std::string& /*text*/) {}
    // Runs done of runs planned (the plan may be an upper bound).
    virtual void progress(long /*done*/, long /*planned*/) {}
    // Polled while the sweep waits; true asks every run to stop like the Stop command.
    virtual bool stop_requested() { return false; }
    // Something the user should know once (fewer threads than asked for).
    virtual void note(const std::string& /*text*/) {}
};

// Passes messages on from any thread, one at a time.
class LockedMessages : public MessageSink {
public:
    explicit LockedMessages(MessageSink& to) : to_(to) {}
    void show_message(const std::string& text, const std::string& caption) override {
        std::lock_guard lock(mutex_);
        to_.show_message(text, caption);
    }
    void show_message(const std::string& text, const std::string& caption,
                      const std::string& detail) override {
        std::lock_guard lock(mutex_);
        to_.show_message(text, caption, detail);
    }

private:
    MessageSink& to_;
    std::mutex mutex_;
};

// One worker's model and scratch prediction file. A task sets the model's settings
// (model.settings() = ...) before each run.
struct SweepWorker {
    Model model;
    std::string scratch;
};

// Everything a task may use while it runs on a worker thread.
class SweepContext {
public:
    // Runs the model of the worker once (InitCalc, MainCalcs, EndCalc) into its
    // scratch file. Stops when the sweep is asked to stop.
    RunOutcome run(SweepWorker& w, MessageSink& messages);
    // Appends report text of a task.
    void write(int task, const std::string& text);
    // Tells the front end what a task computes now.
    void status(const std::string& text);
    bool stopping() const { return stop_.load(); }
    // A task ran out of memory; the sweep then stopped.
    bool out_of_memory() const { return out_of_memory_.load(); }

private:
    friend class Sweep;
    struct Slot {
        std::string text;  // not yet handed to the report
        bool done = false;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Slot> slots_;
    std::string status_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> out_of_memory_{false};
    std::atomic<bool> memory_reported_{false};
    std::atomic<long> runs_done_{0};
};

class Sweep {
public:
    // Up to jobs worker threads (at least 1; never more than a run has tasks), each
    // with a scratch file in a private folder beside final_scratch. The folder holds a
    // lock file while the sweep lives; folders beside it whose lock can be taken were
    // left by a process that was killed, and are removed.
    Sweep(int jobs, const std::string& final_scratch);
    ~Sweep();

    // Runs task(i, worker, context) for i = 0 ... n-1, while this thread hands the
    // tasks' text to write() in task order and keeps the front end informed.
    // Afterwards final_scratch holds the last run of the highest task that ran one.
    void run(int n, long planned_runs,
             const std::function<void(int, SweepWorker&, SweepContext&)>& task,
             const std::function<void(const std::string&)>& write, SweepHooks& hooks);

    bool stopped() const { return context_.stopping(); }
    bool out_of_memory() const { return context_.out_of_memory(); }
    bool memory_reported() const { return context_.memory_reported_.load(); }

private:
    void keep_scratch(SweepWorker& w, int rank);
    void add_workers(int n);
    std::vector<std::unique_ptr<SweepWorker>> workers_;
    SweepContext context_;
    std::string final_scratch_;
    std::string folder_;
    int jobs_;
    int lock_fd_ = -1;
    int kept_rank_ = -2;
};

// How a sweep of scored runs ended.
enum class SweepOutcome {
    scored,          // every run done, and at least one scored
    nothing_scored,  // every run done, none could be scored (the report says why)
    stopped,         // stopped like the Stop command
    refused,         // not started: an output would have destroyed an input (reported)
    out_of_memory,   // stopped: a run could not get its memory (reported, "MEMORY ERROR!")
};

// How a sweep of scored runs ended: out of memory ("MEMORY ERROR!", unless a run said
// so already), stopped, or done with at least one run scored or none.
SweepOutcome sweep_outcome(const Sweep& sweep, bool scored, MessageSink& messages);

// The number of worker threads to use when none is asked for: every core.
int default_jobs();

}  // namespace skywave
