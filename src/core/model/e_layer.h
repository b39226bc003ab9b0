// The E layer at one grid point: critical frequency and absorption index.
#pragma once

namespace skywave {
struct Model;
void calc_fe(Model& m);
}  // namespace skywave
