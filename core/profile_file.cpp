#include "core/profile_file.h"
// STUB: to be implemented
namespace ym::profile {
long ReadString(const std::filesystem::path&, std::string_view, std::string_view, std::string_view d, std::string& out, std::size_t) { out = d; return static_cast<long>(out.size()); }
bool WriteKey(const std::filesystem::path&, std::string_view, std::string_view, std::string_view) { return false; }
bool WriteSection(const std::filesystem::path&, std::string_view, const std::vector<std::string>&) { return false; }
bool ReplaceFileAtomically(const std::filesystem::path&, std::string_view) { return false; }
} // namespace ym::profile
