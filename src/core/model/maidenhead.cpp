#include "model/maidenhead.h"

#include <cctype>
#include <cmath>

namespace skywave {

namespace {

// Both coordinates are counted in units of the extended square, 1/120 degree of
// longitude and 1/240 degree of latitude, from the south-west corner of field AA:
// a field is 2400 units, a square 240, a subsquare 10.
constexpr int kFieldUnits = 2400, kSquareUnits = 240, kSubUnits = 10, kAllUnits = 18 * kFieldUnits;

int units(double offset, double per_degree) {
    // A corner typed in decimal degrees lands a hair below its cell without the nudge.
    const double u = std::floor(offset * per_degree + 1e-6);
    if (!(u >= 0)) return 0;
    return u >= kAllUnits ? kAllUnits - 1 : int(u);
}

}  // namespace

std::optional<LatLon> locator_centre(std::string_view loc) {
    if (loc.size() != 4 && loc.size() != 6 && loc.size() != 8) return std::nullopt;
    const auto upper = [&](std::size_t i) {
        return char(std::toupper(static_cast<unsigned char>(loc[i])));
    };
    int lon_units = 0, lat_units = 0;
    // Each pair: a letter (or digit) for longitude, then one for latitude.
    const struct {
        char first, last;
        int size;
    } pairs[4] = {
        {'A', 'R', kFieldUnits}, {'0', '9', kSquareUnits}, {'A', 'X', kSubUnits}, {'0', '9', 1}};
    for (std::size_t p = 0; p * 2 < loc.size(); ++p) {
        const char x = upper(2 * p), y = upper(2 * p + 1);
        if (x < pairs[p].first || x > pairs[p].last || y < pairs[p].first || y > pairs[p].last)
            return std::nullopt;
        lon_units += (x - pairs[p].first) * pairs[p].size;
        lat_units += (y - pairs[p].first) * pairs[p].size;
    }
    const double cell = pairs[loc.size() / 2 - 1].size;
    return LatLon{(lat_units + cell / 2) / 240.0 - 90, (lon_units + cell / 2) / 120.0 - 180};
}

std::string locator_of(LatLon p, int chars) {
    const int lon = units(p.lon + 180, 120), lat = units(p.lat + 90, 240);
    std::string s;
    s += char('A' + lon / kFieldUnits);
    s += char('A' + lat / kFieldUnits);
    s += char('0' + lon % kFieldUnits / kSquareUnits);
    s += char('0' + lat % kFieldUnits / kSquareUnits);
    if (chars >= 6) {
        s += char('a' + lon % kSquareUnits / kSubUnits);
        s += char('a' + lat % kSquareUnits / kSubUnits);
    }
    if (chars >= 8) {
        s += char('0' + lon % kSubUnits);
        s += char('0' + lat % kSubUnits);
    }
    return s;
}

}  // namespace skywave
