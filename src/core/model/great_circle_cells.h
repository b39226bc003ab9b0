// The grid cells under points of great circles from the QTH, found without the five
// library calls per point that compute_lat_lon makes.
//
// A path's hop midpoints only decide which cells are sampled, so most of them need
// not be placed to the last bit: a point whose latitude and longitude lie well inside
// a cell is in that cell whatever the float roundings of compute_lat_lon do to it.
// The point is placed with a rotation along the circle, its colatitude and longitude
// difference are kept as cosines, and each cosine is looked up among the cosines of
// the angles where the cell changes. A point within a safe margin of such an angle,
// near a pole, or near the start's meridian is left to compute_lat_lon: the cells
// are always the ones compute_lat_lon gives.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/geomag.h"
#include "model/grid.h"

namespace skywave {

// A piecewise constant function of an angle in [0, pi] (a cell number), looked up by
// the angle's cosine.
class CosineSteps {
public:
    // breaks: the angles in (0, pi) where the value may change; value(angle) is
    // the value at any angle between two neighbouring breaks.
    template <class Value>
    void build(std::vector<double> breaks, Value value);
    // The value at the angle of cosine c (|c| < 1), or -1 when c lies within
    // margin of the cosine of a break.
    int find(double c, double margin) const;

private:
    static constexpr int kBins = 1024;
    std::vector<double> bounds_;  // -1, ascending cosines of the breaks, 1
    std::vector<int> values_;     // of the angles between bounds_[i] and bounds_[i + 1]
    int first_[kBins + 1] = {};   // the last bound at or below each bin's lower end
};

class GreatCircleCells {
public:
    // Made for the start longitude (west positive) and the grid.
    void build(float from_lon, const Grid& grid);
    // Whether made for these, and of use: not for a start longitude that is not
    // finite or lies beyond 2 pi.
    bool built_for(float from_lon, const Grid& grid) const;
    // The cells (row * MAX_COLS + column) of the points at ranges
    // float(half_hop * (2i - 1)), i = 1 ... count, along the great circle from
    // `from`; the same cells compute_lat_lon's point would give. Returns how many
    // were found without it. Only where built_for holds. sin_half_hop and cos_half_hop: of
    // half_hop, to a few ulps.
    int midpoint_cells(range_azim& from, const GreatCircleStart& start, int count, float half_hop,
                       double sin_half_hop, double cos_half_hop, std::uint16_t* cells) const;

private:
    bool usable_ = false;
    float from_lon_ = 0;
    Grid grid_;
    CosineSteps rows_, east_cols_, west_cols_;
};

inline int CosineSteps::find(double c, double margin) const {
    if (!(c > -1 && c < 1)) return -1;
    const int bin = std::clamp(int((c + 1) * (kBins / 2)), 0, kBins);
    std::size_t i = std::size_t(first_[bin]);
    while (i + 2 < bounds_.size() && bounds_[i + 1] <= c)
        ++i;
    if (c - bounds_[i] < margin || bounds_[i + 1] - c < margin) return -1;
    return values_[i];
}

// The cell (row * MAX_COLS + column) under the point compute_lat_lon gives at range r
// along the great circle from `from` (whose range and end point it sets).
std::uint16_t point_cell(const Grid& grid, range_azim& from, const GreatCircleStart& start,
                         float r);

}  // namespace skywave
