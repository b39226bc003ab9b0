// Shared helpers of the core tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/messages.h"
#include "model/model.h"
#include "run/driver.h"

namespace skywave::test {

// A model with the default constants and the grid of the given grain, with arrays.
inline void setup_model(Model& m, int grain = 2) {
    init_consts(m.consts);
    m.consts.display_grain = float(grain);
    m.CalcInitDone = 1;
    MessageLog log;
    InitCalc(m, log);
}

// A temporary folder that is removed with everything in it.
class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/skywave-test-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string read_file(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

// The lines of a text, without their line ends.
inline std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline std::vector<std::string> file_lines(const std::string& name) {
    return split_lines(read_file(name));
}

}  // namespace skywave::test
