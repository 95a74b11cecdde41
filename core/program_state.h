// The program-wide data shared by the windows: the settings path, the fee parameters, the
// current rate set, the selection, the display scheme and the stored inputs of the
// calculator. One instance lives for the whole run.
#pragma once

#include "core/display_scheme.h"
#include "core/fee_parameters.h"
#include "core/selection.h"
#include "core/settings_file.h"
#include "core/trade.h"

#include <filesystem>
#include <optional>

namespace ym {

struct ProgramState {
    std::filesystem::path settingsPath;
    FeeParameters parameters;
    RateSet rates;
    // No market or type while the stored numbers name none (a missing key reads -1).
    std::optional<Market> CurMarket;
    std::optional<SecurityType> CurType;
    DisplayScheme scheme;

    // Stored inputs: the numbers last committed from the entry fields.
    double BuyPrice = 0;
    double SellPrice = 0;
    double Quantity = 0;

    // Reads the settings file at `settingsPath` and takes the selection, the scheme and the
    // parameters from it. On failure nothing is taken and the message is returned.
    std::optional<SettingsMessage> Load();
    // Takes what was read from a settings file.
    void TakeStored(const StoredSettings& stored);
    // The selected type's rates from the parameters; without a type the rates stay.
    void LoadCurrentRates();
    // Writes the selection into the settings file, as the exit action does.
    std::optional<SettingsMessage> SaveSelection() const;

    // The classic fee rules of the selection.
    FeeRules feeRules() const { return ClassicRates{rates, CurMarket, parameters.SettlementCap()}; }
};

} // namespace ym
