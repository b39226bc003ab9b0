// Remembers what a path's geometry decides, so that each step only samples the
// ionosphere along it.
//
// A path's hop midpoints depend only on the QTH, the grid, the path (its length and
// azimuth) and its hop count, all fixed through a run; its hop geometry (hop count,
// angles, the take-off factor of the absorption) depends on the path, a few constants
// and the reflection height, and a cell's layer height comes back unchanged hour after
// hour (all night, and at many cells all day). So the cache keeps, per target cell and
// direction, the cells under the midpoints of the few hop counts the path has used
// (the first split's among them), and the geometry of its last few reflection heights, each
// keyed on the exact bits of what it was computed from. What the cache returns is
// what the arithmetic produced; a change of any input it was keyed on forgets it.
//
// Entries sit in one array in the order the path pass visits them and the midpoint
// cells in one arena, so a step reads the cache front to back.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/large_pages.h"
#include "base/numbers.h"
#include "model/great_circle_cells.h"
#include "model/grid.h"

namespace skywave {

struct Constants;

class PathCache {
public:
    // Paths with more hops than this are computed each time.
    static constexpr int kMaxHops = 64;

    // The hop geometry of a path reflected at one height.
    struct Geometry {
        int khop;
        std::uint32_t cells;  // the midpoint cells, an offset into the arena
        float half_hop, calc_maxhop, phi, m9, takeoff, sex;
        double sex_factor;  // |sex| ^ sex_4, which scales the absorption
    };

    // The midpoints of one hop count, its half hop and the half hop's sine and cosine.
    struct HopSlot {
        int khop;
        std::uint32_t cells;
        float half_hop;
        double sin_half_hop, cos_half_hop;
    };

    // What follows from one float alone (the reflection height, the take-off
    // angle), remembered under its bits.
    struct ScalarMemo {
        std::uint32_t key;
        bool valid;
        float f;
        double d;
    };
    enum MemoTable { kByHeight, kByTakeoff, kMemoTables };
    // The slot of a key; it holds the key's values if valid and key match.
    ScalarMemo& memo(MemoTable table, float key);
    static bool holds(const ScalarMemo& slot, float key);
    static void fill(ScalarMemo& slot, float key, float f, double d);

    // What a step reads of a known path (its key, the first split and the heights of
    // its geometries) lies in the entry's first cache line.
    struct alignas(64) Entry {
        float pathlen, azim;
        std::uint32_t generation;
        std::uint32_t cells1;  // the first split's midpoint cells
        std::uint16_t khop1;   // its hop count (0: not cached)
        std::uint8_t n_geometry, next_geometry, n_hops, next_hop;
        std::uint32_t h_bits[3];  // the reflection heights of the geometries
        Geometry geometry[3];
        HopSlot hops[4];
    };

    // Forgets everything if the QTH, the grid or a constant of the hop geometry
    // differ from the ones the cache was filled for.
    void begin_pass(const Constants& k, const Grid& g);
    // The entry of a path, emptied first if it was filled for another path.
    Entry& select(int path, int row, int col, float pathlen, float azim);
    // The geometry of the entry at a reflection height, if known.
    static const Geometry* find_geometry(const Entry& e, float h_calc);
    // Keeps the geometry of a reflection height (the oldest of a full entry goes).
    void store_geometry(Entry& e, float h_calc, const Geometry& g);
    // The midpoint cells of khop hops of the entry, if known.
    static const HopSlot* find_hops(const Entry& e, int khop);
    // Keeps khop midpoint cells with their half hop's sine and cosine.
    HopSlot store_hops(Entry& e, int khop, const std::uint16_t* cells, float half_hop,
                       double sin_half_hop, double cos_half_hop);
    const std::uint16_t* cells(std::uint32_t offset) const { return &arena_[offset]; }
    // The cells of great circles from a start at from_lon on the grid, if the cache
    // was keyed for them (else null).
    const GreatCircleCells* great_circle_cells(float from_lon, const Grid& g) const {
        return keyed_ && great_circles_.built_for(from_lon, g) ? &great_circles_ : nullptr;
    }
    // Forgets everything.
    void clear();
    // Gets the cache's memory for a grid (an entry per cell and direction, under a
    // megabyte for a grain-2 grid); throws bad_alloc.
    void allocate(const Grid& g);

private:
    // The arena is started afresh (and everything forgotten) beyond this many cells.
    static constexpr std::size_t kArenaLimit = std::size_t(1) << 22;

    struct Key {
        float rlat, rlon, rows_per_rad, cols_per_rad;
        int n_rows, n_cols;
        float maxhop, recalc_maxhop_flag, min_phi, max_phi, m9_1, min_takeoff, max_takeoff;
        float sex_1, sex_2, sex_3, sex_4;
    };

    void forget();
    // Keeps khop midpoint cells in the arena; returns their offset.
    std::uint32_t store_cells(const std::uint16_t* cells, int khop);

    static constexpr int kMemoSlots = 256;
    std::vector<ScalarMemo> memos_;

    Key key_{};
    bool keyed_ = false;
    GreatCircleCells great_circles_;
    std::uint32_t generation_ = 1;
    // Zeros when made (a generation of 0 is stale): pages no pass reaches stay untouched.
    struct EntryRelease {
        void operator()(Entry* p) const { large_page_release(p); }
    };
    std::unique_ptr<Entry[], EntryRelease> entries_;
    std::size_t n_entries_ = 0;  // two directions of the keyed grid's rows x columns, or more
    std::vector<std::uint16_t, LargePageAllocator<std::uint16_t>> arena_;
};

// The few calls of every path, inline.

inline PathCache::Entry& PathCache::select(int path, int row, int col, float pathlen, float azim) {
    Entry& e = entries_[std::size_t((path * key_.n_rows + row) * key_.n_cols + col)];
    if (e.generation == generation_ && bits_of(e.pathlen) == bits_of(pathlen) &&
        bits_of(e.azim) == bits_of(azim))
        return e;
    e = Entry{};
    e.pathlen = pathlen;
    e.azim = azim;
    e.generation = generation_;
    return e;
}

inline const PathCache::Geometry* PathCache::find_geometry(const Entry& e, float h_calc) {
    const std::uint32_t h = bits_of(h_calc);
    for (int i = 0; i < e.n_geometry; ++i)
        if (e.h_bits[i] == h) return &e.geometry[i];
    return nullptr;
}

inline PathCache::ScalarMemo& PathCache::memo(MemoTable table, float key) {
    // Fibonacci hashing of the bits: neighbouring heights and angles spread out.
    const std::uint32_t h = (bits_of(key) * 2654435769u) >> 24;
    return memos_[std::size_t(table) * kMemoSlots + h];
}

inline bool PathCache::holds(const ScalarMemo& slot, float key) {
    return slot.valid && slot.key == bits_of(key);
}

inline void PathCache::fill(ScalarMemo& slot, float key, float f, double d) {
    slot.key = bits_of(key);
    slot.valid = true;
    slot.f = f;
    slot.d = d;
}

}  // namespace skywave
