// The position tools' window talks to the core through this part alone: it turns what the
// fields hold into the core's questions and the core's answers into rows for the result
// panels and points for the profit chart.
#pragma once

#include "core/fee_schedule.h"
#include "core/price_grid.h"
#include "core/program_state.h"
#include "core/result_rows.h"
#include "core/selection.h"
#include "core/trade_date.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ym::ui {

// What every tool works on: the fee rules of the security on the trade date, its price step
// and its lot.
struct ToolSecurity {
    FeeRules rules;
    PriceGrid grid;
    int lot = 100;
};

// nullopt for an official trade before the first rules (say kNoRulesMessage).
std::optional<ToolSecurity> SecurityFor(const ProgramState& state, Market market, SecurityType type,
                                        const Date& tradeDate);

// ---- Target and stop price ------------------------------------------------------------

struct TargetInputs {
    double buyPrice = 0;
    double quantity = 0;
    bool stop = false;  // lose no more than `amount`, rather than make it
    bool yield = false; // `amount` is a yield in percent, rather than yuan
    double amount = 0;
};

// The net profit of the round trip at one sell price.
struct ProfitPoint {
    double price = 0;
    double profit = 0;
};
struct ProfitCurve {
    std::vector<ProfitPoint> points; // rising prices
    double buyPrice = 0;
    std::optional<double> breakEven;
    std::optional<double> target;
    bool stop = false;
};

struct TargetAnswer {
    std::vector<ResultRow> rows;
    std::string note; // why there is no answer; empty if there is one
    ProfitCurve curve;
};
TargetAnswer AnswerTarget(const ToolSecurity& security, const TargetInputs& inputs);

// ---- Adding to a holding ---------------------------------------------------------------

struct AverageInputs {
    double held = 0;
    double cost = 0;
    double price = 0;
    double quantity = 0;
    // Without a quantity: the cost price to reach, for which the lots are proposed.
    std::optional<double> targetCost;
};
struct ToolAnswer {
    std::vector<ResultRow> rows;
    std::string note; // why there is no answer, or what to know about it; empty if nothing
};
ToolAnswer AnswerAverage(const ToolSecurity& security, const AverageInputs& inputs);

// ---- The same-day swing ----------------------------------------------------------------

struct SwingInputs {
    double held = 0;
    double cost = 0;
    double quantity = 0;
    std::optional<double> sellPrice;
    std::optional<double> buyPrice;
};
ToolAnswer AnswerSwing(const ToolSecurity& security, const SwingInputs& inputs);

// ---- Price limits ----------------------------------------------------------------------

// The boards in the order the window lists them.
std::vector<std::string_view> BoardCaptions();

struct LimitInputs {
    double close = 0;
    int board = 0; // an index into BoardCaptions()
    std::optional<Market> market;
    Date tradeDate;
    bool listingDays = false;
};
ToolAnswer AnswerLimits(const LimitInputs& inputs);

// ---- Security codes --------------------------------------------------------------------

struct CodeFacts {
    bool known = false;
    std::optional<Market> market; // none for an exchange the calculator has no fees for
    SecurityType type = SecurityType::AShare;
    int board = 0;           // an index into BoardCaptions()
    std::string description; // what the code is, or why it is not known
};
// A code of both exchanges is read on `market`, the one chosen.
CodeFacts LookUpSecurity(std::string_view code, Market market);

// The largest quantity the quantity fields admit: nine digits.
inline constexpr double kMostQuantity = 999999999;

} // namespace ym::ui
