// Accuracy you can read: the score's better-of-both counts of one prediction against
// one contest file, split by great-circle distance from the QTH, by UTC hour or by
// the observed band level, with the clear misses in cell-hours and the observed cells
// the score cannot count, by the reason.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/file_text.h"
#include "tuning/cell_counts.h"

namespace skywave {

struct Grid;
class MessageSink;

enum class AccuracySplit { distance, hour, band };

struct AccuracyRow {
    std::string label;
    CellCounts counts;
};

struct AccuracyTable {
    AccuracySplit by = AccuracySplit::distance;
    std::vector<AccuracyRow> rows;
    CellCounts all;  // every cell: the score's final totals
};

// The distance bands, km: 0-1000, 1000-2500, 2500-5000, 5000-10000, over 10000.
int distance_band(double distance_km);

// The table of a prediction against observations on the grid; nothing when the files
// cannot be compared (reported). By band, a cell counts in the row of its observed
// level, MOF and LOF apart; the cells that are not counted then show in the totals only,
// since they have no level of their own.
std::optional<AccuracyTable> accuracy_table(const Grid& grid, FileText prediction,
                                            FileText observations, AccuracySplit by,
                                            MessageSink& messages);

std::string accuracy_text(const AccuracyTable& table, const std::string& prediction,
                          const std::string& observations);
std::string accuracy_csv(const AccuracyTable& table);

}  // namespace skywave
