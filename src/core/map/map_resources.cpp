#include "map/map_resources.h"

#include <cmath>
#include <cstddef>

#include "map/png_io.h"

namespace skywave {

namespace resources {
extern const unsigned char world_png[];
extern const std::size_t world_png_size;
}  // namespace resources

namespace {

constexpr Pixel kBlack = rgb(0, 0, 0);
constexpr Pixel kWhite = rgb(255, 255, 255);
constexpr Pixel kYellow = rgb(255, 255, 0);

Surface solid(Pixel p) {
    return Surface(kTileSize, kTileSize, p);
}

// Squares of four pixels, colour and black alternating.
Surface checkerboard(Pixel p) {
    Surface s(kTileSize, kTileSize);
    for (int y = 0; y < kTileSize; ++y)
        for (int x = 0; x < kTileSize; ++x)
            s.set_pixel(x, y, ((x / 4 + y / 4) % 2 == 0) ? p : kBlack);
    return s;
}

// A sun: a disc with eight rays, filled or drawn as an outline; the mask is white
// where the sun is not and black where it is.
void sun(bool filled, Surface& tile, Surface& mask) {
    tile = Surface(kTileSize, kTileSize, kBlack);
    mask = Surface(kTileSize, kTileSize, kWhite);
    const double c = (kTileSize - 1) / 2.0;
    for (int y = 0; y < kTileSize; ++y)
        for (int x = 0; x < kTileSize; ++x) {
            const double dx = x - c, dy = y - c;
            const double r = std::sqrt(dx * dx + dy * dy);
            const bool disc = filled ? r <= 5.0 : (r >= 4.0 && r <= 5.5);
            // rays along the axes and diagonals, from the disc to the tile's edge
            const bool on_ray = r >= 7.0 && r <= 9.6 &&
                                (std::fabs(dx) < 0.6 || std::fabs(dy) < 0.6 ||
                                 std::fabs(std::fabs(dx) - std::fabs(dy)) < 0.8);
            if (disc || on_ray) {
                tile.set_pixel(x, y, kYellow);
                mask.set_pixel(x, y, kBlack);
            }
        }
}

MapResources build() {
    MapResources r;
    if (std::optional<Surface> world = decode_png(resources::world_png, resources::world_png_size))
        r.world = std::move(*world);
    else
        r.world = Surface(kMapWidth, kMapHeight);
    for (Surface& s : r.DrawBitmap)
        s = solid(kBlack);
    r.DrawBitmap[1] = solid(rgb(255, 0, 0));
    r.DrawBitmap[2] = solid(rgb(0, 255, 0));
    r.DrawBitmap[3] = solid(rgb(0, 0, 255));
    r.DrawBitmap[4] = checkerboard(rgb(255, 0, 0));
    r.DrawBitmap[5] = checkerboard(rgb(0, 255, 0));
    r.DrawBitmap[6] = checkerboard(rgb(0, 0, 255));
    sun(true, r.DrawBitmap[7], r.DrawBitmap[8]);
    sun(false, r.DrawBitmap[9], r.DrawBitmap[10]);
    const Pixel levels[10] = {rgb(0, 0, 0),   rgb(0, 0, 128), rgb(0, 0, 255),   rgb(0, 128, 128),
                              rgb(0, 128, 0), rgb(0, 255, 0), rgb(128, 128, 0), rgb(255, 255, 0),
                              rgb(128, 0, 0), rgb(255, 0, 0)};
    for (int i = 0; i < 10; ++i)
        r.ExamBitmap[std::size_t(i)] = solid(levels[i]);
    return r;
}

}  // namespace

const MapResources& map_resources() {
    static const MapResources resources = build();
    return resources;
}

}  // namespace skywave
