// Windows-style profile files ("[section]" and "key=value" lines), byte-oriented:
// names and values are GBK bytes and are never re-encoded here. Section and key names
// match case-insensitively for ASCII letters only, so a GBK trail byte is never folded.
// Lines the reader does not understand, comments and unknown sections survive every
// write untouched, and every write replaces the file atomically.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ym::profile {

// Reads one value into `out`, at most `bufferSize` - 1 bytes (cut at a GBK character
// boundary). A missing file, section or key gives `defaultValue` without its trailing
// blanks. Returns the number of bytes in `out`, or -1 when the file exists but cannot
// be read.
long ReadString(const std::filesystem::path& file, std::string_view section,
                std::string_view key, std::string_view defaultValue, std::string& out,
                std::size_t bufferSize);

// Sets one key: an existing key gets the new value in place, a new key goes after the
// last line of its section, a new section at the end of the file. Returns false when
// the file could not be written; the old file is then left as it was.
bool WriteKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value);

// Replaces every entry of a section by `lines` ("key=value" each), in order; comment
// lines of the section stay. A missing section is appended at the end of the file.
bool WriteSection(const std::filesystem::path& file, std::string_view section,
                  const std::vector<std::string>& lines);

// Replaces `file` by `bytes` atomically: a temporary file in the same folder, flushed,
// renamed over the old one, then the folder flushed.
bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

} // namespace ym::profile
