// The words of the statements trading clients export (交割单): the column names each client
// writes for the same meaning, and the business words (业务名称, 摘要, 操作...) that tell a
// trade from the other events of an account. Data only; where each word was seen is listed in
// docs/statement-exports.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace ym::statement {

enum class Meaning : std::uint8_t {
    Date,
    Code,
    Name,
    Side, // the business word of the line
    Quantity,
    Price,
    Amount,     // the trade's amount, price x quantity
    Commission, // the broker's commission
    Stamp,
    Transfer,
    Other,    // every other fee: handling, regulatory, settlement, "规费"...
    Fees,     // "手续费": the commission, or the sum of the fees where a commission column is
              // there as well
    FeeTotal, // the sum of the fees, never a fee of its own
    Net,      // the cash the line moved
    Account,  // the shareholder account
    Market,   // the exchange, in words
};
inline constexpr std::size_t kMeanings = 16;

struct ColumnWord {
    std::string_view name;
    Meaning meaning;
};

// Every column name understood (also the English names yuanmate-calc batch reads).
std::span<const ColumnWord> ColumnWords();
// The meaning of a header field, nullopt for a name not understood. Blanks inside the name
// are ignored ("成交 日期").
std::optional<Meaning> MeaningOf(std::string_view name);

enum class EventKind : std::uint8_t { Buy, Sell, Other };

struct EventWord {
    std::string_view word;
    EventKind kind;
};

// The business words known: the trades' words (cash and margin accounts) and the events that
// are no trade (subscriptions, allotments, dividends, transfers, cancellations...).
std::span<const EventWord> EventWords();
// The kind of a business word; nullopt for a word not in the table.
std::optional<EventKind> KindOf(std::string_view word);

} // namespace ym::statement
