#include "tools/calc_options.h"

#include "core/entry_rules.h"
#include "core/fee_model.h"
#include "core/number_text.h"
#include "core/security_codes.h"
#include "core/text_codec.h"
#include "core/trade_date.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

namespace ym::calc {

namespace {

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    while (!text.empty()) {
        text.remove_prefix(text::DecodeUtf8(text).length);
        ++count;
    }
    return count;
}

// Removes the last character, as Backspace does with the caret at the end.
void RemoveLastCharacter(std::string& text) {
    std::size_t start = 0;
    std::size_t last = 0;
    std::string_view rest = text;
    while (!rest.empty()) {
        last = start;
        const std::size_t length = text::DecodeUtf8(rest).length;
        start += length;
        rest.remove_prefix(length);
    }
    text.erase(last);
}

// One option of a command: its name and where its value goes, or, for a flag, which
// switch it sets.
template <class Options> struct OptionSpec {
    std::string_view name;
    std::optional<std::string>* (*value)(Options&) = nullptr;
    bool* (*flag)(Options&) = nullptr;
};

template <class Options> using Slot = std::optional<std::string>* (*)(Options&);
template <class Options> using Flag = bool* (*)(Options&);

// The rule options, shared by trade and batch.
template <class Options> constexpr std::array<OptionSpec<Options>, 5> RuleOptionSpecs() {
    return {{
        {"--rules", Slot<Options>([](Options& o) { return &o.rule.rules; })},
        {"--commission", Slot<Options>([](Options& o) { return &o.rule.commission; })},
        {"--min-commission", Slot<Options>([](Options& o) { return &o.rule.minCommission; })},
        {"--no-minimum", nullptr, Flag<Options>([](Options& o) { return &o.rule.noMinimum; })},
        {"--commission-includes-fees",
         Slot<Options>([](Options& o) { return &o.rule.includesFees; })},
    }};
}

template <class Options, std::size_t N, std::size_t M>
constexpr std::array<OptionSpec<Options>, N + M> Join(const std::array<OptionSpec<Options>, N>& a,
                                                      const std::array<OptionSpec<Options>, M>& b) {
    std::array<OptionSpec<Options>, N + M> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = a[i];
    }
    for (std::size_t i = 0; i < M; ++i) {
        out[N + i] = b[i];
    }
    return out;
}

constexpr auto kTradeOptions =
    Join(std::array<OptionSpec<TradeOptions>, 8>{{
             {"--ini", [](TradeOptions& o) { return &o.ini; }},
             {"--market", [](TradeOptions& o) { return &o.market; }},
             {"--type", [](TradeOptions& o) { return &o.type; }},
             {"--buy", [](TradeOptions& o) { return &o.buy; }},
             {"--sell", [](TradeOptions& o) { return &o.sell; }},
             {"--qty", [](TradeOptions& o) { return &o.qty; }},
             {"--date", [](TradeOptions& o) { return &o.date; }},
             {"--json", nullptr, [](TradeOptions& o) { return &o.json; }},
         }},
         RuleOptionSpecs<TradeOptions>());

constexpr std::array<OptionSpec<ExRightsOptions>, 7> kExRightsOptions{{
    {"--before", [](ExRightsOptions& o) { return &o.before; }},
    {"--after", [](ExRightsOptions& o) { return &o.after; }},
    {"--bonus", [](ExRightsOptions& o) { return &o.bonus; }},
    {"--rights", [](ExRightsOptions& o) { return &o.rights; }},
    {"--rights-price", [](ExRightsOptions& o) { return &o.rightsPrice; }},
    {"--cash", [](ExRightsOptions& o) { return &o.cash; }},
    {"--json", nullptr, [](ExRightsOptions& o) { return &o.json; }},
}};

constexpr std::array<OptionSpec<RulesOptions>, 2> kRulesOptions{{
    {"--date", [](RulesOptions& o) { return &o.date; }},
    {"--json", nullptr, [](RulesOptions& o) { return &o.json; }},
}};

constexpr auto kBatchOptions =
    Join(std::array<OptionSpec<BatchOptions>, 3>{{
             {"--output", [](BatchOptions& o) { return &o.output; }},
             {"--ini", [](BatchOptions& o) { return &o.ini; }},
             {"--check", nullptr, [](BatchOptions& o) { return &o.check; }},
         }},
         RuleOptionSpecs<BatchOptions>());

template <std::size_t N> using PositionSpecs = std::array<OptionSpec<PositionOptions>, N>;
using PositionSlot = Slot<PositionOptions>;

constexpr auto kPositionCommon =
    Join(PositionSpecs<5>{{
             {"--ini", PositionSlot([](PositionOptions& o) { return &o.ini; })},
             {"--market", PositionSlot([](PositionOptions& o) { return &o.market; })},
             {"--type", PositionSlot([](PositionOptions& o) { return &o.type; })},
             {"--date", PositionSlot([](PositionOptions& o) { return &o.date; })},
             {"--json", nullptr, Flag<PositionOptions>([](PositionOptions& o) { return &o.json; })},
         }},
         RuleOptionSpecs<PositionOptions>());
constexpr OptionSpec<PositionOptions> kHeldOption{"--held",
                                                  [](PositionOptions& o) { return &o.held; }};
constexpr OptionSpec<PositionOptions> kCostOption{"--cost",
                                                  [](PositionOptions& o) { return &o.cost; }};
constexpr OptionSpec<PositionOptions> kBuyOption{"--buy",
                                                 [](PositionOptions& o) { return &o.buy; }};
constexpr OptionSpec<PositionOptions> kQtyOption{"--qty",
                                                 [](PositionOptions& o) { return &o.qty; }};
constexpr auto kTargetOptions = Join(
    kPositionCommon, PositionSpecs<4>{{kBuyOption,
                                       kQtyOption,
                                       {"--profit", [](PositionOptions& o) { return &o.profit; }},
                                       {"--yield", [](PositionOptions& o) { return &o.yield; }}}});
constexpr auto kAverageOptions = Join(
    kPositionCommon,
    PositionSpecs<5>{
        {kHeldOption, kCostOption, kBuyOption, kQtyOption, {"--to-cost", [](PositionOptions& o) {
                                                                return &o.toCost;
                                                            }}}});
constexpr auto kSwingOptions =
    Join(kPositionCommon,
         PositionSpecs<5>{
             {kHeldOption, kCostOption, kQtyOption, kBuyOption, {"--sell", [](PositionOptions& o) {
                                                                     return &o.sell;
                                                                 }}}});

constexpr std::array<OptionSpec<LimitsOptions>, 7> kLimitsOptions{{
    {"--close", [](LimitsOptions& o) { return &o.close; }},
    {"--code", [](LimitsOptions& o) { return &o.code; }},
    {"--board", [](LimitsOptions& o) { return &o.board; }},
    {"--market", [](LimitsOptions& o) { return &o.market; }},
    {"--date", [](LimitsOptions& o) { return &o.date; }},
    {"--no-limit-days", nullptr, [](LimitsOptions& o) { return &o.noLimitDays; }},
    {"--json", nullptr, [](LimitsOptions& o) { return &o.json; }},
}};

constexpr auto kStatementOptions = Join(
    std::array<OptionSpec<StatementOptions>, 7>{{
        {"--lines", [](StatementOptions& o) { return &o.lines; }},
        {"--ini", [](StatementOptions& o) { return &o.ini; }},
        {"--what-if-commission", [](StatementOptions& o) { return &o.whatIfCommission; }},
        {"--what-if-no-minimum", nullptr, [](StatementOptions& o) { return &o.whatIfNoMinimum; }},
        {"--what-if-includes-fees", [](StatementOptions& o) { return &o.whatIfIncludesFees; }},
        {"--json", nullptr, [](StatementOptions& o) { return &o.json; }},
        {"--check", nullptr, [](StatementOptions& o) { return &o.check; }},
    }},
    RuleOptionSpecs<StatementOptions>());

bool IsHelpWord(std::string_view arg) {
    return arg == "--help" || arg == "-h" || arg == "help";
}

const std::string kSeeHelp = " (see yuanmate-calc --help)";

// Reads the options of one command. Values come either attached ("--buy=10") or as the
// next argument; a next argument that is itself an option means the value is missing,
// since no field accepts a text beginning with "--". `positional`, when given, takes the
// one argument that is no option ("-" included); `positionals`, when given, every such
// argument.
template <class Options, std::size_t N>
std::optional<std::string>
ReadOptions(std::string_view command, std::span<const std::string_view> args,
            const std::array<OptionSpec<Options>, N>& known, Options& options,
            std::optional<std::string>* positional = nullptr,
            std::vector<std::string>* positionals = nullptr) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with("--") && positionals != nullptr) {
            positionals->emplace_back(arg);
            continue;
        }
        if (!arg.starts_with("--")) {
            if (positional == nullptr || positional->has_value()) {
                return "unexpected argument " + Quoted(arg) + " for " + std::string(command) +
                       kSeeHelp;
            }
            *positional = std::string(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const auto found =
            std::find_if(known.begin(), known.end(),
                         [&](const OptionSpec<Options>& s) { return s.name == name; });
        if (found == known.end()) {
            return "unknown option " + Quoted(name) + " for " + std::string(command) + kSeeHelp;
        }
        if (found->flag != nullptr) {
            if (equals != std::string_view::npos) {
                return std::string(name) + " takes no value";
            }
            bool* flag = found->flag(options);
            if (*flag) {
                return std::string(name) + " given twice";
            }
            *flag = true;
            continue;
        }
        std::string_view value;
        if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size() && !args[i + 1].starts_with("--")) {
            value = args[++i];
        } else {
            return std::string(name) + " needs a value";
        }
        std::optional<std::string>* slot = found->value(options);
        if (slot->has_value()) {
            return std::string(name) + " given twice";
        }
        *slot = std::string(value);
    }
    return std::nullopt;
}

// A value for a rate or amount field of the settings dialog: the whole text reads as one
// number, as the dialog's keystroke check demands.
std::optional<std::string> CheckTermsNumber(std::string_view option,
                                            const std::optional<std::string>& text,
                                            std::optional<std::string> (*problem)(double)) {
    if (!text) {
        return std::nullopt;
    }
    if (!IsNumeric(*text)) {
        return std::string(option) + ": " + Quoted(*text) + " is not a number";
    }
    if (auto why = problem(Val(*text))) {
        return std::string(option) + ": " + Quoted(*text) + ": " + *why;
    }
    return std::nullopt;
}

std::optional<std::string> CheckRuleOptions(const RuleOptions& rule) {
    if (rule.rules && *rule.rules != "classic" && *rule.rules != "official") {
        return "--rules: " + Quoted(*rule.rules) + " is neither classic nor official";
    }
    if (rule.rules == "classic" && rule.GivesTerms()) {
        return "the broker's terms (--commission, --min-commission, --no-minimum, "
               "--commission-includes-fees) belong to --rules official";
    }
    if (auto e = CheckTermsNumber("--commission", rule.commission, &CommissionRateProblem)) {
        return e;
    }
    if (auto e = CheckTermsNumber("--min-commission", rule.minCommission, &MinimumProblem)) {
        return e;
    }
    if (rule.noMinimum && rule.minCommission) {
        return "give either --min-commission or --no-minimum, not both";
    }
    if (rule.includesFees && *rule.includesFees != "yes" && *rule.includesFees != "no") {
        return "--commission-includes-fees: " + Quoted(*rule.includesFees) +
               " is neither yes nor no";
    }
    return std::nullopt;
}

std::optional<std::string> CheckDate(const std::optional<std::string>& date) {
    if (date && !ParseDate(*date)) {
        return "--date: " + Quoted(*date) + " is not a date (YYYY-MM-DD)";
    }
    return std::nullopt;
}

// The selection and fee model options trade, target, average and swing share.
std::optional<std::string> CheckTradeOptions(const TradeOptions& t) {
    if (t.market && !ParseMarket(*t.market)) {
        return "--market: " + Quoted(*t.market) +
               " is not a market (1 or sh for 沪市, 2 or sz for 深市)";
    }
    if (t.type && !ParseType(*t.type)) {
        return "--type: " + Quoted(*t.type) +
               " is not a security type (1..5, a, bond, fund, sif, b)";
    }
    if (auto e = CheckDate(t.date)) {
        return e;
    }
    if (t.date && t.rule.rules == "classic") {
        return "--date belongs to --rules official: the classic parameters have no date";
    }
    return CheckRuleOptions(t.rule);
}

// Which of a position command's values must be given, and which exclude each other.
std::optional<std::string> CheckPositionOptions(std::string_view command,
                                                const PositionOptions& p) {
    const auto needs = [&](const std::optional<std::string>& given, std::string_view option,
                           std::string_view what) -> std::optional<std::string> {
        if (given) {
            return std::nullopt;
        }
        return std::string(command) + " needs " + std::string(option) + " (" + std::string(what) +
               ")";
    };
    const auto eitherOr = [](const std::optional<std::string>& a, std::string_view aName,
                             const std::optional<std::string>& b,
                             std::string_view bName) -> std::optional<std::string> {
        if (a && b) {
            return "give either " + std::string(aName) + " or " + std::string(bName) + ", not both";
        }
        if (!a && !b) {
            return "give " + std::string(aName) + " or " + std::string(bName);
        }
        return std::nullopt;
    };
    std::optional<std::string> e;
    if (command == "target") {
        (e = needs(p.buy, "--buy", "the buy price")) ||
            (e = needs(p.qty, "--qty", "the quantity")) ||
            (e = eitherOr(p.profit, "--profit YUAN", p.yield, "--yield RATE"));
    } else {
        (e = needs(p.held, "--held", "the quantity held")) ||
            (e = needs(p.cost, "--cost", "its cost price"));
        if (!e && command == "average") {
            (e = needs(p.buy, "--buy", "the added price")) ||
                (e = eitherOr(p.qty, "--qty Q", p.toCost, "--to-cost C"));
        } else if (!e) {
            e = needs(p.qty, "--qty", "the swing quantity");
            if (!e && !p.sell && !p.buy) {
                e = "give the sell price --sell P, the buy-back price --buy P, or both";
            }
        }
    }
    for (const auto& [option, text] : {std::pair{"--profit", &p.profit}, {"--yield", &p.yield}}) {
        if (!e && *text && !(IsNumeric(**text) && std::isfinite(Val(**text)))) {
            e = std::string(option) + ": " + Quoted(**text) + " is not a number";
        }
    }
    return e ? e : CheckTradeOptions(p);
}

} // namespace

ParseOutcome ParseArguments(std::span<const std::string_view> args) {
    ParsedCommand parsed;
    if (args.empty()) {
        return std::string("no command given") + kSeeHelp;
    }
    if (IsHelpWord(args[0]) || std::find(args.begin(), args.end(), "--help") != args.end()) {
        parsed.command = Command::Help;
        return parsed;
    }
    const std::string_view command = args[0];
    const auto rest = args.subspan(1);
    std::optional<std::string> error;
    if (command == "trade") {
        parsed.command = Command::Trade;
        TradeOptions& t = parsed.trade;
        error = ReadOptions(command, rest, kTradeOptions, t);
        if (!error) {
            error = CheckTradeOptions(t);
        }
    } else if (command == "exrights") {
        parsed.command = Command::ExRights;
        error = ReadOptions(command, rest, kExRightsOptions, parsed.exrights);
        const ExRightsOptions& e = parsed.exrights;
        if (!error && e.before && e.after) {
            error = "give either --before or --after, not both";
        }
        if (!error && !e.before && !e.after) {
            error = "give the price to start from: --before P or --after P";
        }
        if (!error && e.rightsPrice && !e.rights) {
            error = "--rights-price needs --rights (the rights shares per 10)";
        }
    } else if (command == "rules") {
        parsed.command = Command::Rules;
        error = ReadOptions(command, rest, kRulesOptions, parsed.rules);
        if (!error) {
            error = CheckDate(parsed.rules.date);
        }
    } else if (command == "batch") {
        parsed.command = Command::Batch;
        BatchOptions& b = parsed.batch;
        error = ReadOptions(command, rest, kBatchOptions, b, &b.input);
        if (!error && !b.input) {
            error = "batch needs the statement file to read, or - for standard input";
        }
        if (!error) {
            error = CheckRuleOptions(b.rule);
        }
    } else if (command == "target" || command == "average" || command == "swing") {
        parsed.command = command == "target"    ? Command::Target
                         : command == "average" ? Command::Average
                                                : Command::Swing;
        PositionOptions& p = parsed.position;
        error = command == "target"    ? ReadOptions(command, rest, kTargetOptions, p)
                : command == "average" ? ReadOptions(command, rest, kAverageOptions, p)
                                       : ReadOptions(command, rest, kSwingOptions, p);
        if (!error) {
            error = CheckPositionOptions(command, p);
        }
    } else if (command == "statement") {
        parsed.command = Command::Statement;
        StatementOptions& st = parsed.statement;
        error = ReadOptions(command, rest, kStatementOptions, st, nullptr, &st.inputs);
        if (!error && st.inputs.empty()) {
            error = "statement needs the exported statement file(s) to read";
        }
        if (!error) {
            error = CheckRuleOptions(st.rule);
        }
        if (!error) {
            error = CheckTermsNumber("--what-if-commission", st.whatIfCommission,
                                     &CommissionRateProblem);
        }
        if (!error && st.whatIfIncludesFees && *st.whatIfIncludesFees != "yes" &&
            *st.whatIfIncludesFees != "no") {
            error = "--what-if-includes-fees: " + Quoted(*st.whatIfIncludesFees) +
                    " is neither yes nor no";
        }
    } else if (command == "limits") {
        parsed.command = Command::Limits;
        LimitsOptions& l = parsed.limits;
        error = ReadOptions(command, rest, kLimitsOptions, l);
        if (!error && !l.close) {
            error = "limits needs the previous close: --close P";
        }
        if (!error && !l.code && !l.board) {
            error = "limits needs --code CODE or --board main|st|chinext|star|bse|b|fund";
        }
        if (!error && l.board && !ParseBoard(*l.board)) {
            error = "--board: " + Quoted(*l.board) +
                    " is not a board (main, st, chinext, star, bse, b, fund)";
        }
        if (!error && l.market && !ParseMarket(*l.market)) {
            error = "--market: " + Quoted(*l.market) +
                    " is not a market (1 or sh for 沪市, 2 or sz for 深市)";
        }
        if (!error) {
            error = CheckDate(l.date);
        }
    } else if (command == "init") {
        parsed.command = Command::Init;
        if (!rest.empty()) {
            error = "init takes no arguments, got " + Quoted(rest[0]);
        }
    } else {
        error = "unknown command " + Quoted(command) + kSeeHelp;
    }
    if (error) {
        return *error;
    }
    return parsed;
}

std::string FieldMessage(const FieldSpec& field, std::string_view what) {
    return std::string(field.caption) + " (" + std::string(field.option) +
           "): " + std::string(what);
}

std::variant<std::string, std::string> TypeIntoField(const FieldSpec& field,
                                                     std::string_view input) {
    std::string text;
    std::string_view rest = input;
    while (!rest.empty()) {
        const text::Utf8Char ch = text::DecodeUtf8(rest);
        const std::string_view bytes = rest.substr(0, ch.length);
        rest.remove_prefix(ch.length);
        KeyVerdict verdict = KeyVerdict::Discard;
        if (ch.valid) {
            verdict = field.fraction ? FilterFractionKey(ch.code, text, text.size(), 0)
                                     : FilterWholeKey(ch.code);
        }
        // Enter inside a value would commit half of it; the rest could never be typed.
        if (verdict != KeyVerdict::Accept) {
            return std::variant<std::string, std::string>(
                std::in_place_index<1>,
                FieldMessage(field,
                             Quoted(input) + " holds a character the field does not accept"));
        }
        if (ch.code == static_cast<char32_t>(kBackspace)) {
            if (!text.empty()) {
                RemoveLastCharacter(text);
            }
            continue;
        }
        if (CharacterCount(text) >= field.maxLength) {
            return std::variant<std::string, std::string>(
                std::in_place_index<1>,
                FieldMessage(field, Quoted(input) + " is longer than the field's " +
                                        std::to_string(field.maxLength) + " characters"));
        }
        text.append(bytes);
    }
    return std::variant<std::string, std::string>(std::in_place_index<0>, std::move(text));
}

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    std::string_view rest = text;
    while (!rest.empty()) {
        const text::Utf8Char ch = text::DecodeUtf8(rest);
        const std::string_view bytes = rest.substr(0, ch.length);
        rest.remove_prefix(ch.length);
        if (!ch.valid || ch.code < 0x20 || ch.code == 0x7F || (ch.code >= 0x80 && ch.code < 0xA0)) {
            for (const char b : bytes) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(b));
                out += escaped;
            }
        } else if (ch.code == '"' || ch.code == '\\') {
            out += '\\';
            out.append(bytes);
        } else {
            out.append(bytes);
        }
    }
    out += '"';
    return out;
}

std::string UsageText() {
    // The field lengths are the ex-rights window's.
    const auto length = [](const ExRightsEntry& entry) { return std::to_string(entry.maxLength); };
    return std::string(R"(yuanmate-calc - the command-line companion of 交易小算盘 (Yuanmate V5.5)

Usage:
  yuanmate-calc trade [--ini FILE] [--market 1|2|sh|sz] [--type 1..5|a|bond|fund|sif|b]
                      [--buy TEXT] [--sell TEXT] [--qty TEXT] [--json]
                      [--rules classic|official] [--date YYYY-MM-DD] [BROKER TERMS]
  yuanmate-calc rules [--date YYYY-MM-DD] [--json]
  yuanmate-calc batch FILE|- [--output FILE] [--check] [--ini FILE]
                      [--rules classic|official] [BROKER TERMS]
  yuanmate-calc target --buy P --qty Q (--profit YUAN | --yield RATE) [TRADE OPTIONS]
  yuanmate-calc average --held Q --cost C --buy P (--qty Q | --to-cost C) [TRADE OPTIONS]
  yuanmate-calc swing --held Q --cost C --qty Q [--sell P] [--buy P] [TRADE OPTIONS]
  yuanmate-calc statement FILE... [--json] [--lines FILE.csv] [--check] [--ini FILE]
                      [--rules classic|official] [BROKER TERMS]
                      [--what-if-commission RATE] [--what-if-no-minimum]
                      [--what-if-includes-fees yes|no]
  yuanmate-calc exrights (--before P | --after P) [--bonus N] [--rights N [--rights-price P]]
                         [--cash C] [--json]
  yuanmate-calc limits --close P (--code CODE | --board B) [--market 1|2|sh|sz]
                       [--date YYYY-MM-DD] [--no-limit-days] [--json]
  yuanmate-calc init
  yuanmate-calc --help | help

trade
  Computes the fees, profit, yield, totals and break-even sell price of a trade, as the
  main window's calculate action does.
  --ini FILE     the settings file to take the fee parameters, the fee model and the
                 stored selection from; without it ./Yuanmate5.ini when present,
                 otherwise the defaults. The file is only read, never created or written.
  --market M     1 or sh: 沪市 (Shanghai); 2 or sz: 深市 (Shenzhen).
  --type T       1 or a: A 股; 2 or bond: 债券; 3 or fund: 基金;
                 4 or sif: 证券投资基金; 5 or b: B 股.
                 Market and type default to the file's stored selection; a stored value
                 outside 1..2 / 1..5 counts as none, and then 深市 and A 股 are used.
  --buy TEXT     买入价格: typed as into the field: digits and one decimal point, not
                 first, at most 7 characters; 1000000 or more is refused.
  --sell TEXT    卖出价格: as the buy price, without the limit.
  --qty TEXT     买卖数量: digits only, at most 9 characters.
                 A price or quantity left out is an empty field (0). A price with a
                 fraction counts as the field shows it after Enter: 1.23456 is 1.2346.
  --json         one JSON object with every result field by name (BuyAmount, SellAmount,
                 BuyCommission, ... , TotalReceived, BreakEvenPrice), numbers in shortest
                 round-trip form; BreakEvenPrice is null when no sell price breaks even.
  Without --json the rows of the result panel of the type are printed, one a line:
  the caption, a tab and the value as the panel shows it.

Fee rules (trade and batch)
  --rules classic    the nine rates of the settings file's parameters (经典参数).
  --rules official   the exchanges' official fees in force on the trade date (官方规则;
                     see the rules command) with the broker's terms below; each fee is
                     rounded to the fen half up, as a statement shows it.
                 Without --rules, the settings file's choice ([FEERULES]); classic when
                 it has none.
  --date D       trade: the trade date of the official rules, YYYY-MM-DD; today when
                 left out. Dates before 2015-08-01 have no official rules.
  BROKER TERMS (official rules; each replaces the settings file's term):
  --commission RATE       the commission rate, 0 to 0.003 (the legal cap), e.g. 0.00025;
                          typed as into a rate field of the settings dialog.
  --min-commission M      the minimum commission per trade in the trade's currency
                          (defaults: 5 yuan, 1 US dollar 沪市 B 股, 5 HK dollars 深市 B 股);
                          batch: in every row's currency.
  --no-minimum            no minimum (免五).
  --commission-includes-fees yes|no
                          whether the rate includes the handling and regulatory fees
                          (含规费); with no, they are charged on top (default). On the
                          A-share panel they show in the "其      它" row; the B-share
                          panel has rows of its own.

target, average, swing
  TRADE OPTIONS: --ini, --market, --type, --rules, --date, the broker's terms and --json,
  as trade takes them. Prices are typed as into a price field, quantities as into the
  quantity field. Every price proposed lies on the grid of the type (0.01; 0.001 for funds,
  bonds and Shanghai B shares) up to the highest price the field holds; "无法达到" when none
  does, "无法确定" where the result stays within rounding noise of zero over more prices
  than are tried (sell rates adding up to 1 within about 1e-9).
target
  The lowest sell price from which on the round trip bought at --buy reaches the goal:
  --profit YUAN  a net profit (negative: a stop, "lose no more than");
  --yield RATE   a yield as the 收益率 row, net profit ÷ total paid (0.1 is 10 %).
  Prints 目标价 and the result panel of the trade at it; --json: TargetPrice (null when
  unreachable) and trade's fields. A goal of 0 yuan is the lowest grid price that does not
  lose; the 保本卖出价 row walks in 0.01 steps, so for funds it may be a step higher.
average
  Adds a purchase to a holding of --held shares at the cost price --cost (per share, fees
  included): the added fees and payment, the new quantity, the new cost price
  ((held × cost + price × quantity + fees) ÷ new quantity) and the break-even sell price of
  the whole holding. --to-cost C: the smallest number of whole lots at --buy that brings the
  cost price down to C (up to C for a price above the cost), within the quantity field's
  limit. --json: AddFees, AddPaid, NewQuantity, NewCost, BreakEvenPrice, AddQuantity (null
  when unreachable or not asked).
swing
  The same-day swing (做T) of --qty of the --held shares (at most the quantity held), sold
  at --sell and bought back at --buy in either order: each leg's fees, the gain after fees
  and the new cost price (cost − gain ÷ held). With one price, the other at which the swing
  stops losing: the lowest sell price from which on, or the highest buy-back price up to
  which, the gain is at least 0. --json: SellFees, BuyFees, Gain, NewCost, BreakEvenSell,
  BreakEvenBuy (null where not asked or unreachable).

rules
  Prints the official fees in force on a date (today when --date is left out): fee, types,
  exchange, side, base, rate, minimum, cap, currency, whether a broker's commission may
  include it, the period, the source and the mark (有据 sourced, 未确认 believed).
  --json         the same as one JSON object with a "rows" array.

batch
  Checks a statement: reads a CSV of single trade legs from FILE (- for standard input),
  UTF-8 or GBK, header names in English or Chinese:
    date,market,type,side,price,quantity[,commission][,stamp][,transfer][,other]
    日期,市场,类型,买卖,价格,数量[,佣金][,印花税][,过户费][,其它]
  date YYYY-MM-DD or YYYYMMDD; market and type as trade takes them (also 沪市, 深市, A股 ...);
  side buy/sell or 买/卖; price and quantity plain numbers. The fee columns, each optional,
  hold what the broker charged. Other columns are ignored.
  Writes a CSV in UTF-8 to standard output (or --output FILE): the columns read, then
    commission_calc,stamp_calc,transfer_calc,handling_calc,regulatory_calc,other_calc,
    fees_calc,amount_calc
  (other_calc: the B-share settlement fee and the classic other charge), then for each
  fee column given its _diff (charged minus computed; other is compared with handling,
  regulatory and other together), then check: ok, or differs when a fee is more than one
  fen off. A bad line is reported on standard error with its number and skipped.
  --check        exit with status 3 when any line differs.

statement
  Reviews the statements (交割单) a trading client exports, as they are: GBK or UTF-8, tab- or
  comma-separated (also when named .xls), title and summary lines around the table, column
  names as the clients write them (成交日期, 证券代码, 买卖标志, 成交数量, 成交价格, 佣金,
  印花税, 过户费, 其他杂费, 发生金额, 股东代码 ...), several files (monthly exports) in any
  order. Only buys and sells are trades; every other line (申购配号, 银行转证券, 股息入账 ...)
  is counted by its word. A workbook (.xlsx, a real .xls) is refused: save it as CSV or text.
  Prints the broker's terms found from the trade lines (rate as quoted, e.g. 万2.5; the
  minimum or 免五; whether the rate includes the handling and regulatory fees, 含规费; where
  the transfer fee is shown; per period where they change, with the lines each finding rests
  on), the fees per year and in total, every line whose fees differ by more than a fen from
  the official rules of its date and the terms (with the likely reason), the skipped events
  and the lines that could not be read.
  The official rules are used unless --rules classic is given; BROKER TERMS given replace the
  terms found for the check.
  --json         one JSON object: Files, FileProblems, Trades, Skipped, Unreadable, Terms
                 (From, To, CommissionRate, MinCommission (null: none), IncludesFees (null:
                 cannot tell), Lines explained ...), Years, Total, Differing, DifferingSum,
                 and WhatIf when asked.
  --lines FILE   every trade line as CSV: file,line,date,market,code,type,side,price,
                 quantity,amount,commission,stamp,transfer,other (as charged), batch's
                 computed columns, the _diff columns, check and reason.
  --what-if-commission RATE, --what-if-no-minimum, --what-if-includes-fees yes|no
                 the same trades under other terms (each over the terms found), per year,
                 with the saving.
  --check        exit with status 3 when any line differs.

exrights
  Computes the ex-rights (ex-dividend) price from the price before a distribution, or the
  price before from the ex-rights price. Each component given is a ticked box.
  --before P     price before the distribution (送配前股价); prints the price after.
  --after P      ex-rights price (送配后股价); prints the price before.
  --bonus N      送股: bonus shares per 10 shares held.
  --rights N     配股: rights shares offered per 10 shares held.
  --rights-price P  the subscription price of one rights share (with --rights only;
                 left out, it is 0).
  --cash C       送现金: cash dividend in yuan per 10 shares held.
                 Values take digits and one decimal point, not first; prices at most
                 )") +
           length(kExRightsPriceEntry) + " characters, share counts " + length(kBonusEntry) +
           ", the rights price and the cash " + length(kCashEntry) +
           R"(.
  --json         {"PriceAfter": x} or {"PriceBefore": x} at full precision.
  Without --json the result is printed with two decimals (######0.00).

limits
  Computes the day's price limits (涨跌停价) from the previous close: close × (1 ± r),
  rounded half up to the tick, exactly; r by board and trade date (主板 10 %, 主板 ST 5 %,
  10 % from 2026-07-06 (unconfirmed), 创业板 20 % (10 % before 2020-08-24), 科创板 20 %,
  北交所 30 %, B 股 10 %, 基金 10 %). Bonds are not covered.
  --close P      the previous close, a price on the tick of the board (0.01; 0.001 for
                 funds and 沪市 B 股); digits and one decimal point, at most 7 characters.
  --code CODE    the security code: 600000, sh600000, 600000.SH, 878 (000878) ...; it
                 tells the board and the market. A code never tells ST: give --board st
                 with the code of a main-board share under risk warning.
  --board B      main, st (主板 ST/*ST), chinext, star, bse (北交所), b, fund.
  --market M     with --board b: 1 or sh (0.001 US dollars), 2 or sz (0.01 HK dollars).
  --date D       the trade date; today when left out.
  --no-limit-days  the trade date is one of the first days after the listing that have no
                 limits (主板 from 2023-04-10, 创业板, 科创板: 5 days; 北交所: the first).
  --json         {"Board": key, "Rate": r, "LimitUp": x, "LimitDown": y}; Rate, LimitUp
                 and LimitDown are null without limits.
  Without --json: the board, the rate, 涨停价 and 跌停价, one a line, caption, tab, value.

init
  Creates the default settings file Yuanmate5.ini in the current directory when there is
  none, as the program does at start-up; an existing file is left as it is.

Exit status: 0 success; 1 a file could not be read or written; 2 bad input (batch: a bad
line was skipped); 3 batch or statement --check found a fee that differs.
)";
}

} // namespace ym::calc
