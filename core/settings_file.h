// The settings file "Yuanmate5.ini": its place, its default content, the fixed order in
// which start-up reads it, the writers of the selection and the parameters, and the
// messages of every failure. Nothing here shows a message or ends the program: callers
// receive the message and do both.
#pragma once

#include "core/display_scheme.h"
#include "core/fee_model_file.h"
#include "core/fee_parameters.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ym {

inline constexpr std::string_view kSettingsFileName = "Yuanmate5.ini";

// Section names as stored (GBK bytes).
inline constexpr std::string_view kSectionShanghai = "\xC9\xCF\xBA\xA3"; // 上海
inline constexpr std::string_view kSectionShenzhen = "\xC9\xEE\xDB\xDA"; // 深圳
inline constexpr std::string_view kSectionSelect = "Select";
inline constexpr std::string_view kSectionShowColor = "SHOWCOLOR";

enum class SettingsMessage {
    CreateShanghai,    // 6002-1
    CreateShenzhen,    // 6002-2
    CreateSelect,      // 6002-3
    CreateShowColor,   // 6002-4
    ReadShanghai,      // 6003-1
    ReadShenzhen,      // 6003-2
    ReadSelect1,       // 6003-3
    ReadSelect2,       // 6003-4
    ReadColor,         // 6003-5
    ReadCustomColor,   // 6003-5-1
    SaveSelect,        // 6004
    ChangeShanghai,    // 6005
    ChangeShenzhen,    // 6005
    SaveShowColor,     // 6005-5
    ChangeCustomColor, // 6005-5-1
    SaveFeeRules       // 6005-6
};

// The exact text of a message ("  ## Error creat shanghai!6002-1"); shown titled "警告".
std::string_view MessageText(SettingsMessage message);
inline constexpr std::string_view kWarningTitle = "警告";
inline constexpr std::string_view kNoticeTitle = "提示";

// The current directory, the separator unless it already ends with one, the file name.
std::string SettingsPath(std::string_view currentDirectory, char separator);
// The same for this platform ('/' here, '\' on Windows) and the process's directory.
std::filesystem::path SettingsPathInCurrentDirectory();

// Creates the file with its four default sections, in one atomic write, when there is no
// regular file of that name (a link to one counts as one). On failure no file is left and
// the message names the first section not written in full; anything else of that name (a
// folder, a FIFO, a device) is left alone and gives CreateShanghai.
std::optional<SettingsMessage> EnsureSettingsFile(const std::filesystem::path& file);
// The exact bytes of a new settings file.
std::string DefaultSettingsBytes();

// Everything start-up takes from the file.
struct StoredSettings {
    std::int16_t Select1 = 0;
    std::int16_t Select2 = 0;
    DisplayScheme scheme;
    FeeParameters parameters;
    // The fee model's section, from the same reading (never `unreadable` here).
    FeeModelRead feeModel;
};

struct SettingsRead {
    StoredSettings settings;
    std::optional<SettingsMessage> error; // set: the values read are to be dropped
    // Fee parameter keys ("A1" .. "B28", in that order) that the file lacks, read as -1,
    // and those whose number no double can take ("1e400", "&H" and 20 digits), read as 0,
    // for start-up to tell the user once; the values stay as read.
    std::vector<std::string> missingParameters;
    std::vector<std::string> unreadableParameters;
};

// The notice start-up shows once when fee parameters are missing or unreadable: which
// keys (runs of numbers as ranges, "A1-A27"), what they count as, and that the settings
// dialog can fix them. Empty when both lists are.
std::string ParameterProblemsNotice(const std::vector<std::string>& missing,
                                    const std::vector<std::string>& unreadable);

// Reads the file once and takes, in the fixed order, Select1, Select2, Color,
// SColor1..10 (Color 4 only), A1..A27, B1..B28, then fills the colour tables from the
// scheme number, and takes the fee model's section from the same reading. A file that
// cannot be read (no read permission, not a regular file, more than files::kMaxFileSize
// bytes) fails on the first of them: ReadSelect1. A file in UTF-8 or UTF-16 is read by the
// UTF-8 spelling of its section names, and its writers keep it in its encoding.
SettingsRead ReadSettings(const std::filesystem::path& file);

// The exit action's write of the "Select" section, one atomic write like every other.
std::optional<SettingsMessage> SaveSelection(const std::filesystem::path& file, std::int16_t market,
                                             std::int16_t type);

// The settings dialog's confirmation in one atomic write, whose bytes are those of writing
// A1..A27 and B1..B28 key by key, then "SHOWCOLOR" whole with Color, then SColor1..10 key
// by key when the scheme is custom. On failure the file is left as it was, and the message
// names the first of these items not written in full: ChangeShanghai when the file could
// not be written at all.
std::optional<SettingsMessage> SaveParameters(const std::filesystem::path& file,
                                              const FeeParameters& parameters,
                                              const DisplayScheme& scheme);
// The same, with the fee model's section last in the same write: it is written whole
// (SaveFeeRules when it is not written in full) when `model` is official or the file has
// the section already, so the file of a user who never chose the official model keeps the
// bytes the save above gives it.
std::optional<SettingsMessage> SaveParameters(const std::filesystem::path& file,
                                              const FeeParameters& parameters,
                                              const DisplayScheme& scheme,
                                              const FeeModelSettings& model);

} // namespace ym
