#include "model/bands.h"

namespace skywave {

namespace {
constexpr AmateurBand kBands[] = {
    {"160 m", 1.8, 2.0},    {"80 m", 3.5, 4.0},    {"60 m", 5.3515, 5.3665}, {"40 m", 7.0, 7.3},
    {"30 m", 10.1, 10.15},  {"20 m", 14.0, 14.35}, {"17 m", 18.068, 18.168}, {"15 m", 21.0, 21.45},
    {"12 m", 24.89, 24.99}, {"10 m", 28.0, 29.7},
};
}  // namespace

std::span<const AmateurBand> amateur_bands() {
    return kBands;
}

std::vector<const AmateurBand*> open_bands(double lof, double mof) {
    std::vector<const AmateurBand*> bands;
    if (!(mof > 0) || mof < lof) return bands;
    for (const AmateurBand& b : kBands)
        if (b.high_mhz >= lof && b.low_mhz <= mof) bands.push_back(&b);
    return bands;
}

const AmateurBand* band_from(double f) {
    for (const AmateurBand& b : kBands)
        if (b.high_mhz >= f) return &b;
    return nullptr;
}

const AmateurBand* band_below(double f) {
    const AmateurBand* found = nullptr;
    for (const AmateurBand& b : kBands)
        if (b.low_mhz < f) found = &b;
    return found;
}

}  // namespace skywave
