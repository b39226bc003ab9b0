// MOF and LOF of the radio path from the QTH to the target grid point
// (p_lat_idx, p_lon_idx): 'S' for the short great-circle path, 'L' for the long one.
#pragma once

namespace skywave {
struct Model;
void path_mof(Model& m, char path);
}  // namespace skywave
