// The score's better-of-both counts kept cell by cell, so that they can be split (by
// distance from the QTH, by hour, by band), pooled over many contest files, and told
// apart from the observed cells the score cannot count.
//
// A log shows what was worked, not what was possible, so an observed level is a lower
// bound of the true one. The one count that is a plain fault of the model is a cell
// whose observed level lies above the prediction of both paths: a band was worked that
// the model calls closed (for MOF a band above the predicted MOF, for LOF a band below
// the predicted LOF). These "clear misses" are the score's BETTER cells, kept here in
// cell-hours rather than as a share.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/file_text.h"
#include "tuning/score.h"

namespace skywave {

struct Grid;
class MessageSink;

// Cell-hours of one kind (better of both paths) as the score counts them.
struct KindCounts {
    long above = 0, at = 0, below = 0;
    long points() const { return above + at + below; }
    // above is the count of clear misses
    void add(const KindCounts& o) {
        above += o.above;
        at += o.at;
        below += o.below;
    }
};

// Observed cell-hours the score passes over, by the reason.
struct Uncounted {
    long mof_below_bands = 0;  // worked, but only below the lowest MOF band (MOF blank)
    long lof_above_bands = 0;  // worked, but only above the highest LOF band (LOF blank)
    long no_level = 0;         // a cell of either file that holds no level (no data)
    long no_prediction = 0;    // worked in a screen the prediction does not have
    long too_near = 0;         // worked nearer the QTH than the distance asked for
    void add(const Uncounted& o) {
        mof_below_bands += o.mof_below_bands;
        lof_above_bands += o.lof_above_bands;
        no_level += o.no_level;
        no_prediction += o.no_prediction;
        too_near += o.too_near;
    }
};

struct CellCounts {
    KindCounts mof, lof;
    Uncounted uncounted;
    void add(const CellCounts& o) {
        mof.add(o.mof);
        lof.add(o.lof);
        uncounted.add(o.uncounted);
    }
};

// The final percentages and counts of the score from counts (pooled or not), with the
// score's own arithmetic, so that one file's counts give exactly the score's results.
ScoreResults score_results(const CellCounts& c);

// "LABEL  > == < PTS MISSES   > == < PTS MISSES": MOF then LOF, shares in percent of
// the points and the clear misses in cell-hours, the label padded to width.
std::string counts_row(const std::string& label, int width, const CellCounts& c);
// The two heading lines of such rows.
std::string counts_heading(const std::string& title, int width);

// One cell of a pair of screens as the score sees it.
struct ObservedCell {
    int screen = 0;          // from 0
    float hour = -1;         // UTC, from the observations' header line (else the prediction's)
    double distance_km = 0;  // great circle from the observations' QTH to the cell's centre
    // Levels 0 to 3 of the better of both predicted paths (p) and of the observation
    // (o); -1 where the character is no level.
    int p_mof = 0, o_mof = 0, p_lof = 0, o_lof = 0;
    bool predicted = true;  // false: a screen of the observations beyond the prediction
};

// Walks the two files screen by screen and cell by cell exactly as the score pairs
// them, calling visit for every cell where something was observed (a level above 0 on
// either line, or a character that is no level). False, with the reason reported, when
// a file cannot be read or the observations' header names no QTH.
bool walk_cells(const Grid& grid, FileText prediction, FileText observations,
                const std::function<void(const ObservedCell&)>& visit, MessageSink& messages);

// Adds one visited cell to counts; cells nearer than min_distance_km count only as too
// near.
void count_cell(const ObservedCell& cell, double min_distance_km, CellCounts& counts);

// The counts of two files, all cells at min_distance_km or farther.
std::optional<CellCounts> count_cells(const Grid& grid, FileText prediction, FileText observations,
                                      double min_distance_km, MessageSink& messages);

}  // namespace skywave
