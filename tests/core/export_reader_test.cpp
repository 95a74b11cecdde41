// Reading trading clients' exports as they are: the three shapes of tests/data/statements
// (a GBK TSV named .xls, a spreadsheet's UTF-8 CSV, a statement with the account's events),
// workbooks told apart, and the same lines whatever pieces the file arrives in.
#include "core/export_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ym::statement {
namespace {

struct Scan {
    std::vector<TradeLine> trades;
    std::map<std::string, int> events;
    std::vector<UnreadableLine> unreadable;
    std::optional<std::string> problem;
};

LineHandler Collect(Scan& scan) {
    return [&scan](const ExportLine& line) {
        if (const auto* t = std::get_if<TradeLine>(&line)) {
            scan.trades.push_back(*t);
        } else if (const auto* e = std::get_if<EventLine>(&line)) {
            ++scan.events[e->word];
        } else {
            scan.unreadable.push_back(std::get<UnreadableLine>(line));
        }
    };
}

Scan ScanFile(const std::string& name) {
    Scan scan;
    scan.problem =
        ScanExportFile(std::string(YM_TEST_DATA) + "/statements/" + name, 0, Collect(scan));
    return scan;
}

// Feeds `bytes` in pieces of `size` bytes.
Scan ScanPieces(std::string_view bytes, std::size_t size) {
    Scan scan;
    ExportScanner scanner(0, Collect(scan));
    for (std::size_t i = 0; i < bytes.size(); i += size) {
        scanner.Feed(bytes.substr(i, size), false);
    }
    scanner.Feed({}, true);
    scan.problem = scanner.problem();
    return scan;
}

struct Expected {
    std::size_t line;
    Date date;
    const char* code;
    Market market;
    SecurityType type;
    Side side;
    double price, quantity;
    std::optional<double> commission, stamp, transfer, other;
};

void ExpectTrades(const std::vector<TradeLine>& got, const std::vector<Expected>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        const TradeLine& t = got[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.line);
        EXPECT_EQ(t.line, e.line);
        EXPECT_EQ(t.date, e.date);
        EXPECT_EQ(t.code, e.code);
        EXPECT_EQ(t.market, e.market);
        EXPECT_EQ(t.type, e.type);
        EXPECT_EQ(t.side, e.side);
        EXPECT_EQ(t.price, e.price);
        EXPECT_EQ(t.quantity, e.quantity);
        EXPECT_EQ(t.charged, (std::array<std::optional<double>, kChargedColumns>{
                                 e.commission, e.stamp, e.transfer, e.other}));
    }
}

constexpr Market kSh = Market::Shanghai;
constexpr Market kSz = Market::Shenzhen;
constexpr SecurityType kA = SecurityType::AShare;
constexpr Side kBuy = Side::Buy;
constexpr Side kSell = Side::Sell;

// GBK, tabs, ="..." around every value, a tab after the last field, title lines above.
TEST(ExportReader, GbkTabsNamedXls) {
    const Scan scan = ScanFile("tdx_gbk.xls");
    EXPECT_FALSE(scan.problem) << *scan.problem;
    EXPECT_TRUE(scan.unreadable.empty());
    ExpectTrades(scan.trades,
                 {{5, {2026, 1, 5}, "600000", kSh, kA, kBuy, 10.5, 1000, 5, 0, 0.11, 0.57},
                  {6, {2026, 1, 6}, "000878", kSz, kA, kSell, 12.34, 2000, 6.17, 12.34, 0.25, 1.34},
                  {7, {2026, 1, 6}, "000001", kSz, kA, kBuy, 11, 500, 5, 0, 0.06, 0.30}});
    EXPECT_EQ(scan.trades[1].amount, 24680);
    EXPECT_EQ(scan.trades[1].net, 24659.90);
}

// A spreadsheet's CSV: codes without leading zeros, sells negative, 手续费 as the commission,
// no transfer column, a quoted amount with a grouping comma, slashed dates, a fund.
TEST(ExportReader, SpreadsheetCsv) {
    const Scan scan = ScanFile("ths_utf8.csv");
    EXPECT_FALSE(scan.problem) << *scan.problem;
    EXPECT_TRUE(scan.unreadable.empty());
    ExpectTrades(
        scan.trades,
        {{2, {2026, 1, 7}, "000878", kSz, kA, kSell, 12.5, 300, 5, 1.88, {}, 0.24},
         {3, {2026, 1, 8}, "159915", kSz, SecurityType::Fund, kBuy, 2.345, 1000, 5, 0, {}, 0.1},
         {4, {2026, 1, 9}, "600000", kSh, kA, kSell, 10.8, 1000, 5, 5.4, {}, 0.59}});
    EXPECT_EQ(scan.trades[0].net, 3742.88);
}

// Only trades are trades: events counted by their word, an unfilled order is none, a title
// and a total line are passed over, and a line with a business word that cannot be read is
// named with its line (a bad date; a security without fee rules).
TEST(ExportReader, EventsAndUnreadableLines) {
    const Scan scan = ScanFile("events.txt");
    EXPECT_FALSE(scan.problem) << *scan.problem;
    ExpectTrades(scan.trades,
                 {{5, {2026, 1, 5}, "600000", kSh, kA, kBuy, 10.5, 1000, 5, 0, 0.11, 0.57},
                  {11, {2026, 1, 9}, "600000", kSh, kA, kSell, 10.6, 1000, 5, 5.3, 0.11, 0.58}});
    EXPECT_EQ(scan.events,
              (std::map<std::string, int>{
                  {"银行转证券", 1}, {"申购配号", 2}, {"股息入账", 1}, {"证券卖出 (未成交)", 1}}));
    ASSERT_EQ(scan.unreadable.size(), 2u);
    EXPECT_EQ(scan.unreadable[0].line, 10u);
    EXPECT_NE(scan.unreadable[0].why.find("2026010X"), std::string::npos);
    EXPECT_EQ(scan.unreadable[1].line, 12u);
    EXPECT_NE(scan.unreadable[1].why.find("Beijing"), std::string::npos);
}

// Workbooks and other binaries are told as such, with what to do; so is a text without a
// header.
TEST(ExportReader, BinaryFilesToldAsSuch) {
    const std::pair<std::string_view, const char*> cases[] = {
        {std::string_view("PK\x03\x04\x14\x00\x06\x00", 8), ".xlsx"},
        {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", ".xls"},
        {"\xFF\xFE\x10\x62", "UTF-16"},
        {std::string_view("\0\0\0\0date\0code\n", 14), "no header"},
        {"日期,名称\n2026-01-05,x\n", "no header"},
        {"", "no header"},
    };
    for (const auto& [bytes, word] : cases) {
        const Scan scan = ScanPieces(bytes, 3);
        ASSERT_TRUE(scan.problem) << word;
        EXPECT_NE(scan.problem->find(word), std::string::npos) << *scan.problem;
        EXPECT_TRUE(scan.trades.empty());
    }
}

// The same lines and line numbers whatever pieces the bytes arrive in: a CR LF or a GBK pair
// cut in two, a quoted field running over a line break (卖出 in GBK: C2F4 B3F6).
TEST(ExportReader, PiecesDoNotMatter) {
    std::ifstream in(std::string(YM_TEST_DATA) + "/statements/tdx_gbk.xls", std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    bytes += "20260107\t\t600000\t\"two\r\nlines\"\t\xC2\xF4\xB3\xF6\t100\t10\t1000\t5\t0.5\t0."
             "01\t0.06\t\t\t\r\n";
    const Scan whole = ScanPieces(bytes, bytes.size());
    ASSERT_EQ(whole.trades.size(), 4u);
    EXPECT_EQ(whole.trades[3].line, 8u);
    for (const std::size_t size : {1u, 2u, 7u, 64u}) {
        const Scan pieces = ScanPieces(bytes, size);
        ASSERT_EQ(pieces.trades.size(), whole.trades.size()) << size;
        for (std::size_t i = 0; i < whole.trades.size(); ++i) {
            EXPECT_EQ(pieces.trades[i].line, whole.trades[i].line) << size;
            EXPECT_EQ(pieces.trades[i].charged, whole.trades[i].charged) << size;
        }
    }
}

TEST(ExportReader, DatesAsExportsWriteThem) {
    const std::pair<const char*, std::optional<Date>> cases[] = {
        {"20260105", Date{2026, 1, 5}},     {"2026-01-05", Date{2026, 1, 5}},
        {"2026/1/5", Date{2026, 1, 5}},     {"2026.01.05", Date{2026, 1, 5}},
        {"2026年1月5日", Date{2026, 1, 5}}, {"2026-01-05 14:52:56", Date{2026, 1, 5}},
        {"2026/2/30", std::nullopt},        {"合计", std::nullopt},
        {"2026-01", std::nullopt},          {"1/5/2026", std::nullopt},
        {"2026-01-05-01", std::nullopt},    {"", std::nullopt},
    };
    for (const auto& [text, date] : cases) {
        EXPECT_EQ(ParseExportDate(text), date) << text;
    }
}

} // namespace
} // namespace ym::statement

namespace ym::statement {
namespace {

Scan ScanText(const std::string& text) {
    return ScanPieces(text, text.size());
}

// Values as spreadsheets and clients write them, read or refused with the field named.
TEST(ExportReader, ValuesAsWritten) {
    const std::string header = "成交日期,证券代码,操作,成交数量,成交价格,佣金\n";
    const std::pair<std::string, std::string> good[] = {
        {"20260105,=\"600000\",买入,\"1,000\",10.5,5", "600000 1000 10.5 5"},
        {"20260105,'600000,买入,1000, 10.5 ,.62", "600000 1000 10.5 0.62"},
        {"20260105,sh600000,买入,+1000,10.50,5.00", "600000 1000 10.5 5"},
        {"20260105,600000.SH,卖出,-1000.00,10.5,--", "600000 1000 10.5 -"},
        {"20260105,\xE3\x80\x80"
         "600000\xE3\x80\x80,买入,1000,10.5,",
         "600000 1000 10.5 -"},
    };
    for (const auto& [line, expected] : good) {
        const Scan scan = ScanText(header + line + "\n");
        ASSERT_EQ(scan.trades.size(), 1u) << line;
        const TradeLine& t = scan.trades[0];
        const auto& c = t.charged[0];
        std::ostringstream got;
        got << t.code << ' ' << t.quantity << ' ' << t.price << ' ';
        if (c) {
            got << *c;
        } else {
            got << '-';
        }
        EXPECT_EQ(got.str(), expected) << line;
    }
    const std::pair<std::string, const char*> bad[] = {
        {"20260105,600000,买入,1.000.0,10.5,5", "quantity \"1.000.0\""},
        {"20260105,600000,买入,1000,10.5元,5", "price \"10.5元\""},
        {"20260105,600000,买入,1000,10.5,5,", nullptr}, // a trailing separator is no field
        {"20260105,600000,买入,,10.5,5", "quantity is empty"},
        {"20260105,600000,,1000,10.5,5", "no business word"},
        {"20260105,999999,买入,1000,10.5,5", "999999 is not a code"},
        {"20260105,1234567,买入,1000,10.5,5", "not a security code"},
    };
    for (const auto& [line, why] : bad) {
        const Scan scan = ScanText(header + line + "\n");
        if (why == nullptr) {
            EXPECT_EQ(scan.trades.size(), 1u) << line;
            continue;
        }
        ASSERT_EQ(scan.unreadable.size(), 1u) << line;
        EXPECT_EQ(scan.unreadable[0].line, 2u);
        EXPECT_NE(scan.unreadable[0].why.find(why), std::string::npos) << scan.unreadable[0].why;
    }
}

// 手续费 is the commission without a 佣金 column and their sum beside one; a code of both
// exchanges (111xxx: Shanghai convertibles, Shenzhen enterprise bonds) is told by the
// shareholder account; a header repeated between monthly pages is passed over; without a
// business word the quantity's sign tells the side.
TEST(ExportReader, ColumnsByMeaning) {
    const Scan total = ScanText("日期,代码,摘要,数量,价格,佣金,手续费,股东帐户\n"
                                "20260105,111001,买入,10,100,1,1.5,A000000001\n"
                                "20260105,111001,买入,10,100,1,1.5,0000000002\n"
                                "20260105,111001,买入,10,100,1,1.5,\n"
                                "日期,代码,摘要,数量,价格,佣金,手续费,股东帐户\n"
                                "20260106,600000,卖出,100,10,5,5.5,A000000001\n");
    ASSERT_EQ(total.trades.size(), 3u);
    EXPECT_EQ(total.trades[0].market, Market::Shanghai);
    EXPECT_EQ(total.trades[0].type, SecurityType::Bond);
    EXPECT_EQ(total.trades[1].market, Market::Shenzhen);
    EXPECT_EQ(total.trades[0].charged[0], 1);
    ASSERT_EQ(total.unreadable.size(), 1u);
    EXPECT_EQ(total.unreadable[0].line, 4u);
    EXPECT_NE(total.unreadable[0].why.find("both"), std::string::npos);
    EXPECT_EQ(total.trades[2].line, 6u);

    const Scan fees = ScanText("成交日期\t证券代码\t成交数量\t成交价格\t手续费\n"
                               "20260105\t600000\t100\t10\t5\n20260105\t600000\t-100\t10\t5\n");
    ASSERT_EQ(fees.trades.size(), 2u);
    EXPECT_EQ(fees.trades[0].side, Side::Buy);
    EXPECT_EQ(fees.trades[1].side, Side::Sell);
    EXPECT_EQ(fees.trades[1].charged[0], 5);
}

} // namespace
} // namespace ym::statement
