// A statement reviewed: every trade line checked against the official rules of its date
// and the broker's terms (found from the statement, or given), each fee computed by the one
// fee function as yuanmate-calc batch computes it; the lines that differ with the likely
// reason; fees per year and in total; what other terms would have charged. One call reads the
// files twice, piece by piece (once to find the terms, once to check), so that memory holds
// only the totals, the terms and the lines that differ.
#pragma once

#include "core/export_reader.h"
#include "core/fee_model.h"
#include "core/fee_parameters.h"
#include "core/statement_terms.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ym::statement {

struct ReviewOptions {
    FeeModel model = FeeModel::Official;
    FeeParameters parameters = FeeParameters::Defaults(); // the classic model's
    // The broker's terms as the user gives them, each over the one found.
    std::optional<double> commissionRate;
    std::optional<double> minimum;
    bool noMinimum = false;
    std::optional<bool> includesFees;
    // Other terms to price the same trades under ("what would another broker charge").
    std::optional<double> whatIfRate;
    bool whatIfNoMinimum = false;
    std::optional<bool> whatIfIncludesFees;

    bool GivesTerms() const { return commissionRate || minimum || noMinimum || includesFees; }
    bool AsksWhatIf() const { return whatIfRate || whatIfNoMinimum || whatIfIncludesFees; }
};

// Why a line's fees differ, as far as the numbers tell.
enum class Reason : std::uint8_t {
    None,
    StampOnBuy,          // stamp duty charged on a buy
    MinimumWithoutTerms, // the 5-yuan minimum charged although the terms have none
    PiecesRounded,       // a fen or a few off: an order filled in pieces, each rounded alone
    CommissionAboveRate,
    CommissionBelowRate,
    StampRate,   // stamp duty at another rate than the official one of the date
    TransferFee, // transfer fee other than the official one
    OtherFees,   // other fees than the exchanges' handling and regulatory fees
};
inline constexpr std::size_t kReasons = 9;
std::string_view ReasonText(Reason reason);  // in English words, for yuanmate-calc
std::string_view ReasonLabel(Reason reason); // in Chinese, for the window
std::string_view ReasonKey(Reason reason);   // "stamp_on_buy", ...

// One trade line checked.
struct LineCheck {
    bool checked = false; // false: no official rules for its date (before 2015-08-01)
    ComputedFees computed{};
    // What each charged column should hold (Column::Commission..Other): computed.Charged(),
    // with the transfer fee where the statement shows it.
    std::array<double, kChargedColumns> expected{};
    // Charged minus expected, where the export has the column.
    std::array<std::optional<double>, kChargedColumns> difference{};
    bool differs = false;
    Reason reason = Reason::None;
    double fees = 0; // the line's fees as charged (as computed where the export shows none)
};

struct DifferingLine {
    std::size_t file = 0;
    std::size_t line = 0;
    Date date;
    std::string code;
    Side side = Side::Buy;
    Column fee = Column::Commission; // the fee furthest off
    double charged = 0;
    double expected = 0;
    double difference = 0;     // of that fee
    double lineDifference = 0; // of all the line's fees
    Reason reason = Reason::None;
};

struct FeeTotals {
    std::size_t trades = 0;
    double turnover = 0;
    double commission = 0;
    double stamp = 0;
    double transfer = 0;
    double other = 0;
    double fees = 0;

    // Fees in ten-thousandths (‱) of the turnover; 0 without turnover.
    double PerTenThousand() const { return turnover > 0 ? fees / turnover * 10000 : 0; }
};

struct YearTotals {
    int year = 0;
    FeeTotals totals;
};

struct WhatIfYear {
    int year = 0;
    double fees = 0;       // as charged
    double whatIfFees = 0; // under the other terms
    double saving = 0;     // fees - whatIfFees
};

struct WhatIfReport {
    std::optional<double> rate; // the terms asked, each over the statement's own
    bool noMinimum = false;
    std::optional<bool> includesFees;
    std::vector<WhatIfYear> years;
    WhatIfYear total; // year 0
};

struct PeriodCheck {
    TermsPeriod found;
    BrokerTerms used;          // the terms the lines were checked against
    std::size_t lines = 0;     // trade lines in the period
    std::size_t explained = 0; // lines whose commission the terms used explain
};

struct StatementReport {
    std::vector<std::string> files;
    std::vector<std::string> fileProblems; // "FILE: why", for files not read at all
    std::size_t trades = 0;
    std::map<std::string, std::size_t> skipped; // event word -> lines
    std::vector<UnreadableLine> unreadable;     // the first kMostListed
    std::size_t unreadableCount = 0;
    bool termsGiven = false;
    std::vector<PeriodCheck> terms;
    std::vector<YearTotals> years;
    FeeTotals total;
    std::vector<DifferingLine> differing; // in date order
    double differingSum = 0;
    std::size_t unchecked = 0; // trade lines without official rules
    std::optional<WhatIfReport> whatIf;
};
inline constexpr std::size_t kMostListed = 1000;

// The checks of the trade lines of one statement under terms already found. Add the lines
// in any order; Finish gives the report's checked parts.
class Reviewer {
public:
    Reviewer(const ReviewOptions& options, std::vector<TermsPeriod> periods);
    ~Reviewer();
    LineCheck Add(const TradeLine& line);
    StatementReport Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

using CheckedLineHandler = std::function<void(const TradeLine&, const LineCheck&)>;

// Reviews the statements in `paths` (monthly exports in any order). `onLine`, when given,
// receives every trade line with its check.
StatementReport ReviewStatements(const std::vector<std::string>& paths,
                                 const ReviewOptions& options,
                                 const CheckedLineHandler& onLine = {});

} // namespace ym::statement
