// The CSV that batch and statement write: the computed fee columns and how a value is
// written.
#pragma once

#include "core/statement_csv.h"

#include <array>
#include <string>
#include <string_view>

namespace ym::calc {

// The computed fees of a line, in the order of statement::ComputedFees.
inline constexpr std::array<std::string_view, 8> kCalcColumns{
    "commission_calc", "stamp_calc", "transfer_calc", "handling_calc",
    "regulatory_calc", "other_calc", "fees_calc",     "amount_calc"};

// `fees` in the order of kCalcColumns, each followed by a comma.
void AppendComputed(std::string& out, const statement::ComputedFees& fees);

// A value to the fen as "-12.34", without grouping.
void AppendFen(std::string& out, double value);

// A field, in double quotes when it holds a comma, a quote or a line break.
void AppendField(std::string& out, std::string_view field);

} // namespace ym::calc
