// Contest data files made from observations: for every date and every UTC hour a
// screen in the layout of a prediction file, in the driver's order (dates, then hours
// 0 to 23), so that a run over the same dates pairs with it screen by screen.
//
// A cell's short-path MOF line holds the highest MOF level of the frequencies worked
// to it in that hour and its short-path LOF line the highest LOF level, classified by
// the prediction file's own writer; the long-path lines stay blank, and the marker
// line carries the terminator and the station's mark as a prediction's does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/maidenhead.h"
#include "observations/observations.h"

namespace skywave {

struct Model;
class MessageSink;

// A grid cell: row counted from the north, column westward from Greenwich, as the
// model's arrays index them.
struct GridCell {
    int row = 0, col = 0;
};

// The cell that holds a position; nothing in the first and the last row, which no
// file holds.
std::optional<GridCell> grid_cell(const Grid& g, LatLon p);

// An observation placed on the grid.
struct CellObservation {
    CivilDate date;
    int hour = 0;
    GridCell cell;
    float mhz = 0;
};

// Every date from first to last, both included.
std::vector<CivilDate> dates_between(const CivilDate& first, const CivilDate& last);

// The screens of the file. The model holds the grid, the COLOR thresholds, the
// station's location (rlat, rlon) and the indices; it gets result arrays (and its grid
// from display_grain) here if it has none. word is the header's last field (the
// station's call, no blanks). Observations of other dates are left out.
std::string contest_data_text(Model& m, const std::vector<CivilDate>& dates,
                              const std::vector<CellObservation>& observations,
                              const std::string& word);

// Writes text to a new file beside file_name and renames it into place, so that a
// failure leaves no partial file behind. Reports a failure (caption "FILE ERROR!").
bool write_whole_file(const std::string& file_name, const std::string& text, MessageSink& messages);

}  // namespace skywave
