// Hostile settings-file values and pasted field texts: the readers and writers must never
// crash, and whatever they write must read back as the same number. The input is read
// both as text and, by its first eight bytes, as a double, so that every finite double
// (subnormals, the largest, negative zero) gets written and read back, not only the few a
// text would reach.
#include "core/entry_rules.h"
#include "core/number_text.h"
#include "fuzz/fuzz_check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

// What the settings file stores must read back and be written again as the same text.
void CheckWrittenReadsBack(double x) {
    const std::string s = ym::Str(x);
    const std::optional<double> back = ym::TryVal(s);
    YM_FUZZ_CHECK(back.has_value() && ym::Str(*back) == s);
    YM_FUZZ_CHECK(ym::IsNumeric(s));
    const std::string g = ym::GeneralForm(x);
    YM_FUZZ_CHECK(ym::GeneralForm(ym::Val(g)) == g && ym::IsNumeric(g));
    YM_FUZZ_CHECK(x != 0 || s == " 0"); // no negative zero ever reaches the text
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (size >= sizeof(double)) {
        double x = 0;
        std::memcpy(&x, data, sizeof x);
        if (std::isfinite(x)) {
            CheckWrittenReadsBack(x);
        }
    }

    const std::optional<double> v = ym::TryVal(text);
    YM_FUZZ_CHECK(ym::Val(text) == v.value_or(0));
    if (ym::IsNumeric(text)) {
        YM_FUZZ_CHECK(v.has_value()); // a whole-text number is one the reader can represent
    }
    if (v) {
        YM_FUZZ_CHECK(std::isfinite(*v));
        CheckWrittenReadsBack(*v);
    }

    // The first byte splits the input into a mask and the text of its value.
    if (size > 0) {
        const std::size_t cut = 1 + data[0] % size;
        const std::string_view mask = text.substr(1, cut - 1);
        const double value = ym::Val(text.substr(cut));
        (void)ym::FormatMask(value, mask);
        (void)ym::FormatMask(value, ym::kYuanMask);
        (void)ym::FormatMask(value, ym::kPercentMask);
        (void)ym::RoundToCents(value);
    }

    if (size >= 3) {
        const char32_t ch = static_cast<char32_t>(data[0]) | (static_cast<char32_t>(data[1]) << 8);
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
