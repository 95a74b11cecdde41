// What start-up takes from the settings file for the fee model, and the fee rules a trade
// then follows: a Shanghai A-share buy of 10.00 x 1000 worked out by hand for each case.
#include "core/program_state.h"

#include "core/settings_file.h"
#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace ym::test;

// The Shanghai A-share block of a new file (A1..A6): commission 0.35 % of 10,000 = 35,
// stamp duty 0.4 % = 40, transfer fee 0.001 a share = 1; 76 in all, nothing rounded.
constexpr double kClassicBuy = 76;
// Official rules since 2023-08-28 at 2.5‱: commission 2.50 raised to the 5.00 minimum;
// no stamp duty on a buy; transfer 0.01‰ = 0.10; handling 0.0341‰ = 0.341 -> 0.34;
// regulatory 0.02‰ = 0.20; 5.64 in all.
constexpr double kOfficialBuy = 5.64;

TEST(ProgramStateTest, FeeModelFromTheOneReadOfTheFile) {
    const struct {
        const char* name;
        std::string section;
        ym::Date tradeDate;
        ym::FeeModel model;
        std::size_t problems;
        std::optional<double> buyFees; // nullopt: no rules on that date
    } cases[] = {
        {"no section", "", {2026, 12, 6}, ym::FeeModel::Classic, 0, kClassicBuy},
        {"official",
         "Model=official\r\nCommissionRate= .00025\r\n",
         {2026, 12, 6},
         ym::FeeModel::Official,
         0,
         kOfficialBuy},
        {"official on its first day",
         "Model=official\r\n",
         {2015, 8, 1},
         ym::FeeModel::Official,
         0,
         // 2.5‱ of 10,000 raised to 5.00; transfer 0.02‰ = 0.20; handling 0.0487‰ =
         // 0.487 -> 0.49; regulatory 0.02‰ = 0.20.
         5.89},
        {"official before the first rules",
         "Model=official\r\n",
         {2015, 7, 31},
         ym::FeeModel::Official,
         0,
         std::nullopt},
        {"classic ignores the date",
         "Model=classic\r\nCommissionRate= .0001\r\n",
         {2015, 7, 31},
         ym::FeeModel::Classic,
         0,
         kClassicBuy},
        // A value the reader refuses turns the whole model back to the classic one.
        {"rate above the legal cap",
         "Model=official\r\nCommissionRate= .01\r\n",
         {2026, 12, 6},
         ym::FeeModel::Classic,
         1,
         kClassicBuy},
        {"unknown model and flag",
         "Model=rules\r\nNoMinimum=yes\r\n",
         {2026, 12, 6},
         ym::FeeModel::Classic,
         2,
         kClassicBuy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Put(dir.file(),
            ym::DefaultSettingsBytes() + (c.section.empty() ? "" : "[FEERULES]\r\n" + c.section));
        ym::ProgramState state;
        state.settingsPath = dir.file();
        ASSERT_EQ(state.Load(), std::nullopt);
        state.CurMarket = ym::Market::Shanghai;
        state.CurType = ym::SecurityType::AShare;
        state.LoadCurrentRates();
        state.tradeDate = c.tradeDate;

        EXPECT_EQ(state.feeModel.model, c.model);
        EXPECT_EQ(state.feeModelProblems.size(), c.problems);
        const std::optional<ym::FeeRules> rules = state.feeRules();
        ASSERT_EQ(rules.has_value(), c.buyFees.has_value());
        if (rules) {
            EXPECT_DOUBLE_EQ(ym::LegFees(*rules, ym::Side::Buy, 10, 1000), *c.buyFees);
        }
    }
}

} // namespace
