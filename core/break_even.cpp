// The break-even sell price.
//
// The price a user is shown is defined by a step-by-step search: starting from the buy
// price, add 0.01 by floating-point addition and stop at the first trial price whose
// trial profit ((t - buy) x quantity - sell fees) - buy fees is not negative. Its answer
// depends on every rounding of that walk, so we must return exactly the price the walk
// stops at, yet a walk to a high break-even price (a large minimum commission on a small
// trade, say) takes millions of steps. We find the same price without walking:
//
// * Within one binade [2^e, 2^(e+1)) with ulp u, adding 0.01 adds the same delta, 0.01
//   rounded to a multiple of u, as long as the sum stays in the binade (there is no
//   rounding tie once u >= 2^-57, i.e. from 2^-5 up), so the k-th trial price is t0 + k*delta,
//   computed exactly. The step that leaves a binade is taken literally.
// * Inside a binade the trial prices fall into runs in which no charge of the sell leg
//   changes whether its minimum or its cap applies (or whether it is 0); the run boundaries
//   are found by bisection on those comparisons, which are monotone in the price. Within a
//   run the exact (unrounded) profit g is linear in the price with a slope known from the
//   rates of the charges charged by rate, and the computed profit differs from g by less
//   than a bound E derived from the magnitudes of the terms actually present in the run
//   (a cap no trade reaches plays no part), plus half a fen per charge where the schedule
//   rounds each fee to the fen.
// * From any trial price whose computed profit P is negative, no later price of the run can
//   stop the walk before g has risen by -P - 2E (allowing for E's own growth), which gives a
//   safe jump forward. Jumping lands just ahead of the first price where rounding noise
//   could make the profit non-negative; from there the prices are tried one by one.
// * Where the profit stays within its noise of zero for long (sell-leg rates summing to 1,
//   or to within rounding of it), trying prices one by one could take any number of steps.
//   There the rounding itself is periodic when the rates are short binary fractions: if
//   p x (the exact increase per step of every rounded intermediate) is a multiple of twice
//   that intermediate's ulp, and every intermediate stays in its binade, each intermediate
//   at step k + p is its value at step k plus exactly p times its increase. So p trial
//   prices decide a whole stretch of the run: with a profit that cannot grow, nothing in the
//   stretch stops the walk; with one that grows, each residue class stops where its own
//   exactly linear sequence reaches the buy fees.
// * What remains, a profit within noise of zero whose rounding has no short period, is tried
//   price by price up to kScanBudget prices; past that the search reports that no price
//   breaks even. Only parameter sets whose sell-leg rates add up to 1 within about 1e-12
//   come near that budget.
#include "core/fee_schedule_trace.h"
#include "core/portable.h"
#include "core/trade.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <variant>
#include <vector>

namespace ym {

namespace {

constexpr double kStep = 0.01;
constexpr double kEps = 0x1p-53;         // unit roundoff
constexpr double kAbsNoise = 0x1p-1000;  // covers every underflow in one profit
constexpr double kTieFree = 0x1p-5;      // from here up, adding 0.01 never ties
constexpr double kHighestPrice = 0x1p49; // adding 0.01 stops moving the price below this
constexpr double kHalfFen = 0.0051;      // the statement rounding of one fee, and a margin
constexpr int kFirstSteps = 32;
constexpr std::int64_t kScanBudget = 1 << 16;
constexpr std::int64_t kFallbackSteps = 1000000;
constexpr int kMostPeriodBits = 14;
constexpr std::size_t kSlots = kChargeSlots;

bool Stops(double profit) {
    return !(profit < 0);
}

// Exponents straight from the bits: the search asks for them in its inner loops, where
// the library calls cost more than the arithmetic they serve.
constexpr int kMinExponent = -1022;

// The binade of a finite non-zero double: v in [2^e, 2^(e+1)).
int Binade(double v) {
    const auto bits = portable::BitCast<std::uint64_t>(v);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0) {
        return std::ilogb(v); // subnormal
    }
    return biased - 1023;
}

// 2^e for e from -1074 to 1023.
double PowerOfTwo(int e) {
    if (e < kMinExponent) {
        return std::ldexp(1.0, e);
    }
    return portable::BitCast<double>(static_cast<std::uint64_t>(e + 1023) << 52);
}

// The exponent of the lowest set bit of a finite non-zero double.
int LowestSetBit(double x) {
    const auto bits = portable::BitCast<std::uint64_t>(x);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0) {
        return -1074 + std::countr_zero(fraction);
    }
    const std::uint64_t mantissa = fraction | (std::uint64_t{1} << 52);
    return biased - 1075 + std::countr_zero(mantissa);
}

// An exact sum of doubles as a nonoverlapping expansion (components of increasing
// magnitude whose bits do not overlap): its sign is its largest component's and its lowest
// set bit its smallest component's.
class ExactSum {
public:
    void Add(double x) {
        std::array<double, kCapacity> out{};
        std::size_t m = 0;
        double q = x;
        for (std::size_t i = 0; i < n_; ++i) {
            const double s = q + parts_[i];
            const double bb = s - q;
            const double err = (q - (s - bb)) + (parts_[i] - bb);
            q = s;
            if (err != 0) {
                out[m++] = err;
            }
        }
        if (q != 0) {
            out[m++] = q;
        }
        parts_ = out;
        n_ = m;
    }
    bool IsZero() const { return n_ == 0; }
    bool Positive() const { return n_ > 0 && parts_[n_ - 1] > 0; }
    int LowestBit() const { return LowestSetBit(parts_[0]); }
    double Approx() const {
        double s = 0;
        for (std::size_t i = 0; i < n_; ++i) {
            s += parts_[i];
        }
        return s;
    }

private:
    static constexpr std::size_t kCapacity = 10;
    std::array<double, kCapacity> parts_{};
    std::size_t n_ = 0;
};

// The rounded intermediates of one trial profit, in the order they are computed: the
// amount, each charge's raw fee, the running total after each term, then t - buy,
// (t - buy) x quantity and that less the sell fees.
enum Op : std::size_t {
    kOpAmount = 0,
    kOpRaw = 1,                   // + slot
    kOpSum = kOpRaw + kSlots - 1, // + term (1..6)
    kOpDiff = kOpSum + kSlots + 1,
    kOpGross,
    kOpNet,
    kOps
};

struct Snapshot {
    std::array<double, kOps> value{};
    double profit = 0;
};

class BreakEvenSearch {
public:
    BreakEvenSearch(const FeeRules& rules, double buy, double quantity)
        : rules_(rules), buy_(buy), qty_(quantity),
          buyFees_(LegFees(rules, Side::Buy, buy, quantity)) {
        rel_ = rules.toFen ? 1e-12 : 20 * kEps;
        const double highestAmount = kHighestPrice * std::fabs(quantity);
        for (std::size_t i = 0; i < kSlots; ++i) {
            const Charge& c = rules.charges[i];
            if (!c.onSell) {
                continue;
            }
            ++sellCharges_;
            if (c.perShare) {
                continue;
            }
            sumAbsRates_ += std::fabs(c.rate);
            // A cap above any fee the walk can reach never applies.
            capInPlay_[i] =
                c.HasCap() && !(c.cap > std::fabs(c.rate) * highestAmount * (1 + 0x1p-40));
        }
        noiseSlope_ = rel_ * qty_ * (1 + sumAbsRates_);
    }

    double Profit(double t) const {
        ++trials_;
        return ((t - buy_) * qty_ - LegFees(rules_, Side::Sell, t, qty_)) - buyFees_;
    }

    // The same profit, with every rounded intermediate recorded.
    Snapshot Trace(double t) const {
        ++trials_;
        Snapshot s;
        const LegCharges sell = detail::ChargeLegTraced(
            rules_, Side::Sell, t, qty_, [&s](detail::LegStep step, std::size_t index, double v) {
                switch (step) {
                case detail::LegStep::Amount:
                    s.value[kOpAmount] = v;
                    break;
                case detail::LegStep::Raw:
                    s.value[kOpRaw + index] = v;
                    break;
                case detail::LegStep::Sum:
                    s.value[kOpSum + index] = v;
                    break;
                }
            });
        s.value[kOpDiff] = t - buy_;
        s.value[kOpGross] = s.value[kOpDiff] * qty_;
        s.value[kOpNet] = s.value[kOpGross] - sell.total;
        s.profit = s.value[kOpNet] - buyFees_;
        return s;
    }

    std::int64_t Trials() const { return trials_; }

    // Whether the fast search's error analysis holds: positive finite inputs and every
    // intermediate far from overflow up to the highest price the walk can reach.
    bool Analysable() const {
        if (!(buy_ > 0) || !(qty_ > 0) || !std::isfinite(buy_) || !std::isfinite(qty_) ||
            !std::isfinite(buyFees_) || !std::isfinite(rules_.other)) {
            return false;
        }
        double constants = std::fabs(rules_.other) + std::fabs(buyFees_);
        for (std::size_t i = 0; i < kSlots; ++i) {
            const Charge& c = rules_.charges[i];
            if (!c.onSell) {
                continue;
            }
            if (!std::isfinite(c.rate) || !std::isfinite(c.minimum) ||
                (c.HasCap() && !std::isfinite(c.cap))) {
                return false;
            }
            constants += std::fabs(c.minimum) + (capInPlay_[i] ? std::fabs(c.cap) : 0);
            if (c.perShare) {
                constants += std::fabs(c.rate * qty_);
            }
        }
        const double top = kHighestPrice * qty_ * (2 + sumAbsRates_) + buy_ * qty_ + constants;
        return std::isfinite(top) && top < 1e304;
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
                Outcome found = SearchBinade({t, delta}, static_cast<std::int64_t>(last));
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

    // The trial prices t0 + k*delta of one binade.
    struct Grid {
        double t0;
        double delta;
        double At(std::int64_t k) const { return t0 + static_cast<double>(k) * delta; }
    };

    // What the sell leg charges throughout one run: which charges follow their rate, and
    // the fee of every other one.
    struct RunShape {
        std::array<bool, kSlots> byRate{};
        std::array<double, kSlots> fixedFee{};
        double sumAbsRates = 0; // of the charges that follow their rate
        double constAbs = 0;    // the other terms of the profit, by magnitude
        double rise = 0;        // bound on the exact profit's rise per step, noise included
    };

    double Raw(const Charge& c, double t) const { return c.rate * (t * qty_); }

    RunShape ShapeAt(double t, double delta) const {
        RunShape run;
        run.constAbs = std::fabs(rules_.other) + std::fabs(buyFees_);
        for (std::size_t i = 0; i < kSlots; ++i) {
            const Charge& c = rules_.charges[i];
            if (!c.onSell) {
                continue;
            }
            if (c.perShare) {
                double fee = detail::ApplyMinimum(c, qty_ * c.rate);
                if (fee >= c.cap) {
                    fee = c.cap;
                }
                run.fixedFee[i] = fee;
            } else {
                const double raw = Raw(c, t);
                const bool minimum = c.minimumRule != MinimumRule::None;
                if (minimum && raw == 0) {
                    run.fixedFee[i] = 0;
                } else if (minimum && detail::BelowMinimum(c, raw)) {
                    run.fixedFee[i] = c.minimum;
                } else if (capInPlay_[i] && raw >= c.cap) {
                    run.fixedFee[i] = c.cap;
                } else {
                    run.byRate[i] = true;
                    run.sumAbsRates += std::fabs(c.rate);
                    continue;
                }
            }
            run.constAbs += std::fabs(run.fixedFee[i]);
        }
        run.rise = (SlopeUpperBound(run) + noiseSlope_) * delta;
        return run;
    }

    // Bound on |computed profit - exact profit| at trial price t.
    double Noise(const RunShape& run, double t) const {
        return rel_ * ((t - buy_) * qty_ + t * qty_ * run.sumAbsRates + run.constAbs) +
               kAbsNoise * (1 + sumAbsRates_) +
               (rules_.toFen ? kHalfFen * static_cast<double>(sellCharges_) : 0);
    }

    // Upper bound of the exact profit's slope (per unit of price) in a run.
    double SlopeUpperBound(const RunShape& run) const {
        // 1 - sum of the rates followed, as an unevaluated sum hi + lo: sums of rates close
        // to 1 must not lose the sign of the difference.
        double hi = 1, lo = 0;
        for (std::size_t i = 0; i < kSlots; ++i) {
            if (!run.byRate[i]) {
                continue;
            }
            const double x = rules_.charges[i].rate;
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

    // First k in (lo, hi] where pred(grid.At(k)) differs from its value at lo, given that
    // it differs at hi and that pred is monotone in k.
    template <class Pred>
    std::int64_t FirstChange(const Grid& grid, std::int64_t lo, std::int64_t hi, Pred pred) const {
        const bool start = pred(grid.At(lo));
        while (hi - lo > 1) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            if (pred(grid.At(mid)) == start) {
                lo = mid;
            } else {
                hi = mid;
            }
        }
        return hi;
    }

    // The trial prices grid.At(k), k = 1..last, all inside one binade.
    Outcome SearchBinade(const Grid& grid, std::int64_t last) {
        // Runs start at 1 and wherever one of the comparisons changes; unused entries lie
        // past the binade.
        std::array<std::int64_t, 1 + 3 * kSlots> starts{};
        starts.fill(last + 1);
        starts[0] = 1;
        std::size_t n = 1;
        auto addChange = [&](auto pred) {
            if (pred(grid.At(1)) != pred(grid.At(last))) {
                starts[n++] = FirstChange(grid, 1, last, pred);
            }
        };
        for (std::size_t i = 0; i < kSlots; ++i) {
            const Charge& c = rules_.charges[i];
            if (!c.onSell || c.perShare) {
                continue;
            }
            if (c.minimumRule != MinimumRule::None) {
                addChange([&](double t) { return Raw(c, t) == 0; });
                addChange([&](double t) { return detail::BelowMinimum(c, Raw(c, t)); });
            }
            if (capInPlay_[i]) {
                addChange([&](double t) { return Raw(c, t) >= c.cap; });
            }
        }
        std::sort(starts.begin(), starts.end());
        for (std::size_t i = 0; i < starts.size() && starts[i] <= last; ++i) {
            if (i + 1 < starts.size() && starts[i + 1] == starts[i]) {
                continue;
            }
            const std::int64_t a = starts[i];
            const std::int64_t b = i + 1 < starts.size() ? std::min(starts[i + 1] - 1, last) : last;
            Outcome o = SearchRun(grid, a, b);
            if (o.status != Status::NotHere) {
                return o;
            }
        }
        return {Status::NotHere, 0};
    }

    // Trial prices k = a..b of one run, over which the exact profit is linear.
    Outcome SearchRun(const Grid& grid, std::int64_t a, std::int64_t b) {
        const RunShape run = ShapeAt(grid.At(a), grid.delta);
        std::int64_t k = a;
        std::int64_t nextPeriodicTry = a;
        std::int64_t periodicBackoff = 16;
        IncreaseCache increases;
        for (;;) {
            if (trials_ > kScanBudget) {
                return {Status::GaveUp, 0};
            }
            const double t = grid.At(k);
            const double profit = Profit(t);
            if (Stops(profit)) {
                return {Status::Found, t};
            }
            // Any later price of the run that stops the walk needs g to have risen by
            // this much.
            const double need = -profit - 2 * Noise(run, t);
            std::int64_t step = 1;
            if (need > 0) {
                if (!(run.rise > 0)) {
                    return {Status::NotHere, 0};
                }
                const double x = need / run.rise * (1 - 0x1p-40);
                if (x > static_cast<double>(b - k)) {
                    return {Status::NotHere, 0};
                }
                step = std::max<std::int64_t>(1, static_cast<std::int64_t>(x));
            } else if (!rules_.toFen && k >= nextPeriodicTry) {
                // Within noise of zero: let the rounding's period decide a stretch at once.
                const Periodic p = ScanPeriodic(grid, run, k, b, increases);
                if (p.status == Status::Found) {
                    return {Status::Found, grid.At(p.k)};
                }
                if (p.status == Status::NotHere) {
                    if (p.k >= b) {
                        return {Status::NotHere, 0};
                    }
                    k = p.k + 1;
                    continue;
                }
                // No short period here (yet): try again further on, less and less often.
                if (p.retry != 0) {
                    nextPeriodicTry = p.retry;
                } else {
                    nextPeriodicTry = k + periodicBackoff;
                    periodicBackoff *= 2;
                }
            }
            if (step > b - k) {
                return {Status::NotHere, 0};
            }
            k += step;
        }
    }

    // ---------------------------------------------------------------------------------
    // The periodic stretch.

    struct Periodic {
        // Found at k; NotHere up to and including k; GaveUp: no period here, worth another
        // try from `retry` on (0: not soon).
        Status status;
        std::int64_t k;
        std::int64_t retry = 0;
    };

    // The exact increase per step of each intermediate, as (delta x quantity) x sum of
    // rates: whether it is 0, its lowest set bit and an approximation.
    struct Increase {
        bool moves = false;
        int lowestBit = 0;
        bool positive = false;
        double approx = 0;
    };
    using Increases = std::array<Increase, kOps>;
    using SlotMask = std::array<bool, kSlots>;

    // `absorbed`: charges followed by rate whose fee vanishes in the addition that takes
    // it in, so that it moves nothing after its own product.
    Increases IncreasesOf(const RunShape& run, const SlotMask& absorbed, double delta) const {
        std::array<ExactSum, kOps> sums;
        sums[kOpAmount].Add(1);
        sums[kOpGross].Add(1);
        sums[kOpNet].Add(1);
        ExactSum running;
        for (std::size_t i = 0; i < kSlots; ++i) {
            if (run.byRate[i] && !absorbed[i]) {
                const double rate = rules_.charges[i].rate;
                sums[kOpRaw + i].Add(rate);
                running.Add(rate);
                sums[kOpNet].Add(-rate);
            }
            if (i >= 1) {
                sums[kOpSum + i] = running;
            }
        }
        sums[kOpSum + kSlots] = running;
        const int stepBits = LowestSetBit(delta) + LowestSetBit(qty_);
        Increases inc{};
        for (std::size_t op = 0; op < kOps; ++op) {
            if (op == kOpDiff) {
                inc[op] = {true, LowestSetBit(delta), true, delta};
            } else if (!sums[op].IsZero()) {
                inc[op] = {true, stepBits + sums[op].LowestBit(), sums[op].Positive(),
                           delta * qty_ * sums[op].Approx()};
            }
        }
        return inc;
    }

    static int UlpBits(double v) { return std::max(Binade(v) - 52, -1074); }
    static double Ulp(double v) { return PowerOfTwo(UlpBits(v)); }

    // The fee of charge i in a snapshot, and the value it is added to.
    double FeeIn(const RunShape& run, const Snapshot& s, std::size_t i) const {
        return run.byRate[i] ? s.value[kOpRaw + i] : run.fixedFee[i];
    }
    double AddendOf(const RunShape& run, const Snapshot& s, std::size_t i) const {
        if (i == 0) {
            return FeeIn(run, s, 1);
        }
        return i == 1 ? FeeIn(run, s, 0) : s.value[kOpSum + i - 1];
    }
    // Whether charge i's fee is below a quarter (`strict`: a half) of the ulp of what it is
    // added to, so that the addition returns that value unchanged.
    bool Absorbed(const RunShape& run, const Snapshot& s, std::size_t i, bool strict) const {
        const double with = AddendOf(run, s, i);
        const double fee = FeeIn(run, s, i);
        return with != 0 && std::isfinite(with) && std::fabs(fee) < Ulp(with) / (strict ? 2 : 4);
    }

    // Whether every moving intermediate of `s` lies in the binade and sign of `ref`, at
    // least `margin` inside its edges, and every absorbed fee is still absorbed.
    bool Holds(const RunShape& run, const Increases& inc, const SlotMask& absorbed,
               const Snapshot& ref, const Snapshot& s, double margin) const {
        for (std::size_t op = 0; op < kOps; ++op) {
            if (!inc[op].moves) {
                continue;
            }
            const double v = s.value[op];
            const double r = ref.value[op];
            if (!(v != 0) || !std::isfinite(v) || std::signbit(v) != std::signbit(r) ||
                Binade(v) != Binade(r)) {
                return false;
            }
            const double low = PowerOfTwo(Binade(v));
            if (std::fabs(v) - low < margin || 2 * low - std::fabs(v) < margin) {
                return false;
            }
        }
        for (std::size_t i = 0; i < kSlots; ++i) {
            if (absorbed[i] && (!Absorbed(run, s, i, true) ||
                                Ulp(AddendOf(run, s, i)) != Ulp(AddendOf(run, ref, i)))) {
                return false;
            }
        }
        return true;
    }

    // The increases of a run for the last set of absorbed charges asked for.
    struct IncreaseCache {
        std::optional<SlotMask> absorbed;
        Increases inc{};
    };

    // A stretch k..end over which every moving intermediate keeps its binade and sign and
    // every absorbed fee stays absorbed: there the rounding repeats with `period` steps.
    struct Stretch {
        Snapshot first; // at k
        std::int64_t period = 0;
        std::int64_t end = 0;
    };

    // The period search: the stretch from k (at most to b), or, when there is none worth
    // a period, the GaveUp outcome with when to try again.
    std::variant<Stretch, Periodic> FindStretch(const Grid& grid, const RunShape& run,
                                                std::int64_t k, std::int64_t b,
                                                IncreaseCache& cache) {
        const Snapshot first = Trace(grid.At(k));
        SlotMask absorbed{};
        for (std::size_t i = 0; i < kSlots; ++i) {
            absorbed[i] = run.byRate[i] && Absorbed(run, first, i, false);
        }
        if (cache.absorbed != absorbed) {
            cache.inc = IncreasesOf(run, absorbed, grid.delta);
            cache.absorbed = absorbed;
        }
        const Increases& inc = cache.inc;
        const double margin = 2 * Noise(run, grid.At(b));
        // The period: p x increase a multiple of twice the ulp of every moving intermediate.
        int bits = 0;
        double reach = static_cast<double>(b - k);
        // Steps until the intermediate that ends the stretch first is well into its next
        // binade, where a new stretch may begin.
        double clear = 1;
        for (std::size_t op = 0; op < kOps; ++op) {
            if (!inc[op].moves) {
                continue;
            }
            const double v = first.value[op];
            if (!(v != 0) || !std::isfinite(v) || !std::isfinite(inc[op].approx)) {
                return Periodic{Status::GaveUp, k};
            }
            bits = std::max(bits, UlpBits(v) + 1 - inc[op].lowestBit);
            // Steps before the intermediate could leave its binade.
            const double low = PowerOfTwo(Binade(v));
            const bool growing = (inc[op].approx > 0) == (v > 0);
            const double distance = growing ? 2 * low - std::fabs(v) : std::fabs(v) - low;
            const double speed = std::fabs(inc[op].approx);
            const double steps = (distance - margin) / speed * (1 - 0x1p-30) - 1;
            if (steps < reach) {
                reach = steps;
                clear = (distance + margin) / speed + 1;
            }
        }
        // Steps before an absorbed fee could grow past half an ulp.
        for (std::size_t i = 0; i < kSlots; ++i) {
            if (absorbed[i]) {
                const double room =
                    Ulp(AddendOf(run, first, i)) / 2 - std::fabs(FeeIn(run, first, i));
                const double growth = std::fabs(rules_.charges[i].rate * grid.delta * qty_);
                reach = std::min(reach, room / growth * (1 - 0x1p-30) - 1);
            }
        }
        if (bits > kMostPeriodBits) {
            return Periodic{Status::GaveUp, k};
        }
        const std::int64_t period = std::int64_t{1} << bits;
        if (trials_ + 4 * period > kScanBudget) {
            return Periodic{Status::GaveUp, k};
        }
        if (!(reach >= static_cast<double>(4 * period))) {
            // Too short to pay for a period; the next binade is twice as long.
            const double retry = std::min(clear, static_cast<double>(b - k) + 1);
            return Periodic{Status::GaveUp, k,
                            k + std::max<std::int64_t>(1, static_cast<std::int64_t>(retry))};
        }
        const std::int64_t end = k + static_cast<std::int64_t>(reach);
        if (!Holds(run, inc, absorbed, first, first, margin) ||
            !Holds(run, inc, absorbed, first, Trace(grid.At(end)), margin)) {
            return Periodic{Status::GaveUp, k};
        }
        return Stretch{first, period, end};
    }

    // Within noise of zero from k: the period search, one period walked, then the residue
    // step for the rest of the stretch.
    Periodic ScanPeriodic(const Grid& grid, const RunShape& run, std::int64_t k, std::int64_t b,
                          IncreaseCache& cache) {
        auto found = FindStretch(grid, run, k, b, cache);
        if (const Periodic* none = std::get_if<Periodic>(&found)) {
            return *none;
        }
        const Stretch& stretch = std::get<Stretch>(found);
        const Snapshot& first = stretch.first;
        const std::int64_t period = stretch.period;
        const std::int64_t end = stretch.end;
        // One period decides the stretch k..end.
        std::vector<double> net(static_cast<std::size_t>(period));
        net[0] = first.value[kOpNet];
        for (std::int64_t j = 1; j < period; ++j) {
            const Snapshot s = Trace(grid.At(k + j));
            if (Stops(s.profit)) {
                return {Status::Found, k + j};
            }
            net[static_cast<std::size_t>(j)] = s.value[kOpNet];
        }
        const Increase& rise = cache.inc[kOpNet];
        if (!rise.moves || !rise.positive) {
            return {Status::NotHere, end};
        }
        return ResidueStep(grid, k, stretch, net, rise);
    }

    // Residue class j of the stretch (the prices k + j + m x period) has its net proceeds
    // rise by period x increase each turn, the rounding being the same: each class stops
    // at its first m with net_j + m x period x increase >= buy fees. The estimate is
    // checked, and corrected, by the walk's own profit.
    Periodic ResidueStep(const Grid& grid, std::int64_t k, const Stretch& stretch,
                         const std::vector<double>& net, const Increase& rise) {
        const std::int64_t period = stretch.period;
        const std::int64_t end = stretch.end;
        std::int64_t best = end + 1;
        const double perTurn = static_cast<double>(period) * rise.approx;
        for (std::int64_t j = 0; j < period; ++j) {
            const double gap = buyFees_ - net[static_cast<std::size_t>(j)];
            const double turns = std::ceil(gap / perTurn);
            if (!(turns < static_cast<double>(end - k) / static_cast<double>(period) + 2)) {
                continue;
            }
            auto at = [&](std::int64_t m) { return k + j + m * period; };
            std::int64_t m = std::max<std::int64_t>(1, static_cast<std::int64_t>(turns));
            int corrections = 0;
            while (at(m) <= end && !Stops(Profit(grid.At(at(m))))) {
                if (++corrections > 3) {
                    return {Status::GaveUp, k};
                }
                ++m;
            }
            while (m > 1 && at(m - 1) <= end && Stops(Profit(grid.At(at(m - 1))))) {
                if (++corrections > 3) {
                    return {Status::GaveUp, k};
                }
                --m;
            }
            if (at(m) <= end) {
                best = std::min(best, at(m));
            }
        }
        if (best <= end) {
            return {Status::Found, best};
        }
        return {Status::NotHere, end};
    }

    const FeeRules& rules_;
    double buy_;
    double qty_;
    double buyFees_;
    double rel_ = 0;
    std::array<bool, kSlots> capInPlay_{};
    std::size_t sellCharges_ = 0;
    double sumAbsRates_ = 0;
    double noiseSlope_ = 0;
    mutable std::int64_t trials_ = 0;
};

} // namespace

std::optional<double> BreakEvenSellPrice(const FeeRules& rules, double buyPrice, double quantity,
                                         std::int64_t* trials) {
    if (buyPrice == 0 || quantity == 0) {
        return 0.0;
    }
    BreakEvenSearch search(rules, buyPrice, quantity);
    // Negative or non-finite inputs, or charges so large that fees overflow: the entry
    // fields cannot produce these; walk a bounded number of steps.
    const std::optional<double> price =
        search.Analysable() ? search.Run() : search.Literal(kFallbackSteps);
    if (trials != nullptr) {
        *trials = search.Trials();
    }
    return price;
}

} // namespace ym
