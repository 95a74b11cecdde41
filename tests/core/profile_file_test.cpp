#include "core/profile_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using ym::profile::ReadString;
using ym::profile::ReplaceFileAtomically;
using ym::profile::WriteKey;
using ym::profile::WriteSection;

// GBK bytes used throughout.
const std::string kShanghai = "\xC9\xCF\xBA\xA3"; // 上海
const std::string kTrailA = "\x81\x41";           // 丄: its trail byte is "A"
const std::string kTrailLowerA = "\x81\x61";      // 乤: its trail byte is "a"
const std::string kTrailBracket = "\x81\x5D";     // 乚: its trail byte is "]"
const std::string kTrailBackslash = "\x81\x5C";   // its trail byte is "\"
const std::string kIdeographicSpace = "\xA1\xA1"; // the full-width blank
const std::string kBom = "\xEF\xBB\xBF";
const std::string kUtf8Zhong = "\xE4\xB8\xAD"; // 中 in UTF-8

std::string Hex(const std::string& s) {
    std::ostringstream o;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            o << c;
        } else {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            o << b;
        }
    }
    return o.str();
}

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "ym_profile_XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(path_, ec)) {
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void Put(const fs::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << bytes;
}

std::string Get(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// ---------------------------------------------------------------------------------------
// Reading

struct ReadCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string defaultValue;
    std::size_t bufferSize;
    std::string expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.what;
}

class ReadStringTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadStringTest, GivesTheValueOrTheDefault) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    Put(file, c.file);
    std::string out = "stale";
    const long n = ReadString(file, c.section, c.key, c.defaultValue, out, c.bufferSize);
    EXPECT_EQ(Hex(out), Hex(c.expected));
    EXPECT_EQ(n, static_cast<long>(c.expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadStringTest,
    ::testing::Values(
        ReadCase{"CR LF lines", "[s]\r\nk=v\r\n", "s", "k", "d", 255, "v"},
        ReadCase{"LF lines", "[s]\nk=v\n", "s", "k", "d", 255, "v"},
        ReadCase{"CR lines", "[s]\rk=v\r", "s", "k", "d", 255, "v"},
        ReadCase{"blank lines between", "[s]\r\n\r\n\n\r\r\nk=v", "s", "k", "d", 255, "v"},
        ReadCase{"no line break at the end", "[s]\r\nk=v", "s", "k", "d", 255, "v"},
        ReadCase{"blanks around everything", " \t[ s ] \r\n  k \t=  v w \t\r\n", "s", "k", "d", 255,
                 "v w"},
        ReadCase{"end-of-file byte is white space", "[s]\r\nk=v\x1A\r\n", "s", "k", "d", 255, "v"},
        ReadCase{"vertical tab and form feed are white space", "[s]\r\n\v\fk=\fv\v\r\n", "s", "k",
                 "d", 255, "v"},
        ReadCase{"ideographic space is text", "[s]\r\nk=v" + kIdeographicSpace + "\r\n", "s", "k",
                 "d", 255, "v" + kIdeographicSpace},
        ReadCase{"text after the bracket is ignored", "[s] old\r\nk=v\r\n", "s", "k", "d", 255,
                 "v"},
        ReadCase{"name runs to the last bracket", "[a]b]\r\nk=v\r\n", "a]b", "k", "d", 255, "v"},
        ReadCase{"a bracket line without close is an entry", "[s]\r\n[k=v\r\n", "s", "[k", "d", 255,
                 "v"},
        ReadCase{"lines before the first header are in no section", "k=v\r\n[s]\r\n", "s", "k", "d",
                 255, "d"},
        ReadCase{"key of another section is not seen", "[s]\r\n[t]\r\nk=v\r\n", "s", "k", "d", 255,
                 "d"},
        ReadCase{"empty file", "", "s", "k", "d", 255, "d"}));

INSTANTIATE_TEST_SUITE_P(
    Entries, ReadStringTest,
    ::testing::Values(
        ReadCase{"split at the first equals sign", "[s]\r\nk=a=b\r\n", "s", "k", "d", 255, "a=b"},
        ReadCase{"no inline comment", "[s]\r\nk=v ;c\r\n", "s", "k", "d", 255, "v ;c"},
        ReadCase{"a comment line is no key", "[s]\r\n;k=v\r\n", "s", "k", "d", 255, "d"},
        ReadCase{"an indented comment line is no key", "[s]\r\n  ;k=v\r\n", "s", "k", "d", 255,
                 "d"},
        ReadCase{"hash is ordinary text", "[s]\r\n#k=v\r\n", "s", "#k", "d", 255, "v"},
        ReadCase{"a key without value reads the default", "[s]\r\nk\r\n", "s", "k", "d", 255, "d"},
        ReadCase{"an empty value is not the default", "[s]\r\nk=\r\n", "s", "k", "d", 255, ""},
        ReadCase{"double quotes are stripped", "[s]\r\nk=\"v w\"\r\n", "s", "k", "d", 255, "v w"},
        ReadCase{"single quotes are stripped", "[s]\r\nk='v'\r\n", "s", "k", "d", 255, "v"},
        ReadCase{"one quote alone stays", "[s]\r\nk=\"\r\n", "s", "k", "d", 255, "\""},
        ReadCase{"unlike quotes stay", "[s]\r\nk=\"v'\r\n", "s", "k", "d", 255, "\"v'"},
        ReadCase{"the first key wins", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", "d", 255, "1"},
        ReadCase{"the first section wins", "[s]\r\na=1\r\n[S]\r\nk=2\r\n", "s", "k", "d", 255, "d"},
        ReadCase{"ASCII case is ignored", "[SeLeCt]\r\nSELECT1=2\r\n", "select", "Select1", "d",
                 255, "2"}));

INSTANTIATE_TEST_SUITE_P(
    GbkNames, ReadStringTest,
    ::testing::Values(ReadCase{"raw GBK section name", "[" + kShanghai + "]\r\nA1=.5\r\n",
                               kShanghai, "a1", "d", 255, ".5"},
                      ReadCase{"trail byte A matches itself", "[" + kTrailA + "]\r\nk=1\r\n",
                               kTrailA, "k", "d", 255, "1"},
                      ReadCase{"trail byte A is not folded to a", "[" + kTrailA + "]\r\nk=1\r\n",
                               kTrailLowerA, "k", "d", 255, "d"},
                      ReadCase{"trail byte a is not folded to A",
                               "[" + kTrailLowerA + "]\r\nk=1\r\n", kTrailA, "k", "d", 255, "d"},
                      ReadCase{"trail byte letter in a key", "[s]\r\nx" + kTrailA + "=1\r\n", "s",
                               "X" + kTrailLowerA, "d", 255, "d"},
                      ReadCase{"trail byte bracket does not close the header",
                               "[" + kTrailBracket + "]\r\nk=1\r\n", kTrailBracket, "k", "d", 255,
                               "1"},
                      ReadCase{"trail byte bracket alone is no header",
                               "[" + kTrailBracket + "\r\nk=1\r\n", "\x81", "k", "d", 255, "d"},
                      ReadCase{"trail byte backslash", "[a" + kTrailBackslash + "]\r\nk=1\r\n",
                               "A" + kTrailBackslash, "k", "d", 255, "1"}));

INSTANTIATE_TEST_SUITE_P(
    Buffer, ReadStringTest,
    ::testing::Values(
        ReadCase{"cut to the buffer less one", "[s]\r\nk=abcdefg\r\n", "s", "k", "d", 5, "abcd"},
        ReadCase{"a GBK pair is not split", "[s]\r\nk=a" + kShanghai + "\r\n", "s", "k", "d", 4,
                 "a\xC9\xCF"},
        ReadCase{"a GBK pair that does not fit is left out", "[s]\r\nk=a" + kShanghai + "\r\n", "s",
                 "k", "d", 3, "a"},
        ReadCase{"a 300-byte value gives 254 bytes", "[s]\r\nk=" + std::string(300, '7') + "\r\n",
                 "s", "k", "d", 255, std::string(254, '7')},
        ReadCase{"a 300-byte GBK value ends on a character",
                 "[s]\r\nk=x" +
                     [] {
                         std::string s;
                         for (int i = 0; i < 150; ++i) {
                             s += kShanghai.substr(0, 2);
                         }
                         return s;
                     }() +
                     "\r\n",
                 "s", "k", "d", 255,
                 "x" +
                     [] {
                         std::string s;
                         for (int i = 0; i < 126; ++i) {
                             s += kShanghai.substr(0, 2);
                         }
                         return s;
                     }()},
        ReadCase{"a size of zero gives nothing", "[s]\r\nk=v\r\n", "s", "k", "d", 0, ""},
        ReadCase{"the default is cut as well", "", "s", "k", "-12345", 4, "-12"},
        ReadCase{"the default loses its trailing blanks", "", "s", "k", " -1  ", 255, " -1"}));

INSTANTIATE_TEST_SUITE_P(
    ByteOrderMark, ReadStringTest,
    ::testing::Values(ReadCase{"the mark does not hide the first header", kBom + "[s]\r\nk=v\r\n",
                               "s", "k", "d", 255, "v"},
                      // In GBK the bytes AD 5D would pair up and swallow the "]".
                      ReadCase{"UTF-8 names are compared as UTF-8",
                               kBom + "[" + kUtf8Zhong + "]\r\nk=v\r\n", kUtf8Zhong, "k", "d", 255,
                               "v"},
                      ReadCase{"UTF-8 values are cut at a character",
                               kBom + "[s]\r\nk=" + kUtf8Zhong + kUtf8Zhong + "\r\n", "s", "k", "d",
                               6, kUtf8Zhong}));

TEST(ReadString, MissingFileGivesTheDefaultWithoutTrailingBlanks) {
    TempDir dir;
    std::string out;
    EXPECT_EQ(ReadString(dir.path() / "none.ini", "s", "k", "-1   ", out, 255), 2);
    EXPECT_EQ(out, "-1");
}

TEST(ReadString, PathBelowARegularFileReadsAsMissing) {
    TempDir dir;
    Put(dir.path() / "plain", "x");
    std::string out;
    EXPECT_EQ(ReadString(dir.path() / "plain" / "t.ini", "s", "k", "-1", out, 255), 2);
    EXPECT_EQ(out, "-1");
}

TEST(ReadString, UnreadableFileGivesMinusOne) {
    struct Case {
        const char* what;
        void (*make)(const fs::path&);
    };
    const Case cases[] = {
        {"a directory", [](const fs::path& p) { fs::create_directory(p); }},
        {"no read permission",
         [](const fs::path& p) {
             Put(p, "[s]\r\nk=v\r\n");
             fs::permissions(p, fs::perms::none);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path file = dir.path() / "t.ini";
        c.make(file);
        std::string out = "stale";
        EXPECT_EQ(ReadString(file, "s", "k", "-1", out, 255), -1);
    }
}

// ---------------------------------------------------------------------------------------
// Writing one key

struct WriteKeyCase {
    const char* what;
    std::optional<std::string> before; // nullopt: no file yet
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

void PrintTo(const WriteKeyCase& c, std::ostream* os) {
    *os << c.what;
}

class WriteKeyTest : public ::testing::TestWithParam<WriteKeyCase> {};

TEST_P(WriteKeyTest, ChangesOnlyTheLineConcerned) {
    const WriteKeyCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    if (c.before) {
        Put(file, *c.before);
    }
    ASSERT_TRUE(WriteKey(file, c.section, c.key, c.value));
    EXPECT_EQ(Hex(Get(file)), Hex(c.after));
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"t.ini"});
}

INSTANTIATE_TEST_SUITE_P(
    InPlace, WriteKeyTest,
    ::testing::Values(WriteKeyCase{"new file", std::nullopt, "s", "k", "v", "[s]\r\nk=v\r\n"},
                      WriteKeyCase{"replaced where it stands", "[s]\r\na=1\r\nk=2\r\nb=3\r\n", "s",
                                   "k", "9", "[s]\r\na=1\r\nk=9\r\nb=3\r\n"},
                      WriteKeyCase{"found regardless of case", "[S]\r\n K = 2 \r\n", "s", "k", "9",
                                   "[S]\r\nk=9\r\n"},
                      WriteKeyCase{"sign blank of the value kept", "[s]\r\nk=1\r\n", "s", "k",
                                   " .0035", "[s]\r\nk= .0035\r\n"},
                      WriteKeyCase{"a key without value gets one", "[s]\r\nk\r\n", "s", "k", "v",
                                   "[s]\r\nk=v\r\n"},
                      WriteKeyCase{"only the first of two sections", "[s]\r\na=1\r\n[S]\r\nk=1\r\n",
                                   "s", "k", "2", "[s]\r\na=1\r\nk=2\r\n[S]\r\nk=1\r\n"},
                      WriteKeyCase{"only the first of two keys", "[s]\r\nk=1\r\nk=2\r\n", "s", "k",
                                   "3", "[s]\r\nk=3\r\nk=2\r\n"},
                      WriteKeyCase{"the last line gets its line break", "[s]\r\nk=1", "s", "k", "2",
                                   "[s]\r\nk=2\r\n"},
                      WriteKeyCase{"the header keeps its spelling", "[ s ] note\r\nk=1\r\n", "s",
                                   "k", "2", "[ s ] note\r\nk=2\r\n"},
                      WriteKeyCase{"a key before the first header is left alone",
                                   "k=1\r\n[s]\r\nk=1\r\n", "s", "k", "2",
                                   "k=1\r\n[s]\r\nk=2\r\n"}));

INSTANTIATE_TEST_SUITE_P(
    NewKeys, WriteKeyTest,
    ::testing::Values(WriteKeyCase{"after the last entry, before the blank line",
                                   "[s]\r\na=1\r\n\r\n[t]\r\nx=1\r\n", "s", "k", "v",
                                   "[s]\r\na=1\r\nk=v\r\n\r\n[t]\r\nx=1\r\n"},
                      WriteKeyCase{"after the last entry, before a trailing comment",
                                   "[s]\r\na=1\r\n;about t\r\n[t]\r\n", "s", "k", "v",
                                   "[s]\r\na=1\r\nk=v\r\n;about t\r\n[t]\r\n"},
                      WriteKeyCase{"a commented-out key is not replaced", "[s]\r\na=1\r\n;k=1\r\n",
                                   "s", "k", "v", "[s]\r\na=1\r\nk=v\r\n;k=1\r\n"},
                      WriteKeyCase{"an empty section takes it first", "[s]\r\n[t]\r\n", "s", "k",
                                   "v", "[s]\r\nk=v\r\n[t]\r\n"},
                      WriteKeyCase{"after a last line without break", "[s]\r\na=1", "s", "k", "v",
                                   "[s]\r\na=1\r\nk=v\r\n"},
                      WriteKeyCase{"new section at the end", "[t]\r\nx=1\r\n", "s", "k", "v",
                                   "[t]\r\nx=1\r\n[s]\r\nk=v\r\n"},
                      WriteKeyCase{"new section after a last line without break", "[t]\r\nx=1", "s",
                                   "k", "v", "[t]\r\nx=1\r\n[s]\r\nk=v\r\n"},
                      WriteKeyCase{"new section in an empty file", "", "s", "k", "v",
                                   "[s]\r\nk=v\r\n"}));

INSTANTIATE_TEST_SUITE_P(
    LineEnds, WriteKeyTest,
    ::testing::Values(WriteKeyCase{"LF file: other lines keep LF", "[s]\n a = 1 \nk=2\n[t]\nx=1\n",
                                   "s", "k", "9", "[s]\n a = 1 \nk=9\r\n[t]\nx=1\n"},
                      WriteKeyCase{"LF file: a new key ends CR LF", "[s]\na=1\n[t]\n", "s", "k",
                                   "v", "[s]\na=1\nk=v\r\n[t]\n"},
                      WriteKeyCase{"CR file: other lines keep CR", "[s]\rk=1\rb=2\r", "s", "k", "3",
                                   "[s]\rk=3\r\nb=2\r"},
                      WriteKeyCase{"blank and white lines are kept",
                                   "[s]\r\n \t\r\n\r\nk=1\r\n\r\n", "s", "k", "2",
                                   "[s]\r\n \t\r\n\r\nk=2\r\n\r\n"}));

INSTANTIATE_TEST_SUITE_P(
    Names, WriteKeyTest,
    ::testing::Values(WriteKeyCase{"raw GBK section", "[" + kShanghai + "]\r\nA1=1\r\n", kShanghai,
                                   "A1", " .5", "[" + kShanghai + "]\r\nA1= .5\r\n"},
                      WriteKeyCase{"a folded twin is another section",
                                   "[" + kTrailA + "]\r\nk=1\r\n", kTrailLowerA, "k", "2",
                                   "[" + kTrailA + "]\r\nk=1\r\n[" + kTrailLowerA + "]\r\nk=2\r\n"},
                      WriteKeyCase{"byte-order mark kept", kBom + "[s]\r\nk=1\r\n", "s", "k", "2",
                                   kBom + "[s]\r\nk=2\r\n"},
                      WriteKeyCase{"byte-order mark kept for a new section", kBom + "[t]\r\n", "s",
                                   "k", "2", kBom + "[t]\r\n[s]\r\nk=2\r\n"}));

TEST(WriteKey, RefusesTextThatWouldCorruptTheFile) {
    struct Case {
        const char* what;
        std::string section;
        std::string key;
        std::string value;
    };
    const Case cases[] = {
        {"line break in the value", "s", "k", "1\r\n[x]"},
        {"LF in the value", "s", "k", "1\nk=2"},
        {"CR in the key", "s", "k\r", "1"},
        {"line break in the section", "s]\r\n[t", "k", "1"},
        {"equals sign in the key", "s", "a=b", "1"},
        {"empty key", "s", "", "1"},
        {"blank key", "s", "  ", "1"},
        {"key that reads as a comment", "s", ";k", "1"},
        {"key that reads as a header", "s", "[k]", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
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
    std::string section;
    std::vector<std::string> lines;
    std::string after;
};

void PrintTo(const WriteSectionCase& c, std::ostream* os) {
    *os << c.what;
}

class WriteSectionTest : public ::testing::TestWithParam<WriteSectionCase> {};

TEST_P(WriteSectionTest, ReplacesTheEntriesKeepsTheRest) {
    const WriteSectionCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    if (c.before) {
        Put(file, *c.before);
    }
    ASSERT_TRUE(WriteSection(file, c.section, c.lines));
    EXPECT_EQ(Hex(Get(file)), Hex(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteSectionTest,
    ::testing::Values(
        WriteSectionCase{"new file", std::nullopt, "s", {"a=1", "b=2"}, "[s]\r\na=1\r\nb=2\r\n"},
        WriteSectionCase{"entries replaced",
                         "[s]\r\nx=1\r\ny=2\r\n[t]\r\nz=3\r\n",
                         "s",
                         {"a=1"},
                         "[s]\r\na=1\r\n[t]\r\nz=3\r\n"},
        WriteSectionCase{"more entries than before",
                         "[s]\r\nx=1\r\n[t]\r\n",
                         "s",
                         {"a=1", "b=2", "c=3"},
                         "[s]\r\na=1\r\nb=2\r\nc=3\r\n[t]\r\n"},
        WriteSectionCase{"comments stay where they stood",
                         "[s]\r\n;top\r\nx=1\r\n;mid\r\ny=2\r\n[t]\r\n",
                         "s",
                         {"a=1", "b=2"},
                         "[s]\r\n;top\r\na=1\r\nb=2\r\n;mid\r\n[t]\r\n"},
        WriteSectionCase{
            "a section of comments only", "[s]\r\n;c\r\n", "s", {"a=1"}, "[s]\r\na=1\r\n;c\r\n"},
        WriteSectionCase{
            "keys without values go too", "[s]\r\nstray\r\n", "s", {"a=1"}, "[s]\r\na=1\r\n"},
        WriteSectionCase{
            "no lines empties the section", "[s]\r\nx=1\r\n[t]\r\n", "s", {}, "[s]\r\n[t]\r\n"},
        WriteSectionCase{"blank line before the next section kept",
                         "[s]\r\nx=1\r\n\r\n[t]\r\n",
                         "s",
                         {"a=1"},
                         "[s]\r\na=1\r\n\r\n[t]\r\n"},
        WriteSectionCase{"appended after a last line without break",
                         "[t]\r\nz=3",
                         "s",
                         {"a=1"},
                         "[t]\r\nz=3\r\n[s]\r\na=1\r\n"},
        WriteSectionCase{"LF file keeps its other lines",
                         "[a]\nq=1\n[s]\nx=1\n",
                         "s",
                         {"a=1"},
                         "[a]\nq=1\n[s]\na=1\r\n"},
        WriteSectionCase{"found regardless of case",
                         "[select]\r\nSelect1=2\r\nSelect2=1\r\n",
                         "Select",
                         {"Select1= 1", "Select2= 5"},
                         "[select]\r\nSelect1= 1\r\nSelect2= 5\r\n"},
        WriteSectionCase{"only the first of two sections",
                         "[s]\r\nx=1\r\n[s]\r\ny=2\r\n",
                         "s",
                         {"a=1"},
                         "[s]\r\na=1\r\n[s]\r\ny=2\r\n"},
        WriteSectionCase{"a folded twin is another section",
                         "[" + kTrailLowerA + "]\r\nx=1\r\n",
                         kTrailA,
                         {"a=1"},
                         "[" + kTrailLowerA + "]\r\nx=1\r\n[" + kTrailA + "]\r\na=1\r\n"}));

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
// Failures leave the old bytes

enum class Obstacle { ReadOnlyFile, ReadOnlyFolder, ParentIsAFile, FileIsAFolder, FileTooLarge };

struct FailureCase {
    const char* what;
    Obstacle obstacle;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.what;
}

// Keeps the process's file size limit low for the life of the object, so that a write
// fails half way as it would on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit low = old_;
        low.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

class WriteFailureTest : public ::testing::TestWithParam<FailureCase> {
protected:
    static constexpr const char* kOld = "[s]\r\nk=1\r\n";

    void SetUp() override {
        folder_ = dir_.path() / "folder";
        fs::create_directory(folder_);
        file_ = folder_ / "t.ini";
        switch (GetParam().obstacle) {
        case Obstacle::ReadOnlyFile:
            Put(file_, kOld);
            fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read);
            break;
        case Obstacle::ReadOnlyFolder:
            Put(file_, kOld);
            fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
            break;
        case Obstacle::ParentIsAFile:
            fs::remove(folder_);
            Put(folder_, kOld);
            file_ = folder_ / "t.ini";
            watched_ = folder_;
            return;
        case Obstacle::FileIsAFolder:
            fs::create_directory(file_);
            watched_.clear();
            return;
        case Obstacle::FileTooLarge:
            Put(file_, kOld);
            break;
        }
        watched_ = file_;
    }

    // Runs a write with the obstacle in force.
    bool Attempt(const std::function<bool()>& write) {
        if (GetParam().obstacle == Obstacle::FileTooLarge) {
            FileSizeLimit limit(16);
            return write();
        }
        return write();
    }

    void ExpectUnchanged() {
        if (!watched_.empty()) {
            EXPECT_EQ(Get(watched_), kOld);
        }
        if (fs::is_directory(folder_)) {
            fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
            for (const auto& name : Listing(folder_)) {
                EXPECT_EQ(name, "t.ini") << "left behind";
            }
        }
    }

    TempDir dir_;
    fs::path folder_;
    fs::path file_;
    fs::path watched_;
};

const std::string kLong(64, 'x');

TEST_P(WriteFailureTest, WriteKeyFails) {
    EXPECT_FALSE(Attempt([&] { return WriteKey(file_, "s", "k", kLong); }));
    ExpectUnchanged();
}

TEST_P(WriteFailureTest, WriteKeyOfANewSectionFails) {
    EXPECT_FALSE(Attempt([&] { return WriteKey(file_, "t", "k", kLong); }));
    ExpectUnchanged();
}

TEST_P(WriteFailureTest, WriteSectionFails) {
    EXPECT_FALSE(Attempt([&] { return WriteSection(file_, "s", {"k=" + kLong}); }));
    ExpectUnchanged();
}

TEST_P(WriteFailureTest, ReplaceFails) {
    EXPECT_FALSE(Attempt([&] { return ReplaceFileAtomically(file_, kLong); }));
    ExpectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, WriteFailureTest,
    ::testing::Values(FailureCase{"read-only file", Obstacle::ReadOnlyFile},
                      FailureCase{"read-only folder", Obstacle::ReadOnlyFolder},
                      FailureCase{"parent is a regular file", Obstacle::ParentIsAFile},
                      FailureCase{"the file is a folder", Obstacle::FileIsAFolder},
                      FailureCase{"write cut short", Obstacle::FileTooLarge}));

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
    ASSERT_TRUE(ReplaceFileAtomically(file, "new"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "old bytes");
    EXPECT_EQ(Get(file), "new");
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"t.ini"});
}

TEST(ReplaceFileAtomically, KeepsThePermissionBits) {
    const fs::perms modes[] = {
        fs::perms::owner_read | fs::perms::owner_write,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_all |
            fs::perms::others_read,
    };
    for (fs::perms mode : modes) {
        TempDir dir;
        const fs::path file = dir.path() / "t.ini";
        Put(file, "[s]\r\nk=1\r\n");
        fs::permissions(file, mode);
        ASSERT_TRUE(WriteKey(file, "s", "k", "2"));
        EXPECT_EQ(fs::status(file).permissions(), mode);
    }
}

TEST(ReplaceFileAtomically, NewFileGetsTheUsualPermissions) {
    TempDir dir;
    const fs::path file = dir.path() / "t.ini";
    const mode_t mask = umask(022);
    const bool ok = ReplaceFileAtomically(file, "x");
    umask(mask);
    ASSERT_TRUE(ok);
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write |
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
    EXPECT_FALSE(ReplaceFileAtomically(dir.path() / "none" / "t.ini", "x"));
    EXPECT_FALSE(fs::exists(dir.path() / "none"));
}

} // namespace
