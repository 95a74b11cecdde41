// The text encodings the program meets in files and on the command line: UTF-8 checked
// as RFC 3629 has it, UTF-16 in either byte order, and the GBK pairing of lead and trail
// bytes. Also ASCII letter case, folded without touching any other byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ym::text {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
inline constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One UTF-8 sequence at the start of `text` (not empty). An invalid byte counts as one
// character of its own: U+FFFD, not valid. Shortest forms only, no surrogates, nothing
// beyond U+10FFFF.
struct Utf8Char {
    char32_t code;
    std::size_t length;
    bool valid;
};
Utf8Char DecodeUtf8(std::string_view text);

bool IsUtf8(std::string_view text);
bool IsAscii(std::string_view text);
void AppendUtf8(std::string& out, char32_t code);

// UTF-16 units (an even number of bytes) as UTF-8. A surrogate without its partner takes
// the three bytes of its own value, so that ToUtf16 gives back every unit as it was.
std::string FromUtf16(std::string_view bytes, bool bigEndian);
// The reverse of FromUtf16; a byte that starts no character becomes U+FFFD.
std::string ToUtf16(std::string_view text, bool bigEndian);

// A GBK lead byte: it and the byte after it form one character, whatever that byte is.
constexpr bool IsGbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string AsciiLower(std::string_view text);

} // namespace ym::text
