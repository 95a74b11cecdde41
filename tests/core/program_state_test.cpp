// What a trade takes from the settings file: which stored parameter becomes which rate for
// every market and type, and the fee model start-up reads, with the fees a trade then pays
// (a Shanghai A-share buy of 10.00 x 1000 worked out by hand for each case).
#include "core/program_state.h"

#include "core/fee_parameters.h"
#include "core/settings_file.h"
#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <string>

namespace ym {
namespace {

using namespace test;

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
        const double rates[9] = {r.commissionRate, r.minCommission, r.stampRate,
                                 r.transferRate,   r.minTransfer,   r.otherFee,
                                 r.settlementRate, r.handlingRate,  r.regulatorRate};
        const double base = c.market == Market::Shanghai ? 100 : 200;
        for (int k = 0; k < 9; ++k) {
            EXPECT_EQ(rates[k], c.source[k] == 0 ? 0.0 : base + c.source[k])
                << "rate " << k << " of type " << NumberOf(c.type);
        }
    }
}

// The Shanghai A-share block of a new file: commission 0.35 % of 10,000 = 35, stamp duty
// 0.4 % = 40, transfer 0.001 a share = 1; 76 in all, nothing rounded.
constexpr double kClassicBuy = 76;
// Official rules since 2023-08-28 at 2.5‱: commission 2.50 raised to the 5.00 minimum; no
// stamp duty on a buy; transfer 0.01‰ = 0.10; handling 0.0341‰ = 0.341 -> 0.34; regulatory
// 0.02‰ = 0.20; 5.64 in all.
constexpr double kOfficialBuy = 5.64;
constexpr Date kToday{2026, 12, 6};

// A value out of bounds turns the whole model back to the classic one, and is reported.
TEST(ProgramState, FeeModelFromTheOneReadOfTheFile) {
    constexpr FeeModel Classic = FeeModel::Classic, Official = FeeModel::Official;
    // clang-format off
    const struct {
        std::string section;
        Date tradeDate;
        FeeModel model;
        std::size_t problems;
        std::optional<double> buyFees; // nullopt: no rules on that date
    } cases[] = {
        {"", kToday, Classic, 0, kClassicBuy},
        {"Model=official\r\nCommissionRate= .00025\r\n", kToday, Official, 0, kOfficialBuy},
        // Names in any case; the legal cap itself is admissible: 30.00 + 0.64.
        {"model=OFFICIAL\r\ncommissionrate=.003\r\n", kToday, Official, 0, 30.64},
        {"Model=official\r\nNoMinimum=1\r\n", kToday, Official, 0, 3.14},
        {"Model=official\r\nIncludesFees=1\r\n", kToday, Official, 0, 5.10},
        // The first day: transfer 0.02‰ = 0.20; handling 0.0487‰ = 0.487 -> 0.49; regulatory
        // 0.20; commission 5.00.
        {"Model=official\r\n", kFirstRuleDate, Official, 0, 5.89},
        {"Model=official\r\n", PreviousDay(kFirstRuleDate), Official, 0, std::nullopt},
        {"Model=classic\r\nCommissionRate= .0001\r\n", {2015, 7, 31}, Classic, 0, kClassicBuy},
        {"Model=\r\n", kToday, Classic, 0, kClassicBuy},
        {"Model=official\r\nCommissionRate= .0031\r\n", kToday, Classic, 1, kClassicBuy},
        {"Model=official\r\nCommissionRate=0.01\r\nMinCommission=5 yuan\r\n", kToday, Classic,
         2, kClassicBuy},
        {"Model=official\r\nMinCommission=-5\r\nNoMinimum=yes\r\n", kToday, Classic, 2,
         kClassicBuy},
        {"Model=rules\r\n", kToday, Classic, 1, kClassicBuy},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section);
        TempDir dir;
        Put(dir.file(),
            DefaultSettingsBytes() + (c.section.empty() ? "" : "[FEERULES]\r\n") + c.section);
        ProgramState state;
        state.settingsPath = dir.file();
        ASSERT_EQ(state.Load(), std::nullopt);
        state.market = Market::Shanghai;
        state.type = SecurityType::AShare;
        state.tradeDate = c.tradeDate;

        EXPECT_EQ(state.feeModel.model, c.model);
        EXPECT_EQ(state.feeModelProblems.size(), c.problems);
        const std::optional<FeeRules> rules = state.feeRules();
        ASSERT_EQ(rules.has_value(), c.buyFees.has_value());
        if (rules) {
            EXPECT_DOUBLE_EQ(LegFees(*rules, Side::Buy, 10, 1000), *c.buyFees);
        }
    }
}

} // namespace
} // namespace ym
