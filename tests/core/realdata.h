// Where the shared real observations are: shared/realdata beside the repository
// (as a clone is laid out next to shared/), else /work/shared/realdata. Tests that
// use them skip when neither exists.
#pragma once

#include <filesystem>
#include <optional>

namespace skywave::test {

inline std::optional<std::filesystem::path> realdata_dir() {
    const std::filesystem::path candidates[] = {
        std::filesystem::path(SKYWAVE_TEST_DATA) / ".." / ".." / ".." / "shared" / "realdata",
        "/work/shared/realdata"};
    for (const auto& p : candidates)
        if (std::filesystem::is_directory(p)) return p.lexically_normal();
    return std::nullopt;
}

}  // namespace skywave::test
