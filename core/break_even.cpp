// The break-even sell price.
//
// The price a user is shown is defined by a step-by-step search: starting from the buy
// price, add 0.01 by floating-point addition and stop at the first trial price whose
// trial profit is not negative. Its answer depends on every rounding of that walk, so we
// must return exactly the price the walk stops at, yet a walk to a high break-even price
// (a large minimum commission on a small trade, say) takes millions of steps. We find the
// same price without walking:
//
// * Within one binade [2^e, 2^(e+1)) with ulp u, adding 0.01 adds the same delta, 0.01
//   rounded to a multiple of u, as long as the sum stays in the binade (there is no
//   rounding tie once u >= 2^-57, i.e. from 2^-5 up), so the k-th trial price is t0 + k*delta,
//   computed exactly. The step that leaves a binade is taken literally.
// * Inside a binade the trial prices fall into at most four runs in which neither the
//   minimum commission nor the Shenzhen settlement cap changes whether it applies; the
//   run boundaries are found by bisection on those two comparisons, which are monotone in
//   the price. Within a run the exact (unrounded) profit g is linear in the price with a
//   slope known from the rates, and the computed profit differs from g by less than a
//   bound E derived from the magnitudes of the terms.
// * From any trial price whose computed profit P is negative, no later price of the run can
//   stop the walk before g has risen by -P - 2E (allowing for E's own growth), which gives a
//   safe jump forward. Jumping lands just ahead of the first price where rounding noise
//   could make the profit non-negative; from there the prices are tried one by one.
//
// A run whose slope is within rounding noise of zero while its profit stays within noise
// of zero (sell-leg rates summing to 1, or to within about 1e-12 of it, with charges that
// bring the loss to about nothing) leaves only single steps, and the walk may need any
// number of them before rounding lets it stop. The search tries at most kScanBudget prices
// (about half a millisecond) and then reports that no price breaks even. No parameter set
// whose sell-leg rates stay clear of 1 comes near that budget.
#include "core/trade.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace ym {

namespace {

constexpr double kStep = 0.01;
constexpr double kEps = 0x1p-53;        // unit roundoff
constexpr double kAbsNoise = 0x1p-1000; // covers every underflow in one profit
constexpr double kTieFree = 0x1p-5;     // from here up, adding 0.01 never ties
constexpr int kFirstSteps = 32;
constexpr std::int64_t kScanBudget = 1 << 16;
constexpr std::int64_t kFallbackSteps = 1000000;

bool Stops(double profit) {
    return !(profit < 0);
}

class BreakEvenSearch {
public:
    BreakEvenSearch(const FeeRules& rules, double buy, double quantity)
        : rules_(rules), buy_(buy), qty_(quantity), buyFees_(LegFees(rules, buy, quantity)) {
        const RateSet& r = rules.rates;
        capApplies_ = rules.market == Market::Shenzhen;
        sumAbsRates_ = std::fabs(r.CommissionRate) + std::fabs(r.StampRate) +
                       std::fabs(r.SettlementRate) + std::fabs(r.HandlingRate) +
                       std::fabs(r.RegulatorRate);
        double transfer = quantity * r.TransferRate;
        if (transfer <= r.MinTransfer) {
            transfer = transfer == 0 ? 0 : r.MinTransfer;
        }
        constAbs_ = std::fabs(r.MinCommission) + std::fabs(transfer) + std::fabs(r.OtherFee) +
                    std::fabs(buyFees_);
        if (capApplies_) {
            constAbs_ += std::fabs(rules.SettlementCap);
        }
        // Growth of the noise bound per unit of price.
        noiseSlope_ = 20 * kEps * qty_ * (1 + sumAbsRates_);
    }

    double Profit(double t) const {
        ++trials_;
        return ((t - buy_) * qty_ - LegFees(rules_, t, qty_)) - buyFees_;
    }

    std::int64_t Trials() const { return trials_; }

    // Whether the fast search's error analysis holds: positive finite inputs and every
    // intermediate far from overflow up to the highest price the walk can reach.
    bool Analysable() const {
        const RateSet& r = rules_.rates;
        const double values[] = {buy_,
                                 qty_,
                                 r.CommissionRate,
                                 r.MinCommission,
                                 r.StampRate,
                                 r.TransferRate,
                                 r.MinTransfer,
                                 r.OtherFee,
                                 r.SettlementRate,
                                 r.HandlingRate,
                                 r.RegulatorRate,
                                 buyFees_,
                                 rules_.SettlementCap};
        for (double v : values) {
            if (!std::isfinite(v)) {
                return false;
            }
        }
        if (!(buy_ > 0) || !(qty_ > 0)) {
            return false;
        }
        const double top = 0x1p49 * qty_ * (2 + sumAbsRates_) + buy_ * qty_ + constAbs_;
        return std::isfinite(top) && top < 1e300;
    }

    // One step of the literal walk: true when the walk ends there, with `end` the price it
    // stopped at, or nullopt when adding 0.01 no longer moves the trial price.
    bool WalkEnds(double& t, std::optional<double>& end) const {
        const double next = t + kStep;
        if (next == t) {
            end = std::nullopt;
            return true;
        }
        t = next;
        if (Stops(Profit(t))) {
            end = t;
            return true;
        }
        return false;
    }

    std::optional<double> Literal(std::int64_t maxSteps) const {
        double t = buy_;
        for (std::int64_t i = 0; i < maxSteps; ++i) {
            if (std::optional<double> end; WalkEnds(t, end)) {
                return end;
            }
        }
        return std::nullopt;
    }

    std::optional<double> Run() {
        double t = buy_;
        // Most trades break even within a few steps, which are cheapest taken one by one.
        // Below 2^-5 the steps may tie, so they are always taken one by one; there are only
        // a few of them.
        for (int i = 0; i < kFirstSteps || t < kTieFree; ++i) {
            if (std::optional<double> end; WalkEnds(t, end)) {
                return end;
            }
        }
        // t is now the last price tried (or the buy price, never tried itself).
        for (;;) {
            const int e = std::ilogb(t);
            const double ulp = std::ldexp(1.0, e - 52);
            const auto units = static_cast<std::uint64_t>(t / ulp);
            const auto deltaUnits = static_cast<std::uint64_t>(std::nearbyint(kStep / ulp));
            if (deltaUnits == 0) {
                return std::nullopt; // adding 0.01 no longer moves the trial price
            }
            const double delta = static_cast<double>(deltaUnits) * ulp;
            const std::uint64_t last = ((std::uint64_t{1} << 53) - 1 - units) / deltaUnits;
            if (last >= 1) {
                Outcome found = SearchBinade(t, delta, static_cast<std::int64_t>(last));
                if (found.status == Status::Found) {
                    return found.price;
                }
                if (found.status == Status::GaveUp) {
                    return std::nullopt;
                }
                t = t + static_cast<double>(last) * delta;
            }
            if (std::optional<double> end; WalkEnds(t, end)) {
                return end;
            }
        }
    }

private:
    enum class Status { Found, NotHere, GaveUp };
    struct Outcome {
        Status status;
        double price;
    };

    double Amount(double t) const { return t * qty_; }
    bool CommissionNonZero(double t) const { return rules_.rates.CommissionRate * Amount(t) != 0; }
    bool CommissionBelowMin(double t) const {
        return rules_.rates.CommissionRate * Amount(t) < rules_.rates.MinCommission;
    }
    bool SettlementCapped(double t) const {
        return capApplies_ && rules_.rates.SettlementRate * Amount(t) >= rules_.SettlementCap;
    }

    // Bound on |computed profit - exact profit| at trial price t.
    double Noise(double t) const {
        return 20 * kEps * ((t - buy_) * qty_ + t * qty_ * sumAbsRates_ + constAbs_) +
               kAbsNoise * (1 + sumAbsRates_);
    }

    // Upper bound of the exact profit's slope (per unit of price) while the minimum
    // commission and the settlement cap apply as given.
    double SlopeUpperBound(bool minCommission, bool capped) const {
        const RateSet& r = rules_.rates;
        std::array<double, 5> terms{r.StampRate, r.HandlingRate, r.RegulatorRate,
                                    minCommission ? 0.0 : r.CommissionRate,
                                    capped ? 0.0 : r.SettlementRate};
        // 1 - sum of the sell-leg rates, as an unevaluated sum hi + lo: sums of rates
        // close to 1 must not lose the sign of the difference.
        double hi = 1, lo = 0;
        for (double x : terms) {
            const double s = hi - x;
            const double bb = s - hi;
            const double err = (hi - (s - bb)) + (-x - bb);
            hi = s;
            lo += err;
        }
        const double sigma = hi + lo;
        const double sigmaErr =
            4 * kEps * std::fabs(sigma) + 64 * kEps * kEps * (1 + sumAbsRates_) + kAbsNoise;
        double slope = qty_ * (sigma + sigmaErr);
        slope += std::fabs(slope) * 4 * kEps + kAbsNoise;
        return slope;
    }

    // First k in (lo, hi] where pred(t0 + k*delta) differs from its value at lo, given that
    // it differs at hi and that pred is monotone in k.
    template <class Pred>
    std::int64_t FirstChange(double t0, double delta, std::int64_t lo, std::int64_t hi,
                             Pred pred) const {
        const bool start = pred(t0 + static_cast<double>(lo) * delta);
        while (hi - lo > 1) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            if (pred(t0 + static_cast<double>(mid) * delta) == start) {
                lo = mid;
            } else {
                hi = mid;
            }
        }
        return hi;
    }

    // The trial prices t0 + k*delta, k = 1..last, all inside t0's binade.
    Outcome SearchBinade(double t0, double delta, std::int64_t last) {
        // Runs start at 1 and wherever one of the three comparisons changes; unused
        // entries lie past the binade.
        std::array<std::int64_t, 4> starts{1, last + 1, last + 1, last + 1};
        std::size_t n = 1;
        auto addChange = [&](auto pred) {
            const bool first = pred(t0 + delta);
            const bool end = pred(t0 + static_cast<double>(last) * delta);
            if (first != end) {
                starts[n++] = FirstChange(t0, delta, 1, last, pred);
            }
        };
        addChange([this](double t) { return CommissionNonZero(t); });
        addChange([this](double t) { return CommissionBelowMin(t); });
        addChange([this](double t) { return SettlementCapped(t); });
        std::sort(starts.begin(), starts.end());
        for (std::size_t i = 0; i < starts.size() && starts[i] <= last; ++i) {
            if (i + 1 < starts.size() && starts[i + 1] == starts[i]) {
                continue;
            }
            const std::int64_t a = starts[i];
            const std::int64_t b = i + 1 < starts.size() ? std::min(starts[i + 1] - 1, last) : last;
            Outcome o = SearchRun(t0, delta, a, b);
            if (o.status != Status::NotHere) {
                return o;
            }
        }
        return {Status::NotHere, 0};
    }

    // Trial prices k = a..b of one run, over which the exact profit is linear.
    Outcome SearchRun(double t0, double delta, std::int64_t a, std::int64_t b) {
        const double ta = t0 + static_cast<double>(a) * delta;
        const bool minCommission = CommissionNonZero(ta) && CommissionBelowMin(ta);
        const double rise =
            (SlopeUpperBound(minCommission, SettlementCapped(ta)) + noiseSlope_) * delta;
        std::int64_t k = a;
        for (;;) {
            if (++evaluations_ > kScanBudget) {
                return {Status::GaveUp, 0};
            }
            const double t = t0 + static_cast<double>(k) * delta;
            const double profit = Profit(t);
            if (Stops(profit)) {
                return {Status::Found, t};
            }
            // Any later price of the run that stops the walk needs g to have risen by
            // this much.
            const double need = -profit - 2 * Noise(t);
            std::int64_t step = 1;
            if (need > 0) {
                if (!(rise > 0)) {
                    return {Status::NotHere, 0};
                }
                const double x = need / rise * (1 - 0x1p-40);
                if (x > static_cast<double>(b - k)) {
                    return {Status::NotHere, 0};
                }
                step = std::max<std::int64_t>(1, static_cast<std::int64_t>(x));
            }
            if (step > b - k) {
                return {Status::NotHere, 0};
            }
            k += step;
        }
    }

    const FeeRules& rules_;
    double buy_;
    double qty_;
    double buyFees_;
    bool capApplies_ = false;
    double sumAbsRates_ = 0;
    double constAbs_ = 0;
    double noiseSlope_ = 0;
    std::int64_t evaluations_ = 0;
    mutable std::int64_t trials_ = 0;
};

} // namespace

std::optional<double> BreakEvenSellPrice(const FeeRules& rules, double buyPrice, double quantity,
                                         std::int64_t* trials) {
    if (buyPrice == 0 || quantity == 0) {
        return 0.0;
    }
    BreakEvenSearch search(rules, buyPrice, quantity);
    // Negative or non-finite inputs, or rates so large that fees overflow: the entry
    // fields cannot produce these; walk a bounded number of steps.
    const std::optional<double> price =
        search.Analysable() ? search.Run() : search.Literal(kFallbackSteps);
    if (trials != nullptr) {
        *trials = search.Trials();
    }
    return price;
}

} // namespace ym
