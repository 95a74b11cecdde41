#include "core/profile_file.h"

#include <cerrno>
#include <cstdint>
#include <optional>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ym::profile {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kAnyReadBit = S_IRUSR | S_IRGRP | S_IROTH;

// A file with a UTF-8 byte-order mark is UTF-8 throughout; every other file is GBK, where
// a lead byte and the byte after it form one character whatever that second byte is.
enum class Encoding { Gbk, Utf8 };

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

enum class LineKind { Blank, Comment, Header, Entry };

// One physical line: its bytes without the line break, and the break that followed it
// in the file (kept so that lines we do not touch are written back byte for byte).
struct Line {
    std::string text;
    std::string ending;
};

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string_view name; // section name for a header, key name for an entry
    std::optional<std::string_view> value;
};

ParsedLine Parse(std::string_view raw, Encoding enc) {
    ParsedLine p;
    const std::string_view t = Trim(raw);
    if (t.empty()) {
        return p;
    }
    if (t.front() == ';') {
        p.kind = LineKind::Comment;
        return p;
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
            p.kind = LineKind::Header;
            p.name = Trim(t.substr(1, *close - 1));
            return p;
        }
    }
    p.kind = LineKind::Entry;
    const std::size_t eq = t.find('='); // "=" is never a trail byte
    if (eq == std::string_view::npos) {
        p.name = t;
        return p;
    }
    p.name = Trim(t.substr(0, eq));
    std::string_view v = Trim(t.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    p.value = v;
    return p;
}

struct Document {
    std::string prefix; // the byte-order mark, when there is one
    Encoding encoding = Encoding::Gbk;
    std::vector<Line> lines;
};

Document Split(std::string_view bytes) {
    Document doc;
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        doc.prefix = std::string(kUtf8Bom);
        doc.encoding = Encoding::Utf8;
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
        doc.lines.push_back(Line{std::string(bytes.substr(start, end - start)),
                                 std::string(bytes.substr(end, next - end))});
        start = next;
    }
    return doc;
}

std::string Join(const Document& doc) {
    std::string out = doc.prefix;
    for (const Line& l : doc.lines) {
        out += l.text;
        out += l.ending;
    }
    return out;
}

// The lines of the first section of that name: [header, end).
struct SectionRange {
    std::size_t header = 0;
    std::size_t end = 0;
};

std::optional<SectionRange> FindSection(const Document& doc, std::string_view section) {
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        const ParsedLine p = Parse(doc.lines[i].text, doc.encoding);
        if (p.kind != LineKind::Header || !SameName(p.name, section, doc.encoding)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < doc.lines.size() &&
               Parse(doc.lines[end].text, doc.encoding).kind != LineKind::Header) {
            ++end;
        }
        return SectionRange{i, end};
    }
    return std::nullopt;
}

// A file we write never ends in the middle of a line.
void TerminateLastLine(Document& doc) {
    if (!doc.lines.empty() && doc.lines.back().ending.empty()) {
        doc.lines.back().ending = std::string(kCrLf);
    }
}

void InsertLines(Document& doc, std::size_t at, const std::vector<std::string>& texts) {
    if (at > 0 && doc.lines[at - 1].ending.empty()) {
        doc.lines[at - 1].ending = std::string(kCrLf);
    }
    std::vector<Line> added;
    added.reserve(texts.size());
    for (const std::string& t : texts) {
        added.push_back(Line{t, std::string(kCrLf)});
    }
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(),
                     added.end());
}

void AppendSection(Document& doc, std::string_view section, const std::vector<std::string>& texts) {
    TerminateLastLine(doc);
    std::vector<std::string> all;
    all.reserve(texts.size() + 1);
    all.push_back("[" + std::string(section) + "]");
    all.insert(all.end(), texts.begin(), texts.end());
    InsertLines(doc, doc.lines.size(), all);
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

bool IsDirectory(const struct stat& st) {
    return S_ISDIR(st.st_mode);
}

enum class ReadOutcome { Read, Missing, Failed };

ReadOutcome ReadWholeFile(const std::filesystem::path& file, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? ReadOutcome::Missing : ReadOutcome::Failed;
    }
    struct stat st {};
    // A file with no read permission at all stays unreadable even for a superuser, who
    // the kernel would let through.
    if (::fstat(fd, &st) != 0 || IsDirectory(st) || (st.st_mode & kAnyReadBit) == 0) {
        ::close(fd);
        return ReadOutcome::Failed;
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return ReadOutcome::Failed;
        }
        if (n == 0) {
            break;
        }
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadOutcome::Read;
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

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Read, change, replace: the common frame of every write.
template <typename Change> bool Rewrite(const std::filesystem::path& file, Change change) {
    std::string old;
    if (ReadWholeFile(file, old) == ReadOutcome::Failed) {
        return false;
    }
    Document doc = Split(old);
    if (!change(doc)) {
        return false;
    }
    TerminateLastLine(doc);
    return ReplaceFileAtomically(file, Join(doc));
}

} // namespace

long ReadString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                std::string_view defaultValue, std::string& out, std::size_t bufferSize) {
    out.clear();
    std::string bytes;
    const ReadOutcome outcome = ReadWholeFile(file, bytes);
    if (outcome == ReadOutcome::Failed) {
        return -1;
    }
    const std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
    const Document doc = Split(bytes);

    std::optional<std::string_view> found;
    if (const auto range = FindSection(doc, section)) {
        for (std::size_t i = range->header + 1; i < range->end; ++i) {
            const ParsedLine p = Parse(doc.lines[i].text, doc.encoding);
            if (p.kind == LineKind::Entry && SameName(p.name, key, doc.encoding)) {
                found = p.value; // a key without "=" reads as its default
                break;
            }
        }
    }
    if (found) {
        out.assign(found->substr(0, CutAtCharacter(*found, limit, doc.encoding)));
    } else {
        std::string_view d = defaultValue;
        while (!d.empty() && d.back() == ' ') {
            d.remove_suffix(1);
        }
        out.assign(d.substr(0, CutAtCharacter(d, limit, Encoding::Gbk)));
    }
    return static_cast<long>(out.size());
}

bool WriteKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value) {
    if (HasLineBreak(section) || !IsWritableKey(key) || HasLineBreak(value)) {
        return false;
    }
    const std::string lineText = std::string(key) + "=" + std::string(value);
    return Rewrite(file, [&](Document& doc) {
        const auto range = FindSection(doc, section);
        if (!range) {
            AppendSection(doc, section, {lineText});
            return true;
        }
        // A new key goes after the section's last entry, ahead of any blank lines or
        // comments that lead into the next section; an empty section takes it first.
        std::size_t insertAt = range->header + 1;
        for (std::size_t i = range->header + 1; i < range->end; ++i) {
            const ParsedLine p = Parse(doc.lines[i].text, doc.encoding);
            if (p.kind != LineKind::Entry) {
                continue;
            }
            if (SameName(p.name, Trim(key), doc.encoding)) {
                doc.lines[i] = Line{lineText, std::string(kCrLf)};
                return true;
            }
            insertAt = i + 1;
        }
        InsertLines(doc, insertAt, {lineText});
        return true;
    });
}

bool WriteSection(const std::filesystem::path& file, std::string_view section,
                  const std::vector<std::string>& lines) {
    if (HasLineBreak(section)) {
        return false;
    }
    for (const std::string& l : lines) {
        if (HasLineBreak(l)) {
            return false;
        }
    }
    return Rewrite(file, [&](Document& doc) {
        const auto range = FindSection(doc, section);
        if (!range) {
            AppendSection(doc, section, lines);
            return true;
        }
        // The new entries take the place of the first old one; comments and blank lines
        // stay where they stood.
        std::optional<std::size_t> firstEntry;
        std::vector<Line> kept;
        for (std::size_t i = range->header + 1; i < range->end; ++i) {
            if (Parse(doc.lines[i].text, doc.encoding).kind == LineKind::Entry) {
                if (!firstEntry) {
                    firstEntry = kept.size();
                }
                continue;
            }
            kept.push_back(doc.lines[i]);
        }
        const std::size_t base = range->header + 1;
        doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(base),
                        doc.lines.begin() + static_cast<std::ptrdiff_t>(range->end));
        doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(base), kept.begin(),
                         kept.end());
        InsertLines(doc, base + firstEntry.value_or(0), lines);
        return true;
    });
}

bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    const auto target = ReplacementTarget(file);
    if (!target) {
        return false;
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
        return false;
    }
    struct stat oldStat {};
    bool hadFile = false;
    if (::stat(target->c_str(), &oldStat) == 0) {
        if (!S_ISREG(oldStat.st_mode) || (oldStat.st_mode & kAnyWriteBit) == 0 ||
            ::access(target->c_str(), W_OK) != 0) {
            return false;
        }
        hadFile = true;
    } else if (errno != ENOENT) {
        return false;
    }

    std::random_device entropy;
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = folder / ("." + target->filename().string() + ".tmp" +
                              std::to_string(::getpid()) + "-" + std::to_string(entropy()));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }

    bool ok = WriteAll(fd, bytes);
    if (ok && hadFile) {
        ok = ::fchmod(fd, oldStat.st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target->c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }

    // The new name is in place; flushing the folder makes it survive a power cut. A
    // file system that cannot flush a folder has nothing more to offer, and the old
    // bytes are gone either way, so this step no longer decides the result.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace ym::profile
