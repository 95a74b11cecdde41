#include "core/export_reader.h"

#include "core/export_words.h"
#include "core/portable.h"
#include "core/security_codes.h"
#include "core/text_codec.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <unordered_map>
#include <vector>

namespace ym::statement {

namespace {

// Files that are no text, told by their first bytes, and what to do with them.
struct BinarySignature {
    std::string_view bytes;
    std::string_view what;
};
constexpr std::array<BinarySignature, 4> kBinary{{
    {"PK\x03\x04", "an Excel workbook (.xlsx), not text: open it in the spreadsheet and save it "
                   "as CSV (UTF-8) or as tab-separated text, then read that file"},
    {"\xD0\xCF\x11\xE0", "an Excel 97-2003 workbook (.xls), not text: open it in the spreadsheet "
                         "and save it as CSV (UTF-8) or as tab-separated text, then read that "
                         "file"},
    {"\xFF\xFE", "UTF-16 text (\"Unicode text\"): save it as CSV (UTF-8) or as tab-separated "
                 "text in GBK or UTF-8, then read that file"},
    {"\xFE\xFF", "UTF-16 text (\"Unicode text\"): save it as CSV (UTF-8) or as tab-separated "
                 "text in GBK or UTF-8, then read that file"},
}};

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Text before a header is kept until the header comes; a file without one within this much
// is no export.
constexpr std::size_t kMostBeforeHeader = 1 << 20;
constexpr std::size_t kPiece = 1 << 20;

// The columns of a header.
struct Columns {
    std::array<std::optional<std::size_t>, kMeanings> at{};
    std::vector<std::size_t> sides;  // every column that may hold the business word
    std::vector<std::size_t> others; // every column of other fees, added up

    const std::optional<std::size_t>& operator[](Meaning m) const {
        return at[static_cast<std::size_t>(m)];
    }
    std::optional<std::size_t>& operator[](Meaning m) { return at[static_cast<std::size_t>(m)]; }
};

// The header a record is, or nullopt: the date, the code, the quantity and the price or the
// amount named.
std::optional<Columns> HeaderOf(const std::vector<std::string>& fields) {
    Columns columns;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::optional<Meaning> meaning = MeaningOf(CleanField(fields[i]));
        if (!meaning) {
            continue;
        }
        if (*meaning == Meaning::Side) {
            columns.sides.push_back(i);
        } else if (*meaning == Meaning::Other) {
            columns.others.push_back(i);
        }
        if (!columns[*meaning]) {
            columns[*meaning] = i;
        }
    }
    if (!columns[Meaning::Date] || !columns[Meaning::Code] || !columns[Meaning::Quantity] ||
        (!columns[Meaning::Price] && !columns[Meaning::Amount])) {
        return std::nullopt;
    }
    // "手续费" beside a commission column is their sum, not a fee of its own.
    if (columns[Meaning::Fees] && !columns[Meaning::Commission]) {
        columns[Meaning::Commission] = columns[Meaning::Fees];
    }
    return columns;
}

// A number as exports write it: an optional sign, digits with or without grouping commas, an
// optional fraction ("1,234.5", ".62", "-200.00"). nullopt for an empty field or "--";
// `bad` set for anything else that is no number.
std::optional<double> ExportNumber(std::string_view text, bool& bad) {
    if (text.empty() || text == "--" || text == "-") {
        return std::nullopt;
    }
    std::string plain;
    plain.reserve(text.size());
    std::size_t i = 0;
    if (text[0] == '+' || text[0] == '-') {
        if (text[0] == '-') {
            plain.push_back('-');
        }
        i = 1;
    }
    bool point = false;
    bool digit = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            plain.push_back(c);
            digit = true;
        } else if (c == '.' && !point) {
            plain.push_back(c);
            point = true;
        } else if (c != ',' || point || !digit) {
            bad = true;
            return std::nullopt;
        }
    }
    double value = 0;
    const auto [end, ec] = portable::ParseDouble(plain.data(), plain.data() + plain.size(), value);
    if (!digit || ec != std::errc() || end != plain.data() + plain.size() ||
        !std::isfinite(value)) {
        bad = true;
        return std::nullopt;
    }
    return value;
}

std::string Quote(std::string_view text) {
    return "\"" + std::string(text.substr(0, 40)) + (text.size() > 40 ? "...\"" : "\"");
}

// The exchange a code must be looked up on when it alone cannot tell: from the shareholder
// account (an "A..." account is Shanghai, a numeric one Shenzhen) or an exchange column.
std::string_view ExchangeHint(std::string_view account, std::string_view market) {
    if (!account.empty()) {
        if (account[0] == 'A' || account[0] == 'a') {
            return "sh";
        }
        if (std::all_of(account.begin(), account.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            return "sz";
        }
    }
    for (const auto& [word, prefix] : {std::pair<std::string_view, std::string_view>{"沪", "sh"},
                                       {"上海", "sh"},
                                       {"深", "sz"}}) {
        if (market.find(word) != std::string_view::npos) {
            return prefix;
        }
    }
    if (const auto parsed = ParseMarket(market)) {
        return *parsed == Market::Shanghai ? "sh" : "sz";
    }
    return {};
}

} // namespace

std::string_view CleanField(std::string_view field) {
    auto trim = [](std::string_view s) {
        constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
        for (;;) {
            if (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
                s.remove_prefix(1);
            } else if (s.starts_with(kIdeographicSpace)) {
                s.remove_prefix(kIdeographicSpace.size());
            } else if (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
                s.remove_suffix(1);
            } else if (s.ends_with(kIdeographicSpace)) {
                s.remove_suffix(kIdeographicSpace.size());
            } else {
                return s;
            }
        }
    };
    field = trim(field);
    if (field.size() >= 3 && field.starts_with("=\"") && field.ends_with("\"")) {
        field = trim(field.substr(2, field.size() - 3));
    } else if (field.starts_with("'")) {
        field.remove_prefix(1);
    }
    return field;
}

std::optional<Date> ParseExportDate(std::string_view text) {
    text = text.substr(0, std::min(text.find(' '), text.find('T')));
    if (text.size() == 8 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return ParseDate(text);
    }
    // Three numbers apart: year, month, day.
    std::array<int, 3> parts{};
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < text.size() && count < 3) {
        int value = 0;
        const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
        const std::size_t digits = static_cast<std::size_t>(end - (text.data() + i));
        if (ec != std::errc() || digits == 0 || digits > 4) {
            return std::nullopt;
        }
        parts[count++] = value;
        i += digits;
        for (const std::string_view separator : {"-", "/", ".", "年", "月", "日"}) {
            if (text.substr(i).starts_with(separator)) {
                i += separator.size();
                break;
            }
        }
    }
    if (count != 3 || i != text.size() || parts[0] < 1000) {
        return std::nullopt;
    }
    char buffer[16];
    const int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", parts[0], parts[1] % 100,
                                parts[2] % 100);
    if (parts[1] > 12 || parts[2] > 31 || n != 10) {
        return std::nullopt;
    }
    return ParseDate(std::string_view(buffer, 10));
}

struct ExportScanner::State {
    std::size_t file;
    LineHandler handler;
    std::optional<std::string> problem;
    std::size_t ignored = 0;

    bool started = false;
    bool utf8 = false;         // a byte-order mark says so
    std::string raw;           // bytes not yet decoded: the end of an unfinished line
    std::string carry;         // decoded text whose record is unfinished, or before a header
    std::size_t carryLine = 1; // the line `carry` starts on
    std::optional<Columns> columns;
    char separator = '\t';
    // The codes met, told once: a statement names few securities many times.
    std::unordered_map<std::string, CodeLookup> codes;

    void Feed(std::string_view bytes, bool last);
    void Read(std::string text, bool last);
    bool FindHeader(const std::string& text, bool last, std::size_t& offset, std::size_t& line);
    void Line(const statement::Record& record);
    void Trade(const Record& record, std::string_view word, std::optional<EventKind> kind,
               const Date& date);
    void Unreadable(std::size_t line, std::string why) {
        handler(UnreadableLine{file, line, std::move(why)});
    }
};

ExportScanner::ExportScanner(std::size_t file, LineHandler handler)
    : state_(std::make_unique<State>()) {
    state_->file = file;
    state_->handler = std::move(handler);
}

ExportScanner::~ExportScanner() = default;

void ExportScanner::Feed(std::string_view bytes, bool last) {
    state_->Feed(bytes, last);
}

const std::optional<std::string>& ExportScanner::problem() const {
    return state_->problem;
}

std::size_t ExportScanner::ignored() const {
    return state_->ignored;
}

void ExportScanner::State::Feed(std::string_view bytes, bool last) {
    if (problem) {
        return;
    }
    raw.append(bytes);
    if (!started) {
        if (raw.size() < 4 && !last) {
            return;
        }
        for (const BinarySignature& b : kBinary) {
            if (std::string_view(raw).starts_with(b.bytes)) {
                problem = "is " + std::string(b.what);
                return;
            }
        }
        if (std::string_view(raw).starts_with(kBom)) {
            raw.erase(0, kBom.size());
            utf8 = true;
        }
        started = true;
    }
    // Whole lines only: a line break is ASCII in GBK and UTF-8 alike, so no character is cut.
    std::size_t cut = raw.size();
    if (!last) {
        const std::size_t lf = raw.find_last_of('\n');
        cut = lf == std::string::npos ? 0 : lf + 1;
        if (cut == 0 && raw.size() > kPiece) {
            const std::size_t cr = raw.find_last_of('\r'); // a file with CR line ends only
            cut = cr == std::string::npos ? 0 : cr + 1;
        }
        if (cut == 0) {
            return;
        }
    }
    const std::string_view piece = std::string_view(raw).substr(0, cut);
    // Each line is UTF-8 when it reads as UTF-8, else GBK (Chinese text in GBK practically
    // never does): a file mixing both, or one with a broken line, reads the same whatever
    // pieces it comes in.
    std::string text;
    if (utf8) {
        text = piece;
    } else {
        text.reserve(piece.size() + piece.size() / 2);
        for (std::size_t start = 0; start < piece.size();) {
            const std::size_t end = std::min(piece.find('\n', start), piece.size() - 1) + 1;
            const std::string_view line = piece.substr(start, end - start);
            if (text::IsUtf8(line)) {
                text.append(line);
            } else {
                text += FromGbk(line);
            }
            start = end;
        }
    }
    raw.erase(0, cut);
    Read(std::move(text), last);
}

bool ExportScanner::State::FindHeader(const std::string& text, bool last, std::size_t& offset,
                                      std::size_t& line) {
    // The separator is the one under which a header appears first.
    std::optional<std::size_t> best;
    for (const char candidate : {'\t', ','}) {
        Reader reader(text, candidate, carryLine);
        while (const std::optional<statement::Record> record = reader.Next()) {
            if (reader.unclosed() && !last) {
                break;
            }
            if (best && record->line >= *best) {
                break;
            }
            if (std::optional<Columns> header = HeaderOf(record->fields)) {
                best = record->line;
                columns = std::move(header);
                separator = candidate;
                offset = reader.offset();
                line = reader.line();
                break;
            }
        }
    }
    return best.has_value();
}

void ExportScanner::State::Read(std::string text, bool last) {
    if (!carry.empty()) {
        text.insert(0, carry);
        carry.clear();
    }
    std::size_t offset = 0;
    std::size_t line = carryLine;
    if (!columns) {
        if (!FindHeader(text, last, offset, line)) {
            if (last) {
                problem = "has no header line naming the columns of a statement (at least the "
                          "date, the code, the quantity and the price or amount, e.g. 成交日期, "
                          "证券代码, 成交数量, 成交价格)";
            } else if (text.size() > kMostBeforeHeader) {
                problem = "has no header line naming the columns of a statement in its first "
                          "megabyte";
            } else {
                carry = std::move(text);
            }
            return;
        }
    }
    const std::string_view rest = std::string_view(text).substr(offset);
    Reader reader(rest, separator, line);
    for (;;) {
        const std::size_t start = reader.offset();
        const std::size_t startLine = reader.line();
        const std::optional<statement::Record> record = reader.Next();
        if (!record) {
            break;
        }
        if (reader.unclosed()) {
            if (!last) {
                carry = std::string(rest.substr(start));
                carryLine = startLine;
                return;
            }
            Unreadable(record->line, "a quoted field is never closed");
            break;
        }
        Line(*record);
    }
    carryLine = reader.line();
}

void ExportScanner::State::Line(const statement::Record& record) {
    const Columns& c = *columns;
    auto field = [&](std::optional<std::size_t> at) -> std::string_view {
        return at && *at < record.fields.size() ? CleanField(record.fields[*at])
                                                : std::string_view();
    };
    std::string_view word;
    for (const std::size_t at : c.sides) {
        word = field(at);
        if (!word.empty()) {
            break;
        }
    }
    const std::optional<EventKind> kind = word.empty() ? std::nullopt : KindOf(word);
    const std::string_view dateText = field(c[Meaning::Date]);
    const std::optional<Date> date = ParseExportDate(dateText);
    if (!date) {
        // A header again (exports joined), a title, a total or a note: only a line with a
        // business word is a line that could not be read.
        if (std::optional<Columns> header = HeaderOf(record.fields)) {
            columns = std::move(header);
        } else if (kind) {
            Unreadable(record.line, "date " + Quote(dateText) + " is not a date");
        } else {
            ++ignored;
        }
        return;
    }
    if (!word.empty() && kind != EventKind::Buy && kind != EventKind::Sell) {
        handler(EventLine{std::string(word)});
        return;
    }
    Trade(record, word, kind, *date);
}

void ExportScanner::State::Trade(const statement::Record& record, std::string_view word,
                                 std::optional<EventKind> kind, const Date& date) {
    const Columns& c = *columns;
    auto field = [&](std::optional<std::size_t> at) -> std::string_view {
        return at && *at < record.fields.size() ? CleanField(record.fields[*at])
                                                : std::string_view();
    };
    std::string why;
    auto number = [&](std::optional<std::size_t> at, std::string_view name) {
        bool bad = false;
        const std::string_view text = field(at);
        std::optional<double> value = ExportNumber(text, bad);
        if (bad && why.empty()) {
            why = std::string(name) + " " + Quote(text) + " is not a number";
        }
        return value;
    };
    TradeLine t;
    t.file = file;
    t.line = record.line;
    t.date = date;
    const std::optional<double> quantity = number(c[Meaning::Quantity], "quantity");
    std::optional<double> price = number(c[Meaning::Price], "price");
    t.amount = number(c[Meaning::Amount], "amount");
    t.net = number(c[Meaning::Net], "net amount");
    constexpr std::array<std::pair<Meaning, Column>, 3> kFees{{
        {Meaning::Commission, Column::Commission},
        {Meaning::Stamp, Column::Stamp},
        {Meaning::Transfer, Column::Transfer},
    }};
    for (const auto& [meaning, slot] : kFees) {
        if (const auto value = number(c[meaning], "fee")) {
            t.charged[static_cast<std::size_t>(slot) - kFirstCharged] = std::fabs(*value);
        }
    }
    for (const std::size_t at : c.others) {
        if (const auto value = number(at, "fee")) {
            auto& other = t.charged[static_cast<std::size_t>(Column::Other) - kFirstCharged];
            other = other.value_or(0) + std::fabs(*value);
        }
    }
    if (!why.empty()) {
        Unreadable(record.line, why);
        return;
    }
    if (!quantity) {
        Unreadable(record.line, "the quantity is empty");
        return;
    }
    if (kind) {
        t.side = *kind == EventKind::Buy ? Side::Buy : Side::Sell;
    } else if (*quantity < 0 || c.sides.empty()) {
        // No business word: the quantity's sign tells the side.
        t.side = *quantity < 0 ? Side::Sell : Side::Buy;
    } else {
        Unreadable(record.line, "the line has no business word (buy, sell or an event)");
        return;
    }
    t.quantity = std::fabs(*quantity);
    if (t.amount) {
        t.amount = std::fabs(*t.amount);
    }
    if ((!price || *price == 0) && t.amount && t.quantity > 0) {
        price = *t.amount / t.quantity;
    }
    t.price = price ? std::fabs(*price) : 0;
    if (t.quantity == 0 || t.price == 0) {
        // A cancelled or unfilled order: no trade.
        handler(EventLine{std::string(word.empty() ? "(no word)" : word) + " (未成交)"});
        return;
    }

    const std::string_view codeText = field(c[Meaning::Code]);
    const std::string_view hint =
        ExchangeHint(field(c[Meaning::Account]), field(c[Meaning::Market]));
    std::string key = std::string(hint) + "|" + std::string(codeText);
    auto found = codes.find(key);
    if (found == codes.end()) {
        CodeLookup lookup = LookUpCode(codeText);
        if (!lookup.code && !hint.empty()) {
            if (CodeLookup hinted = LookUpCode(std::string(hint) + std::string(codeText));
                hinted.code) {
                lookup = std::move(hinted);
            }
        }
        found = codes.emplace(std::move(key), std::move(lookup)).first;
    }
    const CodeLookup& lookup = found->second;
    if (!lookup.code) {
        Unreadable(record.line, "code " + Quote(codeText) + ": " + lookup.problem);
        return;
    }
    const std::optional<Market> market = lookup.code->CalculatorMarket();
    if (!market) {
        Unreadable(record.line, "code " + lookup.code->digits +
                                    " trades on the Beijing Stock Exchange, whose fees the "
                                    "calculator does not know");
        return;
    }
    t.code = lookup.code->digits;
    t.market = *market;
    t.type = lookup.code->range->type;
    handler(t);
}

std::optional<std::string> ScanExportFile(const std::string& path, std::size_t file,
                                          const LineHandler& handler) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "cannot be opened";
    }
    ExportScanner scanner(file, handler);
    std::string buffer(kPiece, '\0');
    for (;;) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (in.bad()) {
            return "could not be read";
        }
        const bool last = in.eof() || got == 0;
        scanner.Feed(std::string_view(buffer.data(), got), last);
        if (last || scanner.problem()) {
            break;
        }
    }
    return scanner.problem();
}

} // namespace ym::statement
