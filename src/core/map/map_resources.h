// The pictures the map is composed from: the world map (640 x 480, land grey on
// black, longitude 0 at the left edge increasing eastward) and the 20 x 20 tiles.
#pragma once

#include <array>

#include "map/surface.h"

namespace skywave {

inline constexpr int kMapWidth = 640;
inline constexpr int kMapHeight = 480;
inline constexpr int kTileSize = 20;

struct MapResources {
    Surface world;
    // Symbol tiles 50 ... 62: 1-3 solid red, green, blue ("3" "2" "1"); 4-6 red,
    // green, blue and black checkerboards ("C" "B" "A"); 7 filled sun and 8 its
    // mask; 9 outlined sun and 10 its mask.
    std::array<Surface, 13> DrawBitmap;
    // Colour levels 70 ... 79: black, navy, blue, teal, green, bright green, olive,
    // yellow, maroon, red.
    std::array<Surface, 10> ExamBitmap;
};

// The resources, built once from the pictures embedded in the program.
const MapResources& map_resources();

}  // namespace skywave
