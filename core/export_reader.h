// Reading the statements trading clients export (交割单) as they are: GBK or UTF-8, tab- or
// comma-separated, often named .xls; title, account and summary lines around the table;
// column names as each client writes them (export_words.h); codes a spreadsheet stripped of
// their leading zeros, values wrapped as ="600000", sells with negative quantities. A file is
// read piece by piece and each line handed on as it is read, so that memory does not grow
// with the file.
#pragma once

#include "core/fee_schedule.h"
#include "core/selection.h"
#include "core/statement_csv.h"
#include "core/trade_date.h"

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace ym::statement {

// One trade of an export.
struct TradeLine {
    std::size_t file = 0; // the file's place in the order given, from 0
    std::size_t line = 0; // from 1
    Date date;
    std::string code; // six digits
    Market market = Market::Shanghai;
    SecurityType type = SecurityType::AShare;
    Side side = Side::Buy;
    double price = 0;
    double quantity = 0;          // above 0, also where the export writes sells negative
    std::optional<double> amount; // the export's trade amount, where it has the column
    // What the broker charged, as the export gives it (Column::Commission..Other): the other
    // fees are the sum of every other fee column; nullopt where the export has no such column.
    std::array<std::optional<double>, kChargedColumns> charged{};
    std::optional<double> net; // the cash the line moved, where the export says

    // The amount the fees are charged on: the export's, or price x quantity without it.
    double TradeAmount() const { return amount ? *amount : price * quantity; }
};

// A line that is no trade: its business word (证券转银行, 申购配号...), as the kind it is
// counted under.
struct EventLine {
    std::string word;
};

struct UnreadableLine {
    std::size_t file = 0;
    std::size_t line = 0;
    std::string why;
};

using ExportLine = std::variant<TradeLine, EventLine, UnreadableLine>;
using LineHandler = std::function<void(const ExportLine&)>;

// Reads one file fed in pieces of any size.
class ExportScanner {
public:
    ExportScanner(std::size_t file, LineHandler handler);
    ExportScanner(const ExportScanner&) = delete;
    ExportScanner& operator=(const ExportScanner&) = delete;
    ~ExportScanner();

    // The next bytes of the file; `last` with its end (the bytes may then be empty).
    void Feed(std::string_view bytes, bool last);
    // Why the file cannot be read at all (a workbook, no header, ...); the lines handed on
    // before it was found stand.
    const std::optional<std::string>& problem() const;
    // Lines that are neither a trade nor an event nor unreadable: titles, totals, blanks.
    std::size_t ignored() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Reads the file at `path` through an ExportScanner. Returns why it cannot be read.
std::optional<std::string> ScanExportFile(const std::string& path, std::size_t file,
                                          const LineHandler& handler);

// A date as exports write it: 20260105, 2026-01-05, 2026/1/5, 2026.01.05, 2026年1月5日,
// optionally followed by a time.
std::optional<Date> ParseExportDate(std::string_view text);

// A field without what spreadsheets wrap around it: blanks, ="600000", a leading '.
std::string_view CleanField(std::string_view field);

} // namespace ym::statement
