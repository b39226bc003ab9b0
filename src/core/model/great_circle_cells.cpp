#include "model/great_circle_cells.h"

#include <algorithm>
#include <cmath>

#include "base/numbers.h"

namespace skywave {

namespace {

// Under the limits below, compute_lat_lon's cosine of the colatitude comes out within
// 1e-7 of the exact one (two float roundings), the colatitude itself within 1e-6, the
// circle sin(colatitude) cos(start latitude) within 8e-6 of its size and the cosine of
// the longitude difference within 1.1e-5; the angles are then rounded to float, within
// 1e-6 more. A cosine at least kMargin from every cosine where the cell changes is
// therefore on the same side of each as compute_lat_lon's, and its angle too (the
// inverse cosine keeps the order, and moves by at least as much as the cosine).
constexpr double kMargin = 2e-4;
// Nearer a pole (|cos colatitude| > 0.99) or where the start's circle of latitude is
// small (< 0.04) the roundings grow beyond those bounds: such points are left to
// compute_lat_lon.
constexpr double kMaxPoleCosine = 0.99;
constexpr double kMinCircle = 0.04;
constexpr double kPiExact = 3.14159265358979323846;

}  // namespace

template <class Value>
void CosineSteps::build(std::vector<double> breaks, Value value) {
    breaks.erase(std::remove_if(breaks.begin(), breaks.end(),
                                [](double b) { return !(b > 0 && b < kPiExact); }),
                 breaks.end());
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    // Angles 0 = b[0] < ... < b[m + 1] = pi; cosines ascend as the angles descend.
    breaks.insert(breaks.begin(), 0.0);
    breaks.push_back(kPiExact);
    const std::size_t n = breaks.size();
    bounds_.assign(n, 0);
    values_.assign(n - 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        bounds_[i] = std::cos(breaks[n - 1 - i]);
    bounds_.front() = -1;
    bounds_.back() = 1;
    for (std::size_t i = 0; i + 1 < n; ++i)
        values_[i] = value(0.5 * (breaks[n - 1 - i] + breaks[n - 2 - i]));
    std::size_t i = 0;
    for (int bin = 0; bin <= kBins; ++bin) {
        const double low = -1 + bin * (2.0 / kBins);
        while (i + 2 < n && bounds_[i + 1] <= low)
            ++i;
        first_[bin] = int(i);
    }
}

std::uint16_t point_cell(const Grid& grid, range_azim& from, const GreatCircleStart& start,
                         float r) {
    from.range = r;
    compute_lat_lon(&from, start);
    const float lat = from.to_lat;
    float lon = from.to_lon;
    // A point on the grid's outer edge (the south pole, or 2 pi after the correction)
    // reads the nearest edge cell.
    const int row = cell_index((D(kHalfPi) - lat) * grid.rows_per_rad, grid.n_rows);
    if (lon < 0) lon = float(D(lon) + kTwoPi);
    const int col = cell_index(D(lon) * grid.cols_per_rad, grid.n_cols);
    return std::uint16_t(row * MAX_COLS + col);
}

void GreatCircleCells::build(float from_lon, const Grid& grid) {
    from_lon_ = from_lon;
    grid_ = grid;
    usable_ = std::isfinite(from_lon) && std::fabs(from_lon) <= kTwoPi && grid.n_rows > 0 &&
              grid.n_cols > 0 && grid.rows_per_rad > 0 && grid.cols_per_rad > 0;
    if (!usable_) return;

    // Rows: the colatitude a gives row trunc(a rows_per_rad).
    const double rows_per_rad = grid.rows_per_rad, cols_per_rad = grid.cols_per_rad;
    std::vector<double> breaks;
    for (int k = 1; k <= grid.n_rows; ++k)
        breaks.push_back(k / rows_per_rad);
    rows_.build(breaks, [&](double a) { return cell_index(a * rows_per_rad, grid.n_rows); });

    // Columns: the longitude difference g puts the point at from_lon -+ g, brought
    // into 0 ... 2 pi as compute_lat_lon and the path pass do; the column changes
    // where that longitude meets a column edge or one of the corrections' limits.
    const double two_pi = kTwoPi;  // the float constant the corrections compare with
    std::vector<double> edges;
    for (int s = -2; s <= 2; ++s) {
        for (int k = 0; k <= grid.n_cols; ++k)
            edges.push_back(k / cols_per_rad + s * two_pi);
        edges.push_back(s * two_pi);
    }
    const auto column = [&](double v) {
        if (v > two_pi)
            v -= two_pi;
        else if (v < -two_pi)
            v += two_pi;
        if (v < 0) v += two_pi;
        return cell_index(v * cols_per_rad, grid.n_cols);
    };
    const double lon = from_lon;
    breaks.clear();
    for (double e : edges)
        breaks.push_back(lon - e);
    east_cols_.build(breaks, [&](double g) { return column(lon - g); });
    breaks.clear();
    for (double e : edges)
        breaks.push_back(e - lon);
    west_cols_.build(breaks, [&](double g) { return column(lon + g); });
}

bool GreatCircleCells::built_for(float from_lon, const Grid& grid) const {
    return usable_ && bits_of(from_lon) == bits_of(from_lon_) && grid.n_rows == grid_.n_rows &&
           grid.n_cols == grid_.n_cols &&
           bits_of(grid.rows_per_rad) == bits_of(grid_.rows_per_rad) &&
           bits_of(grid.cols_per_rad) == bits_of(grid_.cols_per_rad);
}

int GreatCircleCells::midpoint_cells(range_azim& from, const GreatCircleStart& start, int count,
                                     float half_hop, double sin_half_hop, double cos_half_hop,
                                     std::uint16_t* cells) const {
    const double h = half_hop;
    const double s1 = start.sin_lat, c1 = start.cos_lat, cos_azim = start.cos_azim;
    const CosineSteps& cols = start.heading_east ? east_cols_ : west_cols_;
    // cos and sin of (2i - 1) h, turned on by 2h from one point to the next.
    double c = cos_half_hop, s = sin_half_hop;
    const double c2h = c * c - s * s, s2h = 2 * s * c;
    int quick = 0;
    for (int i = 1; i <= count; ++i) {
        const float r = float(h * float(2 * i - 1));  // the range compute_lat_lon is given
        int cell = -1;
        // At r itself, a float's rounding (under 4e-7) away: to first order.
        const double dr = D(r) - h * (2 * i - 1);
        const double cr = c - s * dr, sr = s + c * dr;
        const double ca = sr * c1 * cos_azim + s1 * cr;  // cos colatitude
        if (std::fabs(ca) <= kMaxPoleCosine) {
            const double circle = std::sqrt(1 - ca * ca) * c1;
            if (std::fabs(circle) >= kMinCircle) {
                const double cg = (cr - s1 * ca) / circle;  // cos longitude difference
                const int row = rows_.find(ca, kMargin);
                const int col = cols.find(cg, kMargin);
                if (row >= 0 && col >= 0) cell = row * MAX_COLS + col;
            }
        }
        if (cell >= 0) {
            cells[i - 1] = std::uint16_t(cell);
            ++quick;
        } else {
            cells[i - 1] = point_cell(grid_, from, start, r);
        }
        const double next_c = c * c2h - s * s2h;
        s = s * c2h + c * s2h;
        c = next_c;
    }
    return quick;
}

}  // namespace skywave
