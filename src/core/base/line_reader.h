// Reads text files line by line, whole lines of any length, LF or CR LF alike.
#pragma once

#include <fstream>
#include <string>

namespace skywave {

class LineReader {
public:
    explicit LineReader(const std::string& file_name);
    // False when the file could not be opened for reading (or is a folder).
    bool is_open() const { return open_; }
    // The next line without its line end; false at the end of the file.
    bool next(std::string& line);
    // Whether the last line read ended with a line end.
    bool had_line_end() const { return had_line_end_; }

private:
    std::ifstream in_;
    bool open_ = false;
    bool had_line_end_ = false;
};

}  // namespace skywave
