// Windows-style profile files ("[section]" and "key=value" lines). A file is read in its
// own encoding and written back in it; names and values are passed as the file's text:
// GBK bytes in a GBK file, UTF-8 in every other. Section and key names match
// case-insensitively for ASCII letters only, so a GBK trail byte is never folded, and
// without the blanks around them. A name the file could not hold (a section ending in a
// GBK lead byte, which would swallow its "]") is refused by the writers. Lines the reader
// does not understand, comments and unknown sections survive every write untouched, and
// every write replaces the file atomically.
#pragma once

#include <cstddef>
#include <cstdint>
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

// A file's encoding, found from its bytes: a byte-order mark first (UTF-8, UTF-16 LE or
// BE); without one, UTF-8 when the bytes are valid UTF-8 and not all ASCII (GBK text with
// Chinese in it practically never is); otherwise GBK. UTF-16 text is handled as UTF-8 and
// turned back into UTF-16 on writing, each unit as it was (a surrogate without its
// partner included); an odd last byte stays at the end of the file.
enum class Encoding { Gbk, Utf8, Utf16Le, Utf16Be };

namespace detail {
// The text of a profile: in GBK a lead byte and the byte after it form one character
// whatever that second byte is; in UTF-8 no byte of a multi-byte character is ASCII.
enum class CharSet { Gbk, Utf8 };
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

    // A new file's is GBK; text in every other encoding is passed as UTF-8.
    Encoding encoding() const { return encoding_; }

    // The value of the first `key` in the first `section`, at most `bufferSize` - 1 bytes
    // cut at a character boundary; a missing section or key (or a key without "=") gives
    // `defaultValue` without its trailing blanks, cut the same way.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) const;
    // Both refuse text that would break the file: a line break, a key that reads back as
    // something else, and in a file of UTF-8 text anything that is not UTF-8.
    bool WriteKey(std::string_view section, std::string_view key, std::string_view value);
    bool WriteSection(std::string_view section, const std::vector<std::string>& lines);

    // Where the line of the first `key` of the first `section` ends in Bytes(), its line
    // break included; nullopt when there is no such entry.
    std::optional<std::size_t> EntryEnd(std::string_view section, std::string_view key) const;
    std::string Bytes() const;

private:
    bool SetKey(std::string_view section, std::string_view key, std::string_view value);
    bool SetSection(std::string_view section, const std::vector<std::string>& lines);
    void FollowEncoding(std::string_view added);
    bool Adopt(Profile&& edited, std::string_view section);
    detail::CharSet charSet() const;
    bool IsText(std::string_view text) const; // in the profile's text encoding
    std::string Encoded(std::string text) const;

    Encoding encoding_ = Encoding::Gbk;
    std::string bom_;  // the byte-order mark, when there is one
    std::string tail_; // a last byte of a UTF-16 file that makes no whole unit
    std::vector<detail::Line> lines_;
};

// Reads one value into `out`, at most `bufferSize` - 1 bytes (cut at a character
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
// other than a regular file in the way, more than kMaxFileSize bytes, a refused rename)
// or when its bytes could not be made durable (a failed flush or close).
struct Replacement {
    bool done = false;
    std::size_t written = 0;
};

// Replaces `file` by `bytes` atomically: a temporary file in the same folder, flushed,
// renamed over the old one, then the folder flushed. A symbolic link stays a link: its
// target is replaced. On failure the old file (or the absence of one) stays as it was and
// the temporary file is removed (or, when even that fails, left to the next replacement).
//
// Success means every reader now finds the new bytes. The folder's flush only guards the
// new name against a power cut; when it fails the rename stands all the same and cannot be
// undone (the old bytes are gone), so the replacement counts as done: a failure would tell
// the caller the old file was still there.
//
// A replacement killed half way leaves its temporary file behind. Every replacement first
// removes the temporary files of its own naming pattern (".<name>.tmp<pid>-<n>") whose
// process is no longer running, or is this one: at most one replacement runs at a time
// in a process. Temporary files of a replacement still running elsewhere stay.
Replacement ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// The file-system steps of a replacement, one call each: the seam under the writer, so
// that tests can make any step fail. The default is the operating system's.
class FileSteps {
public:
    using Handle = std::intptr_t; // a descriptor, or a Windows HANDLE
    enum class Creation { Created, NameTaken, Failed };

    virtual ~FileSteps() = default;
    // Creates `file`, which must not exist, open for writing; with `permissions` (those of
    // the file to be replaced) instead of the usual ones. Leaves nothing behind on failure.
    virtual Creation Create(const std::filesystem::path& file,
                            std::optional<std::filesystem::perms> permissions, Handle& handle) = 0;
    // The number of leading bytes written before a failure; all of them on success.
    virtual std::size_t Write(Handle handle, std::string_view bytes) = 0;
    // Makes the bytes written durable.
    virtual bool Flush(Handle handle) = 0;
    // The handle is gone even when closing reports a failure (a late write error).
    virtual bool Close(Handle handle) = 0;
    // Puts `from` in the place of `to`, replacing it in one step.
    virtual bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Makes the names in `folder` durable.
    virtual bool FlushFolder(const std::filesystem::path& folder) = 0;
    virtual bool Remove(const std::filesystem::path& file) = 0;
};

FileSteps& SystemFileSteps();

// While it lives, every replacement goes through `steps` (a test's failing double).
class UseFileSteps {
public:
    explicit UseFileSteps(FileSteps& steps);
    ~UseFileSteps();
    UseFileSteps(const UseFileSteps&) = delete;
    UseFileSteps& operator=(const UseFileSteps&) = delete;

private:
    FileSteps* previous_;
};

} // namespace ym::profile
