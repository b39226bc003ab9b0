#include <gtest/gtest.h>

#include <cmath>

#include "model/geomag.h"
#include "model/model.h"
#include "test_support.h"

using namespace skywave;

namespace {

constexpr double kPiD = 3.14159265358979323846;
constexpr double kDeg = kPiD / 180;

range_azim between(double lat1, double lon1, double lat2, double lon2) {
    range_azim r{float(lat1), float(lon1), float(lat2), float(lon2), -1, -1};
    compute_range_azim(&r);
    return r;
}

range_azim travel(double lat, double lon, double azim, double range) {
    range_azim r{float(lat), float(lon), 99, 99, float(range), float(azim)};
    compute_lat_lon(&r);
    return r;
}

// Central angle between two points, in double precision.
double arc(double lat1, double lon1, double lat2, double lon2) {
    const double s = std::sin((lat2 - lat1) / 2), t = std::sin((lon2 - lon1) / 2);
    return 2 * std::asin(std::sqrt(s * s + std::cos(lat1) * std::cos(lat2) * t * t));
}

// Geomagnetic latitude and longitude of a point.
std::pair<float, float> magnetic(Model& m, double lat, double lon) {
    m.lat_idx = 2;
    m.lon_idx = 3;
    m.cur_lat = float(lat);
    m.cur_lon = float(lon);
    calc_mlat_mlon(m);
    return {m.arrays->mlat[2][3], m.arrays->mlon[2][3]};
}

float mapped(Model& m, int row, int col) {
    m.lat_idx = row;
    m.lon_idx = col;
    m.cur_lat = m.grid.row_lat(row);
    m.cur_lon = m.grid.col_lon(col);
    const float direct = calc_mlat_mapped(m);
    calc_mlat_mlon(m);
    EXPECT_EQ(m.arrays->mlat[row][col], direct) << "the array holds the map's latitude";
    return direct;
}

}  // namespace

TEST(GreatCircle, RangeAndAzimuth) {
    // A point to itself: no distance, and the azimuth is north either way round.
    const range_azim self = between(42.5 * kDeg, 73 * kDeg, 42.5 * kDeg, 73 * kDeg);
    EXPECT_NEAR(self.range, 0, 1e-3);
    EXPECT_TRUE(self.azim == 0 || std::fabs(self.azim - 2 * kPiD) < 1e-6) << self.azim;

    // Along the equator: 90 degrees west is due west, 90 degrees east due east.
    const range_azim west = between(0, 0, 0, 90 * kDeg);
    EXPECT_NEAR(west.range, kPiD / 2, 1e-6);
    EXPECT_NEAR(west.azim, 3 * kPiD / 2, 1e-5);
    const range_azim east = between(0, 0, 0, -90 * kDeg);
    EXPECT_NEAR(east.range, kPiD / 2, 1e-6);
    EXPECT_NEAR(east.azim, kPiD / 2, 1e-5);

    // Along the meridian: north and south.
    const range_azim north = between(0, 0, 45 * kDeg, 0);
    EXPECT_NEAR(north.range, kPiD / 4, 1e-6);
    EXPECT_NEAR(north.azim, 0, 1e-3);
    const range_azim south = between(0, 0, -45 * kDeg, 0);
    EXPECT_NEAR(south.range, kPiD / 4, 1e-6);
    EXPECT_NEAR(south.azim, kPiD, 1e-3);

    // A long path: from 42.5 N 73 W to 35.7 N 139.7 E (west longitude -139.7) is about
    // 97 degrees of arc, heading a little west of north.
    const range_azim far = between(42.5 * kDeg, 73 * kDeg, 35.7 * kDeg, -139.7 * kDeg);
    EXPECT_NEAR(far.range, arc(42.5 * kDeg, 73 * kDeg, 35.7 * kDeg, -139.7 * kDeg), 1e-5);
    EXPECT_GT(far.azim, 300 * kDeg);
    EXPECT_LT(far.azim, 360 * kDeg);
    // Antipodes: half the world, whatever the direction.
    const range_azim anti = between(30 * kDeg, 10 * kDeg, -30 * kDeg, 190 * kDeg);
    EXPECT_NEAR(anti.range, kPiD, 1e-3);
}

TEST(GreatCircle, TravelAlongAnAzimuth) {
    // Due east along the equator for a quarter circle: 90 E, a negative west longitude.
    const range_azim east = travel(0, 0, kPiD / 2, kPiD / 2);
    EXPECT_NEAR(east.to_lat, 0, 1e-5);
    EXPECT_NEAR(east.to_lon, -kPiD / 2, 1e-5);
    // Due west: a positive west longitude.
    const range_azim west = travel(0, 0, 3 * kPiD / 2, kPiD / 2);
    EXPECT_NEAR(west.to_lat, 0, 1e-5);
    EXPECT_NEAR(west.to_lon, kPiD / 2, 1e-5);
    // Due north from 10 N over the pole: down the opposite meridian.
    const range_azim over = travel(10 * kDeg, 20 * kDeg, 0, 100 * kDeg);
    EXPECT_NEAR(over.to_lat, 70 * kDeg, 1e-4);
    EXPECT_NEAR(std::remainder(over.to_lon - 200 * kDeg, 2 * kPiD), 0, 1e-3);
    // Straight to the south pole.
    const range_azim pole = travel(-80 * kDeg, 1, kPiD, 10 * kDeg);
    EXPECT_NEAR(pole.to_lat, -kPiD / 2, 1e-3);
    EXPECT_TRUE(std::isfinite(pole.to_lon));
    // No distance: the start point.
    const range_azim stay = travel(0.3, 2.0, 1.0, 0);
    EXPECT_NEAR(stay.to_lat, 0.3, 1e-3);
    EXPECT_NEAR(stay.to_lon, 2.0, 1e-3);
}

TEST(GreatCircle, TravelInvertsRangeAndAzimuth) {
    // Feeding a pair's range and azimuth back in returns the end point, for starts and
    // ends all over the world (longitudes equal modulo 2 pi).
    int pairs = 0;
    for (int lat1 = -75; lat1 <= 75; lat1 += 25) {
        for (int lon1 = 0; lon1 < 360; lon1 += 70) {
            for (int lat2 = -85; lat2 <= 85; lat2 += 17) {
                for (int lon2 = 3; lon2 < 360; lon2 += 29) {
                    const double p1 = lat1 * kDeg, l1 = lon1 * kDeg;
                    const double p2 = lat2 * kDeg, l2 = lon2 * kDeg;
                    const range_azim ra = between(p1, l1, p2, l2);
                    if (ra.range < 2 * kDeg || ra.range > 178 * kDeg)
                        continue;  // ill-defined azimuth
                    ASSERT_GE(ra.azim, 0);
                    ASSERT_LE(ra.azim, 2 * kPiD + 1e-6);
                    range_azim back{float(p1), float(l1), 0, 0, ra.range, ra.azim};
                    compute_lat_lon(&back);
                    ++pairs;
                    EXPECT_NEAR(back.to_lat, p2, 1e-3)
                        << lat1 << " " << lon1 << " -> " << lat2 << " " << lon2;
                    EXPECT_GE(back.to_lon, -2 * kPiD);
                    EXPECT_LE(back.to_lon, 2 * kPiD);
                    EXPECT_NEAR(std::remainder(back.to_lon - l2, 2 * kPiD) * std::cos(p2), 0, 1e-3)
                        << lat1 << " " << lon1 << " -> " << lat2 << " " << lon2;
                }
            }
        }
    }
    EXPECT_GT(pairs, 500);
}

TEST(Geomagnetic, DipoleCoordinatesNearThePole) {
    Model m;
    test::setup_model(m);
    const double pole_lat = m.consts.mlat_1, pole_lon = m.consts.mlon_1;
    // The pole itself.
    EXPECT_NEAR(magnetic(m, pole_lat + 1e-4, pole_lon).first, kPiD / 2, 2e-3);
    // Ten degrees of arc due south of the pole, on its meridian: 80 degrees, mlon 0.
    auto [mlat, mlon] = magnetic(m, pole_lat - 10 * kDeg, pole_lon);
    EXPECT_NEAR(mlat, 80 * kDeg, 1e-5);
    EXPECT_NEAR(mlon, 0, 1e-5);
    // On the same great circle beyond the geographic pole (heading north from the
    // geomagnetic pole): the opposite meridian, mlon pi.
    std::tie(mlat, mlon) = magnetic(m, 85 * kDeg, pole_lon + kPiD);
    EXPECT_NEAR(mlat, kPiD / 2 - (kPiD / 2 - pole_lat) - 5 * kDeg, 1e-4);
    EXPECT_NEAR(std::fabs(mlon), kPiD, 1e-3);
    // Ninety degrees of arc from the pole lies on the geomagnetic equator.
    std::tie(mlat, mlon) = magnetic(m, pole_lat - 90 * kDeg, pole_lon);
    EXPECT_NEAR(mlat, 0, 1e-5);
    // East and west of the pole's meridian the geomagnetic longitude takes both signs,
    // and always lies in -pi ... pi.
    const float east = magnetic(m, 50 * kDeg, pole_lon - 30 * kDeg).second;
    const float west = magnetic(m, 50 * kDeg, pole_lon + 30 * kDeg).second;
    EXPECT_LT(east * west, 0);
    EXPECT_NEAR(east, -west, 1e-5);
    for (int lat = -85; lat <= 85; lat += 10) {
        for (int lon = 0; lon < 360; lon += 15) {
            std::tie(mlat, mlon) = magnetic(m, lat * kDeg, lon * kDeg);
            EXPECT_GE(mlon, -kPiD - 1e-6);
            EXPECT_LE(mlon, kPiD + 1e-6);
            EXPECT_NEAR(mlat, kPiD / 2 - arc(pole_lat, pole_lon, lat * kDeg, lon * kDeg), 1e-4);
        }
    }
}

TEST(Geomagnetic, LatitudeFromTheBuiltInMap) {
    Model m;
    test::setup_model(m, 1);
    m.consts.mlat_flag = 1;
    // The equator band at grain 1 (row 18), just west of Greenwich (column 0) reads map
    // row 6, column 24: "M", i.e. -30 degrees.
    EXPECT_NEAR(mapped(m, 18, 0), -30 * kDeg, 1e-6);
    // Column 7 (33.75 W, i.e. 326.25 E) reads map column 22: "K", -10 degrees (map
    // column 2 would be "L").
    EXPECT_NEAR(mapped(m, 18, 7), -10 * kDeg, 1e-6);
    // The top left reads "A" (90 degrees), the bottom right (just east of Greenwich)
    // map row 12, column 0: "Q", -70 degrees.
    EXPECT_NEAR(mapped(m, 0, 0), 90 * kDeg, 1e-6);
    EXPECT_NEAR(mapped(m, 36, 79), -70 * kDeg, 1e-6);
    // Grain 3, row 6, column 10 reads map row 6, column 12: "J", the geomagnetic equator.
    Model g3;
    test::setup_model(g3, 3);
    g3.consts.mlat_flag = 1;
    EXPECT_EQ(mapped(g3, 6, 10), 0.0f);
    // The longitude still comes from the dipole.
    m.consts.mlat_flag = 0;
    const float dipole_mlon = magnetic(m, 0.4, 1.1).second;
    m.consts.mlat_flag = 1;
    EXPECT_EQ(magnetic(m, 0.4, 1.1).second, dipole_mlon);
}
