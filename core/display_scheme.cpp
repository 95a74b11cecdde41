#include "core/display_scheme.h"

namespace ym {

bool IsValidColorRef(ColorRef c) {
    const auto u = static_cast<std::uint32_t>(c);
    if ((u & 0xFF000000u) == 0) {
        return true;
    }
    // System colours carry their index in the low byte only; anything else in the
    // upper bytes is not a colour the platform could resolve.
    return (u & 0xFFFFFF00u) == 0x80000000u;
}

namespace {
constexpr ColorRef Sys(int index) {
    return static_cast<ColorRef>(0x80000000u | static_cast<std::uint32_t>(index));
}
} // namespace

// Both panels of a preset share their background; only the custom scheme can part them.
const std::array<ColorTable, 4> kPresetSchemes{{
    {0x00FF8080, Sys(kSystemButtonText), Sys(kSystemHighlightText), 0x008080FF, 0x0000FFFF,
     0x0080FF80, 0x0080C0FF, 0x00FFFF00, 0x000000FF, 0x00FF8080},
    {0x00808080, 0x0000FFFF, Sys(kSystemHighlightText), 0x000000FF, 0x0000FFFF, 0x0080FF80,
     0x0080C0FF, 0x00FFFF00, 0x000000FF, 0x00808080},
    {0x00C0C0C0, Sys(kSystemButtonText), Sys(kSystemHighlightText), 0x000000C0, 0x0000FFFF,
     0x0000FF00, 0x000040C0, 0x00FFFF00, 0x000000FF, 0x00C0C0C0},
    // Slot 2 is an almost black blue, deliberately not the system text colour.
    {0x0000C0C0, Sys(kSystemButtonText), 0x00080000, 0x000000FF, 0x0000FFFF, 0x0000FF00, 0x000040C0,
     0x00FFFF00, 0x0000FFFF, 0x0000C0C0},
}};

const std::array<std::string_view, 4> kSchemeNames{
    "蓝色的海滨（缺省）",
    "静谧的夜空",
    "灰色的旋律",
    "秋日的山野",
};

const std::array<std::string_view, 10> kSlotNames{
    "A股显示面板", "说明文字", "普通文字",      "赢利文字",      "持平文字",
    "亏损文字",    "保本文字", "A股面板格式线", "B股面板格式线", "B股显示面板",
};

void DisplayScheme::FillFromNumber(std::int16_t number, const ColorTable& fileColors) {
    if (number >= 0 && number < static_cast<int>(kPresetSchemes.size())) {
        colors = kPresetSchemes[static_cast<std::size_t>(number)];
        customColors = colors;
    } else if (number == kCustomScheme) {
        colors = fileColors;
        customColors = fileColors;
    }
    // Any other number (a missing or mangled key) leaves both tables as they were.
}

void DisplayScheme::SetFromSaved(std::int16_t number) {
    schemeNumber = number;
    if (number >= 0 && number < static_cast<int>(kPresetSchemes.size())) {
        colors = kPresetSchemes[static_cast<std::size_t>(number)];
        customColors = colors;
    } else if (number == kCustomScheme) {
        colors = customColors;
    }
}

std::optional<ColorRef> DisplayScheme::SlotColor(int number, int slot) const {
    const auto k = static_cast<std::size_t>(slot);
    if (number >= 0 && number < static_cast<int>(kPresetSchemes.size())) {
        return kPresetSchemes[static_cast<std::size_t>(number)][k];
    }
    if (number == kCustomScheme) {
        return customColors[k];
    }
    return std::nullopt;
}

} // namespace ym
