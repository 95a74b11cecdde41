#include "core/fee_model_file.h"

#include "core/number_text.h"
#include "core/profile_file.h"
#include "core/text_codec.h"

#include <array>
#include <optional>

namespace ym {

namespace {

constexpr std::size_t kValueBuffer = 256;

constexpr std::string_view kModelKey = "Model";
constexpr std::array<std::string_view, 2> kModelWords{"classic", "official"};

using Check = std::optional<std::string> (*)(double);

struct NumberKey {
    std::string_view key;
    double BrokerTerms::*member;
    Check check;
};

constexpr std::array<NumberKey, 4> kNumberKeys{{
    {"CommissionRate", &BrokerTerms::commissionRate, &CommissionRateProblem},
    {"MinCommission", &BrokerTerms::minimumYuan, &MinimumProblem},
    {"MinCommissionUSD", &BrokerTerms::minimumUsDollar, &MinimumProblem},
    {"MinCommissionHKD", &BrokerTerms::minimumHkDollar, &MinimumProblem},
}};

struct FlagKey {
    std::string_view key;
    bool BrokerTerms::*member;
};

constexpr std::array<FlagKey, 2> kFlagKeys{{
    {"NoMinimum", &BrokerTerms::minimumWaived},
    {"IncludesFees", &BrokerTerms::includesExchangeFees},
}};

// The value of a key, or nullopt when the key is missing or empty.
std::optional<std::string> Read(const profile::Profile& file, std::string_view key) {
    // A default no value can equal: the profile functions trim values, so a line break
    // never survives in one.
    constexpr std::string_view kMissing = "\n";
    std::string value = file.ReadString(kSectionFeeRules, key, kMissing, kValueBuffer);
    if (value == kMissing || value.empty()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

FeeModelRead ReadFeeModel(const std::filesystem::path& file) {
    if (const std::optional<profile::Profile> profile = profile::Profile::Load(file)) {
        return ReadFeeModel(*profile);
    }
    FeeModelRead read;
    read.unreadable = true;
    return read;
}

FeeModelRead ReadFeeModel(const profile::Profile& file) {
    FeeModelRead read;
    const std::optional<std::string> model = Read(file, kModelKey);
    if (!model) {
        return read;
    }
    read.present = true;
    const std::string word = text::AsciiLower(*model);
    if (word == kModelWords[1]) {
        read.settings.model = FeeModel::Official;
    } else if (word != kModelWords[0]) {
        read.problems.push_back(std::string(kModelKey) + "=" + *model +
                                ": 不是计费模型 (classic 或 official)");
    }
    BrokerTerms& terms = read.settings.terms;
    for (const NumberKey& k : kNumberKeys) {
        const std::optional<std::string> text = Read(file, k.key);
        if (!text) {
            continue;
        }
        const std::optional<double> value = IsNumeric(*text) ? TryVal(*text) : std::nullopt;
        std::optional<std::string> problem =
            value ? k.check(*value) : std::optional<std::string>("不是数字");
        if (problem) {
            read.problems.push_back(std::string(k.key) + "=" + *text + ": " + *problem);
        } else {
            terms.*k.member = *value;
        }
    }
    for (const FlagKey& k : kFlagKeys) {
        if (const std::optional<std::string> text = Read(file, k.key)) {
            if (*text == "0" || *text == "1") {
                terms.*k.member = *text == "1";
            } else {
                read.problems.push_back(std::string(k.key) + "=" + *text + ": 应为 0 或 1");
            }
        }
    }
    return read;
}

std::vector<std::string> FeeModelLines(const FeeModelSettings& settings) {
    std::vector<std::string> lines;
    lines.push_back(std::string(kModelKey) + "=" +
                    std::string(kModelWords[settings.model == FeeModel::Official ? 1 : 0]));
    for (const NumberKey& k : kNumberKeys) {
        lines.push_back(std::string(k.key) + "=" + Str(settings.terms.*k.member));
    }
    for (const FlagKey& k : kFlagKeys) {
        lines.push_back(std::string(k.key) + "=" + (settings.terms.*k.member ? "1" : "0"));
    }
    return lines;
}

bool WritesFeeModel(const profile::Profile& file, const FeeModelSettings& settings) {
    return settings.model == FeeModel::Official || ReadFeeModel(file).present;
}

} // namespace ym
