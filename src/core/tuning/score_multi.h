// The multi-file score: every contest file of a folder scored against a run of the
// model for that file's conditions, one summary row per file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "run/contest_run.h"

namespace skywave {

struct RunSettings;
enum class SweepOutcome;
class MessageSink;
class SweepHooks;

// The contest files of a folder: ordinary files named "*.prp" in any case, in byte
// order of their names.
std::vector<std::string> list_contest_files(const std::string& folder);

struct ScoreMultiOptions {
    int grain = 0;               // 0: each file's own grain
    bool use_run_dates = false;  // false: each file's own dates (the span of its headers)
    RunTimes times;              // the hours of each date (0:00 to 23:00 unless asked)
    int jobs = 1;
    std::string scratch = "SCRATCH.MOF";
};

// Runs and scores every file; write() receives the two heading lines and the rows in
// file order. The base settings give the constants (and the dates when the options
// say so); the last file's
// date, indices, location and grain are left in them. A scratch file that is one of
// the files is refused before anything is written.
SweepOutcome score_multi(RunSettings& base, const std::vector<std::string>& files,
                         const ScoreMultiOptions& options,
                         const std::function<void(const std::string&)>& write, SweepHooks& hooks,
                         MessageSink& messages);

}  // namespace skywave
