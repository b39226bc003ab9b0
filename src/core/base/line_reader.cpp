#include "base/line_reader.h"

namespace skywave {

LineReader::LineReader(const std::string& file_name) : LineReader(read_file_text(file_name)) {}

LineReader::LineReader(FileText file) : file_(std::move(file)) {}

bool LineReader::next(std::string& line) {
    const std::string& text = file_.text;
    if (!file_.ok() || pos_ >= text.size()) {
        line.clear();
        had_line_end_ = false;
        return false;
    }
    const std::size_t end = text.find('\n', pos_);
    had_line_end_ = end != std::string::npos;
    const std::size_t stop = had_line_end_ ? end : text.size();
    line.assign(text, pos_, stop - pos_);
    pos_ = had_line_end_ ? end + 1 : text.size();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace skywave
