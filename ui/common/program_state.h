// The program-wide data shared by the main window and the settings dialog: the
// settings path, the fee parameters, the current rate set, the selection, the display
// scheme and the stored inputs of the calculator. One instance lives for the whole run.
#pragma once

#include "core/display_scheme.h"
#include "core/fee_parameters.h"
#include "core/trade.h"

#include <cstdint>
#include <filesystem>

namespace ym::ui {

struct ProgramState {
    std::filesystem::path settingsPath;
    FeeParameters parameters;
    RateSet rates;
    std::int16_t CurMarket = 0;
    std::int16_t CurType = 0;
    DisplayScheme scheme;

    // Stored inputs: the numbers last committed from the entry fields.
    double BuyPrice = 0;
    double SellPrice = 0;
    double Quantity = 0;

    FeeRules feeRules() const { return {rates, CurMarket, parameters.SettlementCap()}; }
};

} // namespace ym::ui
