// The settings file's writers when the file system lets them down: every step of the
// replacement failing in turn, a full disk, and saves killed at random moments.
#include "core/profile_file.h"
#include "core/settings_file.h"

#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace ym::test;
using ym::SettingsMessage;
using ym::profile::FileSteps;

const std::string kSz = "\xC9\xEE\xDB\xDA"; // 深圳

std::vector<std::string> Temporaries(const fs::path& folder) {
    std::vector<std::string> names = Listing(folder);
    std::erase(names, std::string(ym::kSettingsFileName));
    return names;
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

enum class Step { Create, Write, Flush, Close, Rename, FlushFolder, Remove };

// The system's steps, except that the chosen ones fail; a failing write takes `room` bytes
// first. Every call is recorded. Writes go out in pieces of `piece` bytes, one call each,
// as a slow disk would take them.
class FailingSteps final : public FileSteps {
public:
    explicit FailingSteps(std::set<Step> failing, std::size_t room = 0,
                          std::size_t piece = std::string::npos)
        : failing_(std::move(failing)), room_(room), piece_(piece) {}
    std::vector<Step> calls;

    Creation Create(const fs::path& file, std::optional<fs::perms> permissions,
                    Handle& handle) override {
        return Fails(Step::Create) ? Creation::Failed : real_.Create(file, permissions, handle);
    }
    std::size_t Write(Handle handle, std::string_view bytes) override {
        if (Fails(Step::Write)) {
            bytes = bytes.substr(0, room_);
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            const std::string_view part = bytes.substr(done, piece_);
            const std::size_t n = real_.Write(handle, part);
            done += n;
            if (n < part.size()) {
                break;
            }
        }
        return done;
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
    FileSteps& real_ = ym::profile::SystemFileSteps();
    std::set<Step> failing_;
    std::size_t room_;
    std::size_t piece_;
};

// One writer of the settings file. `middle` is where a write that stops half way stops, in
// the bytes the writer leaves, and `stopped` the message it then gives; any failure not
// tied to a place gives `failed`.
struct Writer {
    const char* name;
    std::optional<std::string> before;
    std::function<std::optional<SettingsMessage>(const fs::path&)> write;
    SettingsMessage failed;
    std::function<std::size_t(const std::string& after)> middle;
    SettingsMessage stopped;
};

std::vector<Writer> Writers() {
    ym::FeeParameters parameters = ym::FeeParameters::Defaults();
    parameters.shanghai[0] = 0.005;
    ym::DisplayScheme scheme;
    scheme.CustomColor = ym::kPresetSchemes[2];
    scheme.SetFromSaved(4);
    const std::string defaults = ym::DefaultSettingsBytes();
    return {
        {"SaveParameters", defaults,
         [=](const fs::path& f) { return ym::SaveParameters(f, parameters, scheme); },
         SettingsMessage::ChangeShanghai,
         [](const std::string& after) { return after.find("[" + kSz + "]") + 1; },
         SettingsMessage::ChangeShenzhen},
        {"SaveSelection", defaults, [](const fs::path& f) { return ym::SaveSelection(f, 1, 5); },
         SettingsMessage::SaveSelect,
         [](const std::string& after) { return after.find("Select2="); },
         SettingsMessage::SaveSelect},
        {"EnsureSettingsFile", std::nullopt,
         [](const fs::path& f) { return ym::EnsureSettingsFile(f); },
         SettingsMessage::CreateShanghai,
         [](const std::string& after) { return after.find("[Select]"); },
         SettingsMessage::CreateSelect},
    };
}

// Each step fails in turn under each writer. A failure leaves the old file byte for byte
// (or no file) and no temporary file, unless removing that very file is what failed: then
// the next save removes it. A failed flush of the folder comes after the rename and cannot
// undo it, so the save has succeeded.
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
            FailingSteps steps(f.failing, f.room == Room::Middle ? w.middle(after) : 0);
            std::optional<SettingsMessage> result;
            {
                ym::profile::UseFileSteps use(steps);
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
}

// The file's bytes reach the disk before its name replaces the old one, and the new name
// reaches it after: a power cut then leaves the old or the whole new file.
TEST(FaultInjection, TheFileIsFlushedBeforeTheRenameAndTheFolderAfter) {
    TempDir dir;
    FailingSteps steps({});
    ym::profile::UseFileSteps use(steps);
    ASSERT_EQ(ym::EnsureSettingsFile(dir.file()), std::nullopt);
    EXPECT_EQ(steps.calls, (std::vector<Step>{Step::Create, Step::Write, Step::Flush, Step::Close,
                                              Step::Rename, Step::FlushFolder}));
}

pid_t FinishedProcess() {
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(0);
    }
    waitpid(pid, nullptr, 0);
    return pid;
}

// A save removes the temporary files that killed saves of this file left, and nothing else:
// not those of a save still running in another process, not other names.
TEST(StaleTemporaries, ASaveRemovesOnlyThoseOfProcessesNoLongerRunning) {
    const std::string gone = std::to_string(FinishedProcess());
    const std::string self = std::to_string(getpid());
    const std::string running = std::to_string(getppid());
    const std::pair<std::string, bool> names[] = {
        {".Yuanmate5.ini.tmp" + gone + "-17", false},
        {".Yuanmate5.ini.tmp" + self + "-17", false}, // a removal of this process that failed
        {".Yuanmate5.ini.tmp" + running + "-17", true},
        {".Yuanmate5.ini.tmp0-17", true},
        {".Yuanmate5.ini.tmp" + gone + "-", true},
        {".Yuanmate5.ini.tmp" + gone + "-1x", true},
        {".Yuanmate5.ini.tmp-17", true},
        {"Yuanmate5.ini.tmp" + gone + "-17", true},
        {".yuanmate5.ini.tmp" + gone + "-17", true},
        {".Other.ini.tmp" + gone + "-17", true},
    };
    TempDir dir;
    Put(dir.file(), ym::DefaultSettingsBytes());
    std::vector<std::string> kept{std::string(ym::kSettingsFileName)};
    for (const auto& [name, stays] : names) {
        Put(dir.path() / name, "x");
        if (stays) {
            kept.push_back(name);
        }
    }
    std::sort(kept.begin(), kept.end());
    ASSERT_EQ(ym::SaveSelection(dir.file(), 1, 1), std::nullopt);
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
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        return "no mount namespace (" + refused + ") nor user namespace (" + std::strerror(errno) +
               ")";
    }
    const auto put = [](const char* file, const std::string& text) {
        const int fd = open(file, O_WRONLY);
        const bool ok =
            fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        if (fd >= 0) {
            close(fd);
        }
        return ok;
    };
    if (!put("/proc/self/setgroups", "deny") ||
        !put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
        return "the user namespace takes no id map";
    }
    return std::nullopt;
}

enum class Fill { Bytes, Files };

// Takes all the room there is: every byte, or every inode.
bool FillUp(const fs::path& folder, Fill fill) {
    if (fill == Fill::Files) {
        for (int i = 0;; ++i) {
            const int fd = open((folder / ("filler" + std::to_string(i))).c_str(),
                                O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd < 0) {
                return errno == ENOSPC;
            }
            close(fd);
        }
    }
    const int fd = open((folder / "filler").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    const std::string page(4096, 'x');
    while (write(fd, page.data(), page.size()) > 0) {
    }
    const bool full = errno == ENOSPC;
    close(fd);
    return full;
}

void RemoveFillers(const fs::path& folder) {
    for (const std::string& name : Listing(folder)) {
        if (name.starts_with("filler")) {
            fs::remove(folder / name);
        }
    }
}

// The checks, run in the child; returns what failed, "skip: ..." where mounting is refused.
std::string DiskFullChecks(const fs::path& folder) {
    if (const auto refused = EnterMountNamespace()) {
        return "skip: " + *refused;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,nr_inodes=32") != 0) {
        return std::string("skip: mounting a tmpfs is refused (") + std::strerror(errno) + ")";
    }
    std::string failures;
    const auto check = [&failures](bool ok, const std::string& what) {
        if (!ok) {
            failures += what + "\n";
        }
    };
    const fs::path file = folder / ym::kSettingsFileName;
    for (const Fill fill : {Fill::Bytes, Fill::Files}) {
        for (const Writer& w : Writers()) {
            const std::string what =
                std::string(w.name) + (fill == Fill::Bytes ? ", no byte left" : ", no inode left");
            fs::remove(file);
            if (w.before) {
                Put(file, *w.before);
            }
            check(FillUp(folder, fill), what + ": the disk did not fill up");
            check(w.write(file) == w.failed, what + ": the failure is not reported as it is");
            check(fs::exists(file) == w.before.has_value() && Get(file) == w.before.value_or(""),
                  what + ": the old file did not survive");
            RemoveFillers(folder);
            check(Temporaries(folder).empty(), what + ": a temporary file stayed");
            check(w.write(file) == std::nullopt, what + ": with room again the save fails");
        }
    }
    // A write that finds room for one page only stops after exactly that page.
    const long page = sysconf(_SC_PAGESIZE);
    Put(file, "old");
    check(FillUp(folder, Fill::Bytes), "one page: the disk did not fill up");
    check(truncate((folder / "filler").c_str(),
                   static_cast<off_t>(fs::file_size(folder / "filler")) - page) == 0,
          "one page: no page freed");
    const ym::profile::Replacement r =
        ym::profile::ReplaceFileAtomically(file, std::string(2 * page, 'y'));
    check(!r.done && r.written == static_cast<std::size_t>(page),
          "one page: " + std::to_string(r.written) + " bytes counted as written");
    check(Get(file) == "old", "one page: the old file did not survive");
    RemoveFillers(folder);
    check(Temporaries(folder).empty(), "one page: a temporary file stayed");
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
        const bool sent =
            write(report[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        _exit(sent ? 0 : 1);
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

// ---------------------------------------------------------------------------------------
// Saves killed at random moments

// A child saves two parameter sets in turn, each over the other, until it is killed at a
// random moment. The file is then byte for byte the version of the last save the child
// reported, or of the one it was in (which may have landed before it could say so). The
// killed save's temporary file may stay; the next save removes it.
TEST(KilledSave, TheFileIsAlwaysTheWholeOldOrTheWholeNewVersion) {
    constexpr int kRounds = 240;
    // In memory where there is such a folder: a kill needs no flush to the disk to keep what
    // was written, and without the disk's flushes the rounds stay quick.
    TempDir dir(fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path());
    const fs::path file = dir.file();
    ym::FeeParameters sets[2] = {ym::FeeParameters::Defaults(), ym::FeeParameters::Defaults()};
    for (std::size_t i = 0; i < sets[1].shanghai.size(); ++i) {
        sets[1].shanghai[i] = 1.0 / static_cast<double>(i + 3);
    }
    ym::DisplayScheme scheme;
    scheme.SetFromSaved(1);
    ASSERT_EQ(ym::EnsureSettingsFile(file), std::nullopt);
    std::string versions[2];
    for (const int k : {0, 1}) {
        ASSERT_EQ(ym::SaveParameters(file, sets[k], scheme), std::nullopt);
        versions[k] = Get(file);
    }
    ASSERT_NE(versions[0].size(), versions[1].size());

    // The child writes in small pieces, so that a kill often finds the temporary file half
    // written; kills spread over about two of its saves, however long one takes here.
    FailingSteps slow({}, 0, 8);
    constexpr int kTimed = 10;
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < kTimed; ++k) {
        ym::profile::UseFileSteps use(slow);
        ASSERT_EQ(ym::SaveParameters(file, sets[k % 2], scheme), std::nullopt);
    }
    const auto save = (std::chrono::steady_clock::now() - start) / kTimed;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<long long> delay(0, 2 * save.count());

    int current = Get(file) == versions[0] ? 0 : 1;
    int lost = 0, landed = 0, leftBehind = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        int saved[2];
        ASSERT_EQ(pipe(saved), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(saved[0]);
            ym::profile::UseFileSteps use(slow);
            for (int k = 1 - current;; k = 1 - k) {
                if (ym::SaveParameters(file, sets[k], scheme) || write(saved[1], "s", 1) != 1) {
                    _exit(1);
                }
            }
        }
        close(saved[1]);
        char c;
        // One whole save first: it has removed what the rounds before left.
        const bool started = read(saved[0], &c, 1) == 1;
        if (started) {
            std::this_thread::sleep_for(std::chrono::steady_clock::duration(delay(random)));
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        int saves = 1;
        while (read(saved[0], &c, 1) == 1) {
            ++saves;
        }
        close(saved[0]);
        ASSERT_TRUE(started && WIFSIGNALED(status)) << "a save failed";

        const std::string bytes = Get(file);
        const int reported = (current + saves) % 2;
        if (bytes == versions[reported]) {
            ++lost;
        } else if (bytes == versions[1 - reported]) {
            ++landed;
        } else {
            FAIL() << "torn file: " << Hex(bytes);
        }
        current = bytes == versions[0] ? 0 : 1;
        const std::size_t temporaries = Temporaries(dir.path()).size();
        ASSERT_LE(temporaries, 1u);
        leftBehind += static_cast<int>(temporaries);
    }
    ASSERT_EQ(ym::SaveParameters(file, sets[current], scheme), std::nullopt);
    EXPECT_EQ(Temporaries(dir.path()), std::vector<std::string>{});
    std::printf("%d rounds: the save in flight was lost %d times and had landed %d times; "
                "%d kills left a temporary file\n",
                kRounds, lost, landed, leftBehind);
}

} // namespace
