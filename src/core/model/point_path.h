// The paths from the QTH to one point of the world: what a ham asks first ("is 15 m
// open to Japan now?"), by the same path computation as every grid point.
#pragma once

namespace skywave {

struct Model;

// One of the two great-circle paths.
struct PointPath {
    float mof = 0, lof = 30;  // MHz; a path switched off shows 0 and 30, as on the grid
    double distance_km = 0;   // along the path
    double bearing_deg = 0;   // from the QTH, clockwise from north, 0 ... 360
    int hops = 0;
};

struct PointPaths {
    PointPath short_path, long_path;
};

// The short and the long path from the QTH to the point (latitude north, longitude
// west, radians) for the step whose ionosphere the model's arrays hold. The
// ionosphere is sampled at the grid cells under the hop midpoints, as for a grid
// point: at a grid point's own position the values are the grid's.
PointPaths point_paths(Model& m, float lat, float lon_west);

}  // namespace skywave
