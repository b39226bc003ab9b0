// Contest file headers and the dates a contest file spans.
#include "contest.h"
#include "fuzz_support.h"
#include "model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skywave;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Model m;
    if (std::optional<ContestHeader> h = parse_contest_header(bytes)) apply_contest_header(m, *h);
    const std::string name = fuzz::as_file(bytes, "header");
    fuzz::Quiet quiet;
    read_contest_header(name, quiet);
    for (int grain = 1; grain <= 3; ++grain)
        if (std::optional<DateSpan> span = contest_date_span(name, grain))
            set_run_dates(m, *span, quiet);
    return 0;
}
