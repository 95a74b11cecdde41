// Hostile settings-file values and pasted field texts: the readers and writers must never
// crash, and whatever they write must read back as the same number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/entry_rules.h"
#include "core/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    std::optional<double> v = ym::TryVal(text);
    (void)ym::IsNumeric(text);
    if (v) {
        const std::string s = ym::Str(*v);
        if (ym::Str(ym::Val(s)) != s) {
            std::abort();
        }
        const std::string g = ym::GeneralForm(*v);
        if (ym::GeneralForm(ym::Val(g)) != g) {
            std::abort();
        }
        if (!ym::IsNumeric(s) || !ym::IsNumeric(g)) {
            std::abort();
        }
        if (*v == 0 && s != " 0") {
            std::abort(); // no negative zero ever reaches the text
        }
    }

    // The first byte splits the input into a mask and the text of its value.
    if (size > 0) {
        std::size_t cut = 1 + data[0] % size;
        std::string_view mask = text.substr(1, cut - 1);
        double value = ym::Val(text.substr(cut));
        std::string shown = ym::FormatMask(value, mask);
        (void)ym::FormatMask(value, ym::kYuanMask);
        (void)ym::FormatMask(value, ym::kPercentMask);
        (void)shown;
    }

    if (size >= 3) {
        char32_t ch = static_cast<char32_t>(data[0]) | (static_cast<char32_t>(data[1]) << 8);
        (void)ym::FilterFractionKey(ch, text.substr(3), data[2] & 0x0F, data[2] >> 4);
        (void)ym::FilterWholeKey(ch);
    }
    (void)ym::CommitBuyPrice(text);
    (void)ym::CommitSellPrice(text);
    (void)ym::CommitQuantity(text);
    (void)ym::ToInt16(v.value_or(0));
    (void)ym::ToInt32(v.value_or(0));
    return 0;
}
