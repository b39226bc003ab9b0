// Shared pieces of the fuzz targets.
#pragma once

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/messages.h"

namespace skywave::fuzz {

// Discards messages; the targets look for crashes, hangs and undefined behaviour.
class Quiet : public MessageSink {
public:
    void show_message(const std::string&, const std::string&) override {}
};

// Writes the bytes to a file of this process (one per name) and returns its name.
inline std::string as_file(const std::string& bytes, const char* name) {
    const std::string path = "/tmp/skywave-fuzz-" + std::to_string(getpid()) + "-" + name;
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

}  // namespace skywave::fuzz
