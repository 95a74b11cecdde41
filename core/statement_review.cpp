#include "core/statement_review.h"

#include "core/number_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

namespace ym::statement {

namespace {

struct ReasonWords {
    std::string_view key;
    std::string_view text;
    std::string_view label;
};
constexpr std::array<ReasonWords, kReasons> kReasonWords{{
    {"", "", ""},
    {"stamp_on_buy", "stamp duty charged on a buy", "买入收了印花税"},
    {"minimum_without_terms", "a minimum commission charged although the terms have none",
     "条款免五却收了最低佣金"},
    {"pieces_rounded", "a fen or a few off: an order filled in pieces, each rounded on its own",
     "差几分：分笔成交各自取整"},
    {"commission_above_rate", "commission above the rate", "佣金高于费率"},
    {"commission_below_rate", "commission below the rate", "佣金低于费率"},
    {"stamp_rate", "stamp duty other than the official rate of the date",
     "印花税与当日官方税率不符"},
    {"transfer_fee", "transfer fee other than the official one of the date",
     "过户费与当日官方标准不符"},
    {"other_fees", "other fees than the exchanges' handling and regulatory fees",
     "其他费用与交易所经手费、证管费不符"},
}};

// A few fen per piece at most: each piece's fee rounded to the fen on its own.
constexpr double kPiecesRounding = 0.05 + 1e-9;
constexpr double kFiveYuan = 5;

std::size_t At(Column column) {
    return static_cast<std::size_t>(column) - kFirstCharged;
}

double FeesFromNet(const TradeLine& t) {
    const double amount = t.TradeAmount();
    const double net = std::fabs(*t.net);
    return t.side == Side::Buy ? net - amount : amount - net;
}

Reason ReasonOf(const TradeLine& t, const LineCheck& c, const BrokerTerms& terms) {
    const auto& charged = t.charged;
    auto differs = [&](Column column) {
        const auto& d = c.difference[At(column)];
        return d && !(std::fabs(*d) <= kFenTolerance);
    };
    bool small = true;
    for (const auto& d : c.difference) {
        small = small && (!d || std::fabs(*d) <= kPiecesRounding);
    }
    if (t.side == Side::Buy && charged[At(Column::Stamp)].value_or(0) >= 0.005 &&
        c.expected[At(Column::Stamp)] < 0.005) {
        return Reason::StampOnBuy;
    }
    if (differs(Column::Commission)) {
        const double commission = *charged[At(Column::Commission)];
        if (terms.minimumWaived && std::fabs(commission - kFiveYuan) < 0.005 &&
            c.expected[At(Column::Commission)] < kFiveYuan - 0.005) {
            return Reason::MinimumWithoutTerms;
        }
        if (small) {
            return Reason::PiecesRounded;
        }
        return *c.difference[At(Column::Commission)] > 0 ? Reason::CommissionAboveRate
                                                         : Reason::CommissionBelowRate;
    }
    if (small) {
        return Reason::PiecesRounded;
    }
    if (differs(Column::Stamp)) {
        return Reason::StampRate;
    }
    if (differs(Column::Transfer)) {
        return Reason::TransferFee;
    }
    return Reason::OtherFees;
}

void AddTo(FeeTotals& totals, const TradeLine& t, const LineCheck& c) {
    ++totals.trades;
    totals.turnover += t.TradeAmount();
    totals.commission += t.charged[At(Column::Commission)].value_or(0);
    totals.stamp += t.charged[At(Column::Stamp)].value_or(0);
    totals.transfer += t.charged[At(Column::Transfer)].value_or(0);
    totals.other += t.charged[At(Column::Other)].value_or(0);
    totals.fees += c.fees;
}

} // namespace

std::string_view ReasonText(Reason reason) {
    return kReasonWords[static_cast<std::size_t>(reason)].text;
}

std::string_view ReasonLabel(Reason reason) {
    return kReasonWords[static_cast<std::size_t>(reason)].label;
}

std::string_view ReasonKey(Reason reason) {
    return kReasonWords[static_cast<std::size_t>(reason)].key;
}

struct Reviewer::State {
    ReviewOptions options;
    std::vector<PeriodCheck> periods; // at least one
    std::vector<TermsPeriod> found;
    std::unordered_map<long long, std::optional<FeeRules>> rules;
    std::map<int, FeeTotals> years;
    std::map<int, WhatIfYear> whatIf;
    std::vector<DifferingLine> differing;
    std::size_t unchecked = 0;

    BrokerTerms Given(BrokerTerms terms) const {
        const ReviewOptions& o = options;
        if (o.commissionRate) {
            terms.commissionRate = *o.commissionRate;
        }
        if (o.minimum) {
            terms.minimumYuan = *o.minimum;
            terms.minimumWaived = false;
        }
        if (o.noMinimum) {
            terms.minimumWaived = true;
        }
        if (o.includesFees) {
            terms.includesExchangeFees = *o.includesFees;
        }
        return terms;
    }

    BrokerTerms WhatIf(BrokerTerms terms) const {
        if (options.whatIfRate) {
            terms.commissionRate = *options.whatIfRate;
        }
        if (options.whatIfNoMinimum) {
            terms.minimumWaived = true;
        }
        if (options.whatIfIncludesFees) {
            terms.includesExchangeFees = *options.whatIfIncludesFees;
        }
        return terms;
    }

    // The fee rules of a line under a period's terms (or the what-if terms), built once.
    const std::optional<FeeRules>& RulesFor(const TradeLine& t, std::size_t period, bool whatIf) {
        const long long date = t.date.year * 10000LL + t.date.month * 100 + t.date.day;
        const long long key =
            (((static_cast<long long>(period) * 2 + whatIf) * 100000000LL + date) * 4 +
             NumberOf(t.market)) *
                8 +
            NumberOf(t.type);
        auto found = rules.find(key);
        if (found == rules.end()) {
            const BrokerTerms& used = periods[period].used;
            FeeModelSettings model{whatIf ? FeeModel::Official : options.model,
                                   whatIf ? WhatIf(used) : used};
            found =
                rules.emplace(key, FeeRulesFor(options.parameters, model, t.market, t.type, t.date))
                    .first;
        }
        return found->second;
    }
};

Reviewer::Reviewer(const ReviewOptions& options, std::vector<TermsPeriod> periods)
    : state_(std::make_unique<State>()) {
    state_->options = options;
    if (periods.empty()) {
        periods.emplace_back(); // the usual terms, for want of any found
    }
    for (TermsPeriod& p : periods) {
        const BrokerTerms used = state_->Given(p.terms);
        state_->periods.push_back({std::move(p), used, 0, 0});
    }
}

Reviewer::~Reviewer() = default;

LineCheck Reviewer::Add(const TradeLine& t) {
    State& s = *state_;
    std::size_t period = 0;
    for (std::size_t i = 0; i < s.periods.size(); ++i) {
        if (s.periods[i].found.from <= t.date) {
            period = i;
        }
    }
    PeriodCheck& p = s.periods[period];
    ++p.lines;
    LineCheck c;
    const double price = t.TradeAmount() / t.quantity;
    if (const std::optional<FeeRules>& rules = s.RulesFor(t, period, false)) {
        c.checked = true;
        c.computed = ComputeFees(ChargeLeg(*rules, t.side, price, t.quantity));
        c.expected = c.computed.Charged();
        // A statement without a transfer column shows the fee among the other fees where the
        // terms found it there, or where the line's other fees say so.
        const auto& other = t.charged[At(Column::Other)];
        double& expectedOther = c.expected[At(Column::Other)];
        const double withTransfer = RoundToCents(expectedOther + c.expected[At(Column::Transfer)]);
        if (!t.charged[At(Column::Transfer)] &&
            (p.found.transfer == TransferShown::InOther ||
             (other && std::fabs(*other - withTransfer) < std::fabs(*other - expectedOther)))) {
            expectedOther = withTransfer;
        }
        for (std::size_t i = 0; i < kChargedColumns; ++i) {
            if (t.charged[i]) {
                c.difference[i] = *t.charged[i] - c.expected[i];
                c.differs = c.differs || !(std::fabs(*c.difference[i]) <= kFenTolerance);
            }
        }
        const auto& commission = c.difference[At(Column::Commission)];
        if (commission && std::fabs(*commission) <= kFenTolerance) {
            ++p.explained;
        }
        if (c.differs) {
            c.reason = ReasonOf(t, c, p.used);
        }
    } else {
        ++s.unchecked;
    }
    bool anyCharged = false;
    for (const auto& fee : t.charged) {
        c.fees += fee.value_or(0);
        anyCharged = anyCharged || fee.has_value();
    }
    if (!anyCharged) {
        c.fees = t.net ? FeesFromNet(t) : c.computed.fees;
    }
    AddTo(s.years[t.date.year], t, c);

    if (c.differs) {
        DifferingLine d{t.file, t.line, t.date, t.code, t.side};
        double furthest = -1;
        for (std::size_t i = 0; i < kChargedColumns; ++i) {
            if (!c.difference[i]) {
                continue;
            }
            d.lineDifference += *c.difference[i];
            if (std::fabs(*c.difference[i]) > furthest) {
                furthest = std::fabs(*c.difference[i]);
                d.fee = static_cast<Column>(kFirstCharged + i);
                d.charged = *t.charged[i];
                d.expected = c.expected[i];
                d.difference = *c.difference[i];
            }
        }
        d.reason = c.reason;
        s.differing.push_back(std::move(d));
    }
    if (s.options.AsksWhatIf()) {
        WhatIfYear& y = s.whatIf[t.date.year];
        y.fees += c.fees;
        if (const std::optional<FeeRules>& rules = s.RulesFor(t, period, true)) {
            y.whatIfFees += ComputeFees(ChargeLeg(*rules, t.side, price, t.quantity)).fees;
        } else {
            y.whatIfFees += c.fees; // no rules to price it otherwise
        }
    }
    return c;
}

StatementReport Reviewer::Finish() {
    State& s = *state_;
    StatementReport r;
    r.termsGiven = s.options.GivesTerms();
    r.terms = s.periods;
    for (const auto& [year, totals] : s.years) {
        r.years.push_back({year, totals});
        r.trades += totals.trades;
        r.total.trades += totals.trades;
        r.total.turnover += totals.turnover;
        r.total.commission += totals.commission;
        r.total.stamp += totals.stamp;
        r.total.transfer += totals.transfer;
        r.total.other += totals.other;
        r.total.fees += totals.fees;
    }
    std::stable_sort(s.differing.begin(), s.differing.end(),
                     [](const DifferingLine& a, const DifferingLine& b) {
                         return std::tie(a.date, a.file, a.line) < std::tie(b.date, b.file, b.line);
                     });
    for (const DifferingLine& d : s.differing) {
        r.differingSum += d.lineDifference;
    }
    r.differing = std::move(s.differing);
    r.unchecked = s.unchecked;
    if (s.options.AsksWhatIf()) {
        WhatIfReport w;
        w.rate = s.options.whatIfRate;
        w.noMinimum = s.options.whatIfNoMinimum;
        w.includesFees = s.options.whatIfIncludesFees;
        for (auto [year, y] : s.whatIf) {
            y.year = year;
            y.saving = y.fees - y.whatIfFees;
            w.years.push_back(y);
            w.total.fees += y.fees;
            w.total.whatIfFees += y.whatIfFees;
        }
        w.total.saving = w.total.fees - w.total.whatIfFees;
        r.whatIf = std::move(w);
    }
    return r;
}

StatementReport ReviewStatements(const std::vector<std::string>& paths,
                                 const ReviewOptions& options, const CheckedLineHandler& onLine) {
    TermsFinder finder;
    std::map<std::string, std::size_t> skipped;
    std::vector<UnreadableLine> unreadable;
    std::size_t unreadableCount = 0;
    std::vector<std::string> problems;
    std::vector<bool> readable(paths.size(), true);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto problem = ScanExportFile(paths[i], i, [&](const ExportLine& line) {
            if (const auto* t = std::get_if<TradeLine>(&line)) {
                finder.Add(*t);
            } else if (const auto* e = std::get_if<EventLine>(&line)) {
                ++skipped[e->word];
            } else if (++unreadableCount <= kMostListed) {
                unreadable.push_back(std::get<UnreadableLine>(line));
            }
        });
        if (problem) {
            problems.push_back(paths[i] + ": " + *problem);
            readable[i] = false;
        }
    }
    Reviewer reviewer(options, finder.Find());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!readable[i]) {
            continue;
        }
        ScanExportFile(paths[i], i, [&](const ExportLine& line) {
            if (const auto* t = std::get_if<TradeLine>(&line)) {
                const LineCheck check = reviewer.Add(*t);
                if (onLine) {
                    onLine(*t, check);
                }
            }
        });
    }
    StatementReport report = reviewer.Finish();
    report.files = paths;
    report.fileProblems = std::move(problems);
    report.skipped = std::move(skipped);
    report.unreadable = std::move(unreadable);
    report.unreadableCount = unreadableCount;
    return report;
}

} // namespace ym::statement
