// printf-style formatting and number parsing in the C locale, whatever locale the
// process runs in: files and reports are the same on every machine.
#pragma once

#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

namespace skywave {

// Appends the formatted text to out.
void cformat_to(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
std::string cformat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void vcformat_to(std::string& out, const char* fmt, va_list ap);

// sscanf in the C locale; returns the number of fields assigned (EOF as sscanf does).
int cscan(const char* text, const char* fmt, ...) __attribute__((format(scanf, 2, 3)));

// Whole-token number parsing in the C locale: the entire text must be the number.
std::optional<float> parse_float(std::string_view text);
std::optional<long> parse_long(std::string_view text);

}  // namespace skywave
