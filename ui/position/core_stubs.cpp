// TEMPORARY: naive walks standing in for the solvers until they are merged.
#include "ui/position/core_stubs.h"

#include <array>
#include <cmath>

namespace ym {

namespace {
constexpr std::int64_t kWalk = 200000;
TradeResult At(const FeeRules& rules, double buy, double sell, double q) {
    TradeInput in{buy, sell, q, false, false};
    return ComputeTrade(rules, in);
}
bool Meets(const TradeResult& t, const ProfitGoal& g) {
    return g.kind == GoalKind::Profit ? t.netProfit >= g.value : t.yield >= g.value;
}
} // namespace

std::int64_t HighestSellIndex(const PriceGrid& grid) {
    return 9999999 * grid.ticksPerUnit;
}
std::int64_t HighestBuyIndex(const PriceGrid& grid) {
    return 999999 * grid.ticksPerUnit;
}

GridAnswer TargetSellIndex(const FeeRules& rules, const PriceGrid& grid, double buyPrice,
                           double quantity, const ProfitGoal& goal, std::int64_t top) {
    for (std::int64_t k = 1; k <= std::min(top, kWalk); ++k) {
        if (Meets(At(rules, buyPrice, grid.PriceAt(k), quantity), goal)) {
            return {GridOutcome::Found, k};
        }
    }
    return {};
}

AddedBuy AddToHolding(const FeeRules& rules, const Holding& h, double price, double quantity) {
    AddedBuy a;
    a.fees = LegFees(rules, Side::Buy, price, quantity);
    a.paid = price * quantity + a.fees;
    a.newQuantity = h.quantity + quantity;
    a.totalPaid = h.quantity * h.cost + price * quantity + a.fees;
    a.newCost = a.totalPaid / a.newQuantity;
    return a;
}

GridAnswer HoldingBreakEvenIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                                 double paid, std::int64_t top) {
    for (std::int64_t k = 1; k <= std::min(top, kWalk); ++k) {
        const double p = grid.PriceAt(k);
        if (p * quantity - LegFees(rules, Side::Sell, p, quantity) >= paid) {
            return {GridOutcome::Found, k};
        }
    }
    return {};
}

GridAnswer LotsToCost(const FeeRules& rules, const Holding& h, double price, double targetCost,
                      int lot, std::int64_t mostLots) {
    const bool down = price < h.cost;
    for (std::int64_t n = 1; n <= std::min<std::int64_t>(mostLots, 100000); ++n) {
        const double c = AddToHolding(rules, h, price, static_cast<double>(n * lot)).newCost;
        if (down ? c <= targetCost : c >= targetCost) {
            return {GridOutcome::Found, n};
        }
    }
    return {};
}

SwingResult Swing(const FeeRules& rules, const Holding& h, double q, double sell, double buy) {
    SwingResult s;
    s.sellFees = LegFees(rules, Side::Sell, sell, q);
    s.buyFees = LegFees(rules, Side::Buy, buy, q);
    s.gain = sell * q - s.sellFees - (buy * q + s.buyFees);
    s.newCost = h.cost - s.gain / h.quantity;
    return s;
}

GridAnswer SwingSellIndex(const FeeRules& rules, const PriceGrid& grid, double q, double buy,
                          std::int64_t top) {
    for (std::int64_t k = 1; k <= std::min(top, kWalk); ++k) {
        if (Swing(rules, {q, 0}, q, grid.PriceAt(k), buy).gain >= 0) {
            return {GridOutcome::Found, k};
        }
    }
    return {};
}

GridAnswer SwingBuyIndex(const FeeRules& rules, const PriceGrid& grid, double q, double sell,
                         std::int64_t top) {
    std::int64_t best = 0;
    for (std::int64_t k = 1; k <= std::min(top, kWalk); ++k) {
        if (Swing(rules, {q, 0}, q, sell, grid.PriceAt(k)).gain < 0) {
            break;
        }
        best = k;
    }
    return best > 0 ? GridAnswer{GridOutcome::Found, best} : GridAnswer{};
}

namespace {
const std::array<CodeRange, 9> kRanges{{
    {Exchange::Shanghai, "688", SecurityType::AShare, Board::Star, "科创板股票"},
    {Exchange::Shanghai, "60", SecurityType::AShare, Board::Main, "沪市主板 A 股"},
    {Exchange::Shanghai, "900", SecurityType::BShare, Board::BShare, "沪市 B 股（美元）"},
    {Exchange::Shanghai, "51", SecurityType::Fund, Board::Fund, "沪市 ETF"},
    {Exchange::Shenzhen, "30", SecurityType::AShare, Board::ChiNext, "创业板股票"},
    {Exchange::Shenzhen, "00", SecurityType::AShare, Board::Main, "深市主板 A 股"},
    {Exchange::Shenzhen, "200", SecurityType::BShare, Board::BShare, "深市 B 股（港元）"},
    {Exchange::Shenzhen, "159", SecurityType::Fund, Board::Fund, "深市 ETF"},
    {Exchange::Beijing, "83", SecurityType::AShare, Board::Beijing, "北交所股票（旧代码）"},
}};
} // namespace

std::optional<Market> SecurityCode::market() const {
    if (range->exchange == Exchange::Beijing) {
        return std::nullopt;
    }
    return range->exchange == Exchange::Shanghai ? Market::Shanghai : Market::Shenzhen;
}

CodeLookup LookUpCode(std::string_view text) {
    std::string digits(text);
    if (digits.empty() || digits.size() > 6) {
        return {std::nullopt, "not a code"};
    }
    digits.insert(0, 6 - digits.size(), '0');
    for (const CodeRange& r : kRanges) {
        if (digits.starts_with(r.prefix)) {
            return {SecurityCode{digits, &r}, ""};
        }
    }
    return {std::nullopt, "unknown code " + digits};
}

std::string_view BoardName(Board board) {
    static constexpr std::array<std::string_view, 8> kNames{"主板",   "主板 ST", "创业板", "科创板",
                                                            "北交所", "B 股",    "基金",   "债券"};
    return kNames[static_cast<std::size_t>(board)];
}

std::variant<PriceLimits, std::string> ComputeLimits(const LimitQuery& q) {
    static constexpr std::array<LimitRateRow, 8> kRates{{{Board::Main, 10},
                                                         {Board::MainRiskWarning, 5},
                                                         {Board::ChiNext, 20},
                                                         {Board::Star, 20},
                                                         {Board::Beijing, 30},
                                                         {Board::BShare, 10},
                                                         {Board::Fund, 10},
                                                         {Board::Bond, 0}}};
    if (q.board == Board::Bond) {
        return std::string("the price limits of bonds are not covered");
    }
    PriceLimits l{q.board,
                  GridOf(q.market, q.board == Board::BShare ? SecurityType::BShare
                                   : q.board == Board::Fund ? SecurityType::Fund
                                                            : SecurityType::AShare),
                  nullptr, std::nullopt, std::nullopt};
    if (q.listingDays) {
        return l;
    }
    l.rate = &kRates[static_cast<std::size_t>(q.board)];
    const std::int64_t c = std::llround(q.close * static_cast<double>(l.grid.ticksPerUnit));
    const int r = l.rate->percent;
    l.limitUp = l.grid.PriceAt((c * (100 + r) * 2 + 100) / 200);
    l.limitDown = l.grid.PriceAt((c * (100 - r) * 2 + 100) / 200);
    return l;
}

} // namespace ym
