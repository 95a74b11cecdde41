#include "core/statement_csv.h"
#include "core/portable.h"

#include "core/gbk_table.h"
#include "core/number_text.h"
#include "core/text_codec.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ym::statement {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

struct ColumnName {
    std::string_view name;
    Column column;
};

constexpr std::array<ColumnName, 30> kColumnNames{{
    {"date", Column::Date},         {"日期", Column::Date},
    {"成交日期", Column::Date},     {"交易日期", Column::Date},
    {"market", Column::Market},     {"市场", Column::Market},
    {"type", Column::Type},         {"类型", Column::Type},
    {"证券类型", Column::Type},     {"side", Column::Side},
    {"买卖", Column::Side},         {"买卖方向", Column::Side},
    {"方向", Column::Side},         {"price", Column::Price},
    {"价格", Column::Price},        {"成交价格", Column::Price},
    {"成交均价", Column::Price},    {"quantity", Column::Quantity},
    {"qty", Column::Quantity},      {"数量", Column::Quantity},
    {"成交数量", Column::Quantity}, {"commission", Column::Commission},
    {"佣金", Column::Commission},   {"stamp", Column::Stamp},
    {"印花税", Column::Stamp},      {"transfer", Column::Transfer},
    {"过户费", Column::Transfer},   {"other", Column::Other},
    {"其它", Column::Other},        {"其他", Column::Other},
}};

constexpr std::array<std::string_view, kColumns> kColumnKeys{
    "date",     "market",     "type",  "side",     "price",
    "quantity", "commission", "stamp", "transfer", "other"};

struct SideWord {
    std::string_view word;
    Side side;
};
constexpr std::array<SideWord, 8> kSideWords{{
    {"buy", Side::Buy},
    {"b", Side::Buy},
    {"买", Side::Buy},
    {"买入", Side::Buy},
    {"sell", Side::Sell},
    {"s", Side::Sell},
    {"卖", Side::Sell},
    {"卖出", Side::Sell},
}};

// A plain decimal: digits with at most one point (a digit on at least one side), an
// optional minus sign where negatives are allowed; no exponent, no grouping.
std::optional<double> PlainNumber(std::string_view text, bool negativeAllowed) {
    std::string_view digits = text;
    if (negativeAllowed && !digits.empty() && digits.front() == '-') {
        digits.remove_prefix(1);
    }
    std::size_t points = 0;
    std::size_t count = 0;
    for (char c : digits) {
        if (c == '.') {
            ++points;
        } else if (c >= '0' && c <= '9') {
            ++count;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0 || points > 1) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] = portable::ParseDouble(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string Quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace

std::string_view ColumnKey(Column column) {
    return kColumnKeys[static_cast<std::size_t>(column)];
}

std::string FromGbk(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80) {
            out.push_back(s[i]);
            continue;
        }
        char32_t code = text::kReplacementCharacter;
        // A lead byte takes the next byte with it only when that can end a pair: a broken
        // pair must not swallow a separator or the line break.
        const auto trail = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        if (text::IsGbkLead(lead) && trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
            if (const char16_t c = GbkCharacter(lead, trail)) {
                code = c;
            }
            ++i;
        }
        text::AppendUtf8(out, code);
    }
    return out;
}

Decoded Decode(std::string_view bytes) {
    if (bytes.starts_with(text::kUtf8Bom)) {
        bytes.remove_prefix(text::kUtf8Bom.size());
        return {std::string(bytes), false};
    }
    if (text::IsUtf8(bytes)) {
        return {std::string(bytes), false};
    }
    return {FromGbk(bytes), true};
}

std::optional<Record> Reader::Next() {
    for (;;) {
        if (pos_ >= text_.size()) {
            return std::nullopt;
        }
        Record record;
        record.line = line_;
        std::string field;
        bool quoted = false;    // inside quotes
        bool wasQuoted = false; // the field began with a quote
        bool ended = false;
        auto finishField = [&] {
            record.fields.push_back(wasQuoted ? field : std::string(Trim(field)));
            field.clear();
            wasQuoted = false;
        };
        while (pos_ < text_.size() && !ended) {
            const char c = text_[pos_++];
            if (quoted) {
                if (c == '"') {
                    if (pos_ < text_.size() && text_[pos_] == '"') {
                        field.push_back('"');
                        ++pos_;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == '\n' || (c == '\r' && (pos_ >= text_.size() || text_[pos_] != '\n'))) {
                        ++line_;
                    }
                    field.push_back(c);
                }
            } else if (c == '"' && Trim(field).empty()) {
                field.clear();
                quoted = true;
                wasQuoted = true;
            } else if (c == separator_) {
                finishField();
            } else if (c == '\n' || c == '\r') {
                if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') {
                    ++pos_;
                }
                ++line_;
                ended = true;
            } else if (!wasQuoted) {
                field.push_back(c);
            } else if (c != ' ' && c != '\t') {
                field.push_back(c); // text after a closing quote stays part of the field
            }
        }
        if (quoted) {
            unclosed_ = true;
        }
        const bool lastQuoted = wasQuoted;
        finishField();
        const bool blank = record.fields.size() == 1 && record.fields[0].empty() && !lastQuoted;
        if (!blank || quoted) {
            return record;
        }
    }
}

std::variant<Header, std::string> ParseHeader(const std::vector<std::string>& fields) {
    Header header;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string name = text::AsciiLower(fields[i]);
        const auto found = std::find_if(kColumnNames.begin(), kColumnNames.end(),
                                        [&](const ColumnName& c) { return c.name == name; });
        if (found == kColumnNames.end()) {
            header.ignored.push_back(fields[i]);
            continue;
        }
        auto& slot = header.at[static_cast<std::size_t>(found->column)];
        if (slot) {
            return "the header names the column " + std::string(ColumnKey(found->column)) +
                   " twice (" + Quote(fields[*slot]) + " and " + Quote(fields[i]) + ")";
        }
        slot = i;
    }
    std::string missing;
    for (std::size_t c = 0; c < kFirstCharged; ++c) {
        if (!header.at[c]) {
            missing += (missing.empty() ? "" : ", ") + std::string(kColumnKeys[c]);
        }
    }
    if (!missing.empty()) {
        return "the header lacks the column(s) " + missing +
               " (date,market,type,side,price,quantity; or 日期,市场,类型,买卖,价格,数量)";
    }
    return header;
}

std::variant<Leg, std::string> ParseLeg(const Header& header,
                                        const std::vector<std::string>& fields) {
    auto field = [&](Column c) -> std::string_view {
        const auto at = header.at[static_cast<std::size_t>(c)];
        return at && *at < fields.size() ? std::string_view(fields[*at]) : std::string_view();
    };
    // Exports often drop empty fields at the end of a line: only the required columns
    // must be there.
    std::size_t needed = 0;
    for (std::size_t c = 0; c < kFirstCharged; ++c) {
        needed = std::max(needed, *header.at[c] + 1);
    }
    if (fields.size() < needed) {
        return "has " + std::to_string(fields.size()) + " fields, the header " +
               std::to_string(needed) + " or more";
    }
    Leg leg;
    const auto date = ParseDate(field(Column::Date));
    if (!date) {
        return "date " + Quote(field(Column::Date)) + " is not a date (YYYY-MM-DD or YYYYMMDD)";
    }
    leg.date = *date;
    const auto market = ParseMarket(field(Column::Market));
    if (!market) {
        return "market " + Quote(field(Column::Market)) +
               " is not a market (sh, sz, 1, 2, 沪市, 深市)";
    }
    leg.market = *market;
    const auto type = ParseType(field(Column::Type));
    if (!type) {
        return "type " + Quote(field(Column::Type)) +
               " is not a security type (a, bond, fund, sif, b, 1..5, A股 ...)";
    }
    leg.type = *type;
    const std::string side = text::AsciiLower(field(Column::Side));
    const auto sideWord = std::find_if(kSideWords.begin(), kSideWords.end(),
                                       [&](const SideWord& w) { return w.word == side; });
    if (sideWord == kSideWords.end()) {
        return "side " + Quote(field(Column::Side)) +
               " is neither buy nor sell (buy, sell, 买, 卖)";
    }
    leg.side = sideWord->side;
    const auto price = PlainNumber(field(Column::Price), false);
    if (!price || !(*price > 0)) {
        return "price " + Quote(field(Column::Price)) + " is not a plain number above 0";
    }
    leg.price = *price;
    const auto quantity = PlainNumber(field(Column::Quantity), false);
    if (!quantity || !(*quantity > 0) || std::floor(*quantity) != *quantity) {
        return "quantity " + Quote(field(Column::Quantity)) + " is not a whole number above 0";
    }
    leg.quantity = *quantity;
    for (std::size_t i = 0; i < kChargedColumns; ++i) {
        const auto column = static_cast<Column>(kFirstCharged + i);
        const std::string_view text = field(column);
        if (text.empty()) {
            continue;
        }
        leg.charged[i] = PlainNumber(text, true);
        if (!leg.charged[i]) {
            return std::string(ColumnKey(column)) + " " + Quote(text) + " is not a plain number";
        }
    }
    return leg;
}

ComputedFees ComputeFees(const LegCharges& leg) {
    // The settlement fee has no column of its own: B shares pay it, the other fee's column.
    const double other = leg[ChargeSlot::Settlement] + leg.other;
    return {RoundToCents(leg[ChargeSlot::Commission]),
            RoundToCents(leg[ChargeSlot::Stamp]),
            RoundToCents(leg[ChargeSlot::Transfer]),
            RoundToCents(leg[ChargeSlot::Handling]),
            RoundToCents(leg[ChargeSlot::Regulator]),
            RoundToCents(other),
            RoundToCents(leg.total),
            RoundToCents(leg.amount)};
}

std::array<double, kChargedColumns> ComputedFees::Charged() const {
    return {commission, stamp, transfer, RoundToCents(handling + regulatory + other)};
}

} // namespace ym::statement
