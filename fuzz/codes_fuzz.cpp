// Hostile code texts and closes: a code is told only as six digits of a range that holds
// them, and a limit only on the grid, with the limit-down at or below the close and the
// limit-up at or above it.
#include "core/price_limits.h"
#include "core/security_codes.h"
#include "fuzz/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ym::CodeLookup found = ym::LookUpCode(text);
    YM_FUZZ_CHECK(found.code.has_value() == found.problem.empty());
    if (found.code) {
        const std::string& digits = found.code->digits;
        YM_FUZZ_CHECK(digits.size() == 6 && digits.find_first_not_of("0123456789") == digits.npos);
        YM_FUZZ_CHECK(std::string_view(digits).starts_with(found.code->range->prefix));
    }

    // Nine bytes: a close and a board, market, date and flag.
    if (size < 9) {
        return 0;
    }
    ym::LimitQuery query;
    std::memcpy(&query.close, data, sizeof query.close);
    const std::uint8_t pick = data[8];
    query.board = static_cast<ym::Board>(pick % 8);
    query.market = pick & 8 ? std::optional(ym::Market::Shanghai) : std::nullopt;
    query.date = pick & 16 ? ym::Date{2020, 8, 21} : ym::Date{2026, 12, 7};
    query.listingDays = (pick & 32) != 0;
    const auto outcome = ym::ComputeLimits(query);
    if (const auto* limits = std::get_if<ym::PriceLimits>(&outcome)) {
        YM_FUZZ_CHECK(limits->limitUp.has_value() == limits->limitDown.has_value());
        if (limits->limitUp) {
            const ym::PriceGrid grid = limits->grid;
            for (const double price : {*limits->limitUp, *limits->limitDown}) {
                YM_FUZZ_CHECK(price > 0 && grid.PriceAt(grid.CeilIndex(price)) == price);
            }
            YM_FUZZ_CHECK(*limits->limitDown <= query.close && query.close <= *limits->limitUp);
        }
    }
    return 0;
}
