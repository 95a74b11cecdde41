// The command line of yuanmate-calc: which command, which options, and how a value given
// for an entry field is typed into that field, so that the companion accepts exactly what
// the calculator's windows accept.
#pragma once

#include "core/selection.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ym::calc {

inline constexpr std::string_view kProgramName = "yuanmate-calc";

enum class Command {
    Help,
    Trade,
    ExRights,
    Init,
    Rules,
    Batch,
    Limits,
    Target,
    Average,
    Swing,
    Statement
};

// Which fee rules a trade or a batch follows, and the broker's terms, as given.
struct RuleOptions {
    std::optional<std::string> rules; // "classic" or "official"
    std::optional<std::string> commission;
    std::optional<std::string> minCommission;
    bool noMinimum = false;
    std::optional<std::string> includesFees; // "yes" or "no"

    bool GivesTerms() const { return commission || minCommission || noMinimum || includesFees; }
};

struct TradeOptions {
    std::optional<std::string> ini;
    std::optional<std::string> market;
    std::optional<std::string> type;
    std::optional<std::string> buy;
    std::optional<std::string> sell;
    std::optional<std::string> qty;
    std::optional<std::string> date;
    RuleOptions rule;
    bool json = false;
};

// target, average and swing: the trade's settings and fee model options, its price and
// quantity fields as each command names them, and the position's own values.
struct PositionOptions : TradeOptions {
    std::optional<std::string> profit;
    std::optional<std::string> yield;
    std::optional<std::string> held;
    std::optional<std::string> cost;
    std::optional<std::string> toCost;
};

struct ExRightsOptions {
    std::optional<std::string> before;
    std::optional<std::string> after;
    std::optional<std::string> bonus;
    std::optional<std::string> rights;
    std::optional<std::string> rightsPrice;
    std::optional<std::string> cash;
    bool json = false;
};

struct RulesOptions {
    std::optional<std::string> date;
    bool json = false;
};

struct LimitsOptions {
    std::optional<std::string> close;
    std::optional<std::string> code;
    std::optional<std::string> board;
    std::optional<std::string> market;
    std::optional<std::string> date;
    bool noLimitDays = false;
    bool json = false;
};

struct BatchOptions {
    std::optional<std::string> input; // a file name, or "-" for standard input
    std::optional<std::string> output;
    std::optional<std::string> ini;
    RuleOptions rule;
    bool check = false;
};

struct StatementOptions {
    std::vector<std::string> inputs;  // the exports, in any order
    std::optional<std::string> lines; // a CSV of every trade line checked
    std::optional<std::string> ini;
    RuleOptions rule;
    std::optional<std::string> whatIfCommission;
    bool whatIfNoMinimum = false;
    std::optional<std::string> whatIfIncludesFees; // "yes" or "no"
    bool json = false;
    bool check = false;
};

struct ParsedCommand {
    Command command = Command::Help;
    TradeOptions trade;
    ExRightsOptions exrights;
    RulesOptions rules;
    BatchOptions batch;
    LimitsOptions limits;
    PositionOptions position;
    StatementOptions statement;
};

// A failed parse carries the one-line message for stderr (without the program name).
using ParseOutcome = std::variant<ParsedCommand, std::string>;

// `args` are the arguments after the program name.
ParseOutcome ParseArguments(std::span<const std::string_view> args);

// An entry field as the user meets it: its caption, the option that fills it, how many
// characters it holds and whether it admits a decimal point.
struct FieldSpec {
    std::string_view caption;
    std::string_view option;
    std::size_t maxLength;
    bool fraction;
};

// Types `input` into an empty field character by character, the caret at the end, as the
// keyboard would. Returns the field's text, or the message naming the field when a
// character would be discarded or the field is full.
std::variant<std::string, std::string> TypeIntoField(const FieldSpec& field,
                                                     std::string_view input);

// The text between double quotes, with control characters, quotes, backslashes and bytes
// that are not valid UTF-8 escaped, so that hostile input can neither split a message
// line nor reach the terminal raw.
std::string Quoted(std::string_view text);

// The message naming a field, e.g. `买入价格 (--buy): ...`.
std::string FieldMessage(const FieldSpec& field, std::string_view what);

std::string UsageText();

} // namespace ym::calc
