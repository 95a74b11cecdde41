// The daily price limits (涨跌停价) of the exchanges: from the previous close, the board and
// the trade date, limit-up = close × (1 + r) and limit-down = close × (1 − r), each rounded
// half up to the tick. The rates are dated rows with their sources, as the official fees are.
#pragma once

#include "core/official_rules.h"
#include "core/price_grid.h"
#include "core/security_codes.h"
#include "core/trade_date.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace ym {

struct LimitRateRow {
    Board board;
    int percent; // r in whole percent
    Date first;
    std::optional<Date> last; // nullopt: still in force
    std::string_view source;
    Evidence mark;

    bool InForce(const Date& date) const { return first <= date && (!last || date <= *last); }
};

// The first trading days after a listing that have no price limits, where a board's rules
// say so.
struct ListingRow {
    Board board;
    int days;
    Date first; // listings from this day on
    std::string_view source;
    Evidence mark;
};

std::span<const LimitRateRow> LimitRateTable();
std::span<const ListingRow> ListingTable();

struct LimitQuery {
    double close = 0; // the previous close, a price on the board's grid
    Board board = Board::Main;
    // Needed only where the board alone does not tell the tick: B shares (Shanghai 0.001 US
    // dollars, Shenzhen 0.01 Hong Kong dollars).
    std::optional<Market> market;
    Date date;
    bool listingDays = false; // the trade date is one of the first days after the listing
};

struct PriceLimits {
    Board board;
    PriceGrid grid;
    const LimitRateRow* rate = nullptr; // nullptr: no limits on the listing days
    const ListingRow* listing = nullptr;
    // nullopt without limits. Rates are at most 50 %, so the rounding alone keeps the
    // limit-down at one tick or more. Where a rounded limit equals the close (a close of
    // fewer than 1 / (2r) ticks, such as 0.04 at 10 %), it is left so: no rule of the
    // exchanges for that case was found.
    std::optional<double> limitUp;
    std::optional<double> limitDown;
};

// The limits, or the one-line reason there are none to tell: bonds (not covered), a board
// without a rule on that date, a close off the grid or not above 0.
std::variant<PriceLimits, std::string> ComputeLimits(const LimitQuery& query);

inline constexpr std::string_view kBondLimitsMessage =
    "the price limits of bonds (by type and exchange, some without limits) are not covered";

} // namespace ym
