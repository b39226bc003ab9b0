#include "model/geomag.h"

#include <cmath>

#include "base/numbers.h"
#include "model/model.h"

namespace skywave {

namespace {

// Geomagnetic latitude by 13 latitude bands (north first) and 25 east-longitude
// sectors from Greenwich; letter c stands for (74 - c) x 10 degrees.
constexpr const char* kMagMap[13] = {
    "AAAAAAAAAAAAAAAAAAAAAAAAA", "BBBBAAAAABBBBBBAAAAAAABBB", "CCCCCBBCCCCCCCCBBBBBBBCCC",
    "DDDDCCCCDDDDDDDCCCBCCCCDD", "FFFFEEEFFFFFFEEEEDDDDEEFF", "IIHHHHHHHHHGGGGGFFFEFFGHH",
    "MMLLLLLLLLKJJJJIIIHHHIKLM", "POOOOOOOONNMMMMMLLKKKLMOO", "PPPPPQPPPPPOOOOONNMMMNOPP",
    "PPPPQQRRRQQQQQPPPOOONOOPP", "PPPQQQRRRRRRRQQQQPPPOOPPP", "PQQQQQRRSSRRRRQQQQQPPPPPP",
    "QQQQQQQRRRRRRRQQQQQQQQQQQ",
};

float clamp_unit(float v) {
    if (v >= 1) v = 1;
    if (v <= -1) v = -1;
    return v;
}

}  // namespace

void compute_range_azim(range_azim* ptr) {
    const D lat1 = ptr->from_lat, lon1 = ptr->from_lon;
    const D lat2 = ptr->to_lat, lon2 = ptr->to_lon;
    const float h = clamp_unit(float(std::sin(lat1) * std::sin(lat2) +
                                     std::cos(lat1) * std::cos(lat2) * std::cos(lon1 - lon2)));
    ptr->range = float(std::acos(D(h)));
    if (ptr->range < 0.00001) {
        ptr->azim = 0;
    } else {
        const float s = clamp_unit(float((std::sin(lat2) - std::sin(lat1) * h) /
                                         (std::cos(lat1) * std::sin(D(ptr->range)))));
        ptr->azim = float(std::acos(D(s)));
    }
    if (std::sin(lon1 - lon2) < 0) ptr->azim = float(D(kTwoPi) - ptr->azim);  // end point lies west
}

GreatCircleStart great_circle_start(const range_azim& from) {
    return {float(std::sin(D(from.from_lat))), float(std::cos(D(from.from_lat))),
            std::cos(D(from.azim)), std::sin(D(from.azim)) >= 0};
}

void compute_lat_lon(range_azim* ptr) {
    compute_lat_lon(ptr, great_circle_start(*ptr));
}

void compute_lat_lon(range_azim* ptr, const GreatCircleStart& start) {
    const float s1 = start.sin_lat;
    const float c1 = start.cos_lat;
    const float c2 = float(std::cos(D(ptr->range)));
    // cosine of the end point's colatitude
    const float ca = clamp_unit(float(std::sin(D(ptr->range)) * c1 * start.cos_azim + D(s1) * c2));
    const float a = float(std::acos(D(ca)));
    float cgx = float(std::sin(D(a)) * c1);
    if (std::fabs(cgx) < 0.00001) {
        if (cgx > 0)
            cgx = 0.00001f;
        else if (cgx < 0)
            cgx = -0.00001f;
    }
    // cosine of the longitude difference; at a pole (cgx = 0) only the sign counts
    const D num = D(c2) - D(s1) * ca;
    float cg;
    if (cgx == 0)
        cg = num > 0 ? 1.0f : -1.0f;
    else
        cg = clamp_unit(float(num / cgx));
    const float g = float(std::acos(D(cg)));
    ptr->to_lat = float(D(kHalfPi) - a);
    float v;
    if (start.heading_east)
        v = float(D(ptr->from_lon) - g);
    else
        v = float(D(ptr->from_lon) + g);
    if (v > kTwoPi)
        v = float(D(v) - kTwoPi);
    else if (v < -kTwoPi)
        v = float(D(v) + kTwoPi);
    ptr->to_lon = v;
}

void calc_mlat_mlon(Model& m) {
    const Constants& k = m.consts;
    range_azim mag{k.mlat_1, k.mlon_1, m.cur_lat, m.cur_lon, 0, 0};
    compute_range_azim(&mag);
    float mlat;
    if (k.mlat_flag != 0)
        mlat = calc_mlat_mapped(m);
    else
        mlat = float(D(kHalfPi) - mag.range);
    float smlon = clamp_unit(float(std::sin(D(kHalfPi) - m.cur_lat) *
                                   std::sin(D(m.cur_lon) - k.mlon_1) / std::sin(D(mag.range))));
    float mlon = float(std::asin(D(smlon)));
    if (mag.azim < kHalfPi || mag.azim > kThreeHalfPi) mlon = float(D(kPi) - mlon);
    if (mlon > kPi) mlon = float(D(mlon) - kTwoPi);
    m.arrays->mlat[m.lat_idx][m.lon_idx] = mlat;
    m.arrays->mlon[m.lat_idx][m.lon_idx] = mlon;
}

float calc_mlat_mapped(const Model& m) {
    // Grid columns run west from Greenwich, the map's columns east.
    const int x = 24 - cell_index(m.lon_idx * 25.0 / m.grid.n_cols, 25);
    const int y = cell_index(m.lat_idx * 13.0 / m.grid.n_rows, 13);
    const int c = kMagMap[y][x];
    return float((74 - c) * D(kHalfPi) * (1.0 / 9));
}

}  // namespace skywave
