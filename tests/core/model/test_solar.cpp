#include <gtest/gtest.h>

#include <cmath>

#include "model/model.h"
#include "model/solar.h"
#include "test_support.h"

using namespace skywave;

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180;

float ssn_for_flux(Model& m, float flux) {
    m.consts.sf_index = flux;
    flux_to_ssn(m);
    return m.ssn;
}

float ak_for(Model& m, float a_index, float k_index) {
    m.consts.a_index = a_index;
    m.consts.k_index = k_index;
    calc_ak_factor(m);
    return m.ak_factor;
}

void set_date(Model& m, float month, float day) {
    m.consts.month = month;
    m.consts.day = day;
    calc_sol_lat(m);
}

// Day length of a row at latitude lat_deg on the model's current date.
float day_length_at(Model& m, double lat_deg) {
    m.lat_idx = 3;
    m.cur_lat = float(lat_deg * kDeg);
    calc_c_sol_zen(m);
    calc_day_length(m);
    return m.arrays->day_len[3];
}

struct SunTimes {
    float noon, rise, set;
};

// Noon, sunrise and sunset at (row 3, column col) with west longitude lon and the
// given day length of the row.
SunTimes sun_times(Model& m, float lon, float day_len, int col = 5) {
    m.lat_idx = 3;
    m.lon_idx = col;
    m.cur_lon = lon;
    m.arrays->day_len[3] = day_len;
    calc_suntimes(m);
    const ResultArrays& a = *m.arrays;
    return {a.t_noon[3][col], a.t_sunrise[3][col], a.t_sunset[3][col]};
}

}  // namespace

TEST(Solar, FluxToSunspotNumber) {
    Model m;
    test::setup_model(m);
    EXPECT_NEAR(ssn_for_flux(m, 70), 8.5, 0.05);
    EXPECT_NEAR(ssn_for_flux(m, 100), 47.1, 0.05);
    EXPECT_NEAR(ssn_for_flux(m, 150), 105.0, 0.05);
    EXPECT_NEAR(ssn_for_flux(m, 200), 157.0, 0.05);
    EXPECT_NEAR(ssn_for_flux(m, 300), 248.8, 0.05);
    // The number saturates at 250 ...
    EXPECT_EQ(ssn_for_flux(m, 302), 250.0f);
    EXPECT_EQ(ssn_for_flux(m, 400), 250.0f);
    // ... and is never negative: at 63.75 the root equals fm1, below it the root's
    // argument eventually turns negative, which is no number at all.
    EXPECT_EQ(ssn_for_flux(m, 63.75f), 0.0f);
    EXPECT_EQ(ssn_for_flux(m, 60), 0.0f);
    EXPECT_EQ(ssn_for_flux(m, 0), 0.0f);
    EXPECT_EQ(ssn_for_flux(m, -500), 0.0f);
}

TEST(Solar, ActivityFactorFromAAndK) {
    Model m;
    test::setup_model(m);
    // Without an A index only K counts.
    EXPECT_EQ(ak_for(m, 0, 3), 3.0f);
    EXPECT_EQ(ak_for(m, -2, 5), 5.0f);
    // Otherwise half of K plus half of ln A.
    EXPECT_NEAR(ak_for(m, 10, 3), 2.6513, 5e-5);
    EXPECT_NEAR(ak_for(m, 1, 4), 2.0, 1e-6);
    m.consts.ak_1 = 1;
    m.consts.ak_2 = 0;
    EXPECT_NEAR(ak_for(m, 50, 6), 6.0, 1e-6);
}

TEST(Solar, DeclinationOverTheYear) {
    Model m;
    test::setup_model(m);
    set_date(m, 3, 21);
    EXPECT_NEAR(m.sol_lat / kDeg, 0.197, 0.001);
    set_date(m, 6, 21);
    EXPECT_NEAR(m.sol_lat / kDeg, 23.43, 0.005);
    set_date(m, 12, 22);
    EXPECT_NEAR(m.sol_lat / kDeg, -23.43, 0.005);
    set_date(m, 1, 1);
    EXPECT_NEAR(m.sol_lat / kDeg, -23.02, 0.005);
    // The year's angle: a 30.4-day month, coming round on 21 December.
    EXPECT_NEAR(m.julian_date, 0.1892, 0.0001);
    set_date(m, 12, 21);
    EXPECT_NEAR(m.julian_date, 2 * 3.14159265358979, 0.005);
}

TEST(Solar, SunLocateUsesItsOwnDeclination) {
    Model m;
    test::setup_model(m);
    // On 21 March its declination is about +0.728 degrees (sol_lat is only +0.197): the
    // sun stays up all day from 89.272 degrees north. A declination of 0.197 degrees
    // would move that edge to 89.8 degrees.
    set_date(m, 3, 21);
    int rise = 99, set = 99;
    sun_locate(m, float(89.3 * kDeg), 12, &rise, &set);
    EXPECT_EQ(rise, 0);
    EXPECT_EQ(set, -1);
    sun_locate(m, float(89.25 * kDeg), 12, &rise, &set);
    EXPECT_GE(rise, 0);
    EXPECT_GE(set, 0);

    // At 42.5 N the half-day arc is 89.33 degrees: at 12 UTC the sun rises at 90 W
    // (450.67 wrapped) and sets at 269 W (629.33 wrapped).
    sun_locate(m, float(42.5 * kDeg), 12, &rise, &set);
    EXPECT_EQ(rise, 90);
    EXPECT_EQ(set, 269);
    // On the equator the arc is 90 degrees whatever the date.
    set_date(m, 7, 4);
    sun_locate(m, 0.0f, 12.1f, &rise, &set);
    EXPECT_EQ(rise, 91);
    EXPECT_EQ(set, 271);
    // Results always lie in 0 ... 359.
    for (float t = 0; t <= 24; t += 0.25f) {
        sun_locate(m, float(30 * kDeg), t, &rise, &set);
        EXPECT_GE(rise, 0);
        EXPECT_LT(rise, 360);
        EXPECT_GE(set, 0);
        EXPECT_LT(set, 360);
    }
}

TEST(Solar, SunLocateInPolarDayAndNight) {
    Model m;
    test::setup_model(m);
    int rise = 99, set = 99;
    set_date(m, 6, 21);
    sun_locate(m, float(80 * kDeg), 3, &rise, &set);  // midnight sun
    EXPECT_EQ(rise, 0);
    EXPECT_EQ(set, -1);
    sun_locate(m, float(-80 * kDeg), 3, &rise, &set);  // southern winter
    EXPECT_EQ(rise, -1);
    EXPECT_EQ(set, 0);
    set_date(m, 12, 22);
    sun_locate(m, float(80 * kDeg), 17, &rise, &set);
    EXPECT_EQ(rise, -1);
    EXPECT_EQ(set, 0);
    sun_locate(m, float(-80 * kDeg), 17, &rise, &set);
    EXPECT_EQ(rise, 0);
    EXPECT_EQ(set, -1);
}

TEST(Solar, DayLengthOfARow) {
    Model m;
    test::setup_model(m);
    // The "day" lasts while the zenith angle stays below 105 degrees, so even the
    // equator has more than 12 hours: 14.0 at the equinoxes, 14.18 at the solstices.
    set_date(m, 6, 21);
    EXPECT_NEAR(day_length_at(m, 0), 14.18, 0.005);
    EXPECT_NEAR(day_length_at(m, 42.5), 18.82, 0.005);
    EXPECT_NEAR(m.arrays->c_sol_zen[3], std::cos(42.5 * kDeg - m.sol_lat), 1e-6);
    EXPECT_NEAR(day_length_at(m, 87.5), 23.99994, 1e-4);  // polar day
    EXPECT_NEAR(day_length_at(m, -87.5), 0.00006, 1e-4);  // polar night
    set_date(m, 12, 22);
    EXPECT_NEAR(day_length_at(m, 0), 14.18, 0.005);
    EXPECT_NEAR(day_length_at(m, 42.5), 11.89, 0.005);
    EXPECT_NEAR(day_length_at(m, 87.5), 0.00006, 1e-4);
    EXPECT_NEAR(day_length_at(m, -87.5), 23.99994, 1e-4);
    set_date(m, 3, 21);
    EXPECT_NEAR(day_length_at(m, 0), 14.00, 0.005);
    // Every row's day length lies between the two clamps.
    for (int lat = -90; lat <= 90; lat += 5) {
        const float d = day_length_at(m, lat);
        EXPECT_GT(d, 0) << lat;
        EXPECT_LT(d, 24) << lat;
    }
}

TEST(Solar, NoonSunriseAndSunset) {
    Model m;
    test::setup_model(m, 1);
    set_date(m, 1, 1);
    // Greenwich noon on 1 January, shifted by the equation of time.
    const SunTimes g = sun_times(m, 0.0f, 12);
    EXPECT_NEAR(g.noon, 12.08, 0.005);
    EXPECT_NEAR(g.rise, g.noon - 6, 1e-5);
    EXPECT_NEAR(g.set, g.noon + 6, 1e-5);
    // Column 0 of grain 1 lies 2.25 degrees west: noon 0.15 h later.
    const SunTimes w = sun_times(m, m.grid.col_lon(0), 12, 0);
    EXPECT_NEAR(w.noon - g.noon, 0.15, 0.001);

    // Far west, noon wraps into the next day: 4.5 rad west is 17.19 h later.
    const SunTimes far = sun_times(m, 4.5f, 10);
    EXPECT_NEAR(far.noon, g.noon + 3.82 * 4.5 - 24, 1e-4);
    // A sunset after 24 h and a sunrise before 0 h wrap as well.
    const SunTimes wide = sun_times(m, 2.5f, 16);  // noon 21.63
    EXPECT_NEAR(wide.set, wide.noon + 8 - 24, 1e-4);
    EXPECT_NEAR(wide.rise, wide.noon - 8, 1e-4);
    const SunTimes late = sun_times(m, 5.9f, 14);  // noon 10.62 of the next day
    EXPECT_NEAR(late.rise, late.noon - 7, 1e-4);
    const SunTimes dawn = sun_times(m, 5.9f, 22);
    EXPECT_NEAR(dawn.rise, dawn.noon - 11 + 24, 1e-4);

    // Polar day: sunrise and sunset both 12 hours from noon; polar night: both at noon.
    for (float lon : {0.3f, 1.0f, 3.0f, 5.5f}) {
        const SunTimes day = sun_times(m, lon, 23.99994f);
        EXPECT_NEAR(std::fmod(day.noon - day.rise + 48, 24), 12, 1e-3);
        EXPECT_NEAR(std::fmod(day.set - day.noon + 48, 24), 12, 1e-3);
        EXPECT_GE(day.rise, 0);
        EXPECT_LE(day.set, 24);
        const SunTimes night = sun_times(m, lon, 0.00006f);
        EXPECT_NEAR(night.rise, night.noon, 1e-4);
        EXPECT_NEAR(night.set, night.noon, 1e-4);
    }
}

TEST(Solar, ZenithAngleAtAPoint) {
    Model m;
    test::setup_model(m);
    set_date(m, 6, 21);
    m.lat_idx = 4;
    m.lon_idx = 6;
    m.cur_lat = float(30 * kDeg);
    m.arrays->t_noon[4][6] = 10;
    // At local noon the sun stands at the latitude's distance from the sub-solar one.
    m.consts.calc_time = 10;
    calc_sol_angle(m);
    EXPECT_NEAR(m.arrays->sol_angle[4][6], std::fabs(30 * kDeg - m.sol_lat), 1e-4);
    // Six hours from noon on the equator at an equinox the sun is on the horizon.
    set_date(m, 3, 21);
    m.sol_lat = 0;
    m.cur_lat = 0;
    m.consts.calc_time = 16;
    calc_sol_angle(m);
    EXPECT_NEAR(m.arrays->sol_angle[4][6], 90 * kDeg, 1e-5);
    // Midnight: the zenith angle is 180 degrees less the noon one.
    m.cur_lat = float(40 * kDeg);
    m.consts.calc_time = 22;
    calc_sol_angle(m);
    EXPECT_NEAR(m.arrays->sol_angle[4][6], 140 * kDeg, 1e-4);
}
