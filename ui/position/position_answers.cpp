#include "ui/position/position_answers.h"

#include "core/fee_model.h"
#include "core/number_text.h"
#include "core/position_tools.h"
#include "core/price_limits.h"
#include "core/security_codes.h"
#include "core/trade.h"

#include <algorithm>
#include <array>
#include <utility>
#include <variant>

namespace ym::ui {

namespace {

// Prices as their grid writes them: three decimals on a 0.001 grid. A cost price is a
// quotient, shown to 0.001 as trading clients show it.
constexpr std::string_view kMilliMask = "###,###,###,##0.000元";
constexpr std::string_view kShareMask = "###,###,###,##0股";

constexpr std::string_view kUnreachable = "无法达到";
// The condition stays within rounding noise of its bound: nothing is claimed.
constexpr std::string_view kUndecided = "无法确定";

std::string Money(double value) {
    return FormatMask(value, kYuanMask);
}

std::string Price(const PriceGrid& grid, double price) {
    return FormatMask(price, grid.ticksPerUnit > 100 ? kMilliMask : kYuanMask);
}

std::string GridPrice(const PriceGrid& grid, const GridAnswer& answer) {
    switch (answer.outcome) {
    case GridOutcome::Found:
        return Price(grid, grid.PriceAt(answer.index));
    case GridOutcome::Undecided:
        return std::string(kUndecided);
    case GridOutcome::Unreachable:
        break;
    }
    return std::string(kUnreachable);
}

std::optional<double> FoundPrice(const PriceGrid& grid, const GridAnswer& answer) {
    if (answer.outcome != GridOutcome::Found) {
        return std::nullopt;
    }
    return grid.PriceAt(answer.index);
}

// A round trip with both prices typed.
TradeInput Inputs(double buyPrice, double sellPrice, double quantity) {
    TradeInput input;
    input.buyPrice = buyPrice;
    input.sellPrice = sellPrice;
    input.quantity = quantity;
    input.buyFieldEmpty = false;
    input.sellFieldEmpty = false;
    return input;
}

// The whole trade as the calculator shows it, its break-even included.
TradeResult RoundTrip(const FeeRules& rules, double buyPrice, double sellPrice, double quantity) {
    return ComputeTrade(rules, Inputs(buyPrice, sellPrice, quantity));
}

std::string BreakEvenText(const TradeResult& trade) {
    return trade.breakEvenPrice ? Money(*trade.breakEvenPrice) : std::string(kNoBreakEven);
}

// The chart shows a tenth of the buy price either side, widened to take in the break-even
// and the target, in at most this many grid steps.
constexpr int kCurveSteps = 120;

ProfitCurve Curve(const ToolSecurity& security, const TargetInputs& inputs,
                  std::optional<double> target) {
    ProfitCurve curve;
    curve.buyPrice = inputs.buyPrice;
    curve.target = target;
    curve.stop = inputs.stop;
    const TradeResult atBuy =
        RoundTrip(security.rules, inputs.buyPrice, inputs.buyPrice, inputs.quantity);
    curve.breakEven = atBuy.breakEvenPrice;
    double low = inputs.buyPrice * 0.9;
    double high = inputs.buyPrice * 1.1;
    for (const std::optional<double>& mark : {curve.breakEven, target}) {
        if (mark) {
            low = std::min(low, *mark * 0.97);
            high = std::max(high, *mark * 1.03);
        }
    }
    const PriceGrid& grid = security.grid;
    const std::int64_t first = std::max<std::int64_t>(1, grid.CeilIndex(low));
    const std::int64_t last =
        std::min(std::max(first, grid.FloorIndex(high)), HighestSellIndex(grid));
    const std::int64_t step = std::max<std::int64_t>(1, (last - first) / kCurveSteps);
    for (std::int64_t k = first; k <= last; k += step) {
        const double price = grid.PriceAt(k);
        curve.points.push_back(
            {price,
             ComputeRoundTrip(security.rules, Inputs(inputs.buyPrice, price, inputs.quantity))
                 .netProfit});
    }
    return curve;
}

// The boards as the core numbers them, Main to Bond.
constexpr int kBoardCount = static_cast<int>(Board::Bond) + 1;

Board BoardAt(int index) {
    return static_cast<Board>(std::clamp(index, 0, kBoardCount - 1));
}

// Why the core found no limits for a query that is not about bonds: the rule tables tell a
// missing rule; what remains is a close off the board's price step.
std::string LimitProblem(const LimitQuery& query) {
    const std::string board(BoardName(query.board));
    const std::string date = FormatDate(query.date);
    if (query.listingDays) {
        const auto listings = ListingTable();
        const bool known =
            std::any_of(listings.begin(), listings.end(), [&](const ListingRow& row) {
                return row.board == query.board && row.first <= query.date;
            });
        if (!known) {
            return "没有已知的规则允许" + board + "在" + date + "上市初期不设涨跌幅限制";
        }
    } else {
        const auto rates = LimitRateTable();
        const bool known = std::any_of(rates.begin(), rates.end(), [&](const LimitRateRow& row) {
            return row.board == query.board && row.InForce(query.date);
        });
        if (!known) {
            return "没有已知的" + board + "涨跌幅规则在" + date + "施行";
        }
    }
    return "前收盘价不在" + board + "的最小变动价位上";
}

} // namespace

std::optional<ToolSecurity> SecurityFor(const ProgramState& state, Market market, SecurityType type,
                                        const Date& tradeDate) {
    std::optional<FeeRules> rules =
        FeeRulesFor(state.parameters, state.feeModel, market, type, tradeDate);
    if (!rules) {
        return std::nullopt;
    }
    return ToolSecurity{*rules, GridOf(market, type), LotOf(type)};
}

TargetAnswer AnswerTarget(const ToolSecurity& security, const TargetInputs& inputs) {
    TargetAnswer answer;
    if (inputs.buyPrice <= 0 || inputs.quantity <= 0) {
        answer.note = "请输入买入价格和数量";
        return answer;
    }
    const double signedAmount = inputs.stop ? -inputs.amount : inputs.amount;
    const ProfitGoal goal{inputs.yield ? GoalKind::Yield : GoalKind::Profit,
                          inputs.yield ? signedAmount / 100 : signedAmount};
    const PriceGrid& grid = security.grid;
    const GridAnswer found = TargetSellIndex(security.rules, grid, inputs.buyPrice, inputs.quantity,
                                             goal, HighestSellIndex(grid));
    const std::string_view caption = inputs.stop ? "止损卖出价：" : "目标卖出价：";
    answer.rows.push_back({caption, GridPrice(grid, found), kSlotBreakEven});
    const std::optional<double> target = FoundPrice(grid, found);
    if (target) {
        const TradeResult trade =
            RoundTrip(security.rules, inputs.buyPrice, *target, inputs.quantity);
        const ColorSlot profit = ProfitSlot(trade.netProfit);
        answer.rows.push_back({"手续费合计：", Money(trade.feesTotal), kSlotLoss});
        answer.rows.push_back({"纯  利  润：", Money(trade.netProfit), profit});
        answer.rows.push_back({"收  益  率：", FormatMask(trade.yield, kPercentMask), profit});
        answer.rows.push_back({"实付总金额：", Money(trade.totalPaid), kSlotNormal});
        answer.rows.push_back({"实收总金额：", Money(trade.totalReceived), kSlotNormal});
        answer.rows.push_back({"保本卖出价：", BreakEvenText(trade), kSlotBreakEven});
    } else if (found.outcome == GridOutcome::Unreachable) {
        answer.note = "卖出费率合计不低于100%,或目标高于可输入的最高卖出价";
    } else {
        answer.note = "卖出费率合计与100%相差无几,算不出可靠的价格";
    }
    answer.curve = Curve(security, inputs, target);
    return answer;
}

ToolAnswer AnswerAverage(const ToolSecurity& security, const AverageInputs& inputs) {
    ToolAnswer answer;
    if (inputs.price <= 0 || (inputs.quantity <= 0 && !inputs.targetCost)) {
        answer.note = "请输入补仓价格,以及补仓数量或目标成本价";
        return answer;
    }
    const Holding holding{inputs.held, inputs.cost};
    double quantity = inputs.quantity;
    if (inputs.quantity <= 0) {
        const std::int64_t mostLots = static_cast<std::int64_t>(kMostQuantity) / security.lot;
        const GridAnswer lots = LotsToCost(security.rules, holding, inputs.price,
                                           *inputs.targetCost, security.lot, mostLots);
        if (lots.outcome != GridOutcome::Found) {
            answer.rows.push_back({"补仓数量：", std::string(kUnreachable), kSlotLoss});
            answer.note = "在数量上限内达不到该成本价:补仓后的成本价只会移向补仓价格(含费用),"
                          "越不过它";
            return answer;
        }
        quantity = static_cast<double>(lots.index * security.lot);
    }
    const AddedBuy added = AddToHolding(security.rules, holding, inputs.price, quantity);
    const PriceGrid& grid = security.grid;
    const GridAnswer breakEven = HoldingBreakEvenIndex(security.rules, grid, added.newQuantity,
                                                       added.totalPaid, HighestSellIndex(grid));
    answer.rows = {
        {"补仓数量：", FormatMask(quantity, kShareMask), kSlotNormal},
        {"补仓手续费：", Money(added.fees), kSlotLoss},
        {"补仓总付款：", Money(added.paid), kSlotNormal},
        {"新持仓数量：", FormatMask(added.newQuantity, kShareMask), kSlotNormal},
        {"新成本价：", FormatMask(added.newCost, kMilliMask), kSlotDescription},
        {"保本卖出价：", GridPrice(grid, breakEven), kSlotBreakEven},
    };
    return answer;
}

ToolAnswer AnswerSwing(const ToolSecurity& security, const SwingInputs& inputs) {
    ToolAnswer answer;
    if (inputs.quantity <= 0 || (!inputs.sellPrice && !inputs.buyPrice)) {
        answer.note = "请输入做T数量,以及卖出价格和/或买回价格";
        return answer;
    }
    if (inputs.quantity > inputs.held) {
        answer.note = "做T数量不能大于持有数量:当日只能卖出今日之前持有的股份";
        return answer;
    }
    const PriceGrid& grid = security.grid;
    const std::int64_t top = HighestSellIndex(grid);
    if (inputs.sellPrice && inputs.buyPrice) {
        const SwingResult swing = Swing(security.rules, {inputs.held, inputs.cost}, inputs.quantity,
                                        *inputs.sellPrice, *inputs.buyPrice);
        answer.rows = {
            {"卖出手续费：", Money(swing.sellFees), kSlotLoss},
            {"买回手续费：", Money(swing.buyFees), kSlotLoss},
            {"做T收益：", Money(swing.gain), ProfitSlot(swing.gain)},
            {"新成本价：", FormatMask(swing.newCost, kMilliMask), kSlotDescription},
        };
    }
    if (inputs.buyPrice) {
        const GridAnswer sell =
            SwingSellIndex(security.rules, grid, inputs.quantity, *inputs.buyPrice, top);
        answer.rows.push_back({"保本卖出价：", GridPrice(grid, sell), kSlotBreakEven});
    }
    if (inputs.sellPrice) {
        const GridAnswer buy = SwingBuyIndex(security.rules, grid, inputs.quantity,
                                             *inputs.sellPrice, HighestBuyIndex(grid));
        answer.rows.push_back({"保本买回价：", GridPrice(grid, buy), kSlotBreakEven});
    }
    return answer;
}

std::vector<std::string_view> BoardCaptions() {
    std::vector<std::string_view> captions;
    for (int i = 0; i < kBoardCount; ++i) {
        captions.push_back(BoardName(BoardAt(i)));
    }
    return captions;
}

ToolAnswer AnswerLimits(const LimitInputs& inputs) {
    ToolAnswer answer;
    if (inputs.close <= 0) {
        answer.note = "请输入前收盘价";
        return answer;
    }
    const Board board = BoardAt(inputs.board);
    if (board == Board::Bond) {
        answer.note = "债券的涨跌幅限制因品种和交易所而异,本工具不计算";
        return answer;
    }
    LimitQuery query;
    query.close = inputs.close;
    query.board = board;
    query.market = inputs.market;
    query.date = inputs.tradeDate;
    query.listingDays = inputs.listingDays;
    const auto result = ComputeLimits(query);
    if (std::holds_alternative<std::string>(result)) {
        answer.note = LimitProblem(query);
        return answer;
    }
    const PriceLimits& limits = std::get<PriceLimits>(result);
    const std::string_view none = "无涨跌幅限制";
    answer.rows = {
        {"板      块：", std::string(BoardName(board)), kSlotNormal},
        {"涨跌幅限制：",
         limits.rate ? FormatMask(limits.rate->percent / 100.0, kPercentMask) : std::string(none),
         kSlotNormal},
        {"涨  停  价：", limits.limitUp ? Price(limits.grid, *limits.limitUp) : std::string(none),
         kSlotProfit},
        {"跌  停  价：",
         limits.limitDown ? Price(limits.grid, *limits.limitDown) : std::string(none), kSlotLoss},
    };
    return answer;
}

CodeFacts LookUpSecurity(std::string_view code, Market market) {
    CodeFacts facts;
    CodeLookup lookup = LookUpCode(code);
    std::string_view aside;
    if (!lookup.code) {
        // A code of both exchanges is read on the market chosen.
        const std::string digits(code);
        CodeLookup here = LookUpCode((market == Market::Shanghai ? "sh" : "sz") + digits);
        const CodeLookup there = LookUpCode((market == Market::Shanghai ? "sz" : "sh") + digits);
        if (here.code && there.code) {
            lookup = std::move(here);
            aside = "(沪深两市都有此代码,按所选市场)";
        }
    }
    if (!lookup.code) {
        facts.description = "未知代码";
        return facts;
    }
    const CodeRange& range = *lookup.code->range;
    facts.known = true;
    facts.market = lookup.code->CalculatorMarket();
    facts.type = range.type;
    facts.board = static_cast<int>(range.board);
    facts.description = std::string(range.what) + std::string(aside);
    return facts;
}

} // namespace ym::ui
