// The settings file byte for byte: the default file, what start-up reads from files edited
// by hand, and the writers of the selection and of the settings dialog, also when they fail.
#include "core/atomic_file.h"
#include "core/settings_file.h"

#include "core/fee_model_file.h"
#include "core/number_text.h"
#include "core/profile_file.h"
#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace ym {
namespace {

using namespace test;

// The bytes of a new file are checked where init writes it (tests/tools).
const std::string kDefaultFile = DefaultSettingsBytes();

const ColorTable kScheme0 = {0x00FF8080, -2147483630, -2147483634, 0x008080FF, 0x0000FFFF,
                             0x0080FF80, 0x0080C0FF,  0x00FFFF00,  0x000000FF, 0x00FF8080};

// A file edited by hand: LF line ends, comments, blanks, quotes, hexadecimal and exponent
// forms, a value of 300 bytes, section names in other letter case, and sections this
// program does not know, among them two GBK names that differ only in the case of their
// trail byte.
const std::string kHandEdited =
    "; edited by hand\n[\x81\x41]\nSelect1=1\n[select]\n Select1 = 1 \nSelect2=3.5\n\n"
    "[Showcolor]\n; 4 is the custom scheme\nColor=4\nSColor1=&HFF8080\nscolor2=16744576\n"
    "SColor5=&HFFFF\nSColor10=-2147483630\n[" +
    kSh + "]\nA1= .005\nA2=5%\nA3=3.5E-03\nA4=\".001\"\nA5= .005" + std::string(292, ' ') +
    "7\n[\x81\x61]\nA6=9\n[" + kSz + "]\nb1=&H10\nB28=1000\n";

DisplayScheme Scheme(std::int16_t number, ColorRef slot4 = 0x00112233) {
    DisplayScheme scheme;
    scheme.customColors = kScheme0;
    scheme.customColors[3] = slot4;
    scheme.SetFromSaved(number);
    return scheme;
}

// The default file with each `from` replaced by its `to`, as the start-up read sees it.
StoredSettings ReadEdited(std::initializer_list<std::pair<std::string, std::string>> edits) {
    std::string bytes = kDefaultFile;
    for (const auto& [from, to] : edits) {
        bytes = Replace(bytes, from, to);
    }
    TempDir dir;
    Put(dir.file(), bytes);
    const SettingsRead r = ReadSettings(dir.file());
    EXPECT_EQ(r.error, std::nullopt);
    return r.settings;
}

// What start-up tells the user about a damaged file: the keys, whole runs as ranges.
TEST(ParameterProblemsNotice, NamesTheKeysAsRanges) {
    std::vector<std::string> all;
    for (int i = 1; i <= 55; ++i) {
        all.push_back(i <= 27 ? "A" + std::to_string(i) : "B" + std::to_string(i - 27));
    }
    const struct {
        std::vector<std::string> missing, unreadable;
        const char* expected; // a part of the notice
    } cases[] = {
        {all, {}, "缺少费率参数 A1-A27, B1-B28,现按 -1 计算"},
        {{"A1", "A2", "A7", "A9", "A10", "A11", "B2"}, {}, "A1, A2, A7, A9-A11, B2,"},
        {{}, {"A3"}, "无法读取费率参数 A3,现按 0 计算"},
        {{"B28"}, {"A4", "B4"}, "B28,现按 -1 计算.\n  ** 设置文件中无法读取费率参数 A4, B4,"},
    };
    for (const auto& c : cases) {
        const std::string notice = ParameterProblemsNotice(c.missing, c.unreadable);
        EXPECT_NE(notice.find(c.expected), std::string::npos) << notice;
        EXPECT_NE(notice.find("参数设置"), std::string::npos) << notice;
    }
    EXPECT_EQ(ParameterProblemsNotice({}, {}), "");
}

// In the custom scheme each colour is its text, or where that is no colour, the default
// scheme's (0x0000FFFF for slot 5). A hand-written "&H00FF00" has six digits: green.
TEST(ReadSettings, CustomColourTextAndItsFallBack) {
    // clang-format off
    // "&H80FF" is 16 bits, -32513: no colour; a set top byte and a system colour that does
    // not exist are no colour either.
    const std::pair<const char*, std::int32_t> cases[] = {
        {"&H7FFF", 0x00007FFF}, {"&H00FF00", 0x0000FF00}, {"&H80FF", 0x0000FFFF},
        {"&H80FF&", 0x000080FF}, {"&H80000012", -2147483630}, {"0", 0}, {"&H1000000", 0x0000FFFF},
        {"&H80000100", 0x0000FFFF}, {"4294967296", 0x0000FFFF}, {"1e400", 0x0000FFFF},
    };
    // clang-format on
    for (const auto& [text, expected] : cases) {
        const StoredSettings s = ReadEdited(
            {{"Color= 0", "Color= 4"}, {"SColor5=&HFFFF&", std::string("SColor5=") + text}});
        EXPECT_EQ(s.scheme.schemeNumber, 4);
        EXPECT_EQ(s.scheme.colors[4], expected) << text;
        EXPECT_EQ(s.scheme.customColors[4], expected) << text;
        EXPECT_EQ(s.scheme.colors[1], -2147483630) << text;
    }
}

TEST(HandEditedFile, ReadsEveryFormAndSavingTheSelectionChangesOnlyItsSection) {
    TempDir dir;
    Put(dir.file(), kHandEdited);
    const SettingsRead r = ReadSettings(dir.file());
    ASSERT_EQ(r.error, std::nullopt);
    const StoredSettings& s = r.settings;
    EXPECT_EQ(s.Select1, 1);
    EXPECT_EQ(s.Select2, 4);
    EXPECT_EQ(s.scheme.schemeNumber, 4);
    ColorTable colors = kScheme0; // missing and unusable slots
    colors[1] = 0x00FF8080;
    colors[9] = -2147483630;
    EXPECT_EQ(s.scheme.colors, colors);
    const double shanghai[6] = {0.005, 5, 0.0035, 0.001, 0.005, -1};
    for (int i = 0; i < 27; ++i) {
        EXPECT_EQ(s.parameters.shanghai[i], i < 6 ? shanghai[i] : -1) << "A" << i + 1;
    }
    EXPECT_EQ(s.parameters.shenzhen[0], 16);
    EXPECT_EQ(s.parameters.shenzhen[1], -1);
    EXPECT_EQ(s.parameters.shenzhen[27], 1000);

    ASSERT_EQ(SaveSelection(dir.file(), 1, 5), std::nullopt);
    EXPECT_EQ(Hex(Get(dir.file())), Hex(Replace(kHandEdited, " Select1 = 1 \nSelect2=3.5\n",
                                                "Select1= 1\r\nSelect2= 5\r\n")));
}

// The dialog's save as it was once done: every item a write of its own, each write a fresh
// parse of the file's bytes, one edit, and the bytes written back.
std::string SaveKeyByKey(std::string bytes, const FeeParameters& p, const DisplayScheme& scheme) {
    const bool gbk = profile::Profile::Parse(bytes).encoding() == profile::Encoding::Gbk;
    const auto write = [&bytes](const std::string& section, const std::string& key,
                                const std::string& value) {
        profile::Profile file = profile::Profile::Parse(bytes);
        EXPECT_TRUE(key.empty() ? file.WriteSection(section, {value})
                                : file.WriteKey(section, key, value));
        bytes = file.Bytes();
    };
    for (std::size_t i = 0; i < p.shanghai.size(); ++i) {
        write(gbk ? kSh : kShUtf8, "A" + std::to_string(i + 1), Str(p.shanghai[i]));
    }
    for (std::size_t i = 0; i < p.shenzhen.size(); ++i) {
        write(gbk ? kSz : kSzUtf8, "B" + std::to_string(i + 1), Str(p.shenzhen[i]));
    }
    write("SHOWCOLOR", "", "Color=" + Str(scheme.schemeNumber));
    for (std::size_t k = 0; scheme.schemeNumber == 4 && k < scheme.customColors.size(); ++k) {
        write("SHOWCOLOR", "SColor" + std::to_string(k + 1), Str(scheme.customColors[k]));
    }
    return bytes;
}

// The one write of the save leaves the bytes of the writes one by one, on files edited by
// hand in every way a file can differ from a new one; a user who never chose the official
// fee model gets no section of it.
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
    FeeParameters parameters = FeeParameters::Defaults();
    parameters.shanghai[0] = 0.005;
    parameters.shanghai[26] = -1;
    parameters.shenzhen[27] = 1e-7;
    for (const std::int16_t number : {2, 4}) {
        for (const auto& [what, bytes] : files) {
            SCOPED_TRACE(testing::Message() << what << ", scheme " << number);
            TempDir dir;
            Put(dir.file(), bytes);
            ASSERT_EQ(SaveParameters(dir.file(), parameters, Scheme(number), FeeModelSettings{}),
                      std::nullopt);
            EXPECT_EQ(Hex(Get(dir.file())), Hex(SaveKeyByKey(bytes, parameters, Scheme(number))));
            EXPECT_EQ(Listing(dir.path()), kJustTheFile);
        }
    }
}

// What the next start reads after the dialog's OK; the lines a user reads in the file are
// checked where the dialog writes them (tests/ui). Going back to the classic model keeps the
// official terms for another day.
TEST(SaveParameters, TheNextStartReadsWhatWasSaved) {
    TempDir dir;
    Put(dir.file(), kDefaultFile);
    FeeParameters p = FeeParameters::Defaults();
    p.shanghai[0] = 0.005;
    p.shenzhen[27] = 250;
    FeeModelSettings official;
    official.model = FeeModel::Official;
    official.terms.commissionRate = 0.0001;
    official.terms.minimumWaived = true;
    official.terms.minimumHkDollar = 20;
    FeeModelSettings classic = official;
    classic.model = FeeModel::Classic;
    for (const FeeModelSettings& model : {official, classic}) {
        ASSERT_EQ(SaveParameters(dir.file(), p, Scheme(4), model), std::nullopt);
        const SettingsRead r = ReadSettings(dir.file());
        EXPECT_EQ(r.settings.parameters.shanghai, p.shanghai);
        EXPECT_EQ(r.settings.parameters.shenzhen, p.shenzhen);
        EXPECT_EQ(r.settings.scheme.colors, Scheme(4).customColors);
        EXPECT_EQ(r.settings.feeModel.settings, model);
    }
}

// A creation or a save that fails leaves the file as it was (or none), and its message names
// the first part not written in full: for the creation the section, for the save the item in
// the order A1..A27, B1..B28, Color, SColor1..10, the fee model's section. A folder or file
// that takes no write fails on the first; a disk filling up after `room` bytes stops in a
// known line of the whole file, a new one or every section the save appends to an empty one.
// With room for all of it, the file is that whole file.
TEST(FailedWrite, ChangesNothingAndNamesTheFirstPartNotWritten) {
    FeeModelSettings official;
    official.model = FeeModel::Official;
    TempDir reference;
    Put(reference.file(), "");
    ASSERT_EQ(SaveParameters(reference.file(), FeeParameters::Defaults(), Scheme(4), official),
              std::nullopt);
    const std::string& created = kDefaultFile;
    const std::string saved = Get(reference.file());
    const std::string shenzhen = "[" + kSz + "]";
    const std::size_t cSz = created.find(shenzhen), cSelect = created.find("[Select]");
    const std::size_t cColor = created.find("[SHOWCOLOR]"), sSz = saved.find(shenzhen);
    const std::size_t sColor = saved.find("[SHOWCOLOR]"), sCustom = saved.find("SColor1=");
    const std::size_t sRules = saved.find("[FEERULES]");
    ASSERT_TRUE(cSz < cSelect && cSelect < cColor && cColor < created.size());
    ASSERT_TRUE(sSz < sColor && sColor < sCustom && sCustom < sRules && sRules < saved.size());
    const char* const creatShanghai = "  ## Error creat shanghai!6002-1";
    const char* const creatSelect = "  ## Error creat select!6002-3";
    const char* const creatColor = "  ## Error creat ShowColor!6002-4";
    const char* const changeShanghai = "  ## Error change shanghai!6005";
    const char* const saveColor = "  ## Error save showcolor!6005-5";
    const char* const changeColor = "  ## Error change showcolor!6005-5-1";
    const char* const saveRules = "  ## Error save feerules!6005-6";
    enum Obstacle { FullDisk, ReadOnlyFile, ReadOnlyFolder };
    // clang-format off
    const struct {
        bool create; // the creation of a new file, or else the dialog's save
        Obstacle obstacle;
        std::size_t room;
        const char* message;
    } cases[] = {
        {true, ReadOnlyFolder, 0, creatShanghai}, {true, FullDisk, cSz - 1, creatShanghai},
        {true, FullDisk, cSz, "  ## Error creat shengzhen!6002-2"},
        {true, FullDisk, cSelect, creatSelect}, {true, FullDisk, cColor - 1, creatSelect},
        {true, FullDisk, cColor, creatColor}, {true, FullDisk, created.size() - 1, creatColor},
        {true, FullDisk, created.size(), "no message"},
        {false, ReadOnlyFile, 0, changeShanghai}, {false, ReadOnlyFolder, 0, changeShanghai},
        {false, FullDisk, 1, changeShanghai}, {false, FullDisk, sSz - 1, changeShanghai},
        {false, FullDisk, sSz, "  ## Error change shenzhen!6005"},
        {false, FullDisk, sColor, saveColor}, {false, FullDisk, sCustom - 1, saveColor},
        {false, FullDisk, sCustom, changeColor}, {false, FullDisk, sRules - 1, changeColor},
        {false, FullDisk, sRules, saveRules}, {false, FullDisk, saved.size() - 1, saveRules},
        {false, FullDisk, saved.size(), "no message"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.create << " " << c.obstacle << " " << c.room);
        TempDir dir;
        std::optional<std::string> before;
        if (!c.create) {
            before = c.obstacle == FullDisk ? "" : kHandEdited;
            Put(dir.file(), *before);
        }
        const fs::path target = c.obstacle == ReadOnlyFolder ? dir.path() : dir.file();
        if (c.obstacle != FullDisk) {
            fs::permissions(target, c.obstacle == ReadOnlyFile
                                        ? fs::perms::owner_read
                                        : fs::perms::owner_read | fs::perms::owner_exec);
        }
        std::optional<SettingsMessage> result;
        {
            FileSizeLimit limit(c.obstacle == FullDisk ? c.room : RLIM_INFINITY);
            result = c.create ? EnsureSettingsFile(dir.file())
                              : SaveParameters(dir.file(), FeeParameters::Defaults(), Scheme(4),
                                               official);
        }
        EXPECT_EQ(Said(result), c.message);
        if (c.obstacle != FullDisk) {
            fs::permissions(target, fs::perms::owner_all);
        }
        EXPECT_EQ(fs::exists(dir.file()), before || !result);
        const std::string& whole = c.create ? created : saved;
        EXPECT_EQ(Hex(Get(dir.file())), Hex(result ? before.value_or("") : whole));
        EXPECT_EQ(Listing(dir.path()),
                  before || !result ? kJustTheFile : std::vector<std::string>{});
    }
}

// Things of that name that are no settings file give their message at once: opening a FIFO
// waits for a writer, a link to /dev/zero reads without end. Nothing is created over them,
// and they are left as they were. A hang here is a test that times out.
TEST(HostileFile, EveryOperationGivesItsMessageWithoutBlocking) {
    // Each makes the thing; a regular file must keep its `content`.
    const std::string over =
        kDefaultFile + ";" + std::string(files::kMaxFileSize - kDefaultFile.size(), 'x');
    const auto fifo = [](const fs::path& f) { mkfifo(f.c_str(), 0666); };
    const struct {
        const char* what;
        std::function<void(const fs::path&)> make;
        std::string content = {};
    } cases[] = {
        {"FIFO", fifo},
        {"link to /dev/zero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); }},
        {"link to a FIFO",
         [&](const fs::path& f) {
             fifo(f.parent_path() / "fifo");
             fs::create_symlink("fifo", f);
         }},
        {"folder", [](const fs::path& f) { fs::create_directory(f); }},
        {"one byte over the size limit", [&](const fs::path& f) { Put(f, over); }, over},
        // A write of the parameters alone would lose every other line of it.
        {"a file without read permission",
         [](const fs::path& f) {
             Put(f, kDefaultFile);
             fs::permissions(f, fs::perms::owner_write);
         },
         kDefaultFile},
    };
    for (const auto& [what, make, content] : cases) {
        SCOPED_TRACE(what);
        TempDir dir;
        make(dir.file());
        const fs::file_type type = fs::symlink_status(dir.file()).type();
        const std::vector<std::string> listing = Listing(dir.path());
        const bool regular = type == fs::file_type::regular;
        ASSERT_TRUE(regular || type == fs::file_type::symlink || type == fs::file_type::fifo ||
                    type == fs::file_type::directory);
        EXPECT_EQ(files::Inspect(dir.file()), files::FileState::Unreadable);
        // A regular file is left for the read to refuse; nothing can be created over the rest.
        EXPECT_EQ(Said(EnsureSettingsFile(dir.file())),
                  regular ? "no message" : "  ## Error creat shanghai!6002-1");
        const SettingsRead read = ReadSettings(dir.file());
        EXPECT_EQ(Said(read.error), "  ## Error read select1!6003-3");
        EXPECT_EQ(read.settings.parameters.shanghai[0], 0);
        EXPECT_EQ(Said(SaveSelection(dir.file(), 1, 1)), "  ## Error save select!6004");
        EXPECT_EQ(Said(SaveParameters(dir.file(), FeeParameters::Defaults(), {})),
                  "  ## Error change shanghai!6005");
        EXPECT_EQ(fs::symlink_status(dir.file()).type(), type);
        EXPECT_EQ(Listing(dir.path()), listing);
        if (regular) {
            fs::permissions(dir.file(), fs::perms::owner_all);
            EXPECT_EQ(Get(dir.file()), content);
        }
    }
}

} // namespace
} // namespace ym
