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
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ym::profile {

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
    // nullopt when the file is there but files::Inspect finds it Unreadable, or its reading fails.
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

// Sets one key: an existing key gets the new value in place, a new key goes after the
// last line of its section, a new section at the end of the file. Returns false when
// the file could not be written; the old file is then left as it was.
bool WriteKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value);

// Replaces every entry of a section by `lines` ("key=value" each), in order; comment
// lines of the section stay. A missing section is appended at the end of the file.
bool WriteSection(const std::filesystem::path& file, std::string_view section,
                  const std::vector<std::string>& lines);

} // namespace ym::profile
