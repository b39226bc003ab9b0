#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "base/numbers.h"
#include "model/great_circle_cells.h"
#include "model/grid.h"

using namespace skywave;

namespace {

constexpr double kPiD = 3.14159265358979323846;

}  // namespace

// The cells found without the inverse cosines are compute_lat_lon's cells, for every
// grain, starts from pole to pole and on both sides of the date line, any heading,
// hop lengths from a few kilometres to half the world and long runs of hops. Two
// million points meet cell edges often enough: with no safety margin the quick
// placement disagrees with compute_lat_lon here hundreds of times, with a margin of
// 1e-7 still eight times.
TEST(GreatCircleCells, GiveTheCellsOfTheExactPoints) {
    std::mt19937_64 rng(20261208);
    std::uniform_real_distribution<double> unit(0, 1);
    const float starts[][2] = {{0.7417649f, 1.27409f}, {-0.6f, 5.9f},    {1.5f, 0.1f},
                               {-1.55f, 3.0f},         {0, 0},           {0.2f, -1.0f},
                               {0.9f, kTwoPi},         {-0.3f, 6.2831f}, {1.2f, -6.28f}};
    std::vector<std::uint16_t> fast(400), exact(400);
    long points = 0, found_quickly = 0;
    for (int grain = 1; grain <= 3; ++grain) {
        Grid grid;
        set_grain(grid, float(grain));
        for (const auto& s : starts) {
            GreatCircleCells cells;
            cells.build(s[1], grid);
            ASSERT_TRUE(cells.built_for(s[1], grid));
            for (int path = 0; path < 3000; ++path) {
                range_azim from{s[0], s[1], 0, 0, 0, float(2 * kPiD * unit(rng))};
                const GreatCircleStart start = great_circle_start(from);
                const int count = path % 10 == 0 ? 1 + int(unit(rng) * 399) : 1 + path % 12;
                const float half_hop = float(unit(rng) * kPiD / count);
                range_azim f = from, e = from;
                found_quickly +=
                    cells.midpoint_cells(f, start, count, half_hop, std::sin(D(half_hop)),
                                         std::cos(D(half_hop)), fast.data());
                for (int i = 1; i <= count; ++i)
                    exact[i - 1] =
                        point_cell(grid, e, start, float(D(half_hop) * float(2 * i - 1)));
                for (int i = 0; i < count; ++i)
                    ASSERT_EQ(fast[i], exact[i])
                        << "grain " << grain << " start " << s[0] << " " << s[1] << " azim "
                        << from.azim << " half hop " << half_hop << " hop " << i + 1;
                points += count;
            }
        }
    }
    EXPECT_GT(points, 2'000'000);
    EXPECT_GT(found_quickly, points * 7 / 10);
}

// A grid or start it was not made for is refused, and so is a start it cannot serve
// (not a finite longitude within a turn): the path pass then uses compute_lat_lon.
TEST(GreatCircleCells, KnowWhatTheyWereMadeFor) {
    Grid g1, g2;
    set_grain(g1, 1);
    set_grain(g2, 2);
    GreatCircleCells cells;
    cells.build(1.0f, g1);
    EXPECT_TRUE(cells.built_for(1.0f, g1));
    EXPECT_FALSE(cells.built_for(1.0f, g2));
    EXPECT_FALSE(cells.built_for(std::nextafter(1.0f, 2.0f), g1));
    for (const float lon : {NAN, INFINITY, 6.3f, -7.0f}) {
        cells.build(lon, g1);
        EXPECT_FALSE(cells.built_for(lon, g1)) << lon;
    }
}
