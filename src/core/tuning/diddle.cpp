#include "tuning/diddle.h"

#include <vector>

#include "base/cformat.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "base/output_file.h"
#include "base/report.h"
#include "model/constants.h"
#include "model/model.h"
#include "run/sweep.h"
#include "tuning/constant_sweep.h"
#include "tuning/score.h"

namespace skywave {

namespace {

// Scores the worker's last run; false (with the reason) when it could not be scored.
bool score_run(const SweepWorker& w, const FileText& compare, ScoreResults& r, std::string& why) {
    MessageLog log;
    if (const std::optional<ScoreResults> scored =
            score_texts(w.model.grid, read_file_text(w.scratch), compare, nullptr, log)) {
        r = *scored;
        return true;
    }
    why = log.entries.empty() ? "no score" : log.entries[0].caption + ": " + log.entries[0].text;
    return false;
}

// One marked constant's sweep on a worker: negative side first, then positive, each
// side going on only while the runs score better than the reference.
void sweep_constant(const RunSettings& base, const MarkedConstant& c, const FileText& compare,
                    const ScoreResults& ref, int task, SweepWorker& w, SweepContext& ctx,
                    MessageSink& messages) {
    Model& m = w.model;
    m.settings() = base;
    const group_desc& group = const_groups[c.group];
    const const_desc& d = const_table[c.flat];
    const D scale = scale_table[d.scale_factor];
    float& live = m.consts.*d.val;
    const float hold_val = live;
    ctx.write(task, cformat("%s  %s  START = %f\n", group.name, d.name, D(hold_val) * scale));

    for (ConstantSteps steps(base.consts, d.cons_type == 4); !steps.done();) {
        live = steps.value(hold_val);
        ctx.status(cformat("%s  %s = %f", group.name, d.name, D(live) * scale));
        std::string line = cformat("%10f  ", D(live) * scale);
        const RunOutcome outcome = ctx.run(w, messages);
        ScoreResults r;
        std::string why;
        NetScore ns;
        bool scored = outcome != RunOutcome::failed && score_run(w, compare, r, why);
        if (outcome == RunOutcome::failed) why = "run failed";
        if (scored) {
            ns = net_score(base.consts, ref, r);
            line += scored_run_text(r, ns) + "\n";
        } else {
            line += "NO SCORE: " + why + "\n";  // counts as not better
        }
        ctx.write(task, line);
        steps.record(scored, ns.net_score);
        if (ctx.stopping()) break;
    }
    live = hold_val;
    ctx.write(task, "\n");
}

}  // namespace

std::string utc_stamp(std::time_t t) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm u{};
    gmtime_r(&t, &u);
    return cformat("%s %s %02d %02d:%02d:%02d %d\n", kDays[u.tm_wday], kMonths[u.tm_mon], u.tm_mday,
                   u.tm_hour, u.tm_min, u.tm_sec, u.tm_year + 1900);
}

SweepOutcome DiddleConsts(const RunSettings& settings, const FileText& CompareFile, Report& report,
                          const std::string& ScratchFile, int jobs, SweepHooks& hooks,
                          MessageSink& messages) {
    if (const std::optional<std::string> conflict =
            output_conflict(ScratchFile, {CompareFile.name})) {
        messages.show_message(*conflict, kOutputErrorCaption);
        return SweepOutcome::refused;
    }
    LockedMessages locked(messages);
    hooks.sweep_started();
    hooks.SetStatus2("");

    const std::time_t started = std::time(nullptr);
    report.write("MOF CONSTANT DIDDLE REPORT\n");
    report.write("QZ MOF/LOF PREDICTION PROGRAM Version 2.1\n");
    // Each time stamp brings its own line end, and the lines around it add theirs.
    report.write("\nREPORT STARTED: " + utc_stamp(started) + "\n\n");
    report.write(changed_constants(settings));
    report.printf("\n\nREFERENCE RUN:  COMPARE FILE NAME=%s\n", CompareFile.name.c_str());
    report.printf("START_TIME= %f  STOP_TIME=%f\n", D(settings.consts.start_time),
                  D(settings.consts.stop_time));

    const std::vector<MarkedConstant> marked = marked_constants(settings);

    StopOnReportError sweep_hooks(hooks, report);

    Sweep sweep(jobs, ScratchFile);
    hooks.SetStatus2("Reference run");
    // The reference run goes through the sweep too, so Stop reaches it.
    ScoreResults ref;
    bool ref_scored = false;
    std::string why;
    sweep.run(
        1, 1 + 4 * long(marked.size()),
        [&](int, SweepWorker& w, SweepContext& ctx) {
            w.model.settings() = settings;
            const RunOutcome outcome = ctx.run(w, locked);
            ref_scored = outcome != RunOutcome::failed && score_run(w, CompareFile, ref, why);
            if (outcome == RunOutcome::failed) why = "run failed";
        },
        [](const std::string&) {}, sweep_hooks);
    if (ref_scored) {
        report.printf("              MOF=%4.1f %4.1f %4.1f   POINTS=%4.0f\n", D(ref.mof_above),
                      D(ref.mof_at), D(ref.mof_below), D(ref.mof_count));
        report.printf("              LOF=%4.1f %4.1f %4.1f   POINTS=%4.0f\n", D(ref.lof_above),
                      D(ref.lof_at), D(ref.lof_below), D(ref.lof_count));
    } else {
        report.write("              NO SCORE: " + why + "\n");
    }
    report.write("\n");

    // Without a reference there is nothing to compare the sweep with.
    if (ref_scored && !sweep.stopped()) {
        sweep.run(
            int(marked.size()), 1 + 4 * long(marked.size()),
            [&](int i, SweepWorker& w, SweepContext& ctx) {
                sweep_constant(settings, marked[std::size_t(i)], CompareFile, ref, i, w, ctx,
                               locked);
            },
            [&](const std::string& text) { report.write(text); }, sweep_hooks);
    }

    const std::time_t done = std::time(nullptr);
    report.write("\nREPORT DONE: " + utc_stamp(done) + "\n");
    report.printf("\nELAPSED TIME: %ld SECONDS\n", long(done - started));
    hooks.sweep_ended();
    return sweep_outcome(sweep, ref_scored, messages);
}

}  // namespace skywave
