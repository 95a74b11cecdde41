// Reading a statement CSV: encodings, quoting, headers in both languages and the lines a
// user's export can get wrong.
#include "core/statement_csv.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace ym::statement {
namespace {

using Fields = std::vector<std::string>;

std::vector<Record> ReadAll(std::string_view text) {
    Reader reader(text);
    std::vector<Record> records;
    while (auto r = reader.Next()) {
        records.push_back(*r);
    }
    return records;
}

Header HeaderOf(const Fields& fields) {
    auto parsed = ParseHeader(fields);
    EXPECT_TRUE(std::holds_alternative<Header>(parsed)) << std::get<std::string>(parsed);
    return std::get<Header>(parsed);
}

// The header line 日期,市场,类型,买卖,价格,数量,佣金,印花税,过户费,其它 in GBK, as a Chinese
// spreadsheet saves it (bytes from the GBK code table).
const std::string kGbkHeader =
    "\xC8\xD5\xC6\xDA,\xCA\xD0\xB3\xA1,\xC0\xE0\xD0\xCD,\xC2\xF2\xC2\xF4,"
    "\xBC\xDB\xB8\xF1,\xCA\xFD\xC1\xBF,\xD3\xB6\xBD\xF0,"
    "\xD3\xA1\xBB\xA8\xCB\xB0,\xB9\xFD\xBB\xA7\xB7\xD1,\xC6\xE4\xCB\xFC";

TEST(StatementCsvTest, DecodesUtf8AndGbk) {
    const Decoded utf8 = Decode("\xEF\xBB\xBF日期,买卖\r\n");
    EXPECT_FALSE(utf8.gbk);
    EXPECT_EQ(utf8.text, "日期,买卖\r\n");
    const Decoded gbk = Decode(kGbkHeader + "\r\n2026-12-06,sh,a,\xC2\xF4,10,100\r\n");
    EXPECT_TRUE(gbk.gbk);
    EXPECT_EQ(gbk.text, "日期,市场,类型,买卖,价格,数量,佣金,印花税,过户费,其它\r\n"
                        "2026-12-06,sh,a,卖,10,100\r\n");
    // A stock name outside the reader's words (浦发银行) and a lead byte cut off by the line end
    // keep the line breaks and the commas.
    const Decoded other = Decode("\xC6\xD6\xB7\xA2\xD2\xF8\xD0\xD0,\xC2\r\nx\n");
    EXPECT_EQ(other.text, "\uFFFD\uFFFD\uFFFD\uFFFD,\uFFFD\r\nx\n");
}

TEST(StatementCsvTest, SplitsRecords) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<Fields> fields;
        std::vector<std::size_t> lines;
    };
    const Case cases[] = {
        {"line ends of every kind",
         "a,b\r\nc,d\ne\rf",
         {{"a", "b"}, {"c", "d"}, {"e"}, {"f"}},
         {1, 2, 3, 4}},
        {"blank lines skipped, blanks trimmed",
         "\r\n a , b \r\n\r\n  \r\nc\r\n",
         {{"a", "b"}, {"c"}},
         {2, 5}},
        {"quotes keep commas, doubled quotes and line breaks",
         "\"1,000\",\"say \"\"hi\"\"\"\r\n"
         "\"two\nlines\",x\r\nnext",
         {{"1,000", "say \"hi\""}, {"two\nlines", "x"}, {"next"}},
         {1, 2, 4}},
        {"empty fields", ",,\r\n\"\"", {{"", "", ""}, {""}}, {1, 2}},
    };
    for (const Case& c : cases) {
        const std::vector<Record> records = ReadAll(c.text);
        ASSERT_EQ(records.size(), c.fields.size()) << c.name;
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].fields, c.fields[i]) << c.name << " record " << i;
            EXPECT_EQ(records[i].line, c.lines[i]) << c.name << " record " << i;
        }
    }
    Reader unclosed("a\r\n\"b,c\r\nd");
    ASSERT_TRUE(unclosed.Next().has_value());
    EXPECT_FALSE(unclosed.unclosed());
    ASSERT_TRUE(unclosed.Next().has_value());
    EXPECT_TRUE(unclosed.unclosed());
}

TEST(StatementCsvTest, HeadersInBothLanguages) {
    const Header chinese = HeaderOf(
        {"日期", "市场", "类型", "买卖", "价格", "数量", "佣金", "印花税", "过户费", "其它"});
    for (std::size_t c = 0; c < kColumns; ++c) {
        EXPECT_EQ(chinese.at[c], c);
    }
    const Header english =
        HeaderOf({"Quantity", "code", "PRICE", "side", "type", "market", "date", "other"});
    EXPECT_EQ(english.at[static_cast<std::size_t>(Column::Quantity)], 0u);
    EXPECT_EQ(english.at[static_cast<std::size_t>(Column::Date)], 6u);
    EXPECT_FALSE(english.Has(Column::Commission));
    EXPECT_TRUE(english.Has(Column::Other));
    EXPECT_EQ(english.ignored, Fields{"code"});

    for (const Fields& bad :
         {Fields{"date", "market", "type", "side", "price"},
          Fields{"date", "market", "type", "side", "price", "数量", "qty"},
          Fields{"日期", "date", "market", "type", "side", "price", "quantity"}, Fields{}}) {
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseHeader(bad))) << bad.size();
    }
}

TEST(StatementCsvTest, ReadsLegsAndNamesWhatIsWrong) {
    const Header header = HeaderOf({"date", "market", "type", "side", "price", "quantity",
                                    "commission", "stamp", "transfer", "other"});
    const auto good = ParseLeg(
        header, {"20260105", "深市", "A股", "卖出", "10.5", "1000", "5", "", "-0.1", "0.54"});
    ASSERT_TRUE(std::holds_alternative<Leg>(good)) << std::get<std::string>(good);
    const Leg& leg = std::get<Leg>(good);
    EXPECT_EQ(leg.date, (Date{2026, 1, 5}));
    EXPECT_EQ(leg.market, Market::Shenzhen);
    EXPECT_EQ(leg.type, SecurityType::AShare);
    EXPECT_EQ(leg.side, Side::Sell);
    EXPECT_EQ(leg.price, 10.5);
    EXPECT_EQ(leg.quantity, 1000);
    EXPECT_EQ(leg.charged[0], 5);
    EXPECT_FALSE(leg.charged[1].has_value());
    EXPECT_EQ(leg.charged[2], -0.1);
    EXPECT_EQ(leg.charged[3], 0.54);

    struct Bad {
        Fields fields;
        const char* names; // a part of the message
    };
    for (const Bad& b : {
             Bad{{"2026-02-30", "sh", "a", "buy", "10", "100"}, "date"},
             Bad{{"2026-01-05", "hk", "a", "buy", "10", "100"}, "market"},
             Bad{{"2026-01-05", "sh", "warrant", "buy", "10", "100"}, "type"},
             Bad{{"2026-01-05", "sh", "a", "short", "10", "100"}, "side"},
             Bad{{"2026-01-05", "sh", "a", "buy", "0", "100"}, "price"},
             Bad{{"2026-01-05", "sh", "a", "buy", "1e3", "100"}, "price"},
             Bad{{"2026-01-05", "sh", "a", "buy", "1,000", "100"}, "price"},
             Bad{{"2026-01-05", "sh", "a", "buy", "10", "100.5"}, "quantity"},
             Bad{{"2026-01-05", "sh", "a", "buy", "10", "-100"}, "quantity"},
             Bad{{"2026-01-05", "sh", "a", "buy", "10", "100", "5元"}, "commission"},
             Bad{{"2026-01-05", "sh", "a", "buy", "10", "100", "", "", "", "nan"}, "other"},
             Bad{{"2026-01-05", "sh", "a", "buy", "10"}, "fields"},
         }) {
        const auto parsed = ParseLeg(header, b.fields);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << b.names;
        EXPECT_NE(std::get<std::string>(parsed).find(b.names), std::string::npos)
            << std::get<std::string>(parsed);
    }
}

} // namespace
} // namespace ym::statement
