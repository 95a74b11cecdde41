// yuanmate-calc limits: the day's limit-up and limit-down prices from the previous close.
#include "core/entry_rules.h"
#include "core/number_text.h"
#include "core/price_limits.h"
#include "tools/calc_commands.h"
#include "tools/calc_settings.h"

#include <cstdio>

namespace ym::calc {

namespace {

constexpr FieldSpec kCloseField{"前收盘价", "--close", kPriceFieldLength, true};

struct Security {
    Board board;
    std::optional<Market> market;
};

// The board and market from --code (with --board st for a main-board share under risk
// warning) or from --board and --market; or the message why not.
std::variant<Security, std::string> SecurityOf(const LimitsOptions& options, std::ostream& err) {
    const std::optional<Board> board = options.board ? ParseBoard(*options.board) : std::nullopt;
    const std::optional<Market> market =
        options.market ? ParseMarket(*options.market) : std::nullopt;
    if (!options.code) {
        return Security{*board, market};
    }
    const CodeLookup found = LookUpCode(*options.code);
    if (!found.code) {
        return "--code: " + Quoted(*options.code) + ": " + found.problem;
    }
    const CodeRange& range = *found.code->range;
    Security security{range.board, found.code->CalculatorMarket()};
    if (board == Board::MainRiskWarning && range.board == Board::Main) {
        security.board = Board::MainRiskWarning;
    } else if (board) {
        return "give either --code or --board, not both (but --board st with the code of a "
               "main-board share under risk warning)";
    }
    if (market && market != security.market) {
        return "--market: " + found.code->digits + " is a code of " +
               std::string(ExchangeName(range.exchange));
    }
    if (range.exchange == Exchange::Beijing) {
        err << kProgramName << ": note: " << found.code->digits
            << " is a 北交所 code: the calculator has no fee rules for that exchange\n";
    }
    return security;
}

std::string Price(double price, const PriceGrid& grid) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", grid.ticksPerUnit == 1000 ? 3 : 2, price);
    return text;
}

} // namespace

int RunLimits(const LimitsOptions& options, std::ostream& out, std::ostream& err) {
    const std::string prefix = std::string(kProgramName) + ": ";
    auto typed = TypeIntoField(kCloseField, *options.close);
    if (typed.index() == 1) {
        err << prefix << std::get<1>(typed) << '\n';
        return kExitBadInput;
    }
    const auto security = SecurityOf(options, err);
    if (const auto* message = std::get_if<std::string>(&security)) {
        err << prefix << *message << '\n';
        return kExitBadInput;
    }
    const Security& s = std::get<Security>(security);
    LimitQuery query;
    query.close = Val(std::get<0>(typed));
    query.board = s.board;
    query.market = s.market;
    query.date = options.date ? *ParseDate(*options.date) : Today();
    query.listingDays = options.noLimitDays;
    const auto outcome = ComputeLimits(query);
    if (const auto* message = std::get_if<std::string>(&outcome)) {
        err << prefix << *message << '\n';
        return kExitBadInput;
    }
    const PriceLimits& limits = std::get<PriceLimits>(outcome);
    const Evidence mark = limits.rate ? limits.rate->mark : limits.listing->mark;
    const std::string_view source = limits.rate ? limits.rate->source : limits.listing->source;

    if (options.json) {
        const auto number = [](const std::optional<double>& value) {
            return value ? JsonNumber(*value) : std::string("null");
        };
        out << "{\"Board\": \"" << BoardKey(limits.board)
            << "\", \"Rate\": " << (limits.rate ? JsonNumber(limits.rate->percent / 100.0) : "null")
            << ", \"LimitUp\": " << number(limits.limitUp)
            << ", \"LimitDown\": " << number(limits.limitDown) << ", \"Mark\": \""
            << EvidenceKey(mark) << "\"}\n";
        return kExitOk;
    }
    out << "板块\t" << BoardName(limits.board) << '\n';
    if (limits.rate) {
        out << "涨跌幅\t" << limits.rate->percent << "%\n"
            << "涨停价\t" << Price(*limits.limitUp, limits.grid) << '\n'
            << "跌停价\t" << Price(*limits.limitDown, limits.grid) << '\n';
    } else {
        out << "涨跌幅\t不设（上市后前 " << limits.listing->days << " 个交易日）\n"
            << "涨停价\t无\n跌停价\t无\n";
    }
    out << "依据\t" << source << "（" << EvidenceName(mark) << "）\n";
    return kExitOk;
}

} // namespace ym::calc
