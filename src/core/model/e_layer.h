// The E layer at one grid point: critical frequency and absorption index.
#pragma once

namespace skywave {
struct Model;
void calc_fe(Model& m);
// calc_fe for every column of row lat_idx (the same floats, fewer library calls).
void calc_fe_row(Model& m);
}  // namespace skywave
