// Remembers where the hop midpoints of each path fall on the grid.
//
// A path's midpoints depend only on the path itself (the QTH, its length and azimuth)
// and on its hop count, all of which stay fixed through a run, while the great-circle
// arithmetic that finds them is most of the path pass. The cache holds, per target
// cell, path direction and hop count, the cells of the midpoints and the last
// midpoint's coordinates, exactly as the arithmetic produced them.
#pragma once

#include <cstdint>
#include <vector>

namespace skywave {

class PathCache {
public:
    static constexpr int kMaxHops = 24;  // paths with more hops are not cached

    struct Hops {
        const std::uint16_t* cells;  // row * MAX_COLS + column, one per hop
        float last_lat, last_lon;    // the last midpoint, as the point globals hold it
    };

    // Forgets everything if the QTH or the grid differ from the ones the cache was
    // filled for.
    void begin_pass(float rlat, float rlon, float rows_per_rad, float cols_per_rad);
    // Selects the target cell of a path; forgets the cell if its path changed.
    void select(int path, int row, int col, float pathlen, float azim);
    // The midpoints of the selected path for khop hops, if known.
    bool find(int khop, Hops& out) const;
    // Stores the midpoints of the selected path; cells holds khop entries.
    void store(int khop, const std::uint16_t* cells, float last_lat, float last_lon);
    // Forgets everything.
    void clear();
    // Gets the cache's memory (a few megabytes, once per model); throws bad_alloc.
    void allocate();

private:
    static constexpr int kCells = 2 * 38 * 80;
    static constexpr int kSlotCells = kMaxHops * (kMaxHops + 1) / 2;

    float key_[4] = {};
    bool keyed_ = false;
    int cell_ = 0;
    std::vector<float> path_key_;           // pathlen, azim per cell
    std::vector<std::uint8_t> valid_;       // per cell and hop count
    std::vector<float> last_;               // last lat, lon per cell and hop count
    std::vector<std::uint16_t> midpoints_;  // per cell: 1 + 2 + ... + kMaxHops entries
};

}  // namespace skywave
