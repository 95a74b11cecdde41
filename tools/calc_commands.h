// The commands of yuanmate-calc. Each writes its result to `out` and its one-line
// complaint to `err`, and returns the process's exit status.
#pragma once

#include "tools/calc_options.h"

#include <istream>
#include <ostream>
#include <string>

namespace ym::calc {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitDiffers = 3;

int RunTrade(const TradeOptions& options, std::ostream& out, std::ostream& err);
int RunExRights(const ExRightsOptions& options, std::ostream& out, std::ostream& err);
int RunInit(std::ostream& out, std::ostream& err);
int RunRules(const RulesOptions& options, std::ostream& out, std::ostream& err);
int RunLimits(const LimitsOptions& options, std::ostream& out, std::ostream& err);
// `in`: standard input, read when the options name "-".
int RunBatch(const BatchOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

// The shortest text that reads back as the same double; null for infinities and NaN,
// which JSON cannot carry.
std::string JsonNumber(double value);

} // namespace ym::calc
