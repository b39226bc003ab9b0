#include "map/map_view.h"

#include <cmath>

#include "base/cformat.h"
#include "base/numbers.h"
#include "map/map_resources.h"
#include "model/geomag.h"
#include "model/model.h"
#include "model/result_arrays.h"
#include "model/solar.h"

namespace skywave {

namespace {

constexpr Pixel kWhite = rgb(255, 255, 255);
constexpr Pixel kGrey = rgb(128, 128, 128);
constexpr Pixel kBlack = rgb(0, 0, 0);

// Cell layout of the grain: display row k shows grid row k + 1.
struct Cells {
    int width, height;
    explicit Cells(const Model& m)
        : width(kMapWidth / m.grid.n_cols), height(2 * m.grid.cell_scale) {}
    int y(int row) const { return 10 + row * height; }
};

// The great-circle dots of ShowPaths and ShowQTH: from the QTH along each bearing,
// one white dot per distance, plotted at half resolution (each dot 2 x 2 pixels).
void plot_circles(Surface& w, const Model& m, double brg_start, double brg_step, double d_step,
                  double d_end) {
    const double pi = 3.14159;
    const double twopi = 2 * pi;
    const double stat_lat = D(m.consts.rlat) * kDegPerRad * twopi / 360;
    const double stat_long = -D(m.consts.rlon) * kDegPerRad * twopi / 360;  // east positive
    for (double brg = brg_start; brg < twopi; brg += brg_step) {
        for (double d = d_step; d < d_end; d += d_step) {
            const double lat2 =
                pi / 2 - std::acos(std::cos(brg) * std::sin(d) * std::cos(stat_lat) +
                                   std::cos(d) * std::sin(stat_lat));
            double q = (std::cos(d) - std::sin(stat_lat) * std::sin(lat2)) /
                       (std::cos(lat2) * std::cos(stat_lat));
            if (q > 1) q = 1;
            if (q < -1) q = -1;
            const double dlon = std::acos(q);
            double lon2 = std::sin(brg) >= 0 ? stat_long + dlon : stat_long - dlon;
            // Longitudes wrap round the map horizontally, however far east the QTH lies.
            lon2 = std::fmod(lon2, twopi);
            if (lon2 < 0) lon2 += twopi;
            const std::optional<int> y = trunc_to_int((90 - 180 * lat2 / pi) * 170 / 180 + 8);
            const std::optional<int> x = trunc_to_int(320 * lon2 / twopi);
            if (!x || !y || *y < 0 || *y >= 200 || *x < 0 || *x >= 320) continue;
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i)
                    w.set_pixel(2 * *x + i, 2 * *y + j, kWhite);
        }
    }
}

void base_picture(Surface& working, const ViewState& view) {
    if (view.map)
        working = map_resources().world;
    else
        working.fill(kBlack);
}

// The header's first 20 characters, up to its first line end.
std::string title_of(const std::string& header_line) {
    std::string t = header_line.substr(0, 20);
    const std::size_t nl = t.find('\n');
    if (nl != std::string::npos) t.resize(nl);
    return t;
}

void overlays(MapSurfaces& s, const Model& m, const ViewState& view, bool replay) {
    if (view.sun) ShowSun(s.Working, m, map_resources());
    if (replay) {
        if (view.great_circles) ShowPaths(s.Working, m);
        if (view.qth) ShowQTH(s.Working, m);
    } else {
        if (view.qth) ShowQTH(s.Working, m);
        if (view.great_circles) ShowPaths(s.Working, m);
    }
    if (view.projection == ViewState::polar_qth) Polar(s, m, 3);
    if (view.projection == ViewState::polar_north) Polar(s, m, 2);
}

}  // namespace

MapSurfaces::MapSurfaces() : Working(map_resources().world), Temp(map_resources().world) {}

void ShowSun(Surface& working, const Model& m, const MapResources& res) {
    const Cells cells(m);
    const Grid& g = m.grid;
    for (int k = 0; k < g.out_rows; ++k) {
        const float lat = g.row_lat(k + 1);
        int rise_long, set_long;
        sun_locate(m, lat, m.consts.calc_time, &rise_long, &set_long);
        const int longs[2] = {rise_long, set_long};
        for (int which = 0; which < 2; ++which) {
            const int v = longs[which];
            if (v < 0) continue;
            const std::optional<int> col =
                trunc_to_int(g.n_cols - v * D(kRadPerDeg2) * g.cols_per_rad);
            if (!col) continue;
            const int x = (((*col) % g.n_cols) + g.n_cols) % g.n_cols * cells.width;
            // The mask cuts a black sun out of the picture, the sun fills it with yellow.
            const Surface& mask = res.DrawBitmap[which == 0 ? 8 : 10];
            const Surface& sun = res.DrawBitmap[which == 0 ? 7 : 9];
            working.stretch_blit(x, cells.y(k), cells.width, cells.height, mask, RasterOp::and_,
                                 StretchMode::and_);
            working.stretch_blit(x, cells.y(k), cells.width, cells.height, sun, RasterOp::or_,
                                 StretchMode::or_);
        }
    }
}

void ShowPaths(Surface& working, const Model& m) {
    const double pi = 3.14159;
    const int points = 45;
    plot_circles(working, m, 0, pi / 4, pi / points, pi);
}

void ShowQTH(Surface& working, const Model& m) {
    const double pi = 3.14159;
    const int points = 10;
    const double size = pi / 36;
    plot_circles(working, m, pi / 4, pi / 2, size / points, size);
}

std::optional<std::pair<int, int>> polar_source(const Model& m, int projection, int col, int row) {
    const double aspect = 1.0;
    const D pi = kPi;
    float rad = float(
        std::sqrt(D(row - 200) * (row - 200) + ((col - 320) / aspect) * ((col - 320) / aspect)));
    if (rad > 200) return std::nullopt;
    float ang = float(std::atan((row - 200) / ((col - 320.5) / aspect)));
    if (col - 320.5 < 0) ang = float(D(ang) + pi);
    if (ang < 0) ang = float(D(ang) + 2 * pi);
    ang = float(2 * pi - ang);
    if (projection == 3) {
        range_azim cp{m.consts.rlat,
                      m.consts.rlon,
                      0,
                      0,
                      float(D(rad) * pi * 0.005),
                      float((2 * pi - ang) + pi / 2)};
        compute_lat_lon(&cp);
        rad = float((pi / 2 - cp.to_lat) * 200 / pi);
        float lon = cp.to_lon;
        if (lon < 0) lon = float(D(lon) + 2 * pi);
        ang = float(2 * pi - lon);
    }
    const std::optional<int> x = trunc_to_int(D(ang) * 640 / (2 * pi));
    const std::optional<int> y =
        trunc_to_int(2 * m.grid.cell_scale * m.grid.out_rows * D(rad) * 0.005);
    if (!x || !y) return std::nullopt;
    // An angle of exactly 2 pi is longitude 0 again: the map's first column.
    const int sx = ((*x % kMapWidth) + kMapWidth) % kMapWidth;
    const int sy = *y + 10;
    if (sy < 0 || sy >= kMapHeight) return std::nullopt;
    return std::pair{sx, sy};
}

void Polar(MapSurfaces& s, const Model& m, int projection) {
    s.Temp.fill(kGrey);
    const double aspect = 1.0;
    for (int row = 0; row < 400; ++row) {
        const std::optional<int> half =
            trunc_to_int(std::sqrt(200.0 * 200 - D(row - 200) * (row - 200)) * aspect + 0.5);
        const int h = half.value_or(0);
        for (int col = 320 - h; col < 320 + h; ++col)
            if (const auto source = polar_source(m, projection, col, row))
                s.Temp.set_pixel(col, row, s.Working.pixel(source->first, source->second));
    }
    s.Working = s.Temp;
}

std::string BothLine(const std::string& s, const std::string& l, int n_cols) {
    std::string both = s;
    for (int i = 0; i < n_cols && i < int(s.size()) && i < int(l.size()); ++i) {
        switch (s[i]) {
            case ' ':
                both[i] = l[i];
                break;
            case '1':
                if (l[i] == 'B' || l[i] == 'C') both[i] = l[i];
                break;
            case '2':
                if (l[i] == 'C') both[i] = 'C';
                break;
            default:
                break;
        }
    }
    return both;
}

void ColorLine(Surface& working, const Model& m, const MapResources& res, const std::string& buff,
               int row) {
    const Cells cells(m);
    for (int c = 0; c < m.grid.n_cols && c < int(buff.size()); ++c) {
        int tile;
        switch (buff[c]) {
            case '3':
                tile = 1;
                break;
            case '2':
                tile = 2;
                break;
            case '1':
                tile = 3;
                break;
            case 'C':
                tile = 4;
                break;
            case 'B':
                tile = 5;
                break;
            case 'A':
                tile = 6;
                break;
            default:
                continue;
        }
        // XOR: over black sea the tile's own colour, over grey land a mixed one.
        working.blit(c * cells.width, cells.y(row), cells.width, cells.height, res.DrawBitmap[tile],
                     0, 0, RasterOp::xor_);
    }
}

std::string DrawReplay(MapSurfaces& s, const Model& m, const ReplayScreen& screen,
                       const ViewState& view) {
    base_picture(s.Working, view);
    std::string title = title_of(m.header_line);
    const bool both = view.short_path && view.long_path;
    const int first = view.lines == ViewState::mof ? 0 : 3;  // MOF lines 0, 1; LOF lines 3, 4
    if (view.lines != ViewState::other && (view.short_path || view.long_path)) {
        const char* label = view.lines == ViewState::mof ? (both              ? "  BOTH MOF "
                                                            : view.short_path ? "  SHORT MOF"
                                                                              : "  LONG MOF ")
                                                         : (both              ? "  BOTH LOF "
                                                            : view.short_path ? "  SHORT LOF"
                                                                              : "  LONG LOF ");
        title += label;
        for (int k = 0; k < m.grid.out_rows && std::size_t(5 * k + 4) < screen.lines.size(); ++k) {
            const std::string& sl = screen.lines[std::size_t(5 * k + first)];
            const std::string& ll = screen.lines[std::size_t(5 * k + first + 1)];
            ColorLine(s.Working, m, map_resources(),
                      both              ? BothLine(sl, ll, m.grid.n_cols)
                      : view.short_path ? sl
                                        : ll,
                      k);
        }
    }
    overlays(s, m, view, true);
    return title;
}

void array_max_min(const Model& m, const Array2D& array, ExamState& exam) {
    exam.exam_max = exam.exam_min = array[1][0];
    for (int r = 0; r < m.grid.n_rows; ++r)
        for (int c = 0; c < m.grid.n_cols; ++c) {
            if (array[r][c] > exam.exam_max) exam.exam_max = array[r][c];
            if (array[r][c] < exam.exam_min) exam.exam_min = array[r][c];
        }
    exam.exam_step = float((D(exam.exam_max) - exam.exam_min) * 0.1);
    if (exam.exam_step == 0) exam.exam_step = 1;
}

bool select_exam_array(Model& m, int index, ExamState& exam) {
    const disp_array& d = disp_arrays[std::size_t(index)];
    exam.exam_index = index;
    exam.exam_title = d.title;
    exam.exam_scale = d.scale_factor;
    if (d.type == 50) return false;
    ResultArrays& a = *m.arrays;
    if (d.type == 2) {  // a per-row array is shown as bands
        for (int r = 0; r < m.grid.n_rows; ++r)
            for (int c = 0; c < m.grid.n_cols; ++c)
                a.work_array[r][c] = (a.*d.array1d)[r];
    }
    array_max_min(m, d.type == 2 ? a.work_array : a.*d.array2d, exam);
    return true;
}

std::string DrawArray(MapSurfaces& s, const Model& m, const ExamState& exam, const ViewState& view,
                      LegendText& legend) {
    base_picture(s.Working, view);
    const std::string title = title_of(m.header_line) + "  " + exam.exam_title;
    legend.range = cformat("MIN=%7.4f MAX=%7.4f STEP=%7.4f", D(exam.exam_min) * exam.exam_scale,
                           D(exam.exam_scale) * exam.exam_max, D(exam.exam_step) * exam.exam_scale);
    const disp_array& d = disp_arrays[std::size_t(exam.exam_index)];
    const ResultArrays& a = *m.arrays;
    const Array2D& array = d.type == 2 ? a.work_array : a.*d.array2d;
    const Cells cells(m);
    const int n_cols = m.grid.n_cols;
    const MapResources& res = map_resources();
    for (int k = 0; k < m.grid.out_rows; ++k) {
        for (int n = 0; n < n_cols; ++n) {
            const float v = array[k + 1][n_cols - n - 1];  // array columns run west
            int color = trunc_to_int((D(v) - exam.exam_min) / exam.exam_step).value_or(0);
            if (color < 0) color = 0;
            if (color > 9) color = 9;
            s.Working.blit(cells.width * n, cells.y(k), cells.width, cells.height,
                           res.ExamBitmap[std::size_t(color)], 0, 0, RasterOp::xor_);
        }
    }
    overlays(s, m, view, false);
    // The legend: a white frame holding the ten pure colours.
    s.Working.fill_rect(138, 380, cells.width * 10 + 142 - 138, cells.height + 384 - 380, kWhite);
    for (int n = 0; n < 10; ++n) {
        const int x = cells.width * n + 140;
        s.Working.fill_rect(x, 382, cells.width, cells.height, kBlack);
        s.Working.blit(x, 382, cells.width, cells.height, res.ExamBitmap[std::size_t(n)], 0, 0,
                       RasterOp::xor_);
    }
    return title;
}

SourceRect paint_source(const ViewState& view, bool examining) {
    if (view.projection != ViewState::rectangular) return {120, 0, 400, 400};
    if (examining) return {0, 0, 640, 445};
    return {0, 10, 640, 355};
}

std::string misc_values(const Model& m) {
    return cformat(
        "ssn=%f\nak_factor=%f\njulian date=%f\nsub solar lat=%f\na1=%f\ncf_noon_max=%f\n", D(m.ssn),
        D(m.ak_factor), D(m.julian_date), D(m.sol_lat), D(m.a1), D(m.cf_noon_max));
}

GifOutcome write_replay_gif(const std::string& name, ReplayFile& replay, Model& m,
                            const ViewState& view, int frame_count, int delay_ms,
                            const std::function<bool()>& stop,
                            const std::function<void(int done, const std::string& title)>& drawn,
                            std::string& error) {
    const SourceRect src = paint_source(view, false);
    GifAnimation animation;
    animation.x = src.x;
    animation.y = src.y;
    animation.width = src.width;
    animation.height = src.height;
    animation.frame_count = frame_count;
    animation.delay_ms = delay_ms;
    MapSurfaces surfaces;
    ReplayScreen screen;
    std::string title;
    return write_gif(
        name, animation,
        [&](int) -> const Surface* {
            // Stopped between frames: the GIF is complete or not written at all.
            if (stop()) return nullptr;
            replay.ReadScreen(m, screen);
            title = DrawReplay(surfaces, m, screen, view);
            return &surfaces.Working;
        },
        error, [&](int done) { drawn(done, title); });
}

}  // namespace skywave
