#include "core/profile_file.h"

#include "core/atomic_file.h"
#include "core/text_codec.h"

#include <utility>

namespace ym::profile {

using detail::CharSet;
using detail::Line;
using detail::LineKind;

namespace {

using text::IsAscii;
using text::IsGbkLead;
using text::IsUtf8;
using text::kUtf16BeBom;
using text::kUtf16LeBom;
using text::kUtf8Bom;

constexpr std::string_view kCrLf = "\r\n";

bool IsWhite(unsigned char c) {
    return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == ' ' || c == 0x1A;
}

// Length of the character starting at `i`: two for a GBK pair, otherwise one byte. UTF-8
// needs no pairing here because none of its multi-byte sequences holds an ASCII byte.
std::size_t CharLength(std::string_view s, std::size_t i, CharSet enc) {
    if (enc == CharSet::Gbk && IsGbkLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
        return 2;
    }
    return 1;
}

std::string_view Trim(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsWhite(static_cast<unsigned char>(s[b]))) {
        ++b;
    }
    while (e > b && IsWhite(static_cast<unsigned char>(s[e - 1]))) {
        --e;
    }
    return s.substr(b, e - b);
}

// Names match regardless of ASCII letter case only. A GBK pair is compared as it stands:
// folding its trail byte would make 丄 (81 41) equal 乤 (81 61).
bool SameName(std::string_view a, std::string_view b, CharSet enc) {
    if (a.size() != b.size()) {
        return false;
    }
    std::size_t i = 0;
    while (i < a.size()) {
        const std::size_t n = CharLength(a, i, enc);
        if (n == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
        } else if (text::AsciiLower(a[i]) != text::AsciiLower(b[i])) {
            return false;
        }
        i += n;
    }
    return true;
}

// Cuts `s` to at most `limit` bytes without splitting a character.
std::size_t CutAtCharacter(std::string_view s, std::size_t limit, CharSet enc) {
    if (s.size() <= limit) {
        return s.size();
    }
    if (enc == CharSet::Utf8) {
        std::size_t n = limit;
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) {
            --n;
        }
        return n;
    }
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t n = CharLength(s, i, enc);
        if (i + n > limit) {
            break;
        }
        i += n;
    }
    return i;
}

std::string_view NameOf(const Line& line) {
    return std::string_view(line.text).substr(line.nameAt, line.nameSize);
}

std::optional<std::string_view> ValueOf(const Line& line) {
    if (!line.hasValue) {
        return std::nullopt;
    }
    return std::string_view(line.text).substr(line.valueAt, line.valueSize);
}

// A line as the reader sees it; every line of a profile, read or written, is made here.
Line MakeLine(std::string text, std::string ending, CharSet enc) {
    Line line{std::move(text), std::move(ending)};
    const std::string_view raw = line.text;
    const auto setName = [&](std::string_view name) {
        line.nameAt = static_cast<std::size_t>(name.data() - raw.data());
        line.nameSize = name.size();
    };
    const std::string_view t = Trim(raw);
    if (t.empty()) {
        return line;
    }
    if (t.front() == ';') {
        line.kind = LineKind::Comment;
        return line;
    }
    if (t.front() == '[') {
        // The name runs to the last "]" that is a character of its own, not a trail byte.
        std::optional<std::size_t> close;
        for (std::size_t i = 1; i < t.size();) {
            const std::size_t n = CharLength(t, i, enc);
            if (n == 1 && t[i] == ']') {
                close = i;
            }
            i += n;
        }
        if (close) {
            line.kind = LineKind::Header;
            setName(Trim(t.substr(1, *close - 1)));
            return line;
        }
    }
    line.kind = LineKind::Entry;
    const std::size_t eq = t.find('='); // "=" is never a trail byte
    if (eq == std::string_view::npos) {
        setName(t);
        return line;
    }
    setName(Trim(t.substr(0, eq)));
    std::string_view v = Trim(t.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    line.hasValue = true;
    line.valueAt = static_cast<std::size_t>(v.data() - raw.data());
    line.valueSize = v.size();
    return line;
}

// The lines of the first section of that name: [header, end). Names are looked up without
// the blanks around them, as the reader takes them from the file: a name written with a
// blank around it must read back under the same name.
struct SectionRange {
    std::size_t header = 0;
    std::size_t end = 0;
};

std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view section,
                                        CharSet enc) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != LineKind::Header || !SameName(NameOf(lines[i]), Trim(section), enc)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end].kind != LineKind::Header) {
            ++end;
        }
        return SectionRange{i, end};
    }
    return std::nullopt;
}

// The first entry of that name in the first section of that name.
std::optional<std::size_t> FindEntry(const std::vector<Line>& lines, std::string_view section,
                                     std::string_view key, CharSet enc) {
    if (const auto range = FindSection(lines, section, enc)) {
        for (std::size_t i = range->header + 1; i < range->end; ++i) {
            if (lines[i].kind == LineKind::Entry && SameName(NameOf(lines[i]), Trim(key), enc)) {
                return i;
            }
        }
    }
    return std::nullopt;
}

// A file we write never ends in the middle of a line.
void TerminateLastLine(std::vector<Line>& lines) {
    if (!lines.empty() && lines.back().ending.empty()) {
        lines.back().ending = std::string(kCrLf);
    }
}

void InsertLines(std::vector<Line>& lines, std::size_t at, const std::vector<std::string>& texts,
                 CharSet enc) {
    if (at > 0 && lines[at - 1].ending.empty()) {
        lines[at - 1].ending = std::string(kCrLf);
    }
    std::vector<Line> added;
    added.reserve(texts.size());
    for (const std::string& t : texts) {
        added.push_back(MakeLine(t, std::string(kCrLf), enc));
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

void AppendSection(std::vector<Line>& lines, std::string_view section,
                   const std::vector<std::string>& texts, CharSet enc) {
    TerminateLastLine(lines);
    std::vector<std::string> all;
    all.reserve(texts.size() + 1);
    all.push_back("[" + std::string(section) + "]");
    all.insert(all.end(), texts.begin(), texts.end());
    InsertLines(lines, lines.size(), all, enc);
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Names and values that would split into other lines, or read back as a comment or a
// header, are refused rather than written into a file they would corrupt.
bool IsWritableKey(std::string_view key) {
    const std::string_view t = Trim(key);
    return !t.empty() && !HasLineBreak(key) && key.find('=') == std::string_view::npos &&
           t.front() != ';' && t.front() != '[';
}

} // namespace

Profile Profile::Parse(std::string_view bytes) {
    Profile p;
    std::string decoded;
    const bool utf16le = bytes.starts_with(kUtf16LeBom);
    if (bytes.starts_with(kUtf8Bom)) {
        p.encoding_ = Encoding::Utf8;
        p.bom_ = std::string(kUtf8Bom);
    } else if (utf16le || bytes.starts_with(kUtf16BeBom)) {
        p.encoding_ = utf16le ? Encoding::Utf16Le : Encoding::Utf16Be;
        p.bom_ = std::string(bytes.substr(0, kUtf16LeBom.size()));
        std::string_view units = bytes.substr(p.bom_.size());
        if (units.size() % 2 != 0) {
            p.tail_ = std::string(units.substr(units.size() - 1));
            units.remove_suffix(1);
        }
        decoded = text::FromUtf16(units, !utf16le);
    } else if (!IsAscii(bytes) && IsUtf8(bytes)) {
        p.encoding_ = Encoding::Utf8;
    }
    if (p.encoding_ == Encoding::Utf16Le || p.encoding_ == Encoding::Utf16Be) {
        bytes = decoded;
    } else {
        bytes.remove_prefix(p.bom_.size());
    }
    const CharSet charSet = p.charSet();
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') {
            ++end;
        }
        std::size_t next = end;
        if (next < bytes.size()) {
            next +=
                (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
        }
        p.lines_.push_back(MakeLine(std::string(bytes.substr(start, end - start)),
                                    std::string(bytes.substr(end, next - end)), charSet));
        start = next;
    }
    return p;
}

std::optional<Profile> Profile::Load(const std::filesystem::path& file) {
    std::string bytes;
    switch (files::ReadWholeFile(file, bytes)) {
    case files::FileState::Missing:
        return Profile{};
    case files::FileState::Readable:
        return Parse(bytes);
    case files::FileState::Unreadable:
        break;
    }
    return std::nullopt;
}

std::string Profile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t bufferSize) const {
    const std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
    if (const auto at = FindEntry(lines_, section, key, charSet())) {
        if (const auto value = ValueOf(lines_[*at])) {
            return std::string(value->substr(0, CutAtCharacter(*value, limit, charSet())));
        }
    }
    std::string_view d = defaultValue;
    while (!d.empty() && d.back() == ' ') {
        d.remove_suffix(1);
    }
    return std::string(d.substr(0, CutAtCharacter(d, limit, charSet())));
}

bool Profile::SetKey(std::string_view section, std::string_view key, std::string_view value) {
    if (HasLineBreak(section) || !IsWritableKey(key) || HasLineBreak(value) || !IsText(section) ||
        !IsText(key) || !IsText(value)) {
        return false;
    }
    const std::string lineText = std::string(key) + "=" + std::string(value);
    const auto range = FindSection(lines_, section, charSet());
    if (!range) {
        AppendSection(lines_, section, {lineText}, charSet());
        return true;
    }
    // A new key goes after the section's last entry, ahead of any blank lines or comments
    // that lead into the next section; an empty section takes it first.
    std::size_t insertAt = range->header + 1;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (lines_[i].kind != LineKind::Entry) {
            continue;
        }
        if (SameName(NameOf(lines_[i]), Trim(key), charSet())) {
            lines_[i] = MakeLine(lineText, std::string(kCrLf), charSet());
            TerminateLastLine(lines_);
            return true;
        }
        insertAt = i + 1;
    }
    InsertLines(lines_, insertAt, {lineText}, charSet());
    TerminateLastLine(lines_);
    return true;
}

bool Profile::SetSection(std::string_view section, const std::vector<std::string>& lines) {
    if (HasLineBreak(section) || !IsText(section)) {
        return false;
    }
    for (const std::string& l : lines) {
        if (HasLineBreak(l) || !IsText(l)) {
            return false;
        }
    }
    const auto range = FindSection(lines_, section, charSet());
    if (!range) {
        AppendSection(lines_, section, lines, charSet());
        return true;
    }
    // The new entries take the place of the first old one; comments and blank lines stay
    // where they stood.
    std::optional<std::size_t> firstEntry;
    std::vector<Line> kept;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (lines_[i].kind == LineKind::Entry) {
            if (!firstEntry) {
                firstEntry = kept.size();
            }
            continue;
        }
        kept.push_back(std::move(lines_[i]));
    }
    const std::size_t base = range->header + 1;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(base),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(base),
                  std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()));
    InsertLines(lines_, base + firstEntry.value_or(0), lines, charSet());
    TerminateLastLine(lines_);
    return true;
}

bool Profile::WriteKey(std::string_view section, std::string_view key, std::string_view value) {
    Profile edited = *this;
    if (!edited.SetKey(section, key, value)) {
        return false;
    }
    edited.FollowEncoding(std::string(section) + std::string(key) + std::string(value));
    return Adopt(std::move(edited), section);
}

bool Profile::WriteSection(std::string_view section, const std::vector<std::string>& lines) {
    Profile edited = *this;
    if (!edited.SetSection(section, lines)) {
        return false;
    }
    std::string added(section);
    for (const std::string& l : lines) {
        added += l;
    }
    edited.FollowEncoding(added);
    return Adopt(std::move(edited), section);
}

// A section name the file cannot hold — one ending in a GBK lead byte takes the closing
// "]" as its trail byte, and the header reads as an entry — would lose every key written
// under it: such a write is refused and the profile stays as it was.
bool Profile::Adopt(Profile&& edited, std::string_view section) {
    if (!FindSection(edited.lines_, section, edited.charSet())) {
        return false;
    }
    *this = std::move(edited);
    return true;
}

// UTF-8 text written into a file of ASCII only makes the file UTF-8: read from now on as
// the written file will be read.
void Profile::FollowEncoding(std::string_view added) {
    if (encoding_ == Encoding::Gbk && !IsAscii(added) && IsUtf8(added)) {
        *this = Parse(Bytes());
    }
}

std::optional<std::size_t> Profile::EntryEnd(std::string_view section, std::string_view key) const {
    const auto at = FindEntry(lines_, section, key, charSet());
    if (!at) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 0; i <= *at; ++i) {
        text += lines_[i].text + lines_[i].ending;
    }
    return bom_.size() + Encoded(std::move(text)).size();
}

std::string Profile::Bytes() const {
    std::string text;
    for (const Line& l : lines_) {
        text += l.text;
        text += l.ending;
    }
    return bom_ + Encoded(std::move(text)) + tail_;
}

CharSet Profile::charSet() const {
    return encoding_ == Encoding::Gbk ? CharSet::Gbk : CharSet::Utf8;
}

bool Profile::IsText(std::string_view text) const {
    return charSet() == CharSet::Gbk || IsUtf8(text);
}

std::string Profile::Encoded(std::string text) const {
    if (encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be) {
        return text::ToUtf16(text, encoding_ == Encoding::Utf16Be);
    }
    return text;
}

bool WriteKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value) {
    std::optional<Profile> profile = Profile::Load(file);
    return profile && profile->WriteKey(section, key, value) &&
           files::ReplaceFileAtomically(file, profile->Bytes()).done;
}

bool WriteSection(const std::filesystem::path& file, std::string_view section,
                  const std::vector<std::string>& lines) {
    std::optional<Profile> profile = Profile::Load(file);
    return profile && profile->WriteSection(section, lines) &&
           files::ReplaceFileAtomically(file, profile->Bytes()).done;
}

} // namespace ym::profile
