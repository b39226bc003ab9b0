// A value per grid column, remembered under the exact bits of its argument.
//
// Along a step's rows the hour angle and the local time of a column come back row
// after row; their cosines are worked out once per column and handed back for the
// same argument, bit for bit what the library returns for it.
#pragma once

#include <cmath>
#include <cstdint>

#include "base/numbers.h"
#include "model/grid.h"

namespace skywave {

class ColumnCosines {
public:
    double cos(int col, double x) {
        const std::uint64_t bits = bits_of(x);
        if (!(valid_[col] && key_[col] == bits)) {
            key_[col] = bits;
            value_[col] = std::cos(x);
            valid_[col] = true;
        }
        return value_[col];
    }

private:
    std::uint64_t key_[MAX_COLS] = {};
    double value_[MAX_COLS] = {};
    bool valid_[MAX_COLS] = {};
};

}  // namespace skywave
