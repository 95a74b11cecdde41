#include "core/settings_file.h"

#include "core/number_text.h"
#include "core/profile_file.h"
#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace ym::test;
using ym::SettingsMessage;

const std::string kSh = "\xC9\xCF\xBA\xA3"; // 上海
const std::string kSz = "\xC9\xEE\xDB\xDA"; // 深圳
const std::string kShUtf8 = "\xE4\xB8\x8A\xE6\xB5\xB7";
const std::string kSzUtf8 = "\xE6\xB7\xB1\xE5\x9C\xB3";

// A new settings file, byte for byte.
const std::string kShanghaiSection = "[" + kSh +
                                     "]\r\n"
                                     "A1=0.0035\r\nA2=10\r\nA3=0.004\r\nA4=0.001\r\nA5=1\r\n"
                                     "A6=0\r\nA7=0.002\r\nA8=5\r\nA9=0\r\nA10=0\r\n"
                                     "A11=0.0035\r\nA12=10\r\nA13=0\r\nA14=0.001\r\nA15=1\r\n"
                                     "A16=0\r\nA17=0.0025\r\nA18=5\r\nA19=0\r\nA20=0\r\n"
                                     "A21=0.0043\r\nA22=0\r\nA23=0.003\r\nA24=0.0005\r\n"
                                     "A25=0.000255\r\nA26=0.000045\r\nA27=0\r\n";
const std::string kShenzhenSection = "[" + kSz +
                                     "]\r\n"
                                     "B1=0.0035\r\nB2=5\r\nB3=0.004\r\nB4=0\r\nB5=0\r\n"
                                     "B6=0\r\nB7=0.002\r\nB8=5\r\nB9=0\r\nB10=0\r\n"
                                     "B11=0.003\r\nB12=5\r\nB13=0\r\nB14=0\r\nB15=0\r\n"
                                     "B16=0\r\nB17=0.0025\r\nB18=5\r\nB19=0\r\nB20=0\r\n"
                                     "B21=0.0043\r\nB22=0\r\nB23=0.003\r\nB24=0.0005\r\n"
                                     "B25=0.0003\r\nB26=0.000046\r\nB27=0\r\nB28=500\r\n";
const std::string kSelectSection = "[Select]\r\nSelect1=2\r\nSelect2=1\r\n";
const std::string kShowColorSection =
    "[SHOWCOLOR]\r\nColor= 0\r\nSColor1=&HFF8080\r\nSColor2=&H80000012\r\n"
    "SColor3=&H8000000E\r\nSColor4=&H8080FF\r\nSColor5=&HFFFF&\r\nSColor6=&H80FF80\r\n"
    "SColor7=&H80C0FF\r\nSColor8=&HFFFF00\r\nSColor9=&HFF&\r\nSColor10=&HFF8080\r\n";
const std::string kDefaultFile =
    kShanghaiSection + kShenzhenSection + kSelectSection + kShowColorSection;

// The same parameters as the program's number text writes them back.
const std::string kShanghaiSaved = "[" + kSh +
                                   "]\r\n"
                                   "A1= .0035\r\nA2= 10\r\nA3= .004\r\nA4= .001\r\nA5= 1\r\n"
                                   "A6= 0\r\nA7= .002\r\nA8= 5\r\nA9= 0\r\nA10= 0\r\n"
                                   "A11= .0035\r\nA12= 10\r\nA13= 0\r\nA14= .001\r\nA15= 1\r\n"
                                   "A16= 0\r\nA17= .0025\r\nA18= 5\r\nA19= 0\r\nA20= 0\r\n"
                                   "A21= .0043\r\nA22= 0\r\nA23= .003\r\nA24= .0005\r\n"
                                   "A25= .000255\r\nA26= 4.5E-05\r\nA27= 0\r\n";
const std::string kShenzhenSaved = "[" + kSz +
                                   "]\r\n"
                                   "B1= .0035\r\nB2= 5\r\nB3= .004\r\nB4= 0\r\nB5= 0\r\n"
                                   "B6= 0\r\nB7= .002\r\nB8= 5\r\nB9= 0\r\nB10= 0\r\n"
                                   "B11= .003\r\nB12= 5\r\nB13= 0\r\nB14= 0\r\nB15= 0\r\n"
                                   "B16= 0\r\nB17= .0025\r\nB18= 5\r\nB19= 0\r\nB20= 0\r\n"
                                   "B21= .0043\r\nB22= 0\r\nB23= .003\r\nB24= .0005\r\n"
                                   "B25= .0003\r\nB26= 4.6E-05\r\nB27= 0\r\nB28= 500\r\n";

const ym::ColorTable kScheme0 = {0x00FF8080, -2147483630, -2147483634, 0x008080FF, 0x0000FFFF,
                                 0x0080FF80, 0x0080C0FF,  0x00FFFF00,  0x000000FF, 0x00FF8080};

// The default file with each `from` replaced by its `to`, as the start-up read sees it.
ym::StoredSettings ReadEdited(std::initializer_list<std::pair<std::string, std::string>> edits) {
    std::string bytes = kDefaultFile;
    for (const auto& [from, to] : edits) {
        bytes = Replace(bytes, from, to);
    }
    TempDir dir;
    Put(dir.file(), bytes);
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    EXPECT_EQ(r.error, std::nullopt);
    return r.settings;
}

TEST(MessageText, ExactTexts) {
    const std::pair<SettingsMessage, const char*> cases[] = {
        {SettingsMessage::CreateShanghai, "  ## Error creat shanghai!6002-1"},
        {SettingsMessage::CreateShenzhen, "  ## Error creat shengzhen!6002-2"},
        {SettingsMessage::CreateSelect, "  ## Error creat select!6002-3"},
        {SettingsMessage::CreateShowColor, "  ## Error creat ShowColor!6002-4"},
        {SettingsMessage::ReadShanghai, "  ## Error read shanghai!6003-1"},
        {SettingsMessage::ReadShenzhen, "  ## Error read shenzhen!6003-2"},
        {SettingsMessage::ReadSelect1, "  ## Error read select1!6003-3"},
        {SettingsMessage::ReadSelect2, "  ## Error read select2!6003-4"},
        {SettingsMessage::ReadColor, "  ## Error read SHOWCOLOR!6003-5"},
        {SettingsMessage::ReadCustomColor, "  ## Error read SHOWCOLOR!6003-5-1"},
        {SettingsMessage::SaveSelect, "  ## Error save select!6004"},
        {SettingsMessage::ChangeShanghai, "  ## Error change shanghai!6005"},
        {SettingsMessage::ChangeShenzhen, "  ## Error change shenzhen!6005"},
        {SettingsMessage::SaveShowColor, "  ## Error save showcolor!6005-5"},
        {SettingsMessage::ChangeCustomColor, "  ## Error change showcolor!6005-5-1"},
        {SettingsMessage::SaveFeeRules, "  ## Error save feerules!6005-6"},
    };
    for (const auto& [message, text] : cases) {
        EXPECT_EQ(ym::MessageText(message), text);
    }
}

// What start-up tells the user about a damaged file: whole sections as ranges.
TEST(ParameterProblemsNotice, NamesTheKeysAsRanges) {
    std::vector<std::string> allOfThem;
    for (int i = 1; i <= 27; ++i) {
        allOfThem.push_back("A" + std::to_string(i));
    }
    for (int i = 1; i <= 28; ++i) {
        allOfThem.push_back("B" + std::to_string(i));
    }
    const struct {
        std::vector<std::string> missing, unreadable;
        const char* expected; // a part of the notice
    } cases[] = {
        {allOfThem, {}, "缺少费率参数 A1-A27, B1-B28,现按 -1 计算"},
        {{"A1", "A2", "A7", "A9", "A10", "A11", "B2"}, {}, "A1, A2, A7, A9-A11, B2,"},
        {{}, {"A3"}, "无法读取费率参数 A3,现按 0 计算"},
        {{"B28"}, {"A4", "B4"}, "B28,现按 -1 计算.\n  ** 设置文件中无法读取费率参数 A4, B4,"},
    };
    for (const auto& c : cases) {
        const std::string notice = ym::ParameterProblemsNotice(c.missing, c.unreadable);
        EXPECT_NE(notice.find(c.expected), std::string::npos) << notice;
        EXPECT_NE(notice.find("参数设置"), std::string::npos) << notice;
    }
    EXPECT_EQ(ym::ParameterProblemsNotice({}, {}), "");
}

TEST(SettingsPath, OneSeparatorInTheCurrentDirectory) {
    EXPECT_EQ(ym::SettingsPath("C:\\dir", '\\'), "C:\\dir\\Yuanmate5.ini");
    EXPECT_EQ(ym::SettingsPath("D:\\股票\\", '\\'), "D:\\股票\\Yuanmate5.ini");
    EXPECT_EQ(ym::SettingsPath("/", '/'), "/Yuanmate5.ini");
    TempDir dir;
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const fs::path p = ym::SettingsPathInCurrentDirectory();
    fs::current_path(before);
    EXPECT_EQ(p.string(), dir.path().string() + "/Yuanmate5.ini");
}

// ---------------------------------------------------------------------------------------
// Creation

TEST(EnsureSettingsFile, CreatesTheDefaultFileAndItReadsAsTheDefaults) {
    EXPECT_EQ(Hex(ym::DefaultSettingsBytes()), Hex(kDefaultFile));
    TempDir dir;
    EXPECT_EQ(ym::EnsureSettingsFile(dir.file()), std::nullopt);
    EXPECT_EQ(Hex(Get(dir.file())), Hex(kDefaultFile));
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"Yuanmate5.ini"});

    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    ASSERT_EQ(r.error, std::nullopt);
    EXPECT_EQ(r.settings.Select1, 2);
    EXPECT_EQ(r.settings.Select2, 1);
    EXPECT_EQ(r.settings.scheme.Color, 0);
    EXPECT_EQ(r.settings.scheme.CurColor, kScheme0);
    EXPECT_EQ(r.settings.scheme.CustomColor, kScheme0);
    EXPECT_EQ(r.settings.parameters.shanghai[25], 0.000045);
    EXPECT_EQ(r.settings.parameters.shenzhen[27], 500);
}

TEST(EnsureSettingsFile, NeverRepairsAnExistingFile) {
    for (const std::string bytes : {"", "[Select]\r\nSelect1=1\r\n", "garbage\n\x81"}) {
        TempDir dir;
        Put(dir.file(), bytes);
        EXPECT_EQ(ym::EnsureSettingsFile(dir.file()), std::nullopt);
        EXPECT_EQ(Get(dir.file()), bytes);
    }
}

// A failed creation leaves no file, and the message names the first section not written
// in full: the folder takes no file (nullopt), or the disk fills up after `room` bytes.
TEST(EnsureSettingsFile, FailureLeavesNoFileAndNamesTheFirstSectionNotWritten) {
    const std::size_t sh = kShanghaiSection.size();
    const std::size_t sz = kShenzhenSection.size();
    const std::size_t sel = kSelectSection.size();
    const struct {
        std::optional<std::size_t> room;
        SettingsMessage expected;
    } cases[] = {
        {std::nullopt, SettingsMessage::CreateShanghai},
        {1, SettingsMessage::CreateShanghai},
        {sh - 1, SettingsMessage::CreateShanghai},
        {sh, SettingsMessage::CreateShenzhen},
        {sh + sz, SettingsMessage::CreateSelect},
        {sh + sz + sel - 1, SettingsMessage::CreateSelect},
        {sh + sz + sel, SettingsMessage::CreateShowColor},
        {kDefaultFile.size() - 1, SettingsMessage::CreateShowColor},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.room.value_or(0));
        TempDir dir;
        std::optional<SettingsMessage> result;
        if (c.room) {
            FileSizeLimit limit(*c.room);
            result = ym::EnsureSettingsFile(dir.file());
        } else {
            fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
            result = ym::EnsureSettingsFile(dir.file());
            fs::permissions(dir.path(), fs::perms::owner_all);
        }
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{});
    }
}

// ---------------------------------------------------------------------------------------
// Reading

// The forms the hand-edited file below does not show.
TEST(ReadSettings, ParameterIsTheLeadingNumberOfItsText) {
    const std::pair<const char*, double> cases[] = {
        {"A1=12abc\r\n", 12}, {"A1=\r\n", 0}, {"a1 = 2\r\n", 2}, {"A1\r\n", -1}, {"", -1}};
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line);
        const ym::StoredSettings s = ReadEdited({{"A1=0.0035\r\n", line}});
        EXPECT_EQ(s.parameters.shanghai[0], expected);
        EXPECT_EQ(s.parameters.shanghai[1], 10); // its neighbour is untouched
    }
}

// Half rounds to even; outside sixteen bits the fall-back is 1, a missing key reads -1.
TEST(ReadSettings, SelectionRoundsAndFallsBack) {
    const std::pair<const char*, std::int16_t> cases[] = {
        {"Select2=2.5\r\n", 2},       {"Select2=3.5\r\n", 4},           {"", -1},
        {"Select2=32767\r\n", 32767}, {"Select2=-32768.5\r\n", -32768}, {"Select2=32767.5\r\n", 1},
        {"Select2=-32769\r\n", 1},    {"Select2=1e400\r\n", 1},         {"Select2=&HFFFF\r\n", -1}};
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line);
        const ym::StoredSettings s = ReadEdited({{"Select2=1\r\n", line}});
        EXPECT_EQ(s.Select2, expected);
        EXPECT_EQ(s.Select1, 2);
    }
}

TEST(ReadSettings, SchemeNumber) {
    // Outside sixteen bits: the default scheme.
    ym::StoredSettings s = ReadEdited({{"Color= 0", "Color=70000"}});
    EXPECT_EQ(s.scheme.Color, 0);
    EXPECT_EQ(s.scheme.CurColor, kScheme0);
    // Missing: every slot black.
    s = ReadEdited({{"Color= 0\r\n", ""}});
    EXPECT_EQ(s.scheme.Color, -1);
    EXPECT_EQ(s.scheme.CurColor, ym::ColorTable{});
    EXPECT_EQ(s.scheme.CustomColor, ym::ColorTable{});
    // A preset ignores the stored colours.
    s = ReadEdited({{"Color= 0", "Color= 2"}});
    EXPECT_EQ(s.scheme.Color, 2);
    EXPECT_EQ(s.scheme.CurColor[0], 0x00C0C0C0);
    EXPECT_EQ(s.scheme.CurColor[3], 0x000000C0);
    EXPECT_EQ(s.scheme.CustomColor, s.scheme.CurColor);
}

// Slot 4 of the default scheme is 0x0000FFFF; a fallback shows as that.
TEST(ReadSettings, CustomColourTextAndItsFallBack) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"&H7FFF", 0x00007FFF},     {"&H80FF", 0x0000FFFF}, // 16 bits: -32513
        {"&H80FF&", 0x000080FF},    {"&H80000012", -2147483630}, {"0", 0},
        {"&H1000000", 0x0000FFFF},  // top byte set
        {"&H80000100", 0x0000FFFF}, // no such system colour
        {"4294967296", 0x0000FFFF}, // beyond 32 bits
        {"1e400", 0x0000FFFF},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const ym::StoredSettings s = ReadEdited(
            {{"Color= 0", "Color= 4"}, {"SColor5=&HFFFF&", std::string("SColor5=") + text}});
        EXPECT_EQ(s.scheme.Color, 4);
        EXPECT_EQ(s.scheme.CurColor[4], expected);
        EXPECT_EQ(s.scheme.CustomColor[4], expected);
        EXPECT_EQ(s.scheme.CurColor[1], -2147483630);
    }
}

TEST(ReadSettings, UnreadableFileFailsOnTheFirstReadAndDropsEverything) {
    TempDir dir;
    const fs::path locked = dir.path() / "locked.ini";
    Put(locked, kDefaultFile);
    fs::permissions(locked, fs::perms::owner_write);
    fs::create_directory(dir.file());
    for (const fs::path& file : {dir.file(), locked}) {
        SCOPED_TRACE(file);
        const ym::SettingsRead r = ym::ReadSettings(file);
        EXPECT_EQ(r.error, SettingsMessage::ReadSelect1);
        EXPECT_EQ(r.settings.Select1, 0);
        EXPECT_EQ(r.settings.parameters.shanghai[0], 0);
        EXPECT_EQ(r.settings.scheme.CurColor, ym::ColorTable{});
    }
}

// A file edited by hand: LF line ends, comments, blanks, quotes, hexadecimal and
// exponent forms, a value of 300 bytes, section names in other letter case, and
// sections this program does not know, among them two GBK names that differ only in
// the case of their trail byte.
const std::string kHandEdited =
    "; edited by hand\n[\x81\x41]\nSelect1=1\n[select]\n Select1 = 1 \nSelect2=3.5\n\n"
    "[Showcolor]\n; 4 is the custom scheme\nColor=4\nSColor1=&HFF8080\nscolor2=16744576\n"
    "SColor5=&HFFFF\nSColor10=-2147483630\n[" +
    kSh +
    "]\nA1= .005\nA2=5%\nA3=3.5E-03\n"
    "A4=\".001\"\nA5= .005" +
    std::string(292, ' ') + "7\n[\x81\x61]\nA6=9\n[" + kSz + "]\nb1=&H10\nB28=1000\n";

TEST(HandEditedFile, ReadsEveryForm) {
    TempDir dir;
    Put(dir.file(), kHandEdited);
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    ASSERT_EQ(r.error, std::nullopt);
    const ym::StoredSettings& s = r.settings;
    EXPECT_EQ(s.Select1, 1);
    EXPECT_EQ(s.Select2, 4);
    EXPECT_EQ(s.scheme.Color, 4);
    ym::ColorTable colors = kScheme0; // missing and unusable slots
    colors[0] = 0x00FF8080;
    colors[1] = 0x00FF8080;
    colors[9] = -2147483630;
    EXPECT_EQ(s.scheme.CurColor, colors);
    EXPECT_EQ(s.scheme.CustomColor, colors);
    const double shanghai[6] = {0.005, 5, 0.0035, 0.001, 0.005, -1};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(s.parameters.shanghai[i], shanghai[i]) << "A" << i + 1;
    }
    for (int i = 6; i < 27; ++i) {
        EXPECT_EQ(s.parameters.shanghai[i], -1) << "A" << i + 1;
    }
    EXPECT_EQ(s.parameters.shenzhen[0], 16);
    EXPECT_EQ(s.parameters.shenzhen[1], -1);
    EXPECT_EQ(s.parameters.shenzhen[27], 1000);
}

TEST(HandEditedFile, SavingTheSelectionChangesOnlyItsSection) {
    TempDir dir;
    Put(dir.file(), kHandEdited);
    ASSERT_EQ(ym::SaveSelection(dir.file(), 1, 5), std::nullopt);
    const std::string expected =
        Replace(kHandEdited, " Select1 = 1 \nSelect2=3.5\n", "Select1= 1\r\nSelect2= 5\r\n");
    EXPECT_EQ(Hex(Get(dir.file())), Hex(expected));
}

TEST(HandEditedFile, WritingOneKeyChangesOnlyThatLine) {
    TempDir dir;
    Put(dir.file(), kHandEdited);
    ASSERT_TRUE(ym::profile::WriteKey(dir.file(), ym::kSectionShanghai, "A2", " 6"));
    EXPECT_EQ(Hex(Get(dir.file())), Hex(Replace(kHandEdited, "A2=5%\n", "A2= 6\r\n")));
    ASSERT_TRUE(ym::profile::WriteKey(dir.file(), ym::kSectionShanghai, "A6", " 7"));
    EXPECT_EQ(Hex(Get(dir.file())), Hex(Replace(Replace(kHandEdited, "A2=5%\n", "A2= 6\r\n"),
                                                "7\n[\x81\x61]", "7\nA6= 7\r\n[\x81\x61]")));
}

// ---------------------------------------------------------------------------------------
// Saving

TEST(SaveSelection, RewritesTheSelectSectionOrFailsAndKeepsTheFile) {
    TempDir dir;
    Put(dir.file(), kDefaultFile);
    ASSERT_EQ(ym::SaveSelection(dir.file(), -1, -1), std::nullopt);
    const std::string saved =
        Replace(kDefaultFile, "Select1=2\r\nSelect2=1\r\n", "Select1=-1\r\nSelect2=-1\r\n");
    EXPECT_EQ(Hex(Get(dir.file())), Hex(saved));
    fs::permissions(dir.file(), fs::perms::owner_read);
    EXPECT_EQ(ym::SaveSelection(dir.file(), 1, 5), SettingsMessage::SaveSelect);
    EXPECT_EQ(Get(dir.file()), saved);
}

TEST(SaveParameters, PresetSchemeLeavesOnlyTheColorLine) {
    TempDir dir;
    Put(dir.file(), kDefaultFile);
    ym::DisplayScheme scheme;
    scheme.SetFromSaved(2);
    ASSERT_EQ(ym::SaveParameters(dir.file(), ym::FeeParameters::Defaults(), scheme), std::nullopt);
    EXPECT_EQ(Hex(Get(dir.file())), Hex(kShanghaiSaved + kShenzhenSaved + kSelectSection +
                                        "[SHOWCOLOR]\r\nColor= 2\r\n"));
}

TEST(SaveParameters, CustomSchemeWritesSignedDecimalColours) {
    TempDir dir;
    Put(dir.file(), kDefaultFile);
    ym::DisplayScheme scheme;
    scheme.CustomColor = kScheme0;
    scheme.CustomColor[3] = 0x00112233;
    scheme.SetFromSaved(4);
    ym::FeeParameters p = ym::FeeParameters::Defaults();
    p.shanghai[0] = 0.005;
    p.shenzhen[27] = 250;
    ASSERT_EQ(ym::SaveParameters(dir.file(), p, scheme), std::nullopt);
    const std::string expected =
        Replace(kShanghaiSaved, "A1= .0035", "A1= .005") +
        Replace(kShenzhenSaved, "B28= 500", "B28= 250") + kSelectSection +
        "[SHOWCOLOR]\r\nColor= 4\r\nSColor1= 16744576\r\nSColor2=-2147483630\r\n"
        "SColor3=-2147483634\r\nSColor4= 1122867\r\nSColor5= 65535\r\nSColor6= 8454016\r\n"
        "SColor7= 8438015\r\nSColor8= 16776960\r\nSColor9= 255\r\nSColor10= 16744576\r\n";
    EXPECT_EQ(Hex(Get(dir.file())), Hex(expected));

    // And the start-up read gives back what was saved.
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    ASSERT_EQ(r.error, std::nullopt);
    EXPECT_EQ(r.settings.parameters.shanghai, p.shanghai);
    EXPECT_EQ(r.settings.parameters.shenzhen, p.shenzhen);
    EXPECT_EQ(r.settings.scheme.Color, 4);
    EXPECT_EQ(r.settings.scheme.CurColor, scheme.CustomColor);
}

// The custom colours of scheme 0 as the dialog saves them: signed decimal integers.
const std::string kScheme0Saved =
    "SColor1= 16744576\r\nSColor2=-2147483630\r\nSColor3=-2147483634\r\nSColor4= 8421631\r\n"
    "SColor5= 65535\r\nSColor6= 8454016\r\nSColor7= 8438015\r\nSColor8= 16776960\r\n"
    "SColor9= 255\r\nSColor10= 16744576\r\n";

// A save that fails leaves the file as it was, and its message names the first item, in
// the order A1..A27, B1..B28, Color, SColor1..10, whose line was not written in full.
// A file that cannot be written at all fails on A1. From an empty file the save appends
// every section, so the disk filling up after `room` bytes stops inside a known line.
TEST(SaveParameters, FailureChangesNothingAndNamesTheFirstItemNotWritten) {
    enum class Obstacle { FullDisk, ReadOnlyFile, ReadOnlyFolder };
    const std::size_t sh = kShanghaiSaved.size();
    const std::size_t sz = kShenzhenSaved.size();
    const std::size_t color = std::string("[SHOWCOLOR]\r\nColor= 4\r\n").size();
    const std::size_t all = sh + sz + color + kScheme0Saved.size();
    const struct {
        Obstacle obstacle;
        std::string before;
        std::size_t room;
        SettingsMessage expected;
    } cases[] = {
        {Obstacle::ReadOnlyFile, kHandEdited, 0, SettingsMessage::ChangeShanghai},
        {Obstacle::ReadOnlyFolder, kHandEdited, 0, SettingsMessage::ChangeShanghai},
        {Obstacle::FullDisk, "", 1, SettingsMessage::ChangeShanghai},
        {Obstacle::FullDisk, "", sh - 1, SettingsMessage::ChangeShanghai},
        {Obstacle::FullDisk, "", sh, SettingsMessage::ChangeShenzhen},
        {Obstacle::FullDisk, "", sh + sz, SettingsMessage::SaveShowColor},
        {Obstacle::FullDisk, "", sh + sz + color - 1, SettingsMessage::SaveShowColor},
        {Obstacle::FullDisk, "", sh + sz + color, SettingsMessage::ChangeCustomColor},
        {Obstacle::FullDisk, "", all - 1, SettingsMessage::ChangeCustomColor},
    };
    ym::DisplayScheme scheme;
    scheme.CustomColor = kScheme0;
    scheme.SetFromSaved(4);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.obstacle) << " " << c.room);
        TempDir dir;
        Put(dir.file(), c.before);
        std::optional<SettingsMessage> result;
        switch (c.obstacle) {
        case Obstacle::FullDisk: {
            FileSizeLimit limit(c.room);
            result = ym::SaveParameters(dir.file(), ym::FeeParameters::Defaults(), scheme);
            break;
        }
        case Obstacle::ReadOnlyFile:
            fs::permissions(dir.file(), fs::perms::owner_read);
            result = ym::SaveParameters(dir.file(), ym::FeeParameters::Defaults(), scheme);
            break;
        case Obstacle::ReadOnlyFolder:
            fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
            result = ym::SaveParameters(dir.file(), ym::FeeParameters::Defaults(), scheme);
            fs::permissions(dir.path(), fs::perms::owner_all);
            break;
        }
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(Hex(Get(dir.file())), Hex(c.before));
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"Yuanmate5.ini"});
    }
    // With room for all of it, the same save succeeds and takes exactly that room.
    TempDir dir;
    Put(dir.file(), "");
    {
        FileSizeLimit limit(all);
        ASSERT_EQ(ym::SaveParameters(dir.file(), ym::FeeParameters::Defaults(), scheme),
                  std::nullopt);
    }
    EXPECT_EQ(Hex(Get(dir.file())),
              Hex(kShanghaiSaved + kShenzhenSaved + "[SHOWCOLOR]\r\nColor= 4\r\n" + kScheme0Saved));
}

// The dialog's save as it was once done: every item a write of its own, each write a
// fresh parse of the file's bytes, one edit, and the bytes written back.
std::string SaveKeyByKey(std::string bytes, const ym::FeeParameters& p,
                         const ym::DisplayScheme& scheme) {
    const auto write = [&bytes](const auto& edit) {
        ym::profile::Profile file = ym::profile::Profile::Parse(bytes);
        EXPECT_TRUE(edit(file));
        bytes = file.Bytes();
    };
    const bool gbk = ym::profile::Profile::Parse(bytes).encoding() == ym::profile::Encoding::Gbk;
    for (std::size_t i = 0; i < p.shanghai.size(); ++i) {
        write([&](ym::profile::Profile& f) {
            return f.WriteKey(gbk ? kSh : kShUtf8, "A" + std::to_string(i + 1),
                              ym::Str(p.shanghai[i]));
        });
    }
    for (std::size_t i = 0; i < p.shenzhen.size(); ++i) {
        write([&](ym::profile::Profile& f) {
            return f.WriteKey(gbk ? kSz : kSzUtf8, "B" + std::to_string(i + 1),
                              ym::Str(p.shenzhen[i]));
        });
    }
    write([&](ym::profile::Profile& f) {
        return f.WriteSection("SHOWCOLOR", {"Color=" + ym::Str(scheme.Color)});
    });
    if (scheme.Color == 4) {
        for (std::size_t k = 0; k < scheme.CustomColor.size(); ++k) {
            write([&](ym::profile::Profile& f) {
                return f.WriteKey("SHOWCOLOR", "SColor" + std::to_string(k + 1),
                                  ym::Str(scheme.CustomColor[k]));
            });
        }
    }
    return bytes;
}

// The one write of the save leaves the bytes of the writes one by one, on files edited
// by hand in every way a file can differ from a new one.
TEST(SaveParameters, OneWriteLeavesTheBytesOfTheWritesOneByOne) {
    const std::pair<const char*, std::string> files[] = {
        {"new file", kDefaultFile},
        {"hand-edited", kHandEdited},
        {"empty", ""},
        {"BOM, CR lines, sections reordered, no last break",
         "\xEF\xBB\xBF[showcolor]\rColor=1\r; keep\rSColor3=&HFF&\r[" + kSzUtf8 + "]\rb28=1\r[" +
             kShUtf8 + "]\r A27 = 2 "},
        {"duplicate sections and keys, blank lines and comments at section ends",
         "[" + kSh + "]\r\nA1=1\r\na1=2\r\n\r\n; next\r\n[" + kSh +
             "]\r\nA2=3\r\n[SHOWCOLOR]\r\nColor=4\r\nSColor1=5\r\n[SHOWCOLOR]\r\nSColor2=6\r\n"},
        {"keys before the first header, keys without a value, a lone bracket",
         "A1=9\nSColor1=1\n[" + kSh + "]\nA1\n[A3=1\n  a2 = 7 \n[Select]\nSelect1=1\n"},
    };
    ym::FeeParameters parameters = ym::FeeParameters::Defaults();
    parameters.shanghai[0] = 0.005;
    parameters.shanghai[26] = -1;
    parameters.shenzhen[27] = 1e-7;
    for (const std::int16_t number : {2, 4}) {
        ym::DisplayScheme scheme;
        scheme.CustomColor = kScheme0;
        scheme.CustomColor[3] = 0x00112233;
        scheme.SetFromSaved(number);
        for (const auto& [what, bytes] : files) {
            SCOPED_TRACE(testing::Message() << what << ", scheme " << number);
            TempDir dir;
            Put(dir.file(), bytes);
            ASSERT_EQ(ym::SaveParameters(dir.file(), parameters, scheme), std::nullopt);
            EXPECT_EQ(Hex(Get(dir.file())), Hex(SaveKeyByKey(bytes, parameters, scheme)));
            EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"Yuanmate5.ini"});
        }
    }
}

ym::FeeModelSettings OfficialModel() {
    ym::FeeModelSettings model;
    model.model = ym::FeeModel::Official;
    model.terms.commissionRate = 0.0001;
    model.terms.minimumWaived = true;
    return model;
}

// With the fee model the one write leaves the bytes of the parameters' save followed by
// the section's own save; the file of a user who never chose the official model keeps the
// bytes of the parameters' save alone.
TEST(SaveParameters, FeeModelSectionGoesIntoTheSameWrite) {
    ym::FeeModelSettings backToClassic = OfficialModel();
    backToClassic.model = ym::FeeModel::Classic;
    const struct {
        const char* what;
        std::string before;
        ym::FeeModelSettings model;
        bool written;
    } cases[] = {
        {"classic user, new file", kDefaultFile, {}, false},
        {"classic user, hand-edited", kHandEdited, {}, false},
        {"classic user, empty file", "", {}, false},
        {"official chosen", kDefaultFile, OfficialModel(), true},
        {"official chosen, hand-edited", kHandEdited, OfficialModel(), true},
        {"back to classic keeps the terms",
         kDefaultFile + "[FEERULES]\r\nModel=official\r\n; mine\r\nCommissionRate= .0003\r\n",
         backToClassic, true},
        {"section first, its name in lower case, LF lines",
         "[feerules]\nModel=classic\nNoMinimum=0\n" + kHandEdited, OfficialModel(), true},
    };
    ym::FeeParameters parameters = ym::FeeParameters::Defaults();
    parameters.shanghai[0] = 0.005;
    ym::DisplayScheme scheme;
    scheme.SetFromSaved(2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir together, apart;
        Put(together.file(), c.before);
        Put(apart.file(), c.before);
        ASSERT_EQ(ym::SaveParameters(together.file(), parameters, scheme, c.model), std::nullopt);
        ASSERT_EQ(ym::SaveParameters(apart.file(), parameters, scheme), std::nullopt);
        const std::string parametersOnly = Get(apart.file());
        ASSERT_TRUE(ym::SaveFeeModel(apart.file(), c.model));
        EXPECT_EQ(Hex(Get(together.file())), Hex(Get(apart.file())));
        EXPECT_EQ(Get(together.file()) == parametersOnly, !c.written);
        const ym::SettingsRead r = ym::ReadSettings(together.file());
        EXPECT_EQ(r.settings.feeModel.settings, c.model);
        EXPECT_TRUE(r.settings.feeModel.problems.empty());
        EXPECT_EQ(Listing(together.path()), std::vector<std::string>{"Yuanmate5.ini"});
    }
}

// The section is the last item of the save: a disk that fills up inside it names it, after
// every classic item written in full, and leaves the file as it was.
TEST(SaveParameters, FailureInTheFeeModelSectionNamesItLast) {
    ym::DisplayScheme scheme;
    scheme.SetFromSaved(2);
    const std::size_t classic = kShanghaiSaved.size() + kShenzhenSaved.size() +
                                std::string("[SHOWCOLOR]\r\nColor= 2\r\n").size();
    std::size_t section = std::string("[FEERULES]\r\n").size();
    for (const std::string& line : ym::FeeModelLines(OfficialModel())) {
        section += line.size() + 2;
    }
    const std::pair<std::size_t, std::optional<SettingsMessage>> cases[] = {
        {classic - 1, SettingsMessage::SaveShowColor},
        {classic, SettingsMessage::SaveFeeRules},
        {classic + section - 1, SettingsMessage::SaveFeeRules},
        {classic + section, std::nullopt},
    };
    for (const auto& [room, expected] : cases) {
        SCOPED_TRACE(room);
        TempDir dir;
        Put(dir.file(), "");
        std::optional<SettingsMessage> result;
        {
            FileSizeLimit limit(room);
            result = ym::SaveParameters(dir.file(), ym::FeeParameters::Defaults(), scheme,
                                        OfficialModel());
        }
        EXPECT_EQ(result, expected);
        EXPECT_EQ(Get(dir.file()).size(), expected ? 0 : room);
    }
}

// ---------------------------------------------------------------------------------------
// Things of that name that are no settings file

// Each gives its message at once: opening a FIFO waits for a writer, a link to /dev/zero
// reads without end. Nothing is created over them, and they are left as they were.
TEST(HostileFile, EveryOperationGivesItsMessageWithoutBlocking) {
    const std::string oversized =
        kDefaultFile + ";" + std::string(ym::profile::kMaxFileSize - kDefaultFile.size(), 'x');
    const struct {
        const char* what;
        void (*make)(const fs::path& file, const std::string& oversized);
        bool regular;
    } cases[] = {
        {"FIFO",
         [](const fs::path& f, const std::string&) { ASSERT_EQ(mkfifo(f.c_str(), 0666), 0); },
         false},
        {"link to /dev/zero",
         [](const fs::path& f, const std::string&) { fs::create_symlink("/dev/zero", f); }, false},
        {"link to a FIFO",
         [](const fs::path& f, const std::string&) {
             ASSERT_EQ(mkfifo((f.parent_path() / "fifo").c_str(), 0666), 0);
             fs::create_symlink("fifo", f);
         },
         false},
        {"folder", [](const fs::path& f, const std::string&) { fs::create_directory(f); }, false},
        {"one byte over the size limit",
         [](const fs::path& f, const std::string& bytes) { Put(f, bytes); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path file = dir.file();
        c.make(file, oversized);
        const fs::file_type type = fs::symlink_status(file).type();
        const std::vector<std::string> listing = Listing(dir.path());

        EXPECT_EQ(ReturnsInTime([file] { return ym::profile::Inspect(file); }),
                  ym::profile::FileState::Unreadable);
        // A regular file is left for the read to refuse; anything else cannot be created over.
        const std::optional<SettingsMessage> created =
            c.regular ? std::nullopt : std::optional(SettingsMessage::CreateShanghai);
        EXPECT_EQ(ReturnsInTime([file] { return ym::EnsureSettingsFile(file); }),
                  std::optional<std::optional<SettingsMessage>>(created));
        EXPECT_EQ(ReturnsInTime([file] { return ym::ReadSettings(file).error; }),
                  SettingsMessage::ReadSelect1);
        EXPECT_EQ(ReturnsInTime([file] { return ym::SaveSelection(file, 1, 1); }),
                  SettingsMessage::SaveSelect);
        EXPECT_EQ(ReturnsInTime([file] {
                      return ym::SaveParameters(file, ym::FeeParameters::Defaults(), {});
                  }),
                  SettingsMessage::ChangeShanghai);

        EXPECT_EQ(fs::symlink_status(file).type(), type);
        EXPECT_EQ(Listing(dir.path()), listing);
        if (c.regular) {
            EXPECT_EQ(Get(file), oversized);
        }
    }
}

} // namespace
