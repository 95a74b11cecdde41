// The settings file's writers when the file system lets them down: every step of the
// replacement failing in turn, a write stopping half way, a full disk and a writer ended at
// any of its steps. Whatever happens, the file is the whole old or the whole new version and
// no temporary file stays (or one, after an end, that the next write removes).
#include "core/atomic_file.h"
#include "core/profile_file.h"
#include "core/settings_file.h"

#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ym {
namespace {

using namespace test;
using files::FileSteps;

std::vector<std::string> Temporaries(const fs::path& folder) {
    std::vector<std::string> names = Listing(folder);
    std::erase(names, std::string(kSettingsFileName));
    return names;
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

enum class Step { Create, Write, Flush, Close, Rename, FlushFolder, Remove };

// The system's steps, except that the chosen ones fail; a failing write takes `room` bytes
// first. Every call is recorded.
class FailingSteps final : public FileSteps {
public:
    explicit FailingSteps(std::set<Step> failing, std::size_t room = 0)
        : failing_(std::move(failing)), room_(room) {}
    std::vector<Step> calls;

    Creation Create(const fs::path& file, std::optional<fs::perms> permissions,
                    Handle& handle) override {
        return Fails(Step::Create) ? Creation::Failed : real_.Create(file, permissions, handle);
    }
    std::size_t Write(Handle handle, std::string_view bytes) override {
        return real_.Write(handle, Fails(Step::Write) ? bytes.substr(0, room_) : bytes);
    }
    bool Flush(Handle handle) override { return !Fails(Step::Flush) && real_.Flush(handle); }
    bool Close(Handle handle) override { return real_.Close(handle) && !Fails(Step::Close); }
    bool Rename(const fs::path& from, const fs::path& to) override {
        return !Fails(Step::Rename) && real_.Rename(from, to);
    }
    bool FlushFolder(const fs::path& folder) override {
        return !Fails(Step::FlushFolder) && real_.FlushFolder(folder);
    }
    bool Remove(const fs::path& file) override {
        return !Fails(Step::Remove) && real_.Remove(file);
    }

private:
    bool Fails(Step step) {
        calls.push_back(step);
        return failing_.count(step) > 0;
    }
    FileSteps& real_ = files::SystemFileSteps();
    std::set<Step> failing_;
    std::size_t room_;
};

// Ends the process before its `at`-th step, as a kill or a power cut would. A write goes out
// in pieces of 64 bytes, each a step of its own, so that an end can find the temporary file
// half written.
class DyingSteps final : public FileSteps {
public:
    explicit DyingSteps(int at) : left_(at) {}

    Creation Create(const fs::path& file, std::optional<fs::perms> permissions,
                    Handle& handle) override {
        Step();
        return real_.Create(file, permissions, handle);
    }
    std::size_t Write(Handle handle, std::string_view bytes) override {
        std::size_t done = 0;
        for (std::size_t n = 1; done < bytes.size() && n > 0; done += n) {
            Step();
            n = real_.Write(handle, bytes.substr(done, 64));
        }
        return done;
    }
    bool Flush(Handle handle) override { return Step(), real_.Flush(handle); }
    bool Close(Handle handle) override { return Step(), real_.Close(handle); }
    bool Rename(const fs::path& from, const fs::path& to) override {
        return Step(), real_.Rename(from, to);
    }
    bool FlushFolder(const fs::path& folder) override { return Step(), real_.FlushFolder(folder); }
    bool Remove(const fs::path& file) override { return Step(), real_.Remove(file); }

private:
    void Step() {
        if (left_-- == 0) {
            raise(SIGKILL);
        }
    }
    FileSteps& real_ = files::SystemFileSteps();
    int left_;
};

// One writer of the settings file. `middle` is where a write that stops half way stops, in
// the bytes the writer leaves, and `stopped` the message it then gives; any failure not
// tied to a place gives `failed`.
struct Writer {
    const char* name;
    std::optional<std::string> before;
    std::function<std::optional<SettingsMessage>(const fs::path&)> write;
    SettingsMessage failed;
    std::string middle;
    SettingsMessage stopped;
};

std::vector<Writer> Writers() {
    FeeParameters parameters = FeeParameters::Defaults();
    parameters.shanghai[0] = 0.005;
    DisplayScheme scheme;
    scheme.customColors = kPresetSchemes[2];
    scheme.SetFromSaved(4);
    const std::string defaults = DefaultSettingsBytes();
    return {
        {"SaveParameters", defaults,
         [=](const fs::path& f) { return SaveParameters(f, parameters, scheme); },
         SettingsMessage::ChangeShanghai, kSz + "]", SettingsMessage::ChangeShenzhen},
        {"SaveSelection", defaults, [](const fs::path& f) { return SaveSelection(f, 1, 5); },
         SettingsMessage::SaveSelect, "Select2=", SettingsMessage::SaveSelect},
        {"EnsureSettingsFile", std::nullopt,
         [](const fs::path& f) { return EnsureSettingsFile(f); }, SettingsMessage::CreateShanghai,
         "[Select]", SettingsMessage::CreateSelect},
    };
}

// Each step fails in turn under each writer. A failure leaves the old file byte for byte
// (or no file), no descriptor open and no temporary file, unless removing that very file is
// what failed: then the next save removes it. A failed flush of the folder comes after the
// rename and cannot undo it, so the save has succeeded.
TEST(FaultInjection, EveryStepFailsInTurnUnderEveryWriter) {
    enum class Room { All, None, Middle };
    const struct {
        std::set<Step> failing;
        Room room;
        bool done;
        std::size_t temporaries;
    } faults[] = {
        {{Step::Create}, Room::All, false, 0},
        {{Step::Write}, Room::None, false, 0},
        {{Step::Write}, Room::Middle, false, 0},
        {{Step::Flush}, Room::All, false, 0},
        {{Step::Close}, Room::All, false, 0},
        {{Step::Rename}, Room::All, false, 0},
        {{Step::FlushFolder}, Room::All, true, 0},
        {{Step::Rename, Step::Remove}, Room::All, false, 1},
        {{Step::Write, Step::Remove}, Room::Middle, false, 1},
    };
    for (const Writer& w : Writers()) {
        TempDir reference;
        if (w.before) {
            Put(reference.file(), *w.before);
        }
        ASSERT_EQ(w.write(reference.file()), std::nullopt);
        const std::string after = Get(reference.file());
        for (const auto& f : faults) {
            SCOPED_TRACE(testing::Message() << w.name << ", fault " << &f - faults);
            TempDir dir;
            if (w.before) {
                Put(dir.file(), *w.before);
            }
            const std::size_t descriptors = OpenDescriptors();
            FailingSteps steps(f.failing, f.room == Room::Middle ? after.find(w.middle) : 0);
            std::optional<SettingsMessage> result;
            {
                files::UseFileSteps use(steps);
                result = w.write(dir.file());
            }
            EXPECT_EQ(OpenDescriptors(), descriptors);
            if (f.done) {
                EXPECT_EQ(result, std::nullopt);
                EXPECT_EQ(Hex(Get(dir.file())), Hex(after));
            } else {
                EXPECT_EQ(result, f.room == Room::Middle ? w.stopped : w.failed);
                EXPECT_EQ(fs::exists(dir.file()), w.before.has_value());
                EXPECT_EQ(Hex(Get(dir.file())), Hex(w.before.value_or("")));
            }
            EXPECT_EQ(Temporaries(dir.path()).size(), f.temporaries);
            ASSERT_EQ(w.write(dir.file()), std::nullopt);
            EXPECT_EQ(Temporaries(dir.path()), std::vector<std::string>{});
        }
    }
    // The bytes reach the disk before the name replaces the old one, and the name after: a
    // power cut leaves the old or the whole new file.
    TempDir dir;
    FailingSteps steps({});
    files::UseFileSteps use(steps);
    ASSERT_EQ(EnsureSettingsFile(dir.file()), std::nullopt);
    EXPECT_EQ(steps.calls, (std::vector<Step>{Step::Create, Step::Write, Step::Flush, Step::Close,
                                              Step::Rename, Step::FlushFolder}));
}

// A save removes the temporary files that killed saves of this file left, and nothing else:
// not those of a save still running in another process, not other names.
TEST(StaleTemporaries, ASaveRemovesOnlyThoseOfProcessesNoLongerRunning) {
    const pid_t finished = fork();
    if (finished == 0) {
        _exit(0);
    }
    waitpid(finished, nullptr, 0);
    const std::string tmp = ".Yuanmate5.ini.tmp", gone = std::to_string(finished);
    // clang-format off
    // Of a finished process, of this one (left by a failed removal), of a running one; then
    // names of another pattern.
    const std::pair<std::string, bool> names[] = {
        {tmp + gone + "-17", false}, {tmp + std::to_string(getpid()) + "-17", false},
        {tmp + std::to_string(getppid()) + "-17", true}, {tmp + "0-17", true},
        {tmp + gone + "-", true}, {tmp + gone + "-1x", true}, {tmp + "-17", true},
        {"Yuanmate5.ini.tmp" + gone + "-17", true}, {".yuanmate5.ini.tmp" + gone + "-17", true},
        {".Other.ini.tmp" + gone + "-17", true},
    };
    // clang-format on
    TempDir dir;
    Put(dir.file(), DefaultSettingsBytes());
    std::vector<std::string> kept = kJustTheFile;
    for (const auto& [name, stays] : names) {
        Put(dir.path() / name, "x");
        if (stays) {
            kept.push_back(name);
        }
    }
    std::sort(kept.begin(), kept.end());
    ASSERT_EQ(SaveSelection(dir.file(), 1, 1), std::nullopt);
    EXPECT_EQ(Listing(dir.path()), kept);
}

// ---------------------------------------------------------------------------------------
// A full disk: a small tmpfs in a mount namespace of a child process of its own

// A mount namespace of its own, from a user namespace where the process may not mount.
std::optional<std::string> EnterMountNamespace() {
    if (unshare(CLONE_NEWNS) == 0) {
        return std::nullopt;
    }
    const std::string refused = std::strerror(errno);
    const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        return "no mount namespace (" + refused + ") nor user namespace (" + std::strerror(errno) +
               ")";
    }
    const auto put = [](const char* file, const std::string& text) {
        return static_cast<bool>(std::ofstream(file) << text << std::flush);
    };
    if (!put("/proc/self/setgroups", "deny") || !put("/proc/self/uid_map", "0 " + uid + " 1") ||
        !put("/proc/self/gid_map", "0 " + gid + " 1")) {
        return "the user namespace takes no id map";
    }
    return std::nullopt;
}

// Takes all the room there is, every byte or every inode, and says whether it ended full.
bool FillUp(const fs::path& folder, bool inodes) {
    const std::string page(4096, 'x');
    for (int i = 0;; ++i) {
        const int fd = open((folder / ("filler" + std::to_string(i))).c_str(),
                            O_WRONLY | O_CREAT | O_EXCL, 0644);
        while (!inodes && fd >= 0 && write(fd, page.data(), page.size()) > 0) {
        }
        const int error = errno;
        close(fd);
        if (fd < 0 || !inodes) {
            return error == ENOSPC;
        }
    }
}

// The checks, run in the child on a tmpfs of 64 KiB and 32 inodes: with no byte or no inode
// left, each writer reports its failure, the old file (or none) stays, no temporary file
// stays, and with room again the write succeeds. Returns the writers that failed, or
// "skip: ..." where mounting is refused.
std::string DiskFullChecks(const fs::path& folder) {
    if (const auto refused = EnterMountNamespace()) {
        return "skip: " + *refused;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,nr_inodes=32") != 0) {
        return std::string("skip: mounting a tmpfs is refused (") + std::strerror(errno) + ")";
    }
    std::string failures;
    const fs::path file = folder / kSettingsFileName;
    for (const bool inodes : {false, true}) {
        for (const Writer& w : Writers()) {
            fs::remove(file);
            if (w.before) {
                Put(file, *w.before);
            }
            bool ok = FillUp(folder, inodes) && w.write(file) == w.failed &&
                      fs::exists(file) == w.before.has_value() &&
                      Get(file) == w.before.value_or("");
            for (const std::string& name : Listing(folder)) {
                if (name.starts_with("filler")) {
                    fs::remove(folder / name);
                }
            }
            ok = ok && Temporaries(folder).empty() && w.write(file) == std::nullopt;
            failures += ok ? "" : w.name + std::string(inodes ? " without an inode\n" : "\n");
        }
    }
    return failures;
}

TEST(DiskFull, ASaveThatRunsOutOfRoomKeepsTheOldFileAndSaysSo) {
    TempDir dir;
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        const std::string text = DiskFullChecks(dir.path());
        _exit(write(report[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0
                                                                                              : 1);
    }
    close(report[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the checks did not finish";
    if (text.starts_with("skip: ")) {
        GTEST_SKIP() << "no small file system to fill up here: " << text.substr(6);
    }
    EXPECT_EQ(text, "");
}

// A writer ended at each of its steps in turn, each time in a process of its own, leaves the
// whole old or the whole new file, never a part, and at most its one temporary file, which
// the next write removes.
TEST(KilledWrite, LeavesTheWholeOldOrTheWholeNewFile) {
    for (const Writer& w : Writers()) {
        TempDir dir;
        const fs::path file = dir.file();
        if (w.before) {
            Put(file, *w.before);
        }
        ASSERT_EQ(w.write(file), std::nullopt);
        const std::optional<std::string> after = Get(file);
        for (int at = 0, ended = true; ended; ++at) {
            SCOPED_TRACE(std::string(w.name) + " ended before step " + std::to_string(at));
            fs::remove(file);
            if (w.before) {
                Put(file, *w.before);
            }
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                DyingSteps steps(at);
                files::UseFileSteps use(steps);
                _exit(w.write(file) ? 1 : 0);
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ended = WIFSIGNALED(status);
            ASSERT_TRUE(ended ? WTERMSIG(status) == SIGKILL : WEXITSTATUS(status) == 0);
            const auto left = fs::exists(file) ? std::optional(Get(file)) : std::nullopt;
            ASSERT_TRUE(left == w.before || left == after) << (left ? Hex(*left) : "no file");
            ASSERT_LE(Temporaries(dir.path()).size(), ended ? 1u : 0u);
            ASSERT_EQ(w.write(file), std::nullopt);
            ASSERT_EQ(Temporaries(dir.path()), std::vector<std::string>{});
        }
    }
}

} // namespace
} // namespace ym
