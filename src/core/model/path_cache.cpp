#include "model/path_cache.h"

#include <algorithm>
#include <cstring>

namespace skywave {

namespace {
bool same_bits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
}  // namespace

// All or nothing: the new buffers are made first and taken over together, so a failed
// allocation leaves no cache that looks allocated but is not.
void PathCache::allocate() {
    if (!midpoints_.empty()) return;
    std::vector<float> path_key(2 * kCells, 0.0f);
    std::vector<std::uint8_t> valid(std::size_t(kCells) * kMaxHops, 0);
    std::vector<float> last(std::size_t(kCells) * kMaxHops * 2, 0.0f);
    std::vector<std::uint16_t> midpoints(std::size_t(kCells) * kSlotCells, 0);
    path_key_.swap(path_key);
    valid_.swap(valid);
    last_.swap(last);
    midpoints_.swap(midpoints);
    keyed_ = false;
}

void PathCache::clear() {
    std::fill(valid_.begin(), valid_.end(), 0);
    keyed_ = false;
}

void PathCache::begin_pass(float rlat, float rlon, float rows_per_rad, float cols_per_rad) {
    allocate();
    const float key[4] = {rlat, rlon, rows_per_rad, cols_per_rad};
    bool same = keyed_;
    for (int i = 0; i < 4 && same; ++i)
        same = same_bits(key[i], key_[i]);
    if (same) return;
    std::fill(valid_.begin(), valid_.end(), 0);
    std::copy(key, key + 4, key_);
    keyed_ = true;
}

void PathCache::select(int path, int row, int col, float pathlen, float azim) {
    cell_ = (path * 38 + row) * 80 + col;
    float* k = &path_key_[2 * cell_];
    if (same_bits(k[0], pathlen) && same_bits(k[1], azim)) return;
    std::fill_n(&valid_[std::size_t(cell_) * kMaxHops], kMaxHops, 0);
    k[0] = pathlen;
    k[1] = azim;
}

bool PathCache::find(int khop, Hops& out) const {
    if (khop < 1 || khop > kMaxHops) return false;
    const std::size_t slot = std::size_t(cell_) * kMaxHops + (khop - 1);
    if (!valid_[slot]) return false;
    out.cells = &midpoints_[std::size_t(cell_) * kSlotCells + (khop - 1) * khop / 2];
    out.last_lat = last_[2 * slot];
    out.last_lon = last_[2 * slot + 1];
    return true;
}

void PathCache::store(int khop, const std::uint16_t* cells, float last_lat, float last_lon) {
    if (khop < 1 || khop > kMaxHops) return;
    const std::size_t slot = std::size_t(cell_) * kMaxHops + (khop - 1);
    std::copy_n(cells, khop, &midpoints_[std::size_t(cell_) * kSlotCells + (khop - 1) * khop / 2]);
    last_[2 * slot] = last_lat;
    last_[2 * slot + 1] = last_lon;
    valid_[slot] = 1;
}

}  // namespace skywave
