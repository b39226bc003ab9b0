#include "base/cformat.h"

#include <locale.h>
#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace skywave {

namespace {

locale_t c_locale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return loc;
}

// Switches the calling thread to the C locale for the lifetime of the object.
class CLocaleScope {
public:
    CLocaleScope() : old_(uselocale(c_locale())) {}
    ~CLocaleScope() { uselocale(old_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t old_;
};

}  // namespace

void vcformat_to(std::string& out, const char* fmt, va_list ap) {
    CLocaleScope scope;
    char small[256];
    va_list copy;
    va_copy(copy, ap);
    const int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0) return;
    if (std::size_t(n) < sizeof small) {
        out.append(small, std::size_t(n));
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + std::size_t(n) + 1);
    std::vsnprintf(out.data() + start, std::size_t(n) + 1, fmt, ap);
    out.resize(start + std::size_t(n));
}

void cformat_to(std::string& out, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    vcformat_to(out, fmt, ap);
    va_end(ap);
}

std::string cformat(const char* fmt, ...) {
    std::string out;
    va_list ap;
    va_start(ap, fmt);
    vcformat_to(out, fmt, ap);
    va_end(ap);
    return out;
}

std::optional<float> parse_float(std::string_view text) {
    if (text.empty() || text.size() > 64) return std::nullopt;
    char buf[65];
    text.copy(buf, text.size());
    buf[text.size()] = '\0';
    char* end = nullptr;
    errno = 0;
    const float v = strtof_l(buf, &end, c_locale());
    if (end != buf + text.size() || end == buf) return std::nullopt;
    return v;
}

std::optional<long> parse_long(std::string_view text) {
    if (text.empty() || text.size() > 64) return std::nullopt;
    char buf[65];
    text.copy(buf, text.size());
    buf[text.size()] = '\0';
    char* end = nullptr;
    errno = 0;
    const long v = strtol_l(buf, &end, 10, c_locale());
    if (end != buf + text.size() || end == buf || errno == ERANGE) return std::nullopt;
    return v;
}

int cscan(const char* text, const char* fmt, ...) {
    CLocaleScope scope;
    va_list ap;
    va_start(ap, fmt);
    const int n = std::vsscanf(text, fmt, ap);
    va_end(ap);
    return n;
}

}  // namespace skywave
