// The few C++20 library facilities the core uses that not every standard library it is
// built with supplies: the WebAssembly toolchain's libc++ has no std::bit_cast and no
// floating-point to_chars or from_chars. Where the library has the conversions they are
// used as they are; elsewhere the C library's, which are correctly rounded too. The
// stand-ins are compiled everywhere so that the native tests hold them to the library's
// results.
#pragma once

#include <charconv>
#include <cstring>
#include <type_traits>

namespace ym::portable {

// std::bit_cast for trivially copyable types of one size.
template <class To, class From> To BitCast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From));
    static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

// std::from_chars(first, last, value) for a decimal number: an optional '-', digits with an
// optional point, an optional exponent. The same value, end and error code; value is left
// as it was on an error. "inf" and "nan" are not read (the core never asks for them).
std::from_chars_result ParseDouble(const char* first, const char* last, double& value);

// std::to_chars(first, last, value, std::chars_format::scientific, precision) for a finite
// value.
std::to_chars_result FormatScientific(char* first, char* last, double value, int precision);

// The stand-ins themselves, through the C library, whatever the standard library has.
// They read and write a decimal point whatever the process locale only where the C library
// does so (the WebAssembly one does); the native tests run them in the "C" locale.
namespace fallback {
std::from_chars_result ParseDouble(const char* first, const char* last, double& value);
std::to_chars_result FormatScientific(char* first, char* last, double value, int precision);
} // namespace fallback

} // namespace ym::portable
