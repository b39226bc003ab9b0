// The polar F2 term and its blend with the mid-latitude value into the final F2
// critical frequency of a grid point.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/large_pages.h"
#include "model/column_memo.h"

namespace skywave {

struct Model;

// What the polar term of every cell takes from the step: the season's angle and its
// functions, and the cosines of the local times of the columns.
struct PlrStep {
    float tmo, t, v, u, am;
    double north_scale;   // (nplr_5 + nplr_6 v)(nplr_1 + nplr_2 ssn)
    double south_base;    // splr_1 + ssn / splr_2
    double south_amp;     // splr_6 + splr_7 ssn
    double south_season;  // splr_9 + splr_10 (splr_11 - v^2)
    // Bounds of |plr| north and south of the geomagnetic equator, whatever the cell
    // (infinite where the constants allow none).
    double north_bound, south_bound;
    ColumnCosines local_time;
};
void plr_step(const Model& m, PlrStep& step);

// The parts of a cell's polar term that do not change during a date (they follow from
// its geomagnetic coordinates, its row's day length and the run's indices), kept per
// cell under the exact bits of those inputs; the terms of the coordinates alone are
// kept from date to date.
class PolarCells {
public:
    struct Cell {
        std::uint32_t mlat_bits, mlon_bits, day_len_bits;
        bool valid;
        float cmlat, ff, ys4;
        double smlat, south_b1, south_e, z_over_za;
    };
    // Forgets every cell if a constant or index of the blend changed.
    void begin_pass(const Model& m);
    const Cell& cell(const Model& m, int r, int c);

private:
    // The terms of a cell's geomagnetic coordinates; its blending factor.
    static void place(Cell& e, float mlat, float mlon);
    static void blend(const Model& m, Cell& e, float day_len);

    static constexpr int kKeySize = 11;
    std::vector<Cell, LargePageAllocator<Cell>> cells_;
    std::array<float, kKeySize> key_{};
    bool keyed_ = false;
};

void f0f2_plr(Model& m, PlrStep& step, PolarCells& cells);
void f0f2_plr(Model& m);

}  // namespace skywave
