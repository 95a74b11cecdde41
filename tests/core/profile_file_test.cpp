// The profile file under the settings file: what a reading finds, what a write changes (one
// line, nothing else), the encodings, the size limit and the atomic replacement.
#include "core/profile_file.h"

#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace ym::profile {
namespace {

using namespace test;

// GBK characters whose trail byte is "A", "a", "]" and "\".
const std::string kTrailA = "\x81\x41";
const std::string kTrailLowerA = "\x81\x61";
const std::string kTrailBracket = "\x81\x5D";
const std::string kBom = "\xEF\xBB\xBF";
const std::string kZhong = "\xE4\xB8\xAD"; // 中 in UTF-8

TEST(Profile, ReadStringGivesTheValueOrTheDefault) {
    const struct {
        const char* what;
        std::string file, expected, section = "s", key = "k";
        std::size_t bufferSize = 255;
        std::string defaultValue = "d";
    } cases[] = {
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
        {"split at the first equals sign", "[s]\r\nk=a=b\r\n", "a=b"},
        {"no inline comment", "[s]\r\nk=v ;c\r\n", "v ;c"},
        {"indented comment line", "[s]\r\n  ;k=v\r\n", "d"},
        {"hash is text", "[s]\r\n#k=v\r\n", "v", "s", "#k"},
        {"key without value: default", "[s]\r\nk\r\n", "d"},
        {"empty value is no default", "[s]\r\nk=\r\n", ""},
        {"quotes stripped", "[s]\r\nk=\"v w\"\r\n", "v w"},
        {"single quotes stripped", "[s]\r\nk='v'\r\n", "v"},
        {"empty quotes: empty text", "[s]\r\nk=\"\"\r\n", ""},
        {"one quote alone stays", "[s]\r\nk=\"\r\n", "\""},
        {"unlike quotes stay", "[s]\r\nk=\"v'\r\n", "\"v'"},
        {"the first key wins", "[s]\r\nk=1\r\nK=2\r\n", "1"},
        {"the first section wins", "[s]\r\na=1\r\n[S]\r\nk=2\r\n", "d"},
        {"ASCII case ignored", "[SeLeCt]\r\nSELECT1=2\r\n", "2", "select", "Select1"},
        {"raw GBK section name", "[" + kSh + "]\r\nA1=.5\r\n", ".5", kSh, "a1"},
        {"trail byte A is not a", "[" + kTrailA + "]\r\nk=1\r\n", "d", kTrailLowerA},
        {"trail byte a is not A", "[" + kTrailLowerA + "]\r\nk=1\r\n", "d", kTrailA},
        {"trail byte in a key", "[s]\r\nx" + kTrailA + "=1\r\n", "d", "s", "X" + kTrailLowerA},
        {"trail bracket closes nothing", "[" + kTrailBracket + "]\r\nk=1\r\n", "1", kTrailBracket},
        {"trail bracket alone: no header", "[" + kTrailBracket + "\r\nk=1\r\n", "d", "\x81"},
        {"trail byte backslash", "[a\x81\x5C]\r\nk=1\r\n", "1", "A\x81\x5C"},
        {"cut to the buffer less one", "[s]\r\nk=abcdefg\r\n", "abcd", "s", "k", 5},
        {"GBK pair not split", "[s]\r\nk=a" + kSh + "\r\n", "a\xC9\xCF", "s", "k", 4},
        {"300 bytes give 254", "[s]\r\nk=" + std::string(300, '7'), std::string(254, '7')},
        {"the default is cut too", "", "-12", "s", "k", 4, "-12345"},
        {"the default loses end blanks", "", " -1", "s", "k", 255, " -1  "},
        // In GBK the bytes AD 5D would pair up and swallow the "]".
        {"after a BOM names are UTF-8", kBom + "[" + kZhong + "]\r\nk=v\r\n", "v", kZhong},
        {"after a BOM values cut at a character", kBom + "[s]\r\nk=" + kZhong + kZhong + "\r\n",
         kZhong, "s", "k", 6},
    };
    for (const auto& c : cases) {
        const Profile p = Profile::Parse(c.file);
        EXPECT_EQ(Hex(p.ReadString(c.section, c.key, c.defaultValue, c.bufferSize)),
                  Hex(c.expected))
            << c.what;
        EXPECT_EQ(Hex(p.Bytes()), Hex(c.file)) << c.what;
    }
}

// A byte-order mark first; without one, valid UTF-8 that is not all ASCII is UTF-8: a file
// saved by a Linux editor, which read as GBK lost every section.
TEST(Profile, FindsTheEncodingFromTheBytes) {
    // clang-format off
    // Not UTF-8: "/" in two bytes, a surrogate, beyond U+10FFFF, a character cut short.
    const std::pair<std::string, Encoding> cases[] = {
        {"", Encoding::Gbk}, {"[s]\r\nk=v\r\n", Encoding::Gbk}, {"[" + kSh + "]", Encoding::Gbk},
        {"[" + kZhong + "]", Encoding::Utf8}, {kBom + "[" + kSh + "]", Encoding::Utf8},
        {std::string("\xFF\xFE[\0", 4), Encoding::Utf16Le},
        {std::string("\xFE\xFF\0[", 4), Encoding::Utf16Be}, {"\xF0\x9F\x98\x80", Encoding::Utf8},
        {"\xC0\xAF", Encoding::Gbk}, {"\xED\xA0\x80", Encoding::Gbk},
        {"\xF4\x90\x80\x80", Encoding::Gbk}, {"k=" + kZhong.substr(0, 2), Encoding::Gbk},
    };
    // clang-format on
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(Profile::Parse(bytes).encoding(), expected) << Hex(bytes);
        EXPECT_EQ(Hex(Profile::Parse(bytes).Bytes()), Hex(bytes));
    }
    // Once a file of ASCII holds UTF-8 text it is UTF-8, in memory as on the next reading.
    Profile edited = Profile::Parse("[s]\r\n");
    ASSERT_TRUE(edited.WriteKey(kZhong, "a", "1"));
    ASSERT_TRUE(edited.WriteKey(kZhong, "b", "1"));
    EXPECT_EQ(Hex(edited.Bytes()), Hex("[s]\r\n[" + kZhong + "]\r\na=1\r\nb=1\r\n"));
    EXPECT_EQ(Profile::Parse(edited.Bytes()).encoding(), Encoding::Utf8);
}

// Sets key "k" of `section`, or with `lines` ("|" between them) the whole section.
TEST(Profile, AWriteChangesOnlyTheLinesConcerned) {
    const struct {
        const char* what;
        std::string before, value, after, section = "s";
        bool wholeSection = false;
    } cases[] = {
        {"new file", "", "v", "[s]\r\nk=v\r\n"},
        {"in place, any case", "[S]\r\na=1\r\n K = 2 \r\nb=3\r\n", "9",
         "[S]\r\na=1\r\nk=9\r\nb=3\r\n"},
        {"sign blank kept", "[s]\r\nk=1\r\n", " .0035", "[s]\r\nk= .0035\r\n"},
        {"key without value", "[s]\r\nk\r\n", "v", "[s]\r\nk=v\r\n"},
        {"first of two sections and keys", "[s]\r\na=1\r\n[S]\r\nk=1\r\nk=2\r\n", "3",
         "[s]\r\na=1\r\nk=3\r\n[S]\r\nk=1\r\nk=2\r\n"},
        {"header spelling kept", "[ s ] note\r\nk=1\r\n", "2", "[ s ] note\r\nk=2\r\n"},
        {"key before any header", "k=1\r\n[s]\r\nk=1\r\n", "2", "k=1\r\n[s]\r\nk=2\r\n"},
        {"new key before the blank line", "[s]\r\na=1\r\n\r\n[t]\r\n", "v",
         "[s]\r\na=1\r\nk=v\r\n\r\n[t]\r\n"},
        {"commented-out key stays", "[s]\r\na=1\r\n;k=1\r\n", "v", "[s]\r\na=1\r\nk=v\r\n;k=1\r\n"},
        {"new section after a last line without break", "[t]\r\nx=1", "v",
         "[t]\r\nx=1\r\n[s]\r\nk=v\r\n"},
        {"LF lines stay LF", "[s]\n a = 1 \nk=2\n[t]\nx=1\n", "9",
         "[s]\n a = 1 \nk=9\r\n[t]\nx=1\n"},
        {"CR lines stay CR", "[s]\rk=1\rb=2\r", "3", "[s]\rk=3\r\nb=2\r"},
        {"raw GBK section", "[" + kSh + "]\r\nk=1\r\n", " .5", "[" + kSh + "]\r\nk= .5\r\n", kSh},
        {"a folded twin is another section", "[" + kTrailA + "]\r\nk=1\r\n", "2",
         "[" + kTrailA + "]\r\nk=1\r\n[" + kTrailLowerA + "]\r\nk=2\r\n", kTrailLowerA},
        {"byte-order mark kept", kBom + "[s]\r\nk=1\r\n", "2", kBom + "[s]\r\nk=2\r\n"},
        {"section: keys without values go, comments stay where they stood",
         "[s]\r\n;top\r\nx=1\r\nstray\r\n;mid\r\ny=2\r\n\r\n[t]\r\n", "a=1|b=2|c=3",
         "[s]\r\n;top\r\na=1\r\nb=2\r\nc=3\r\n;mid\r\n\r\n[t]\r\n", "s", true},
        {"section: no lines empty it", "[s]\r\nx=1\r\n[t]\r\n", "", "[s]\r\n[t]\r\n", "s", true},
        {"section: only the first of two, any case", "[select]\r\nS=2\r\n[Select]\r\ny=2\r\n",
         "S= 1", "[select]\r\nS= 1\r\n[Select]\r\ny=2\r\n", "Select", true},
        {"section: appended after a last line without break", "[t]\r\nz=3", "a=1",
         "[t]\r\nz=3\r\n[s]\r\na=1\r\n", "s", true},
    };
    for (const auto& c : cases) {
        Profile p = Profile::Parse(c.before);
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < c.value.size();) {
            const std::size_t end = std::min(c.value.find('|', at), c.value.size());
            lines.push_back(c.value.substr(at, end - at));
            at = end + 1;
        }
        ASSERT_TRUE(c.wholeSection ? p.WriteSection(c.section, lines)
                                   : p.WriteKey(c.section, "k", c.value))
            << c.what;
        EXPECT_EQ(Hex(p.Bytes()), Hex(c.after)) << c.what;
    }
}

// A value or key that would break the file is refused, and the file stays as it was.
TEST(Profile, TextThatWouldBreakTheFileIsRefused) {
    const std::string before = "[s]\r\nk=0\r\n";
    // clang-format off
    const std::vector<std::string> refused[] = {
        {"s", "k", "1\r\n[x]"}, {"s", "k", "1\nk=2"}, {"s", "k\r", "1"}, {"s]\r\n[t", "k", "1"},
        {"s", "a=b", "1"}, {"s", "  ", "1"}, {"s", ";k", "1"}, {"s", "[k]", "1"},
    };
    // clang-format on
    for (const std::vector<std::string>& w : refused) {
        Profile p = Profile::Parse(before);
        EXPECT_FALSE(p.WriteKey(w[0], w[1], w[2])) << Hex(w[0] + "|" + w[1] + "|" + w[2]);
        EXPECT_EQ(p.Bytes(), before);
    }
    Profile p = Profile::Parse(before);
    EXPECT_FALSE(p.WriteSection("s", {"a=1", "b=2\r\n[x]"}));
    EXPECT_FALSE(p.WriteSection("s\n", {"a=1"}));
    EXPECT_EQ(p.Bytes(), before);
}

// A name written must read back under the same name, or the writer refuses it. Found by
// fuzzing: names with blanks around them, and a section ending in a GBK lead byte, which
// would swallow its own "]".
TEST(Profile, AKeyWrittenReadsBackUnderTheSameNames) {
    const struct {
        const char* what;
        std::string file, section, key;
        bool written;
        std::string after = {}; // the file's bytes after the write
    } cases[] = {
        {"a tab for a section, a tab after the key", "", "\t", "z\t", true, "[\t]\r\nz\t=v\r\n"},
        {"a blank before a key that is there", "[s]\r\nk=old\r\n", "s", " k", true,
         "[s]\r\n k=v\r\n"},
        {"blanks around a section that is there", "[s]\r\nk=old\r\n", " s ", "k", true,
         "[s]\r\nk=v\r\n"},
        {"a lead byte followed by a bracket is a character", "", "\x81]", "k", true,
         "[\x81]]\r\nk=v\r\n"},
        {"a section of one GBK lead byte", "", "\xB9", "k", false},
        {"a section ending in a lead byte", "[s]\r\n", "s\x81", "k", false},
        // A UTF-8 file takes UTF-8 names only: the lone byte would make it read as GBK.
        {"in UTF-8 a lone high byte is no text", kBom, "\xB9", "k", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Profile p = Profile::Parse(c.file), q = Profile::Parse(c.file);
        EXPECT_EQ(p.WriteKey(c.section, c.key, "v"), c.written);
        EXPECT_EQ(Hex(p.Bytes()), Hex(c.written ? c.after : c.file));
        EXPECT_EQ(q.WriteSection(c.section, {c.key + "=v"}), c.written);
        for (const Profile* r : {&p, &q}) {
            EXPECT_EQ(c.written ? r->ReadString(c.section, c.key, "missing", 255) : Hex(r->Bytes()),
                      c.written ? "v" : Hex(c.file));
        }
    }
}

} // namespace
} // namespace ym::profile
