#include "core/fee_parameters.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using ym::CurrentRates;
using ym::FeeParameters;
using ym::kParameters;
using ym::Market;
using ym::MarketFromNumber;
using ym::NumberOf;
using ym::RateSet;
using ym::SecurityType;
using ym::StoredNumber;
using ym::TypeFromNumber;

// Every label names its security type first; only 26 differs between the markets and 28
// is Shenzhen's alone.
TEST(FeeParameters, LabelsFollowTheBlocks) {
    for (std::size_t n = 1; n <= 28; ++n) {
        const std::string_view prefix = n <= 6    ? "A股"
                                        : n <= 10 ? "债券"
                                        : n <= 16 ? "基金"
                                        : n <= 20 ? "证券投资基金"
                                                  : "B股";
        const auto& p = kParameters[n - 1];
        EXPECT_TRUE(p.shenzhenLabel.starts_with(prefix)) << n;
        if (n <= 27) {
            EXPECT_TRUE(p.shanghaiLabel.starts_with(prefix)) << n;
            EXPECT_EQ(p.shanghaiLabel == p.shenzhenLabel, n != 26) << n;
        }
    }
    EXPECT_TRUE(kParameters[27].shanghaiLabel.empty());
    EXPECT_TRUE(kParameters[27].shanghaiDefault.empty());
}

// Parameter n of Shanghai holds 100 + n, of Shenzhen 200 + n, so every rate shows where
// it was taken from.
FeeParameters Numbered() {
    FeeParameters p;
    for (std::size_t i = 0; i < 27; ++i) {
        p.shanghai[i] = 100.0 + static_cast<double>(i + 1);
    }
    for (std::size_t i = 0; i < 28; ++i) {
        p.shenzhen[i] = 200.0 + static_cast<double>(i + 1);
    }
    return p;
}

TEST(CurrentRates, TakesTheTypesBlockOfTheMarket) {
    const struct {
        std::optional<Market> market;
        SecurityType type;
        // Source parameter per rate, 0 = zero, in the order commission, minimum commission,
        // stamp, transfer, minimum transfer, other, settlement, handling, regulator.
        int source[9];
    } cases[] = {
        {Market::Shanghai, SecurityType::AShare, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
        {Market::Shanghai, SecurityType::Bond, {7, 8, 9, 0, 0, 10, 0, 0, 0}}, // no transfer fee
        {Market::Shenzhen, SecurityType::Fund, {11, 12, 13, 14, 15, 16, 0, 0, 0}},
        {Market::Shanghai, SecurityType::InvestmentFund, {17, 18, 19, 0, 0, 20, 0, 0, 0}},
        // B shares: the other charge comes from 27, after the B-share fees
        {Market::Shanghai, SecurityType::BShare, {21, 22, 23, 0, 0, 27, 24, 25, 26}},
        {Market::Shenzhen, SecurityType::BShare, {21, 22, 23, 0, 0, 27, 24, 25, 26}},
        // no market chosen yet reads the Shenzhen array
        {std::nullopt, SecurityType::AShare, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << StoredNumber(c.market) << "/" << NumberOf(c.type));
        const RateSet r = CurrentRates(Numbered(), c.market, c.type);
        const double fields[9] = {r.CommissionRate, r.MinCommission, r.StampRate,
                                  r.TransferRate,   r.MinTransfer,   r.OtherFee,
                                  r.SettlementRate, r.HandlingRate,  r.RegulatorRate};
        const double base = c.market == Market::Shanghai ? 100.0 : 200.0;
        for (int k = 0; k < 9; ++k) {
            EXPECT_EQ(fields[k], c.source[k] == 0 ? 0.0 : base + c.source[k]) << "rate " << k;
        }
    }
}

// The stored selection as a hand-edited file may hold it.
TEST(Selection, OnlyTheSelectorsNumbersNameAMarketOrType) {
    for (int number : {-32768, -1, 0, 3, 6, 32767}) {
        EXPECT_EQ(MarketFromNumber(number), std::nullopt) << number;
    }
    EXPECT_EQ(MarketFromNumber(1), Market::Shanghai);
    EXPECT_EQ(MarketFromNumber(2), Market::Shenzhen);
    for (int number : {-1, 0, 6, 32767}) {
        EXPECT_EQ(TypeFromNumber(number), std::nullopt) << number;
    }
    EXPECT_EQ(TypeFromNumber(1), SecurityType::AShare);
    EXPECT_EQ(TypeFromNumber(4), SecurityType::InvestmentFund);
    EXPECT_EQ(TypeFromNumber(5), SecurityType::BShare);
}

// The whole default table is checked byte for byte through the settings file tests.
TEST(CurrentRates, DefaultsOfAFreshStart) {
    const FeeParameters d = FeeParameters::Defaults();
    EXPECT_EQ(d.SettlementCap(), 500);
    const RateSet sh = CurrentRates(d, Market::Shanghai, SecurityType::AShare);
    EXPECT_EQ(sh.CommissionRate, 0.0035);
    EXPECT_EQ(sh.MinCommission, 10);
    EXPECT_EQ(sh.StampRate, 0.004);
    EXPECT_EQ(sh.TransferRate, 0.001);
    EXPECT_EQ(sh.MinTransfer, 1);
    const RateSet sz = CurrentRates(d, Market::Shenzhen, SecurityType::BShare);
    EXPECT_EQ(sz.CommissionRate, 0.0043);
    EXPECT_EQ(sz.SettlementRate, 0.0005);
    EXPECT_EQ(sz.HandlingRate, 0.0003);
    EXPECT_EQ(sz.RegulatorRate, 0.000046);
}

} // namespace
