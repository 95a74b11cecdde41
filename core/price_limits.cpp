#include "core/price_limits.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace ym {

namespace {

using B = Board;
constexpr std::optional<Date> kOpen = std::nullopt;
constexpr Evidence kSourced = Evidence::Sourced;
constexpr Evidence kBelieved = Evidence::Believed;

constexpr std::array<LimitRateRow, 9> kRates{{
    {B::Main,
     10,
     {1996, 12, 16},
     kOpen,
     "沪深交易所 1996-12-16 起实行 10% 涨跌幅限制；交易规则",
     kSourced},
    {B::MainRiskWarning,
     5,
     {1998, 4, 22},
     Date{2026, 7, 5},
     "风险警示股票 5%（沪深交易所 2025-06-27 征求意见稿称现行 5%；起始日未核对）",
     kSourced},
    {B::MainRiskWarning,
     10,
     {2026, 7, 6},
     kOpen,
     "关于调整主板风险警示股票价格涨跌幅限制比例的通知（2025-06-27 征求意见稿）；"
     "实施日据行情数据推断，正式通知未读",
     kBelieved},
    {B::ChiNext, 10, {2009, 10, 30}, Date{2020, 8, 23}, "创业板改革前，同主板", kSourced},
    {B::ChiNext, 20, {2020, 8, 24}, kOpen, "深圳证券交易所创业板交易特别规定", kSourced},
    {B::Star, 20, {2019, 7, 22}, kOpen, "上海证券交易所科创板股票交易特别规定", kSourced},
    {B::Beijing, 30, {2021, 11, 15}, kOpen, "北京证券交易所交易规则（试行）", kSourced},
    {B::BShare, 10, {1996, 12, 16}, kOpen, "沪深交易所交易规则（B 股同主板，原文未读）", kBelieved},
    {B::Fund, 10, {1996, 12, 16}, kOpen, "ETF、LOF、封闭式基金 10%（原文未读）", kBelieved},
}};

constexpr std::array<ListingRow, 4> kListings{{
    {B::Main, 5, {2023, 4, 10}, "全面注册制：主板新股上市后前 5 个交易日不设涨跌幅限制", kSourced},
    {B::ChiNext, 5, {2020, 8, 24}, "创业板新股上市后前 5 个交易日不设涨跌幅限制", kSourced},
    {B::Star, 5, {2019, 7, 22}, "科创板新股上市后前 5 个交易日不设涨跌幅限制", kSourced},
    {B::Beijing, 1, {2021, 11, 15}, "北交所新股上市首日不设涨跌幅限制", kBelieved},
}};

// Limit-down = close × (1 − r) must stay at one tick or more by rounding alone.
constexpr bool RatesKeepATick() {
    for (const LimitRateRow& row : kRates) {
        if (row.percent < 0 || row.percent > 50) {
            return false;
        }
    }
    return true;
}
static_assert(RatesKeepATick());

// Whole ticks × (100 ± percent) / 100, rounded half up: exact for any close on the grid.
std::int64_t Scaled(std::int64_t ticks, int percentFactor) {
    return (ticks * percentFactor + 50) / 100;
}

constexpr double kLargestClose = 10'000'000;

} // namespace

std::span<const LimitRateRow> LimitRateTable() {
    return kRates;
}

std::span<const ListingRow> ListingTable() {
    return kListings;
}

std::variant<PriceLimits, std::string> ComputeLimits(const LimitQuery& query) {
    if (query.board == Board::Bond) {
        return std::string(kBondLimitsMessage);
    }
    const std::string board(BoardName(query.board));
    const std::string date = FormatDate(query.date);
    if (query.board == Board::BShare && !query.market) {
        return std::string("B shares need the market: 沪市 B 股 trade in 0.001 US dollars, "
                           "深市 B 股 in 0.01 Hong Kong dollars");
    }
    PriceLimits limits{query.board, {}, nullptr, nullptr, std::nullopt, std::nullopt};
    const SecurityType type = query.board == Board::BShare ? SecurityType::BShare
                              : query.board == Board::Fund ? SecurityType::Fund
                                                           : SecurityType::AShare;
    limits.grid = GridOf(query.market, type);
    if (!(query.close > 0) || !(query.close < kLargestClose)) {
        return std::string("the previous close must be above 0 and below 10000000");
    }
    const std::int64_t ticks = limits.grid.CeilIndex(query.close);
    if (limits.grid.PriceAt(ticks) != query.close) {
        return std::string("the previous close is no price of the tick of ") + board + " (" +
               (limits.grid.ticksPerUnit == 1000 ? "0.001" : "0.01") + ")";
    }
    if (query.listingDays) {
        for (const ListingRow& row : kListings) {
            if (row.board == query.board && row.first <= query.date) {
                limits.listing = &row;
                return limits;
            }
        }
        return "no rule known to the calculator lets " + board +
               " trade without limits after a listing on " + date;
    }
    for (const LimitRateRow& row : kRates) {
        if (row.board == query.board && row.InForce(query.date)) {
            limits.rate = &row;
            limits.limitUp = limits.grid.PriceAt(Scaled(ticks, 100 + row.percent));
            limits.limitDown = limits.grid.PriceAt(Scaled(ticks, 100 - row.percent));
            return limits;
        }
    }
    return "no price limit rule of " + board + " known to the calculator for " + date;
}

} // namespace ym
