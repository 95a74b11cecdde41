// The CSV that batch and statement write: the computed fee columns and how a value is
// written.
#pragma once

#include "core/statement_csv.h"

#include <array>
#include <string>
#include <string_view>

namespace ym::calc {

// The computed columns of the output, in their order.
struct CalcColumn {
    std::string_view name;
    double statement::ComputedFees::*member;
};
inline constexpr std::array<CalcColumn, 8> kCalcColumns{{
    {"commission_calc", &statement::ComputedFees::commission},
    {"stamp_calc", &statement::ComputedFees::stamp},
    {"transfer_calc", &statement::ComputedFees::transfer},
    {"handling_calc", &statement::ComputedFees::handling},
    {"regulatory_calc", &statement::ComputedFees::regulatory},
    {"other_calc", &statement::ComputedFees::other},
    {"fees_calc", &statement::ComputedFees::fees},
    {"amount_calc", &statement::ComputedFees::amount},
}};

// `fees` in the order of kCalcColumns, each followed by a comma.
void AppendComputed(std::string& out, const statement::ComputedFees& fees);

// A value to the fen as "-12.34", without grouping.
void AppendFen(std::string& out, double value);

// A field, in double quotes when it holds a comma, a quote or a line break.
void AppendField(std::string& out, std::string_view field);

} // namespace ym::calc
