// The F2 layer at one grid point (the G model): mid-latitude critical frequency and
// reflection height, in one of three regimes: day, night or polar night.
#pragma once

namespace skywave {
struct Model;
void calc_g2(Model& m);
}  // namespace skywave
