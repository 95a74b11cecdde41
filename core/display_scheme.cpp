#include "core/display_scheme.h"
// STUB: to be implemented
namespace ym {
bool IsValidColorRef(ColorRef) { return true; }
const std::array<ColorTable, 4> kPresetSchemes{};
const std::array<std::string_view, 4> kSchemeNames{};
const std::array<std::string_view, 10> kSlotNames{};
void DisplayScheme::FillFromNumber(std::int16_t, const ColorTable&) {}
void DisplayScheme::SetFromSaved(std::int16_t) {}
} // namespace ym
