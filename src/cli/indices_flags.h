// Solar indices from a GFZ Potsdam daily file (--indices) instead of typed ones: for
// a run of past dates with the indices those dates had.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "observations/observations.h"

namespace CLI {
class App;
}

namespace skywave {
class MessageSink;
struct SettingsFields;
}  // namespace skywave

namespace skywave::cli {

struct RunFlags;

// --indices FILE and --year Y; --indices excludes --flux, --a-index and --k-index,
// which add_run_flags must have added first.
void add_indices_flags(CLI::App& app, RunFlags& flags);

// The run's flux, A and K from the file over the dates (each the mean of the dates
// that have it, rounded); prints what it took to standard error. False when the file
// cannot be read or an index is missing on every date (reported).
struct IndicesText {
    std::string flux, a_index, k_index;
};
std::optional<IndicesText> indices_for_dates(const std::string& file,
                                             const std::vector<CivilDate>& dates,
                                             MessageSink& messages);

// With --indices: the dates of the run's date fields (in the year --year, else the
// latest year in which the file holds the start date) and their indices into the
// solar fields, before the dialog checks them. Date fields that are not numbers are
// left for the dialog to report. False when the indices cannot be had (reported).
bool indices_into_fields(SettingsFields& fields, const RunFlags& flags, MessageSink& messages);

}  // namespace skywave::cli
