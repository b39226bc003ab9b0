// Constants files: any bytes, read over the defaults.
#include <sstream>

#include "files/constants_file.h"
#include "fuzz_support.h"
#include "model/constants.h"
#include "model/model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skywave;
    static Model m;
    init_consts(m.consts);
    fuzz::Quiet quiet;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    read_consts_lines(m, in, quiet);
    set_grain(m.grid, m.consts.display_grain);
    return 0;
}
