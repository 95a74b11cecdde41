#include "core/settings_file.h"
// STUB: to be implemented
namespace ym {
std::string_view MessageText(SettingsMessage) { return "  ## Error"; }
std::string SettingsPath(std::string_view d, char s) { return std::string(d) + s + std::string(kSettingsFileName); }
std::filesystem::path SettingsPathInCurrentDirectory() { return std::filesystem::current_path() / kSettingsFileName; }
std::optional<SettingsMessage> EnsureSettingsFile(const std::filesystem::path&) { return std::nullopt; }
std::string DefaultSettingsBytes() { return {}; }
SettingsRead ReadSettings(const std::filesystem::path&) { SettingsRead r; r.settings.Select1 = 2; r.settings.Select2 = 1; r.settings.parameters = FeeParameters::Defaults(); return r; }
std::optional<SettingsMessage> SaveSelection(const std::filesystem::path&, std::int16_t, std::int16_t) { return std::nullopt; }
std::optional<SettingsMessage> SaveParameters(const std::filesystem::path&, const FeeParameters&, const DisplayScheme&) { return std::nullopt; }
} // namespace ym
