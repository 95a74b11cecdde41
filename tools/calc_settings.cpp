#include "tools/calc_settings.h"

#include "core/atomic_file.h"
#include "core/fee_model_file.h"
#include "core/number_text.h"
#include "core/profile_file.h"
#include "core/settings_file.h"

#include <ctime>
#include <filesystem>

namespace ym::calc {

namespace {

namespace fs = std::filesystem;

std::string FileMessage(const fs::path& file, SettingsMessage message) {
    return std::string(kProgramName) + ": " + file.string() + ":" +
           std::string(MessageText(message));
}

} // namespace

std::optional<std::string> LoadSettings(const std::optional<std::string>& ini,
                                        CalcSettings& settings, std::ostream& err) {
    ProgramState& state = settings.state;
    state.settingsPath = ini ? fs::path(*ini) : SettingsPathInCurrentDirectory();
    const files::FileState found = files::Inspect(state.settingsPath);
    if (found == files::FileState::Missing && !ini) {
        settings.fromFile = false;
        state.parameters = FeeParameters::Defaults();
        return std::nullopt;
    }
    // A FIFO, a folder or an oversized file where the settings file should be is as
    // unreadable as a file without read permission: say so rather than use other rates.
    if (found != files::FileState::Readable) {
        return FileMessage(state.settingsPath, SettingsMessage::ReadSelect1);
    }
    settings.fromFile = true;
    if (const auto message = state.Load()) {
        return FileMessage(state.settingsPath, *message);
    }
    // The fee model comes from the same reading; a section with a value that is not
    // admissible falls back to the classic model as a whole, as in the window.
    for (const std::string& problem : state.feeModelProblems) {
        err << kProgramName << ": note: " << state.settingsPath.string() << ": ["
            << kSectionFeeRules << "] " << problem << "; using the classic parameters\n";
    }
    settings.model = state.feeModel;
    return std::nullopt;
}

std::optional<std::string> ApplyRuleOptions(const RuleOptions& options, FeeModelSettings& model,
                                            std::optional<Currency> tradeCurrency) {
    if (options.rules) {
        model.model = *options.rules == "official" ? FeeModel::Official : FeeModel::Classic;
    }
    if (model.model == FeeModel::Classic) {
        if (options.GivesTerms()) {
            return std::string("the settings file chooses the classic parameters; the broker's "
                               "terms need --rules official");
        }
        return std::nullopt;
    }
    BrokerTerms& terms = model.terms;
    if (options.commission) {
        terms.commissionRate = Val(*options.commission);
    }
    if (options.minCommission) {
        const double minimum = Val(*options.minCommission);
        for (const Currency c : {Currency::Yuan, Currency::UsDollar, Currency::HongKongDollar}) {
            if (!tradeCurrency || *tradeCurrency == c) {
                terms.Minimum(c) = minimum;
            }
        }
        terms.minimumWaived = false;
    }
    if (options.noMinimum) {
        terms.minimumWaived = true;
    }
    if (options.includesFees) {
        terms.includesExchangeFees = *options.includesFees == "yes";
    }
    return std::nullopt;
}

Date Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

} // namespace ym::calc
