// The position tools of yuanmate-calc: target (the sell price that reaches a profit, a yield or
// a stop), average (adding to a holding, or the lots that bring its cost to a target) and swing
// (the same-day swing and the prices at which it stops losing). Each takes the selection and
// fee model options of trade and prices every leg as trade does.
#include "core/number_text.h"
#include "core/position_tools.h"
#include "core/price_grid.h"
#include "core/result_rows.h"
#include "tools/calc_commands.h"

#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace ym::calc {

namespace {

constexpr FieldSpec kBuyField{"买入价格", "--buy", kPriceFieldLength, true};
constexpr FieldSpec kQuantityField{"买卖数量", "--qty", kQuantityFieldLength, false};
constexpr FieldSpec kHeldField{"持仓数量", "--held", kQuantityFieldLength, false};
constexpr FieldSpec kCostField{"成本价", "--cost", kPriceFieldLength, true};
constexpr FieldSpec kAddPriceField{"补仓价格", "--buy", kPriceFieldLength, true};
constexpr FieldSpec kAddQuantityField{"补仓数量", "--qty", kQuantityFieldLength, false};
constexpr FieldSpec kToCostField{"目标成本价", "--to-cost", kPriceFieldLength, true};
constexpr FieldSpec kSwingQuantityField{"做T数量", "--qty", kQuantityFieldLength, false};
constexpr FieldSpec kSwingSellField{"卖出价格", "--sell", kPriceFieldLength, true};
constexpr FieldSpec kBuyBackField{"买回价格", "--buy", kPriceFieldLength, true};

constexpr std::string_view kUnreachable = "无法达到";
// The value stays within rounding noise of its bound over more prices than are tried.
constexpr std::string_view kUndecided = "无法确定";

const std::string kPrefix = std::string(kProgramName) + ": ";

struct FieldEntry {
    const FieldSpec* field;
    const std::optional<std::string>* given;
    Commit commit;
    EnteredValue* entered;
};

// Types every given value into its field; false once the complaint is written.
bool EnterFields(std::initializer_list<FieldEntry> entries, std::ostream& err) {
    for (const FieldEntry& e : entries) {
        if (auto message = EnterField(*e.field, *e.given, e.commit, *e.entered)) {
            err << kPrefix << *message << '\n';
            return false;
        }
    }
    return true;
}

// A field whose value must be above 0 when given.
bool Positive(const FieldSpec& field, const EnteredValue& value, std::ostream& err) {
    if (!value.empty && value.value > 0) {
        return true;
    }
    err << kPrefix << FieldMessage(field, "must be above 0") << '\n';
    return false;
}

std::string PriceText(const PriceGrid& grid, double price) {
    return FormatMask(price, grid.ticksPerUnit >= 1000 ? "######0.000" : "######0.00");
}
std::string YuanText(double value) {
    return FormatMask(value, "######0.00");
}
std::string CostText(double value) {
    return FormatMask(value, "######0.000");
}
std::string CountText(double value) {
    return FormatMask(value, "0");
}

std::optional<double> PriceOf(const PriceGrid& grid, const GridAnswer& answer) {
    if (answer.outcome != GridOutcome::Found) {
        return std::nullopt;
    }
    return grid.PriceAt(answer.index);
}

std::string_view Failure(const GridAnswer& answer) {
    return answer.outcome == GridOutcome::Undecided ? kUndecided : kUnreachable;
}

// One result: its caption for the text output, its JSON name and its value (null: none).
struct Line {
    std::string caption;
    std::string name;
    std::optional<double> value;
    std::string text; // the value as the text output shows it, or why there is none
};

void WriteLines(const std::vector<Line>& lines, bool json, std::ostream& out) {
    if (json) {
        out << "{\n";
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out << "  \"" << lines[i].name
                << "\": " << (lines[i].value ? JsonNumber(*lines[i].value) : "null")
                << (i + 1 < lines.size() ? ",\n" : "\n");
        }
        out << "}\n";
        return;
    }
    for (const Line& line : lines) {
        out << line.caption << '\t' << line.text << '\n';
    }
}

Line PriceLine(std::string caption, std::string name, const PriceGrid& grid,
               const GridAnswer& answer) {
    const std::optional<double> price = PriceOf(grid, answer);
    return {std::move(caption), std::move(name), price,
            price ? PriceText(grid, *price) : std::string(Failure(answer))};
}

} // namespace

int RunTarget(const PositionOptions& options, std::ostream& out, std::ostream& err) {
    EnteredValue buy;
    EnteredValue quantity;
    if (!EnterFields({{&kBuyField, &options.buy, &CommitBuyPrice, &buy},
                      {&kQuantityField, &options.qty, &CommitQuantity, &quantity}},
                     err) ||
        !Positive(kBuyField, buy, err) || !Positive(kQuantityField, quantity, err)) {
        return kExitBadInput;
    }
    int status = kExitOk;
    const std::optional<TradeContext> context = ResolveTrade(options, err, status);
    if (!context) {
        return status;
    }
    const ProfitGoal goal = options.profit ? ProfitGoal{GoalKind::Profit, Val(*options.profit)}
                                           : ProfitGoal{GoalKind::Yield, Val(*options.yield)};
    const PriceGrid grid = GridOf(context->market, context->type);
    const GridAnswer answer = TargetSellIndex(context->rules, grid, buy.value, quantity.value, goal,
                                              HighestSellIndex(grid));
    const Line target = PriceLine("目标价", "TargetPrice", grid, answer);
    if (!target.value) {
        WriteLines({target}, options.json, out);
        return kExitOk;
    }
    TradeInput input;
    input.buyPrice = buy.value;
    input.sellPrice = *target.value;
    input.quantity = quantity.value;
    input.buyFieldEmpty = false;
    input.sellFieldEmpty = false;
    const TradeResult trade = ComputeTrade(context->rules, input);
    if (options.json) {
        out << "{\n  \"TargetPrice\": " << JsonNumber(*target.value) << ",\n";
        WriteTradeFields(trade, out);
        out << "}\n";
        return kExitOk;
    }
    WriteLines({target}, false, out);
    for (const ResultRow& row : PanelRows(PanelForType(context->type), trade)) {
        out << row.caption << '\t' << row.value << '\n';
    }
    return kExitOk;
}

int RunAverage(const PositionOptions& options, std::ostream& out, std::ostream& err) {
    EnteredValue held;
    EnteredValue cost;
    EnteredValue price;
    EnteredValue quantity;
    EnteredValue toCost;
    if (!EnterFields({{&kHeldField, &options.held, &CommitQuantity, &held},
                      {&kCostField, &options.cost, &CommitSellPrice, &cost},
                      {&kAddPriceField, &options.buy, &CommitBuyPrice, &price},
                      {&kAddQuantityField, &options.qty, &CommitQuantity, &quantity},
                      {&kToCostField, &options.toCost, &CommitSellPrice, &toCost}},
                     err) ||
        !Positive(kAddPriceField, price, err) ||
        !(options.qty ? Positive(kAddQuantityField, quantity, err)
                      : Positive(kToCostField, toCost, err))) {
        return kExitBadInput;
    }
    int status = kExitOk;
    const std::optional<TradeContext> context = ResolveTrade(options, err, status);
    if (!context) {
        return status;
    }
    const Holding holding{held.value, cost.value};
    const int lot = LotOf(context->type);
    double added = quantity.value;
    Line proposal{"补仓数量", "AddQuantity", std::nullopt, ""};
    if (options.toCost) {
        // Whole lots up to what the quantity field holds.
        const auto mostLots =
            static_cast<std::int64_t>(std::pow(10.0, kQuantityFieldLength) - 1) / lot;
        const GridAnswer lots =
            LotsToCost(context->rules, holding, price.value, toCost.value, lot, mostLots);
        if (lots.outcome != GridOutcome::Found) {
            proposal.text =
                std::string(Failure(lots)) + ": " + (price.value < holding.cost ? "买入" : "加仓") +
                CountText(static_cast<double>(mostLots * lot)) + "股以内成本价" +
                (price.value < holding.cost ? "降不到" : "升不到") + CostText(toCost.value);
            WriteLines({{"补仓费用", "AddFees", std::nullopt, "-"},
                        {"补仓金额", "AddPaid", std::nullopt, "-"},
                        {"持仓数量", "NewQuantity", std::nullopt, "-"},
                        {"成本价", "NewCost", std::nullopt, "-"},
                        {"保本卖出价", "BreakEvenPrice", std::nullopt, "-"},
                        proposal},
                       options.json, out);
            return kExitOk;
        }
        added = static_cast<double>(lots.index) * lot;
        proposal.value = added;
        proposal.text = CountText(added);
    }
    const AddedBuy result = AddToHolding(context->rules, holding, price.value, added);
    const PriceGrid grid = GridOf(context->market, context->type);
    const GridAnswer breakEven = HoldingBreakEvenIndex(context->rules, grid, result.newQuantity,
                                                       result.totalPaid, HighestSellIndex(grid));
    std::vector<Line> lines{
        {"补仓费用", "AddFees", result.fees, YuanText(result.fees)},
        {"补仓金额", "AddPaid", result.paid, YuanText(result.paid)},
        {"持仓数量", "NewQuantity", result.newQuantity, CountText(result.newQuantity)},
        {"成本价", "NewCost", result.newCost, CostText(result.newCost)},
        PriceLine("保本卖出价", "BreakEvenPrice", grid, breakEven),
    };
    if (options.toCost || options.json) {
        lines.push_back(proposal);
    }
    WriteLines(lines, options.json, out);
    return kExitOk;
}

int RunSwing(const PositionOptions& options, std::ostream& out, std::ostream& err) {
    EnteredValue held;
    EnteredValue cost;
    EnteredValue quantity;
    EnteredValue sell;
    EnteredValue buy;
    if (!EnterFields({{&kHeldField, &options.held, &CommitQuantity, &held},
                      {&kCostField, &options.cost, &CommitSellPrice, &cost},
                      {&kSwingQuantityField, &options.qty, &CommitQuantity, &quantity},
                      {&kSwingSellField, &options.sell, &CommitSellPrice, &sell},
                      {&kBuyBackField, &options.buy, &CommitBuyPrice, &buy}},
                     err) ||
        !Positive(kHeldField, held, err) || !Positive(kSwingQuantityField, quantity, err) ||
        (options.sell && !Positive(kSwingSellField, sell, err)) ||
        (options.buy && !Positive(kBuyBackField, buy, err))) {
        return kExitBadInput;
    }
    if (quantity.value > held.value) {
        err << kPrefix
            << FieldMessage(kSwingQuantityField,
                            "at most the quantity held: only shares held before today can be "
                            "sold today")
            << '\n';
        return kExitBadInput;
    }
    int status = kExitOk;
    const std::optional<TradeContext> context = ResolveTrade(options, err, status);
    if (!context) {
        return status;
    }
    const PriceGrid grid = GridOf(context->market, context->type);
    const Holding holding{held.value, cost.value};
    std::vector<Line> lines;
    if (options.sell && options.buy) {
        const SwingResult s = Swing(context->rules, holding, quantity.value, sell.value, buy.value);
        lines = {{"卖出费用", "SellFees", s.sellFees, YuanText(s.sellFees)},
                 {"买回费用", "BuyFees", s.buyFees, YuanText(s.buyFees)},
                 {"做T收益", "Gain", s.gain, YuanText(s.gain)},
                 {"成本价", "NewCost", s.newCost, CostText(s.newCost)}};
    } else if (options.json) {
        lines = {{"", "SellFees", std::nullopt, ""},
                 {"", "BuyFees", std::nullopt, ""},
                 {"", "Gain", std::nullopt, ""},
                 {"", "NewCost", std::nullopt, ""}};
    }
    const auto none = GridAnswer{GridOutcome::Unreachable, 0};
    if (options.buy || options.json) {
        lines.push_back(PriceLine("保本卖出价", "BreakEvenSell", grid,
                                  options.buy ? SwingSellIndex(context->rules, grid, quantity.value,
                                                               buy.value, HighestSellIndex(grid))
                                              : none));
    }
    if (options.sell || options.json) {
        lines.push_back(PriceLine("保本买回价", "BreakEvenBuy", grid,
                                  options.sell ? SwingBuyIndex(context->rules, grid, quantity.value,
                                                               sell.value, HighestBuyIndex(grid))
                                               : none));
    }
    WriteLines(lines, options.json, out);
    return kExitOk;
}

} // namespace ym::calc
