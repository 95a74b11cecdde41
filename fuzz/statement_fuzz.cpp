// Any bytes as a statement file, UTF-8 or GBK. Besides never crashing, the reader must give
// back what a writer put in: records written out again with every field quoted read as the
// same records, and a trade leg it accepted, written in the plainest form, reads as the
// same leg to the last bit.
#include "core/statement_csv.h"
#include "fuzz/fuzz_check.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

using namespace ym;
using namespace ym::statement;

std::vector<Record> ReadAll(std::string_view text) {
    Reader reader(text);
    std::vector<Record> records;
    while (auto r = reader.Next()) {
        records.push_back(std::move(*r));
    }
    return records;
}

std::string Quoted(std::string_view field) {
    std::string out = "\"";
    for (char c : field) {
        out += c == '"' ? "\"\"" : std::string(1, c);
    }
    return out + "\"";
}

std::string Written(const std::vector<Record>& records) {
    std::string out;
    for (const Record& r : records) {
        for (std::size_t i = 0; i < r.fields.size(); ++i) {
            out += (i == 0 ? "" : ",") + Quoted(r.fields[i]);
        }
        out += "\r\n";
    }
    return out;
}

// The shortest plain decimal that reads back as the same double.
std::string Plain(double v) {
    char buf[400];
    const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed).ptr;
    return std::string(buf, end);
}

std::string WrittenLeg(const Leg& leg) {
    std::string line = FormatDate(leg.date) + "," + std::to_string(NumberOf(leg.market)) + "," +
                       std::string(TypeKey(leg.type)) + "," +
                       (leg.side == Side::Buy ? "buy" : "sell") + "," + Plain(leg.price) + "," +
                       Plain(leg.quantity);
    for (const auto& charged : leg.charged) {
        line += "," + (charged ? Plain(*charged) : std::string());
    }
    return line;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameLeg(const Leg& a, const Leg& b) {
    bool same = a.date == b.date && a.market == b.market && a.type == b.type && a.side == b.side &&
                SameBits(a.price, b.price) && SameBits(a.quantity, b.quantity);
    for (std::size_t i = 0; i < kChargedColumns; ++i) {
        same = same && a.charged[i].has_value() == b.charged[i].has_value() &&
               (!a.charged[i] || SameBits(*a.charged[i], *b.charged[i]));
    }
    return same;
}

void CheckLegRoundTrip(const Leg& leg) {
    YM_FUZZ_CHECK(std::isfinite(leg.price) && leg.price > 0 && std::isfinite(leg.quantity) &&
                  leg.quantity > 0 && std::floor(leg.quantity) == leg.quantity);
    static const std::vector<std::string> kHeader = {"date",     "market",   "type",       "side",
                                                     "price",    "quantity", "commission", "stamp",
                                                     "transfer", "other"};
    const auto header = ParseHeader(kHeader);
    YM_FUZZ_CHECK(std::holds_alternative<Header>(header));
    const std::vector<Record> again = ReadAll(WrittenLeg(leg));
    YM_FUZZ_CHECK(again.size() == 1);
    const auto parsed = ParseLeg(std::get<Header>(header), again[0].fields);
    YM_FUZZ_CHECK(std::holds_alternative<Leg>(parsed) && SameLeg(std::get<Leg>(parsed), leg));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Decoded decoded = Decode(bytes);
    if (!decoded.gbk && !bytes.starts_with("\xEF\xBB\xBF")) {
        YM_FUZZ_CHECK(decoded.text == bytes); // UTF-8 is taken as it is
    }

    const std::vector<Record> records = ReadAll(decoded.text);
    const std::vector<Record> again = ReadAll(Written(records));
    YM_FUZZ_CHECK(again.size() == records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        YM_FUZZ_CHECK(again[i].fields == records[i].fields);
    }

    if (records.empty()) {
        return 0;
    }
    const auto header = ParseHeader(records[0].fields);
    if (!std::holds_alternative<Header>(header)) {
        return 0;
    }
    for (std::size_t i = 1; i < records.size(); ++i) {
        const auto leg = ParseLeg(std::get<Header>(header), records[i].fields);
        if (std::holds_alternative<Leg>(leg)) {
            CheckLegRoundTrip(std::get<Leg>(leg));
        }
    }
    return 0;
}
