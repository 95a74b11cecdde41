#include "core/number_text.h"
// STUB: to be implemented
namespace ym {
std::optional<double> TryVal(std::string_view) { return 0.0; }
double Val(std::string_view t) { return TryVal(t).value_or(0); }
bool IsNumeric(std::string_view) { return false; }
std::string Str(double) { return " 0"; }
std::string GeneralForm(double) { return "0"; }
std::string FormatMask(double, std::string_view) { return "0.00"; }
std::optional<std::int16_t> ToInt16(double) { return std::nullopt; }
std::optional<std::int32_t> ToInt32(double) { return std::nullopt; }
} // namespace ym
