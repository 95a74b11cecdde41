// The program-wide data shared by the windows: the settings path, the fee parameters, the
// selection, the display scheme, the fee model with the trade date, and the stored inputs
// of the calculator. One instance lives for the whole run; the fee rules are derived from
// it on every calculation, never stored.
#pragma once

#include "core/display_scheme.h"
#include "core/fee_model.h"
#include "core/fee_parameters.h"
#include "core/selection.h"
#include "core/settings_file.h"
#include "core/trade.h"
#include "core/trade_date.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ym {

struct ProgramState {
    std::filesystem::path settingsPath;
    FeeParameters parameters;
    // No market or type while the stored numbers name none (a missing key reads -1).
    std::optional<Market> market;
    std::optional<SecurityType> type;
    DisplayScheme scheme;
    // The classic parameters, or the official rules of the trade date with the broker's
    // terms.
    FeeModelSettings feeModel;
    // Why the stored fee model was not taken: a section with a value that is not
    // admissible falls back to the classic model as a whole, rather than computing
    // official fees with terms the user never set. Empty when it was taken.
    std::vector<std::string> feeModelProblems;
    // Fee parameter keys the file lacks (read as -1) or holds no readable number for
    // (read as 0), for start-up to tell the user once.
    std::vector<std::string> missingParameters;
    std::vector<std::string> unreadableParameters;
    // The day the trade is made; the caller supplies today, nothing here reads the clock.
    Date tradeDate;

    // Stored inputs: the numbers last committed from the entry fields.
    double buyPrice = 0;
    double sellPrice = 0;
    double quantity = 0;

    // Reads the settings file at `settingsPath` and takes the selection, the scheme and the
    // parameters from it. On failure nothing is taken and the message is returned.
    std::optional<SettingsMessage> Load();
    // Takes what was read from a settings file.
    void TakeStored(const StoredSettings& stored);
    // Writes the selection into the settings file, as the exit action does.
    std::optional<SettingsMessage> SaveSelection() const;

    // The fee rules of the selection under the fee model on the trade date (FeeRulesFor);
    // nullopt for an official trade before kFirstRuleDate (say kNoRulesMessage). Without a
    // type nothing selects a block of rates: classic rates of 0 apply.
    std::optional<FeeRules> feeRules() const;
};

} // namespace ym
