// The pooled tune: the diddle over many contest files at once, judged on files it
// never saw.
//
// Every contest file is run with its own dates, indices, location and grain; the
// score's counts are summed over the files before they become shares, so a big log
// weighs by its cell-hours. Each marked constant is swept exactly as the diddle sweeps
// it, every trial scored pooled; the tuned constants take, per constant, the value of
// the best pooled net score above diddle_thresh, and one run of all of them together
// is scored. Hold-out files then compare the starting constants with the tuned ones.
#pragma once

#include <string>
#include <vector>

#include "run/contest_run.h"

namespace skywave {

struct RunSettings;
class MessageSink;
class Report;
class SweepHooks;
enum class SweepOutcome;

struct TuneOptions {
    ContestRunRequest request;   // grain, dates and times of each file's runs
    double min_distance_km = 0;  // cells nearer the QTH are left out of every count
    int jobs = 1;
    bool csv = false;  // comma-separated values instead of the text report
    std::string scratch = "scratch.mof";
};

// Runs the tune of the base settings' marked constants on files, with holdout files
// judged afterwards, into the report; tuned receives the base settings with the
// chosen values. The scratch file holds the last run afterwards; one that is an
// input is refused before anything is written. nothing_scored when no reference run
// could be scored.
SweepOutcome tune_constants(const RunSettings& base, const std::vector<std::string>& files,
                            const std::vector<std::string>& holdout, const TuneOptions& options,
                            Report& report, RunSettings& tuned, SweepHooks& hooks,
                            MessageSink& messages);

}  // namespace skywave
