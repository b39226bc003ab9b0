// Cabrillo contest logs (versions 2.0 and 3.0): "TAG: value" lines, one "QSO:" line
// per contact:
//   QSO: freq mode yyyy-mm-dd hhmm my-call sent-exchange... their-call received-exchange... [tx]
// The frequency is in kHz, or a band designator: a number below 1000 is MHz ("50",
// "144", "7"), a number with G is GHz ("1.2G"), "LIGHT" is no radio band.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/file_text.h"
#include "observations/observations.h"

namespace skywave {

class MessageSink;

// Whether the text starts like a Cabrillo log (its first line that is not blank is
// "START-OF-LOG:").
bool looks_like_cabrillo(std::string_view head);

// Reads a log. The station is named by CALLSIGN (else the first QSO's own call) and
// placed by GRID-LOCATOR or HQ-GRID-LOCATOR. Contacts carry the far end's call and no
// position. QSO lines that cannot be used are listed as skipped with the reason;
// lines that are neither a tag nor blank are counted as unknown. A log that cannot be
// read, has a bad locator or no QSO line is reported (caption "LOG ERROR!") and gives
// nothing.
std::optional<StationLog> read_cabrillo(const std::string& file, MessageSink& messages);
// The same for a file already read.
std::optional<StationLog> read_cabrillo(FileText text, MessageSink& messages);

// The frequency field of a QSO line in MHz; nothing when it is no number or band.
std::optional<float> cabrillo_mhz(std::string_view field);

// The index of the far end's call among the fields that follow the station's own
// call: the exchange sent and the exchange received have the same number of fields,
// with perhaps a transmitter number at the end. Nothing when no field looks like a
// call.
std::optional<std::size_t> their_call_index(const std::vector<std::string_view>& rest);

// Letters, digits and slashes, with at least one letter and one digit.
bool looks_like_call(std::string_view field);

}  // namespace skywave
