// The main calculation: for each date and time step of the run, the geometry,
// ionosphere and path passes over the whole grid, then one screen of the prediction
// file.
#pragma once

#include <atomic>
#include <optional>
#include <string>

namespace skywave {

struct Model;
struct RunSettings;
class MessageSink;

// What a front end offers the driver. The switches may be flipped from another
// thread while a run is going on; the driver reads them once per step (Abort where
// it checks for it).
class RunHooks {
public:
    virtual ~RunHooks() = default;

    std::atomic<int> Abort{0};
    std::atomic<int> exam_flag{0};
    std::atomic<int> change_flag{0};

    bool aborted() const { return Abort.load(std::memory_order_relaxed) != 0; }

    virtual void StartCalcs() {}
    virtual void StopCalcs() {}
    virtual void SetStatus(const std::string& /*text*/) {}
    virtual void SetTime(float /*calc_time*/) {}
    // Called once per grid row and between stages: a chance to keep a window alive.
    virtual void yield() {}
    // After a completed step, once its screen is written.
    virtual void step_done(Model& /*m*/) {}
    // After a completed step while exam_flag is on: look at the arrays.
    virtual void ExamineArrays(Model& /*m*/) {}
    // After a completed step while change_flag is on; non-zero recomputes the same
    // step instead of advancing.
    virtual int ChangeConsts(Model& m);
};

enum class RunOutcome {
    completed,  // every step computed (and written)
    aborted,    // stopped; the file holds the completed screens
    failed,     // the file could not be opened or written; reported
};

// Runs the model's settings; with an output, every step's screen is written to that
// prediction file (created, or emptied first).
//
// jobs > 1 computes the time steps of each date on that many threads and writes their
// screens in order, so the file is the same for any jobs. The hooks are still called
// only from this thread, in step order; step_done then sees the step's time, header
// and info values, while the arrays are those of some step this thread computed (after
// a stop too; after a complete run, the last step's). A date that starts with
// exam_flag or change_flag on, or during which one is turned on, goes on with one
// thread.
RunOutcome MainCalcs(Model& m, const std::optional<std::string>& output, RunHooks& hooks,
                     MessageSink& messages, int jobs = 1);

// The number of steps a run of these settings computes, or nothing when the run would
// not end by itself (or has more than limit steps).
std::optional<long> count_steps(const RunSettings& s, long limit = 10'000'000);

}  // namespace skywave
