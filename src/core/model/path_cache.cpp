#include "model/path_cache.h"

#include <algorithm>

#include "base/numbers.h"
#include "model/constants.h"
#include "model/grid.h"

namespace skywave {

// All or nothing: the new buffers are made first and taken over together, so a failed
// allocation leaves no cache that looks allocated but is not. The entries are as many
// as the grid has cells, not as the largest grid has: fresh memory is slow to touch
// the first time, and a coarse grid's run would touch a large page for each.
void PathCache::allocate(const Grid& g) {
    const std::size_t n =
        std::size_t(2) * std::size_t(std::max(g.n_rows, 1)) * std::size_t(std::max(g.n_cols, 1));
    if (entries_ && n_entries_ >= n) return;
    std::unique_ptr<Entry[], EntryRelease> entries(
        static_cast<Entry*>(large_page_block(n * sizeof(Entry))));
    std::vector<std::uint16_t, LargePageAllocator<std::uint16_t>> arena;
    std::vector<ScalarMemo> memos;
    if (memos_.empty()) {
        arena.reserve(std::size_t(1) << 17);
        memos.assign(std::size_t(kMemoTables) * kMemoSlots, ScalarMemo{});
    }
    entries_.swap(entries);
    n_entries_ = n;
    if (!memos.empty()) {
        arena_.swap(arena);
        memos_.swap(memos);
    }
    keyed_ = false;
}

// A new generation: every entry is stale, and the arena's cells belong to nobody.
void PathCache::forget() {
    ++generation_;
    arena_.clear();
    for (ScalarMemo& m : memos_)
        m.valid = false;
}

void PathCache::clear() {
    forget();
    keyed_ = false;
}

void PathCache::begin_pass(const Constants& k, const Grid& g) {
    allocate(g);
    const Key key{k.rlat,   k.rlon,        g.rows_per_rad,       g.cols_per_rad, g.n_rows,
                  g.n_cols, k.maxhop,      k.recalc_maxhop_flag, k.min_phi,      k.max_phi,
                  k.m9_1,   k.min_takeoff, k.max_takeoff,        k.sex_1,        k.sex_2,
                  k.sex_3,  k.sex_4};
    if (keyed_ && std::memcmp(&key, &key_, sizeof key) == 0 && arena_.size() < kArenaLimit) return;
    forget();
    key_ = key;
    keyed_ = true;
    great_circles_.build(k.rlon, g);
}

void PathCache::store_geometry(Entry& e, float h_calc, const Geometry& g) {
    constexpr int n = int(sizeof e.geometry / sizeof e.geometry[0]);
    int i = e.n_geometry;
    if (i < n) {
        ++e.n_geometry;
    } else {
        i = e.next_geometry;
        e.next_geometry = std::uint8_t((i + 1) % n);
    }
    e.h_bits[i] = bits_of(h_calc);
    e.geometry[i] = g;
}

const PathCache::HopSlot* PathCache::find_hops(const Entry& e, int khop) {
    for (int i = 0; i < e.n_hops; ++i)
        if (e.hops[i].khop == khop) return &e.hops[i];
    return nullptr;
}

std::uint32_t PathCache::store_cells(const std::uint16_t* cells, int khop) {
    const std::uint32_t at = std::uint32_t(arena_.size());
    arena_.insert(arena_.end(), cells, cells + khop);
    return at;
}

PathCache::HopSlot PathCache::store_hops(Entry& e, int khop, const std::uint16_t* cells,
                                         float half_hop, double sin_half_hop, double cos_half_hop) {
    constexpr int n = int(sizeof e.hops / sizeof e.hops[0]);
    const HopSlot slot{khop, store_cells(cells, khop), half_hop, sin_half_hop, cos_half_hop};
    if (e.n_hops < n) {
        e.hops[e.n_hops++] = slot;
    } else {
        e.hops[e.next_hop] = slot;
        e.next_hop = std::uint8_t((e.next_hop + 1) % n);
    }
    return slot;
}

}  // namespace skywave
