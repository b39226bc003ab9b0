// The score engine on two fuzzed files: the first byte picks the grain, the rest is
// split at the first NUL into the prediction and the observations.
#include <cstdio>

#include "base/report.h"
#include "fuzz_support.h"
#include "model/grid.h"
#include "tuning/score.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skywave;
    if (size < 1) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t cut = rest.find('\0');
    Grid grid;
    set_grain(grid, float(1 + data[0] % 3));
    const std::string prediction = fuzz::as_file(rest.substr(0, cut), "one");
    const std::string observations =
        fuzz::as_file(cut == std::string::npos ? std::string() : rest.substr(cut + 1), "two");
    fuzz::Quiet quiet;
    static std::FILE* null = std::fopen("/dev/null", "w");
    Report report(null, "/dev/null");
    ScoreFiles(grid, prediction, observations, &report, quiet);
    return 0;
}
