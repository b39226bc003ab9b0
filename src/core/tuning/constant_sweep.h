// One marked constant's sweep, as the diddle and the pooled tune both run it: the
// values the constant is tried at (the negative side first, then the positive, each
// side going on only while the runs score better than the reference), and the
// weighted net score of a trial against the reference.
#pragma once

#include <string>
#include <vector>

#include "base/report.h"
#include "run/sweep.h"
#include "tuning/score.h"

namespace skywave {

struct Constants;
struct RunSettings;

// The weighted scores of a run against the reference: positive when more cells are
// at the observed level and fewer above or below it. The counts do not enter.
struct NetScore {
    float mof_score = 0, lof_score = 0, net_score = 0;
};
NetScore net_score(const Constants& k, const ScoreResults& ref, const ScoreResults& r);

// "MOF=... = ...  LOF=... = ...  NET=...": a scored run's line after its value.
std::string scored_run_text(const ScoreResults& r, const NetScore& s);

// "changed  NAME   from DEFAULT  to VALUE" for every constant off its default; without
// setup, the SETUP group (times, date, indices, QTH, grain) is left out.
std::string changed_constants(const RunSettings& s, bool setup = true);

// The constants a sweep varies: class not 0 and diddle_flag exactly 1.
bool is_marked(const RunSettings& s, int flat_index);

// A marked constant: its group and its index in the flat table.
struct MarkedConstant {
    int group, flat;
};
// The marked constants, in the table's order.
std::vector<MarkedConstant> marked_constants(const RunSettings& s);

// Hooks that pass everything on, and ask the sweep to stop once its report can no longer
// be written: the results of further runs would be lost.
class StopOnReportError : public SweepHooks {
public:
    StopOnReportError(SweepHooks& to, const Report& report) : to_(to), report_(report) {}
    void SetStatus2(const std::string& text) override { to_.SetStatus2(text); }
    void progress(long done, long planned) override { to_.progress(done, planned); }
    bool stop_requested() override { return to_.stop_requested() || !report_.ok(); }
    void note(const std::string& text) override { to_.note(text); }

private:
    SweepHooks& to_;
    const Report& report_;
};

class ConstantSteps {
public:
    // The sweep parameters are the DIDDLE constants of k.
    ConstantSteps(const Constants& k, bool is_switch);
    bool done() const { return done_; }
    // The constant's live value in the current trial, for a constant held at hold_val:
    // a relative change, an absolute value where the constant is 0 (a relative change
    // means nothing there), a switch turned over.
    float value(float hold_val) const;
    // The relative change (or absolute value) of the current trial.
    float diddle() const { return diddle_; }
    // The current trial's outcome: whether it was scored, and its net score.
    void record(bool scored, float net_score);

private:
    void turn_positive();
    float neg_limit_, pos_step_, pos_limit_, threshold_;
    float step_diddle_, diddle_;
    bool is_switch_, positive_side_ = false, done_ = false;
};

}  // namespace skywave
