#include "observations/contact_placement.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "base/cformat.h"
#include "observations/cty.h"
#include "observations/regions.h"

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

// "42.5 N 71.9 W".
std::string degrees_text(const LatLon& p) {
    return cformat("%.1f %c %.1f %c", std::fabs(p.lat), p.lat < 0 ? 'S' : 'N', std::fabs(p.lon),
                   p.lon < 0 ? 'W' : 'E');
}

// "1,234".
std::string km_text(double km) {
    const long n = std::lround(km);
    return n >= 1000 ? cformat("%ld,%03ld", n / 1000, n % 1000) : cformat("%ld", n);
}

// Where the far end of a contact is by what its log received from it, if anything.
std::optional<LatLon> place_by_exchange(const Contact& c, const CallPlace& p,
                                        const ExchangeRules& rules) {
    if (!rules.regions) return std::nullopt;
    const Country country = country_of_entity(p.entity);
    // The last field that names a place: the state follows serial numbers, zones and
    // checks in every exchange that carries one; a transmitter number names none.
    for (auto it = c.received.rbegin(); it != c.received.rend(); ++it)
        if (const auto r = region_of_field(country, *it, rules.mexican_states)) return r->place;
    return std::nullopt;
}

std::optional<LatLon> received_locator(const Contact& c) {
    for (const std::string& field : c.received)
        if (field.size() == 4)
            if (const std::optional<LatLon> p = locator_centre(field)) return p;
    return std::nullopt;
}

}  // namespace

ExchangeRules exchange_rules(std::string_view contest) {
    // A family of contests ("ARRL-DX" for ARRL-DX-CW and ARRL-DX-SSB), or one contest.
    const auto family = [&](std::string_view name) {
        return contest.substr(0, name.size()) == name &&
               (contest.size() == name.size() || contest[name.size()] == '-');
    };
    ExchangeRules rules;
    if (family("STEW-PERRY")) rules.locators = true;
    for (const char* name : {"ARRL-DX", "ARRL-SS", "CQ-160", "NAQP", "NA-SPRINT"})
        if (family(name)) rules.regions = true;
    for (const char* name : {"ARRL-10", "ARRL-160", "ARRL-RTTY", "CQ-WW-RTTY"})
        if (contest == name) rules.regions = true;
    rules.mexican_states = contest == "ARRL-10";
    return rules;
}

Crowding crowding(const std::vector<CellObservation>& placed) {
    std::set<std::tuple<CivilDate, int, int, int>> cell_hours;
    std::map<std::pair<int, int>, long> per_cell;
    Crowding c;
    for (const CellObservation& o : placed) {
        cell_hours.insert({o.date, o.hour, o.cell.row, o.cell.col});
        const long n = ++per_cell[{o.cell.row, o.cell.col}];
        if (n > c.most) c.most = n, c.cell = o.cell;
    }
    c.cell_hours = long(cell_hours.size());
    return c;
}

LatLon cell_centre(const Grid& g, const GridCell& cell) {
    const double west = (cell.col + 0.5) * 360.0 / g.n_cols;
    return {90 - (cell.row + 0.5) * 180.0 / g.n_rows, west > 180 ? 360 - west : -west};
}

std::optional<std::string> station_place_warning(const StationLog& log, const PrefixTable& table) {
    if (!log.station || log.call.empty()) return std::nullopt;
    const CallPlace p = table.locate(log.call);
    if (p.kind != CallPlace::found) return std::nullopt;
    const LatLon& station = *log.station;
    const Country country = country_of_entity(p.entity);
    std::optional<NamedPlace> region = region_of_field(country, log.location, false);
    if (region)
        region->name = "its LOCATION: " + region->name;
    else
        region = district_of_call(country, p.location);
    const std::string head = log.file + ": the station's locator " + log.station_locator + " (" +
                             degrees_text(station) + ") lies ";
    if (region) {
        const double d = distance_km(station, region->place);
        if (d <= 1000) return std::nullopt;
        return head + km_text(d) + " km from " + region->name + " (" + degrees_text(region->place) +
               "), where " + log.call + " belongs";
    }
    const std::optional<double> radius = country_radius_km(p.entity);
    if (!radius) return std::nullopt;
    const double d = distance_km(station, p.place);
    if (d <= *radius + 1000) return std::nullopt;
    return head + km_text(d) + " km from the point of " + p.entity + " (" + degrees_text(p.place) +
           "), where " + log.call + " belongs, " + km_text(d - *radius) +
           " km beyond its farthest border";
}

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
    for (const StationLog& log : logs) {
        const ExchangeRules rules = exchange_rules(log.contest);
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
            long* rule = &tally.by_source;
            if (!place && rules.locators && (place = received_locator(c))) rule = &tally.by_locator;
            if (!place && table) {
                const CallPlace p = table->locate(c.call);
                if (p.kind == CallPlace::at_sea) {
                    note(tally.at_sea, log, c, c.call + " is maritime or aeronautical mobile");
                    continue;
                }
                if (p.kind == CallPlace::found) {
                    if ((place = place_by_exchange(c, p, rules))) {
                        rule = &tally.by_exchange;
                    } else if (const auto d =
                                   district_of_call(country_of_entity(p.entity), p.location)) {
                        place = d->place;
                        rule = &tally.by_district;
                    } else {
                        place = p.place;
                        rule = &tally.by_prefix;
                    }
                }
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
            ++*rule;
        }
    }
    return placed;
}

}  // namespace skywave
