#include "core/fee_parameters.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using ym::FeeParameters;
using ym::kParameters;
using ym::LoadCurrentRates;
using ym::RateSet;

// The defaults as numbers, in key order, as a broker's fee schedule of the time lists them.
constexpr double kShanghaiDefaults[27] = {
    0.0035, 10, 0.004,  0.001, 1, 0, 0.002,  5, 0,     0,      0.0035,   10,       0, 0.001,
    1,      0,  0.0025, 5,     0, 0, 0.0043, 0, 0.003, 0.0005, 0.000255, 0.000045, 0};
constexpr double kShenzhenDefaults[28] = {
    0.0035, 5, 0.004,  0, 0, 0, 0.002,  5, 0,     0,      0.003,  5,        0, 0,
    0,      0, 0.0025, 5, 0, 0, 0.0043, 0, 0.003, 0.0005, 0.0003, 0.000046, 0, 500};

TEST(FeeParameters, DefaultsAreTheNumbersOfANewFile) {
    const FeeParameters d = FeeParameters::Defaults();
    for (std::size_t i = 0; i < 27; ++i) {
        EXPECT_EQ(d.shanghai[i], kShanghaiDefaults[i]) << "A" << i + 1;
    }
    for (std::size_t i = 0; i < 28; ++i) {
        EXPECT_EQ(d.shenzhen[i], kShenzhenDefaults[i]) << "B" << i + 1;
    }
    EXPECT_EQ(d.SettlementCap(), 500);
}

// Every label names its security type first; the block boundaries follow the type order.
TEST(FeeParameters, LabelsFollowTheBlocks) {
    struct Block {
        std::size_t first, last;
        std::string_view prefix;
    };
    const Block blocks[] = {{1, 6, "A股"},
                            {7, 10, "债券"},
                            {11, 16, "基金"},
                            {17, 20, "证券投资基金"},
                            {21, 28, "B股"}};
    for (const Block& b : blocks) {
        for (std::size_t n = b.first; n <= b.last; ++n) {
            const auto& p = kParameters[n - 1];
            EXPECT_TRUE(p.shenzhenLabel.starts_with(b.prefix)) << n;
            if (n <= 27) {
                EXPECT_TRUE(p.shanghaiLabel.starts_with(b.prefix)) << n;
            }
        }
    }
}

TEST(FeeParameters, OnlyParameter26HasTwoLabelsAnd28IsShenzhenOnly) {
    for (std::size_t n = 1; n <= 27; ++n) {
        const auto& p = kParameters[n - 1];
        EXPECT_FALSE(p.shanghaiDefault.empty()) << n;
        EXPECT_FALSE(p.shenzhenDefault.empty()) << n;
        if (n == 26) {
            EXPECT_NE(p.shanghaiLabel, p.shenzhenLabel);
        } else {
            EXPECT_EQ(p.shanghaiLabel, p.shenzhenLabel) << n;
        }
    }
    EXPECT_TRUE(kParameters[27].shanghaiLabel.empty());
    EXPECT_TRUE(kParameters[27].shanghaiDefault.empty());
    EXPECT_FALSE(kParameters[27].shenzhenLabel.empty());
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

struct RateCase {
    int market;
    int type;
    // Expected source parameter per rate, 0 = zero, in the order commission, minimum
    // commission, stamp, transfer, minimum transfer, other, settlement, handling, regulator.
    int source[9];
};

class LoadCurrentRatesTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(LoadCurrentRatesTest, TakesTheTypesBlockOfTheMarket) {
    const RateCase& c = GetParam();
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
        const double expected = c.source[k] == 0 ? 0.0 : base + c.source[k];
        EXPECT_EQ(*fields[k], expected) << "rate " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Blocks, LoadCurrentRatesTest,
                         ::testing::Values(RateCase{1, 1, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
                                           RateCase{1, 2, {7, 8, 9, 0, 0, 10, 0, 0, 0}},
                                           RateCase{1, 3, {11, 12, 13, 14, 15, 16, 0, 0, 0}},
                                           RateCase{1, 4, {17, 18, 19, 0, 0, 20, 0, 0, 0}},
                                           RateCase{1, 5, {21, 22, 23, 0, 0, 27, 24, 25, 26}},
                                           RateCase{2, 1, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
                                           RateCase{2, 2, {7, 8, 9, 0, 0, 10, 0, 0, 0}},
                                           RateCase{2, 3, {11, 12, 13, 14, 15, 16, 0, 0, 0}},
                                           RateCase{2, 4, {17, 18, 19, 0, 0, 20, 0, 0, 0}},
                                           RateCase{2, 5, {21, 22, 23, 0, 0, 27, 24, 25, 26}},
                                           // any market but Shanghai reads the Shenzhen array
                                           RateCase{0, 1, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
                                           RateCase{3, 5, {21, 22, 23, 0, 0, 27, 24, 25, 26}},
                                           RateCase{-1, 2, {7, 8, 9, 0, 0, 10, 0, 0, 0}}));

TEST(LoadCurrentRates, TypeOutsideTheSelectorLeavesTheRates) {
    for (int type : {0, 6, -1, 32767}) {
        RateSet r;
        r.CommissionRate = 1.5;
        r.MinTransfer = 2.5;
        r.RegulatorRate = 3.5;
        LoadCurrentRates(Numbered(), 1, type, r);
        EXPECT_EQ(r.CommissionRate, 1.5) << type;
        EXPECT_EQ(r.MinCommission, 0) << type;
        EXPECT_EQ(r.MinTransfer, 2.5) << type;
        EXPECT_EQ(r.RegulatorRate, 3.5) << type;
    }
}

TEST(LoadCurrentRates, DefaultsOfAFreshStart) {
    const FeeParameters d = FeeParameters::Defaults();
    RateSet sh;
    LoadCurrentRates(d, 1, 1, sh);
    EXPECT_EQ(sh.CommissionRate, 0.0035);
    EXPECT_EQ(sh.MinCommission, 10);
    EXPECT_EQ(sh.StampRate, 0.004);
    EXPECT_EQ(sh.TransferRate, 0.001);
    EXPECT_EQ(sh.MinTransfer, 1);
    EXPECT_EQ(sh.OtherFee, 0);
    EXPECT_EQ(sh.SettlementRate + sh.HandlingRate + sh.RegulatorRate, 0);

    RateSet sz;
    LoadCurrentRates(d, 2, 1, sz);
    EXPECT_EQ(sz.MinCommission, 5);
    EXPECT_EQ(sz.TransferRate, 0);
    EXPECT_EQ(sz.MinTransfer, 0);

    RateSet szB;
    LoadCurrentRates(d, 2, 5, szB);
    EXPECT_EQ(szB.CommissionRate, 0.0043);
    EXPECT_EQ(szB.SettlementRate, 0.0005);
    EXPECT_EQ(szB.HandlingRate, 0.0003);
    EXPECT_EQ(szB.RegulatorRate, 0.000046);
}

} // namespace
