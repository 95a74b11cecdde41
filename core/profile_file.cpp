#include "core/profile_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <random>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ym::profile {

using detail::CharSet;
using detail::Line;
using detail::LineKind;

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kCrLf = "\r\n";
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kAnyReadBit = S_IRUSR | S_IRGRP | S_IROTH;

bool IsWhite(unsigned char c) {
    return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == ' ' || c == 0x1A;
}

bool IsGbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
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

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

// UTF-8 as RFC 3629 has it: shortest forms only, no surrogates, nothing beyond U+10FFFF.
bool IsUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t more = 0;
        unsigned char low = 0x80; // the range of the byte after the lead
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (s.size() - i <= more) {
            return false;
        }
        for (std::size_t k = 1; k <= more; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) {
                return false;
            }
        }
        i += more + 1;
    }
    return true;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    const auto put = [&out](std::uint32_t b) { out.push_back(static_cast<char>(b)); };
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        put(0xF0 | (cp >> 18));
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
}

// UTF-16 units (an even number of bytes) as UTF-8. A surrogate without its partner takes
// the three bytes of its own value, so that ToUtf16 gives back every unit as it was.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    const auto unit = [&](std::size_t i) -> std::uint32_t {
        const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
        const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
    };
    const std::size_t units = bytes.size() / 2;
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

// The reverse of FromUtf16. Its text is UTF-8 apart from lone surrogates, as the writes
// take UTF-8 only; a byte that starts no character would become U+FFFD.
std::string ToUtf16(std::string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    const auto put = [&](std::uint32_t u) {
        const char hi = static_cast<char>(u >> 8);
        const char lo = static_cast<char>(u & 0xFF);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        std::uint32_t cp = more == 0 ? c : (c & (0x3F >> more));
        bool whole = (c < 0x80 || more > 0) && text.size() - i > more;
        for (std::size_t k = 1; whole && k <= more; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            whole = (b & 0xC0) == 0x80;
            cp = cp << 6 | (b & 0x3F);
        }
        if (!whole) {
            put(0xFFFD);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
        i += more + 1;
    }
    return out;
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
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
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
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

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// O_NONBLOCK lets open() return at once where it would wait (a FIFO without a writer),
// and fstat then judges the very file that was opened. A file with no read permission
// bit stays unreadable even for a superuser, whom the kernel would let through.
FileState OpenForReading(const std::filesystem::path& file, std::optional<Descriptor>& opened) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? FileState::Missing : FileState::Unreadable;
    }
    opened.emplace(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & kAnyReadBit) == 0 ||
        st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > kMaxFileSize) {
        opened.reset();
        return FileState::Unreadable;
    }
    // Reads of a regular file wait as usual (O_NONBLOCK would matter under a lock only).
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        opened.reset();
        return FileState::Unreadable;
    }
    return FileState::Readable;
}

// A file that grows past the limit while it is read is refused like one that was larger.
FileState ReadWholeFile(const std::filesystem::path& file, std::string& bytes) {
    bytes.clear();
    std::optional<Descriptor> opened;
    const FileState state = OpenForReading(file, opened);
    if (state != FileState::Readable) {
        return state;
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(opened->get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FileState::Unreadable;
        }
        if (n == 0) {
            return FileState::Readable;
        }
        bytes.append(buf, static_cast<std::size_t>(n));
        if (bytes.size() > kMaxFileSize) {
            return FileState::Unreadable;
        }
    }
}

// The file that a rename must replace: the target of a symbolic link rather than the
// link itself, so that a linked settings file stays linked.
std::optional<std::filesystem::path> ReplacementTarget(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, ec))) {
        auto target = std::filesystem::canonical(file, ec);
        if (ec) {
            return std::nullopt;
        }
        return target;
    }
    return file;
}

bool IsDirectory(const struct stat& st) {
    return S_ISDIR(st.st_mode);
}

class PosixFileSteps final : public FileSteps {
public:
    Creation Create(const std::filesystem::path& file,
                    std::optional<std::filesystem::perms> permissions, Handle& handle) override {
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            return errno == EEXIST ? Creation::NameTaken : Creation::Failed;
        }
        if (permissions && ::fchmod(fd, static_cast<mode_t>(*permissions)) != 0) {
            ::close(fd);
            ::unlink(file.c_str());
            return Creation::Failed;
        }
        handle = fd;
        return Creation::Created;
    }

    std::size_t Write(Handle handle, std::string_view bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(static_cast<int>(handle), bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    bool Flush(Handle handle) override { return ::fsync(static_cast<int>(handle)) == 0; }

    bool Close(Handle handle) override { return ::close(static_cast<int>(handle)) == 0; }

    bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    bool FlushFolder(const std::filesystem::path& folder) override {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        const bool flushed = ::fsync(fd) == 0;
        return (::close(fd) == 0) && flushed;
    }

    bool Remove(const std::filesystem::path& file) override { return ::unlink(file.c_str()) == 0; }
};

FileSteps* g_fileSteps = nullptr; // set by UseFileSteps

FileSteps& CurrentFileSteps() {
    return g_fileSteps ? *g_fileSteps : SystemFileSteps();
}

constexpr std::string_view kTemporaryMark = ".tmp";

// "." + name + ".tmp" + process id + "-" + a random number: hidden, unlikely to be taken,
// and naming the process that may still be writing it.
std::string TemporaryName(const std::string& name, unsigned number) {
    return "." + name + std::string(kTemporaryMark) + std::to_string(::getpid()) + "-" +
           std::to_string(number);
}

// The process named by a temporary file of ours for `name`; nullopt for any other name.
std::optional<pid_t> TemporaryOwner(std::string_view entry, const std::string& name) {
    const std::string head = "." + name + std::string(kTemporaryMark);
    if (entry.substr(0, head.size()) != head) {
        return std::nullopt;
    }
    entry.remove_prefix(head.size());
    const std::size_t dash = entry.find('-');
    const auto allDigits = [](std::string_view s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (dash == std::string_view::npos || !allDigits(entry.substr(0, dash)) ||
        !allDigits(entry.substr(dash + 1))) {
        return std::nullopt;
    }
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(entry.data(), entry.data() + dash, pid);
    if (ec != std::errc{} || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

// Signal 0 tests for a process without touching it; one of another user answers EPERM.
bool IsRunningElsewhere(pid_t pid) {
    return pid != ::getpid() && (::kill(pid, 0) == 0 || errno != ESRCH);
}

// What replacements killed half way left behind. A failed removal is left for the next one.
void RemoveStaleTemporaries(FileSteps& steps, const std::filesystem::path& folder,
                            const std::string& name) {
    std::error_code ec;
    std::vector<std::filesystem::path> stale;
    // Stepped with an error code: a listing that breaks off ends the search, never the save.
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::optional<pid_t> owner = TemporaryOwner(it->path().filename().string(), name);
        if (owner && !IsRunningElsewhere(*owner)) {
            stale.push_back(it->path());
        }
    }
    for (const std::filesystem::path& file : stale) {
        steps.Remove(file);
    }
}

} // namespace

FileState Inspect(const std::filesystem::path& file) {
    std::optional<Descriptor> opened;
    return OpenForReading(file, opened);
}

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
        decoded = FromUtf16(units, !utf16le);
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
    switch (ReadWholeFile(file, bytes)) {
    case FileState::Missing:
        return Profile{};
    case FileState::Readable:
        return Parse(bytes);
    case FileState::Unreadable:
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
        return ToUtf16(text, encoding_ == Encoding::Utf16Be);
    }
    return text;
}

long ReadString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                std::string_view defaultValue, std::string& out, std::size_t bufferSize) {
    out.clear();
    const std::optional<Profile> profile = Profile::Load(file);
    if (!profile) {
        return -1;
    }
    out = profile->ReadString(section, key, defaultValue, bufferSize);
    return static_cast<long>(out.size());
}

bool WriteKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value) {
    std::optional<Profile> profile = Profile::Load(file);
    return profile && profile->WriteKey(section, key, value) &&
           ReplaceFileAtomically(file, profile->Bytes()).done;
}

bool WriteSection(const std::filesystem::path& file, std::string_view section,
                  const std::vector<std::string>& lines) {
    std::optional<Profile> profile = Profile::Load(file);
    return profile && profile->WriteSection(section, lines) &&
           ReplaceFileAtomically(file, profile->Bytes()).done;
}

Replacement ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    FileSteps& steps = CurrentFileSteps();
    const Replacement notAtAll;
    if (bytes.size() > kMaxFileSize) {
        return notAtAll; // it could never be read back
    }
    const auto target = ReplacementTarget(file);
    if (!target) {
        return notAtAll;
    }
    std::filesystem::path folder = target->parent_path();
    if (folder.empty()) {
        folder = ".";
    }

    // Read-only is decided by the mode bits as well as by the kernel: a superuser may
    // write anything, yet a file or folder without any write bit is meant to be left
    // alone, as a read-only attribute protects a file on Windows.
    struct stat folderStat {};
    if (::stat(folder.c_str(), &folderStat) != 0 || !IsDirectory(folderStat) ||
        (folderStat.st_mode & kAnyWriteBit) == 0 || ::access(folder.c_str(), W_OK) != 0) {
        return notAtAll;
    }
    // stat never opens, so a FIFO or a device in the way is refused without waiting.
    struct stat oldStat {};
    std::optional<std::filesystem::perms> keep;
    if (::stat(target->c_str(), &oldStat) == 0) {
        if (!S_ISREG(oldStat.st_mode) || (oldStat.st_mode & kAnyWriteBit) == 0 ||
            ::access(target->c_str(), W_OK) != 0) {
            return notAtAll;
        }
        keep = static_cast<std::filesystem::perms>(oldStat.st_mode & 07777);
    } else if (errno != ENOENT) {
        return notAtAll;
    }

    const std::string name = target->filename().string();
    RemoveStaleTemporaries(steps, folder, name);
    std::random_device entropy;
    std::filesystem::path temporary;
    FileSteps::Handle handle = -1;
    FileSteps::Creation created = FileSteps::Creation::NameTaken;
    for (int attempt = 0; attempt < 16 && created == FileSteps::Creation::NameTaken; ++attempt) {
        temporary = folder / TemporaryName(name, entropy());
        created = steps.Create(temporary, keep, handle);
    }
    if (created != FileSteps::Creation::Created) {
        return notAtAll;
    }

    const std::size_t written = steps.Write(handle, bytes);
    bool ok = written == bytes.size() && steps.Flush(handle);
    ok = steps.Close(handle) && ok;
    ok = ok && steps.Rename(temporary, *target);
    if (!ok) {
        steps.Remove(temporary);
        return Replacement{false, written < bytes.size() ? written : 0};
    }
    // Its failure does not undo the rename: see the header.
    steps.FlushFolder(folder);
    return Replacement{true, bytes.size()};
}

FileSteps& SystemFileSteps() {
    static PosixFileSteps steps;
    return steps;
}

UseFileSteps::UseFileSteps(FileSteps& steps) : previous_(g_fileSteps) {
    g_fileSteps = &steps;
}

UseFileSteps::~UseFileSteps() {
    g_fileSteps = previous_;
}

} // namespace ym::profile
