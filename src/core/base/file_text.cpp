#include "base/file_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace skywave {

namespace {

class FdSource : public ByteSource {
public:
    explicit FdSource(int fd) : fd_(fd) {}
    long read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0 || errno != EINTR) return long(n);
        }
    }

private:
    int fd_;
};

}  // namespace

std::string FileText::error_text() const {
    return "Can't read " + name + ": " + std::strerror(error);
}

std::string FileText::open_error_text() const {
    if (open_error == EISDIR) return name + " is a folder";
    return name + ": " + std::strerror(open_error);
}

FileText read_source_text(ByteSource& source, const std::string& name) {
    FileText f;
    f.name = name;
    f.opened = true;
    char buffer[65536];
    for (;;) {
        const long n = source.read(buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            f.error = errno ? errno : EIO;
            f.text.clear();
            break;
        }
        f.text.append(buffer, std::size_t(n));
    }
    return f;
}

FileText read_file_text(const std::string& name) {
    if (name == "-") {
        FdSource in(STDIN_FILENO);
        return read_source_text(in, name);
    }
    FileText f;
    f.name = name;
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        f.open_error = errno;
        return f;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {  // a folder is no file to read
        ::close(fd);
        f.open_error = EISDIR;
        return f;
    }
    FdSource in(fd);
    f = read_source_text(in, name);
    ::close(fd);
    return f;
}

}  // namespace skywave
