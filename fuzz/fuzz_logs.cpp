// Observations from outside: Cabrillo logs, WSPR spot tables, cty.dat prefix tables and
// GFZ daily indices, read from the same bytes, and whatever they accept turned into a
// contest data file.
#include <algorithm>
#include <cstdlib>

#include "fuzz_support.h"
#include "model/model.h"
#include "observations/cabrillo.h"
#include "observations/contact_placement.h"
#include "observations/contest_data.h"
#include "observations/cty.h"
#include "observations/gfz_indices.h"
#include "observations/wspr.h"

namespace {

const char* kTable =
    "England: 14: 27: EU: 52.77: 1.47: 0.0: G:\n    G,M,=G3ZZZ/LH;\n"
    "Asiatic Russia: 17: 30: AS: 55.88: -84.08: -7.0: UA9:\n    UA9,UA0<60.0/-100.0>;\n"
    "United States of America: 05: 08: NA: 37.60: 91.87: 5.0: K:\n    K,N,W;\n"
    "Canada: 05: 09: NA: 44.35: 78.75: 5.0: VE:\n    VA,VE,VO,VY;\n"
    "Mexico: 06: 10: NA: 21.32: 100.23: 6.0: XE:\n    XE;\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skywave;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string name = fuzz::as_file(bytes, "logs");
    fuzz::Quiet quiet;
    std::string error;
    static const PrefixTable table = *PrefixTable::parse(kTable, "cty.dat", error);
    if (std::optional<PrefixTable> t = PrefixTable::parse(bytes, "fuzz.dat", error))
        for (const char* call : {"G3ABC", "W1/G3ABC", "UA1ABC/9", "G3ABC/MM", "1A", "/"})
            t->locate(call);
    table.locate(bytes);
    parse_spot_time(bytes);
    cabrillo_mhz(bytes);
    if (std::optional<GfzIndices> g = GfzIndices::read(name, quiet))
        mean_indices(*g, {{2024, 1, 1}, {2024, 2, 29}});

    std::vector<StationLog> logs;
    if (std::optional<StationLog> l = read_cabrillo(name, quiet)) logs.push_back(std::move(*l));
    if (std::optional<StationLog> l = read_wspr(name, std::nullopt, quiet))
        logs.push_back(std::move(*l));
    if (std::optional<StationLog> l = read_wspr(name, "SK0WE", quiet))
        logs.push_back(std::move(*l));
    for (const StationLog& l : logs) {
        for (const Contact& c : l.contacts)
            if (!is_valid(c.date) || c.hour < 0 || c.hour > 23) std::abort();
        station_place_warning(l, table);
    }
    std::optional<std::vector<CivilDate>> dates =
        covered_dates(logs, std::nullopt, std::nullopt, error);
    if (!dates) return 0;
    if (dates->size() > 2) dates->resize(2);  // a screen per hour is slow to fuzz
    Model m;
    init_consts(m.consts);
    m.consts.display_grain = 3;
    set_grain(m.grid, 3);
    PlacementTally tally;
    const std::vector<CellObservation> placed = place_contacts(logs, &table, m.grid, *dates, tally);
    if (tally.by_source + tally.by_exchange + tally.by_locator + tally.by_district +
            tally.by_prefix !=
        long(placed.size()))
        std::abort();
    crowding(placed);
    const std::string text = contest_data_text(m, *dates, placed, "X");
    // A screen per hour of every date, 56 lines each at this grain.
    if (std::count(text.begin(), text.end(), '\n') != long(dates->size()) * 24 * 56) std::abort();
    return 0;
}
