#include "core/profile_file.h"

#include <cerrno>
#include <cstdint>
#include <random>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ym::profile {

using detail::Encoding;
using detail::Line;
using detail::LineKind;

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
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
std::size_t CharLength(std::string_view s, std::size_t i, Encoding enc) {
    if (enc == Encoding::Gbk && IsGbkLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
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

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names match regardless of ASCII letter case only. A GBK pair is compared as it stands:
// folding its trail byte would make 丄 (81 41) equal 乤 (81 61).
bool SameName(std::string_view a, std::string_view b, Encoding enc) {
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
std::size_t CutAtCharacter(std::string_view s, std::size_t limit, Encoding enc) {
    if (s.size() <= limit) {
        return s.size();
    }
    if (enc == Encoding::Utf8) {
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
Line MakeLine(std::string text, std::string ending, Encoding enc) {
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
                                        Encoding enc) {
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
                                     std::string_view key, Encoding enc) {
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
                 Encoding enc) {
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
                   const std::vector<std::string>& texts, Encoding enc) {
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

// A section name ending in a GBK lead byte would take the closing "]" as its trail byte,
// and the header would read as an entry: every key written under it would be lost.
bool IsWritableSection(std::string_view section, Encoding enc) {
    if (HasLineBreak(section)) {
        return false;
    }
    const Line header = MakeLine("[" + std::string(section) + "]", std::string(), enc);
    return header.kind == LineKind::Header && SameName(NameOf(header), Trim(section), enc);
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

// The number of bytes written before a write failed; all of them on success.
std::size_t WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
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

bool IsDirectory(const struct stat& st) {
    return S_ISDIR(st.st_mode);
}

} // namespace

FileState Inspect(const std::filesystem::path& file) {
    std::optional<Descriptor> opened;
    return OpenForReading(file, opened);
}

Profile Profile::Parse(std::string_view bytes) {
    Profile p;
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        p.prefix_ = std::string(kUtf8Bom);
        p.encoding_ = Encoding::Utf8;
        bytes.remove_prefix(kUtf8Bom.size());
    }
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
                                    std::string(bytes.substr(end, next - end)), p.encoding_));
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
    if (const auto at = FindEntry(lines_, section, key, encoding_)) {
        if (const auto value = ValueOf(lines_[*at])) {
            return std::string(value->substr(0, CutAtCharacter(*value, limit, encoding_)));
        }
    }
    std::string_view d = defaultValue;
    while (!d.empty() && d.back() == ' ') {
        d.remove_suffix(1);
    }
    return std::string(d.substr(0, CutAtCharacter(d, limit, Encoding::Gbk)));
}

bool Profile::WriteKey(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsWritableSection(section, encoding_) || !IsWritableKey(key) || HasLineBreak(value)) {
        return false;
    }
    const std::string lineText = std::string(key) + "=" + std::string(value);
    const auto range = FindSection(lines_, section, encoding_);
    if (!range) {
        AppendSection(lines_, section, {lineText}, encoding_);
        return true;
    }
    // A new key goes after the section's last entry, ahead of any blank lines or comments
    // that lead into the next section; an empty section takes it first.
    std::size_t insertAt = range->header + 1;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (lines_[i].kind != LineKind::Entry) {
            continue;
        }
        if (SameName(NameOf(lines_[i]), Trim(key), encoding_)) {
            lines_[i] = MakeLine(lineText, std::string(kCrLf), encoding_);
            TerminateLastLine(lines_);
            return true;
        }
        insertAt = i + 1;
    }
    InsertLines(lines_, insertAt, {lineText}, encoding_);
    TerminateLastLine(lines_);
    return true;
}

bool Profile::WriteSection(std::string_view section, const std::vector<std::string>& lines) {
    if (!IsWritableSection(section, encoding_)) {
        return false;
    }
    for (const std::string& l : lines) {
        if (HasLineBreak(l)) {
            return false;
        }
    }
    const auto range = FindSection(lines_, section, encoding_);
    if (!range) {
        AppendSection(lines_, section, lines, encoding_);
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
    InsertLines(lines_, base + firstEntry.value_or(0), lines, encoding_);
    TerminateLastLine(lines_);
    return true;
}

std::optional<std::size_t> Profile::EntryEnd(std::string_view section, std::string_view key) const {
    const auto at = FindEntry(lines_, section, key, encoding_);
    if (!at) {
        return std::nullopt;
    }
    std::size_t end = prefix_.size();
    for (std::size_t i = 0; i <= *at; ++i) {
        end += lines_[i].text.size() + lines_[i].ending.size();
    }
    return end;
}

std::string Profile::Bytes() const {
    std::string out = prefix_;
    for (const Line& l : lines_) {
        out += l.text;
        out += l.ending;
    }
    return out;
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
    bool hadFile = false;
    if (::stat(target->c_str(), &oldStat) == 0) {
        if (!S_ISREG(oldStat.st_mode) || (oldStat.st_mode & kAnyWriteBit) == 0 ||
            ::access(target->c_str(), W_OK) != 0) {
            return notAtAll;
        }
        hadFile = true;
    } else if (errno != ENOENT) {
        return notAtAll;
    }

    std::random_device entropy;
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = folder / ("." + target->filename().string() + ".tmp" +
                              std::to_string(::getpid()) + "-" + std::to_string(entropy()));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return notAtAll;
        }
    }
    if (fd < 0) {
        return notAtAll;
    }

    const std::size_t written = WriteAll(fd, bytes);
    if (written < bytes.size()) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return Replacement{false, written};
    }
    bool ok = !hadFile || ::fchmod(fd, oldStat.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target->c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return notAtAll;
    }

    // The new name is in place; flushing the folder makes it survive a power cut. A
    // file system that cannot flush a folder has nothing more to offer, and the old
    // bytes are gone either way, so this step no longer decides the result.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Replacement{true, bytes.size()};
}

} // namespace ym::profile
