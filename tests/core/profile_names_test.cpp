// Names a program passes to the profile writer must read back under the same name, or the
// writer must refuse them: found by fuzzing the writer with names taken from its input.
#include "core/profile_file.h"

#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ym::profile::Profile;
using ym::test::Hex;

struct NameCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    bool written;
    std::string after; // the file's bytes after the write
};

TEST(ProfileNames, AKeyWrittenReadsBackUnderTheSameNames) {
    const NameCase cases[] = {
        // Names with blanks around them are looked up as the file holds them: trimmed.
        {"a tab for a section, a tab after the key", "", "\t", "z\t", true, "[\t]\r\nz\t=v\r\n"},
        {"a blank before a key that is there", "[s]\r\nk=old\r\n", "s", " k", true,
         "[s]\r\n k=v\r\n"},
        {"blanks around a section that is there", "[s]\r\nk=old\r\n", " s ", "k", true,
         "[s]\r\nk=v\r\n"},
        // A section ending in a GBK lead byte would swallow its own "]".
        {"a section of one GBK lead byte", "", "\xB9", "k", false, ""},
        {"a section ending in a lead byte", "[s]\r\n", "s\x81", "k", false, "[s]\r\n"},
        {"a lead byte followed by a bracket is a character", "", "\x81]", "k", true,
         "[\x81]]\r\nk=v\r\n"},
        // A UTF-8 file takes UTF-8 names only: the lone byte would make it read as GBK.
        {"in UTF-8 a lone high byte is no text", "\xEF\xBB\xBF", "\xB9", "k", false,
         "\xEF\xBB\xBF"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.what);
        Profile p = Profile::Parse(c.file);
        EXPECT_EQ(p.WriteKey(c.section, c.key, "v"), c.written);
        EXPECT_EQ(Hex(p.Bytes()), Hex(c.after));
        if (c.written) {
            EXPECT_EQ(p.ReadString(c.section, c.key, "missing", 255), "v");
        }

        Profile q = Profile::Parse(c.file);
        EXPECT_EQ(q.WriteSection(c.section, {c.key + "=v"}), c.written);
        if (c.written) {
            EXPECT_EQ(q.ReadString(c.section, c.key, "missing", 255), "v");
        } else {
            EXPECT_EQ(Hex(q.Bytes()), Hex(c.file));
        }
    }
}

} // namespace
