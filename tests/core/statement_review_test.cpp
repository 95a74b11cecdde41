// A statement reviewed: the broker's terms found from statements made under known terms,
// each reason a line can differ for, and what other terms would have cost, on numbers worked
// with a pencil under the official rules of 2025 (A shares: stamp duty 0.5‰ on sells, transfer
// fee 0.01‰, handling fee 0.0341‰, regulatory fee 0.02‰, each rounded to the fen).
#include "core/statement_review.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ym::statement {
namespace {

constexpr std::size_t kCommission = 0;
constexpr std::size_t kStamp = 1;
constexpr std::size_t kTransfer = 2;
constexpr std::size_t kOther = 3;

// A statement a broker would print under `terms`: every day of `from`'s year from `from` to
// `to`, two trades a day of varied size, fees as the broker computes them.
struct Shown {
    bool transfer = true; // the transfer fee has its own column, else it is in "other"
    bool other = true;    // the other fees have a column
};

void AddStatement(TermsFinder& finder, std::vector<TradeLine>& lines, const BrokerTerms& terms,
                  Date from, Date to, Shown shown = {}) {
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (Date d = from; d <= to; d = NextDay(d)) {
        for (int i = 0; i < 2; ++i) {
            TradeLine t;
            t.date = d;
            t.code = i == 0 ? "600000" : "000001";
            t.market = i == 0 ? Market::Shanghai : Market::Shenzhen;
            t.side = next(2) == 0 ? Side::Buy : Side::Sell;
            t.price = (300 + next(4700)) / 100.0;
            t.quantity = 100.0 * (1 + next(60));
            const auto rules = OfficialFeeRules(d, t.market, t.type, terms);
            const ComputedFees fees = ComputeFees(ChargeLeg(*rules, t.side, t.price, t.quantity));
            const auto charged = fees.Charged();
            t.charged = {charged[kCommission], charged[kStamp], charged[kTransfer],
                         charged[kOther]};
            if (!shown.transfer) {
                t.charged[kTransfer].reset();
                *t.charged[kOther] += charged[kTransfer];
            }
            if (!shown.other) {
                t.charged[kOther].reset();
            }
            finder.Add(t);
            lines.push_back(t);
        }
    }
}

BrokerTerms Terms(double rate, bool waived, bool includes) {
    BrokerTerms t;
    t.commissionRate = rate;
    t.minimumWaived = waived;
    t.includesExchangeFees = includes;
    return t;
}

// The terms found are the terms the statement was made under, and the check finds no line
// that differs.
TEST(StatementTerms, FoundFromStatementsOfKnownTerms) {
    struct Case {
        BrokerTerms terms;
        Shown shown;
        const char* quoted;
        TransferShown transfer;
    };
    const Case cases[] = {
        {Terms(0.00025, false, false), {}, "万2.5", TransferShown::Itemised},
        {Terms(0.0001, true, false), {}, "万1", TransferShown::Itemised},
        {Terms(0.000085, true, true), {}, "万0.85", TransferShown::Itemised},
        {Terms(0.0003, false, true), {false}, "万3", TransferShown::InOther},
        {Terms(0.00018, true, false), {false}, "万1.8", TransferShown::InOther},
        // Without a column for them, whether the exchanges' fees are apart cannot be told.
        {Terms(0.0002, false, false), {true, false}, "万2", TransferShown::Itemised},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quoted);
        TermsFinder finder;
        std::vector<TradeLine> lines;
        AddStatement(finder, lines, c.terms, {2025, 3, 1}, {2025, 3, 31}, c.shown);
        const std::vector<TermsPeriod> periods = finder.Find();
        ASSERT_EQ(periods.size(), 1u);
        const TermsPeriod& p = periods[0];
        EXPECT_EQ(QuoteRate(p.terms.commissionRate), c.quoted);
        EXPECT_NEAR(p.terms.commissionRate, c.terms.commissionRate, 1e-12);
        EXPECT_EQ(p.terms.minimumWaived, c.terms.minimumWaived);
        EXPECT_TRUE(p.minimumSeen);
        EXPECT_EQ(p.includesFees,
                  c.shown.other ? std::optional<bool>(c.terms.includesExchangeFees) : std::nullopt);
        EXPECT_EQ(p.transfer, c.transfer);
        EXPECT_EQ(p.from, (Date{2025, 3, 1}));
        EXPECT_EQ(p.to, (Date{2025, 3, 31}));
        EXPECT_GT(p.rateLines, 0u);
        EXPECT_GT(p.minimumLines, 0u);
        EXPECT_EQ(p.includesLines > 0, c.shown.other);

        Reviewer reviewer({}, periods);
        for (const TradeLine& t : lines) {
            const LineCheck check = reviewer.Add(t);
            EXPECT_FALSE(check.differs)
                << FormatDate(t.date) << " " << t.price << " x " << t.quantity;
        }
        const StatementReport report = reviewer.Finish();
        EXPECT_EQ(report.terms[0].explained, lines.size());
    }
}

// Terms that change half-way make two periods, each with its own terms and days; an odd line
// does not make a period of its own.
TEST(StatementTerms, ChangeOfTermsHalfWay) {
    TermsFinder finder;
    std::vector<TradeLine> lines;
    AddStatement(finder, lines, Terms(0.0003, false, false), {2025, 1, 1}, {2025, 6, 30});
    AddStatement(finder, lines, Terms(0.00012, true, false), {2025, 7, 1}, {2025, 12, 31});
    TradeLine odd = lines.front();
    odd.date = {2025, 3, 5};
    odd.charged[kCommission] = 77.77;
    finder.Add(odd);
    const std::vector<TermsPeriod> periods = finder.Find();
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_EQ(QuoteRate(periods[0].terms.commissionRate), "万3");
    EXPECT_FALSE(periods[0].terms.minimumWaived);
    EXPECT_EQ(periods[0].from, (Date{2025, 1, 1}));
    EXPECT_EQ(periods[0].to, (Date{2025, 6, 30}));
    EXPECT_EQ(QuoteRate(periods[1].terms.commissionRate), "万1.2");
    EXPECT_TRUE(periods[1].terms.minimumWaived);
    EXPECT_EQ(periods[1].from, (Date{2025, 7, 1}));
    EXPECT_EQ(PeriodOn(periods, {2025, 7, 2}), &periods[1]);
    EXPECT_EQ(PeriodOn(periods, {2024, 12, 31}), &periods[0]);
}

TradeLine Line(Side side, double price, double quantity, std::array<double, 4> charged) {
    TradeLine t;
    t.date = {2025, 3, 3};
    t.code = "600000";
    t.side = side;
    t.price = price;
    t.quantity = quantity;
    for (std::size_t i = 0; i < 4; ++i) {
        t.charged[i] = charged[i];
    }
    return t;
}

// Each reason on a line of its own, under 万2.5 with the 5-yuan minimum, fees apart.
TEST(StatementReview, EachReasonForADifference) {
    // Buy 1000 x 10.00 = 10,000: commission 2.50 raised to 5.00; transfer 0.10; handling
    // 0.341 -> 0.34 and regulatory 0.20, other 0.54.
    // Buy 10,000 x 10.00 = 100,000: commission 25.00, transfer 1.00, other 3.41 + 2.00 = 5.41;
    // a sell of it also stamp duty 50.00.
    struct Case {
        TradeLine line;
        bool waived;
        Reason reason;
        Column fee;
        double difference;
    };
    const Case cases[] = {
        {Line(Side::Buy, 10, 1000, {5, 0, 0.10, 0.54}), false, Reason::None, Column::Commission, 0},
        {Line(Side::Buy, 10, 1000, {5, 5, 0.10, 0.54}), false, Reason::StampOnBuy, Column::Stamp,
         5},
        // 免五: 2.50 due, 5.00 charged.
        {Line(Side::Buy, 10, 1000, {5, 0, 0.10, 0.54}), true, Reason::MinimumWithoutTerms,
         Column::Commission, 2.5},
        {Line(Side::Buy, 10, 10000, {25.03, 0, 1, 5.41}), false, Reason::PiecesRounded,
         Column::Commission, 0.03},
        {Line(Side::Buy, 10, 10000, {30, 0, 1, 5.41}), false, Reason::CommissionAboveRate,
         Column::Commission, 5},
        {Line(Side::Buy, 10, 10000, {20, 0, 1, 5.41}), false, Reason::CommissionBelowRate,
         Column::Commission, -5},
        // Stamp duty at the 1‰ of before 2023-08-28: 100.00 instead of 50.00.
        {Line(Side::Sell, 10, 10000, {25, 100, 1, 5.41}), false, Reason::StampRate, Column::Stamp,
         50},
        {Line(Side::Sell, 10, 10000, {25, 50, 2, 5.41}), false, Reason::TransferFee,
         Column::Transfer, 1},
        {Line(Side::Sell, 10, 10000, {25, 50, 1, 0}), false, Reason::OtherFees, Column::Other,
         -5.41},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ReasonKey(c.reason));
        ReviewOptions options;
        options.noMinimum = c.waived;
        TermsPeriod p;
        p.from = {2025, 1, 1};
        Reviewer reviewer(options, {p});
        const LineCheck check = reviewer.Add(c.line);
        EXPECT_TRUE(check.checked);
        EXPECT_EQ(check.reason, c.reason);
        const StatementReport report = reviewer.Finish();
        if (c.reason == Reason::None) {
            EXPECT_FALSE(check.differs);
            EXPECT_TRUE(report.differing.empty());
            continue;
        }
        ASSERT_EQ(report.differing.size(), 1u);
        EXPECT_EQ(report.differing[0].fee, c.fee);
        EXPECT_NEAR(report.differing[0].difference, c.difference, 1e-9);
        EXPECT_NEAR(report.differingSum, c.difference, 1e-9);
    }
}

// The same two trades under 万1 without a minimum:
//   buy 1000 x 10.00 = 10,000 charged 5.00 + 0.10 + 0.54 = 5.64; 万1 gives 1.00 + 0.10 + 0.34
//   + 0.20 = 1.64;
//   sell 1000 x 12.00 = 12,000 charged 5.00 + 6.00 + 0.12 + 0.65 = 11.77; 万1 gives 1.20 + 6.00
//   + 0.12 + 0.41 + 0.24 = 7.97.
// Paid 17.41, would pay 9.61: a saving of 7.80. Turnover 22,000, fees 17.41 / 22,000 = 7.9136‱.
TEST(StatementReview, WhatIfOtherTerms) {
    ReviewOptions options;
    options.whatIfRate = 0.0001;
    options.whatIfNoMinimum = true;
    TermsPeriod p;
    p.from = {2025, 1, 1};
    Reviewer reviewer(options, {p});
    reviewer.Add(Line(Side::Buy, 10, 1000, {5, 0, 0.10, 0.54}));
    reviewer.Add(Line(Side::Sell, 12, 1000, {5, 6, 0.12, 0.65}));
    const StatementReport report = reviewer.Finish();
    EXPECT_TRUE(report.differing.empty());
    ASSERT_EQ(report.years.size(), 1u);
    EXPECT_EQ(report.years[0].year, 2025);
    EXPECT_NEAR(report.total.turnover, 22000, 1e-9);
    EXPECT_NEAR(report.total.commission, 10, 1e-9);
    EXPECT_NEAR(report.total.stamp, 6, 1e-9);
    EXPECT_NEAR(report.total.fees, 17.41, 1e-9);
    EXPECT_NEAR(report.total.PerTenThousand(), 7.9136, 1e-4);
    ASSERT_TRUE(report.whatIf);
    EXPECT_NEAR(report.whatIf->total.fees, 17.41, 1e-9);
    EXPECT_NEAR(report.whatIf->total.whatIfFees, 9.61, 1e-9);
    EXPECT_NEAR(report.whatIf->total.saving, 7.80, 1e-9);
    ASSERT_EQ(report.whatIf->years.size(), 1u);
    EXPECT_NEAR(report.whatIf->years[0].saving, 7.80, 1e-9);
}

// Monthly exports in any order: the same terms, totals and differing lines.
TEST(StatementReview, FilesInAnyOrder) {
    const std::string data = YM_TEST_DATA "/statements/";
    ReviewOptions options;
    options.commissionRate = 0.0003;
    const StatementReport a = ReviewStatements(
        {data + "tdx_gbk.xls", data + "ths_utf8.csv", data + "events.txt"}, options);
    const StatementReport b = ReviewStatements(
        {data + "events.txt", data + "ths_utf8.csv", data + "tdx_gbk.xls"}, options);
    EXPECT_EQ(a.trades, 8u);
    EXPECT_EQ(b.trades, a.trades);
    ASSERT_EQ(a.terms.size(), 1u);
    ASSERT_EQ(b.terms.size(), 1u);
    EXPECT_EQ(a.terms[0].found.terms, b.terms[0].found.terms);
    EXPECT_EQ(a.terms[0].used.commissionRate, 0.0003);
    EXPECT_NEAR(a.total.fees, b.total.fees, 1e-9);
    EXPECT_NEAR(a.differingSum, b.differingSum, 1e-9);
    ASSERT_EQ(a.differing.size(), b.differing.size());
    EXPECT_EQ(a.skipped, b.skipped);
    EXPECT_EQ(a.unreadableCount, 2u);
    const StatementReport missing = ReviewStatements({data + "none.csv"}, options);
    ASSERT_EQ(missing.fileProblems.size(), 1u);
    EXPECT_NE(missing.fileProblems[0].find("none.csv: cannot be opened"), std::string::npos);
}

} // namespace
} // namespace ym::statement
