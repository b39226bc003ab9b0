// Contest file headers, the dates a contest file spans and the run prepared for it.
#include "files/contest.h"
#include "fuzz_support.h"
#include "run/contest_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skywave;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    RunSettings s;
    if (std::optional<ContestHeader> h = parse_contest_header(bytes)) apply_contest_header(s, *h);
    const std::string name = fuzz::as_file(bytes, "header");
    fuzz::Quiet quiet;
    // The file's own grain (0), then each grain asked for.
    for (int grain = 0; grain <= 3; ++grain)
        prepare_contest_run(s, name, ContestRunRequest{grain, true, RunTimes{}}, quiet);
    return 0;
}
