// Whole files read without blocking and replaced atomically, through POSIX calls: the one
// place of the core that speaks to the operating system's file interface. A replacement
// goes through FileSteps, the seam that lets tests make any of its steps fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ym::files {

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

// The whole of a Readable file into `bytes`; a file that grows past kMaxFileSize while it
// is read is Unreadable like one that was larger.
FileState ReadWholeFile(const std::filesystem::path& file, std::string& bytes);

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

} // namespace ym::files
