// The one fee function. A fee schedule lists the charges of a trade leg (rate, base,
// sides, minimum, cap) and how they are rounded; ChargeLeg prices one leg under it. The
// classic parameters and the official rule sets are both turned into a schedule, so the
// trade, the result rows, the break-even search and the statement check all charge a leg
// through this one function.
#pragma once

#include "core/fee_parameters.h"
#include "core/selection.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

namespace ym {

enum class Side : std::uint8_t { Buy, Sell };

// The charges of a leg, in the order their fees are added up.
enum class ChargeSlot : std::uint8_t {
    Stamp,
    Commission,
    Transfer,
    Settlement,
    Handling,
    Regulator
};
inline constexpr std::size_t kChargeSlots = 6;

enum class MinimumRule : std::uint8_t {
    None,
    // A charge that is not 0 and below the minimum becomes the minimum: a leg that is not
    // traded pays none.
    RaiseNonZero,
    // A charge up to the minimum becomes the minimum, a charge of exactly 0 stays 0 (the
    // classic per-share transfer fee).
    RaiseUpToMinimum,
};

// One charge. Its fee is rate x the leg's amount (or x the quantity), then the minimum,
// then the cap (a fee at or above it becomes it; infinity: no cap), then, in a schedule
// rounded to the fen, the statement's rounding. A charge carries a minimum or a cap, never
// both.
struct Charge {
    double rate = 0;
    bool perShare = false;
    bool onBuy = true;
    bool onSell = true;
    MinimumRule minimumRule = MinimumRule::None;
    double minimum = 0;
    double cap = std::numeric_limits<double>::infinity();

    bool HasCap() const { return cap != std::numeric_limits<double>::infinity(); }
};

// The classic parameters of one market and type: the nine current rates, the market (only
// Shenzhen caps the settlement fee) and the Shenzhen settlement cap B28.
struct ClassicRates {
    RateSet rates;
    std::optional<Market> market = Market::Shenzhen;
    double settlementCap = 0;
};

struct FeeRules {
    FeeRules() = default;
    // The classic model: every rate on both legs, nothing rounded. Implicit, so that a
    // classic rate set can be used wherever fee rules are.
    FeeRules(const ClassicRates& classic); // NOLINT(google-explicit-constructor)

    std::array<Charge, kChargeSlots> charges{};
    double other = 0; // a fixed charge per leg, whether the leg is traded or not
    // Each charge and the leg's total are rounded to the fen, as a statement shows them.
    bool toFen = false;

    const Charge& operator[](ChargeSlot slot) const {
        return charges[static_cast<std::size_t>(slot)];
    }
    Charge& operator[](ChargeSlot slot) { return charges[static_cast<std::size_t>(slot)]; }
};

// One leg priced: its amount, each charge's fee, the fixed charge and their total (added
// in slot order, the fixed charge last).
struct LegCharges {
    double amount = 0;
    std::array<double, kChargeSlots> fee{};
    double other = 0;
    double total = 0;

    double operator[](ChargeSlot slot) const { return fee[static_cast<std::size_t>(slot)]; }
};

LegCharges ChargeLeg(const FeeRules& rules, Side side, double price, double quantity);

// All fees of one leg: ChargeLeg(...).total.
double LegFees(const FeeRules& rules, Side side, double price, double quantity);

} // namespace ym
