// The display scheme: the ten colours of the result panels, four preset schemes and
// a custom one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ym {

// A Windows colour reference: 0x00BBGGRR, or 0x80000000 plus a system colour index.
using ColorRef = std::int32_t;
using ColorTable = std::array<ColorRef, 10>;

// Colour slots.
enum ColorSlot : int {
    kSlotAPanel = 0,
    kSlotDescription = 1,
    kSlotNormal = 2,
    kSlotProfit = 3,
    kSlotFlat = 4,
    kSlotLoss = 5,
    kSlotBreakEven = 6,
    kSlotALines = 7,
    kSlotBLines = 8,
    kSlotBPanel = 9,
};

inline constexpr int kCustomScheme = 4;
inline constexpr ColorRef kSystemColorFlag = static_cast<ColorRef>(0x80000000u);
inline constexpr int kSystemHighlightText = 14;
inline constexpr int kSystemButtonText = 18;

inline constexpr bool IsSystemColor(ColorRef c) {
    return (c & kSystemColorFlag) != 0;
}
inline constexpr int SystemColorIndex(ColorRef c) {
    return c & 0xFF;
}
// A plain RGB colour (top byte 0) or a system colour with an index below 0x100
// (COLOR_* indexes run 0..30).
bool IsValidColorRef(ColorRef c);
inline constexpr int Red(ColorRef c) {
    return c & 0xFF;
}
inline constexpr int Green(ColorRef c) {
    return (c >> 8) & 0xFF;
}
inline constexpr int Blue(ColorRef c) {
    return (c >> 16) & 0xFF;
}

extern const std::array<ColorTable, 4> kPresetSchemes;
extern const std::array<std::string_view, 4> kSchemeNames;
extern const std::array<std::string_view, 10> kSlotNames;

struct DisplayScheme {
    std::int16_t schemeNumber = 0;
    ColorTable colors{};
    ColorTable customColors{};

    // Start-up: a preset fills colors and copies it to customColors; 4 takes
    // `fileColors` for both; any other number assigns nothing.
    void FillFromNumber(std::int16_t number, const ColorTable& fileColors);
    // The scheme page's save: colors becomes the preset or customColors.
    void SetFromSaved(std::int16_t number);
    // The colour of `slot` under scheme `number`: the preset's, customColors's for the
    // custom scheme, none for any other number.
    std::optional<ColorRef> SlotColor(int number, int slot) const;
};

} // namespace ym
