// Maidenhead locators: the amateur's grid of fields (20 x 10 degrees), squares
// (2 x 1 degrees), subsquares (5 x 2.5 minutes) and extended squares (30 x 15 seconds).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skywave {

// A position in degrees, north and east positive (as locators and spot tables give
// them; the engine itself counts longitudes west positive).
struct LatLon {
    double lat = 0;
    double lon = 0;
};

// The centre of a locator of 4, 6 or 8 characters (any case); nothing when it is
// not one ("ZZ99", "JO9", "JO97bz").
std::optional<LatLon> locator_centre(std::string_view locator);

// The locator of 4, 6 or 8 characters of the cell that holds p, written "JO97bm12".
// Positions on the north pole or the 180th meridian fall into the last cell.
std::string locator_of(LatLon p, int chars);

}  // namespace skywave
