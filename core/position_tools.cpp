// The position tools and their searches.
//
// Each search answers a question defined by a literal walk: "the lowest grid price from which
// on the condition holds" is the price just above the highest grid price, walking down from
// the top of the grid, at which it fails; "the smallest number of lots that reaches a cost" is
// the first that does, walking up from one lot. The walks can take billions of steps, and the
// computed values need not be monotone (a fee rounded up to the next fen can outgrow a tiny
// quantity's price step), so the searches walk the same way but skip what they can prove:
//
// * Runs. A charge's raw fee (rate × amount, or rate × quantity) as the fee function computes
//   it is monotone in the price and in the quantity, so whether it is 0, below its minimum or
//   at its cap changes at most once along the walk each; bisection on those comparisons finds
//   the stretches (runs) in which every charge's fee is either fixed (its minimum, its cap, 0,
//   or a per-share fee while the price moves) or follows its rate.
// * Within a run the exact (unrounded) value g is linear in the moving price: slope
//   quantity × (±1 − the sum of the following rates). The computed value differs from g by
//   less than E: a relative error bound on the magnitudes of the terms actually present (a
//   cap or minimum not in force plays no part), plus half a fen per fee in a schedule that
//   rounds to the fen. E grows with the price, never with the walk going down.
// * From a price whose computed value v meets the condition with margin m = v − threshold − 2E,
//   every price of the run within m ÷ (the fastest fall of g per step, plus E's growth) steps
//   meets it too; the walk jumps there. Only near the threshold, where rounding noise could
//   decide, are prices tried one by one, and the first that fails ends the walk exactly where
//   the literal walk ends.
// * The lots: within a run the exact cost price (A + B·Q) ÷ (held + Q) is monotone in the
//   quantity Q and moves by at most |B·held − A|·x ÷ (S·(S + x)) over x more shares from
//   S = held + Q, while its noise shrinks as 1 ÷ S: from a quantity that misses the target by a
//   margin beyond that noise the walk jumps as far as the cost cannot cross the margin, and a
//   cost moving away from the target, or one that can no longer cross the margin at all,
//   ends the run.
// Prices are tried one by one at most kBudget times; where the value stays within its noise of
// the threshold for longer (rates summing to 1 within about 1e-9), the answer is Undecided.
#include "core/position_tools.h"

#include "core/entry_rules.h"
#include "core/fee_schedule_trace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace ym {

namespace {

constexpr double kEps = 0x1p-53;        // unit roundoff
constexpr double kAbsNoise = 0x1p-1000; // covers every underflow in one value
constexpr double kHalfFen = 0.0051;     // one fee's rounding to the fen, and a margin
constexpr double kFarFromOverflow = 0x1p900;
constexpr double kHighestSellPrice = 9999999; // seven digits: the sell field's longest number
constexpr std::int64_t kBudget = 1 << 12;

// Relative error of one computed value against its exact counterpart, per unit of the
// magnitudes involved: about 25 roundings in the classic model; the statement rounding of
// the fen adds at most 1e-14 relatively (and half a fen, counted apart).
double RelativeNoise(const FeeRules& rules) {
    return rules.toFen ? 1e-12 : 64 * kEps;
}

// The rate-driven fee of a charge before its minimum and cap, as the fee function computes it.
double Raw(const Charge& c, double price, double quantity) {
    return c.perShare ? quantity * c.rate : c.rate * (price * quantity);
}

bool OnSide(const Charge& c, Side side) {
    return side == Side::Buy ? c.onBuy : c.onSell;
}

// The three monotone comparisons that decide a charge's fee.
enum class Test : std::uint8_t { Zero, BelowMinimum, AtCap };
constexpr std::array<Test, 3> kTests{Test::Zero, Test::BelowMinimum, Test::AtCap};

bool Applies(const Charge& c, Test test) {
    return test == Test::AtCap ? c.HasCap() : c.minimumRule != MinimumRule::None;
}

bool Holds(const Charge& c, Test test, double raw) {
    switch (test) {
    case Test::Zero:
        return raw == 0;
    case Test::BelowMinimum:
        return detail::BelowMinimum(c, raw);
    case Test::AtCap:
        return raw >= c.cap;
    }
    return false;
}

// Whether a charge's fee is its raw fee: neither raised to the minimum (nor kept at 0 by it)
// nor cut to the cap.
bool FollowsRate(const Charge& c, double raw) {
    const bool minimumFixes =
        c.minimumRule != MinimumRule::None && (raw == 0 || detail::BelowMinimum(c, raw));
    return !minimumFixes && !(c.HasCap() && raw >= c.cap);
}

// The shape of one leg's fees over a run.
struct RunShape {
    std::int64_t end = 0;      // the run's last point in the walk's direction
    double followRates = 0;    // the sum of the rates of following charges on the amount
    double followAbsRates = 0; // the sum of their absolute values
    double perShareSlope = 0;  // lots: following per-share rates, and rate × price
    double perShareAbs = 0;    // the sum of their absolute values
    double fixedAbs = 0;       // |fees| of the fixed charges
    double fixedFees = 0;      // their sum, with the leg's fixed charge
    int following = 0;
};

// The run of one leg's fees that starts at point `from` of a walk towards `to`, where `at(i)`
// gives the (price, quantity) of point i: the price moves along the grid, or the lots grow.
template <class At>
RunShape ShapeFrom(const FeeRules& rules, Side side, bool priceMoves, std::int64_t from,
                   std::int64_t to, At at) {
    RunShape run;
    run.end = to;
    const auto [price, quantity] = at(from);
    const LegCharges leg = ChargeLeg(rules, side, price, quantity);
    run.fixedFees = leg.other;
    for (std::size_t i = 0; i < kChargeSlots; ++i) {
        const Charge& c = rules.charges[i];
        if (!OnSide(c, side)) {
            continue;
        }
        const double raw = Raw(c, price, quantity);
        for (const Test test : kTests) {
            if (!Applies(c, test)) {
                continue;
            }
            const bool start = Holds(c, test, Raw(c, at(from).first, at(from).second));
            if (Holds(c, test, Raw(c, at(to).first, at(to).second)) == start) {
                continue;
            }
            // Bisection: lo keeps the start's verdict, hi does not.
            std::int64_t lo = from;
            std::int64_t hi = to;
            while (hi - lo > 1 || lo - hi > 1) {
                const std::int64_t mid = lo + (hi - lo) / 2;
                const auto [p, q] = at(mid);
                (Holds(c, test, Raw(c, p, q)) == start ? lo : hi) = mid;
            }
            if (std::abs(lo - from) < std::abs(run.end - from)) {
                run.end = lo;
            }
        }
        const bool follows = FollowsRate(c, raw) && !(c.perShare && priceMoves);
        if (!follows) {
            run.fixedAbs += std::fabs(leg.fee[i]);
            run.fixedFees += leg.fee[i];
            continue;
        }
        ++run.following;
        if (c.perShare) {
            run.perShareSlope += c.rate;
            run.perShareAbs += std::fabs(c.rate);
        } else {
            run.followRates += c.rate;
            run.followAbsRates += std::fabs(c.rate);
            run.perShareSlope += c.rate * price;
            run.perShareAbs += std::fabs(c.rate * price);
        }
    }
    return run;
}

// The walk along the price grid for a value that moves with one leg's price: the net profit
// of a round trip, or what selling a holding receives. `sign`: +1 where the leg's amount is
// received (a sell leg), -1 where it is paid.
template <class Value, class Meets> class PriceWalk {
public:
    PriceWalk(const FeeRules& rules, const PriceGrid& grid, Side side, double quantity,
              double fixedMagnitude, double threshold, Value value, Meets meets)
        : rules_(rules), grid_(grid), side_(side), qty_(quantity), fixedMag_(fixedMagnitude),
          threshold_(threshold), value_(value), meets_(meets), rel_(RelativeNoise(rules)) {}

    // From `from` towards `to`, the last point before the condition first fails (`to` when it
    // never does); Unreachable when it fails at `from`.
    GridAnswer Run(std::int64_t from, std::int64_t to) {
        const std::int64_t dir = to >= from ? 1 : -1;
        walkingUp_ = dir > 0;
        std::int64_t k = from;
        double v = Evaluate(k);
        if (!meets_(v)) {
            return {GridOutcome::Unreachable, 0};
        }
        RunShape run;
        bool haveRun = false;
        while (k != to) {
            if (evaluations_ > kBudget) {
                return {GridOutcome::Undecided, 0};
            }
            if (!haveRun || (run.end - k) * dir < 0) {
                run = ShapeFrom(rules_, side_, true, k, to, [this](std::int64_t i) {
                    return std::pair{grid_.PriceAt(i), qty_};
                });
                haveRun = true;
            }
            const std::int64_t skip = SafeSteps(run, k, v, (run.end - k) * dir);
            if (skip >= 1) {
                k += dir * skip;
                v = Evaluate(k);
                continue;
            }
            const double next = Evaluate(k + dir);
            if (!meets_(next)) {
                return {GridOutcome::Found, k};
            }
            k += dir;
            v = next;
        }
        return {GridOutcome::Found, to};
    }

private:
    double Evaluate(std::int64_t k) {
        ++evaluations_;
        return value_(grid_.PriceAt(k));
    }

    // How many steps from k (value v) towards the run's end stay provably above the threshold.
    std::int64_t SafeSteps(const RunShape& run, std::int64_t k, double v, std::int64_t room) const {
        if (room < 1 || !std::isfinite(v)) {
            return 0;
        }
        const double price = grid_.PriceAt(k);
        const double amountScale = std::fabs(price * qty_);
        const double magnitude = amountScale * (1 + run.followAbsRates) + run.fixedAbs + fixedMag_;
        if (!(magnitude < kFarFromOverflow)) {
            return 0;
        }
        // The exact value changes by qty × (sign − following rates) per unit of price; its
        // fall per step in the walk's direction, with E's growth and the grid's rounding.
        const double sign = side_ == Side::Sell ? 1 : -1;
        const double slope = qty_ * (sign - run.followRates);
        const double dir = walkingUp_ ? 1 : -1;
        const double spread = std::fabs(qty_) * (1 + run.followAbsRates);
        const double fall = std::max(0.0, -dir * slope) + spread * (rel_ + 16 * kEps) + kAbsNoise;
        const double noise = rel_ * magnitude * (1 + 0x1p-20) +
                             (rules_.toFen ? kHalfFen * (run.following + 2) : 0) + 64 * kAbsNoise +
                             4 * kEps * (std::fabs(v) + std::fabs(threshold_)) +
                             spread * 4 * kEps * std::fabs(price);
        const double margin = (v - threshold_) - 2 * noise;
        if (!(margin > 0)) {
            return 0;
        }
        const double steps =
            margin / (fall / static_cast<double>(grid_.ticksPerUnit)) * (1 - 0x1p-30);
        if (!(steps >= 1)) {
            return 0;
        }
        return steps >= static_cast<double>(room) ? room : static_cast<std::int64_t>(steps);
    }

    const FeeRules& rules_;
    PriceGrid grid_;
    Side side_;
    double qty_;
    double fixedMag_;
    double threshold_;
    Value value_;
    Meets meets_;
    double rel_;
    bool walkingUp_ = false;
    std::int64_t evaluations_ = 0;
};

template <class Value, class Meets>
GridAnswer WalkPrices(const FeeRules& rules, const PriceGrid& grid, Side side, double quantity,
                      double fixedMagnitude, double threshold, Value value, Meets meets,
                      std::int64_t from, std::int64_t to) {
    return PriceWalk<Value, Meets>(rules, grid, side, quantity, fixedMagnitude, threshold, value,
                                   meets)
        .Run(from, to);
}

// The magnitudes of a leg that stays put: its amount, each fee and its fixed charge.
double LegMagnitude(const LegCharges& leg) {
    double sum = std::fabs(leg.amount) + std::fabs(leg.other);
    for (const double fee : leg.fee) {
        sum += std::fabs(fee);
    }
    return sum;
}

// The lowest value that meets a condition monotone in the value, from a guess a few units in
// the last place off; +infinity when there is none near (no jumps are then made).
template <class Meets> double LowestMeeting(Meets meets, double guess) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    if (!std::isfinite(guess)) {
        return kInf;
    }
    double x = guess;
    for (int i = 0; i < 256; ++i) {
        if (meets(x)) {
            const double below = std::nextafter(x, -kInf);
            if (!meets(below)) {
                return x;
            }
            x = below;
        } else {
            x = std::nextafter(x, kInf);
        }
    }
    return kInf;
}

GridAnswer FoundOrNot(bool meets, std::int64_t index) {
    return meets ? GridAnswer{GridOutcome::Found, index} : GridAnswer{GridOutcome::Unreachable, 0};
}

} // namespace

bool MeetsGoal(const TradeResult& trade, const ProfitGoal& goal) {
    if (goal.kind == GoalKind::Profit) {
        return trade.netProfit >= goal.value;
    }
    const double paid = trade.buyAmount + trade.buyLegFees;
    return paid > 0 && std::isfinite(paid) && trade.yield >= goal.value;
}

std::int64_t HighestSellIndex(const PriceGrid& grid) {
    return grid.FloorIndex(kHighestSellPrice);
}

std::int64_t HighestBuyIndex(const PriceGrid& grid) {
    return grid.FloorIndex(kBuyPriceLimit);
}

namespace {

TradeInput RoundTrip(double buy, double sell, double quantity) {
    TradeInput in;
    in.buyPrice = buy;
    in.sellPrice = sell;
    in.quantity = quantity;
    in.buyFieldEmpty = false;
    in.sellFieldEmpty = false;
    return in;
}

// The walk for a round trip's net profit with one price moving: `goal` reached from `from`
// on towards `to`.
GridAnswer WalkRoundTrip(const FeeRules& rules, const PriceGrid& grid, Side moving, double fixed,
                         double quantity, const ProfitGoal& goal, std::int64_t from,
                         std::int64_t to) {
    const auto trade = [&](double price) {
        return moving == Side::Sell ? ComputeRoundTrip(rules, RoundTrip(fixed, price, quantity))
                                    : ComputeRoundTrip(rules, RoundTrip(price, fixed, quantity));
    };
    const TradeResult first = trade(grid.PriceAt(from));
    // With no amount on the leg that stays, the trade has one leg and no profit at any price.
    const double fixedAmount = moving == Side::Sell ? first.buyAmount : first.sellAmount;
    if (fixedAmount == 0 || quantity == 0) {
        return FoundOrNot(MeetsGoal(first, goal), to);
    }
    // The condition as a function of the net profit alone, monotone in it: the yield's
    // divisor, the money paid for the purchase, does not move with the sell price.
    const double paid = first.buyAmount + first.buyLegFees;
    const auto meets = [&](double profit) {
        TradeResult t;
        t.netProfit = profit;
        t.buyAmount = first.buyAmount;
        t.buyLegFees = first.buyLegFees;
        t.yield = profit == 0 ? 0 : profit / paid;
        return MeetsGoal(t, goal);
    };
    double threshold = goal.value;
    if (goal.kind == GoalKind::Yield) {
        if (moving == Side::Buy || !(paid > 0) || !std::isfinite(paid)) {
            // The divisor moves with a moving buy price; the tools ask only for profits then.
            return FoundOrNot(false, 0);
        }
        threshold = LowestMeeting(meets, goal.value * paid);
    }
    const Side fixedSide = moving == Side::Sell ? Side::Buy : Side::Sell;
    const double fixedMagnitude =
        LegMagnitude(ChargeLeg(rules, fixedSide, fixed, quantity)) + std::fabs(rules.other);
    return WalkPrices(
        rules, grid, moving, quantity, fixedMagnitude, threshold,
        [&](double price) { return trade(price).netProfit; }, meets, from, to);
}

} // namespace

GridAnswer TargetSellIndex(const FeeRules& rules, const PriceGrid& grid, double buyPrice,
                           double quantity, const ProfitGoal& goal, std::int64_t top) {
    return WalkRoundTrip(rules, grid, Side::Sell, buyPrice, quantity, goal, top, 1);
}

AddedBuy AddToHolding(const FeeRules& rules, const Holding& holding, double price,
                      double quantity) {
    const LegCharges leg = ChargeLeg(rules, Side::Buy, price, quantity);
    AddedBuy added;
    added.fees = leg.total;
    added.paid = leg.amount + leg.total;
    added.newQuantity = holding.quantity + quantity;
    added.totalPaid = (holding.quantity * holding.cost + leg.amount) + leg.total;
    added.newCost = added.totalPaid / added.newQuantity;
    return added;
}

GridAnswer HoldingBreakEvenIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                                 double paid, std::int64_t top) {
    const auto received = [&](double price) {
        const LegCharges leg = ChargeLeg(rules, Side::Sell, price, quantity);
        return leg.amount - leg.total;
    };
    const auto meets = [paid](double value) { return value >= paid; };
    if (quantity == 0) {
        return FoundOrNot(meets(received(grid.PriceAt(top))), 1);
    }
    return WalkPrices(rules, grid, Side::Sell, quantity, std::fabs(paid) + std::fabs(rules.other),
                      paid, received, meets, top, 1);
}

SwingResult Swing(const FeeRules& rules, const Holding& holding, double quantity, double sellPrice,
                  double buyPrice) {
    const TradeResult trade = ComputeRoundTrip(rules, RoundTrip(buyPrice, sellPrice, quantity));
    SwingResult swing;
    swing.sellFees = trade.sellLegFees;
    swing.buyFees = trade.buyLegFees;
    swing.gain = trade.netProfit;
    swing.newCost = holding.cost - trade.netProfit / holding.quantity;
    return swing;
}

GridAnswer SwingSellIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                          double buyPrice, std::int64_t top) {
    return TargetSellIndex(rules, grid, buyPrice, quantity, ProfitGoal{}, top);
}

GridAnswer SwingBuyIndex(const FeeRules& rules, const PriceGrid& grid, double quantity,
                         double sellPrice, std::int64_t top) {
    return WalkRoundTrip(rules, grid, Side::Buy, sellPrice, quantity, ProfitGoal{}, 1, top);
}

// ---------------------------------------------------------------------------------------------
// The lots.

namespace {

class LotSearch {
public:
    LotSearch(const FeeRules& rules, const Holding& holding, double price, double target, int lot,
              std::int64_t mostLots)
        : rules_(rules), holding_(holding), price_(price), target_(target), lot_(lot),
          most_(mostLots), down_(price < holding.cost), rel_(RelativeNoise(rules)) {}

    GridAnswer Run() {
        std::int64_t a = 1;
        while (a <= most_) {
            const RunShape run = ShapeFrom(rules_, Side::Buy, false, a, most_,
                                           [this](std::int64_t n) { return At(n); });
            const std::optional<GridAnswer> found = SearchRun(run, a, run.end);
            if (found) {
                return *found;
            }
            a = run.end + 1;
        }
        return {GridOutcome::Unreachable, 0};
    }

private:
    std::pair<double, double> At(std::int64_t n) const {
        return {price_, static_cast<double>(n) * lot_};
    }

    double Cost(std::int64_t n) {
        ++evaluations_;
        return AddToHolding(rules_, holding_, price_, At(n).second).newCost;
    }

    bool Meets(double cost) const { return down_ ? cost <= target_ : cost >= target_; }

    // The noise of the cost's numerator at n lots: the computed cost lies within
    // Numerator(n) ÷ (held + Q) of the exact one, plus a few units in the last place.
    double NumeratorNoise(const RunShape& run, std::int64_t n) const {
        const double q = At(n).second;
        const double magnitude = std::fabs(holding_.quantity * holding_.cost) +
                                 std::fabs(price_ * q) * (1 + run.followAbsRates) +
                                 std::fabs(q * run.perShareSlope) + run.fixedAbs +
                                 std::fabs(rules_.other);
        return rel_ * magnitude * (1 + 0x1p-20) +
               (rules_.toFen ? kHalfFen * (run.following + 2) : 0) + 64 * kAbsNoise;
    }

    // The exact cost within the run is (A + B·Q) ÷ (held + Q) with A = held × cost + the fixed
    // fees and B = price + the following fees per share, that is B − D ÷ (held + Q) with
    // D = B·held − A. Returns a bound on |D| and whether the cost certainly moves away from
    // the target as the lots grow.
    double MoebiusBound(const RunShape& run, bool& movesAway) const {
        const double h = holding_.quantity;
        const double b = price_ + run.perShareSlope;
        const double d = b * h - (h * holding_.cost + run.fixedFees);
        const double bound = 16 * kEps *
                                 (std::fabs(b * h) + std::fabs(h * holding_.cost) +
                                  h * (std::fabs(price_) + run.perShareAbs) + run.fixedAbs +
                                  std::fabs(rules_.other)) +
                             kAbsNoise;
        // The cost falls with Q where D < 0; down, the target lies below.
        movesAway = std::isfinite(d) && std::fabs(d) > bound && (d < 0) != down_;
        return std::fabs(d) + bound;
    }

    // Lots a..b of one run, walked up: from a quantity that misses the target by more than the
    // noise of every quantity after it in the run, skip as many lots as the exact cost cannot
    // cross that margin in.
    std::optional<GridAnswer> SearchRun(const RunShape& run, std::int64_t a, std::int64_t b) {
        bool movesAway = false;
        const double change = MoebiusBound(run, movesAway);
        // Numerator noise ÷ (held + Q) bounds the cost's noise from Q on.
        const double numerator = NumeratorNoise(run, b);
        for (std::int64_t n = a; n <= b;) {
            if (evaluations_ > kBudget) {
                return GridAnswer{GridOutcome::Undecided, 0};
            }
            const double cost = Cost(n);
            if (Meets(cost)) {
                return GridAnswer{GridOutcome::Found, n};
            }
            const double held = holding_.quantity + At(n).second;
            const double miss = down_ ? cost - target_ : target_ - cost;
            const double margin = miss - 2 * (numerator / held) * (1 + 0x1p-20) -
                                  8 * kEps * (std::fabs(cost) + std::fabs(target_));
            std::int64_t skip = 1;
            if (margin > 0 && std::isfinite(margin)) {
                // Over x more shares the exact cost moves by at most change·x ÷ (S·(S + x)),
                // S = held + Q: less than the margin for every x where change ≤ margin·S.
                if (movesAway || change <= margin * held) {
                    return std::nullopt;
                }
                const double shares = margin * held * held / (change - margin * held);
                const double lots = shares / lot_ * (1 - 0x1p-30);
                if (lots >= static_cast<double>(b - n)) {
                    return std::nullopt;
                }
                skip = std::max<std::int64_t>(1, static_cast<std::int64_t>(lots));
            }
            n += skip;
        }
        return std::nullopt;
    }

    const FeeRules& rules_;
    Holding holding_;
    double price_;
    double target_;
    int lot_;
    std::int64_t most_;
    bool down_;
    double rel_;
    std::int64_t evaluations_ = 0;
};

} // namespace

GridAnswer LotsToCost(const FeeRules& rules, const Holding& holding, double price,
                      double targetCost, int lot, std::int64_t mostLots) {
    if (mostLots < 1 || lot < 1) {
        return {GridOutcome::Unreachable, 0};
    }
    return LotSearch(rules, holding, price, targetCost, lot, mostLots).Run();
}

} // namespace ym
