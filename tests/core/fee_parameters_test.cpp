// Which stored parameter becomes which rate of a trade, for every market and type.
#include "core/fee_parameters.h"

#include <gtest/gtest.h>

#include <numeric>
#include <optional>

namespace ym {
namespace {

// Parameter n of Shanghai holds 100 + n, of Shenzhen 200 + n, so that each rate shows the
// key it was taken from.
TEST(CurrentRates, TakesTheTypesBlockOfTheMarket) {
    FeeParameters p;
    std::iota(p.shanghai.begin(), p.shanghai.end(), 101.0);
    std::iota(p.shenzhen.begin(), p.shenzhen.end(), 201.0);
    // clang-format off
    const struct {
        std::optional<Market> market;
        SecurityType type;
        // The key number of each rate, 0 for none: commission, its minimum, stamp, transfer,
        // its minimum, other, settlement, handling, regulator.
        int source[9];
    } cases[] = {
        {Market::Shanghai, SecurityType::AShare, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
        {Market::Shanghai, SecurityType::Bond, {7, 8, 9, 0, 0, 10, 0, 0, 0}},
        {Market::Shenzhen, SecurityType::Fund, {11, 12, 13, 14, 15, 16, 0, 0, 0}},
        {Market::Shanghai, SecurityType::InvestmentFund, {17, 18, 19, 0, 0, 20, 0, 0, 0}},
        // B shares take the other charge from 27, after their own three fees.
        {Market::Shanghai, SecurityType::BShare, {21, 22, 23, 0, 0, 27, 24, 25, 26}},
        {Market::Shenzhen, SecurityType::BShare, {21, 22, 23, 0, 0, 27, 24, 25, 26}},
        // No market chosen yet reads the Shenzhen array.
        {std::nullopt, SecurityType::AShare, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const RateSet r = CurrentRates(p, c.market, c.type);
        const double rates[9] = {r.CommissionRate, r.MinCommission, r.StampRate,
                                 r.TransferRate,   r.MinTransfer,   r.OtherFee,
                                 r.SettlementRate, r.HandlingRate,  r.RegulatorRate};
        const double base = c.market == Market::Shanghai ? 100 : 200;
        for (int k = 0; k < 9; ++k) {
            EXPECT_EQ(rates[k], c.source[k] == 0 ? 0.0 : base + c.source[k])
                << "rate " << k << " of type " << NumberOf(c.type);
        }
    }
}

} // namespace
} // namespace ym
