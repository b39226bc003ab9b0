// What a station observed: contacts (or reception reports) with the far end, each at
// a UTC date and hour on one frequency. Logs and spot tables are read into this form;
// the contest data writer turns it into screens.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/maidenhead.h"

namespace skywave {

// A calendar date of the Gregorian calendar.
struct CivilDate {
    int year = 0, month = 0, day = 0;
    auto operator<=>(const CivilDate&) const = default;
};

int days_in_month(int year, int month);
bool is_valid(const CivilDate& d);
CivilDate next_day(const CivilDate& d);
// Days since 1970-01-01 and back.
long days_from_civil(const CivilDate& d);
CivilDate civil_from_days(long days);

// "YYYY-MM-DD", a real date; nothing otherwise.
std::optional<CivilDate> parse_iso_date(std::string_view text);
// "YYYY-MM-DD".
std::string iso_text(const CivilDate& d);

// One observation: the far end was reached (or heard, or heard us) on mhz during
// the given UTC hour of date.
struct Contact {
    CivilDate date;
    int hour = 0;  // 0 ... 23
    float mhz = 0;
    std::string call;             // the far end's callsign
    std::optional<LatLon> place;  // the far end's position, when the source gives it
    long line = 0;                // where it was read, for messages
    // A log's fields received after the far end's call (its exchange, perhaps a
    // transmitter number at the end), upper case.
    std::vector<std::string> received;
};

// A line of an input that was left out, and why.
struct SkippedLine {
    long line = 0;
    std::string reason;
};

// One input file of one station.
struct StationLog {
    std::string file;
    std::string call;               // the observing station; empty when not named
    std::optional<LatLon> station;  // its position, when the file gives it
    std::string station_locator;    // as given, for messages
    std::string contest;            // a log's CONTEST: tag, upper case, blanks as "-"
    std::string location;           // a log's LOCATION: tag (state, section, "DX"), upper case
    std::vector<Contact> contacts;
    std::vector<SkippedLine> skipped;  // lines of a known kind that could not be used
    long unknown_lines = 0;            // lines of no known kind
    long first_unknown_line = 0;
    std::vector<std::string> notes;     // what the user should know about the reading
    std::vector<std::string> warnings;  // what may be wrong in the file, "file:line: why"
};

// Text helpers of the readers.
std::string to_upper(std::string_view text);
std::string_view trim(std::string_view text);
// Splits on runs of blanks and tabs.
std::vector<std::string_view> split_blanks(std::string_view text);

// The base of a callsign with portable parts: the longest part between slashes
// ("SK0WE" of "SK0WE/P", "G3ABC" of "W1/G3ABC"), upper case.
std::string base_call(std::string_view call);

}  // namespace skywave
