#include "base/report.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "base/cformat.h"
#include "base/output_file.h"

namespace skywave {

Report::Report(std::FILE* stream, std::string name) : Report(stream, std::move(name), false) {}

Report::Report(std::FILE* stream, std::string name, bool owned)
    : stream_(stream), name_(std::move(name)), owned_(owned) {}

Report::~Report() {
    close();
}

std::unique_ptr<Report> Report::create(const std::string& file_name, int* error) {
    int err = 0;
    std::FILE* f = open_output(file_name, err);
    if (error) *error = err;
    if (!f) return nullptr;
    return std::unique_ptr<Report>(new Report(f, file_name, true));
}

void Report::write(const std::string& text) {
    if (!stream_ || error_) return;
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size() ||
        std::fflush(stream_) != 0)
        error_ = errno ? errno : EIO;
}

void Report::printf(const char* fmt, ...) {
    std::string text;
    va_list ap;
    va_start(ap, fmt);
    vcformat_to(text, fmt, ap);
    va_end(ap);
    write(text);
}

bool Report::close() {
    if (owned_ && stream_) {
        if (std::fclose(stream_) != 0 && !error_) error_ = errno ? errno : EIO;
    } else if (stream_ && !error_ && std::fflush(stream_) != 0) {
        error_ = errno ? errno : EIO;
    }
    stream_ = nullptr;
    return ok();
}

std::string Report::error_text() const {
    return name_ + ": " + std::strerror(error_);
}

}  // namespace skywave
