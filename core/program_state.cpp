#include "core/program_state.h"

namespace ym {

std::optional<SettingsMessage> ProgramState::Load() {
    const SettingsRead read = ReadSettings(settingsPath);
    if (read.error) {
        return read.error;
    }
    TakeStored(read.settings);
    missingParameters = read.missingParameters;
    unreadableParameters = read.unreadableParameters;
    return std::nullopt;
}

void ProgramState::TakeStored(const StoredSettings& stored) {
    CurMarket = MarketFromNumber(stored.Select1);
    CurType = TypeFromNumber(stored.Select2);
    scheme = stored.scheme;
    parameters = stored.parameters;
    feeModelProblems = stored.feeModel.problems;
    feeModel = stored.feeModel.settings;
    if (!feeModelProblems.empty()) {
        feeModel.model = FeeModel::Classic;
    }
}

void ProgramState::LoadCurrentRates() {
    if (CurType) {
        rates = CurrentRates(parameters, CurMarket, *CurType);
    }
}

std::optional<FeeRules> ProgramState::feeRules() const {
    const ClassicRates classic{rates, CurMarket, parameters.SettlementCap()};
    if (!CurMarket || !CurType) {
        return FeeRules(classic);
    }
    return TradeFeeRules(feeModel, classic, *CurMarket, *CurType, tradeDate);
}

std::optional<SettingsMessage> ProgramState::SaveSelection() const {
    return ym::SaveSelection(settingsPath, StoredNumber(CurMarket), StoredNumber(CurType));
}

} // namespace ym
