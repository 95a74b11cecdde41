// The fees of a trade's round trip, its profit, yield and break-even sell price.
#pragma once

#include "core/fee_parameters.h"

#include <cstdint>
#include <optional>

namespace ym {

// What the fees of one trade depend on: the current rate set, the market (the
// settlement cap applies in Shenzhen only) and the Shenzhen settlement cap B28.
struct FeeRules {
    RateSet rates;
    std::optional<Market> market = Market::Shenzhen;
    double SettlementCap = 0;
};

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
    // trial price stops moving).
    std::optional<double> BreakEvenPrice = 0.0;
};

// All fees of one leg at `price` for `quantity` shares.
double LegFees(const FeeRules& rules, double price, double quantity);

// The lowest sell price, in 0.01 steps above the buy price accumulated by repeated
// floating-point addition, at which the trade does not lose: bit for bit what the
// step-by-step search returns, found in far fewer steps. 0 when the buy price or the
// quantity is 0. `trials`, when given, receives how many trial prices were costed.
std::optional<double> BreakEvenSellPrice(const FeeRules& rules, double buyPrice, double quantity,
                                         std::int64_t* trials = nullptr);

TradeResult ComputeTrade(const FeeRules& rules, const TradeInput& input);

} // namespace ym
