// Prediction and contest files as replay reads them: grain detection, the QTH of the
// first header, screens read round and round.
#include "files/prediction_file.h"
#include "files/replay.h"
#include "fuzz_support.h"
#include "model/model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skywave;
    const std::string name =
        fuzz::as_file(std::string(reinterpret_cast<const char*>(data), size), "screens");
    detect_grain(name);
    Model m;
    fuzz::Quiet quiet;
    ReplayFile replay;
    if (!replay.open(name, m, quiet)) return 0;
    ReplayScreen screen;
    for (int i = 0; i < 3; ++i)
        replay.ReadScreen(m, screen);
    return 0;
}
