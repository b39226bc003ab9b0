// Where on the world a point of the picture lies, and what the replayed screen shows
// there: the inverse of the map's composition, for the rectangular and both polar
// views.
#pragma once

#include <optional>

#include "files/replay.h"
#include "map/map_view.h"

namespace skywave {

struct Model;

// A grid cell of the picture.
struct MapPlace {
    int row = 0, col = 0;     // the grid cell, as the model's arrays index it
    int line = 0;             // its display row (0 ... out_rows - 1)
    int character = 0;        // its character in the screen's symbol lines
    double lat = 0, lon = 0;  // the cell's centre, degrees north and east
};

// The cell shown at (x, y) of the 640 x 480 picture in the view, or nothing outside
// the cells (the polar rows, the frame round a polar disc).
std::optional<MapPlace> place_at(const Model& m, const ViewState& view, int x, int y);

// The level (1 ... 3, 0 for none) the screen gives the cell for the view's lines: the
// short or the long path's symbol, or with both the higher of the two.
int screen_level(const ReplayScreen& screen, const MapPlace& place, const ViewState& view);

}  // namespace skywave
