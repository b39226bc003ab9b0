// Great circles on the sphere and geomagnetic coordinates.
//
// Latitudes north positive, longitudes west positive, azimuths clockwise from north,
// distances as central angles; all in radians.
#pragma once

namespace skywave {

struct Model;

struct range_azim {
    float from_lat;
    float from_lon;
    float to_lat;
    float to_lon;
    float range;
    float azim;
};

// Distance and initial azimuth from the "from" point to the "to" point.
void compute_range_azim(range_azim* ptr);
// The point reached from the "from" point along azim after range; to_lon may come
// out anywhere in -2 pi ... 2 pi.
void compute_lat_lon(range_azim* ptr);

// What compute_lat_lon takes from the start point and the heading alone, worked out
// once for the many points along one great circle (the hop midpoints of a path).
struct GreatCircleStart {
    float sin_lat, cos_lat;  // of from_lat, rounded to float
    double cos_azim;
    bool heading_east;  // sin(azim) >= 0
};
GreatCircleStart great_circle_start(const range_azim& from);
// compute_lat_lon with the start's terms given; the same arithmetic, the same bits.
void compute_lat_lon(range_azim* ptr, const GreatCircleStart& start);

// Geomagnetic latitude and longitude of the current grid point.
void calc_mlat_mlon(Model& m);
// Geomagnetic latitude of the current grid point from the built-in coarse map.
float calc_mlat_mapped(const Model& m);

}  // namespace skywave
