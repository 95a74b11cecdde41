// Any bytes as a settings file, then one key written and one section replaced. A write
// must never touch a line it was not asked to, and what it wrote must read back, or a
// settings dialog would silently lose or corrupt a user's file.
//
// Input: four lines (section, key, value, section lines separated by "|"), then the file.
#include "core/profile_file.h"
#include "fuzz/fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using ym::profile::Encoding;
using ym::profile::Profile;

constexpr std::size_t kBufferSize = 255; // as start-up reads every key
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kMissing = "\x01missing";

std::string_view NextLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return line;
}

std::vector<std::string> SplitAt(std::string_view text, char separator) {
    std::vector<std::string> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80         ? 1
                              : (b >> 5) == 6  ? 2
                              : (b >> 4) == 14 ? 3
                              : (b >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size()) {
            return false;
        }
        std::uint32_t cp = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += n;
    }
    return true;
}

// A file read as UTF-8 or UTF-16 takes UTF-8 text only: other bytes would turn it into a
// file that reads as GBK.
bool RefusedForItsEncoding(const Profile& file, const std::vector<std::string_view>& texts) {
    if (file.encoding() == Encoding::Gbk) {
        return false;
    }
    return !std::all_of(texts.begin(), texts.end(), IsUtf8);
}

bool IsUtf16(const Profile& file) {
    return file.encoding() == Encoding::Utf16Le || file.encoding() == Encoding::Utf16Be;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == 0x1A;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// A physical line: the file split at CR LF, CR and LF, each break kept with its line.
struct RawLine {
    std::string text;
    std::string ending;
    friend bool operator==(const RawLine&, const RawLine&) = default;
};

std::vector<RawLine> SplitLines(std::string_view bytes) {
    std::vector<RawLine> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        std::size_t next = end;
        if (next < bytes.size()) {
            next += bytes.substr(next, 2) == "\r\n" ? 2 : 1;
        }
        lines.push_back({std::string(bytes.substr(start, end - start)),
                         std::string(bytes.substr(end, next - end))});
        start = next;
    }
    return lines;
}

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const std::size_t n = lead < 0x80             ? 1
                              : (lead & 0xE0) == 0xC0 ? 2
                              : (lead & 0xF0) == 0xE0 ? 3
                              : (lead & 0xF8) == 0xF0 ? 4
                                                      : 0;
        if (n == 0 || i + n > s.size()) {
            return false;
        }
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += n;
    }
    return true;
}

// A value without blanks or quotes around it reads back as written, cut to the buffer at
// a character boundary: a GBK pair may lose one more byte, a UTF-8 sequence up to three.
void CheckPlainValue(std::string_view value, std::string_view read, bool utf8) {
    if (value.empty() || IsBlank(value.front()) || IsBlank(value.back()) || value.front() == '"' ||
        value.front() == '\'') {
        return;
    }
    const std::size_t limit = kBufferSize - 1;
    YM_FUZZ_CHECK(value.substr(0, read.size()) == read);
    if (value.size() <= limit) {
        YM_FUZZ_CHECK(read.size() == value.size());
    } else if (!utf8) {
        YM_FUZZ_CHECK(read.size() + 1 >= limit);
    } else if (IsValidUtf8(value)) {
        YM_FUZZ_CHECK(read.size() + 3 >= limit);
    }
}

// Lines present before and after, from the start and from the end; what lies between is
// what the write changed.
struct Change {
    std::vector<RawLine> removed;
    std::vector<RawLine> added;
    bool atEnd = false;
};

Change Difference(std::vector<RawLine> before, const std::vector<RawLine>& after) {
    // Every file written ends with a line break.
    if (!before.empty() && before.back().ending.empty()) {
        before.back().ending = "\r\n";
    }
    std::size_t p = 0;
    while (p < before.size() && p < after.size() && before[p] == after[p]) {
        ++p;
    }
    std::size_t s = 0;
    while (s < before.size() - p && s < after.size() - p &&
           before[before.size() - 1 - s] == after[after.size() - 1 - s]) {
        ++s;
    }
    Change c;
    c.removed.assign(before.begin() + static_cast<std::ptrdiff_t>(p),
                     before.end() - static_cast<std::ptrdiff_t>(s));
    c.added.assign(after.begin() + static_cast<std::ptrdiff_t>(p),
                   after.end() - static_cast<std::ptrdiff_t>(s));
    c.atEnd = s == 0;
    return c;
}

// Whether `after` is `before` less some lines that are neither blank nor comments.
// Compared as bytes: a kept line ending in a lone CR followed by a kept empty line ending
// in LF reads back as one line with CR LF, yet no byte of either changed.
bool KeepsAllButEntries(const std::vector<RawLine>& before, const std::vector<RawLine>& after) {
    const auto droppable = [](const RawLine& l) {
        const std::size_t first =
            std::find_if_not(l.text.begin(), l.text.end(), IsBlank) - l.text.begin();
        return first < l.text.size() && l.text[first] != ';';
    };
    std::string rest;
    for (const RawLine& l : after) {
        rest += l.text + l.ending;
    }
    std::string_view left = rest;
    for (const RawLine& l : before) {
        const std::string bytes = l.text + l.ending;
        if (left.starts_with(bytes)) {
            left.remove_prefix(bytes.size());
        } else if (!droppable(l)) {
            return false;
        }
    }
    return left.empty();
}

// The start of a file holding only what was written that keeps it in the encoding the
// real file has: its byte-order mark, or for a GBK file with non-ASCII text a comment that
// is no UTF-8 (an all-ASCII file takes on the encoding of what is written, as the real
// one does).
std::string LeadOf(std::string_view file) {
    if (file.starts_with(kBom)) {
        return std::string(kBom);
    }
    const bool ascii = std::all_of(file.begin(), file.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii || IsUtf8(file) ? std::string() : std::string(";\x81\x40\r\n");
}

// A file holding only what was written, in the same encoding: where the key must read the
// same, whatever else the real file holds.
Profile Alone(std::string_view lead, std::string_view section,
              const std::vector<std::string>& entries) {
    std::string bytes(lead);
    bytes += "[" + std::string(section) + "]\r\n";
    for (const std::string& e : entries) {
        bytes += e + "\r\n";
    }
    return Profile::Parse(bytes);
}

// Whether `key` of `section` is there at all, whatever its value reads as: a missing key
// gives each default back.
bool Finds(const Profile& profile, std::string_view section, std::string_view key) {
    return profile.ReadString(section, key, "\x01a", kBufferSize) ==
           profile.ReadString(section, key, "\x01b", kBufferSize);
}

void CheckWriteKey(std::string_view file, std::string_view section, std::string_view key,
                   std::string_view value) {
    const std::string_view prefix = file.substr(0, file.starts_with(kBom) ? kBom.size() : 0);
    const Profile before = Profile::Parse(file);
    Profile after = before;
    const bool written = after.WriteKey(section, key, value);
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
        YM_FUZZ_CHECK(!written); // it would break the file into other lines
    }
    if (!written) {
        YM_FUZZ_CHECK(after.Bytes() == file);
        // Refused only where the key could not be read back even from a file of its own.
        const std::string_view name = Trimmed(key);
        YM_FUZZ_CHECK(
            HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
            key.find('=') != std::string_view::npos || name.empty() || name.front() == '[' ||
            name.front() == ';' || RefusedForItsEncoding(before, {section, key, value}) ||
            !Finds(Alone(LeadOf(file), section, {std::string(key) + "=" + std::string(value)}),
                   section, key));
        return;
    }
    if (IsUtf16(before)) {
        // Its bytes are not its text: the line checks below read text; here the written
        // file must read back as the edited profile.
        const Profile reread = Profile::Parse(after.Bytes());
        YM_FUZZ_CHECK(reread.Bytes() == after.Bytes());
        YM_FUZZ_CHECK(reread.ReadString(section, key, kMissing, kBufferSize) ==
                      after.ReadString(section, key, kMissing, kBufferSize));
        return;
    }

    const std::string bytes = after.Bytes();
    YM_FUZZ_CHECK(bytes.starts_with(prefix)); // the file keeps its encoding
    const std::string entry = std::string(key) + "=" + std::string(value);
    const std::string read = after.ReadString(section, key, kMissing, kBufferSize);
    YM_FUZZ_CHECK(
        read ==
        Alone(LeadOf(file), section, {entry}).ReadString(section, key, kMissing, kBufferSize));
    CheckPlainValue(value, read, !prefix.empty());
    // The edited profile is the file it writes.
    const Profile reread = Profile::Parse(bytes);
    YM_FUZZ_CHECK(reread.Bytes() == bytes);
    YM_FUZZ_CHECK(reread.ReadString(section, key, kMissing, kBufferSize) == read);

    // One line replaced, one inserted, or a new section at the end; nothing else moves.
    const Change c = Difference(SplitLines(file.substr(prefix.size())),
                                SplitLines(std::string_view(bytes).substr(prefix.size())));
    const RawLine entryLine{entry, "\r\n"};
    const RawLine headerLine{"[" + std::string(section) + "]", "\r\n"};
    const std::optional<std::size_t> oldEntry = before.EntryEnd(section, key);
    if (c.removed.empty() && c.added.empty()) {
        YM_FUZZ_CHECK(oldEntry.has_value()); // the same line written again
    } else if (c.added.size() == 1) {
        YM_FUZZ_CHECK(c.added[0] == entryLine && c.removed.size() <= 1);
        YM_FUZZ_CHECK(oldEntry.has_value() == (c.removed.size() == 1));
    } else {
        YM_FUZZ_CHECK(c.added.size() == 2 && c.added[0] == headerLine && c.added[1] == entryLine);
        YM_FUZZ_CHECK(c.removed.empty() && c.atEnd && !oldEntry);
    }
}

void CheckWriteSection(std::string_view file, std::string_view section,
                       const std::vector<std::string>& lines, std::string_view otherKey) {
    const std::string_view prefix = file.substr(0, file.starts_with(kBom) ? kBom.size() : 0);
    const Profile before = Profile::Parse(file);
    Profile after = before;
    const bool written = after.WriteSection(section, lines);
    bool breaks = HasLineBreak(section);
    for (const std::string& l : lines) {
        breaks = breaks || HasLineBreak(l);
    }
    if (breaks) {
        YM_FUZZ_CHECK(!written);
    }
    if (!written) {
        YM_FUZZ_CHECK(after.Bytes() == file);
        std::vector<std::string_view> texts = {section};
        texts.insert(texts.end(), lines.begin(), lines.end());
        // The lines decide the file's encoding as much as the name: the probe goes with them.
        std::vector<std::string> withProbe = lines;
        withProbe.emplace_back("k=v");
        YM_FUZZ_CHECK(breaks || RefusedForItsEncoding(before, texts) ||
                      !Finds(Alone(LeadOf(file), section, withProbe), section, "k"));
        return;
    }
    if (IsUtf16(before)) {
        const Profile reread = Profile::Parse(after.Bytes());
        YM_FUZZ_CHECK(reread.Bytes() == after.Bytes());
        return;
    }

    // Every key the new lines name reads as it would in a file of that section alone.
    const Profile alone = Alone(LeadOf(file), section, lines);
    std::vector<std::string> keys = {std::string(otherKey)};
    for (const std::string& l : lines) {
        keys.push_back(l.substr(0, l.find('=')));
    }
    const std::string bytes = after.Bytes();
    const Profile reread = Profile::Parse(bytes);
    for (const std::string& k : keys) {
        const std::string read = after.ReadString(section, k, kMissing, kBufferSize);
        YM_FUZZ_CHECK(read == alone.ReadString(section, k, kMissing, kBufferSize));
        YM_FUZZ_CHECK(read == reread.ReadString(section, k, kMissing, kBufferSize));
    }

    // The new lines stand together; around them only lines of the old file remain, in
    // order, and only entries are gone: comments and blank lines stay.
    std::vector<RawLine> old = SplitLines(file.substr(prefix.size()));
    if (!old.empty() && old.back().ending.empty()) {
        old.back().ending = "\r\n"; // every file written ends with a line break
    }
    const std::vector<RawLine> now = SplitLines(std::string_view(bytes).substr(prefix.size()));
    std::vector<RawLine> given;
    for (const std::string& l : lines) {
        given.push_back({l, "\r\n"});
    }
    const RawLine header{"[" + std::string(section) + "]", "\r\n"};
    bool explained = false;
    for (auto at = now.begin();
         !explained && at + static_cast<std::ptrdiff_t>(given.size()) <= now.end(); ++at) {
        if (!std::equal(given.begin(), given.end(), at)) {
            continue;
        }
        std::vector<RawLine> rest(now.begin(), at);
        rest.insert(rest.end(), at + static_cast<std::ptrdiff_t>(given.size()), now.end());
        explained = KeepsAllButEntries(old, rest) ||
                    (!rest.empty() && rest.back() == header &&
                     at + static_cast<std::ptrdiff_t>(given.size()) == now.end() &&
                     KeepsAllButEntries(old, {rest.begin(), rest.end() - 1}));
    }
    YM_FUZZ_CHECK(explained);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view section = NextLine(rest);
    const std::string_view key = NextLine(rest);
    const std::string_view value = NextLine(rest);
    const std::vector<std::string> lines = SplitAt(NextLine(rest), '|');
    const std::string_view file = rest;

    YM_FUZZ_CHECK(Profile::Parse(file).Bytes() == file); // reading loses no byte
    CheckWriteKey(file, section, key, value);
    CheckWriteSection(file, section, lines, key);
    return 0;
}
