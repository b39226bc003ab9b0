// Reads text line by line, whole lines of any length, LF or CR LF alike. A file is read
// whole and once when the reader is made, so its read error is known before the first
// line is used.
#pragma once

#include <string>

#include "base/file_text.h"

namespace skywave {

class LineReader {
public:
    explicit LineReader(const std::string& file_name);
    explicit LineReader(FileText file);
    // False when the file could not be opened for reading (or is a folder).
    bool is_open() const { return file_.opened; }
    // True when the file was opened but could not be read to its end: no line is given.
    bool failed() const { return file_.error != 0; }
    // "Can't read NAME: cause".
    std::string error_text() const { return file_.error_text(); }
    // The next line without its line end; false at the end of the file.
    bool next(std::string& line);
    // Whether the last line read ended with a line end.
    bool had_line_end() const { return had_line_end_; }

private:
    FileText file_;
    std::size_t pos_ = 0;
    bool had_line_end_ = false;
};

}  // namespace skywave
