// The amateur bands of HF, 160 to 10 m, as a ham names the frequencies the model gives.
#pragma once

#include <span>
#include <vector>

namespace skywave {

struct AmateurBand {
    const char* name;  // "160 m"
    double low_mhz, high_mhz;
};

std::span<const AmateurBand> amateur_bands();

// The bands with some part between the LOF and the MOF, from the lowest; none when the
// MOF is 0 or below the LOF.
std::vector<const AmateurBand*> open_bands(double lof_mhz, double mof_mhz);

// The lowest band reaching up to f or beyond (MOF >= f opens it), and the highest
// band starting below f (LOF < f opens it); null when there is none.
const AmateurBand* band_from(double f_mhz);
const AmateurBand* band_below(double f_mhz);

}  // namespace skywave
