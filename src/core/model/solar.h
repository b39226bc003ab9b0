// Solar geometry, day length and the conversions of the run's indices.
#pragma once

namespace skywave {

struct Model;
class ColumnCosines;

void flux_to_ssn(Model& m);      // sunspot number from the solar flux
void calc_ak_factor(Model& m);   // geomagnetic activity factor from A and K
void calc_sol_lat(Model& m);     // angle of the year and sub-solar latitude
void calc_c_sol_zen(Model& m);   // noon zenith angle cosine of row lat_idx
void calc_day_length(Model& m);  // day length of row lat_idx
void calc_suntimes(Model& m);    // noon, sunrise and sunset at the current point
// The equation of time of the date (hours), and calc_suntimes with it given.
float equation_of_time(const Model& m);
void calc_suntimes(Model& m, float equation_of_time);
void calc_sol_angle(Model& m);  // zenith angle at the current point and time

// The terms of the zenith angle that depend on the row's latitude and the date:
// sin lat sin dec and cos lat cos dec of row lat_idx.
struct SolAngleRow {
    double sin_sin, cos_cos;
};
SolAngleRow sol_angle_row(const Model& m);
// calc_sol_angle with the row's terms and the cosines of the hour angles of the columns.
void calc_sol_angle(Model& m, const SolAngleRow& row, ColumnCosines& hour_angle);
// The same for every column of row lat_idx (the same floats, fewer library calls).
void calc_sol_angle_row(Model& m, const SolAngleRow& row, ColumnCosines& hour_angle);

// The west longitudes (whole degrees, 0 ... 359) where the sun rises and sets on
// latitude lat at the given time, or -1 where it does not.
void sun_locate(const Model& m, float lat, float time, int* rise_long, int* set_long);

}  // namespace skywave
