#include "base/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "base/output_file.h"

namespace skywave {

// Holds the lock of the file being replaced, if there is one.
class TargetLock {
public:
    explicit TargetLock(const std::string& name) {
        fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) fd_ = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
    }
    ~TargetLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    TargetLock(const TargetLock&) = delete;
    TargetLock& operator=(const TargetLock&) = delete;
    bool take() { return fd_ < 0 || lock_output(fd_); }

private:
    int fd_ = -1;
};

int replace_file(const std::string& name, const std::string& text, bool* created) {
    namespace fs = std::filesystem;
    if (created) *created = false;
    const std::string file_name = resolve_links(name);
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

    TargetLock lock(file_name);
    if (exists && !lock.take()) return errno;
    const fs::path target(file_name);
    const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    // A short name of its own, so that any name the folder takes has a temporary.
    const std::string temp = (dir / ".skywave-XXXXXX").string();
    std::vector<char> tmpl(temp.begin(), temp.end());
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
