// Inputs read whole and once: a pipe, a FIFO or standard input works like a file, and
// a read error is an error, never an early end of the file.
#pragma once

#include <cstddef>
#include <string>

namespace skywave {

// Where the bytes come from; a read returns the bytes read, 0 at the end, or -1 with
// the cause in errno.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual long read(char* buffer, std::size_t size) = 0;
};

struct FileText {
    std::string name;
    std::string text;
    bool opened = false;  // false: missing, a folder, or not readable at all
    int open_error = 0;   // errno of the failed open (EISDIR for a folder)
    int error = 0;        // errno of a failed read; the text then is not used

    bool ok() const { return opened && error == 0; }
    // "Can't read NAME: cause".
    std::string error_text() const;
    // "NAME: cause" of a file that could not be opened ("NAME is a folder").
    std::string open_error_text() const;
};

// The whole file; "-" is standard input.
FileText read_file_text(const std::string& name);
// The whole of a source, under a name for the messages.
FileText read_source_text(ByteSource& source, const std::string& name);

// The caption of the message for a read error.
inline constexpr const char* kReadErrorCaption = "ERROR READING INPUT";

}  // namespace skywave
