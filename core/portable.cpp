#include "core/portable.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <version>

namespace ym::portable {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

namespace fallback {

std::from_chars_result ParseDouble(const char* first, const char* last, double& value) {
    const char* p = first;
    if (p != last && *p == '-') {
        ++p;
    }
    bool anyDigit = false;
    bool nonZeroDigit = false;
    const auto digits = [&] {
        for (; p != last && IsDigit(*p); ++p) {
            anyDigit = true;
            nonZeroDigit = nonZeroDigit || *p != '0';
        }
    };
    digits();
    if (p != last && *p == '.') {
        ++p;
        digits();
    }
    if (!anyDigit) {
        return {first, std::errc::invalid_argument};
    }
    // An exponent counts only with at least one digit; otherwise the number ends before it.
    if (p != last && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q != last && (*q == '+' || *q == '-')) {
            ++q;
        }
        if (q != last && IsDigit(*q)) {
            for (p = q; p != last && IsDigit(*p); ++p) {
            }
        }
    }
    const std::string text(first, p);
    const double parsed = std::strtod(text.c_str(), nullptr);
    if (std::isinf(parsed) || (parsed == 0 && nonZeroDigit)) {
        return {p, std::errc::result_out_of_range};
    }
    value = parsed;
    return {p, std::errc()};
}

std::to_chars_result FormatScientific(char* first, char* last, double value, int precision) {
    std::array<char, 64> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.*e", precision, value);
    if (length < 0 || static_cast<std::size_t>(length) >= buffer.size() || length > last - first) {
        return {last, std::errc::value_too_large};
    }
    std::memcpy(first, buffer.data(), static_cast<std::size_t>(length));
    return {first + length, std::errc()};
}

} // namespace fallback

#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L

std::from_chars_result ParseDouble(const char* first, const char* last, double& value) {
    return std::from_chars(first, last, value, std::chars_format::general);
}

std::to_chars_result FormatScientific(char* first, char* last, double value, int precision) {
    return std::to_chars(first, last, value, std::chars_format::scientific, precision);
}

#else

std::from_chars_result ParseDouble(const char* first, const char* last, double& value) {
    return fallback::ParseDouble(first, last, value);
}

std::to_chars_result FormatScientific(char* first, char* last, double value, int precision) {
    return fallback::FormatScientific(first, last, value, precision);
}

#endif

} // namespace ym::portable
