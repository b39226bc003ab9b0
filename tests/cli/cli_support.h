// Running the skywave program as a user does, in a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// Each test file gets its own copy (these tests link no library of their own).
namespace {

struct Result {
    int code;  // the exit code, or -1 when the program did not exit normally
    std::string out, err;
};

// Runs `skywave args` in dir with standard input closed.
Result skywave(const std::string& args, const std::filesystem::path& dir) {
    const std::string cmd =
        "cd '" + dir.string() + "' && " SKYWAVE_EXE " " + args + " >.stdout 2>.stderr </dev/null";
    const int status = std::system(cmd.c_str());
    const auto slurp = [&](const char* name) {
        std::ifstream in(dir / name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(".stdout"), slurp(".stderr")};
}

// A test with a fresh working folder, removed afterwards.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/skywave-cli-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(dir, ec);
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir / name); }
    void write(const std::string& name, const std::string& text) const {
        std::filesystem::create_directories((dir / name).parent_path());
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    int line_count(const std::string& name) const {
        std::ifstream in(dir / name);
        int n = 0;
        for (std::string l; std::getline(in, l);)
            ++n;
        return n;
    }
    std::filesystem::path dir;
};

}  // namespace
