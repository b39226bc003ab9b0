// Where a North American station is, finer than its country: the states, provinces,
// territories and contest sections its log may name, and the call districts its call
// carries; and how far a country of the prefix table reaches from its point.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/maidenhead.h"

namespace skywave {

// The countries whose stations the logs place finer than the prefix table does.
enum class Country { other, united_states, canada, mexico };

// The country of a prefix table entity, by its name.
Country country_of_entity(std::string_view entity);

// A place and what it is ("state PA", "call district 1").
struct NamedPlace {
    LatLon place;
    std::string name;
};

// The centre of the state, province, territory or ARRL/RAC section an exchange field
// names ("OH", "WPA", "GTA"), for a station of the United States or Canada; for one of
// Mexico (only with mexican_states, as only the ARRL 10-metre contest sends them) the
// Mexican state ("NLE", "DGO"). Nothing for any other field.
std::optional<NamedPlace> region_of_field(Country country, std::string_view field,
                                          bool mexican_states);

// The centre of the call district of a call of the United States or Canada, from the
// part of the call the prefix table placed it by ("W1AW", "K4LT" for K1LT/4, "VE3" for
// VE3/G3ABC): the digit after the prefix letters, and for Canada the prefix too (VO1 is
// Newfoundland, VY2 Prince Edward Island). Nothing when no district rule fits.
std::optional<NamedPlace> district_of_call(Country country, std::string_view location);

// The farthest border point of the country that holds the point of the prefix table
// entity so named, from that point, in km; nothing for an entity the table has no
// outline for.
std::optional<double> country_radius_km(std::string_view entity);

// The great-circle distance between two places, in km.
double distance_km(const LatLon& a, const LatLon& b);

}  // namespace skywave
