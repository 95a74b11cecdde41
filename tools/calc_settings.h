// What trade and batch take from the settings file and the command line: the fee
// parameters, the stored selection, the fee model with the broker's terms, and today's
// date for an official trade without one.
#pragma once

#include "core/fee_model.h"
#include "core/program_state.h"
#include "core/trade_date.h"
#include "tools/calc_options.h"

#include <optional>
#include <ostream>
#include <string>

namespace ym::calc {

struct CalcSettings {
    ProgramState state;
    bool fromFile = false; // a settings file was read
    FeeModelSettings model;
};

// Reads the file given, or the one in the current directory, or keeps the defaults. A file
// given by name that is missing or unreadable is an error: silently computing with the
// defaults would pass off other rates as the user's. A fee model section with a value that
// is not admissible gives the classic model, with a note on `err` for each problem.
std::optional<std::string> LoadSettings(const std::optional<std::string>& ini,
                                        CalcSettings& settings, std::ostream& err);

// --rules and the broker's terms over the file's choice. Returns the complaint when terms
// are given for the classic model.
std::optional<std::string> ApplyRuleOptions(const RuleOptions& options, FeeModelSettings& model,
                                            std::optional<Currency> tradeCurrency);

// The local calendar date.
Date Today();

} // namespace ym::calc
