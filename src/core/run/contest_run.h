// A run of the model for a contest file: the run its observations are scored
// against, under the conditions its header names, on its grid and over the dates its
// screens span.
#pragma once

#include <optional>
#include <string>

#include "files/contest.h"
#include "model/run_settings.h"

namespace skywave {

class MessageSink;

// The hours of each date a run covers, UTC.
struct RunTimes {
    float start = 0, stop = 23, step = 1;
};
// The times a run of these settings covers.
RunTimes run_times(const RunSettings& s);

// The header's conditions as the run's: date, indices and location (radians).
void apply_contest_header(RunSettings& s, const ContestHeader& h);

// The run's dates set to the span (steps 1); refused with a message when the span
// crosses a month end, which a date rectangle cannot express.
bool set_run_dates(RunSettings& s, const DateSpan& span, MessageSink& messages);

struct ContestRunRequest {
    int grain = 0;           // 0: the file's own grain
    bool file_dates = true;  // false: the settings keep their dates
    RunTimes times;
};

enum class ContestRunStatus {
    ready,
    cannot_open,  // reported: "Can't open file for comparison"
    read_error,   // reported: "Can't read FILE: cause"
    bad_header,   // reported: the first line lacks its eight numbers
    no_grain,     // not reported: the file has no known layout
    bad_dates,    // the span of the screens is not a date rectangle (reported when it
                  // crosses a month end or holds no valid date)
};

struct ContestRun {
    ContestRunStatus status = ContestRunStatus::cannot_open;
    std::optional<ContestHeader> header;  // once it has been read
    int grain = 0;                        // once it is known
    FileText contest;                     // the file, read once, for the scores
};

// Prepares the settings for the run of a contest file: its header, its grain (or the
// one asked for), the dates its screens span (unless the settings keep theirs); then,
// only when every one of them is usable, sets the grain, the dates, the times asked
// for and the header's indices and QTH. On failure the settings are left as they
// were; each caller says in its own words what a missing grain means.
ContestRun prepare_contest_run(RunSettings& s, const std::string& file,
                               const ContestRunRequest& request, MessageSink& messages);

}  // namespace skywave
