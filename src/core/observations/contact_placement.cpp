#include "observations/contact_placement.h"

#include <algorithm>

#include "base/cformat.h"
#include "observations/cty.h"

namespace skywave {

namespace {

constexpr std::size_t kExamples = 5;

void note(PlacementTally::Kind& kind, const StationLog& log, const Contact& c,
          const std::string& what) {
    if (kind.count++ < long(kExamples))
        kind.examples.push_back(cformat("%s:%ld: ", log.file.c_str(), c.line) + what);
}

std::string where(const StationLog& log, const Contact& c) {
    return cformat("%s:%ld (%s)", log.file.c_str(), c.line, iso_text(c.date).c_str());
}

}  // namespace

std::optional<std::vector<CivilDate>> covered_dates(const std::vector<StationLog>& logs,
                                                    const std::optional<MonthDay>& start,
                                                    const std::optional<MonthDay>& stop_given,
                                                    std::string& error) {
    // A start date alone is a single date, as for a run.
    const std::optional<MonthDay> stop = stop_given ? stop_given : start;
    const auto in_window = [&](const CivilDate& d) {
        const auto md = [](int month, int day) { return month * 100 + day; };
        return (!start || md(d.month, d.day) >= md(start->month, start->day)) &&
               (!stop || md(d.month, d.day) <= md(stop->month, stop->day));
    };
    if (start && stop && (start->month != stop->month || start->day > stop->day)) {
        error = cformat(
            "the dates %d/%d to %d/%d do not lie in one month, the first not after the last",
            start->month, start->day, stop->month, stop->day);
        return std::nullopt;
    }
    const StationLog *first_log = nullptr, *last_log = nullptr;
    const Contact *first = nullptr, *last = nullptr;
    for (const StationLog& log : logs)
        for (const Contact& c : log.contacts) {
            if (!in_window(c.date)) continue;
            if (!first || c.date < first->date) first = &c, first_log = &log;
            if (!last || c.date > last->date) last = &c, last_log = &log;
        }
    if (!first) {
        error = start || stop ? "no contact between the dates given"
                              : "no contact to take the dates from";
        return std::nullopt;
    }
    if (first->date.year != last->date.year || first->date.month != last->date.month) {
        error = "the contacts run from " + where(*first_log, *first) + " to " +
                where(*last_log, *last) +
                (start || stop ? ", more than one month" : ", across a month end") +
                "; give --start-date and --stop-date (month/day, in one month) to take the days of "
                "one month";
        return std::nullopt;
    }
    CivilDate from = first->date, to = last->date;
    if (start) from = {from.year, start->month, start->day};
    if (stop) to = {from.year, stop->month, stop->day};
    if (!is_valid(from) || !is_valid(to) || to < from) {
        error = cformat("%d-%02d-%02d to %d-%02d-%02d are not dates of one month", from.year,
                        from.month, from.day, to.year, to.month, to.day);
        return std::nullopt;
    }
    return dates_between(from, to);
}

std::vector<CellObservation> place_contacts(const std::vector<StationLog>& logs,
                                            const PrefixTable* table, const Grid& grid,
                                            const std::vector<CivilDate>& dates,
                                            PlacementTally& tally) {
    std::vector<CellObservation> placed;
    for (const StationLog& log : logs)
        for (const Contact& c : log.contacts) {
            if (!std::binary_search(dates.begin(), dates.end(), c.date)) {
                note(tally.outside_dates, log, c,
                     iso_text(c.date) + " is not among the file's dates");
                continue;
            }
            if (!in_hf_range(c.mhz)) {
                note(tally.out_of_band, log, c,
                     cformat("%g MHz lies outside 1 to 30 MHz", double(c.mhz)));
                continue;
            }
            std::optional<LatLon> place = c.place;
            if (!place && table) {
                const CallPlace p = table->locate(c.call);
                if (p.kind == CallPlace::at_sea) {
                    note(tally.at_sea, log, c, c.call + " is maritime or aeronautical mobile");
                    continue;
                }
                if (p.kind == CallPlace::found) place = p.place;
            }
            if (!place) {
                note(tally.unknown_prefix, log, c, "unknown prefix of " + c.call);
                continue;
            }
            const std::optional<GridCell> cell = grid_cell(grid, *place);
            if (!cell) {
                note(tally.polar, log, c, c.call + " lies in a polar row, which no file holds");
                continue;
            }
            placed.push_back({c.date, c.hour, *cell, c.mhz});
            ++tally.placed;
        }
    return placed;
}

}  // namespace skywave
