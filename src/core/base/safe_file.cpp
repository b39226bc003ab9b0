#include "base/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace skywave {

namespace {

int write_all(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += std::size_t(n);
    }
    return 0;
}

}  // namespace

int replace_file(const std::string& file_name, const std::string& text, bool* created) {
    namespace fs = std::filesystem;
    if (created) *created = false;
    struct stat st;
    const bool exists = ::stat(file_name.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return EISDIR;
    if (exists && !S_ISREG(st.st_mode)) {
        const int fd = ::open(file_name.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) return errno;
        if (created) *created = true;
        int err = write_all(fd, text);
        if (::close(fd) != 0 && err == 0) err = errno;
        return err;
    }

    const fs::path target(file_name);
    const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string name = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> tmpl(name.begin(), name.end());
    tmpl.push_back('\0');
    const int fd = mkstemp(tmpl.data());
    if (fd < 0) return errno;
    if (created) *created = true;
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    int err = fchmod(fd, mode) == 0 ? 0 : errno;
    if (err == 0) err = write_all(fd, text);
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && std::rename(tmpl.data(), file_name.c_str()) != 0) err = errno;
    if (err != 0) ::unlink(tmpl.data());
    return err;
}

void remove_incomplete(const std::string& file_name) {
    struct stat st;
    if (::lstat(file_name.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(file_name.c_str());
}

}  // namespace skywave
