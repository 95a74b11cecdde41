// The atomic replacement under every settings write: what stays of the old file, the
// permission bits, symbolic links and the size limit. Its faults are in file_faults_test.
#include "core/atomic_file.h"

#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace ym::files {
namespace {

using namespace test;

// The old file is never truncated (a reader that opened it before still sees it whole), its
// permission bits stay, a new file gets the usual ones, and a symbolic link stays a link. A
// settings file holds a few kilobytes: a file of kMaxFileSize bytes may be written, one byte
// more is refused and leaves the old file. (The damaged-file corpus reads both sizes.)
TEST(ReplaceFileAtomically, RenamesOverTheOldFileKeepingItsModeLinksAndSizeLimit) {
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    Put(file, "old bytes");
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_all |
                           fs::perms::others_read;
    fs::permissions(file, mode);
    std::ifstream earlier(file, std::ios::binary);
    ASSERT_TRUE(ReplaceFileAtomically(file, "new").done);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "old bytes");
    EXPECT_EQ(Get(file), "new");
    EXPECT_EQ(fs::status(file).permissions(), mode);
    ASSERT_TRUE(ReplaceFileAtomically(file, std::string(kMaxFileSize, 'x')).done);
    const Replacement over = ReplaceFileAtomically(file, std::string(kMaxFileSize + 1, 'y'));
    EXPECT_FALSE(over.done);
    EXPECT_EQ(over.written, 0u);
    EXPECT_EQ(Get(file), std::string(kMaxFileSize, 'x'));

    const fs::path fresh = dir.path() / "new.ini", link = dir.path() / "link.ini";
    const mode_t mask = umask(022);
    const bool created = ReplaceFileAtomically(fresh, "x").done;
    umask(mask);
    ASSERT_TRUE(created);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::others_read);
    fs::create_symlink(file, link);
    ASSERT_TRUE(ReplaceFileAtomically(link, "through").done);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(Get(file), "through");
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"link.ini", "new.ini", "t.ini"}));
}

} // namespace
} // namespace ym::files
