// Reading a statement CSV: single trade legs, one a line, with the fees a broker charged
// if the file gives them. The input may be UTF-8 (with or without a byte-order mark) or
// GBK; headers in English or Chinese. Pure functions over bytes, so that a fuzzer can drive
// them.
#pragma once

#include "core/fee_schedule.h"
#include "core/selection.h"
#include "core/trade_date.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ym::statement {

enum class Column : std::uint8_t {
    Date,
    Market,
    Type,
    Side,
    Price,
    Quantity,
    Commission, // the fees charged, each optional
    Stamp,
    Transfer,
    Other,
};
inline constexpr std::size_t kColumns = 10;
inline constexpr std::size_t kFirstCharged = static_cast<std::size_t>(Column::Commission);
inline constexpr std::size_t kChargedColumns = kColumns - kFirstCharged;

// The English name of a column ("date", ..., "other"), as the output's header uses it.
std::string_view ColumnKey(Column column);

// The input as UTF-8 text: a byte-order mark dropped; text that is not valid UTF-8 read as
// GBK, a pair that names no GBK character as U+FFFD.
struct Decoded {
    std::string text;
    bool gbk = false;
};
Decoded Decode(std::string_view bytes);
// GBK text as UTF-8, for a reader that decodes a file piece by piece.
std::string FromGbk(std::string_view bytes);

// One record: its fields, and the line it starts on (from 1).
struct Record {
    std::size_t line = 0;
    std::vector<std::string> fields;
};

// Splits text into records: fields separated by commas (or another separator, e.g. a tab),
// optionally in double quotes (a doubled quote inside is one), records ended by LF, CR LF or
// CR outside quotes; blanks around a field are dropped, blank lines skipped. `firstLine` is
// the number of the text's first line, for text that continues a file.
class Reader {
public:
    explicit Reader(std::string_view text, char separator = ',', std::size_t firstLine = 1)
        : text_(text), line_(firstLine), separator_(separator) {}
    // The next record, or nullopt at the end. A record with an unclosed quote runs to the
    // end of the text and is returned with `unclosed` set.
    std::optional<Record> Next();
    bool unclosed() const { return unclosed_; }
    // Where the next record starts: the offset in the text and its line.
    std::size_t offset() const { return pos_; }
    std::size_t line() const { return line_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    char separator_ = ',';
    bool unclosed_ = false;
};

struct Header {
    std::array<std::optional<std::size_t>, kColumns> at{}; // the field of each column
    std::vector<std::string> ignored;                      // names of fields not understood

    bool Has(Column c) const { return at[static_cast<std::size_t>(c)].has_value(); }
};

// The header record: every required column (date to quantity) once, each fee column at
// most once. Names in English (any letter case) or Chinese: 日期, 市场, 类型, 买卖, 价格,
// 数量, 佣金, 印花税, 过户费, 其它 (and a few usual variants, e.g. 成交价格, 其他).
// Returns the message for a header that will not do.
std::variant<Header, std::string> ParseHeader(const std::vector<std::string>& fields);

struct Leg {
    Date date;
    Market market = Market::Shanghai;
    SecurityType type = SecurityType::AShare;
    Side side = Side::Buy;
    double price = 0;
    double quantity = 0;
    std::array<std::optional<double>, kChargedColumns> charged{}; // Commission..Other
};

// One data record under a header: the date (YYYY-MM-DD or YYYYMMDD), the market and the
// type as ParseMarket and ParseType take them, the side (buy, sell, b, s, 买, 卖, 买入, 卖出),
// a price above 0 and a whole quantity above 0 as plain decimals, and each charged fee as
// a plain decimal or empty (or left off the end of the line). Returns the message for a
// record that will not do.
std::variant<Leg, std::string> ParseLeg(const Header& header,
                                        const std::vector<std::string>& fields);

// A charged fee differs from the computed one when they are more than one fen apart; a
// little more allows for the binary noise of two decimal values.
inline constexpr double kFenTolerance = 0.01 + 1e-9;

// The fees of a priced leg as a statement shows them, each to the fen: the settlement fee
// and the classic fixed charge in `other`.
struct ComputedFees {
    double commission, stamp, transfer, handling, regulatory, other, fees, amount;

    // What each charged column of a statement holds (Column::Commission..Other): the other
    // fees column is everything but commission, stamp duty and transfer fee.
    std::array<double, kChargedColumns> Charged() const;
};
ComputedFees ComputeFees(const LegCharges& leg);

} // namespace ym::statement
