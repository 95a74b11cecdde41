#include "tools/calc_options.h"

#include "core/entry_rules.h"
#include "core/fee_parameters.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace ym::calc {

namespace {

struct Utf8Char {
    char32_t code;
    std::size_t length;
    bool valid;
};

// One UTF-8 sequence at the start of `text` (not empty). An invalid byte counts as one
// character that no field accepts.
Utf8Char DecodeOne(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return {0xFFFD, 1, false};
    }
    if (text.size() < length) {
        return {0xFFFD, 1, false};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return {0xFFFD, 1, false};
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {0xFFFD, 1, false};
    }
    return {code, length, true};
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    while (!text.empty()) {
        text.remove_prefix(DecodeOne(text).length);
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
        const std::size_t length = DecodeOne(rest).length;
        start += length;
        rest.remove_prefix(length);
    }
    text.erase(last);
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

struct OptionSpec {
    std::string_view name;
    bool takesValue;
};

constexpr std::array<OptionSpec, 7> kTradeOptions{{
    {"--ini", true},
    {"--market", true},
    {"--type", true},
    {"--buy", true},
    {"--sell", true},
    {"--qty", true},
    {"--json", false},
}};

constexpr std::array<OptionSpec, 7> kExRightsOptions{{
    {"--before", true},
    {"--after", true},
    {"--bonus", true},
    {"--rights", true},
    {"--rights-price", true},
    {"--cash", true},
    {"--json", false},
}};

std::optional<std::string>* TradeSlot(TradeOptions& options, std::string_view name) {
    if (name == "--ini") {
        return &options.ini;
    }
    if (name == "--market") {
        return &options.market;
    }
    if (name == "--type") {
        return &options.type;
    }
    if (name == "--buy") {
        return &options.buy;
    }
    if (name == "--sell") {
        return &options.sell;
    }
    if (name == "--qty") {
        return &options.qty;
    }
    return nullptr;
}

std::optional<std::string>* ExRightsSlot(ExRightsOptions& options, std::string_view name) {
    if (name == "--before") {
        return &options.before;
    }
    if (name == "--after") {
        return &options.after;
    }
    if (name == "--bonus") {
        return &options.bonus;
    }
    if (name == "--rights") {
        return &options.rights;
    }
    if (name == "--rights-price") {
        return &options.rightsPrice;
    }
    if (name == "--cash") {
        return &options.cash;
    }
    return nullptr;
}

bool IsHelpWord(std::string_view arg) {
    return arg == "--help" || arg == "-h" || arg == "help";
}

const std::string kSeeHelp = " (see yuanmate-calc --help)";

// Reads the options of one command into its slots. Values come either attached
// ("--buy=10") or as the next argument; a next argument that is itself an option means
// the value is missing, since no field accepts a text beginning with "-".
template <std::size_t N, typename Options, typename SlotOf>
std::optional<std::string>
ReadOptions(std::string_view command, std::span<const std::string_view> args,
            const std::array<OptionSpec, N>& known, Options& options, SlotOf slotOf) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with("--")) {
            return "unexpected argument " + Quoted(arg) + " for " + std::string(command) + kSeeHelp;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const auto found = std::find_if(known.begin(), known.end(),
                                        [&](const OptionSpec& s) { return s.name == name; });
        if (found == known.end()) {
            return "unknown option " + Quoted(name) + " for " + std::string(command) + kSeeHelp;
        }
        if (!found->takesValue) {
            if (equals != std::string_view::npos) {
                return std::string(name) + " takes no value";
            }
            if (options.json) {
                return std::string(name) + " given twice";
            }
            options.json = true;
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
        std::optional<std::string>* slot = slotOf(options, name);
        if (slot->has_value()) {
            return std::string(name) + " given twice";
        }
        *slot = std::string(value);
    }
    return std::nullopt;
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
        error = ReadOptions(command, rest, kTradeOptions, parsed.trade, TradeSlot);
        if (!error && parsed.trade.market && !ParseMarket(*parsed.trade.market)) {
            error = "--market: " + Quoted(*parsed.trade.market) +
                    " is not a market (1 or sh for 沪市, 2 or sz for 深市)";
        }
        if (!error && parsed.trade.type && !ParseType(*parsed.trade.type)) {
            error = "--type: " + Quoted(*parsed.trade.type) +
                    " is not a security type (1..5, a, bond, fund, sif, b)";
        }
    } else if (command == "exrights") {
        parsed.command = Command::ExRights;
        error = ReadOptions(command, rest, kExRightsOptions, parsed.exrights, ExRightsSlot);
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

std::optional<Market> ParseMarket(std::string_view text) {
    const std::string word = Lower(text);
    if (word == "sh") {
        return Market::Shanghai;
    }
    if (word == "sz") {
        return Market::Shenzhen;
    }
    return word.size() == 1 ? MarketFromNumber(word[0] - '0') : std::nullopt;
}

std::optional<SecurityType> ParseType(std::string_view text) {
    static constexpr std::array<std::string_view, 5> kDigits{"1", "2", "3", "4", "5"};
    static constexpr std::array<std::string_view, 5> kWords{"a", "bond", "fund", "sif", "b"};
    const std::string word = Lower(text);
    for (std::size_t i = 0; i < kWords.size(); ++i) {
        if (word == kDigits[i] || word == kWords[i]) {
            return TypeFromNumber(static_cast<int>(i) + 1);
        }
    }
    return std::nullopt;
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
        const Utf8Char ch = DecodeOne(rest);
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
        const Utf8Char ch = DecodeOne(rest);
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

std::string_view UsageText() {
    return R"(yuanmate-calc - the command-line companion of 交易小算盘 (Yuanmate V5.5)

Usage:
  yuanmate-calc trade [--ini FILE] [--market 1|2|sh|sz] [--type 1..5|a|bond|fund|sif|b]
                      [--buy TEXT] [--sell TEXT] [--qty TEXT] [--json]
  yuanmate-calc exrights (--before P | --after P) [--bonus N] [--rights N [--rights-price P]]
                         [--cash C] [--json]
  yuanmate-calc init
  yuanmate-calc --help | help

trade
  Computes the fees, profit, yield, totals and break-even sell price of a trade, as the
  main window's calculate action does.
  --ini FILE     the settings file to take the fee parameters and the stored selection
                 from; without it ./Yuanmate5.ini when present, otherwise the defaults.
                 The file is only read, never created or written.
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
                 11 characters, share counts 7, the rights price and the cash 9.
  --json         {"PriceAfter": x} or {"PriceBefore": x} at full precision.
  Without --json the result is printed with two decimals (######0.00).

init
  Creates the default settings file Yuanmate5.ini in the current directory when there is
  none, as the program does at start-up; an existing file is left as it is.

Exit status: 0 success; 1 the settings file could not be read or written; 2 bad input.
)";
}

} // namespace ym::calc
