// Settings files that are damaged or in a foreign encoding: the corpus in
// tests/data/settings (written by tests/data/make_corpus.py) as start-up reads it, and
// files in UTF-8 and UTF-16 written back in their own encoding.
#include "core/profile_file.h"
#include "core/settings_file.h"

#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace ym {
namespace {

using namespace test;

// Keys A1..A27 then B1..B28, numbered 1..55, from `first` to `last`.
std::vector<std::string> Keys(int first = 1, int last = 55) {
    std::vector<std::string> keys;
    for (int i = first; i <= last; ++i) {
        keys.push_back(i <= 27 ? "A" + std::to_string(i) : "B" + std::to_string(i - 27));
    }
    return keys;
}

double& Parameter(FeeParameters& p, const std::string& key) {
    const std::size_t i = std::stoul(key.substr(1)) - 1;
    return key[0] == 'A' ? p.shanghai.at(i) : p.shenzhen.at(i);
}

struct CorpusCase {
    const char* file;
    std::optional<SettingsMessage> error = std::nullopt;
    std::vector<std::string> missing = {};                   // read as -1
    std::vector<std::string> unreadable = {};                // read as 0
    std::vector<std::pair<std::string, double>> values = {}; // other values than a new file's
    std::int16_t select1 = 2, select2 = 1, color = 0;
};

// Each file is what a new start creates, changed as its name says. Values outside every
// range: a selection or scheme number beyond 16 bits and a colour that is none fall back to
// a new file's, a fee parameter is kept as it stands.
TEST(DamagedFile, ReadsItsValuesOrGivesItsMessageAndIsNeverWritten) {
    // clang-format off
    const CorpusCase cases[] = {
        {"empty.ini", std::nullopt, Keys(), {}, {}, -1, -1, -1},
        {"cut_inside_a_gbk_character.ini", std::nullopt, Keys(28), {}, {}, -1, -1, -1},
        {"nul_bytes.ini", std::nullopt, {"A3"}, {}, {{"A2", 1}}},
        {"line_of_1_mib_at_the_size_limit.ini", std::nullopt, {}, {}, {{"A1", 0.0045}}},
        {"line_of_1_mib_one_byte_over_the_size_limit.ini", SettingsMessage::ReadSelect1},
        {"header_without_closing_bracket.ini", std::nullopt, Keys(28)},
        {"duplicate_sections_and_keys.ini", std::nullopt, Keys(29), {}, {{"B1", 0.001}}},
        {"utf8_without_bom.ini"}, {"utf8_with_bom.ini"}, {"utf16le_with_bom.ini"},
        {"utf16be_with_bom.ini"}, {"utf16le_with_an_odd_last_byte.ini"},
        {"utf16le_without_bom.ini", std::nullopt, Keys(), {}, {}, -1, -1, -1}, {"cr_line_ends.ini"},
        {"hex_with_20_digits.ini", std::nullopt, {}, {"A3"}, {{"B3", 16}}},
        {"exponent_beyond_double.ini", std::nullopt, {}, {"A4", "B4"}}, {"negative_zero.ini"},
        {"values_outside_every_range.ini", std::nullopt, {}, {}, {{"A1", -5}, {"B28", 1.7e308}},
         2, 1, 4},
    };
    // clang-format on
    const fs::path corpus = fs::path(YM_TEST_DATA) / "settings";
    for (const CorpusCase& c : cases) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        fs::copy_file(corpus / c.file, dir.file());
        const auto past = fs::last_write_time(dir.file()) - std::chrono::hours(24);
        fs::last_write_time(dir.file(), past);
        struct stat before {};
        ASSERT_EQ(stat(dir.file().c_str(), &before), 0);

        EXPECT_EQ(EnsureSettingsFile(dir.file()), std::nullopt);
        const SettingsRead r = ReadSettings(dir.file());
        EXPECT_EQ(r.error, c.error);
        if (!c.error) {
            FeeParameters expected = FeeParameters::Defaults();
            for (const std::string& key : c.missing) {
                Parameter(expected, key) = -1;
            }
            for (const std::string& key : c.unreadable) {
                Parameter(expected, key) = 0;
            }
            for (const auto& [key, value] : c.values) {
                Parameter(expected, key) = value;
            }
            EXPECT_EQ(r.settings.parameters.shanghai, expected.shanghai);
            EXPECT_EQ(r.settings.parameters.shenzhen, expected.shenzhen);
            EXPECT_EQ(r.missingParameters, c.missing);
            EXPECT_EQ(r.unreadableParameters, c.unreadable);
            EXPECT_EQ(r.settings.Select1, c.select1);
            EXPECT_EQ(r.settings.Select2, c.select2);
            EXPECT_EQ(r.settings.scheme.schemeNumber, c.color);
            EXPECT_EQ(r.settings.scheme.colors, c.color < 0 ? ColorTable{} : kPresetSchemes[0]);
        }

        struct stat after {};
        ASSERT_EQ(stat(dir.file().c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(fs::last_write_time(dir.file()), past);
        EXPECT_TRUE(Get(dir.file()) == Get(corpus / c.file));
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"Yuanmate5.ini"});
    }
}

// ---------------------------------------------------------------------------------------
// Files in UTF-8 and UTF-16

enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be };

// A GBK text of ASCII and the two section names in another encoding.
std::string InEncoding(const std::string& gbk, Encoding encoding, bool bom = true) {
    std::u16string units;
    for (std::size_t i = 0; i < gbk.size();) {
        if (gbk.compare(i, kSh.size(), kSh) == 0 || gbk.compare(i, kSz.size(), kSz) == 0) {
            units += gbk.compare(i, kSh.size(), kSh) == 0 ? u"\u4E0A\u6D77" : u"\u6DF1\u5733";
            i += 4;
        } else {
            EXPECT_LT(static_cast<unsigned char>(gbk[i]), 0x80) << "no such text here";
            units += static_cast<char16_t>(gbk[i++]);
        }
    }
    std::string out;
    if (encoding == Encoding::Utf8 || encoding == Encoding::Utf8Bom) {
        out = bom && encoding == Encoding::Utf8Bom ? "\xEF\xBB\xBF" : "";
        for (const char16_t u : units) {
            if (u < 0x80) {
                out += static_cast<char>(u);
            } else {
                out += static_cast<char>(0xE0 | (u >> 12));
                out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (u & 0x3F));
            }
        }
        return out;
    }
    const bool big = encoding == Encoding::Utf16Be;
    for (const char16_t u : std::u16string(bom ? u"\uFEFF" : u"") + units) {
        out += static_cast<char>(big ? u >> 8 : u & 0xFF);
        out += static_cast<char>(big ? u & 0xFF : u >> 8);
    }
    return out;
}

// Such a file reads as its GBK twin, and its writers leave the bytes of the GBK twin's
// writers in its own encoding, a section they append included. A save that runs out of
// room names the item it stopped in, counted in the file's own bytes.
TEST(ForeignEncoding, ReadAsItsGbkTwinAndWrittenBackInItsOwnEncoding) {
    const std::string defaults = DefaultSettingsBytes();
    const std::size_t shenzhen = defaults.find("[" + kSz + "]");
    const std::string starts[] = {
        defaults,
        defaults.substr(0, shenzhen) + defaults.substr(defaults.find("[Select]")),
    };
    FeeParameters parameters = FeeParameters::Defaults();
    parameters.shanghai[0] = 0.005;
    parameters.shenzhen[27] = 250;
    DisplayScheme scheme;
    scheme.customColors = kPresetSchemes[1];
    scheme.SetFromSaved(4);
    for (const std::string& start : starts) {
        TempDir twin;
        Put(twin.file(), start);
        const SettingsRead twinRead = ReadSettings(twin.file());
        ASSERT_EQ(SaveParameters(twin.file(), parameters, scheme), std::nullopt);
        const std::string saved = Get(twin.file());
        ASSERT_EQ(SaveSelection(twin.file(), 1, 5), std::nullopt);
        const std::string selected = Get(twin.file());

        for (const Encoding e :
             {Encoding::Utf8, Encoding::Utf8Bom, Encoding::Utf16Le, Encoding::Utf16Be}) {
            SCOPED_TRACE(testing::Message() << start.size() << " bytes, " << static_cast<int>(e));
            TempDir dir;
            Put(dir.file(), InEncoding(start, e));
            const SettingsRead r = ReadSettings(dir.file());
            EXPECT_EQ(r.settings.parameters.shanghai, twinRead.settings.parameters.shanghai);
            EXPECT_EQ(r.settings.parameters.shenzhen, twinRead.settings.parameters.shenzhen);
            EXPECT_EQ(r.missingParameters, twinRead.missingParameters);
            EXPECT_EQ(r.settings.Select1, twinRead.settings.Select1);
            EXPECT_EQ(r.settings.scheme.schemeNumber, twinRead.settings.scheme.schemeNumber);

            {
                const std::string full = InEncoding(saved, e);
                FileSizeLimit limit(full.find(InEncoding("[" + kSz + "]", e, false)) + 1);
                EXPECT_EQ(SaveParameters(dir.file(), parameters, scheme),
                          SettingsMessage::ChangeShenzhen);
            }
            EXPECT_EQ(Hex(Get(dir.file())), Hex(InEncoding(start, e)));
            ASSERT_EQ(SaveParameters(dir.file(), parameters, scheme), std::nullopt);
            EXPECT_EQ(Hex(Get(dir.file())), Hex(InEncoding(saved, e)));
            ASSERT_EQ(SaveSelection(dir.file(), 1, 5), std::nullopt);
            EXPECT_EQ(Hex(Get(dir.file())), Hex(InEncoding(selected, e)));
            // GBK text in it would turn the file into one that reads as GBK.
            EXPECT_FALSE(profile::WriteKey(dir.file(), kSh, "A1", " 1"));
            EXPECT_EQ(Hex(Get(dir.file())), Hex(InEncoding(selected, e)));
        }
    }
}

// Units the writer does not change come back as they were: a surrogate without its
// partner, and a last byte that makes no whole unit.
TEST(ForeignEncoding, AUtf16FileKeepsTheUnitsItDoesNotChange) {
    const std::string rest =
        std::string("\x00\xD8", 2) + InEncoding("\r\n", Encoding::Utf16Le, false) + "x";
    TempDir dir;
    Put(dir.file(),
        InEncoding("[Select]\r\nSelect1=2\r\nSelect2=1\r\n;", Encoding::Utf16Le) + rest);
    ASSERT_EQ(SaveSelection(dir.file(), 1, 5), std::nullopt);
    EXPECT_EQ(
        Hex(Get(dir.file())),
        Hex(InEncoding("[Select]\r\nSelect1= 1\r\nSelect2= 5\r\n;", Encoding::Utf16Le) + rest));
}

} // namespace
} // namespace ym
