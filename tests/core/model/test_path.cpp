#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "base/numbers.h"
#include "model/constants.h"
#include "model/geomag.h"
#include "model/model.h"
#include "model/path.h"
#include "test_support.h"

using namespace skywave;

namespace {

constexpr double kPiD = 3.14159265358979323846;
constexpr double kDeg = kPiD / 180;

// A model whose ionosphere is filled in by hand: 300 km everywhere, 6 MHz, an
// absorption index of 0.1 per hop, and a geomagnetic latitude of 30 N all over (no
// trans-equatorial path). The QTH is the default 42.5 N 73 W; the target cell is
// (p_lat_idx, p_lon_idx) = (25, 40) unless a test says otherwise.
struct PathModel {
    Model m;
    int pr = 25, pc = 40;

    explicit PathModel(int grain = 1) {
        test::setup_model(m, grain);
        m.exam_flag = 1;
        fill(m.arrays->h, 300);
        fill(m.arrays->g2, 6);
        fill(m.arrays->ls, 0.1f);
        fill(m.arrays->mlat, float(30 * kDeg));
        target(pr, pc);
    }
    void fill(Array2D& a, float v) {
        for (int r = 0; r < m.grid.n_rows; ++r)
            for (int c = 0; c < m.grid.n_cols; ++c)
                a[r][c] = v;
    }
    void target(int row, int col) {
        pr = row;
        pc = col;
        m.p_lat_idx = row;
        m.p_lon_idx = col;
        m.p_lat = m.grid.row_lat(row);
    }
    // The short path to the target: its length and azimuth at the QTH.
    void path(double length_deg, double azim_deg) {
        m.arrays->pathlen[pr][pc] = float(length_deg * kDeg);
        m.arrays->azim[pr][pc] = float(azim_deg * kDeg);
    }
    void qth(double lat, double lon) {
        m.consts.rlat = float(lat);
        m.consts.rlon = float(lon);
    }
    // One path computation, as the path pass of a run makes it.
    void run(char which) {
        m.path_cache.begin_pass(m.consts, m.grid);
        path_mof(m, which);
    }
    // The grid cell under the point at range along azim from the QTH.
    std::pair<int, int> cell_at(double azim, double range) const {
        range_azim cp{m.consts.rlat, m.consts.rlon, 0, 0, float(range), float(azim)};
        compute_lat_lon(&cp);
        const double lon = cp.to_lon < 0 ? cp.to_lon + 2 * kPiD : cp.to_lon;
        return {int((kPiD / 2 - cp.to_lat) * m.grid.rows_per_rad), int(lon * m.grid.cols_per_rad)};
    }
    // Sets the cells around a point (a block of 3 x 3, so that rounding at a cell
    // border cannot miss it).
    void mark(Array2D& a, std::pair<int, int> cell, float v) {
        for (int r = cell.first - 1; r <= cell.first + 1; ++r)
            for (int c = cell.second - 1; c <= cell.second + 1; ++c)
                if (r >= 0 && r < m.grid.n_rows) a[r][(c + m.grid.n_cols) % m.grid.n_cols] = v;
    }
    const ResultArrays& a() const { return *m.arrays; }
    float at(const Array2D& arr) const { return arr[pr][pc]; }
};

}  // namespace

TEST(Path, WorkedGeometryOfAHundredDegreePath) {
    PathModel p;
    p.path(100, 250);
    p.run('S');
    const ResultArrays& a = p.a();
    // A hop that leaves the ground horizontally and turns at 300 km covers 34.5
    // degrees: three hops of 33.3 degrees.
    EXPECT_EQ(p.at(a.h_calc), 300.0f);
    EXPECT_NEAR(p.at(a.maxhop) / kDeg, 34.50, 0.01);
    EXPECT_EQ(p.at(a.khop), 3.0f);
    EXPECT_NEAR(p.at(a.half_hop) / kDeg, 16.667, 0.001);
    EXPECT_NEAR(p.at(a.phi) / kDeg, 72.74, 0.01);
    EXPECT_NEAR(p.at(a.m9), 4.854, 0.001);
    // The take-off angle comes out at 0.59 degrees and is raised to 1 degree.
    EXPECT_EQ(p.at(a.takeoff), p.m.consts.min_takeoff);
    EXPECT_NEAR(p.at(a.sex), 0.0353, 0.0001);
    // LOF = 3 S + 3 sqrt(S), S = 0.3 / sqrt(sex) = 0.3 x 5.323; MOF = m9 x 6 MHz.
    EXPECT_NEAR(p.at(a.lof), 8.58, 0.01);
    EXPECT_NEAR(p.at(a.mof), 29.1, 0.05);
    EXPECT_EQ(p.at(a.blackout), 0.0f);
}

TEST(Path, WorkedGeometryOfATwentyDegreePath) {
    PathModel p;
    p.path(20, 90);
    p.run('S');
    const ResultArrays& a = p.a();
    EXPECT_EQ(p.at(a.khop), 1.0f);
    EXPECT_NEAR(p.at(a.half_hop) / kDeg, 10, 1e-4);
    EXPECT_NEAR(p.at(a.phi) / kDeg, 70.27, 0.01);
    EXPECT_NEAR(p.at(a.m9), 4.265, 0.001);
    EXPECT_NEAR(p.at(a.takeoff) / kDeg, 9.73, 0.01);
    EXPECT_NEAR(p.at(a.mof), 4.265 * 6, 0.01);
    // One hop's absorption, with the obliquity term of a 9.73 degree take-off.
    const double s = 0.1 / std::sqrt(1 - 0.965 * std::pow(std::cos(9.7309 * kDeg), 2));
    EXPECT_NEAR(p.at(a.lof), 3 * s + 3 * std::sqrt(s), 0.005);
}

TEST(Path, HopCountsAtTheEdges) {
    PathModel p;
    const ResultArrays& a = p.a();
    // A zero-length path: one hop of no range, the incidence angle raised to its
    // minimum and the take-off angle (arctangent of an infinite quotient) limited to
    // its maximum.
    p.path(0, 0);
    p.run('S');
    EXPECT_EQ(p.at(a.khop), 1.0f);
    EXPECT_EQ(p.at(a.half_hop), 0.0f);
    EXPECT_EQ(p.at(a.phi), p.m.consts.min_phi);
    EXPECT_EQ(p.at(a.takeoff), p.m.consts.max_takeoff);
    EXPECT_TRUE(std::isfinite(p.at(a.mof)));
    EXPECT_TRUE(std::isfinite(p.at(a.lof)));
    // An exact multiple k of the hop range gets k + 1 hops.
    p.m.consts.recalc_maxhop_flag = 0;
    p.m.arrays->pathlen[p.pr][p.pc] = float(2 * double(p.m.consts.maxhop));
    p.run('S');
    EXPECT_EQ(p.at(a.khop), 3.0f);
    EXPECT_EQ(p.at(a.maxhop), p.m.consts.maxhop);
    EXPECT_NEAR(p.at(a.half_hop), p.m.consts.maxhop / 3, 1e-6);
}

TEST(Path, SamplesTheIonosphereAtTheHopMidpoints) {
    PathModel p;
    const double azim = 250 * kDeg;
    const double half = 100.0 / 6 * kDeg;
    p.path(100, 250);
    // Midpoints at 16.7, 50 and 83.3 degrees from the QTH: a low layer under the
    // second, a weak F2 layer under the third, strong absorption under the first, and
    // everything else higher, stronger and clearer.
    p.fill(p.m.arrays->h, 400);
    p.fill(p.m.arrays->g2, 9);
    p.fill(p.m.arrays->ls, 0.05f);
    p.mark(p.m.arrays->h, p.cell_at(azim, 3 * half), 300);
    p.mark(p.m.arrays->g2, p.cell_at(azim, 5 * half), 4);
    p.mark(p.m.arrays->ls, p.cell_at(azim, half), 0.5f);
    p.run('S');
    const ResultArrays& a = p.a();
    // The lowest height sets the geometry ...
    EXPECT_EQ(p.at(a.h_calc), 300.0f);
    EXPECT_EQ(p.at(a.khop), 3.0f);
    // ... the weakest F2 layer the MOF, the sum of the absorption the LOF.
    EXPECT_NEAR(p.at(a.mof), 4 * p.at(a.m9), 1e-4);
    const double s = 0.6 / std::sqrt(p.at(a.sex));
    EXPECT_NEAR(p.at(a.lof), 3 * s + 3 * std::sqrt(s), 1e-3);
    // With h_min_flag off the path reflects at the mean height.
    p.m.consts.h_min_flag = 0;
    p.run('S');
    EXPECT_NEAR(p.at(a.h_calc), (400 + 300 + 400) / 3.0, 1e-3);
    EXPECT_NEAR(p.at(a.maxhop), 2 * std::acos(6371 / (6371 + 1100 / 3.0)), 1e-5);
}

TEST(Path, LongPathGoesTheOtherWayRound) {
    PathModel p;
    // A short path of 40 degrees at 300 degrees: the long path leaves at 120 degrees and
    // is 320 degrees long, ten hops of 32 degrees with midpoints 16, 48, ... degrees out.
    p.path(40, 300);
    p.fill(p.m.arrays->ls, 0.01f);  // no blackout on ten hops
    p.mark(p.m.arrays->g2, p.cell_at(120 * kDeg, 16 * kDeg), 2);
    p.run('L');
    const ResultArrays& a = p.a();
    EXPECT_EQ(p.at(a.khop_lp), 10.0f);
    EXPECT_NEAR(p.at(a.halfhoplp) / kDeg, 16, 1e-4);
    EXPECT_NEAR(p.at(a.longmaxhp) / kDeg, 34.50, 0.01);
    EXPECT_EQ(p.at(a.h_calc_lp), 300.0f);
    EXPECT_NEAR(p.at(a.longmof), 2 * p.at(a.m9_lp), 1e-4);
    // The short path itself never comes near that point.
    p.run('S');
    EXPECT_EQ(p.at(a.khop), 2.0f);
    EXPECT_NEAR(p.at(a.half_hop) / kDeg, 10, 1e-4);
    EXPECT_NEAR(p.at(a.mof), 6 * p.at(a.m9), 1e-4);
    // With a short path at 120 degrees the long path heads for 300 degrees: the point
    // is now 344 degrees along it, well past its last midpoint (304 degrees).
    p.path(40, 120);
    p.run('L');
    EXPECT_NEAR(p.at(a.longmof), 6 * p.at(a.m9_lp), 1e-4);
    // The long path keeps to its own arrays.
    EXPECT_EQ(p.at(a.khop), 2.0f);
    EXPECT_NEAR(p.at(a.half_hop) / kDeg, 10, 1e-4);
}

TEST(Path, TransEquatorialEnhancementOfShortPaths) {
    PathModel p;
    const ResultArrays& a = p.a();
    // Enhancement = MOF / (m9 x lowest F2 value).
    const auto factor = [&p, &a](char which = 'S') {
        p.run(which);
        return which == 'S' ? p.at(a.mof) / (p.at(a.m9) * 6)
                            : p.at(a.longmof) / (p.at(a.m9_lp) * 6);
    };
    // The QTH (42.5 N 73 W, grid row 9, column 16 at grain 1) at 53 N geomagnetic, the
    // target at 20 S, every other cell in the south: only the QTH's own cell can put the
    // two ends on opposite sides.
    p.fill(p.m.arrays->mlat, float(-30 * kDeg));
    p.m.arrays->mlat[9][16] = float(53 * kDeg);
    p.m.arrays->mlat[p.pr][p.pc] = float(-20 * kDeg);
    p.path(60, 170);
    EXPECT_NEAR(factor(), 1.2, 1e-5);
    // Heading east, away from the equator: no enhancement.
    p.path(60, 80);
    EXPECT_NEAR(factor(), 1.0, 1e-5);
    // The sector around due south is open on both sides: 90 < azimuth < 270.
    p.path(60, 91);
    EXPECT_NEAR(factor(), 1.2, 1e-5);
    p.path(60, 269);
    EXPECT_NEAR(factor(), 1.2, 1e-5);
    p.path(60, 271);
    EXPECT_NEAR(factor(), 1.0, 1e-5);
    // The long path never gets it, whichever way it heads.
    p.path(60, 170);
    EXPECT_NEAR(factor('L'), 1.0, 1e-5);
    p.path(60, 350);
    EXPECT_NEAR(factor('L'), 1.0, 1e-5);
    // A target exactly on the magnetic equator counts as the other side.
    p.path(60, 170);
    p.m.arrays->mlat[p.pr][p.pc] = 0;
    EXPECT_NEAR(factor(), 1.2, 1e-5);
    // Both ends must lie within 60 degrees of the equator.
    p.m.arrays->mlat[p.pr][p.pc] = float(-65 * kDeg);
    EXPECT_NEAR(factor(), 1.0, 1e-5);
    p.m.arrays->mlat[p.pr][p.pc] = float(-20 * kDeg);
    p.m.arrays->mlat[9][16] = float(61 * kDeg);
    EXPECT_NEAR(factor(), 1.0, 1e-5);
    // Same side: nothing.
    p.m.arrays->mlat[9][16] = float(-53 * kDeg);
    EXPECT_NEAR(factor(), 1.0, 1e-5);
}

TEST(Path, TransEquatorialTestOnGeographicLatitudes) {
    PathModel p;
    const ResultArrays& a = p.a();
    const auto factor = [&p, &a] {
        p.run('S');
        return p.at(a.mof) / (p.at(a.m9) * 6);
    };
    p.m.consts.te_magflag = 0;
    // Geomagnetic latitudes no longer count (all 30 N here): the QTH's 42.5 N and the
    // target row's latitude do. Row 22 of grain 1 lies at 19.5 S.
    p.target(22, 40);
    p.path(60, 170);
    EXPECT_NEAR(factor(), 1.2, 1e-5);
    p.target(12, 40);  // 29.2 N: same side
    p.path(60, 170);
    EXPECT_NEAR(factor(), 1.0, 1e-5);
    // A QTH in the south needs a path heading north: azimuth below 90 or above 270.
    p.qth(-30 * kDeg, 1.0);
    p.path(60, 10);
    EXPECT_NEAR(factor(), 1.2, 1e-5);
    p.path(60, 350);
    EXPECT_NEAR(factor(), 1.2, 1e-5);
    p.path(60, 170);
    EXPECT_NEAR(factor(), 1.0, 1e-5);
    // A QTH on the equator is on neither side: never.
    p.qth(0, 1.0);
    for (double azim : {10.0, 90.0, 170.0, 350.0}) {
        p.path(60, azim);
        EXPECT_NEAR(factor(), 1.0, 1e-5) << azim;
    }
}

TEST(Path, BlackoutAndLimits) {
    PathModel p;
    const ResultArrays& a = p.a();
    ResultArrays& w = *p.m.arrays;
    p.path(100, 250);
    // A MOF below 1 MHz is raised to 1, and no absorption gives an LOF of 0, raised
    // to 1 as well: MOF equal to LOF is no blackout, whatever the flags say.
    p.fill(w.g2, 0.01f);
    p.fill(w.ls, 0);
    p.m.consts.bo_flag = 1;
    p.run('S');
    p.run('L');
    EXPECT_EQ(p.at(a.mof), 1.0f);
    EXPECT_EQ(p.at(a.lof), 1.0f);
    EXPECT_EQ(p.at(a.blackout), 0.0f);
    EXPECT_EQ(p.at(a.longmof), 1.0f);
    EXPECT_EQ(p.at(a.longlof), 1.0f);
    EXPECT_EQ(p.at(a.lpblack), 0.0f);
    // Strong absorption: an LOF over 50 MHz is stored as 50, and a strong layer's MOF
    // is limited to 50 as well; again equal, again no blackout.
    p.fill(w.g2, 100);
    p.fill(w.ls, 100);
    p.run('S');
    EXPECT_EQ(p.at(a.mof), 50.0f);
    EXPECT_EQ(p.at(a.lof), 50.0f);
    EXPECT_EQ(p.at(a.blackout), 0.0f);

    // MOF below LOF: by default the short path keeps its values and only the examined
    // array shows the blackout, while the long path shows MOF 0 and LOF 50.
    p.m.consts.bo_flag = 0;
    p.fill(w.g2, 0.01f);
    p.fill(w.ls, 0.3f);
    p.run('S');
    p.run('L');
    EXPECT_EQ(p.at(a.mof), 1.0f);
    EXPECT_GT(p.at(a.lof), 10);
    EXPECT_LT(p.at(a.lof), 50);
    EXPECT_EQ(p.at(a.blackout), 1.0f);
    EXPECT_EQ(p.at(a.longmof), 0.0f);
    EXPECT_EQ(p.at(a.longlof), 50.0f);
    EXPECT_EQ(p.at(a.lpblack), 1.0f);
    // The flags switch the overwriting for each path.
    p.m.consts.bo_flag = 1;
    p.m.consts.lp_bo_flag = 0;
    p.run('S');
    p.run('L');
    EXPECT_EQ(p.at(a.mof), 0.0f);
    EXPECT_EQ(p.at(a.lof), 50.0f);
    EXPECT_EQ(p.at(a.blackout), 1.0f);
    EXPECT_EQ(p.at(a.longmof), 1.0f);
    EXPECT_GT(p.at(a.longlof), 10);
    EXPECT_EQ(p.at(a.lpblack), 1.0f);
}

TEST(Path, WithoutExaminationOnlyTheResultsChange) {
    PathModel p;
    p.m.exam_flag = 0;
    ResultArrays& w = *p.m.arrays;
    Array2D* exam[] = {&w.m9,        &w.h_calc,    &w.phi,       &w.half_hop, &w.khop,
                       &w.takeoff,   &w.sex,       &w.maxhop,    &w.blackout, &w.m9_lp,
                       &w.h_calc_lp, &w.longphi,   &w.halfhoplp, &w.khop_lp,  &w.lptakeoff,
                       &w.longsex,   &w.longmaxhp, &w.lpblack};
    for (Array2D* arr : exam)
        (*arr)[p.pr][p.pc] = -777;
    p.path(100, 250);
    p.run('S');
    p.run('L');
    for (Array2D* arr : exam)
        EXPECT_EQ((*arr)[p.pr][p.pc], -777);
    EXPECT_NEAR(p.at(w.mof), 29.1, 0.05);
    EXPECT_NEAR(p.at(w.lof), 8.58, 0.01);
    EXPECT_GT(p.at(w.longmof), 1);
    EXPECT_GT(p.at(w.longlof), 1);
}

TEST(Path, PointsOnTheGridEdgeReadTheNearestEdgeCell) {
    // Grain 2 leaves room in the fixed array blocks beyond the last row and column:
    // fill it with values that would show if a path read there.
    PathModel p(2);
    ResultArrays& w = *p.m.arrays;
    const Grid& g = p.m.grid;
    for (int r = 0; r <= g.n_rows; ++r) {
        for (int c = 0; c <= g.n_cols; ++c) {
            if (r < g.n_rows && c < g.n_cols) continue;
            w.h[r][c] = 50;
            w.g2[r][c] = 0.5f;
            w.ls[r][c] = 40;
            w.mlat[r][c] = float(-53 * kDeg);
        }
    }
    p.target(5, 5);
    // Paths of one hop whose midpoint, rounded as the great-circle arithmetic rounds
    // it, lies exactly on an outer edge of the grid.
    const auto midpoint = [&p](float half, float azim) {
        range_azim cp{p.m.consts.rlat, p.m.consts.rlon, 0, 0, half, azim};
        compute_lat_lon(&cp);
        if (cp.to_lon < 0) cp.to_lon = float(cp.to_lon + double(kTwoPi));
        return cp;
    };
    const auto one_hop = [&p](float length, float azim) {
        p.m.arrays->pathlen[p.pr][p.pc] = length;
        p.m.arrays->azim[p.pr][p.pc] = azim;
    };

    // Half a world due south from the equator in a single hop: the midpoint is the south
    // pole, on the southern edge of the last row.
    p.qth(0, 1.0);
    p.m.consts.maxhop = 4;
    p.m.consts.recalc_maxhop_flag = 0;
    ASSERT_GE((kHalfPi - double(midpoint(kHalfPi, kPi).to_lat)) * g.rows_per_rad, g.n_rows);
    one_hop(kPi, kPi);
    p.run('S');
    EXPECT_EQ(p.at(w.khop), 1.0f);
    EXPECT_EQ(p.m.lat_idx, g.n_rows - 1);
    EXPECT_EQ(p.at(w.h_calc), 300.0f);
    EXPECT_NEAR(p.at(w.mof), 6 * p.at(w.m9), 1e-4);
    EXPECT_LT(p.at(w.lof), 5);
    p.m.consts.maxhop = 0.62784f;
    p.m.consts.recalc_maxhop_flag = 1;

    // From a QTH at 2 pi west (Greenwich, as the run settings allow) due north, for a
    // distance at which the midpoint's longitude comes out as 2 pi as well.
    p.qth(20 * kDeg, kTwoPi);
    float half = 0;
    for (int k = 1; k <= 17 && half == 0; ++k)
        if (double(midpoint(float(k * kDeg), 0).to_lon) * g.cols_per_rad >= g.n_cols)
            half = float(k * kDeg);
    ASSERT_NE(half, 0);
    one_hop(2 * half, 0);
    p.run('S');
    EXPECT_EQ(p.at(w.khop), 1.0f);
    EXPECT_EQ(p.m.lon_idx, g.n_cols - 1);
    EXPECT_EQ(p.at(w.h_calc), 300.0f);
    EXPECT_NEAR(p.at(w.mof), 6 * p.at(w.m9), 1e-4);
    EXPECT_LT(p.at(w.lof), 5);
    // Its trans-equatorial test reads the QTH's cell from the last column, not beyond
    // it: the QTH in the north, the target in the south.
    p.m.arrays->mlat[p.pr][p.pc] = float(-20 * kDeg);
    p.path(60, 170);
    p.run('S');
    EXPECT_NEAR(p.at(w.mof) / (6 * p.at(w.m9)), 1.2, 1e-5);
}

TEST(Path, OddHopRangesAndHeightsStillEnd) {
    PathModel p;
    const ResultArrays& a = p.a();
    p.path(100, 250);
    // A hop range of 0 or almost 0 would make countless hops: at most 1000.
    for (float maxhop : {0.0f, 1e-9f}) {
        p.m.consts.maxhop = maxhop;
        p.m.consts.recalc_maxhop_flag = 0;
        p.run('S');
        EXPECT_EQ(p.at(a.khop), 1000.0f) << maxhop;
        EXPECT_TRUE(std::isfinite(p.at(a.mof)));
        p.m.consts.recalc_maxhop_flag = 1;
        p.run('S');
        EXPECT_EQ(p.at(a.khop), 3.0f) << maxhop;
    }
    // A negative hop range, or a height below the ground that leaves no hop range at
    // all, gives a hop count of at least 1.
    p.m.consts.maxhop = -0.5f;
    p.m.consts.recalc_maxhop_flag = 0;
    p.run('L');
    EXPECT_GE(p.at(a.khop_lp), 1.0f);
    EXPECT_LE(p.at(a.khop_lp), 1000.0f);
    p.m.consts.maxhop = 0.62784f;
    p.m.consts.recalc_maxhop_flag = 1;
    p.fill(p.m.arrays->h, -7000);
    p.run('S');
    p.run('L');
    for (const Array2D* k : {&a.khop, &a.khop_lp}) {
        EXPECT_GE(p.at(*k), 1.0f);
        EXPECT_LE(p.at(*k), 1000.0f);
    }
    EXPECT_GE(p.at(a.mof), 0);
    EXPECT_LE(p.at(a.mof), 50);
}

// The LOF curve is the library formula bit for bit: over the floats from 1 up where a
// square root is not pow's root, random absorptions of every size, and random curves
// (roots and other powers).
TEST(Path, LofCurveGivesTheFormulasBits) {
    Constants defaults;
    init_consts(defaults);
    const auto formula = [](const Constants& k, float x) {
        return float(D(k.clof_3) * std::pow(D(x), D(k.clof_4)) + D(k.clof_2) * x + k.clof_1);
    };
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> unit(0, 1);
    for (std::uint32_t b = bits_of(1.0f); b < bits_of(1.0f) + (1u << 20); ++b) {
        float x;
        std::memcpy(&x, &b, sizeof x);
        ASSERT_EQ(bits_of(lof_of_absorption(defaults, x)), bits_of(formula(defaults, x))) << x;
    }
    for (int i = 0; i < 300000; ++i) {
        Constants k = defaults;
        if (i % 2) {
            k.clof_1 = float(4 * unit(random) - 2);
            k.clof_2 = float(6 * unit(random) - 1);
            k.clof_3 = float(6 * unit(random) - 1);
            if (i % 8 == 1) k.clof_4 = float(2 * unit(random));
        }
        const float x = float(std::ldexp(unit(random), int(random() % 16) - 6));
        ASSERT_EQ(bits_of(lof_of_absorption(k, x)), bits_of(formula(k, x)))
            << x << " " << k.clof_1 << " " << k.clof_2 << " " << k.clof_3 << " " << k.clof_4;
    }
}
