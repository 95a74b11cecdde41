#include "core/fee_parameters.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using ym::FeeParameters;
using ym::kParameters;
using ym::LoadCurrentRates;
using ym::RateSet;

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

TEST(LoadCurrentRates, TakesTheTypesBlockOfTheMarket) {
    const struct {
        int market, type;
        // Source parameter per rate, 0 = zero, in the order commission, minimum commission,
        // stamp, transfer, minimum transfer, other, settlement, handling, regulator.
        int source[9];
    } cases[] = {
        {1, 1, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
        {1, 2, {7, 8, 9, 0, 0, 10, 0, 0, 0}}, // bonds: no transfer fee
        {2, 3, {11, 12, 13, 14, 15, 16, 0, 0, 0}},
        {1, 4, {17, 18, 19, 0, 0, 20, 0, 0, 0}},
        {1, 5, {21, 22, 23, 0, 0, 27, 24, 25, 26}}, // B shares: other fee from 27
        {2, 5, {21, 22, 23, 0, 0, 27, 24, 25, 26}},
        // any market but Shanghai reads the Shenzhen array
        {0, 1, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
        {-1, 2, {7, 8, 9, 0, 0, 10, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.market << "/" << c.type);
        RateSet r;
        double* fields[9] = {&r.CommissionRate, &r.MinCommission, &r.StampRate,
                             &r.TransferRate,   &r.MinTransfer,   &r.OtherFee,
                             &r.SettlementRate, &r.HandlingRate,  &r.RegulatorRate};
        for (double* f : fields) {
            *f = -7; // stale values of an earlier selection
        }
        LoadCurrentRates(Numbered(), c.market, c.type, r);
        const double base = c.market == 1 ? 100.0 : 200.0;
        for (int k = 0; k < 9; ++k) {
            EXPECT_EQ(*fields[k], c.source[k] == 0 ? 0.0 : base + c.source[k]) << "rate " << k;
        }
    }
}

TEST(LoadCurrentRates, TypeOutsideTheSelectorLeavesTheRates) {
    for (int type : {0, 6, -1, 32767}) {
        RateSet r;
        r.CommissionRate = 1.5;
        r.RegulatorRate = 3.5;
        LoadCurrentRates(Numbered(), 1, type, r);
        EXPECT_EQ(r.CommissionRate, 1.5) << type;
        EXPECT_EQ(r.MinCommission, 0) << type;
        EXPECT_EQ(r.RegulatorRate, 3.5) << type;
    }
}

// The whole default table is checked byte for byte through the settings file tests.
TEST(LoadCurrentRates, DefaultsOfAFreshStart) {
    const FeeParameters d = FeeParameters::Defaults();
    EXPECT_EQ(d.SettlementCap(), 500);
    RateSet sh, sz;
    LoadCurrentRates(d, 1, 1, sh);
    EXPECT_EQ(sh.CommissionRate, 0.0035);
    EXPECT_EQ(sh.MinCommission, 10);
    EXPECT_EQ(sh.StampRate, 0.004);
    EXPECT_EQ(sh.TransferRate, 0.001);
    EXPECT_EQ(sh.MinTransfer, 1);
    LoadCurrentRates(d, 2, 5, sz);
    EXPECT_EQ(sz.CommissionRate, 0.0043);
    EXPECT_EQ(sz.SettlementRate, 0.0005);
    EXPECT_EQ(sz.HandlingRate, 0.0003);
    EXPECT_EQ(sz.RegulatorRate, 0.000046);
}

} // namespace
