// The polar F2 term and its blend with the mid-latitude value into the final F2
// critical frequency of a grid point.
#pragma once

namespace skywave {
struct Model;
void f0f2_plr(Model& m);
}  // namespace skywave
