// The fees of a trade's round trip, its profit, yield and break-even sell price.
#pragma once

#include "core/fee_schedule.h"

#include <cstdint>
#include <optional>

namespace ym {

struct TradeInput {
    double BuyPrice = 0;
    double SellPrice = 0;
    double Quantity = 0;
    bool BuyFieldEmpty = true;
    bool SellFieldEmpty = true;
};

struct TradeResult {
    double BuyAmount = 0, SellAmount = 0;
    double BuyCommission = 0, SellCommission = 0;
    double BuyStamp = 0, SellStamp = 0;
    double BuySettlement = 0, SellSettlement = 0;
    double BuyHandling = 0, SellHandling = 0;
    double BuyRegulator = 0, SellRegulator = 0;
    // The transfer fee of one leg. Classic: the same for both legs (it is charged per
    // share). Official: charged on the amount, so the buy leg's, or the sell leg's when
    // only that leg has an amount.
    double LegTransfer = 0;
    double CommissionTotal = 0, StampTotal = 0, SettlementTotal = 0, HandlingTotal = 0,
           RegulatorTotal = 0;
    double TransferTotal = 0;
    double OtherTotal = 0;
    double BuyLegFees = 0, SellLegFees = 0;
    double FeesTotal = 0;
    double NetProfit = 0;
    double Yield = 0;
    double TotalPaid = 0;
    double TotalReceived = 0;
    // nullopt when no sell price ever breaks even (the sell-leg rates reach 1, or the
    // trial price stops moving), or when a profit within rounding noise of zero outlasts the
    // search's budget (sell-leg rates summing to 1 within about 1e-12).
    std::optional<double> BreakEvenPrice = 0.0;
};

// The lowest sell price, in 0.01 steps above the buy price accumulated by repeated
// floating-point addition, at which the trade does not lose: bit for bit what the
// step-by-step search returns, found in far fewer steps. 0 when the buy price or the
// quantity is 0. `trials`, when given, receives how many trial prices were costed.
std::optional<double> BreakEvenSellPrice(const FeeRules& rules, double buyPrice, double quantity,
                                         std::int64_t* trials = nullptr);

// Both legs through ChargeLeg. A one-legged trade (or one without amounts) takes its fixed
// charges once. Where the rules show the handling and regulatory fees as "other" (the
// official rules for every type but B shares, whose panel has no rows for them), the
// Buy/SellHandling and Buy/SellRegulator fields and their totals stay 0 and the fees are in
// OtherTotal; the leg totals and FeesTotal include them either way.
TradeResult ComputeTrade(const FeeRules& rules, const TradeInput& input);

} // namespace ym
