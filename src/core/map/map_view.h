// Composition of the map pictures: a replayed screen's symbols or an examined array's
// colours over the world map, with the sun, great circles and QTH overlays, in the
// rectangular view or one of the two polar views.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "files/replay.h"
#include "map/gif_io.h"
#include "map/surface.h"
#include "model/result_arrays.h"

namespace skywave {

struct Model;
struct MapResources;

// The display settings (the View menu's check marks).
struct ViewState {
    bool map = true, qth = true, sun = true, great_circles = false;
    enum Lines { mof, lof, other } lines = mof;
    bool short_path = true, long_path = true;
    enum Projection { rectangular = 1, polar_north = 2, polar_qth = 3 } projection = rectangular;
};

// The surfaces a picture is composed on.
struct MapSurfaces {
    MapSurfaces();
    Surface Working;  // the picture shown
    Surface Temp;     // scratch for the polar picture
};

// Overlays drawn into the Working surface.
void ShowSun(Surface& working, const Model& m, const MapResources& res);
void ShowPaths(Surface& working, const Model& m);
void ShowQTH(Surface& working, const Model& m);
// Rebuilds the Working surface as an azimuthal equidistant picture of its
// rectangular content: projection 2 centred on the North Pole, 3 on the QTH.
void Polar(MapSurfaces& s, const Model& m, int projection);
// The pixel of the rectangular picture that the polar picture shows at (col, row),
// if any.
std::optional<std::pair<int, int>> polar_source(const Model& m, int projection, int col, int row);

// The symbol line where both paths are shown: the higher band wins, on equal bands
// the short path's symbol.
std::string BothLine(const std::string& short_line, const std::string& long_line, int n_cols);

// Paints one display row's cells from a symbol line.
void ColorLine(Surface& working, const Model& m, const MapResources& res, const std::string& buff,
               int row);

// Composes a replay screen; returns the title ("MM DD HH.HH ...  BOTH MOF ").
std::string DrawReplay(MapSurfaces& s, const Model& m, const ReplayScreen& screen,
                       const ViewState& view);

// The next frame_count screens of an open replay file, drawn in the view, as one animated
// GIF of the map's picture. stop is asked before each frame and ends the writing with
// nothing written; drawn gets the number of frames done and the last one's title.
GifOutcome write_replay_gif(const std::string& name, ReplayFile& replay, Model& m,
                            const ViewState& view, int frame_count, int delay_ms,
                            const std::function<bool()>& stop,
                            const std::function<void(int done, const std::string& title)>& drawn,
                            std::string& error);

// The examined array and its colour scale.
struct ExamState {
    int exam_index = 0;
    std::string exam_title;
    float exam_scale = 1;
    float exam_max = 0, exam_min = 0, exam_step = 1;
};

// Range of a grid array and the width of one of ten colour levels.
void array_max_min(const Model& m, const Array2D& array, ExamState& exam);
// Sets the examination up for row `index` of the examinable arrays (a per-row array
// is spread into work_array); false for the "other" row, which has no picture.
bool select_exam_array(Model& m, int index, ExamState& exam);

// The texts drawn below an examined array, and where.
struct LegendText {
    std::string spectrum = "Spectrum";  // at (20, 370)
    std::string range;                  // "MIN=... MAX=... STEP=...", at (20, 405)
};

// Composes the examined array with its legend; returns the title.
std::string DrawArray(MapSurfaces& s, const Model& m, const ExamState& exam, const ViewState& view,
                      LegendText& legend);

// The part of the Working surface a window shows, scaled to its client area.
struct SourceRect {
    int x, y, width, height;
};
SourceRect paint_source(const ViewState& view, bool examining);

// The "Misc Values" of a step.
std::string misc_values(const Model& m);

}  // namespace skywave
