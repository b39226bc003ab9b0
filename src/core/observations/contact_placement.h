// From contacts to observations on the grid: which dates a contest data file covers,
// where the far end of each contact is, and which contacts the file cannot hold.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "observations/contest_data.h"
#include "observations/observations.h"

namespace skywave {

class PrefixTable;

// A month and day as the run settings give them.
struct MonthDay {
    int month = 0, day = 0;
};

// The dates a file covers: every date from the first to the last contact, or the
// dates from start to stop in the year of the contacts between them. Either way the
// dates lie in one month, as a run's date rectangle can only cover days of one month
// in a row; otherwise error says why (naming the file and line of the contacts
// concerned) and nothing is returned.
std::optional<std::vector<CivilDate>> covered_dates(const std::vector<StationLog>& logs,
                                                    const std::optional<MonthDay>& start,
                                                    const std::optional<MonthDay>& stop,
                                                    std::string& error);

// The frequencies the model predicts for: the HF range, 1 to 30 MHz. Below it lie the
// LF and MF bands, above it the VHF bands, carried by other means than the F2 layer.
inline bool in_hf_range(float mhz) {
    return mhz >= 1 && mhz < 30;
}

// What a contest's exchange tells about where the far end is.
struct ExchangeRules {
    bool regions = false;         // US states, Canadian provinces, ARRL/RAC sections
    bool mexican_states = false;  // the states of Mexico, too
    bool locators = false;        // a 4-character locator
};

// The rules of a log's CONTEST: tag (upper case, blanks as "-"); none for a contest
// whose exchange names no place.
ExchangeRules exchange_rules(std::string_view contest);

// What became of the contacts.
struct PlacementTally {
    struct Kind {
        long count = 0;
        std::vector<std::string> examples;  // the first few, "file:line: what"
    };
    long placed = 0;
    // How the placed contacts were placed: the far end's position as the input gives
    // it, by the state, province or section of the exchange, by the received locator,
    // by the call district, at the prefix table's point of the country.
    long by_source = 0, by_exchange = 0, by_locator = 0, by_district = 0, by_prefix = 0;
    Kind outside_dates, out_of_band, unknown_prefix, at_sea, polar;
};

// Places every contact on the dates of the grid: its far end's position as its source
// gives it, else by its call (with the prefix table, which must then be given): in a
// contest whose exchange carries a locator by that, and a call of the United States,
// Canada or Mexico by the state, province or section its exchange names, else (not in
// Mexico) by its call district; every other call at its country's point.
std::vector<CellObservation> place_contacts(const std::vector<StationLog>& logs,
                                            const PrefixTable* table, const Grid& grid,
                                            const std::vector<CivilDate>& dates,
                                            PlacementTally& tally);

// How the placed contacts crowd: the cell-hours that hold one or more, and the cell
// that holds the most contacts (over all hours) with their number.
struct Crowding {
    long cell_hours = 0;
    long most = 0;
    GridCell cell;
};
Crowding crowding(const std::vector<CellObservation>& placed);

// The centre of a cell.
LatLon cell_centre(const Grid& g, const GridCell& cell);

// What is wrong with the place a log gives its station: its locator more than 1,000 km
// from where its call places it (for the United States and Canada the state or section
// of its LOCATION: tag, else its call district), or more than 1,000 km beyond the reach
// of its call's country. Names both places; nothing when the two agree or the log gives
// no call or locator.
std::optional<std::string> station_place_warning(const StationLog& log, const PrefixTable& table);

}  // namespace skywave
