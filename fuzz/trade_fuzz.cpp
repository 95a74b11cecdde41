// A trade under either fee model, with any parameters a settings file or the broker's terms
// can hold and any prices and quantity the entry fields let through: no result may be NaN,
// the break-even price must be the one the literal 0.01 walk stops at, and each position
// tool's search must return what its literal walk over a short grid returns.
//
// Input: words separated by blanks, so that a seed reads like a trade.
//   classic: "c MARKET COMMISSION MINIMUM STAMP TRANSFER MIN-TRANSFER OTHER SETTLEMENT
//             HANDLING REGULATOR CAP BUY SELL QUANTITY [GOAL SPAN GRID]"
//   official: "o DATE MARKET TYPE COMMISSION MIN-YUAN MIN-USD MIN-HKD FLAGS BUY SELL QUANTITY
//              [GOAL SPAN GRID]"
// Parameters are read by Val as the settings file's are; FLAGS holds "w" for a waived
// minimum and "i" for a commission including the exchange fees; BUY, SELL and QUANTITY are
// typed key by key into the entry fields. GOAL is a net profit, or a yield after "y"; SPAN
// how many grid prices above the buy price the tools' grid reaches (and how many lots they
// may propose); GRID "m" for the 0.001 grid, else 0.01.
#include "core/entry_rules.h"
#include "core/fee_model.h"
#include "core/number_text.h"
#include "core/position_tools.h"
#include "core/result_rows.h"
#include "core/trade.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/reference_walk.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace {

using namespace ym;
using Outcome = testing::ReferenceBreakEven::Outcome;

// Long enough for every trade a user makes; a walk still going after it is not compared.
constexpr std::int64_t kWalkSteps = 1'000'000;
// The position tools' grids: short enough to walk whole.
constexpr double kMostSpan = 1500;
constexpr std::int64_t kToolWalkSteps = 5000;

class Words {
public:
    explicit Words(std::string_view text) : text_(text) {}
    // The next word, or "" after the last.
    std::string_view Next() {
        const std::size_t begin = std::min(text_.find_first_not_of(kBlanks), text_.size());
        const std::size_t end = std::min(text_.find_first_of(kBlanks, begin), text_.size());
        const std::string_view word = text_.substr(begin, end - begin);
        text_.remove_prefix(end);
        return word;
    }
    double Parameter() { return Val(Next()); }

private:
    static constexpr std::string_view kBlanks = " \t\r\n";
    std::string_view text_;
};

// A field's text as typed key by key: the filter decides which keys get in, up to the
// field's length.
std::string Typed(std::string_view keys, std::size_t length, bool fraction) {
    std::string text;
    for (const char key : keys) {
        if (text.size() == length) {
            break;
        }
        const auto ch = static_cast<char32_t>(static_cast<unsigned char>(key));
        const KeyVerdict verdict =
            fraction ? FilterFractionKey(ch, text, text.size(), 0) : FilterWholeKey(ch);
        if (verdict != KeyVerdict::Accept) {
            continue;
        }
        if (key != kBackspace) {
            text.push_back(key);
        } else if (!text.empty()) {
            text.pop_back();
        }
    }
    return text;
}

FeeRules ClassicRules(Words& in) {
    ClassicRates c;
    c.market = MarketFromNumber(ToInt16(Val(in.Next())).value_or(0));
    RateSet& r = c.rates;
    for (double* rate :
         {&r.commissionRate, &r.minCommission, &r.stampRate, &r.transferRate, &r.minTransfer,
          &r.otherFee, &r.settlementRate, &r.handlingRate, &r.regulatorRate, &c.settlementCap}) {
        *rate = in.Parameter();
    }
    return FeeRules(c);
}

FeeRules OfficialRules(Words& in) {
    const Date date = std::max(ParseDate(in.Next()).value_or(kFirstRuleDate), kFirstRuleDate);
    const Market market = ParseMarket(in.Next()).value_or(Market::Shanghai);
    const SecurityType type = ParseType(in.Next()).value_or(SecurityType::AShare);
    BrokerTerms terms;
    terms.commissionRate = in.Parameter();
    terms.minimumYuan = in.Parameter();
    terms.minimumUsDollar = in.Parameter();
    terms.minimumHkDollar = in.Parameter();
    const std::string_view flags = in.Next();
    terms.minimumWaived = flags.find('w') != std::string_view::npos;
    terms.includesExchangeFees = flags.find('i') != std::string_view::npos;
    const std::optional<FeeRules> rules = OfficialFeeRules(date, market, type, terms);
    YM_FUZZ_CHECK(rules.has_value()); // every date from the first rule date on has rules
    return *rules;
}

// Whether every charge of both legs is a finite number. Rates large enough to overflow a
// fee (above about 1e292) give infinite rows, and infinities of opposite signs no longer
// add up to a number; only a range check on the parameters could help there.
bool FeesFinite(const FeeRules& rules, const TradeInput& input) {
    for (const auto& [side, price] :
         {std::pair{Side::Buy, input.buyPrice}, std::pair{Side::Sell, input.sellPrice}}) {
        const LegCharges leg = ChargeLeg(rules, side, price, input.quantity);
        for (const double fee : leg.fee) {
            if (!std::isfinite(fee)) {
                return false;
            }
        }
        if (!std::isfinite(leg.total)) {
            return false;
        }
    }
    return true;
}

void CheckNoNaN(const TradeResult& r) {
    const double values[] = {
        r.buyAmount,     r.sellAmount,      r.buyCommission, r.sellCommission,
        r.buyStamp,      r.sellStamp,       r.buySettlement, r.sellSettlement,
        r.buyHandling,   r.sellHandling,    r.buyRegulator,  r.sellRegulator,
        r.legTransfer,   r.commissionTotal, r.stampTotal,    r.settlementTotal,
        r.handlingTotal, r.regulatorTotal,  r.transferTotal, r.otherTotal,
        r.buyLegFees,    r.sellLegFees,     r.feesTotal,     r.netProfit,
        r.yield,         r.totalPaid,       r.totalReceived, r.breakEvenPrice.value_or(0)};
    for (const double v : values) {
        YM_FUZZ_CHECK(!std::isnan(v));
    }
    for (const Panel panel : {Panel::AShare, Panel::BShare}) {
        for (const ResultRow& row : PanelRows(panel, r)) {
            YM_FUZZ_CHECK(row.value.find("NaN") == std::string::npos);
        }
    }
}

void CheckBreakEven(const FeeRules& rules, double buy, double quantity,
                    const std::optional<double>& fast) {
    const testing::ReferenceBreakEven walk = fuzz::Walk(rules, buy, quantity, kWalkSteps);
    switch (walk.outcome) {
    case Outcome::Found:
        YM_FUZZ_CHECK(fast.has_value() && std::memcmp(&*fast, &walk.price, sizeof walk.price) == 0);
        break;
    case Outcome::Stalled:
        YM_FUZZ_CHECK(!fast.has_value());
        break;
    case Outcome::StepsExhausted:
        break;
    }
}

void CheckSame(const GridAnswer& fast, const std::optional<GridAnswer>& walk) {
    if (!walk || fast.outcome == GridOutcome::Undecided) {
        return; // a walk too long to compare, or a search that claims nothing
    }
    YM_FUZZ_CHECK(fast.outcome == walk->outcome);
    YM_FUZZ_CHECK(fast.index == walk->index);
}

void CheckPositionTools(const FeeRules& rules, const TradeInput& in, Words& words) {
    const std::string_view goalWord = words.Next();
    const ProfitGoal goal = goalWord.starts_with('y')
                                ? ProfitGoal{GoalKind::Yield, Val(goalWord.substr(1))}
                                : ProfitGoal{GoalKind::Profit, Val(goalWord)};
    const double spanWord = Val(words.Next());
    const auto span = static_cast<std::int64_t>(
        spanWord >= 1 && spanWord <= kMostSpan ? spanWord : kMostSpan / 2);
    const PriceGrid grid{words.Next().starts_with('m') ? 1000 : 100};
    const double buy = in.buyPrice;
    const double sell = in.sellPrice;
    const double qty = in.quantity;
    if (!(buy > 0) || !(qty > 0)) {
        return;
    }
    const std::int64_t top = grid.CeilIndex(buy) + span;
    CheckSame(TargetSellIndex(rules, grid, buy, qty, goal, top),
              fuzz::Target(rules, grid, buy, qty, goal, top, kToolWalkSteps));
    const double paid = buy * qty + goal.value;
    CheckSame(HoldingBreakEvenIndex(rules, grid, qty, paid, top),
              fuzz::HoldingBreakEven(rules, grid, qty, paid, top, kToolWalkSteps));
    if (sell > 0) {
        const std::int64_t buyTop = std::min(grid.CeilIndex(sell) + span, kToolWalkSteps);
        CheckSame(SwingBuyIndex(rules, grid, qty, sell, buyTop),
                  fuzz::SwingBuy(rules, grid, qty, sell, buyTop, kToolWalkSteps));
        // From a holding of `qty` at the buy price, adding at the sell price towards the
        // goal's yield as a fraction of the way.
        const Holding holding{qty, buy};
        const double target = buy + (sell - buy) * std::fabs(goal.value - std::floor(goal.value));
        for (const int lot : {100, 10}) {
            CheckSame(LotsToCost(rules, holding, sell, target, lot, span),
                      fuzz::Lots(rules, holding, sell, target, lot, span, kToolWalkSteps));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Words in(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string_view model = in.Next();
    const FeeRules rules = model.starts_with('o') ? OfficialRules(in) : ClassicRules(in);

    const std::string buyText = Typed(in.Next(), kPriceFieldLength, true);
    const std::string sellText = Typed(in.Next(), kPriceFieldLength, true);
    const std::string quantityText = Typed(in.Next(), kQuantityFieldLength, false);
    const FieldCommit buy = CommitBuyPrice(buyText);
    const FieldCommit sell = CommitSellPrice(sellText);
    const FieldCommit quantity = CommitQuantity(quantityText);
    TradeInput input;
    input.buyFieldEmpty = buyText.empty() || buy.refused;
    input.sellFieldEmpty = sellText.empty() || sell.refused;
    input.buyPrice = buy.refused ? 0 : buy.value;
    input.sellPrice = sell.value;
    input.quantity = quantity.value;

    const TradeResult result = ComputeTrade(rules, input);
    if (FeesFinite(rules, input)) {
        CheckNoNaN(result);
    }
    CheckBreakEven(rules, input.buyPrice, input.quantity, result.breakEvenPrice);
    CheckPositionTools(rules, input, in);
    return 0;
}
