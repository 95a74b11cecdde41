#include "core/profile_file.h"

#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

namespace {

namespace fs = std::filesystem;
using namespace ym::test;
using ym::profile::FileState;
using ym::profile::Inspect;
using ym::profile::kMaxFileSize;
using ym::profile::Profile;
using ym::profile::ReadString;
using ym::profile::ReplaceFileAtomically;
using ym::profile::WriteKey;
using ym::profile::WriteSection;

// GBK bytes used throughout.
const std::string kShanghai = "\xC9\xCF\xBA\xA3"; // 上海
const std::string kTrailA = "\x81\x41";           // 丄: its trail byte is "A"
const std::string kTrailLowerA = "\x81\x61";      // 乤: its trail byte is "a"
const std::string kTrailBracket = "\x81\x5D";     // 乚: its trail byte is "]"
const std::string kBom = "\xEF\xBB\xBF";
const std::string kUtf8Zhong = "\xE4\xB8\xAD"; // 中 in UTF-8

// ---------------------------------------------------------------------------------------
// Reading

struct ReadCase {
    const char* what;
    std::string file;
    std::string expected;
    std::string section = "s";
    std::string key = "k";
    std::size_t bufferSize = 255;
    std::string defaultValue = "d";
};

TEST(ReadString, GivesTheValueOrTheDefault) {
    const ReadCase cases[] = {
        // Line ends, blanks and headers
        {"LF lines", "[s]\nk=v\n", "v"},
        {"CR lines", "[s]\rk=v\r", "v"},
        {"blank lines, no last break", "[s]\r\n\r\n\n\r\r\nk=v", "v"},
        {"blanks around all", " \t[ s ] \r\n  k \t=  v w \t\r\n", "v w"},
        {"EOF byte, VT, FF are blanks", "[s]\r\n\v\fk=\fv\x1A\r\n", "v"},
        {"ideographic space is text", "[s]\r\nk=v\xA1\xA1\r\n", "v\xA1\xA1"},
        {"text after the bracket ignored", "[s] old\r\nk=v\r\n", "v"},
        {"name runs to the last bracket", "[a]b]\r\nk=v\r\n", "v", "a]b"},
        {"unclosed bracket is an entry", "[s]\r\n[k=v\r\n", "v", "s", "[k"},
        {"no section before the first header", "k=v\r\n[s]\r\n", "d"},
        {"key of another section", "[s]\r\n[t]\r\nk=v\r\n", "d"},
        // Entries
        {"split at the first equals sign", "[s]\r\nk=a=b\r\n", "a=b"},
        {"no inline comment", "[s]\r\nk=v ;c\r\n", "v ;c"},
        {"indented comment line", "[s]\r\n  ;k=v\r\n", "d"},
        {"hash is text", "[s]\r\n#k=v\r\n", "v", "s", "#k"},
        {"key without value: default", "[s]\r\nk\r\n", "d"},
        {"empty value is no default", "[s]\r\nk=\r\n", ""},
        {"double quotes stripped", "[s]\r\nk=\"v w\"\r\n", "v w"},
        {"single quotes stripped", "[s]\r\nk='v'\r\n", "v"},
        {"one quote alone stays", "[s]\r\nk=\"\r\n", "\""},
        {"unlike quotes stay", "[s]\r\nk=\"v'\r\n", "\"v'"},
        {"the first key wins", "[s]\r\nk=1\r\nK=2\r\n", "1"},
        {"the first section wins", "[s]\r\na=1\r\n[S]\r\nk=2\r\n", "d"},
        {"ASCII case ignored", "[SeLeCt]\r\nSELECT1=2\r\n", "2", "select", "Select1"},
        // GBK names
        {"raw GBK section name", "[" + kShanghai + "]\r\nA1=.5\r\n", ".5", kShanghai, "a1"},
        {"trail byte A matches itself", "[" + kTrailA + "]\r\nk=1\r\n", "1", kTrailA},
        {"trail byte A is not a", "[" + kTrailA + "]\r\nk=1\r\n", "d", kTrailLowerA},
        {"trail byte a is not A", "[" + kTrailLowerA + "]\r\nk=1\r\n", "d", kTrailA},
        {"trail byte in a key", "[s]\r\nx" + kTrailA + "=1\r\n", "d", "s", "X" + kTrailLowerA},
        {"trail bracket closes nothing", "[" + kTrailBracket + "]\r\nk=1\r\n", "1", kTrailBracket},
        {"trail bracket alone: no header", "[" + kTrailBracket + "\r\nk=1\r\n", "d", "\x81"},
        {"trail byte backslash", "[a\x81\x5C]\r\nk=1\r\n", "1", "A\x81\x5C"},
        // Buffer
        {"cut to the buffer less one", "[s]\r\nk=abcdefg\r\n", "abcd", "s", "k", 5},
        {"GBK pair not split", "[s]\r\nk=a" + kShanghai + "\r\n", "a\xC9\xCF", "s", "k", 4},
        {"300 bytes give 254", "[s]\r\nk=" + std::string(300, '7'), std::string(254, '7')},
        {"a size of zero", "[s]\r\nk=v\r\n", "", "s", "k", 0},
        {"the default is cut too", "", "-12", "s", "k", 4, "-12345"},
        {"the default loses end blanks", "", " -1", "s", "k", 255, " -1  "},
        // In GBK the bytes AD 5D would pair up and swallow the "]".
        {"after a BOM names are UTF-8", kBom + "[" + kUtf8Zhong + "]\r\nk=v\r\n", "v", kUtf8Zhong},
        {"after a BOM values cut at a character",
         kBom + "[s]\r\nk=" + kUtf8Zhong + kUtf8Zhong + "\r\n", kUtf8Zhong, "s", "k", 6},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path file = dir.path() / "t.ini";
        Put(file, c.file);
        std::string out = "stale";
        const long n = ReadString(file, c.section, c.key, c.defaultValue, out, c.bufferSize);
        EXPECT_EQ(Hex(out), Hex(c.expected));
        EXPECT_EQ(n, static_cast<long>(c.expected.size()));
    }
}

TEST(ReadString, AMissingFileGivesTheDefaultAnUnreadableOneMinusOne) {
    TempDir dir;
    const fs::path plain = dir.path() / "plain", folder = dir.path() / "folder";
    Put(plain, "[s]\r\nk=v\r\n");
    fs::create_directory(folder);
    std::string out;
    EXPECT_EQ(ReadString(dir.path() / "none.ini", "s", "k", "-1   ", out, 255), 2);
    EXPECT_EQ(out, "-1");
    out = "stale";
    EXPECT_EQ(ReadString(plain / "t.ini", "s", "k", "-1", out, 255), 2); // below a file
    EXPECT_EQ(out, "-1");
    EXPECT_EQ(ReadString(folder, "s", "k", "-1", out, 255), -1);
    fs::permissions(plain, fs::perms::none);
    EXPECT_EQ(ReadString(plain, "s", "k", "-1", out, 255), -1);
}

// One parse serves every look-up, each answered as a read of its own gives it.
TEST(Profile, OneParseAnswersEveryLookUp) {
    const std::string bytes =
        "k=top\r\n[s]\r\nk=1\r\nK=2\r\nq='a b'\r\nn\r\n[S]\r\nk=3\r\nx=4\r\n[" + kTrailA +
        "]\r\nk=5\r\n[" + kTrailLowerA + "]\r\nk=6\r\nlong=" + std::string(300, '7') + "\r\n";
    const struct {
        std::string section, key, expected;
    } cases[] = {
        {"s", "k", "1"},
        {"S", "K", "1"}, // the first key of the first section
        {"s", "q", "a b"},
        {"s", "n", "d"},
        {"s", "x", "d"}, // x is in the second [S]
        {kTrailA, "k", "5"},
        {kTrailLowerA, "K", "6"},
        {kTrailLowerA, "long", std::string(254, '7')},
        {"t", "k", "d"},
        {"", "k", "d"}, // lines before the first header are in no section
    };
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    Put(file, bytes);
    const std::optional<Profile> loaded = Profile::Load(file);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Bytes(), bytes);
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.section + "|" + c.key));
        EXPECT_EQ(loaded->ReadString(c.section, c.key, "d", 255), c.expected);
        std::string out;
        EXPECT_EQ(ReadString(file, c.section, c.key, "d", out, 255),
                  static_cast<long>(c.expected.size()));
        EXPECT_EQ(out, c.expected);
    }
}

// A byte-order mark first; without one, valid UTF-8 that is not all ASCII is UTF-8.
TEST(Profile, FindsTheEncodingFromTheBytes) {
    using ym::profile::Encoding;
    const std::pair<std::string, Encoding> cases[] = {
        {"", Encoding::Gbk},
        {"[s]\r\nk=v\r\n", Encoding::Gbk},
        {"[" + kShanghai + "]", Encoding::Gbk},
        {"[" + kUtf8Zhong + "]", Encoding::Utf8},
        {kBom + "[s]", Encoding::Utf8},
        {kBom + "[" + kShanghai + "]", Encoding::Utf8},
        {std::string("\xFF\xFE[\0", 4), Encoding::Utf16Le},
        {std::string("\xFE\xFF\0[", 4), Encoding::Utf16Be},
        {"\xF0\x9F\x98\x80", Encoding::Utf8}, // beyond the first plane
        {"\xC0\xAF", Encoding::Gbk},          // "/" in two bytes
        {"\xE0\x80\xAF", Encoding::Gbk},      // and in three
        {"\xED\xA0\x80", Encoding::Gbk},      // a surrogate
        {"\xF4\x90\x80\x80", Encoding::Gbk},  // beyond U+10FFFF
        {"\x80k", Encoding::Gbk},             // a trail byte first
        {"k=" + kUtf8Zhong.substr(0, 2), Encoding::Gbk},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(Profile::Parse(bytes).encoding(), expected) << Hex(bytes);
        EXPECT_EQ(Hex(Profile::Parse(bytes).Bytes()), Hex(bytes));
    }
}

// In a GBK file the bytes AD 5D of "[中]" would pair up and swallow the "]"; once the
// file holds UTF-8 text it is read as UTF-8, in memory as on the next reading.
TEST(Profile, Utf8TextMakesAnAsciiFileUtf8AtOnce) {
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    Profile edited = Profile::Parse("[s]\r\n");
    Put(file, edited.Bytes());
    for (const char* key : {"a", "b"}) {
        ASSERT_TRUE(edited.WriteKey(kUtf8Zhong, key, "1"));
        ASSERT_TRUE(WriteKey(file, kUtf8Zhong, key, "1"));
    }
    EXPECT_EQ(Hex(edited.Bytes()), Hex("[s]\r\n[" + kUtf8Zhong + "]\r\na=1\r\nb=1\r\n"));
    EXPECT_EQ(Hex(Get(file)), Hex(edited.Bytes()));
}

// A settings file holds a few kilobytes: a file of kMaxFileSize bytes is read and may be
// rewritten at that size, one byte more and it is neither read nor replaced.
TEST(FileSize, TheLimitHoldsForReadingAndWriting) {
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    const std::string head = "[s]\r\nk=v\r\n;";
    const std::string full = head + std::string(kMaxFileSize - head.size() - 2, 'x') + "\r\n";
    Put(file, full);
    std::string out;
    EXPECT_EQ(Inspect(file), FileState::Readable);
    EXPECT_EQ(ReadString(file, "s", "k", "d", out, 255), 1);
    EXPECT_FALSE(WriteKey(file, "s", "k", "vw"));
    EXPECT_EQ(Get(file), full);
    EXPECT_TRUE(WriteKey(file, "s", "k", "w"));
    EXPECT_EQ(Get(file), Replace(full, "k=v", "k=w"));

    Put(file, full + "x");
    EXPECT_EQ(Inspect(file), FileState::Unreadable);
    EXPECT_EQ(ReadString(file, "s", "k", "d", out, 255), -1);
    EXPECT_FALSE(WriteKey(file, "s", "k", "v"));
    EXPECT_EQ(Get(file), full + "x");

    const ym::profile::Replacement r =
        ReplaceFileAtomically(dir.path() / "new.ini", std::string(kMaxFileSize + 1, 'x'));
    EXPECT_FALSE(r.done);
    EXPECT_EQ(r.written, 0u);
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"t.ini"});
}

// ---------------------------------------------------------------------------------------
// Writing one key

struct WriteKeyCase {
    const char* what;
    std::optional<std::string> before; // nullopt: no file yet
    std::string value;                 // of key "k"
    std::string after;
    std::string section = "s";
};

TEST(WriteKey, ChangesOnlyTheLineConcerned) {
    const WriteKeyCase cases[] = {
        {"new file", std::nullopt, "v", "[s]\r\nk=v\r\n"},
        {"in place", "[s]\r\na=1\r\nk=2\r\nb=3\r\n", "9", "[s]\r\na=1\r\nk=9\r\nb=3\r\n"},
        {"any case", "[S]\r\n K = 2 \r\n", "9", "[S]\r\nk=9\r\n"},
        {"sign blank kept", "[s]\r\nk=1\r\n", " .0035", "[s]\r\nk= .0035\r\n"},
        {"key without value", "[s]\r\nk\r\n", "v", "[s]\r\nk=v\r\n"},
        {"first of two sections", "[s]\r\na=1\r\n[S]\r\nk=1\r\n", "2",
         "[s]\r\na=1\r\nk=2\r\n[S]\r\nk=1\r\n"},
        {"first of two keys", "[s]\r\nk=1\r\nk=2\r\n", "3", "[s]\r\nk=3\r\nk=2\r\n"},
        {"last line gets its break", "[s]\r\nk=1", "2", "[s]\r\nk=2\r\n"},
        {"header spelling kept", "[ s ] note\r\nk=1\r\n", "2", "[ s ] note\r\nk=2\r\n"},
        {"key before any header", "k=1\r\n[s]\r\nk=1\r\n", "2", "k=1\r\n[s]\r\nk=2\r\n"},
        {"new key before the blank line", "[s]\r\na=1\r\n\r\n[t]\r\n", "v",
         "[s]\r\na=1\r\nk=v\r\n\r\n[t]\r\n"},
        {"commented-out key stays", "[s]\r\na=1\r\n;k=1\r\n", "v", "[s]\r\na=1\r\nk=v\r\n;k=1\r\n"},
        {"new key after a last line without break", "[s]\r\na=1", "v", "[s]\r\na=1\r\nk=v\r\n"},
        {"new section after a last line without break", "[t]\r\nx=1", "v",
         "[t]\r\nx=1\r\n[s]\r\nk=v\r\n"},
        {"LF lines stay LF", "[s]\n a = 1 \nk=2\n[t]\nx=1\n", "9",
         "[s]\n a = 1 \nk=9\r\n[t]\nx=1\n"},
        {"CR lines stay CR", "[s]\rk=1\rb=2\r", "3", "[s]\rk=3\r\nb=2\r"},
        {"raw GBK section", "[" + kShanghai + "]\r\nk=1\r\n", " .5",
         "[" + kShanghai + "]\r\nk= .5\r\n", kShanghai},
        {"a folded twin is another section", "[" + kTrailA + "]\r\nk=1\r\n", "2",
         "[" + kTrailA + "]\r\nk=1\r\n[" + kTrailLowerA + "]\r\nk=2\r\n", kTrailLowerA},
        {"byte-order mark kept", kBom + "[s]\r\nk=1\r\n", "2", kBom + "[s]\r\nk=2\r\n"},
    };
    for (const WriteKeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path file = dir.path() / "t.ini";
        if (c.before) {
            Put(file, *c.before);
        }
        ASSERT_TRUE(WriteKey(file, c.section, "k", c.value));
        EXPECT_EQ(Hex(Get(file)), Hex(c.after));
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"t.ini"});
    }
}

TEST(WriteKey, RefusesTextThatWouldCorruptTheFile) {
    struct Case {
        std::string section, key, value;
    };
    const Case cases[] = {
        {"s", "k", "1\r\n[x]"}, {"s", "k", "1\nk=2"}, {"s", "k\r", "1"},
        {"s]\r\n[t", "k", "1"}, {"s", "a=b", "1"},    {"s", "", "1"},
        {"s", "  ", "1"},       {"s", ";k", "1"},     {"s", "[k]", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex(c.section + "|" + c.key + "|" + c.value));
        TempDir dir;
        const fs::path file = dir.path() / "t.ini";
        const std::string before = "[s]\r\nk=0\r\n";
        Put(file, before);
        EXPECT_FALSE(WriteKey(file, c.section, c.key, c.value));
        EXPECT_EQ(Get(file), before);
    }
}

// ---------------------------------------------------------------------------------------
// Writing a whole section

struct WriteSectionCase {
    const char* what;
    std::optional<std::string> before;
    std::string lines; // the new entries, one per "|"
    std::string after;
    std::string section = "s";
};

TEST(WriteSection, ReplacesTheEntriesKeepsTheRest) {
    const WriteSectionCase cases[] = {
        {"new file", std::nullopt, "a=1|b=2", "[s]\r\na=1\r\nb=2\r\n"},
        {"more entries; keys without values go", "[s]\r\nx=1\r\nstray\r\n[t]\r\n", "a=1|b=2|c=3",
         "[s]\r\na=1\r\nb=2\r\nc=3\r\n[t]\r\n"},
        {"comments stay where they stood", "[s]\r\n;top\r\nx=1\r\n;mid\r\ny=2\r\n[t]\r\n",
         "a=1|b=2", "[s]\r\n;top\r\na=1\r\nb=2\r\n;mid\r\n[t]\r\n"},
        {"no lines empties the section", "[s]\r\nx=1\r\n[t]\r\n", "", "[s]\r\n[t]\r\n"},
        {"blank line before the next section kept", "[s]\r\nx=1\r\n\r\n[t]\r\n", "a=1",
         "[s]\r\na=1\r\n\r\n[t]\r\n"},
        {"appended after a last line without break", "[t]\r\nz=3", "a=1",
         "[t]\r\nz=3\r\n[s]\r\na=1\r\n"},
        {"any case, only the first of two", "[select]\r\nSelect1=2\r\n[Select]\r\ny=2\r\n",
         "Select1= 1", "[select]\r\nSelect1= 1\r\n[Select]\r\ny=2\r\n", "Select"},
        {"a folded twin is another section", "[" + kTrailLowerA + "]\r\nx=1\r\n", "a=1",
         "[" + kTrailLowerA + "]\r\nx=1\r\n[" + kTrailA + "]\r\na=1\r\n", kTrailA},
    };
    for (const WriteSectionCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path file = dir.path() / "t.ini";
        if (c.before) {
            Put(file, *c.before);
        }
        std::vector<std::string> lines;
        std::istringstream in(c.lines);
        for (std::string line; std::getline(in, line, '|');) {
            lines.push_back(line);
        }
        ASSERT_TRUE(WriteSection(file, c.section, lines));
        EXPECT_EQ(Hex(Get(file)), Hex(c.after));
    }
}

TEST(WriteSection, RefusesLinesWithLineBreaks) {
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    const std::string before = "[s]\r\nk=0\r\n";
    Put(file, before);
    EXPECT_FALSE(WriteSection(file, "s", {"a=1", "b=2\r\n[x]"}));
    EXPECT_FALSE(WriteSection(file, "s\n", {"a=1"}));
    EXPECT_EQ(Get(file), before);
}

// ---------------------------------------------------------------------------------------
// Failures leave the old bytes and no temporary file

enum class Obstacle {
    ReadOnlyFile,
    ReadOnlyFolder,
    ParentIsAFile,
    FileIsAFolder,
    FileIsAFifo,
    LinkToDevZero,
    ShortWrite
};

class WriteFailureTest : public ::testing::TestWithParam<Obstacle> {};

TEST_P(WriteFailureTest, EveryWriteFailsAndLeavesTheOldBytes) {
    const std::string old = "[s]\r\nk=1\r\n";
    const std::string text(64, 'x');
    TempDir dir;
    const fs::path folder = dir.path() / "folder";
    fs::path file = folder / "t.ini";
    fs::path watched = file;
    fs::create_directory(folder);
    switch (GetParam()) {
    case Obstacle::ReadOnlyFile:
        Put(file, old);
        fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
        break;
    case Obstacle::ReadOnlyFolder:
        Put(file, old);
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        break;
    case Obstacle::ParentIsAFile:
        fs::remove(folder);
        Put(folder, old);
        watched = folder;
        break;
    case Obstacle::FileIsAFolder:
        fs::create_directory(file);
        watched.clear();
        break;
    case Obstacle::FileIsAFifo: // opening it to read would wait for a writer forever
        ASSERT_EQ(mkfifo(file.c_str(), 0666), 0);
        watched.clear();
        break;
    case Obstacle::LinkToDevZero: // reading it would never end
        fs::create_symlink("/dev/zero", file);
        watched.clear();
        break;
    case Obstacle::ShortWrite:
        Put(file, old);
        break;
    }
    const fs::file_type type = fs::symlink_status(file).type();
    const std::function<bool()> writes[] = {
        [=] { return WriteKey(file, "s", "k", text); },
        [=] { return WriteKey(file, "t", "k", text); }, // a new section
        [=] { return WriteSection(file, "s", {"k=" + text}); },
        [=] { return ReplaceFileAtomically(file, text).done; },
    };
    for (std::size_t i = 0; i < std::size(writes); ++i) {
        SCOPED_TRACE(i);
        std::optional<FileSizeLimit> limit;
        if (GetParam() == Obstacle::ShortWrite) {
            limit.emplace(16);
        }
        EXPECT_EQ(ReturnsInTime(writes[i]), false);
    }
    {
        // Only a write that ran out of room took some bytes.
        std::optional<FileSizeLimit> limit;
        if (GetParam() == Obstacle::ShortWrite) {
            limit.emplace(16);
        }
        EXPECT_EQ(ReturnsInTime([=] { return ReplaceFileAtomically(file, text).written; }),
                  GetParam() == Obstacle::ShortWrite ? 16u : 0u);
    }
    EXPECT_EQ(fs::symlink_status(file).type(), type);
    if (!watched.empty()) {
        EXPECT_EQ(Get(watched), old);
    }
    if (fs::is_directory(folder)) {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ(Listing(folder), std::vector<std::string>{"t.ini"}) << "left behind";
    }
}

INSTANTIATE_TEST_SUITE_P(Obstacles, WriteFailureTest,
                         ::testing::Values(Obstacle::ReadOnlyFile, Obstacle::ReadOnlyFolder,
                                           Obstacle::ParentIsAFile, Obstacle::FileIsAFolder,
                                           Obstacle::FileIsAFifo, Obstacle::LinkToDevZero,
                                           Obstacle::ShortWrite));

TEST(ReplaceFileAtomically, UnreadableFileIsNotOverwrittenByAKeyWrite) {
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    Put(file, "[s]\r\nk=1\r\nother=keep\r\n");
    fs::permissions(file, fs::perms::owner_write);
    EXPECT_FALSE(WriteKey(file, "s", "k", "2"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Get(file), "[s]\r\nk=1\r\nother=keep\r\n");
}

TEST(ReplaceFileAtomically, ReplacesByRenameNotInPlace) {
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    Put(file, "old bytes");
    // A reader that opened the file before the write still sees a whole old file: the
    // old contents were never truncated.
    std::ifstream earlier(file, std::ios::binary);
    ASSERT_TRUE(ReplaceFileAtomically(file, "new").done);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "old bytes");
    EXPECT_EQ(Get(file), "new");
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"t.ini"});
}

TEST(ReplaceFileAtomically, KeepsThePermissionBitsAndGivesANewFileTheUsualOnes) {
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    Put(file, "[s]\r\nk=1\r\n");
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_all |
                           fs::perms::others_read;
    fs::permissions(file, mode);
    ASSERT_TRUE(WriteKey(file, "s", "k", "2"));
    EXPECT_EQ(fs::status(file).permissions(), mode);

    const fs::path fresh = dir.path() / "new.ini";
    const mode_t mask = umask(022);
    const bool ok = ReplaceFileAtomically(fresh, "x").done;
    umask(mask);
    ASSERT_TRUE(ok);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::others_read);
}

TEST(ReplaceFileAtomically, WritesThroughASymbolicLink) {
    TempDir dir;
    const fs::path target = dir.path() / "real.ini";
    const fs::path link = dir.path() / "t.ini";
    Put(target, "[s]\r\nk=1\r\n");
    fs::create_symlink(target, link);
    ASSERT_TRUE(WriteKey(link, "s", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(Get(target), "[s]\r\nk=2\r\n");
}

TEST(ReplaceFileAtomically, MissingFolderFails) {
    TempDir dir;
    EXPECT_FALSE(ReplaceFileAtomically(dir.path() / "none" / "t.ini", "x").done);
    EXPECT_FALSE(fs::exists(dir.path() / "none"));
}

} // namespace
