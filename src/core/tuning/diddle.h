// The constant diddle: tunes the model against observations. A reference run is
// scored first; then each marked constant is varied alone, step by step, every run
// scored against the reference, and the constant restored.
#pragma once

#include <ctime>
#include <string>

#include "base/file_text.h"
#include "tuning/constant_sweep.h"

namespace skywave {

struct RunSettings;
class MessageSink;
class Report;
class SweepHooks;
enum class SweepOutcome;

// "Sun Dec 06 18:16:42 2026": the report's UTC time stamps, in English.
std::string utc_stamp(std::time_t t);

// Runs the whole sweep for the contest file into the report, from the run settings
// (with the contest file's conditions). Every run writes a prediction into a scratch
// file; afterwards scratch_file holds the last run. jobs runs go on at once. Without a
// scored reference run nothing is swept (nothing_scored); a scratch file that is the
// contest file is refused before anything is written.
SweepOutcome DiddleConsts(const RunSettings& settings, const FileText& CompareFile, Report& report,
                          const std::string& ScratchFile, int jobs, SweepHooks& hooks,
                          MessageSink& messages);

}  // namespace skywave
