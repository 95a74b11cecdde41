#include "core/settings_file.h"
#include "core/atomic_file.h"

#include "core/number_text.h"
#include "core/profile_file.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace ym {
namespace {

constexpr std::string_view kReadDefault = "-1";
constexpr std::size_t kReadBufferSize = 255;
// A default no value can equal: a value never holds a line break.
constexpr std::string_view kAbsent = "\n";

// A missing or unusable selection or scheme number falls back to what a new file holds.
constexpr std::int16_t kDefaultSelect1 = 2;
constexpr std::int16_t kDefaultSelect2 = 1;
constexpr std::int16_t kDefaultColor = 0;

std::string NumberedKey(std::string_view stem, std::size_t number) {
    return std::string(stem) + std::to_string(number);
}

// "&H" hex as the old runtime reads it: four digits or fewer without a trailing "&" would
// come back as a signed 16-bit number ("&HFFFF" is -1), so short values carry the "&".
std::string HexColorText(ColorRef c) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%" PRIX32, static_cast<std::uint32_t>(c));
    std::string text = "&H" + std::string(digits);
    if (std::string_view(digits).size() <= 4) {
        text += '&';
    }
    return text;
}

std::vector<std::string> DefaultParameterLines(bool shanghai) {
    std::vector<std::string> lines;
    const std::size_t count = shanghai ? kShanghaiParameterCount : kShenzhenParameterCount;
    for (std::size_t i = 0; i < count; ++i) {
        const ParameterInfo& info = kParameters[i];
        lines.push_back(NumberedKey(shanghai ? "A" : "B", i + 1) + "=" +
                        std::string(shanghai ? info.shanghaiDefault : info.shenzhenDefault));
    }
    return lines;
}

std::vector<std::string> DefaultShowColorLines() {
    std::vector<std::string> lines{"Color= 0"};
    for (std::size_t k = 0; k < kPresetSchemes[0].size(); ++k) {
        lines.push_back(NumberedKey("SColor", k + 1) + "=" + HexColorText(kPresetSchemes[0][k]));
    }
    return lines;
}

struct DefaultSection {
    std::string_view name;
    std::vector<std::string> lines;
    SettingsMessage failure;
};

std::vector<DefaultSection> DefaultSections() {
    return {
        {kSectionShanghai, DefaultParameterLines(true), SettingsMessage::CreateShanghai},
        {kSectionShenzhen, DefaultParameterLines(false), SettingsMessage::CreateShenzhen},
        {kSectionSelect,
         {"Select1=" + std::to_string(NumberOf(kDefaultMarket)),
          "Select2=" + std::to_string(NumberOf(kDefaultType))},
         SettingsMessage::CreateSelect},
        {kSectionShowColor, DefaultShowColorLines(), SettingsMessage::CreateShowColor},
    };
}

std::string SectionBytes(const DefaultSection& s) {
    std::string bytes = "[" + std::string(s.name) + "]\r\n";
    for (const std::string& l : s.lines) {
        bytes += l + "\r\n";
    }
    return bytes;
}

// One item of the settings dialog's save, in the order of writing: A1..A27, B1..B28, the
// "SHOWCOLOR" section rewritten whole with its Color line, SColor1..10 for the custom
// scheme only (a preset scheme thus leaves no SColor key in the file), then the fee
// model's section rewritten whole when it is to be written at all.
struct SaveItem {
    std::string_view section;
    std::string key;   // the key written; for a whole section, its last key
    std::string value; // the value of a single key
    // Not empty: the section is rewritten whole with these lines.
    std::vector<std::string> sectionLines;
    SettingsMessage failure;
};

SaveItem KeyItem(std::string_view section, std::string key, std::string value,
                 SettingsMessage failure) {
    return {section, std::move(key), std::move(value), {}, failure};
}

SaveItem SectionItem(std::string_view section, std::vector<std::string> lines,
                     SettingsMessage failure) {
    const std::string& last = lines.back();
    return {section, last.substr(0, last.find('=')), {}, std::move(lines), failure};
}

// The two Chinese section names as a file spells them: GBK bytes in a GBK file, UTF-8 in
// every other (whose text the profile hands over as UTF-8).
struct MarketSections {
    std::string_view shanghai;
    std::string_view shenzhen;
};

MarketSections SectionsOf(const profile::Profile& file) {
    if (file.encoding() == profile::Encoding::Gbk) {
        return {kSectionShanghai, kSectionShenzhen};
    }
    return {"\xE4\xB8\x8A\xE6\xB5\xB7", "\xE6\xB7\xB1\xE5\x9C\xB3"};
}

std::vector<SaveItem> SaveItems(const FeeParameters& parameters, const DisplayScheme& scheme,
                                MarketSections sections) {
    std::vector<SaveItem> items;
    for (std::size_t i = 0; i < kShanghaiParameterCount; ++i) {
        items.push_back(KeyItem(sections.shanghai, NumberedKey("A", i + 1),
                                Str(parameters.shanghai[i]), SettingsMessage::ChangeShanghai));
    }
    for (std::size_t i = 0; i < kShenzhenParameterCount; ++i) {
        items.push_back(KeyItem(sections.shenzhen, NumberedKey("B", i + 1),
                                Str(parameters.shenzhen[i]), SettingsMessage::ChangeShenzhen));
    }
    items.push_back(SectionItem(kSectionShowColor, {"Color=" + Str(scheme.schemeNumber)},
                                SettingsMessage::SaveShowColor));
    if (scheme.schemeNumber == kCustomScheme) {
        for (std::size_t k = 0; k < scheme.customColors.size(); ++k) {
            items.push_back(KeyItem(kSectionShowColor, NumberedKey("SColor", k + 1),
                                    Str(scheme.customColors[k]),
                                    SettingsMessage::ChangeCustomColor));
        }
    }
    return items;
}

std::optional<SettingsMessage> SaveItemsAtOnce(const std::filesystem::path& file,
                                               const FeeParameters& parameters,
                                               const DisplayScheme& scheme,
                                               const FeeModelSettings* model) {
    std::optional<profile::Profile> profile = profile::Profile::Load(file);
    if (!profile) {
        return SettingsMessage::ChangeShanghai;
    }
    std::vector<SaveItem> items = SaveItems(parameters, scheme, SectionsOf(*profile));
    if (model != nullptr && WritesFeeModel(*profile, *model)) {
        items.push_back(
            SectionItem(kSectionFeeRules, FeeModelLines(*model), SettingsMessage::SaveFeeRules));
    }
    for (const SaveItem& item : items) {
        const bool applied = item.sectionLines.empty()
                                 ? profile->WriteKey(item.section, item.key, item.value)
                                 : profile->WriteSection(item.section, item.sectionLines);
        if (!applied) {
            return item.failure;
        }
    }
    const files::Replacement r = files::ReplaceFileAtomically(file, profile->Bytes());
    if (r.done) {
        return std::nullopt;
    }
    // Nothing was saved. The message names the first item, in the order of writing, whose
    // line was not written in full; that is A1 when the file could not be written at all.
    for (const SaveItem& item : items) {
        const std::optional<std::size_t> end = profile->EntryEnd(item.section, item.key);
        if (!end || *end > r.written) {
            return item.failure;
        }
    }
    return items.front().failure;
}

// One read as start-up does it: default "-1", a 255-byte buffer.
std::string ReadValue(const profile::Profile& file, std::string_view section,
                      std::string_view key) {
    return file.ReadString(section, key, kReadDefault, kReadBufferSize);
}

// A number that the 16-bit field cannot hold (or no representable number at all) takes
// the default instead of wrapping into some other market, type or scheme.
std::int16_t ToInt16Or(std::string_view text, std::int16_t fallback) {
    const std::optional<double> v = TryVal(text);
    if (!v) {
        return fallback;
    }
    return ToInt16(*v).value_or(fallback);
}

// A stored colour that is no colour reference at all (the "-1" of a missing key, a
// number beyond 32 bits, stray upper bits) takes that slot of the default scheme.
ColorRef ToColorOr(std::string_view text, ColorRef fallback) {
    const std::optional<double> v = TryVal(text);
    if (!v) {
        return fallback;
    }
    const std::optional<std::int32_t> c = ToInt32(*v);
    if (!c || !IsValidColorRef(*c)) {
        return fallback;
    }
    return *c;
}

// A fee parameter as start-up reads it; a key that is missing (read as -1) or holds a
// number no double can take (read as 0) is noted.
double ReadParameter(const profile::Profile& file, std::string_view section, const std::string& key,
                     SettingsRead& read) {
    const std::string text = file.ReadString(section, key, kAbsent, kReadBufferSize);
    if (text == kAbsent) {
        read.missingParameters.push_back(key);
        return Val(kReadDefault);
    }
    if (!TryVal(text)) {
        read.unreadableParameters.push_back(key);
    }
    return Val(text);
}

SettingsRead Failed(SettingsMessage message) {
    SettingsRead r;
    r.error = message;
    return r;
}

} // namespace

std::string_view MessageText(SettingsMessage message) {
    switch (message) {
    case SettingsMessage::CreateShanghai:
        return "  ## Error creat shanghai!6002-1";
    case SettingsMessage::CreateShenzhen:
        return "  ## Error creat shengzhen!6002-2";
    case SettingsMessage::CreateSelect:
        return "  ## Error creat select!6002-3";
    case SettingsMessage::CreateShowColor:
        return "  ## Error creat ShowColor!6002-4";
    case SettingsMessage::ReadShanghai:
        return "  ## Error read shanghai!6003-1";
    case SettingsMessage::ReadShenzhen:
        return "  ## Error read shenzhen!6003-2";
    case SettingsMessage::ReadSelect1:
        return "  ## Error read select1!6003-3";
    case SettingsMessage::ReadSelect2:
        return "  ## Error read select2!6003-4";
    case SettingsMessage::ReadColor:
        return "  ## Error read SHOWCOLOR!6003-5";
    case SettingsMessage::ReadCustomColor:
        return "  ## Error read SHOWCOLOR!6003-5-1";
    case SettingsMessage::SaveSelect:
        return "  ## Error save select!6004";
    case SettingsMessage::ChangeShanghai:
        return "  ## Error change shanghai!6005";
    case SettingsMessage::ChangeShenzhen:
        return "  ## Error change shenzhen!6005";
    case SettingsMessage::SaveShowColor:
        return "  ## Error save showcolor!6005-5";
    case SettingsMessage::ChangeCustomColor:
        return "  ## Error change showcolor!6005-5-1";
    case SettingsMessage::SaveFeeRules:
        return "  ## Error save feerules!6005-6";
    }
    return {};
}

std::string SettingsPath(std::string_view currentDirectory, char separator) {
    std::string path(currentDirectory);
    if (path.empty() || path.back() != separator) {
        path += separator;
    }
    path += kSettingsFileName;
    return path;
}

std::filesystem::path SettingsPathInCurrentDirectory() {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec) {
        // No current directory to name: the bare file name still means "here".
        return std::filesystem::path(kSettingsFileName);
    }
    return std::filesystem::path(
        SettingsPath(cwd.string(), static_cast<char>(std::filesystem::path::preferred_separator)));
}

std::optional<SettingsMessage> EnsureSettingsFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec)) {
        return std::nullopt; // an existing file is never completed or repaired
    }
    // All four sections in one replacement, so that a failure leaves no file that a later
    // start would take for a complete one. Anything else of that name (a folder, a FIFO,
    // a device, a link to nothing) is no file to read, and it is not replaced either: the
    // write fails before its first section.
    const files::Replacement r = files::ReplaceFileAtomically(file, DefaultSettingsBytes());
    if (r.done) {
        return std::nullopt;
    }
    // The message names the first section that was not written in full.
    std::size_t end = 0;
    for (const DefaultSection& s : DefaultSections()) {
        end += SectionBytes(s).size();
        if (end > r.written) {
            return s.failure;
        }
    }
    return SettingsMessage::CreateShanghai;
}

std::string DefaultSettingsBytes() {
    std::string bytes;
    for (const DefaultSection& s : DefaultSections()) {
        bytes += SectionBytes(s);
    }
    return bytes;
}

SettingsRead ReadSettings(const std::filesystem::path& file) {
    // Every value comes from one reading of the file. When that fails, the first read of
    // the fixed order, Select1, is the one that fails.
    const std::optional<profile::Profile> profile = profile::Profile::Load(file);
    if (!profile) {
        return Failed(SettingsMessage::ReadSelect1);
    }
    SettingsRead result;
    StoredSettings& s = result.settings;

    // A missing Select or Color key reads "-1" and stays -1: the windows take that as
    // "nothing selected" and "no scheme". Only numbers beyond 16 bits fall back.
    s.Select1 = ToInt16Or(ReadValue(*profile, kSectionSelect, "Select1"), kDefaultSelect1);
    s.Select2 = ToInt16Or(ReadValue(*profile, kSectionSelect, "Select2"), kDefaultSelect2);
    s.scheme.schemeNumber =
        ToInt16Or(ReadValue(*profile, kSectionShowColor, "Color"), kDefaultColor);

    ColorTable fileColors{};
    if (s.scheme.schemeNumber == kCustomScheme) {
        for (std::size_t k = 0; k < fileColors.size(); ++k) {
            fileColors[k] =
                ToColorOr(ReadValue(*profile, kSectionShowColor, NumberedKey("SColor", k + 1)),
                          kPresetSchemes[0][k]);
        }
    }
    const MarketSections sections = SectionsOf(*profile);
    for (std::size_t i = 0; i < kShanghaiParameterCount; ++i) {
        s.parameters.shanghai[i] =
            ReadParameter(*profile, sections.shanghai, NumberedKey("A", i + 1), result);
    }
    for (std::size_t i = 0; i < kShenzhenParameterCount; ++i) {
        s.parameters.shenzhen[i] =
            ReadParameter(*profile, sections.shenzhen, NumberedKey("B", i + 1), result);
    }

    s.scheme.FillFromNumber(s.scheme.schemeNumber, fileColors);
    s.feeModel = ReadFeeModel(*profile);
    return result;
}

std::optional<SettingsMessage> SaveSelection(const std::filesystem::path& file, std::int16_t market,
                                             std::int16_t type) {
    const std::vector<std::string> lines{"Select1=" + Str(market), "Select2=" + Str(type)};
    if (!profile::WriteSection(file, kSectionSelect, lines)) {
        return SettingsMessage::SaveSelect;
    }
    return std::nullopt;
}

std::optional<SettingsMessage> SaveParameters(const std::filesystem::path& file,
                                              const FeeParameters& parameters,
                                              const DisplayScheme& scheme) {
    return SaveItemsAtOnce(file, parameters, scheme, nullptr);
}

std::optional<SettingsMessage> SaveParameters(const std::filesystem::path& file,
                                              const FeeParameters& parameters,
                                              const DisplayScheme& scheme,
                                              const FeeModelSettings& model) {
    return SaveItemsAtOnce(file, parameters, scheme, &model);
}

namespace {

// "A1, A2, A3, A5" as "A1-A3, A5": a damaged file often lacks a whole section.
std::string KeyRanges(const std::vector<std::string>& keys) {
    struct Key {
        std::string stem;
        int number;
    };
    auto split = [](const std::string& key) {
        const std::size_t digits = key.find_first_of("0123456789");
        return Key{key.substr(0, digits),
                   digits == std::string::npos ? 0 : std::atoi(key.c_str() + digits)};
    };
    std::string text;
    for (std::size_t i = 0; i < keys.size();) {
        const Key first = split(keys[i]);
        std::size_t j = i + 1;
        while (j < keys.size()) {
            const Key next = split(keys[j]);
            if (next.stem != first.stem || next.number != first.number + int(j - i)) {
                break;
            }
            ++j;
        }
        text += (text.empty() ? "" : ", ") + keys[i];
        if (j - i > 1) {
            text += (j - i > 2 ? "-" : ", ") + keys[j - 1];
        }
        i = j;
    }
    return text;
}

} // namespace

std::string ParameterProblemsNotice(const std::vector<std::string>& missing,
                                    const std::vector<std::string>& unreadable) {
    std::string text;
    if (!missing.empty()) {
        text += "  ** 设置文件中缺少费率参数 " + KeyRanges(missing) + ",现按 -1 计算.\n";
    }
    if (!unreadable.empty()) {
        text += "  ** 设置文件中无法读取费率参数 " + KeyRanges(unreadable) + ",现按 0 计算.\n";
    }
    if (!text.empty()) {
        text += "  ** 请在\"参数设置\"(F5)中改正并存储.";
    }
    return text;
}

} // namespace ym
