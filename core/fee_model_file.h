// The fee model's section of the settings file. It is written only once a user chooses the
// official model, so a file without it reads as the classic model and keeps its bytes;
// older programs skip a section they do not know. Its format (ASCII):
//
//   [FEERULES]
//   Model=official           "classic" or "official"
//   CommissionRate= .00025   numbers in the file's own form: a blank when not negative,
//   MinCommission= 5           no zero before the point; the minimum per trade in yuan,
//   MinCommissionUSD= 1        in US dollars (Shanghai B shares)
//   MinCommissionHKD= 5        and in Hong Kong dollars (Shenzhen B shares)
//   NoMinimum=0              1: the minimum is waived ("免五")
//   IncludesFees=0           1: the rate includes the handling and regulatory fees
//
// Only the public profile functions touch the file.
#pragma once

#include "core/fee_model.h"
#include "core/profile_file.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ym {

inline constexpr std::string_view kSectionFeeRules = "FEERULES";

struct FeeModelRead {
    FeeModelSettings settings;
    bool present = false;    // the file has the section
    bool unreadable = false; // the file exists but could not be read; settings are defaults
    // One line per value that was not admissible and was replaced by its default.
    std::vector<std::string> problems;
};

FeeModelRead ReadFeeModel(const std::filesystem::path& file);
// The same from a file already parsed, so that start-up reads the file once.
FeeModelRead ReadFeeModel(const profile::Profile& file);

// The section's lines, "key=value" each, in the order above.
std::vector<std::string> FeeModelLines(const FeeModelSettings& settings);

// Whether a save writes the section: when the model is official, or when the file has the
// section already (a user going back to the classic model keeps their terms). The file of
// a user who never chose the official model keeps its bytes.
bool WritesFeeModel(const profile::Profile& file, const FeeModelSettings& settings);

} // namespace ym
