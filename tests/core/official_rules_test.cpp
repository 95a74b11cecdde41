// The table of official fees against the dated facts it was written from: each period's
// rate on its first and its last day, and the table's shape (one row per fee and day).
#include "core/official_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace ym {
namespace {

constexpr Market kSh = Market::Shanghai;
constexpr Market kSz = Market::Shenzhen;
constexpr SecurityType kA = SecurityType::AShare;
constexpr SecurityType kB = SecurityType::BShare;
constexpr SecurityType kBond = SecurityType::Bond;
constexpr SecurityType kFund = SecurityType::Fund;
constexpr SecurityType kSif = SecurityType::InvestmentFund;
constexpr std::array<SecurityType, 5> kTypes{kA, kBond, kFund, kSif, kB};

// The one row of a fee in force on a date for an exchange and a type, or none.
std::optional<OfficialFeeRow> RowOf(OfficialFee fee, const char* date, Market exchange,
                                    SecurityType type) {
    std::optional<OfficialFeeRow> found;
    for (const OfficialFeeRow* row : RulesInForce(*ParseDate(date), exchange, type)) {
        if (row->fee == fee) {
            EXPECT_FALSE(found.has_value()) << "two rows on " << date;
            found = *row;
        }
    }
    return found;
}

struct RateCase {
    OfficialFee fee;
    const char* date;
    Market exchange;
    SecurityType type;
    double rate; // per leg, as the notice gives it (‰ written out)
    RowSide side;
    Evidence mark;
};

// From the dated facts: stamp duty 1‰ seller only until 0.5‰ from 2023-08-28 (B shares
// included: believed); transfer fee 0.02‰ of the amount from 2015-08-01, 0.01‰ from
// 2022-04-29; handling fee 0.0487‰, 0.0341‰ from 2023-08-28; funds 0.0487‰ in Shenzhen
// (Shanghai 0.0045% by statements: believed), 0.04‰ from 2021-07-19; bonds 0.04‰ (the
// convertible bonds' 0.004%: believed); regulatory fee 0.02‰,
// sourced from 2018-01-01; B-share settlement fee 0.05%.
const RateCase kRates[] = {
    {OfficialFee::Stamp, "2015-08-01", kSh, kA, 0.001, RowSide::Sell, Evidence::Sourced},
    {OfficialFee::Stamp, "2023-08-27", kSz, kA, 0.001, RowSide::Sell, Evidence::Sourced},
    {OfficialFee::Stamp, "2023-08-27", kSh, kB, 0.001, RowSide::Sell, Evidence::Sourced},
    {OfficialFee::Stamp, "2023-08-28", kSh, kA, 0.0005, RowSide::Sell, Evidence::Sourced},
    {OfficialFee::Stamp, "2026-12-06", kSz, kA, 0.0005, RowSide::Sell, Evidence::Sourced},
    {OfficialFee::Stamp, "2023-08-28", kSz, kB, 0.0005, RowSide::Sell, Evidence::Believed},
    {OfficialFee::Stamp, "2026-12-06", kSh, kFund, 0, RowSide::Both, Evidence::Believed},
    {OfficialFee::Stamp, "2015-08-01", kSz, kBond, 0, RowSide::Both, Evidence::Believed},
    {OfficialFee::Transfer, "2015-08-01", kSz, kA, 0.00002, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Transfer, "2022-04-28", kSh, kA, 0.00002, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Transfer, "2022-04-29", kSh, kA, 0.00001, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Transfer, "2026-12-06", kSz, kA, 0.00001, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Transfer, "2026-12-06", kSz, kSif, 0, RowSide::Both, Evidence::Believed},
    {OfficialFee::Handling, "2015-08-01", kSh, kA, 0.0000487, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Handling, "2023-08-27", kSz, kB, 0.0000487, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Handling, "2023-08-28", kSh, kA, 0.0000341, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Handling, "2023-08-28", kSz, kB, 0.0000341, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Handling, "2015-08-01", kSz, kFund, 0.0000487, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Handling, "2021-07-18", kSh, kFund, 0.000045, RowSide::Both, Evidence::Believed},
    {OfficialFee::Handling, "2021-07-19", kSz, kSif, 0.00004, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Handling, "2021-07-19", kSh, kFund, 0.00004, RowSide::Both, Evidence::Believed},
    {OfficialFee::Handling, "2015-08-01", kSh, kBond, 0.00004, RowSide::Both, Evidence::Believed},
    {OfficialFee::Handling, "2026-12-06", kSz, kBond, 0.00004, RowSide::Both, Evidence::Believed},
    {OfficialFee::Regulatory, "2017-12-31", kSh, kA, 0.00002, RowSide::Both, Evidence::Believed},
    {OfficialFee::Regulatory, "2018-01-01", kSz, kB, 0.00002, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Regulatory, "2026-12-06", kSh, kBond, 0, RowSide::Both, Evidence::Believed},
    {OfficialFee::Settlement, "2015-08-01", kSh, kB, 0.0005, RowSide::Both, Evidence::Sourced},
    {OfficialFee::Settlement, "2026-12-06", kSz, kB, 0.0005, RowSide::Both, Evidence::Sourced},
};

TEST(OfficialRulesTest, RatesOfEachPeriodOnItsFirstAndLastDay) {
    for (const RateCase& c : kRates) {
        const auto row = RowOf(c.fee, c.date, c.exchange, c.type);
        const std::string what = std::string(FeeName(c.fee)) + " " + std::string(TypeName(c.type)) +
                                 " " + std::string(MarketName(c.exchange)) + " " + c.date;
        ASSERT_TRUE(row.has_value()) << what;
        EXPECT_EQ(row->rate, c.rate) << what;
        EXPECT_EQ(row->side, c.side) << what;
        EXPECT_EQ(row->mark, c.mark) << what;
        EXPECT_EQ(row->base, FeeBase::Amount) << what;
        EXPECT_FALSE(row->source.empty()) << what;
    }
}

// Every day from the first rule date on: each fee of each exchange and type has at most one
// row, and a fee that has a row on one day has one on every day (no gap between periods).
// B shares pay no transfer fee and only B shares a settlement fee.
TEST(OfficialRulesTest, OneRowPerFeeOnEveryDay) {
    const Date end = NextDay(NextDay(kRulesCheckedOn));
    for (Date d = kFirstRuleDate; d < end; d = NextDay(d)) {
        for (Market exchange : {kSh, kSz}) {
            for (SecurityType type : kTypes) {
                std::array<int, 5> count{};
                for (const OfficialFeeRow* row : RulesInForce(d, exchange, type)) {
                    ++count[static_cast<std::size_t>(row->fee)];
                }
                const std::array<int, 5> expected{1, type == kB ? 0 : 1, 1, 1, type == kB ? 1 : 0};
                ASSERT_EQ(count, expected)
                    << FormatDate(d) << " " << TypeName(type) << " " << MarketName(exchange);
            }
        }
    }
    EXPECT_TRUE(RulesInForce(PreviousDay(kFirstRuleDate)).empty());
    // "含规费" covers the handling and regulatory fees and nothing else.
    for (const OfficialFeeRow& row : OfficialFeeTable()) {
        EXPECT_EQ(row.brokerMayInclude,
                  row.fee == OfficialFee::Handling || row.fee == OfficialFee::Regulatory)
            << FeeName(row.fee) << " " << FormatDate(row.first);
    }
}

// Leap years by the Gregorian rule; only real days in the two forms a user types.
TEST(TradeDateTest, ReadsRealDaysOnly) {
    EXPECT_EQ(ParseDate("2024-02-29"), (Date{2024, 2, 29}));
    EXPECT_EQ(ParseDate("20000229"), (Date{2000, 2, 29}));
    // Before the first rule date, but a day: "no official rules", not "not a date".
    EXPECT_EQ(ParseDate("1999-12-31"), (Date{1999, 12, 31}));
    for (const char* text : {"2023-02-29", "2022-02-29", "1900-02-29", "2023-04-31", "2023-08-00",
                             "2023-13-01", "2023-8-28", "2023/08/28", "２０２３0828"}) {
        EXPECT_EQ(ParseDate(text), std::nullopt) << text;
    }
    EXPECT_EQ(NextDay({2023, 12, 31}), (Date{2024, 1, 1}));
}

} // namespace
} // namespace ym
