// What the number entry fields admit and how a committed text becomes a stored value.
// Shared by the windows and the command-line companion so that both accept exactly
// the same input.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ym {

enum class KeyVerdict { Accept, Discard, Commit };

inline constexpr char kBackspace = 8;
inline constexpr char kEnter = 13;

inline constexpr std::size_t kPriceFieldLength = 7;
inline constexpr std::size_t kQuantityFieldLength = 9;
inline constexpr double kBuyPriceLimit = 999999;

// One typed character of a field that admits a fraction. `text` is the field's
// current text, the selection is [selStart, selStart + selLength).
KeyVerdict FilterFractionKey(char32_t ch, std::string_view text, std::size_t selStart,
                             std::size_t selLength);
// One typed character of a whole-number field: digits, Backspace and Enter only.
KeyVerdict FilterWholeKey(char32_t ch);

// The result of committing a field's text.
struct FieldCommit {
    bool refused = false;               // the value broke the field's limit; the stored value stays
    double value = 0;                   // the new stored value (when not refused)
    std::optional<std::string> newText; // the text the field shows from now on, if changed
};

// Buy price: empty is 0; above kBuyPriceLimit refused (the field is emptied);
// a value with a fraction is rewritten with kEntryMask.
FieldCommit CommitBuyPrice(std::string_view text);
// Sell price: as the buy price without the limit.
FieldCommit CommitSellPrice(std::string_view text);
// Quantity: empty is 0 and stays empty; otherwise rewritten in plain decimal form.
FieldCommit CommitQuantity(std::string_view text);

// The ex-rights window's fields: the longest text each takes, and whether it counts shares
// or money. The prices before and after share one.
struct ExRightsEntry {
    std::size_t maxLength;
    bool countsShares;
};
inline constexpr ExRightsEntry kExRightsPriceEntry{11, false};
inline constexpr ExRightsEntry kBonusEntry{7, true};
inline constexpr ExRightsEntry kRightsEntry{7, true};
inline constexpr ExRightsEntry kRightsPriceEntry{9, false};
inline constexpr ExRightsEntry kCashEntry{9, false};

// An ex-rights field's text as it is committed: a share count is the number it reads and
// stays as typed; money is read like the sell price (no limit, a fraction shown through
// kEntryMask while the typed value is kept).
FieldCommit CommitExRightsEntry(const ExRightsEntry& entry, std::string_view text);

// The message shown (with the application's title) when a buy price is refused.
inline constexpr std::string_view kBuyPriceLimitMessage = "输入的值不能大于等于1000000,请重新输入!";

} // namespace ym
