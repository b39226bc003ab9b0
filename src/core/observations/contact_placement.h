// From contacts to observations on the grid: which dates a contest data file covers,
// where the far end of each contact is, and which contacts the file cannot hold.
#pragma once

#include <optional>
#include <string>
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

// What became of the contacts.
struct PlacementTally {
    struct Kind {
        long count = 0;
        std::vector<std::string> examples;  // the first few, "file:line: what"
    };
    long placed = 0;
    Kind outside_dates, out_of_band, unknown_prefix, at_sea, polar;
};

// Places every contact on the dates of the grid: its far end's position as its source
// gives it, else from the prefix table of its call (which must then be given).
std::vector<CellObservation> place_contacts(const std::vector<StationLog>& logs,
                                            const PrefixTable* table, const Grid& grid,
                                            const std::vector<CivilDate>& dates,
                                            PlacementTally& tally);

}  // namespace skywave
