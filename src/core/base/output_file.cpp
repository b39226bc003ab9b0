#include "base/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace skywave {

namespace fs = std::filesystem;

bool same_file(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code ea, eb;
    const fs::path pa = fs::weakly_canonical(resolve_links(a), ea);
    const fs::path pb = fs::weakly_canonical(resolve_links(b), eb);
    return !ea && !eb && pa == pb;
}

std::optional<std::string> output_conflict(const std::string& output,
                                           const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs)
        if (same_file(output, input))
            return output + " is the input " + input + "; it is not written over";
    return std::nullopt;
}

std::string creation_failure(const std::string& name, int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
        case ENOENT:
        case ENOTDIR:
        case ENOSPC:
        case EDQUOT: {
            const std::string folder = fs::path(name).parent_path().string();
            std::string text = "cannot create a file in ";
            text += folder.empty() ? std::string(".") : folder;
            text += ": ";
            text += std::strerror(error);
            return text;
        }
        default:
            return name + ": " + std::strerror(error);
    }
}

std::string busy_text(const std::string& name) {
    return name + " is being written by another process";
}

std::string resolve_links(const std::string& name) {
    fs::path p(name);
    // A loop of links ends after as many steps as the system allows.
    for (int i = 0; i < 40; ++i) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec))) break;
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) break;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p.string();
}

bool lock_output(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return true;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

int write_all(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;  // no progress: never loop for ever
        done += std::size_t(n);
    }
    return 0;
}

namespace {

// Empties an ordinary file (a pipe or a device is left as it is); 0, or errno.
int empty_fd(int fd) {
    struct stat st;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    return regular && ::ftruncate(fd, 0) != 0 ? errno : 0;
}

}  // namespace

int empty_output(std::FILE* file) {
    return empty_fd(fileno(file));
}

std::FILE* open_output(const std::string& name, int& error, bool empty) {
    error = 0;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    if (!lock_output(fd)) error = errno;
    if (error == 0 && empty) error = empty_fd(fd);
    if (error != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "w");
    if (!f) {
        error = errno;
        ::close(fd);
    }
    return f;
}

}  // namespace skywave
