// WSPR spot tables: comma-separated values with a header row, one reception report
// per row. The columns are found by name (any case):
//   time       time, timestamp, datetime, date_time, time_utc: ISO 8601
//              ("2022-05-21T09:50:00+00:00", "2022-05-21 09:50", a "Z" or an offset)
//              or seconds since 1970
//   frequency  frequency, freq, mhz, frequency_mhz (Hz, kHz or MHz by size), else
//              band (the band's MHz as the spot archives label it, "14", or "20m")
//   calls      tx_sign, tx_call, tx_callsign, call, callsign; rx_sign, rx_call,
//              rx_callsign, reporter
//   positions  tx_lat and tx_lon, else tx_loc, tx_grid, tx_locator, grid; the same
//              with rx_ (and reporter_grid) for the receiver
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_text.h"
#include "observations/observations.h"

namespace skywave {

class MessageSink;

// Splits one CSV line; fields may be quoted ("a,b" and "" for a quote).
std::vector<std::string> split_csv(std::string_view line);

// A time of a spot in UTC: the date and the hour; nothing when it is no time.
struct UtcHour {
    CivilDate date;
    int hour = 0;
};
std::optional<UtcHour> parse_spot_time(std::string_view text);

// MHz of a frequency (Hz, kHz or MHz by its size) or of a band label.
std::optional<float> spot_frequency_mhz(std::string_view text);
std::optional<float> spot_band_mhz(std::string_view text);

// Reads the spots of one station, the transmitter or the receiver: the one whose
// call (portable parts aside) is call, or, without a call, the one end that every
// row shares. The station's position is the one its rows give most often. A table
// without a needed column, or with no spot of the station, is reported (caption
// "TABLE ERROR!") and gives nothing.
std::optional<StationLog> read_wspr(const std::string& file, const std::optional<std::string>& call,
                                    MessageSink& messages);
// The same for a table already read.
std::optional<StationLog> read_wspr(FileText text, const std::optional<std::string>& call,
                                    MessageSink& messages);

}  // namespace skywave
