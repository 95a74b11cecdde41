#include "core/statement_terms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ym::statement {

namespace {

// Rates are tallied in steps of 万0.001, finer than any broker quotes.
constexpr double kRateStep = 1e-7;
constexpr std::int32_t kMostRateSteps = static_cast<std::int32_t>(kCommissionCap / kRateStep);
// A line whose commission fits more rates than this tells too little to vote.
constexpr std::int32_t kMostVotesPerLine = 50;
// Two fees are the same when they are at most this far apart (each may be rounded).
constexpr double kNear = 0.015;
// A fee smaller than this tells nothing about where it is shown.
constexpr double kTelling = 0.02;
constexpr double kFiveYuan = 5;
// A run of days resting on fewer lines than this is noise, not a change of terms.
constexpr std::size_t kFewestLinesForChange = 3;

bool Near(double a, double b) {
    return std::fabs(a - b) <= kNear;
}

// Trailing zeros of a rate in steps: the rounder a rate, the likelier a broker quoted it.
int Roundness(std::int32_t steps) {
    int zeros = 0;
    while (steps != 0 && steps % 10 == 0 && zeros < 6) {
        steps /= 10;
        ++zeros;
    }
    return zeros;
}

// The rate with the most votes; of equals the roundest, then the smallest.
std::optional<std::int32_t> BestRate(const std::map<std::int32_t, std::uint32_t>& votes) {
    std::optional<std::int32_t> best;
    std::uint32_t most = 0;
    for (const auto& [steps, count] : votes) {
        if (!best || count > most || (count == most && Roundness(steps) > Roundness(*best))) {
            best = steps;
            most = count;
        }
    }
    return best;
}

std::uint32_t VotesFor(const TermsFinder::Day& day, std::int32_t steps) {
    const auto found = day.rateVotes.find(steps);
    return found == day.rateVotes.end() ? 0 : found->second;
}

enum class MinimumSeen { Unknown, Five, None };

// Commissions of exactly 5 yuan on amounts the rate would charge less: the minimum at work.
std::uint32_t FiveYuanMinimums(const TermsFinder::Day& day, double rate) {
    std::uint32_t count = 0;
    for (const auto& [hundreds, n] : day.fiveYuanAmounts) {
        if ((hundreds + 1) * 100.0 * rate < kFiveYuan - 0.005) {
            count += n;
        }
    }
    return count;
}

MinimumSeen MinimumOf(const TermsFinder::Day& day, double rate, std::size_t& lines) {
    const std::uint32_t five = FiveYuanMinimums(day, rate);
    if (day.belowFive > 0 && day.belowFive >= five) {
        lines = day.belowFive;
        return MinimumSeen::None;
    }
    lines = five;
    return five > 0 ? MinimumSeen::Five : MinimumSeen::Unknown;
}

// The lines that tell a rate or the want of a minimum.
std::size_t LinesOf(const TermsFinder::Day& day) {
    std::size_t lines = 0;
    if (const auto best = BestRate(day.rateVotes)) {
        lines = VotesFor(day, *best);
    }
    return lines + day.belowFive;
}

struct Run {
    Date from;
    Date to;
    TermsFinder::Day sum;
};

// Whether a day's lines and a run's are explained by the same terms: the rate that explains
// most lines of both explains at least half of each, and the minimum seen is the same.
bool Agrees(const Run& run, const TermsFinder::Day& day) {
    TermsFinder::Day both = run.sum;
    both.Merge(day);
    const auto rate = BestRate(both.rateVotes);
    if (!rate) {
        return true;
    }
    for (const TermsFinder::Day* part : {&run.sum, &day}) {
        if (const auto own = BestRate(part->rateVotes);
            own && 2 * VotesFor(*part, *rate) < VotesFor(*part, *own)) {
            return false;
        }
    }
    std::size_t runLines = 0;
    std::size_t dayLines = 0;
    const MinimumSeen runMinimum = MinimumOf(run.sum, *rate * kRateStep, runLines);
    const MinimumSeen dayMinimum = MinimumOf(day, *rate * kRateStep, dayLines);
    return runMinimum == MinimumSeen::Unknown || dayMinimum == MinimumSeen::Unknown ||
           runMinimum == dayMinimum;
}

TermsPeriod PeriodOf(const Run& run) {
    TermsPeriod p;
    p.from = run.from;
    p.to = run.to;
    const TermsFinder::Day& d = run.sum;
    if (const auto best = BestRate(d.rateVotes)) {
        p.terms.commissionRate = *best * kRateStep;
        p.rateLines = VotesFor(d, *best);
    }
    const MinimumSeen minimum = MinimumOf(d, p.terms.commissionRate, p.minimumLines);
    p.minimumSeen = minimum != MinimumSeen::Unknown;
    p.terms.minimumWaived = minimum == MinimumSeen::None;
    if (d.feesApart != d.feesIncluded) {
        p.includesFees = d.feesIncluded > d.feesApart;
        p.terms.includesExchangeFees = *p.includesFees;
        p.includesLines = std::max(d.feesApart, d.feesIncluded);
    }
    const std::array<std::pair<TransferShown, std::uint32_t>, 3> shown{{
        {TransferShown::Itemised, d.transferItemised},
        {TransferShown::InOther, d.transferInOther},
        {TransferShown::InCommission, d.transferMissing},
    }};
    const auto most =
        std::max_element(shown.begin(), shown.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    if (most->second > 0) {
        p.transfer = most->first;
        p.transferLines = most->second;
    }
    return p;
}

} // namespace

void TermsFinder::Day::Merge(const Day& other) {
    for (const auto& [steps, count] : other.rateVotes) {
        rateVotes[steps] += count;
    }
    for (const auto& [hundreds, count] : other.fiveYuanAmounts) {
        fiveYuanAmounts[hundreds] += count;
    }
    belowFive += other.belowFive;
    feesApart += other.feesApart;
    feesIncluded += other.feesIncluded;
    transferItemised += other.transferItemised;
    transferInOther += other.transferInOther;
    transferMissing += other.transferMissing;
}

std::string QuoteRate(double rate) {
    // Ten-thousandths to three decimals, trailing zeros dropped.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", rate * 10000);
    std::string text = buffer;
    while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.')) {
        text.pop_back();
    }
    return "万" + text;
}

void TermsFinder::Add(const TradeLine& t) {
    const auto& commission =
        t.charged[static_cast<std::size_t>(Column::Commission) - kFirstCharged];
    const double amount = t.TradeAmount();
    if (!(amount > 0)) {
        return;
    }
    Day& day = days_[t.date];
    if (commission && *commission > 0) {
        const double c = *commission;
        const auto low = static_cast<std::int32_t>(std::ceil((c - 0.005) / amount / kRateStep));
        const auto high = static_cast<std::int32_t>(std::floor((c + 0.005) / amount / kRateStep));
        // A commission of exactly the minimum says nothing of the rate.
        const bool minimum = std::fabs(c - kFiveYuan) < 0.005;
        if (!minimum && high >= low && high - low <= kMostVotesPerLine) {
            for (std::int32_t k = std::max(low, 1); k <= std::min(high, kMostRateSteps); ++k) {
                ++day.rateVotes[k];
            }
        }
        if (t.type != SecurityType::BShare) {
            if (c < kFiveYuan - 0.005) {
                ++day.belowFive;
            } else if (c < kFiveYuan + 0.005) {
                ++day.fiveYuanAmounts[static_cast<std::int32_t>(amount / 100)];
            }
        }
    }
    if (t.date < kFirstRuleDate || t.type == SecurityType::BShare) {
        return;
    }
    // What the exchanges charge on the line, to tell where the statement shows it.
    auto rules = rules_.find({t.date, t.market, t.type});
    if (rules == rules_.end()) {
        BrokerTerms apart;
        apart.includesExchangeFees = false;
        rules = rules_
                    .emplace(std::tuple{t.date, t.market, t.type},
                             *OfficialFeeRules(t.date, t.market, t.type, apart))
                    .first;
    }
    const ComputedFees fees =
        ComputeFees(ChargeLeg(rules->second, t.side, amount / t.quantity, t.quantity));
    const double exchange = fees.handling + fees.regulatory;
    const auto& transfer = t.charged[static_cast<std::size_t>(Column::Transfer) - kFirstCharged];
    const auto& other = t.charged[static_cast<std::size_t>(Column::Other) - kFirstCharged];
    if (transfer && fees.transfer >= kTelling) {
        if (Near(*transfer, fees.transfer)) {
            ++day.transferItemised;
        } else if (*transfer < 0.005) {
            ++day.transferMissing;
        }
    }
    if (!other) {
        if (!transfer && fees.transfer >= kTelling) {
            ++day.transferMissing;
        }
        return;
    }
    if (exchange < kTelling) {
        return;
    }
    if (transfer || fees.transfer < kTelling) {
        if (Near(*other, exchange)) {
            ++day.feesApart;
        } else if (*other < 0.005) {
            ++day.feesIncluded;
        }
    } else if (Near(*other, exchange + fees.transfer)) {
        ++day.feesApart;
        ++day.transferInOther;
    } else if (Near(*other, fees.transfer)) {
        ++day.feesIncluded;
        ++day.transferInOther;
    } else if (Near(*other, exchange)) {
        ++day.feesApart;
        ++day.transferMissing;
    }
}

std::vector<TermsPeriod> TermsFinder::Find() const {
    std::vector<Run> runs;
    for (const auto& [date, day] : days_) {
        if (runs.empty() || !Agrees(runs.back(), day)) {
            runs.push_back({date, date, day});
        } else {
            runs.back().to = date;
            runs.back().sum.Merge(day);
        }
    }
    // A run resting on a few lines is an odd line or two, not a change of terms: it joins
    // the run before it (the first run, the one after it).
    std::vector<Run> kept;
    for (Run& run : runs) {
        if (!kept.empty() && LinesOf(run.sum) < kFewestLinesForChange) {
            kept.back().to = run.to;
            kept.back().sum.Merge(run.sum);
        } else if (kept.size() == 1 && LinesOf(kept.back().sum) < kFewestLinesForChange) {
            run.from = kept.back().from;
            run.sum.Merge(kept.back().sum);
            kept.back() = std::move(run);
        } else if (!kept.empty() && Agrees(kept.back(), run.sum)) {
            kept.back().to = run.to;
            kept.back().sum.Merge(run.sum);
        } else {
            kept.push_back(std::move(run));
        }
    }
    std::vector<TermsPeriod> periods;
    for (const Run& run : kept) {
        if (!run.sum.rateVotes.empty() || run.sum.belowFive > 0 || !periods.empty()) {
            periods.push_back(PeriodOf(run));
        }
    }
    return periods;
}

const TermsPeriod* PeriodOn(const std::vector<TermsPeriod>& periods, const Date& date) {
    const TermsPeriod* found = periods.empty() ? nullptr : &periods.front();
    for (const TermsPeriod& p : periods) {
        if (p.from <= date) {
            found = &p;
        }
    }
    return found;
}

} // namespace ym::statement
