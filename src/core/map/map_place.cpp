#include "map/map_place.h"

#include "base/numbers.h"
#include "map/map_resources.h"
#include "model/model.h"

namespace skywave {

namespace {

int level_of(char symbol) {
    if (symbol >= '1' && symbol <= '3') return symbol - '0';
    if (symbol >= 'A' && symbol <= 'C') return symbol - 'A' + 1;
    return 0;
}

}  // namespace

std::optional<MapPlace> place_at(const Model& m, const ViewState& view, int x, int y) {
    const Grid& g = m.grid;
    if (g.n_cols == 0) return std::nullopt;
    // A polar picture shows a pixel of the rectangular one.
    if (view.projection != ViewState::rectangular) {
        const auto source = polar_source(m, view.projection, x, y);
        if (!source) return std::nullopt;
        x = source->first;
        y = source->second;
    }
    const int width = kMapWidth / g.n_cols, height = 2 * g.cell_scale;
    if (x < 0 || x >= width * g.n_cols || y < 10 || y >= 10 + height * g.out_rows)
        return std::nullopt;
    MapPlace p;
    p.line = (y - 10) / height;
    p.character = x / width;
    p.row = p.line + 1;
    p.col = g.n_cols - 1 - p.character;
    p.lat = D(g.row_lat(p.row)) * kDegPerRad;
    p.lon = -D(g.col_lon(p.col)) * kDegPerRad;  // east positive
    if (p.lon <= -180) p.lon += 360;
    return p;
}

int screen_level(const ReplayScreen& screen, const MapPlace& place, const ViewState& view) {
    if (view.lines == ViewState::other) return 0;
    const std::size_t first = std::size_t(5 * place.line + (view.lines == ViewState::mof ? 0 : 3));
    if (first + 1 >= screen.lines.size()) return 0;
    const auto at = [&](std::size_t line) {
        const std::string& l = screen.lines[line];
        return std::size_t(place.character) < l.size() ? level_of(l[std::size_t(place.character)])
                                                       : 0;
    };
    const int s = view.short_path ? at(first) : 0, l = view.long_path ? at(first + 1) : 0;
    return s > l ? s : l;
}

}  // namespace skywave
