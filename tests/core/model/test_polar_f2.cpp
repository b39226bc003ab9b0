#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "base/numbers.h"
#include "model/model.h"
#include "model/polar_f2.h"
#include "test_support.h"

using namespace skywave;

namespace {

constexpr double kPiD = 3.14159265358979323846;
constexpr double kDeg = kPiD / 180;

// One grid point of the polar model. The default: 100 sunspots, a quiet field, a
// mid-latitude value of 8 MHz at 70 degrees geomagnetic north, a 24 hour day, on the
// Greenwich meridian at 12 UTC on 15 June.
struct PolarPoint {
    static constexpr int r = 4, c = 9;
    Model m;

    PolarPoint() {
        test::setup_model(m);
        m.exam_flag = 1;
        m.ssn = 100;
        m.ak_factor = 0;
        m.consts.calc_time = 12;
        m.consts.day = 15;
        m.consts.month = 6;
        m.cur_lon = 0;
        set(8, float(70 * kDeg), 0, 24);
    }
    void set(float g2a, float mlat, float mlon, float day_len) {
        m.arrays->g2a[r][c] = g2a;
        m.arrays->mlat[r][c] = mlat;
        m.arrays->mlon[r][c] = mlon;
        m.arrays->day_len[r] = day_len;
    }
    void run() {
        m.lat_idx = r;
        m.lon_idx = c;
        f0f2_plr(m);
    }
    float g2() const { return m.arrays->g2[r][c]; }
    float ff() const { return m.arrays->ff[r][c]; }
    float weighted_plr() const { return m.arrays->plr[r][c]; }
    float plr() const { return weighted_plr() / ff(); }
    // The blending argument, recovered from ff = exp(-|x|^6).
    double x() const { return std::pow(-std::log(double(ff())), 1.0 / 6); }
};

}  // namespace

TEST(PolarF2, NorthernWorkedValues) {
    PolarPoint p;
    p.run();
    EXPECT_NEAR(p.plr(), 6.748, 0.001);
    EXPECT_NEAR(p.x(), 0.4726, 0.0001);
    EXPECT_NEAR(p.ff(), 0.989, 0.001);
    EXPECT_NEAR(p.g2(), 6.04, 0.01);
    // The examined array holds the polar term weighted by the blend, not the raw term.
    EXPECT_NEAR(p.weighted_plr(), 6.748 * 0.98891, 0.002);
    EXPECT_LT(p.weighted_plr(), 6.748 - 0.05);

    // Thirty degrees further from the pole, with a shorter day, the blend has vanished
    // and the mid-latitude value comes through (times 2.85 / sqrt(8.12) = 1.00015).
    p.set(8, float(40 * kDeg), 0, 15);
    p.run();
    EXPECT_LT(p.ff(), 1e-10);
    EXPECT_NEAR(p.g2(), 8.001, 0.001);
}

TEST(PolarF2, SwitchedOffPassesTheMidLatitudeValueThrough) {
    PolarPoint p;
    p.m.consts.plr_flag = 0;
    for (float g2a : {8.0f, 7.1234567f, 0.1f, 33.3f, 0.0f}) {
        p.m.arrays->ff[PolarPoint::r][PolarPoint::c] = -1;
        p.m.arrays->plr[PolarPoint::r][PolarPoint::c] = -1;
        p.set(g2a, float(85 * kDeg), 0.3f, 24);
        p.run();
        EXPECT_EQ(p.g2(), g2a);  // bit for bit
        EXPECT_EQ(p.ff(), 0);
        EXPECT_EQ(p.weighted_plr(), 0);
    }
    // With the model on, at the geomagnetic equator the argument 2.2 makes |x|^6 pass
    // the cap of 75: a blend of e^-75, practically the mid-latitude value.
    p.m.consts.plr_flag = 1;
    p.set(8, 0, 0, 12);
    p.run();
    EXPECT_NEAR(p.ff() / std::exp(-75.0), 1, 1e-6);
    EXPECT_NEAR(p.g2(), 8 * 2.85 / std::sqrt(8.12), 1e-5);
}

TEST(PolarF2, AtTheGeomagneticPoleOnlyThePolarTermCounts) {
    PolarPoint p;
    p.set(8, kHalfPi, 0, 15);
    p.run();
    EXPECT_EQ(p.ff(), 1.0f);
    EXPECT_NEAR(p.g2(), 2.85 * std::sqrt(0.66 * p.weighted_plr()), 1e-4);
    EXPECT_NEAR(p.weighted_plr(), 6.713, 0.001);
    // The mid-latitude value no longer matters.
    const float g2 = p.g2();
    p.set(20, kHalfPi, 0, 15);
    p.run();
    EXPECT_NEAR(p.g2(), g2, 1e-5);
    // A negative polar term leaves nothing to take the root of: 0 MHz.
    p.m.consts.nplr_5 = -1;
    p.m.consts.nplr_6 = 0;
    p.run();
    EXPECT_LT(p.weighted_plr(), 0);
    EXPECT_EQ(p.g2(), 0.0f);
}

TEST(PolarF2, HemisphereOfTheFormula) {
    PolarPoint p;
    // Without the offset x_1 the blend is 1 on the geomagnetic equator, so the examined
    // term is the raw polar term of either hemisphere.
    p.m.consts.x_1 = 0;
    // Exactly 0 (of either sign) is northern: (1.3)(3.2) exp(-1.2 (cos 0.41015 - 1)).
    for (float mlat : {0.0f, -0.0f}) {
        p.set(8, mlat, 0, 15);
        p.run();
        EXPECT_EQ(p.ff(), 1.0f);
        EXPECT_NEAR(p.weighted_plr(), 4.595, 0.001) << mlat;
    }
    // Just south of it the southern term runs, which differs.
    p.set(8, -1e-6f, 0, 15);
    p.run();
    EXPECT_NEAR(p.plr(), 5.164, 0.001);
}

TEST(PolarF2, SouthernTermAtMagneticLongitudeZeroAndPi) {
    PolarPoint p;
    // z = sin(mlon) = 0: the quotient z / sqrt|z| counts as 0, so b has no exponential
    // part, and everything stays finite.
    p.set(8, float(-70 * kDeg), 0, 15);
    p.run();
    ASSERT_TRUE(std::isfinite(p.g2()));
    ASSERT_TRUE(std::isfinite(p.weighted_plr()));
    EXPECT_NEAR(p.plr(), 5.164, 0.001);
    EXPECT_NEAR(p.ff(), 0.9234, 0.001);
    EXPECT_NEAR(p.g2(), 5.520, 0.002);
    p.set(8, float(-70 * kDeg), kPi, 15);
    p.run();
    ASSERT_TRUE(std::isfinite(p.g2()));
    EXPECT_NEAR(p.plr(), 5.104, 0.001);
    // Elsewhere the magnetic longitude matters.
    p.set(8, float(-70 * kDeg), 0.5f, 15);
    p.run();
    EXPECT_NEAR(p.plr(), 2.083, 0.001);
    for (float mlon = -3.1f; mlon <= 3.1f; mlon += 0.1f) {
        p.set(8, float(-65 * kDeg), mlon, 15);
        p.run();
        EXPECT_TRUE(std::isfinite(p.g2())) << mlon;
        EXPECT_GE(p.g2(), 0) << mlon;
    }
}

TEST(PolarF2, LongDaysAndDisturbanceWidenThePolarCap) {
    PolarPoint p;
    const double base = std::cos(70 * kDeg) * (2.2 + 0.3 * std::sin(70 * kDeg));
    // Below 18 hours of day the step adds nothing ...
    p.set(8, float(70 * kDeg), 0, 17.99f);
    p.run();
    EXPECT_NEAR(p.x(), base, 1e-4);
    const float ff_short = p.ff();
    // ... from 18.01 hours on it takes 1.1 cos(mlat) off the argument ...
    p.set(8, float(70 * kDeg), 0, 18.01f);
    p.run();
    EXPECT_NEAR(p.x(), base - 1.1 * std::cos(70 * kDeg), 1e-4);
    EXPECT_GT(p.ff(), ff_short);
    // ... and in between it is a steep ramp.
    p.set(8, float(70 * kDeg), 0, 18.005f);
    p.run();
    EXPECT_NEAR(p.x(), base - 0.55 * std::cos(70 * kDeg), 1e-3);
    // Disturbance: -0.1 per unit of the activity factor.
    p.set(8, float(70 * kDeg), 0, 15);
    p.m.ak_factor = 5;
    p.run();
    EXPECT_NEAR(p.x(), base - 0.5 * std::cos(70 * kDeg), 1e-4);
}

TEST(PolarF2, LocalTimeFromLongitude) {
    // 12 UTC at Greenwich, 0 UTC at 180 degrees (either sign) and 6 UTC at 90 E are all
    // local noon; the day of the month is moved so that the season is the same too.
    PolarPoint p;
    p.run();
    const float noon_plr = p.weighted_plr();
    const struct {
        float lon, utc, day;
    } noons[] = {{kPi, 0, 15.5f}, {-kPi, 0, 15.5f}, {float(270 * kDeg), 6, 15.25f}};
    for (const auto& n : noons) {
        p.m.cur_lon = n.lon;
        p.m.consts.calc_time = n.utc;
        p.m.consts.day = n.day;
        p.run();
        EXPECT_NEAR(p.weighted_plr(), noon_plr, 1e-4) << n.lon;
    }
    // Local midnight differs from local noon.
    p.m.cur_lon = 0;
    p.m.consts.calc_time = 0;
    p.m.consts.day = 15.5f;
    p.run();
    EXPECT_GT(std::fabs(p.weighted_plr() - noon_plr), 0.5);
}

// Unexamined, the polar term is skipped where it cannot reach the float the blend is
// kept in; the result must be the one of the full sum, on both sides of the equator,
// at every distance from the pole, for odd values and with unusual constants.
TEST(PolarF2, SkippingANegligiblePolarTermKeepsEveryBit) {
    PolarPoint p;
    int compared = 0;
    for (float nplr_3 : {p.m.consts.nplr_3, 40.0f})
        for (int lat = -90; lat <= 90; lat += 3)
            for (float g2a : {8.0f, 7.1234567f, 0.013f, 33.3f, 0.0f, 1e-30f})
                for (float day_len : {9.5f, 24.0f}) {
                    p.m.consts.nplr_3 = nplr_3;
                    p.set(g2a, float(lat * kDeg + 0.001), float(lat * 2 * kDeg), day_len);
                    p.m.exam_flag = 1;
                    p.run();
                    const float full = p.g2();
                    p.m.arrays->g2[PolarPoint::r][PolarPoint::c] = -1;
                    p.m.exam_flag = 0;
                    p.run();
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(p.g2()),
                              std::bit_cast<std::uint32_t>(full))
                        << lat << " " << g2a << " " << day_len << " " << nplr_3;
                    ++compared;
                }
    EXPECT_EQ(compared, 2 * 61 * 6 * 2);
}
