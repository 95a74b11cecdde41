#include "core/display_scheme.h"

#include <gtest/gtest.h>

namespace {

using ym::ColorRef;
using ym::ColorTable;
using ym::DisplayScheme;
using ym::IsValidColorRef;
using ym::kPresetSchemes;

struct ValidityCase {
    std::uint32_t bits;
    bool valid;
};

class ColorRefValidityTest : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(ColorRefValidityTest, PlainOrSystemColoursOnly) {
    const ColorRef c = static_cast<ColorRef>(GetParam().bits);
    EXPECT_EQ(IsValidColorRef(c), GetParam().valid) << std::hex << GetParam().bits;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ColorRefValidityTest,
    ::testing::Values(ValidityCase{0x00000000u, true}, ValidityCase{0x00FFFFFFu, true},
                      ValidityCase{0x00080000u, true}, ValidityCase{0x01000000u, false},
                      ValidityCase{0x7F000000u, false},
                      ValidityCase{0xFFFFFFFFu, false}, // -1, a missing key
                      ValidityCase{0x80000000u, true}, ValidityCase{0x8000000Eu, true},
                      ValidityCase{0x80000012u, true}, ValidityCase{0x800000FFu, true},
                      ValidityCase{0x80000100u, false}, ValidityCase{0x81000012u, false},
                      ValidityCase{0xC0000000u, false}));

// The preset colours as the scheme list describes them: an RGB triple, or a system
// colour index. Checked through Red/Green/Blue so that a byte order slip shows.
struct PresetCase {
    int scheme;
    int slot;
    int system; // -1: plain colour
    int r, g, b;
};

class PresetTest : public ::testing::TestWithParam<PresetCase> {};

TEST_P(PresetTest, SlotHoldsTheListedColour) {
    const PresetCase& c = GetParam();
    const ColorRef v = kPresetSchemes[c.scheme][c.slot];
    ASSERT_TRUE(IsValidColorRef(v));
    if (c.system >= 0) {
        EXPECT_TRUE(ym::IsSystemColor(v));
        EXPECT_EQ(ym::SystemColorIndex(v), c.system);
    } else {
        EXPECT_FALSE(ym::IsSystemColor(v));
        EXPECT_EQ(ym::Red(v), c.r);
        EXPECT_EQ(ym::Green(v), c.g);
        EXPECT_EQ(ym::Blue(v), c.b);
    }
}

std::vector<PresetCase> AllPresets() {
    constexpr int S = -1;
    const int rgb[4][10][4] = {
        {{S, 128, 128, 255},
         {18, 0, 0, 0},
         {14, 0, 0, 0},
         {S, 255, 128, 128},
         {S, 255, 255, 0},
         {S, 128, 255, 128},
         {S, 255, 192, 128},
         {S, 0, 255, 255},
         {S, 255, 0, 0},
         {S, 128, 128, 255}},
        {{S, 128, 128, 128},
         {S, 255, 255, 0},
         {14, 0, 0, 0},
         {S, 255, 0, 0},
         {S, 255, 255, 0},
         {S, 128, 255, 128},
         {S, 255, 192, 128},
         {S, 0, 255, 255},
         {S, 255, 0, 0},
         {S, 128, 128, 128}},
        {{S, 192, 192, 192},
         {18, 0, 0, 0},
         {14, 0, 0, 0},
         {S, 192, 0, 0},
         {S, 255, 255, 0},
         {S, 0, 255, 0},
         {S, 192, 64, 0},
         {S, 0, 255, 255},
         {S, 255, 0, 0},
         {S, 192, 192, 192}},
        {{S, 192, 192, 0},
         {18, 0, 0, 0},
         {S, 0, 0, 8},
         {S, 255, 0, 0},
         {S, 255, 255, 0},
         {S, 0, 255, 0},
         {S, 192, 64, 0},
         {S, 0, 255, 255},
         {S, 255, 255, 0},
         {S, 192, 192, 0}},
    };
    std::vector<PresetCase> cases;
    for (int s = 0; s < 4; ++s) {
        for (int k = 0; k < 10; ++k) {
            const int* e = rgb[s][k];
            cases.push_back(PresetCase{s, k, e[0], e[1], e[2], e[3]});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Schemes, PresetTest, ::testing::ValuesIn(AllPresets()));

TEST(PresetSchemes, SystemButtonTextIsTheNegativeNumberOfTheFile) {
    EXPECT_EQ(kPresetSchemes[0][ym::kSlotDescription], -2147483630);
    EXPECT_EQ(kPresetSchemes[0][ym::kSlotNormal], -2147483634);
}

ColorTable Marked(ColorRef base) {
    ColorTable t;
    for (int k = 0; k < 10; ++k) {
        t[k] = base + k;
    }
    return t;
}

TEST(FillFromNumber, PresetFillsBothTables) {
    for (std::int16_t n = 0; n < 4; ++n) {
        DisplayScheme d;
        d.CurColor = Marked(1000);
        d.CustomColor = Marked(2000);
        d.FillFromNumber(n, Marked(3000)); // the file's colours do not count for a preset
        EXPECT_EQ(d.CurColor, kPresetSchemes[n]) << n;
        EXPECT_EQ(d.CustomColor, kPresetSchemes[n]) << n;
    }
}

TEST(FillFromNumber, CustomTakesTheFileColoursForBoth) {
    DisplayScheme d;
    ColorTable file = Marked(0x00FF8080);
    file[1] = -2147483630;
    d.FillFromNumber(4, file);
    EXPECT_EQ(d.CurColor, file);
    EXPECT_EQ(d.CustomColor, file);
}

TEST(FillFromNumber, OtherNumbersAssignNothing) {
    for (std::int16_t n :
         {std::int16_t{-1}, std::int16_t{5}, std::int16_t{-32768}, std::int16_t{32767}}) {
        DisplayScheme fresh;
        fresh.FillFromNumber(n, Marked(3000));
        EXPECT_EQ(fresh.CurColor, ColorTable{}) << n; // every panel black
        EXPECT_EQ(fresh.CustomColor, ColorTable{}) << n;

        DisplayScheme used;
        used.CurColor = Marked(1000);
        used.CustomColor = Marked(2000);
        used.FillFromNumber(n, Marked(3000));
        EXPECT_EQ(used.CurColor, Marked(1000)) << n;
        EXPECT_EQ(used.CustomColor, Marked(2000)) << n;
    }
}

struct SavedCase {
    std::int16_t number;
    bool presetExpected; // CurColor and CustomColor become preset `number`
    bool customExpected; // CurColor becomes the edited CustomColor
};

class SetFromSavedTest : public ::testing::TestWithParam<SavedCase> {};

TEST_P(SetFromSavedTest, TakesTheChosenScheme) {
    const SavedCase& c = GetParam();
    DisplayScheme d;
    d.Color = 1;
    d.CurColor = Marked(1000);
    d.CustomColor = Marked(2000); // picked on the colour bars
    d.SetFromSaved(c.number);
    EXPECT_EQ(d.Color, c.number);
    if (c.presetExpected) {
        EXPECT_EQ(d.CurColor, kPresetSchemes[c.number]);
        EXPECT_EQ(d.CustomColor, kPresetSchemes[c.number]);
    } else if (c.customExpected) {
        EXPECT_EQ(d.CurColor, Marked(2000));
        EXPECT_EQ(d.CustomColor, Marked(2000));
    } else {
        EXPECT_EQ(d.CurColor, Marked(1000));
        EXPECT_EQ(d.CustomColor, Marked(2000));
    }
}

INSTANTIATE_TEST_SUITE_P(Numbers, SetFromSavedTest,
                         ::testing::Values(SavedCase{0, true, false}, SavedCase{1, true, false},
                                           SavedCase{2, true, false}, SavedCase{3, true, false},
                                           SavedCase{4, false, true}, SavedCase{5, false, false},
                                           SavedCase{-1, false, false}));

} // namespace
