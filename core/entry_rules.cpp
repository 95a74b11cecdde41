#include "core/entry_rules.h"

#include <cmath>

#include "core/number_text.h"

// The field lengths (kPriceFieldLength, kQuantityFieldLength) are the fields' own maximum
// lengths: typing stops there, so the filters below never see a key that would exceed them.
// A text set by a commit may still be longer ("12345.5" becomes "12345.50").

namespace ym {
namespace {

bool IsDigitKey(char32_t ch) {
    return ch >= U'0' && ch <= U'9';
}

bool HasFraction(double value) {
    return std::fabs(value - std::trunc(value)) > 0;
}

FieldCommit CommitPrice(std::string_view text, bool limited) {
    FieldCommit c;
    if (text.empty()) {
        c.value = 0;
        return c;
    }
    const double value = Val(text);
    if (limited && value > kBuyPriceLimit) {
        c.refused = true;
        c.newText = std::string();
        return c;
    }
    c.value = value;
    if (HasFraction(value)) {
        c.newText = FormatMask(value, kEntryMask);
    }
    return c;
}

} // namespace

KeyVerdict FilterFractionKey(char32_t ch, std::string_view text, std::size_t selStart,
                             std::size_t selLength) {
    if (IsDigitKey(ch) || ch == static_cast<char32_t>(kBackspace)) {
        return KeyVerdict::Accept;
    }
    if (ch == static_cast<char32_t>(kEnter)) {
        return KeyVerdict::Commit;
    }
    if (ch != U'.') {
        return KeyVerdict::Discard;
    }
    // The point may never become the first character, not even over a selection.
    if (selStart == 0) {
        return KeyVerdict::Discard;
    }
    // A caller's selection outside the text is taken as a caret at its end.
    const std::size_t start = selStart < text.size() ? selStart : text.size();
    const std::size_t length = selLength < text.size() - start ? selLength : text.size() - start;
    if (length > 0 && text.substr(start, length).find('.') != std::string_view::npos) {
        return KeyVerdict::Accept; // the typed point replaces the selected one
    }
    return text.find('.') == std::string_view::npos ? KeyVerdict::Accept : KeyVerdict::Discard;
}

KeyVerdict FilterWholeKey(char32_t ch) {
    if (IsDigitKey(ch) || ch == static_cast<char32_t>(kBackspace)) {
        return KeyVerdict::Accept;
    }
    if (ch == static_cast<char32_t>(kEnter)) {
        return KeyVerdict::Commit;
    }
    return KeyVerdict::Discard;
}

FieldCommit CommitBuyPrice(std::string_view text) {
    return CommitPrice(text, true);
}

FieldCommit CommitSellPrice(std::string_view text) {
    return CommitPrice(text, false);
}

FieldCommit CommitQuantity(std::string_view text) {
    FieldCommit c;
    if (text.empty()) {
        c.value = 0;
        return c;
    }
    c.value = Val(text);
    c.newText = GeneralForm(c.value);
    return c;
}

FieldCommit CommitExRightsEntry(const ExRightsEntry& entry, std::string_view text) {
    if (!entry.countsShares) {
        return CommitSellPrice(text);
    }
    FieldCommit c;
    c.value = Val(text);
    return c;
}

} // namespace ym
