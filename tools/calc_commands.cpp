#include "tools/calc_commands.h"

#include "core/entry_rules.h"
#include "core/exrights.h"
#include "core/fee_model.h"
#include "core/fee_parameters.h"
#include "core/number_text.h"
#include "core/program_state.h"
#include "core/result_rows.h"
#include "core/settings_file.h"
#include "core/trade.h"
#include "tools/calc_settings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>
#include <utility>

namespace ym::calc {

namespace {

namespace fs = std::filesystem;

constexpr FieldSpec kBuyField{"买入价格", "--buy", kPriceFieldLength, true};
constexpr FieldSpec kSellField{"卖出价格", "--sell", kPriceFieldLength, true};
constexpr FieldSpec kQuantityField{"买卖数量", "--qty", kQuantityFieldLength, false};

constexpr FieldSpec kBeforeField{"送配前股价", "--before", kExRightsPriceEntry.maxLength, true};
constexpr FieldSpec kAfterField{"送配后股价", "--after", kExRightsPriceEntry.maxLength, true};
constexpr FieldSpec kBonusField{"10送(股)", "--bonus", kBonusEntry.maxLength, true};
constexpr FieldSpec kRightsField{"10配(股)", "--rights", kRightsEntry.maxLength, true};
constexpr FieldSpec kRightsPriceField{"配股价(元)", "--rights-price", kRightsPriceEntry.maxLength,
                                      true};
constexpr FieldSpec kCashField{"10送(元)", "--cash", kCashEntry.maxLength, true};

std::string FileMessage(const fs::path& file, SettingsMessage message) {
    return std::string(kProgramName) + ": " + file.string() + ":" +
           std::string(MessageText(message));
}

} // namespace

// Types the value, then commits it as Enter does. Enter moves the focus on, and leaving
// the field reads the text it now shows, so a rewritten price counts as shown
// (1.23456 is stored as 1.2346 once the focus has moved on).
std::optional<std::string> EnterField(const FieldSpec& field,
                                      const std::optional<std::string>& given, const Commit& commit,
                                      EnteredValue& entered) {
    if (!given) {
        return std::nullopt;
    }
    auto typed = TypeIntoField(field, *given);
    if (typed.index() == 1) {
        return std::get<1>(std::move(typed));
    }
    std::string text = std::get<0>(std::move(typed));
    const FieldCommit first = commit(text);
    if (first.refused) {
        return FieldMessage(field, kBuyPriceLimitMessage);
    }
    entered.value = first.value;
    if (first.newText) {
        text = *first.newText;
        const FieldCommit second = commit(text);
        if (!second.refused) {
            entered.value = second.value;
        }
    }
    entered.empty = text.empty();
    return std::nullopt;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (ec != std::errc()) {
        return "null";
    }
    return std::string(buffer.data(), end);
}

std::optional<TradeContext> ResolveTrade(const TradeOptions& options, std::ostream& err,
                                         int& status) {
    const std::string prefix = std::string(kProgramName) + ": ";
    status = kExitBadInput;
    CalcSettings settings;
    if (auto message = LoadSettings(options.ini, settings, err)) {
        err << *message << '\n';
        status = kExitFileError;
        return std::nullopt;
    }
    ProgramState& state = settings.state;
    if (options.market) {
        state.market = ParseMarket(*options.market);
    } else if (!state.market) {
        if (settings.fromFile) {
            err << prefix << "note: the settings file stores no market; using "
                << MarketName(kDefaultMarket) << '\n';
        }
        state.market = kDefaultMarket;
    }
    if (options.type) {
        state.type = ParseType(*options.type);
    } else if (!state.type) {
        if (settings.fromFile) {
            err << prefix << "note: the settings file stores no security type; using "
                << TypeName(kDefaultType) << '\n';
        }
        state.type = kDefaultType;
    }
    if (auto message = ApplyRuleOptions(options.rule, settings.model,
                                        TradeCurrency(*state.market, *state.type))) {
        err << prefix << *message << '\n';
        return std::nullopt;
    }
    if (options.date && settings.model.model == FeeModel::Classic) {
        err << prefix
            << "--date belongs to the official rules: the settings file chooses the "
               "classic parameters\n";
        return std::nullopt;
    }
    const Date date = options.date ? *ParseDate(*options.date) : Today();
    const std::optional<FeeRules> rules =
        FeeRulesFor(state.parameters, settings.model, state.market, *state.type, date);
    if (!rules) {
        err << prefix << kNoRulesMessage << '\n';
        return std::nullopt;
    }

    return TradeContext{*rules, *state.market, *state.type};
}

void WriteTradeFields(const TradeResult& result, std::ostream& out) {
    for (const auto& [name, member] : kTradeRecordFields) {
        out << "  \"" << name << "\": " << JsonNumber(result.*member) << ",\n";
    }
    out << "  \"BreakEvenPrice\": "
        << (result.breakEvenPrice ? JsonNumber(*result.breakEvenPrice) : "null") << "\n";
}

int RunTrade(const TradeOptions& options, std::ostream& out, std::ostream& err) {
    const std::string prefix = std::string(kProgramName) + ": ";
    EnteredValue buy;
    EnteredValue sell;
    EnteredValue quantity;
    for (auto [field, given, commit, entered] :
         {std::tuple{&kBuyField, &options.buy, &CommitBuyPrice, &buy},
          std::tuple{&kSellField, &options.sell, &CommitSellPrice, &sell},
          std::tuple{&kQuantityField, &options.qty, &CommitQuantity, &quantity}}) {
        if (auto message = EnterField(*field, *given, commit, *entered)) {
            err << prefix << *message << '\n';
            return kExitBadInput;
        }
    }

    int status = kExitOk;
    const std::optional<TradeContext> context = ResolveTrade(options, err, status);
    if (!context) {
        return status;
    }
    TradeInput input;
    input.buyPrice = buy.value;
    input.sellPrice = sell.value;
    input.quantity = quantity.value;
    input.buyFieldEmpty = buy.empty;
    input.sellFieldEmpty = sell.empty;
    const TradeResult result = ComputeTrade(context->rules, input);

    if (options.json) {
        out << "{\n";
        WriteTradeFields(result, out);
        out << "}\n";
        return kExitOk;
    }
    for (const ResultRow& row : PanelRows(PanelForType(context->type), result)) {
        out << row.caption << '\t' << row.value << '\n';
    }
    return kExitOk;
}

int RunExRights(const ExRightsOptions& options, std::ostream& out, std::ostream& err) {
    const std::string prefix = std::string(kProgramName) + ": ";
    const bool forward = options.before.has_value();
    EnteredValue price;
    EnteredValue bonus;
    EnteredValue rights;
    EnteredValue rightsPrice;
    EnteredValue cash;
    for (auto [field, given, entry, entered] :
         {std::tuple{forward ? &kBeforeField : &kAfterField,
                     forward ? &options.before : &options.after, &kExRightsPriceEntry, &price},
          std::tuple{&kBonusField, &options.bonus, &kBonusEntry, &bonus},
          std::tuple{&kRightsField, &options.rights, &kRightsEntry, &rights},
          std::tuple{&kRightsPriceField, &options.rightsPrice, &kRightsPriceEntry, &rightsPrice},
          std::tuple{&kCashField, &options.cash, &kCashEntry, &cash}}) {
        const Commit commit = [entry = *entry](std::string_view text) {
            return CommitExRightsEntry(entry, text);
        };
        if (auto message = EnterField(*field, *given, commit, *entered)) {
            err << prefix << *message << '\n';
            return kExitBadInput;
        }
    }

    ExRightsCalculator calculator;
    calculator.plan.withBonus = options.bonus.has_value();
    calculator.plan.withRights = options.rights.has_value();
    calculator.plan.withCash = options.cash.has_value();
    calculator.plan.bonusPer10 = bonus.value;
    calculator.plan.rightsPer10 = rights.value;
    calculator.plan.rightsPrice = rightsPrice.value;
    calculator.plan.cashPer10 = cash.value;
    calculator.direction =
        forward ? ExRightsDirection::BeforeToAfter : ExRightsDirection::AfterToBefore;
    if (forward) {
        calculator.priceBefore = price.value;
    } else {
        calculator.priceAfter = price.value;
    }
    const double result = calculator.Compute();

    if (options.json) {
        out << "{\"" << (forward ? "PriceAfter" : "PriceBefore") << "\": " << JsonNumber(result)
            << "}\n";
    } else {
        out << FormatMask(result, kExRightsMask) << '\n';
    }
    return kExitOk;
}

int RunInit(std::ostream& out, std::ostream& err) {
    const fs::path file = SettingsPathInCurrentDirectory();
    std::error_code ec;
    const bool present = fs::is_regular_file(file, ec);
    if (auto message = EnsureSettingsFile(file)) {
        err << FileMessage(file, *message) << '\n';
        return kExitFileError;
    }
    // Say "created" only of a file that is there to be read.
    if (!present && !fs::is_regular_file(file, ec)) {
        err << FileMessage(file, SettingsMessage::CreateShanghai) << '\n';
        return kExitFileError;
    }
    if (present) {
        out << "left the existing settings file " << file.string() << " unchanged\n";
    } else {
        out << "created the default settings file " << file.string() << '\n';
    }
    return kExitOk;
}

} // namespace ym::calc
