// The commands of yuanmate-calc. Each writes its result to `out` and its one-line
// complaint to `err`, and returns the process's exit status.
#pragma once

#include "core/entry_rules.h"
#include "core/fee_schedule.h"
#include "core/trade.h"
#include "tools/calc_options.h"

#include <functional>
#include <istream>
#include <optional>
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
int RunStatement(const StatementOptions& options, std::ostream& out, std::ostream& err);

int RunTarget(const PositionOptions& options, std::ostream& out, std::ostream& err);
int RunAverage(const PositionOptions& options, std::ostream& out, std::ostream& err);
int RunSwing(const PositionOptions& options, std::ostream& out, std::ostream& err);

// A field's value once typed and committed, and whether the field is empty.
struct EnteredValue {
    double value = 0;
    bool empty = true;
};
using Commit = std::function<FieldCommit(std::string_view)>;

// Types `given` (when given) into the field and commits it as Enter does; the message naming
// the field when it does not go in.
std::optional<std::string> EnterField(const FieldSpec& field,
                                      const std::optional<std::string>& given, const Commit& commit,
                                      EnteredValue& entered);

// The fee rules of a trade as the options, the settings file and its fee model choose them,
// with the market and type; nullopt once the complaint is written, `status` the exit status.
struct TradeContext {
    FeeRules rules;
    Market market;
    SecurityType type;
};
std::optional<TradeContext> ResolveTrade(const TradeOptions& options, std::ostream& err,
                                         int& status);

// The trade's result fields as JSON members, one a line, BreakEvenPrice last.
void WriteTradeFields(const TradeResult& result, std::ostream& out);

// The shortest text that reads back as the same double; null for infinities and NaN,
// which JSON cannot carry.
std::string JsonNumber(double value);
// A JSON string: quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view text);

} // namespace ym::calc
