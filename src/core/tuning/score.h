// The score engine: cell-by-cell comparison of a prediction with observations.
//
// Two files of the same screen layout are walked side by side, screen by screen; in
// every cell the predicted level (file 1) is compared with the observed one (file 2),
// for the short path, the long path and the better of both, for MOF and LOF.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "base/file_text.h"

namespace skywave {

struct Grid;
class LineReader;
class MessageSink;
class Report;

enum ScoreKind { SP_MOF, LP_MOF, BT_MOF, SP_LOF, LP_LOF, BT_LOF, kScoreKinds };

// How often the observation lay above the prediction, at it (both non-zero) and below
// it, per kind.
struct ScoreCounters {
    std::array<float, kScoreKinds> above{}, at{}, below{}, count{};
};

// The final "better of both" percentages and counts.
struct ScoreResults {
    float mof_above = 0, mof_at = 0, mof_below = 0, mof_count = 0;
    float lof_above = 0, lof_at = 0, lof_below = 0, lof_count = 0;
};

// The next line of a screen as the comparison sees it: its line end is a cell like
// any other (and is skipped as no level); a line missing at the end of the file
// reads as blank.
std::string screen_line(LineReader& in);

// Compares a predicted line with an observed one over n_cols cells and counts into
// the kind `type`. Both lines are padded to n_cols and normalised in place (blank to
// "0", "A" "B" "C" to "1" "2" "3"); cells that are not a level are skipped.
void compare_line(std::string& buff, std::string& buff2, int type, int n_cols,
                  ScoreCounters& counters);

// Turns the (normalised) short-path line into the better of it and the long-path line.
void better_of_both(std::string& short_line, const std::string& long_line, int n_cols);

// Compares a prediction file (file 1) with observations (file 2), both in the layout
// of the grid. The report, when given, receives the per-screen blocks and the final
// totals. The better-of-both percentages, or nothing when the comparison could not be
// made (reported).
std::optional<ScoreResults> ScoreFiles(const Grid& grid, const std::string& prediction,
                                       const std::string& observations, Report* report,
                                       MessageSink& messages);
// The same for two files already read (each read once, so pipes work and the
// observations of a sweep are read a single time).
// screen_done, when given, learns how many screens are scored so far.
std::optional<ScoreResults> score_texts(const Grid& grid, FileText prediction,
                                        FileText observations, Report* report,
                                        MessageSink& messages,
                                        const std::function<void(long)>& screen_done = {});

}  // namespace skywave
