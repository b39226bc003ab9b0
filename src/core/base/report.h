// A text report written in place and flushed line by line, so that it can be read
// while it grows; write errors are remembered, never lost.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace skywave {

class Report {
public:
    // Writes to an open stream (not closed at the end), e.g. standard output.
    explicit Report(std::FILE* stream, std::string name = "standard output");
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // Creates (or empties) the named file once no other process writes it; null when
    // it cannot be created, with the cause in error (EWOULDBLOCK: another writer).
    static std::unique_ptr<Report> create(const std::string& file_name, int* error = nullptr);

    void write(const std::string& text);
    void printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    // Closes an owned file; false when anything failed to reach it.
    bool close();

    bool ok() const { return error_ == 0; }
    std::string error_text() const;
    const std::string& name() const { return name_; }

private:
    Report(std::FILE* stream, std::string name, bool owned);
    std::FILE* stream_;
    std::string name_;
    bool owned_;
    int error_ = 0;
};

}  // namespace skywave
