#include "core/settings_file.h"

#include "core/profile_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using ym::SettingsMessage;

const std::string kSh = "\xC9\xCF\xBA\xA3"; // 上海
const std::string kSz = "\xC9\xEE\xDB\xDA"; // 深圳

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
        std::string tmpl = (fs::temp_directory_path() / "ym_settings_XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (const auto& e : fs::recursive_directory_iterator(path_, ec)) {
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path file() const { return path_ / "Yuanmate5.ini"; }

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

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    const auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) {
        s.replace(at, from.size(), to);
    }
    return s;
}

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

// ---------------------------------------------------------------------------------------

struct MessageCase {
    SettingsMessage message;
    const char* text;
};

class MessageTextTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MessageTextTest, ExactText) {
    EXPECT_EQ(ym::MessageText(GetParam().message), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    All, MessageTextTest,
    ::testing::Values(
        MessageCase{SettingsMessage::CreateShanghai, "  ## Error creat shanghai!6002-1"},
        MessageCase{SettingsMessage::CreateShenzhen, "  ## Error creat shengzhen!6002-2"},
        MessageCase{SettingsMessage::CreateSelect, "  ## Error creat select!6002-3"},
        MessageCase{SettingsMessage::CreateShowColor, "  ## Error creat ShowColor!6002-4"},
        MessageCase{SettingsMessage::ReadShanghai, "  ## Error read shanghai!6003-1"},
        MessageCase{SettingsMessage::ReadShenzhen, "  ## Error read shenzhen!6003-2"},
        MessageCase{SettingsMessage::ReadSelect1, "  ## Error read select1!6003-3"},
        MessageCase{SettingsMessage::ReadSelect2, "  ## Error read select2!6003-4"},
        MessageCase{SettingsMessage::ReadColor, "  ## Error read SHOWCOLOR!6003-5"},
        MessageCase{SettingsMessage::ReadCustomColor, "  ## Error read SHOWCOLOR!6003-5-1"},
        MessageCase{SettingsMessage::SaveSelect, "  ## Error save select!6004"},
        MessageCase{SettingsMessage::ChangeShanghai, "  ## Error change shanghai!6005"},
        MessageCase{SettingsMessage::ChangeShenzhen, "  ## Error change shenzhen!6005"},
        MessageCase{SettingsMessage::SaveShowColor, "  ## Error save showcolor!6005-5"},
        MessageCase{SettingsMessage::ChangeCustomColor, "  ## Error change showcolor!6005-5-1"}));

struct PathCase {
    const char* directory;
    char separator;
    const char* expected;
};

class SettingsPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(SettingsPathTest, OneSeparator) {
    const PathCase& c = GetParam();
    EXPECT_EQ(ym::SettingsPath(c.directory, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Folders, SettingsPathTest,
                         ::testing::Values(PathCase{"C:\\dir", '\\', "C:\\dir\\Yuanmate5.ini"},
                                           PathCase{"C:\\", '\\', "C:\\Yuanmate5.ini"},
                                           PathCase{"D:\\股票\\", '\\', "D:\\股票\\Yuanmate5.ini"},
                                           PathCase{"/home/trader", '/',
                                                    "/home/trader/Yuanmate5.ini"},
                                           PathCase{"/", '/', "/Yuanmate5.ini"}));

TEST(SettingsPath, CurrentDirectoryIsUsedNotTheProgramsFolder) {
    TempDir dir;
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const fs::path p = ym::SettingsPathInCurrentDirectory();
    fs::current_path(before);
    EXPECT_EQ(p, dir.path() / "Yuanmate5.ini");
    EXPECT_EQ(p.string(), dir.path().string() + "/Yuanmate5.ini");
}

// ---------------------------------------------------------------------------------------
// Creation

TEST(DefaultSettings, BytesOfANewFile) {
    EXPECT_EQ(Hex(ym::DefaultSettingsBytes()), Hex(kDefaultFile));
}

TEST(EnsureSettingsFile, CreatesTheDefaultFileInAnEmptyFolder) {
    TempDir dir;
    EXPECT_EQ(ym::EnsureSettingsFile(dir.file()), std::nullopt);
    EXPECT_EQ(Hex(Get(dir.file())), Hex(kDefaultFile));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(EnsureSettingsFile, NeverRepairsAnExistingFile) {
    const std::string existing[] = {"", "[Select]\r\nSelect1=1\r\n", "garbage\n\x81"};
    for (const std::string& bytes : existing) {
        TempDir dir;
        Put(dir.file(), bytes);
        EXPECT_EQ(ym::EnsureSettingsFile(dir.file()), std::nullopt);
        EXPECT_EQ(Get(dir.file()), bytes);
    }
}

TEST(EnsureSettingsFile, UnwritableFolderFailsOnTheFirstSection) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ym::EnsureSettingsFile(dir.file()), SettingsMessage::CreateShanghai);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(dir.file()));
}

TEST(EnsureSettingsFile, AFolderOfThatNameIsNoFile) {
    TempDir dir;
    fs::create_directory(dir.file());
    EXPECT_EQ(ym::EnsureSettingsFile(dir.file()), SettingsMessage::CreateShanghai);
}

// A disk that fills up after k sections: the message names section k + 1 and the file
// holds the k sections written so far.
struct CreationFailureCase {
    std::size_t sectionsThatFit;
    SettingsMessage expected;
};

class CreationFailureTest : public ::testing::TestWithParam<CreationFailureCase> {};

TEST_P(CreationFailureTest, StopsAtTheFirstFailedSection) {
    const CreationFailureCase& c = GetParam();
    const std::string sections[] = {kShanghaiSection, kShenzhenSection, kSelectSection,
                                    kShowColorSection};
    std::string fits;
    for (std::size_t i = 0; i < c.sectionsThatFit; ++i) {
        fits += sections[i];
    }
    TempDir dir;
    std::optional<SettingsMessage> result;
    {
        FileSizeLimit limit(fits.empty() ? 1 : fits.size());
        result = ym::EnsureSettingsFile(dir.file());
    }
    EXPECT_EQ(result, c.expected);
    if (c.sectionsThatFit == 0) {
        EXPECT_FALSE(fs::exists(dir.file()));
    } else {
        EXPECT_EQ(Hex(Get(dir.file())), Hex(fits));
    }
}

INSTANTIATE_TEST_SUITE_P(Sections, CreationFailureTest,
                         ::testing::Values(CreationFailureCase{0, SettingsMessage::CreateShanghai},
                                           CreationFailureCase{1, SettingsMessage::CreateShenzhen},
                                           CreationFailureCase{2, SettingsMessage::CreateSelect},
                                           CreationFailureCase{3,
                                                               SettingsMessage::CreateShowColor}));

// ---------------------------------------------------------------------------------------
// Reading

TEST(ReadSettings, FreshStartGivesTheDefaults) {
    TempDir dir;
    ASSERT_EQ(ym::EnsureSettingsFile(dir.file()), std::nullopt);
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    ASSERT_EQ(r.error, std::nullopt);
    EXPECT_EQ(r.settings.Select1, 2);
    EXPECT_EQ(r.settings.Select2, 1);
    EXPECT_EQ(r.settings.scheme.Color, 0);
    EXPECT_EQ(r.settings.scheme.CurColor, kScheme0);
    EXPECT_EQ(r.settings.scheme.CustomColor, kScheme0);
    const auto& sh = r.settings.parameters.shanghai;
    const auto& sz = r.settings.parameters.shenzhen;
    EXPECT_EQ(sh[0], 0.0035);
    EXPECT_EQ(sh[1], 10);
    EXPECT_EQ(sh[24], 0.000255);
    EXPECT_EQ(sh[25], 0.000045);
    EXPECT_EQ(sz[1], 5);
    EXPECT_EQ(sz[24], 0.0003);
    EXPECT_EQ(sz[25], 0.000046);
    EXPECT_EQ(sz[27], 500);
}

struct NumberCase {
    const char* line; // the A1 line of the file; nullptr: no A1 key
    double expected;
};

class ParameterTextTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParameterTextTest, LeadingNumberOfTheValue) {
    const NumberCase& c = GetParam();
    TempDir dir;
    Put(dir.file(), Replace(kDefaultFile, "A1=0.0035\r\n",
                            c.line ? std::string(c.line) + "\r\n" : std::string()));
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    ASSERT_EQ(r.error, std::nullopt);
    EXPECT_EQ(r.settings.parameters.shanghai[0], c.expected);
    EXPECT_EQ(r.settings.parameters.shanghai[1], 10); // its neighbour is untouched
}

const std::string kLongValue = "A1= .005" + std::string(260, ' ') + "7";

INSTANTIATE_TEST_SUITE_P(
    Texts, ParameterTextTest,
    ::testing::Values(NumberCase{"A1= .005", 0.005}, NumberCase{"A1=5%", 5},
                      NumberCase{"A1=3.5E-03", 0.0035}, NumberCase{"A1=0.0035", 0.0035},
                      NumberCase{"A1=12abc", 12}, NumberCase{"A1=", 0},
                      NumberCase{"A1=\"0.5\"", 0.5}, NumberCase{"a1 = 2", 2},
                      NumberCase{"A1=&H10", 16}, NumberCase{nullptr, -1}, NumberCase{"A1", -1},
                      // cut at 254 bytes, before the 7 that would make it .0057
                      NumberCase{kLongValue.c_str(), 0.005}));

struct SelectCase {
    const char* text; // nullptr: no Select2 key
    std::int16_t expected;
};

class SelectTextTest : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SelectTextTest, RoundsHalfToEvenAndFallsBackOutsideSixteenBits) {
    const SelectCase& c = GetParam();
    TempDir dir;
    Put(dir.file(), Replace(kDefaultFile, "Select2=1\r\n",
                            c.text ? "Select2=" + std::string(c.text) + "\r\n" : std::string()));
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    ASSERT_EQ(r.error, std::nullopt);
    EXPECT_EQ(r.settings.Select2, c.expected);
    EXPECT_EQ(r.settings.Select1, 2);
}

INSTANTIATE_TEST_SUITE_P(Texts, SelectTextTest,
                         ::testing::Values(SelectCase{"2.5", 2}, SelectCase{"3.5", 4},
                                           SelectCase{" 5", 5}, SelectCase{"-1", -1},
                                           SelectCase{nullptr, -1}, SelectCase{"32767", 32767},
                                           SelectCase{"-32768.5", -32768}, SelectCase{"32767.5", 1},
                                           SelectCase{"40000", 1}, SelectCase{"-32769", 1},
                                           SelectCase{"1e400", 1}, SelectCase{"&HFFFF", -1}));

TEST(ReadSettings, SchemeNumberOutsideSixteenBitsIsTheDefaultScheme) {
    TempDir dir;
    Put(dir.file(), Replace(kDefaultFile, "Color= 0", "Color=70000"));
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    EXPECT_EQ(r.settings.scheme.Color, 0);
    EXPECT_EQ(r.settings.scheme.CurColor, kScheme0);
}

TEST(ReadSettings, MissingSchemeNumberLeavesEverySlotBlack) {
    TempDir dir;
    Put(dir.file(), Replace(kDefaultFile, "Color= 0\r\n", ""));
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    ASSERT_EQ(r.error, std::nullopt);
    EXPECT_EQ(r.settings.scheme.Color, -1);
    EXPECT_EQ(r.settings.scheme.CurColor, ym::ColorTable{});
    EXPECT_EQ(r.settings.scheme.CustomColor, ym::ColorTable{});
}

TEST(ReadSettings, PresetSchemeIgnoresTheStoredColours) {
    TempDir dir;
    Put(dir.file(), Replace(kDefaultFile, "Color= 0", "Color= 2"));
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    EXPECT_EQ(r.settings.scheme.Color, 2);
    EXPECT_EQ(r.settings.scheme.CurColor[0], 0x00C0C0C0);
    EXPECT_EQ(r.settings.scheme.CurColor[3], 0x000000C0);
    EXPECT_EQ(r.settings.scheme.CustomColor, r.settings.scheme.CurColor);
}

struct ColorCase {
    const char* text; // the SColor5 value; nullptr: no SColor5 key
    std::int32_t expected;
};

class CustomColorTextTest : public ::testing::TestWithParam<ColorCase> {};

// Slot 4 of the default scheme is 0x0000FFFF; a fallback shows as that.
TEST_P(CustomColorTextTest, SlotFiveOfTheCustomScheme) {
    const ColorCase& c = GetParam();
    TempDir dir;
    std::string bytes = Replace(kDefaultFile, "Color= 0", "Color= 4");
    bytes = Replace(bytes, "SColor5=&HFFFF&\r\n",
                    c.text ? "SColor5=" + std::string(c.text) + "\r\n" : std::string());
    bytes = Replace(bytes, "SColor1=&HFF8080", "SColor1=16744576");
    Put(dir.file(), bytes);
    const ym::SettingsRead r = ym::ReadSettings(dir.file());
    ASSERT_EQ(r.error, std::nullopt);
    EXPECT_EQ(r.settings.scheme.Color, 4);
    EXPECT_EQ(r.settings.scheme.CurColor[4], c.expected);
    EXPECT_EQ(r.settings.scheme.CustomColor[4], c.expected);
    EXPECT_EQ(r.settings.scheme.CurColor[0], 0x00FF8080);
    EXPECT_EQ(r.settings.scheme.CurColor[1], -2147483630);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CustomColorTextTest,
    ::testing::Values(ColorCase{"&H7FFF", 0x00007FFF},
                      ColorCase{"&H80FF", 0x0000FFFF} /* 16 bits: -32513 */,
                      ColorCase{"&H80FF&", 0x000080FF}, ColorCase{"&HFF8080", 0x00FF8080},
                      ColorCase{"16744576", 0x00FF8080}, ColorCase{" 255", 0x000000FF},
                      ColorCase{"-2147483630", -2147483630}, ColorCase{"&H80000012", -2147483630},
                      ColorCase{"0", 0}, ColorCase{"&HFFFF", 0x0000FFFF}, // reads -1: no colour
                      ColorCase{nullptr, 0x0000FFFF},                     // "-1" of the missing key
                      ColorCase{"&H1000000", 0x0000FFFF},                 // top byte set
                      ColorCase{"&H80000100", 0x0000FFFF},                // no such system colour
                      ColorCase{"4294967296", 0x0000FFFF},                // beyond 32 bits
                      ColorCase{"1e400", 0x0000FFFF}));

TEST(ReadSettings, UnreadableFileFailsOnTheFirstReadAndDropsEverything) {
    struct Case {
        const char* what;
        void (*make)(const fs::path&);
    };
    const Case cases[] = {
        {"a folder", [](const fs::path& p) { fs::create_directory(p); }},
        {"no read permission",
         [](const fs::path& p) {
             Put(p, kDefaultFile);
             fs::permissions(p, fs::perms::owner_write);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        c.make(dir.file());
        const ym::SettingsRead r = ym::ReadSettings(dir.file());
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
const std::string kHandEdited = "; edited by hand\n"
                                "[\x81\x41]\n"
                                "Select1=1\n"
                                "[select]\n"
                                " Select1 = 1 \n"
                                "Select2=3.5\n"
                                "\n"
                                "[Showcolor]\n"
                                "; 4 is the custom scheme\n"
                                "Color=4\n"
                                "SColor1=&HFF8080\n"
                                "scolor2=16744576\n"
                                "SColor5=&HFFFF\n"
                                "SColor10=-2147483630\n"
                                "[" +
                                kSh +
                                "]\n"
                                "A1= .005\n"
                                "A2=5%\n"
                                "A3=3.5E-03\n"
                                "A4=\".001\"\n"
                                "A5= .005" +
                                std::string(292, ' ') +
                                "7\n"
                                "[\x81\x61]\n"
                                "A6=9\n"
                                "[" +
                                kSz +
                                "]\n"
                                "b1=&H10\n"
                                "B28=1000\n";

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

TEST(SaveSelection, RewritesTheSelectSectionWithSignBlanks) {
    struct Case {
        std::int16_t market, type;
        const char* lines;
    };
    const Case cases[] = {
        {1, 5, "Select1= 1\r\nSelect2= 5\r\n"},
        {2, 1, "Select1= 2\r\nSelect2= 1\r\n"},
        {-1, -1, "Select1=-1\r\nSelect2=-1\r\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Put(dir.file(), kDefaultFile);
        ASSERT_EQ(ym::SaveSelection(dir.file(), c.market, c.type), std::nullopt);
        EXPECT_EQ(Hex(Get(dir.file())),
                  Hex(Replace(kDefaultFile, "Select1=2\r\nSelect2=1\r\n", c.lines)));
    }
}

TEST(SaveSelection, ReadOnlyFileFailsAndKeepsTheFile) {
    TempDir dir;
    Put(dir.file(), kDefaultFile);
    fs::permissions(dir.file(), fs::perms::owner_read);
    EXPECT_EQ(ym::SaveSelection(dir.file(), 1, 5), SettingsMessage::SaveSelect);
    EXPECT_EQ(Get(dir.file()), kDefaultFile);
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

// Each write of the save is checked on its own: the file stops growing at the limit, so
// the first write that would make it longer fails and names its part of the save.
struct SaveFailureCase {
    const char* what;
    std::string before;
    std::int16_t scheme;
    SettingsMessage expected;
};

void PrintTo(const SaveFailureCase& c, std::ostream* os) {
    *os << c.what;
}

class SaveFailureTest : public ::testing::TestWithParam<SaveFailureCase> {};

TEST_P(SaveFailureTest, NamesTheFailedWrite) {
    const SaveFailureCase& c = GetParam();
    TempDir dir;
    Put(dir.file(), c.before);
    ym::DisplayScheme scheme;
    scheme.CustomColor = kScheme0;
    scheme.SetFromSaved(c.scheme);
    std::optional<SettingsMessage> result;
    {
        FileSizeLimit limit(c.before.size());
        result = ym::SaveParameters(dir.file(), ym::FeeParameters::Defaults(), scheme);
    }
    EXPECT_EQ(result, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, SaveFailureTest,
    ::testing::Values(
        SaveFailureCase{"a Shanghai key", kDefaultFile, 0, SettingsMessage::ChangeShanghai},
        SaveFailureCase{"a Shenzhen key", kShanghaiSaved + kSelectSection, 0,
                        SettingsMessage::ChangeShenzhen},
        SaveFailureCase{"the scheme section", kShanghaiSaved + kShenzhenSaved, 0,
                        SettingsMessage::SaveShowColor},
        SaveFailureCase{"a custom colour",
                        kShanghaiSaved + kShenzhenSaved + "[SHOWCOLOR]\r\nColor= 0\r\n", 4,
                        SettingsMessage::ChangeCustomColor}));

TEST(SaveParameters, ReadOnlyFolderFailsOnTheFirstKey) {
    TempDir dir;
    Put(dir.file(), kDefaultFile);
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ym::SaveParameters(dir.file(), ym::FeeParameters::Defaults(), ym::DisplayScheme{}),
              SettingsMessage::ChangeShanghai);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(Get(dir.file()), kDefaultFile);
}

} // namespace
