// TEMPORARY: stand-ins for the position solvers, the code table and the price limits until
// they are merged; removed then.
#pragma once

#include "core/fee_schedule.h"
#include "core/official_rules.h"
#include "core/price_grid.h"
#include "core/trade.h"
#include "core/trade_date.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace ym {

enum class GoalKind : std::uint8_t { Profit, Yield };
struct ProfitGoal {
    GoalKind kind = GoalKind::Profit;
    double value = 0;
};
enum class GridOutcome : std::uint8_t { Found, Unreachable, Undecided };
struct GridAnswer {
    GridOutcome outcome = GridOutcome::Unreachable;
    std::int64_t index = 0;
};
std::int64_t HighestSellIndex(const PriceGrid& grid);
std::int64_t HighestBuyIndex(const PriceGrid& grid);
GridAnswer TargetSellIndex(const FeeRules& rules, const PriceGrid& grid, double buyPrice,
                           double quantity, const ProfitGoal& goal, std::int64_t top);
struct Holding {
    double quantity = 0;
    double cost = 0;
};
struct AddedBuy {
    double fees = 0, paid = 0, newQuantity = 0, totalPaid = 0, newCost = 0;
};
AddedBuy AddToHolding(const FeeRules& rules, const Holding& holding, double price, double quantity);
GridAnswer HoldingBreakEvenIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                                 double paid, std::int64_t top);
GridAnswer LotsToCost(const FeeRules& rules, const Holding& holding, double price,
                      double targetCost, int lot, std::int64_t mostLots);
struct SwingResult {
    double sellFees = 0, buyFees = 0, gain = 0, newCost = 0;
};
SwingResult Swing(const FeeRules& rules, const Holding& holding, double quantity, double sellPrice,
                  double buyPrice);
GridAnswer SwingSellIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                          double buyPrice, std::int64_t top);
GridAnswer SwingBuyIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                         double sellPrice, std::int64_t top);

enum class Exchange : std::uint8_t { Shanghai, Shenzhen, Beijing };
enum class Board : std::uint8_t {
    Main,
    MainRiskWarning,
    ChiNext,
    Star,
    Beijing,
    BShare,
    Fund,
    Bond
};
struct CodeRange {
    Exchange exchange;
    std::string_view prefix;
    SecurityType type;
    Board board;
    std::string_view what;
};
struct SecurityCode {
    std::string digits;
    const CodeRange* range;
    std::optional<Market> market() const;
};
struct CodeLookup {
    std::optional<SecurityCode> code;
    std::string problem;
};
CodeLookup LookUpCode(std::string_view text);
std::string_view BoardName(Board board);

struct LimitRateRow {
    Board board;
    int percent;
};
struct LimitQuery {
    double close = 0;
    Board board = Board::Main;
    std::optional<Market> market;
    Date date;
    bool listingDays = false;
};
struct PriceLimits {
    Board board;
    PriceGrid grid;
    const LimitRateRow* rate = nullptr;
    std::optional<double> limitUp;
    std::optional<double> limitDown;
};
std::variant<PriceLimits, std::string> ComputeLimits(const LimitQuery& query);

} // namespace ym
