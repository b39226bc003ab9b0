#include "tuning/tune.h"

#include <ctime>
#include <filesystem>
#include <optional>

#include "base/cformat.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "base/output_file.h"
#include "base/report.h"
#include "model/constants.h"
#include "model/model.h"
#include "run/sweep.h"
#include "tuning/cell_counts.h"
#include "tuning/constant_sweep.h"
#include "tuning/diddle.h"

namespace skywave {

namespace {

namespace fs = std::filesystem;

constexpr int kLabelWidth = 24;

// A contest file prepared once for all its runs: the settings of its run and its
// text, read once.
struct ContestFile {
    std::string name;
    RunSettings settings;
    FileText contest;
    bool usable = false;
};

// One constant set to a trial's value.
struct Change {
    int flat;
    ConstantSteps steps;
};

struct RunTask {
    const ContestFile* file;
    std::vector<Change> changes;
};

struct RunCounts {
    bool scored = false;
    std::string why;
    CellCounts counts;
};

// One trial of a constant, scored over every file.
struct Trial {
    Trial(double shown, const ConstantSteps& steps) : shown(shown), steps(steps) {}
    double shown;  // the value tried, in shown units
    ConstantSteps steps;
    bool scored = false;
    std::string why;
    CellCounts pooled;
    ScoreResults r;
    NetScore ns;
};

std::string base_name(const std::string& file) {
    return fs::path(file).filename().string();
}

// Sums the counts of a batch of runs; unscored when any run could not be scored,
// since a trial without one of its files is not comparable with the reference.
bool pool(const std::vector<RunCounts>& runs, std::size_t first, std::size_t n,
          const std::vector<const ContestFile*>& files, CellCounts& pooled, std::string& why) {
    for (std::size_t i = 0; i < n; ++i) {
        const RunCounts& rc = runs[first + i];
        if (!rc.scored) {
            why = base_name(files[i]->name) + ": " + rc.why;
            return false;
        }
        pooled.add(rc.counts);
    }
    return true;
}

class Tuner {
public:
    Tuner(const RunSettings& base, const TuneOptions& options, Sweep& sweep, SweepHooks& hooks,
          MessageSink& messages, long planned)
        : base_(base),
          options_(options),
          sweep_(sweep),
          hooks_(hooks),
          messages_(messages),
          planned_(planned) {}

    // Runs every task on the sweep's workers, one run each.
    std::vector<RunCounts> run(const std::vector<RunTask>& tasks) {
        std::vector<RunCounts> results(tasks.size());
        sweep_.run(
            int(tasks.size()), planned_,
            [&](int i, SweepWorker& w, SweepContext& ctx) {
                const RunTask& t = tasks[std::size_t(i)];
                RunCounts& out = results[std::size_t(i)];
                Model& m = w.model;
                m.settings() = t.file->settings;
                std::string what = base_name(t.file->name);
                for (const Change& c : t.changes) {
                    const const_desc& d = const_table[c.flat];
                    float& live = m.consts.*d.val;
                    live = c.steps.value(live);
                    cformat_to(what, "  %s = %f", d.name, D(live) * scale_table[d.scale_factor]);
                }
                ctx.status(what);
                if (ctx.run(w, messages_) == RunOutcome::failed) {
                    out.why = "run failed";
                    return;
                }
                MessageLog log;
                const std::optional<CellCounts> counts =
                    count_cells(m.grid, read_file_text(w.scratch), t.file->contest,
                                options_.min_distance_km, log);
                if (counts) {
                    out.scored = true;
                    out.counts = *counts;
                } else {
                    out.why = log.entries.empty()
                                  ? "no score"
                                  : log.entries[0].caption + ": " + log.entries[0].text;
                }
            },
            [](const std::string&) {}, hooks_);
        return results;
    }

private:
    const RunSettings& base_;
    const TuneOptions& options_;
    Sweep& sweep_;
    SweepHooks& hooks_;
    MessageSink& messages_;
    long planned_;
};

// Prepares every file for its runs; the files that cannot be run are reported.
std::vector<ContestFile> prepare_files(const RunSettings& base,
                                       const std::vector<std::string>& names,
                                       const TuneOptions& options, std::string& notes,
                                       MessageSink& messages) {
    std::vector<ContestFile> files;
    for (const std::string& name : names) {
        ContestFile f{name, base, {}, false};
        MessageLog problems;
        ContestRun prepared = prepare_contest_run(f.settings, name, options.request, problems);
        for (const auto& e : problems.entries)
            messages.show_message(e.text, e.caption, e.detail);
        f.usable = prepared.status == ContestRunStatus::ready;
        if (prepared.status == ContestRunStatus::no_grain)
            messages.show_message(name + ": Can't read the file grain", "ERROR");
        if (!f.usable) notes += "NOT USED: " + name + "\n";
        f.contest = std::move(prepared.contest);
        files.push_back(std::move(f));
    }
    return files;
}

std::string csv_row(const std::string& part, const std::string& file, const std::string& constant,
                    const std::string& value, const CellCounts& c, const std::string& net) {
    const ScoreResults r = score_results(c);
    return cformat("%s,%s,%s,%s,%.2f,%.2f,%.2f,%ld,%ld,%.2f,%.2f,%.2f,%ld,%ld,%s\n", part.c_str(),
                   file.c_str(), constant.c_str(), value.c_str(), D(r.mof_above), D(r.mof_at),
                   D(r.mof_below), c.mof.points(), c.mof.above, D(r.lof_above), D(r.lof_at),
                   D(r.lof_below), c.lof.points(), c.lof.above, net.c_str());
}

// The diddle's reference lines, with the clear misses after them.
std::string pooled_block(const CellCounts& c) {
    const ScoreResults r = score_results(c);
    return cformat("              MOF=%4.1f %4.1f %4.1f   POINTS=%4.0f   CLEAR MISSES=%ld\n",
                   D(r.mof_above), D(r.mof_at), D(r.mof_below), D(r.mof_count), c.mof.above) +
           cformat("              LOF=%4.1f %4.1f %4.1f   POINTS=%4.0f   CLEAR MISSES=%ld\n",
                   D(r.lof_above), D(r.lof_at), D(r.lof_below), D(r.lof_count), c.lof.above);
}

// The hold-out files under the starting and the tuned constants, per file and pooled,
// with the net score of the tuned against the starting ones.
void write_holdout(Report& report, bool csv, const Constants& k,
                   const std::vector<const ContestFile*>& holdout, const RunCounts* start_runs,
                   const RunCounts* tuned_runs) {
    if (!csv)
        report.write("HOLD-OUT FILES: STARTING CONSTANTS AGAINST TUNED ONES\n" +
                     counts_heading("FILE", kLabelWidth));
    CellCounts start_pooled, tuned_pooled;
    std::size_t both = 0;
    const auto write = [&](const std::string& name, const CellCounts& s, const CellCounts& t) {
        const NetScore ns = net_score(k, score_results(s), score_results(t));
        if (csv) {
            report.write(csv_row("holdout-start", name, "", "", s, ""));
            report.write(
                csv_row("holdout-tuned", name, "", "", t, cformat("%.3f", D(ns.net_score))));
        } else {
            report.write(name + "\n" + counts_row("  start", kLabelWidth, s) +
                         counts_row("  tuned", kLabelWidth, t));
            report.printf("  tuned against start: NET=%5.1f\n", D(ns.net_score));
        }
    };
    for (std::size_t i = 0; i < holdout.size(); ++i) {
        const RunCounts &s = start_runs[i], &t = tuned_runs[i];
        const std::string name = base_name(holdout[i]->name);
        if (!s.scored || !t.scored) {
            const std::string why = !s.scored ? s.why : t.why;
            report.write(csv ? "holdout," + name + ",,,,,,,,,,,,,\n"
                             : name + "\n  NO SCORE: " + why + "\n");
            continue;
        }
        ++both;
        start_pooled.add(s.counts);
        tuned_pooled.add(t.counts);
        write(name, s.counts, t.counts);
    }
    if (both > 0) write(csv ? "pooled" : "POOLED", start_pooled, tuned_pooled);
    if (!csv) report.write("\n");
}

}  // namespace

SweepOutcome tune_constants(const RunSettings& base, const std::vector<std::string>& file_names,
                            const std::vector<std::string>& holdout_names,
                            const TuneOptions& options, Report& report, RunSettings& tuned,
                            SweepHooks& hooks, MessageSink& messages) {
    std::vector<std::string> inputs = file_names;
    inputs.insert(inputs.end(), holdout_names.begin(), holdout_names.end());
    if (const std::optional<std::string> conflict = output_conflict(options.scratch, inputs)) {
        messages.show_message(*conflict, kOutputErrorCaption);
        return SweepOutcome::refused;
    }
    tuned = base;
    const bool csv = options.csv;
    const Constants& k = base.consts;
    const std::time_t started = std::time(nullptr);
    if (csv)
        report.write(
            "part,file,constant,value,mof_above_pct,mof_at_pct,mof_below_pct,mof_points,"
            "mof_clear_misses,lof_above_pct,lof_at_pct,lof_below_pct,lof_points,"
            "lof_clear_misses,net\n");
    else {
        report.write("POOLED CONSTANT TUNE REPORT\n");
        report.write("\nREPORT STARTED: " + utc_stamp(started) + "\n\n");
        // The SETUP group is each file's own (its date, indices, QTH and grain).
        report.write(changed_constants(base, false));
    }

    std::string notes;
    std::vector<ContestFile> all_files = prepare_files(base, file_names, options, notes, messages);
    std::vector<ContestFile> holdout_files =
        prepare_files(base, holdout_names, options, notes, messages);
    std::vector<const ContestFile*> files, holdout;
    for (const ContestFile& f : all_files)
        if (f.usable) files.push_back(&f);
    for (const ContestFile& f : holdout_files)
        if (f.usable) holdout.push_back(&f);

    const std::vector<MarkedConstant> marked = marked_constants(base);

    StopOnReportError sweep_hooks(hooks, report);
    LockedMessages locked(messages);
    hooks.sweep_started();
    Sweep sweep(options.jobs, options.scratch);
    const long planned =
        long(files.size()) * (2 + 4 * long(marked.size())) + 2 * long(holdout.size());
    Tuner tuner(base, options, sweep, sweep_hooks, locked, planned);

    // The reference: the starting constants on every file, tuning and hold-out.
    std::vector<RunTask> tasks;
    for (const ContestFile* f : files)
        tasks.push_back({f, {}});
    for (const ContestFile* f : holdout)
        tasks.push_back({f, {}});
    hooks.SetStatus2("Reference run");
    const std::vector<RunCounts> start_runs = tuner.run(tasks);
    std::vector<const ContestFile*> scored_files;
    std::vector<RunCounts> file_refs;
    CellCounts ref_counts;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (start_runs[i].scored) {
            scored_files.push_back(files[i]);
            file_refs.push_back(start_runs[i]);
            ref_counts.add(start_runs[i].counts);
        } else if (!sweep.stopped()) {
            notes += "NO SCORE: " + files[i]->name + ": " + start_runs[i].why + "\n";
        }
    }
    files = scored_files;
    const ScoreResults ref = score_results(ref_counts);
    const bool ref_scored = !files.empty() && !sweep.stopped();

    if (csv) {
        for (std::size_t i = 0; i < files.size(); ++i)
            report.write(
                csv_row("reference", base_name(files[i]->name), "", "", file_refs[i].counts, ""));
        if (ref_scored) report.write(csv_row("reference", "pooled", "", "", ref_counts, ""));
    } else {
        report.printf("TUNED ON %d CONTEST FILES, START_TIME= %f  STOP_TIME=%f\n",
                      int(files.size()), D(options.request.times.start),
                      D(options.request.times.stop));
        report.write(notes);
        if (options.min_distance_km > 0)
            report.printf("CELLS NEARER THAN %.0f KM TO THE QTH LEFT OUT OF EVERY COUNT\n",
                          options.min_distance_km);
        report.write("\n" + counts_heading("FILE", kLabelWidth));
        for (std::size_t i = 0; i < files.size(); ++i)
            report.write(counts_row(base_name(files[i]->name), kLabelWidth, file_refs[i].counts));
        report.write("\n\nREFERENCE RUN:  POOLED\n");
        if (ref_scored)
            report.write(pooled_block(ref_counts));
        else
            report.write("              NO SCORE\n");
        report.write("\n");
    }

    // Every marked constant swept as the diddle sweeps it, one trial of every constant
    // still going per round, each trial a run of every file.
    std::vector<ConstantSteps> steps;
    std::vector<std::vector<Trial>> trials(marked.size());
    for (const MarkedConstant& c : marked)
        steps.emplace_back(k, const_table[c.flat].cons_type == 4);
    while (ref_scored && !sweep.stopped()) {
        std::vector<std::size_t> going;
        tasks.clear();
        for (std::size_t c = 0; c < marked.size(); ++c)
            if (!steps[c].done()) {
                going.push_back(c);
                for (const ContestFile* f : files)
                    tasks.push_back({f, {{marked[c].flat, steps[c]}}});
            }
        if (going.empty()) break;
        const std::vector<RunCounts> runs = tuner.run(tasks);
        if (sweep.stopped()) break;  // a round stopped part way is not reported
        for (std::size_t j = 0; j < going.size(); ++j) {
            const std::size_t c = going[j];
            const const_desc& d = const_table[marked[c].flat];
            Trial t(
                D(steps[c].value(files[0]->settings.consts.*d.val)) * scale_table[d.scale_factor],
                steps[c]);
            t.scored = pool(runs, j * files.size(), files.size(), files, t.pooled, t.why);
            if (t.scored) {
                t.r = score_results(t.pooled);
                t.ns = net_score(k, ref, t.r);
            }
            steps[c].record(t.scored, t.ns.net_score);
            trials[c].push_back(t);
        }
    }

    // For each constant the trial of the best pooled net score above the threshold.
    std::vector<Change> chosen;
    std::vector<std::string> chosen_lines;
    for (std::size_t c = 0; ref_scored && c < marked.size(); ++c) {
        const const_desc& d = const_table[marked[c].flat];
        const group_desc& group = const_groups[marked[c].group];
        const D scale = scale_table[d.scale_factor];
        const float hold = files.empty() ? base.consts.*d.val : files[0]->settings.consts.*d.val;
        const Trial* best = nullptr;
        if (csv) {
            for (const Trial& t : trials[c])
                report.write(t.scored
                                 ? csv_row("trial", "pooled", d.name, cformat("%f", D(t.shown)),
                                           t.pooled, cformat("%.3f", D(t.ns.net_score)))
                                 : "trial,pooled," + std::string(d.name) +
                                       cformat(",%f", D(t.shown)) + ",,,,,,,,,,,\n");
        } else {
            report.printf("%s  %s  START = %f\n", group.name, d.name, D(hold) * scale);
            for (const Trial& t : trials[c])
                report.write(cformat("%10f  ", D(t.shown)) +
                             (t.scored ? scored_run_text(t.r, t.ns) + cformat("  MISSES=%ld %ld\n",
                                                                              t.pooled.mof.above,
                                                                              t.pooled.lof.above)
                                       : "NO SCORE: " + t.why + "\n"));
            report.write("\n");
        }
        for (const Trial& t : trials[c])
            if (t.scored && t.ns.net_score > k.diddle_thresh &&
                (!best || t.ns.net_score > best->ns.net_score))
                best = &t;
        if (!best) continue;
        chosen.push_back({marked[c].flat, best->steps});
        // A value each file sets for itself (an index of its header) is no constant of
        // the model: the tuned file keeps the starting one.
        bool own_value = false;
        for (const ContestFile* f : files)
            own_value = own_value || f->settings.consts.*d.val != base.consts.*d.val;
        float& live = tuned.consts.*d.val;
        const float start = live;
        if (!own_value) live = best->steps.value(start);
        if (csv)
            chosen_lines.push_back(csv_row("chosen", "pooled", d.name,
                                           cformat("%f", D(best->shown)), best->pooled,
                                           cformat("%.3f", D(best->ns.net_score))));
        else
            chosen_lines.push_back(
                cformat("%-10s %-10s %10f -> %10f  NET=%5.1f%s\n", group.name, d.name,
                        D(hold) * scale, D(best->shown), D(best->ns.net_score),
                        own_value ? "  (each file's own value: not written)" : ""));
    }

    // All chosen values together, on the tuning files and the hold-out files.
    const bool finished = ref_scored && !sweep.stopped();
    if (finished && !csv) {
        report.printf("CHOSEN: THE BEST POOLED NET ABOVE %f PER CONSTANT\n", D(k.diddle_thresh));
        for (const std::string& line : chosen_lines)
            report.write(line);
        if (chosen.empty()) report.write("NONE: THE TUNED CONSTANTS ARE THE STARTING ONES\n");
        report.write("\n");
    } else if (finished) {
        for (const std::string& line : chosen_lines)
            report.write(line);
    }
    if (finished && (!chosen.empty() || !holdout.empty())) {
        tasks.clear();
        if (!chosen.empty())
            for (const ContestFile* f : files)
                tasks.push_back({f, chosen});
        for (const ContestFile* f : holdout)
            tasks.push_back({f, chosen});
        hooks.SetStatus2("Tuned constants");
        // The hold-out files' reference runs follow the tuning files' in the first round.
        const std::size_t first_start = start_runs.size() - holdout.size();
        const std::vector<RunCounts> runs =
            chosen.empty() ? std::vector<RunCounts>(
                                 start_runs.begin() + std::ptrdiff_t(first_start), start_runs.end())
                           : tuner.run(tasks);
        const std::size_t first_holdout = chosen.empty() ? 0 : files.size();
        if (!sweep.stopped()) {
            if (!chosen.empty()) {
                CellCounts together;
                std::string why;
                const bool scored = pool(runs, 0, files.size(), files, together, why);
                const NetScore ns = net_score(k, ref, score_results(together));
                if (csv)
                    report.write(scored ? csv_row("together", "pooled", "", "", together,
                                                  cformat("%.3f", D(ns.net_score)))
                                        : "together,pooled,,,,,,,,,,,,,\n");
                else {
                    report.write("ALL CHOSEN VALUES TOGETHER:  POOLED\n");
                    report.write(scored ? pooled_block(together) +
                                              cformat("              NET=%5.1f\n", D(ns.net_score))
                                        : "              NO SCORE: " + why + "\n");
                    report.write("\n");
                }
            }
            if (!holdout.empty())
                write_holdout(report, csv, k, holdout, &start_runs[first_start],
                              &runs[first_holdout]);
        }
    }

    if (!csv) {
        const std::time_t done = std::time(nullptr);
        report.write("\nREPORT DONE: " + utc_stamp(done) + "\n");
        report.printf("\nELAPSED TIME: %ld SECONDS\n", long(done - started));
    }
    hooks.sweep_ended();
    return sweep_outcome(sweep, ref_scored, messages);
}

}  // namespace skywave
