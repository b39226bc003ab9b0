#include "model/model.h"

#include <new>

#include "base/messages.h"

namespace skywave {

bool InitCalc(Model& m, MessageSink& messages) {
    set_grain(m.grid, m.consts.display_grain);
    if (m.grid.n_rows == 0) {
        messages.show_message("Grain Data not readable.", "GRAIN DATA ERROR!");
        return false;
    }
    try {
        // Fresh, cleared arrays: no run ever shows another run's values.
        m.arrays = std::make_unique<ResultArrays>();
        m.path_cache.allocate(m.grid);
        m.path_cache.clear();
    } catch (const std::bad_alloc&) {
        // Nothing half-made stays: the next InitCalc starts afresh.
        m.arrays.reset();
        messages.show_message("Not enough memory for the result arrays.", "MEMORY ERROR!");
        return false;
    }
    return true;
}

void EndCalc(Model& m) {
    m.arrays.reset();
}

}  // namespace skywave
