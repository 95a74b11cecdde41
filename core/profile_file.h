// Windows-style profile files ("[section]" and "key=value" lines), byte-oriented:
// names and values are GBK bytes and are never re-encoded here. Section and key names
// match case-insensitively for ASCII letters only, so a GBK trail byte is never folded,
// and without the blanks around them. A name the file could not hold (a section ending in
// a GBK lead byte, which would swallow its "]") is refused by the writers.
// Lines the reader does not understand, comments and unknown sections survive every
// write untouched, and every write replaces the file atomically.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ym::profile {

// The largest file read or written here: 1 MiB. A settings file holds a few kilobytes;
// anything far larger is no settings file, and reading it whole would only exhaust
// memory (a link to /dev/zero never ends).
inline constexpr std::size_t kMaxFileSize = std::size_t{1} << 20;

// What reading a file would meet, found without blocking: opening a FIFO that has no
// writer, or a device, never waits.
enum class FileState {
    Missing,    // nothing of that name, or a folder on the way is missing or is a file
    Readable,   // a regular file with a read permission bit, of at most kMaxFileSize bytes
    Unreadable, // anything else: a folder, FIFO, device or socket, a file without read
                // permission or larger than kMaxFileSize
};
FileState Inspect(const std::filesystem::path& file);

namespace detail {
// A file with a UTF-8 byte-order mark is UTF-8 throughout; every other file is GBK, where
// a lead byte and the byte after it form one character whatever that second byte is.
enum class Encoding { Gbk, Utf8 };
enum class LineKind { Blank, Comment, Header, Entry };

// One physical line with what the reader makes of it. The name (of a section or key) and
// the value are positions in `text`, so that a copied or moved line stays valid.
struct Line {
    std::string text;
    std::string ending; // the line break that followed it in the file, kept byte for byte
    LineKind kind = LineKind::Blank;
    std::size_t nameAt = 0;
    std::size_t nameSize = 0;
    bool hasValue = false; // an entry without "=" reads as the default
    std::size_t valueAt = 0;
    std::size_t valueSize = 0;
};
} // namespace detail

// A profile file parsed once, for any number of reads and edits in memory. Each read and
// edit gives exactly what ReadString, WriteKey and WriteSection give on a file holding
// Bytes(), so a series of edits followed by one write of Bytes() leaves the same bytes as
// the same series of file writes.
class Profile {
public:
    Profile() = default; // what a missing file reads as: no line at all
    static Profile Parse(std::string_view bytes);
    // nullopt when the file is there but Inspect finds it Unreadable, or its reading fails.
    static std::optional<Profile> Load(const std::filesystem::path& file);

    // The value of the first `key` in the first `section`, at most `bufferSize` - 1 bytes
    // cut at a character boundary; a missing section or key (or a key without "=") gives
    // `defaultValue` without its trailing blanks, cut the same way.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) const;
    bool WriteKey(std::string_view section, std::string_view key, std::string_view value);
    bool WriteSection(std::string_view section, const std::vector<std::string>& lines);

    // Where the line of the first `key` of the first `section` ends in Bytes(), its line
    // break included; nullopt when there is no such entry.
    std::optional<std::size_t> EntryEnd(std::string_view section, std::string_view key) const;
    std::string Bytes() const;

private:
    std::string prefix_; // the byte-order mark, when there is one
    detail::Encoding encoding_ = detail::Encoding::Gbk;
    std::vector<detail::Line> lines_;
};

// Reads one value into `out`, at most `bufferSize` - 1 bytes (cut at a GBK character
// boundary). A missing file, section or key gives `defaultValue` without its trailing
// blanks. Returns the number of bytes in `out`, or -1 when the file exists but cannot
// be read.
long ReadString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                std::string_view defaultValue, std::string& out, std::size_t bufferSize);

// Sets one key: an existing key gets the new value in place, a new key goes after the
// last line of its section, a new section at the end of the file. Returns false when
// the file could not be written; the old file is then left as it was.
bool WriteKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value);

// Replaces every entry of a section by `lines` ("key=value" each), in order; comment
// lines of the section stay. A missing section is appended at the end of the file.
bool WriteSection(const std::filesystem::path& file, std::string_view section,
                  const std::vector<std::string>& lines);

// How a replacement ended. On failure, `written` counts the leading bytes that went into
// the new file before writing them failed (a full disk, a file size limit); it is 0 when
// the file could not be written at all (no folder, a read-only file or folder, something
// other than a regular file in the way, more than kMaxFileSize bytes, a refused rename).
struct Replacement {
    bool done = false;
    std::size_t written = 0;
};

// Replaces `file` by `bytes` atomically: a temporary file in the same folder, flushed,
// renamed over the old one, then the folder flushed. A symbolic link stays a link: its
// target is replaced.
Replacement ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

} // namespace ym::profile
