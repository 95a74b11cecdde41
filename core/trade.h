// The fees of a trade's round trip, its profit, yield and break-even sell price.
#pragma once

#include "core/fee_schedule.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace ym {

struct TradeInput {
    double buyPrice = 0;
    double sellPrice = 0;
    double quantity = 0;
    bool buyFieldEmpty = true;
    bool sellFieldEmpty = true;
};

struct TradeResult {
    double buyAmount = 0, sellAmount = 0;
    double buyCommission = 0, sellCommission = 0;
    double buyStamp = 0, sellStamp = 0;
    double buySettlement = 0, sellSettlement = 0;
    double buyHandling = 0, sellHandling = 0;
    double buyRegulator = 0, sellRegulator = 0;
    // The transfer fee of one leg. Classic: the same for both legs (it is charged per
    // share). Official: charged on the amount, so the buy leg's, or the sell leg's when
    // only that leg has an amount.
    double legTransfer = 0;
    double commissionTotal = 0, stampTotal = 0, settlementTotal = 0, handlingTotal = 0,
           regulatorTotal = 0;
    double transferTotal = 0;
    double otherTotal = 0;
    double buyLegFees = 0, sellLegFees = 0;
    double feesTotal = 0;
    double netProfit = 0;
    double yield = 0;
    double totalPaid = 0;
    double totalReceived = 0;
    // nullopt when no sell price ever breaks even (the sell-leg rates reach 1, or the
    // trial price stops moving), or when a profit within rounding noise of zero outlasts the
    // search's budget (sell-leg rates summing to 1 within about 1e-12).
    std::optional<double> breakEvenPrice = 0.0;
};

// Every number of a trade's record by the name the companion's JSON and the web page give it,
// in the order they write them (the break-even price, which may be absent, comes apart).
using TradeRecordField = std::pair<std::string_view, double TradeResult::*>;
inline constexpr std::array<TradeRecordField, 27> kTradeRecordFields{{
    {"BuyAmount", &TradeResult::buyAmount},
    {"SellAmount", &TradeResult::sellAmount},
    {"BuyCommission", &TradeResult::buyCommission},
    {"SellCommission", &TradeResult::sellCommission},
    {"BuyStamp", &TradeResult::buyStamp},
    {"SellStamp", &TradeResult::sellStamp},
    {"BuySettlement", &TradeResult::buySettlement},
    {"SellSettlement", &TradeResult::sellSettlement},
    {"BuyHandling", &TradeResult::buyHandling},
    {"SellHandling", &TradeResult::sellHandling},
    {"BuyRegulator", &TradeResult::buyRegulator},
    {"SellRegulator", &TradeResult::sellRegulator},
    {"LegTransfer", &TradeResult::legTransfer},
    {"CommissionTotal", &TradeResult::commissionTotal},
    {"StampTotal", &TradeResult::stampTotal},
    {"SettlementTotal", &TradeResult::settlementTotal},
    {"HandlingTotal", &TradeResult::handlingTotal},
    {"RegulatorTotal", &TradeResult::regulatorTotal},
    {"TransferTotal", &TradeResult::transferTotal},
    {"OtherTotal", &TradeResult::otherTotal},
    {"BuyLegFees", &TradeResult::buyLegFees},
    {"SellLegFees", &TradeResult::sellLegFees},
    {"FeesTotal", &TradeResult::feesTotal},
    {"NetProfit", &TradeResult::netProfit},
    {"Yield", &TradeResult::yield},
    {"TotalPaid", &TradeResult::totalPaid},
    {"TotalReceived", &TradeResult::totalReceived},
}};

// The lowest sell price, in 0.01 steps above the buy price accumulated by repeated
// floating-point addition, at which the trade does not lose: bit for bit what the
// step-by-step search returns, found in far fewer steps. 0 when the buy price or the
// quantity is 0. `trials`, when given, receives how many trial prices were costed.
std::optional<double> BreakEvenSellPrice(const FeeRules& rules, double buyPrice, double quantity,
                                         std::int64_t* trials = nullptr);

// Both legs through ChargeLeg, each fee under its own name. A one-legged trade (or one
// without amounts) takes its fixed charges once.
TradeResult ComputeTrade(const FeeRules& rules, const TradeInput& input);

// ComputeTrade without the break-even search (breakEvenPrice stays unset): what the position
// tools cost at each price they try.
TradeResult ComputeRoundTrip(const FeeRules& rules, const TradeInput& input);

} // namespace ym
