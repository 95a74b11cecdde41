// The six-digit security codes of the exchanges as data: which code ranges name which kind of
// security on which board, each range with where the fact comes from. A code as users write
// it ("878", "sh600000", "600000.SH") is told by its range, or told as unknown: never guessed.
#pragma once

#include "core/official_rules.h"
#include "core/selection.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ym {

// The Beijing Stock Exchange is one the calculator has no market (fee rules) for.
enum class Exchange : std::uint8_t { Shanghai, Shenzhen, Beijing };

// The board a security trades on, as far as its price limits go. A code never tells the risk
// warning (ST, *ST) of a main-board share: the user chooses MainRiskWarning.
enum class Board : std::uint8_t {
    Main,
    MainRiskWarning,
    ChiNext,
    Star,
    Beijing,
    BShare,
    Fund,
    Bond,
};

struct CodeRange {
    Exchange exchange;
    std::string_view prefix; // the leading digits every code of the range shares
    SecurityType type;
    Board board;
    std::string_view what; // "沪市主板 A 股", ...
    std::string_view source;
    Evidence mark;
};

struct SecurityCode {
    std::string digits; // six
    const CodeRange* range;

    // The calculator's market, nullopt for Beijing.
    std::optional<Market> CalculatorMarket() const;
};

// A code that could be told, or the one-line reason it could not.
struct CodeLookup {
    std::optional<SecurityCode> code;
    std::string problem;
};

// Every range, Shanghai, Shenzhen, Beijing, each by prefix.
std::span<const CodeRange> CodeRangeTable();

// `text`: one to six digits (leading zeros may be left out, as spreadsheets drop them),
// optionally with an exchange before ("sh", "SZ", "bj", also "sh.") or after (".SH", ".SZ",
// ".BJ", ".SS"), letters in either case, blanks around ignored. Without an exchange, a code
// whose ranges exist on more than one exchange is not told.
CodeLookup LookUpCode(std::string_view text);

// "main", "st", "chinext", "star", "bse", "b", "fund", "bond"; and the captions "主板",
// "主板 ST", "创业板", "科创板", "北交所", "B 股", "基金", "债券".
std::string_view BoardKey(Board board);
std::string_view BoardName(Board board);
std::optional<Board> ParseBoard(std::string_view key);
std::string_view ExchangeName(Exchange exchange); // "沪市", "深市", "北交所"

} // namespace ym
