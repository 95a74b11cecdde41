// Reading a statement CSV: what a broker's or a spreadsheet's export can hold beyond the
// statements yuanmate-calc batch checks (tests/tools): quoting, line ends, characters of a
// stock name in GBK, and every field a user can get wrong.
#include "core/statement_csv.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace ym::statement {
namespace {

using Fields = std::vector<std::string>;

// Any GBK character reads: 浦发银行, 啊 (B0A1, the first hanzi of GB 2312), 﨩 (FE4F, from
// GBK's extension, U+FA29). A pair that names no character (A2A0) and a lead byte cut off by
// a separator or the line end read as U+FFFD and keep what follows.
TEST(StatementCsv, GbkReadsEveryCharacter) {
    const Decoded d = Decode("\xC6\xD6\xB7\xA2\xD2\xF8\xD0\xD0,\xC2\xF4\t\xC2\t\xB0\xA1\xFE\x4F"
                             "\xA2\xA0,\xC2\r\nx\n");
    EXPECT_TRUE(d.gbk);
    EXPECT_EQ(d.text, "浦发银行,卖\t\uFFFD\t啊\uFA29\uFFFD,\uFFFD\r\nx\n");
    EXPECT_EQ(Decode(",\xC2\nx\n").text, ",\uFFFD\nx\n");
    // 0x80 and 0xFF lead no pair: they take no comma with them.
    EXPECT_EQ(Decode(",\x80,\xFF,x").text, ",\uFFFD,\uFFFD,x");
}

// Line ends of every kind, blank lines skipped, blanks trimmed, quotes keeping commas,
// doubled quotes and line breaks, empty fields; each record with the line it starts on.
TEST(StatementCsv, SplitsRecords) {
    Reader reader("a,b\r\nc,d\ne\rf\r\n\r\n a , b \r\n  \r\n\"1,000\",\"say \"\"hi\"\"\"\r\n"
                  "\"two\nlines\",x\r\n,,\r\n\"\"\r\n\"open,c\r\nd");
    const std::vector<std::pair<std::size_t, Fields>> expected = {{1, {"a", "b"}},
                                                                  {2, {"c", "d"}},
                                                                  {3, {"e"}},
                                                                  {4, {"f"}},
                                                                  {6, {"a", "b"}},
                                                                  {8, {"1,000", "say \"hi\""}},
                                                                  {9, {"two\nlines", "x"}},
                                                                  {11, {"", "", ""}},
                                                                  {12, {""}}};
    for (const auto& [line, fields] : expected) {
        const std::optional<Record> r = reader.Next();
        ASSERT_TRUE(r.has_value()) << line;
        EXPECT_EQ(r->line, line);
        EXPECT_EQ(r->fields, fields) << line;
        EXPECT_FALSE(reader.unclosed());
    }
    ASSERT_TRUE(reader.Next().has_value());
    EXPECT_TRUE(reader.unclosed());
    EXPECT_FALSE(reader.Next().has_value());
}

// Headers: each required column once, in either language; a leg: each field where the
// header puts it, and what is wrong named in the message.
TEST(StatementCsv, HeadersAndLegsNameWhatIsWrong) {
    for (const Fields& bad :
         {Fields{"date", "market", "type", "side", "price"},
          Fields{"date", "market", "type", "side", "price", "数量", "qty"},
          Fields{"日期", "date", "market", "type", "side", "price", "quantity"}}) {
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseHeader(bad))) << bad.size();
    }
    const auto parsed = ParseHeader({"Quantity", "code", "PRICE", "side", "type", "market", "date",
                                     "佣金", "印花税", "过户费", "其它"});
    ASSERT_TRUE(std::holds_alternative<Header>(parsed));
    const Header& header = std::get<Header>(parsed);
    const auto good = ParseLeg(
        header, {"1000", "x", "10.5", "卖出", "A股", "深市", "20260105", "5", "", "-0.1", "0.54"});
    ASSERT_TRUE(std::holds_alternative<Leg>(good)) << std::get<std::string>(good);
    const Leg& leg = std::get<Leg>(good);
    EXPECT_EQ(leg.date, (Date{2026, 1, 5}));
    EXPECT_EQ(leg.market, Market::Shenzhen);
    EXPECT_EQ(leg.type, SecurityType::AShare);
    EXPECT_EQ(leg.side, Side::Sell);
    EXPECT_EQ(leg.price, 10.5);
    EXPECT_EQ(leg.quantity, 1000);
    EXPECT_EQ(leg.charged,
              (std::array<std::optional<double>, kChargedColumns>{5, std::nullopt, -0.1, 0.54}));

    // clang-format off
    const std::pair<Fields, const char*> bad[] = {
        {{"100", "", "10", "buy", "warrant", "sh", "2026-01-05"}, "type"},
        {{"100", "", "10", "short", "a", "sh", "2026-01-05"}, "side"},
        {{"100", "", "0", "buy", "a", "sh", "2026-01-05"}, "price"},
        {{"100", "", "1e3", "buy", "a", "sh", "2026-01-05"}, "price"},
        {{"100", "", "1,000", "buy", "a", "sh", "2026-01-05"}, "price"},
        {{"100.5", "", "10", "buy", "a", "sh", "2026-01-05"}, "quantity"},
        {{"-100", "", "10", "buy", "a", "sh", "2026-01-05"}, "quantity"},
        {{"100", "", "10", "buy", "a", "sh", "2026-01-05", "5元"}, "commission"},
        {{"100", "", "10", "buy", "a", "sh", "2026-01-05", "", "", "", "nan"}, "other"},
    };
    // clang-format on
    for (const auto& [fields, names] : bad) {
        const auto leg = ParseLeg(header, fields);
        ASSERT_TRUE(std::holds_alternative<std::string>(leg)) << names;
        EXPECT_NE(std::get<std::string>(leg).find(names), std::string::npos)
            << std::get<std::string>(leg);
    }
}

} // namespace
} // namespace ym::statement
