// Contest data files: observed propagation in the screen layout of a prediction
// file. The first header line names the conditions the observations were made in.
#pragma once

#include <optional>
#include <string>

#include "base/file_text.h"

namespace skywave {

class MessageSink;

// "month day unused flux A K latitude longitude word", degrees, west positive.
struct ContestHeader {
    float month = 0, day = 0, unused = 0;
    float sf_index = 0, a_index = 0, k_index = 0;
    float lat = 0, lon = 0;
};

// Parses a header line as "%e %e %e %e %e %e %e %e"; nothing when a number is missing.
std::optional<ContestHeader> parse_contest_header(const std::string& line);

// Reads and parses the first line of a contest file; reports "Can't open file for
// comparison" or a header that does not hold its eight numbers.
struct ContestHeaderRead {
    std::optional<ContestHeader> header;
    bool opened = false;      // false: the file could not be opened
    bool read_error = false;  // the file could not be read to its end (reported)
};
ContestHeaderRead read_contest_header(const std::string& file_name, MessageSink& messages);
ContestHeaderRead read_contest_header(const FileText& file, MessageSink& messages);

// The dates a contest file's screens span: the first and the last header's month and
// day, for a file of the given grain.
struct DateSpan {
    int first_month = 0, first_day = 0, last_month = 0, last_day = 0;
};
std::optional<DateSpan> contest_date_span(const std::string& file_name, int grain);
std::optional<DateSpan> contest_date_span(const FileText& file, int grain);

}  // namespace skywave
