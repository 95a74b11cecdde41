#include "core/entry_rules.h"
// STUB: to be implemented
namespace ym {
KeyVerdict FilterFractionKey(char32_t, std::string_view, std::size_t, std::size_t) { return KeyVerdict::Discard; }
KeyVerdict FilterWholeKey(char32_t) { return KeyVerdict::Discard; }
FieldCommit CommitBuyPrice(std::string_view) { return {}; }
FieldCommit CommitSellPrice(std::string_view) { return {}; }
FieldCommit CommitQuantity(std::string_view) { return {}; }
} // namespace ym
