#include "base/line_reader.h"

#include <filesystem>

namespace skywave {

LineReader::LineReader(const std::string& file_name) {
    std::error_code ec;
    if (std::filesystem::is_directory(file_name, ec)) return;
    in_.open(file_name, std::ios::binary);
    open_ = in_.is_open();
}

bool LineReader::next(std::string& line) {
    if (!open_ || !std::getline(in_, line)) {
        line.clear();
        had_line_end_ = false;
        return false;
    }
    had_line_end_ = !in_.eof();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace skywave
