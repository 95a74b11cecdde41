#include "core/display_scheme.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace {

using ym::ColorRef;
using ym::ColorTable;
using ym::DisplayScheme;
using ym::IsValidColorRef;
using ym::kPresetSchemes;

TEST(ColorRef, PlainOrSystemColoursOnly) {
    const std::pair<std::uint32_t, bool> cases[] = {
        {0x00000000u, true},  {0x00FFFFFFu, true},  {0x01000000u, false},
        {0x7F000000u, false}, {0xFFFFFFFFu, false}, // -1, a missing key
        {0x80000000u, true},  {0x800000FFu, true},  {0x80000100u, false},
        {0x81000012u, false}, {0xC0000000u, false},
    };
    for (const auto& [bits, valid] : cases) {
        EXPECT_EQ(IsValidColorRef(static_cast<ColorRef>(bits)), valid) << std::hex << bits;
    }
}

// Spot checks of the scheme list: an RGB triple, or a system colour index. Checked
// through Red/Green/Blue so that a byte order slip shows.
TEST(PresetSchemes, SpotChecksOfTheList) {
    const struct {
        int scheme, slot, system, r, g, b; // system -1: a plain colour
    } cases[] = {
        {0, 0, -1, 128, 128, 255}, {0, 1, 18, 0, 0, 0},     {0, 2, 14, 0, 0, 0},
        {1, 1, -1, 255, 255, 0},   {2, 6, -1, 192, 64, 0},  {3, 2, -1, 0, 0, 8},
        {3, 8, -1, 255, 255, 0},   {3, 9, -1, 192, 192, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scheme << "/" << c.slot);
        const ColorRef v = kPresetSchemes[c.scheme][c.slot];
        ASSERT_TRUE(IsValidColorRef(v));
        EXPECT_EQ(ym::IsSystemColor(v), c.system >= 0);
        if (c.system >= 0) {
            EXPECT_EQ(ym::SystemColorIndex(v), c.system);
        } else {
            EXPECT_EQ(ym::Red(v), c.r);
            EXPECT_EQ(ym::Green(v), c.g);
            EXPECT_EQ(ym::Blue(v), c.b);
        }
    }
    // System button text as the file stores it.
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

TEST(FillFromNumber, PresetOrCustomFillsBothTablesOtherNumbersNothing) {
    for (std::int16_t n = 0; n < 4; ++n) {
        DisplayScheme d;
        d.CurColor = Marked(1000);
        d.CustomColor = Marked(2000);
        d.FillFromNumber(n, Marked(3000)); // the file's colours do not count for a preset
        EXPECT_EQ(d.CurColor, kPresetSchemes[n]) << n;
        EXPECT_EQ(d.CustomColor, kPresetSchemes[n]) << n;
    }
    DisplayScheme custom;
    ColorTable file = Marked(0x00FF8080);
    file[1] = -2147483630;
    custom.FillFromNumber(4, file);
    EXPECT_EQ(custom.CurColor, file);
    EXPECT_EQ(custom.CustomColor, file);

    for (std::int16_t n : {-1, 5, -32768, 32767}) {
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

TEST(SetFromSaved, TakesTheChosenScheme) {
    for (std::int16_t n : {0, 1, 2, 3, 4, 5, -1}) {
        DisplayScheme d;
        d.Color = 1;
        d.CurColor = Marked(1000);
        d.CustomColor = Marked(2000); // picked on the colour bars
        d.SetFromSaved(n);
        EXPECT_EQ(d.Color, n);
        if (n >= 0 && n < 4) { // a preset for both tables
            EXPECT_EQ(d.CurColor, kPresetSchemes[n]) << n;
            EXPECT_EQ(d.CustomColor, kPresetSchemes[n]) << n;
        } else { // the custom scheme shows the edited colours; other numbers change nothing
            EXPECT_EQ(d.CurColor, n == 4 ? Marked(2000) : Marked(1000)) << n;
            EXPECT_EQ(d.CustomColor, Marked(2000)) << n;
        }
    }
}

} // namespace
