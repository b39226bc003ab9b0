// Shared helpers of the core tests.
#pragma once

#include <filesystem>
#include <string>

#include "driver.h"
#include "messages.h"
#include "model.h"

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

}  // namespace skywave::test
