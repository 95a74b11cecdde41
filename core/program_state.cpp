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
    market = MarketFromNumber(stored.Select1);
    type = TypeFromNumber(stored.Select2);
    scheme = stored.scheme;
    parameters = stored.parameters;
    feeModelProblems = stored.feeModel.problems;
    feeModel = stored.feeModel.settings;
    if (!feeModelProblems.empty()) {
        feeModel.model = FeeModel::Classic;
    }
}

void ProgramState::LoadCurrentRates() {
    if (type) {
        rates = CurrentRates(parameters, market, *type);
    }
}

std::optional<FeeRules> ProgramState::feeRules() const {
    const ClassicRates classic{rates, market, parameters.SettlementCap()};
    if (!market || !type) {
        return FeeRules(classic);
    }
    return TradeFeeRules(feeModel, classic, *market, *type, tradeDate);
}

std::optional<SettingsMessage> ProgramState::SaveSelection() const {
    return ym::SaveSelection(settingsPath, StoredNumber(market), StoredNumber(type));
}

} // namespace ym
