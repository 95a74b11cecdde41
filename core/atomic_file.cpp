#include "core/atomic_file.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <random>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ym::files {

namespace {

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kAnyReadBit = S_IRUSR | S_IRGRP | S_IROTH;

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

} // namespace ym::files
