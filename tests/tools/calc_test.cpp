// Runs the built yuanmate-calc in scratch folders and checks what a user or a script sees:
// the printed panel rows, the JSON numbers, the messages and the exit status, the statement
// check, and that the settings file is only ever written by init.
#include "core/result_rows.h"
#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/wait.h>

namespace ym {
namespace {

using namespace test;
using namespace std::literals;
using Lines = std::vector<std::string>;
using Edits = std::vector<std::pair<std::string, std::string>>;

// A new settings file byte for byte, as init must write it: the shipped rates written down
// once more, so that a wrong default shows as a wrong file and a wrong fee.
const std::string kDefaultFile =
    "[\xC9\xCF\xBA\xA3]\r\n" // 上海
    "A1=0.0035\r\nA2=10\r\nA3=0.004\r\nA4=0.001\r\nA5=1\r\nA6=0\r\nA7=0.002\r\nA8=5\r\nA9=0\r\n"
    "A10=0\r\nA11=0.0035\r\nA12=10\r\nA13=0\r\nA14=0.001\r\nA15=1\r\nA16=0\r\nA17=0.0025\r\n"
    "A18=5\r\nA19=0\r\nA20=0\r\nA21=0.0043\r\nA22=0\r\nA23=0.003\r\nA24=0.0005\r\n"
    "A25=0.000255\r\nA26=0.000045\r\nA27=0\r\n"
    "[\xC9\xEE\xDB\xDA]\r\n" // 深圳
    "B1=0.0035\r\nB2=5\r\nB3=0.004\r\nB4=0\r\nB5=0\r\nB6=0\r\nB7=0.002\r\nB8=5\r\nB9=0\r\n"
    "B10=0\r\nB11=0.003\r\nB12=5\r\nB13=0\r\nB14=0\r\nB15=0\r\nB16=0\r\nB17=0.0025\r\n"
    "B18=5\r\nB19=0\r\nB20=0\r\nB21=0.0043\r\nB22=0\r\nB23=0.003\r\nB24=0.0005\r\n"
    "B25=0.0003\r\nB26=0.000046\r\nB27=0\r\nB28=500\r\n"
    "[Select]\r\nSelect1=2\r\nSelect2=1\r\n"
    "[SHOWCOLOR]\r\nColor= 0\r\nSColor1=&HFF8080\r\nSColor2=&H80000012\r\nSColor3=&H8000000E\r\n"
    "SColor4=&H8080FF\r\nSColor5=&HFFFF&\r\nSColor6=&H80FF80\r\nSColor7=&H80C0FF\r\n"
    "SColor8=&HFFFF00\r\nSColor9=&HFF&\r\nSColor10=&HFF8080\r\n";

// The new file with each `from` replaced by its `to`, or `to` appended when `from` is empty.
std::string Edited(const Edits& edits) {
    std::string bytes = kDefaultFile;
    for (const auto& [from, to] : edits) {
        bytes = from.empty() ? bytes + to : Replace(bytes, from, to);
    }
    return bytes;
}

struct RunResult {
    int exitCode = -1;
    std::string out, err;
};

// Runs the program in `root`/work with the arguments of `line`, split at each blank ('' is
// an empty argument; none holds a quote), `input` on standard input and standard output
// captured, or sent to `out`. The captures live outside the working folder, so what it
// holds is the program's.
RunResult Calc(const TempDir& root, const std::string& line, const std::string& input = {},
               const std::string& out = "../out") {
    std::string command = "cd '" + (root.path() / "work").string() + "' && exec '" YM_CALC_EXE "'";
    std::istringstream words(line);
    for (std::string a; std::getline(words, a, ' ');) {
        command += " '" + (a == "''" ? "" : a) + "'";
    }
    fs::create_directories(root.path() / "work");
    Put(root.path() / "in", input);
    const int status = std::system((command + " <../in >" + out + " 2>../err").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status),
            out == "../out" ? Get(root.path() / "out") : "", Get(root.path() / "err")};
}

// A run in a fresh folder holding `file` under `name` first, if given (a folder when `file`
// is "<dir>"). Whatever the outcome, nothing in the folder changes: bytes, times, names.
RunResult RunUntouched(const std::string& line, const char* name = nullptr,
                       const std::string& file = {}, const std::string& input = {}) {
    TempDir root;
    const fs::path work = root.path() / "work";
    fs::create_directory(work);
    if (name != nullptr && file == "<dir>") {
        fs::create_directory(work / name);
    } else if (name != nullptr) {
        Put(work / name, file);
    }
    const auto contents = [&] {
        std::map<std::string, std::pair<std::string, fs::file_time_type>> entries;
        for (const auto& e : fs::directory_iterator(work)) {
            entries[e.path().filename().string()] = {e.is_directory() ? "<dir>" : Get(e.path()),
                                                     e.last_write_time()};
        }
        return entries;
    };
    const auto before = contents();
    RunResult r = Calc(root, line, input);
    EXPECT_EQ(contents(), before) << line;
    return r;
}

Lines SplitLines(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        lines.push_back(l);
    }
    return lines;
}

// The "caption\tvalue" lines of a panel, its captions as the windows show them, from
// '|'-separated values, "元" added to each amount; a value left empty (or out at the end)
// is not checked.
Lines Rows(Panel panel, const std::string& values) {
    Lines lines;
    std::istringstream in(values);
    for (const ResultRow& row : ResetRows(panel)) {
        std::string v;
        std::getline(in, v, '|');
        const bool yuan = !v.empty() && v != kNoBreakEven && row.value.ends_with("元");
        lines.push_back(std::string(row.caption) + "\t" + v + (yuan ? "元" : ""));
    }
    return lines;
}
const auto A = [](const std::string& values) { return Rows(Panel::AShare, values); };
const auto B = [](const std::string& values) { return Rows(Panel::BShare, values); };

const std::string kBuyOnly = "35.00|40.00|1.00|0.00|76.00|0.00|0.00 %|10,076.00|";
const std::string kMinimum20 = "40.00||||50.40|49.60||1,025.00|1,074.60";
const char* const kSha = "trade --market sh --type a ";
const std::string kOfficial = std::string(kSha) + "--rules official --date 2026-12-06 ";
const char* const kPlan = " --bonus 2 --rights 3 --rights-price 8 --cash 1.5";
const Edits kFeeRules = {{"", "[FEERULES]\r\nModel=official\r\nCommissionRate= .003\r\n"}};

struct OutputCase {
    std::string args;
    Lines lines;
    Edits edits = {};      // to a new settings file written first; none: no file
    const char* note = ""; // a part of the one line expected on standard error
    const char* file = "Yuanmate5.ini";
};

TEST(Output, PrintsThePanelsRowsAndWritesNothing) {
    const Edits raisedMinimum = {{"A2=10\r\n", "A2=20\r\n"}};
    const Edits shanghaiB = {{"Select1=2\r\nSelect2=1", "Select1= 1\r\nSelect2= 5"}};
    // clang-format off
    const OutputCase cases[] = {
        // The worked trades of a new settings file: Shanghai A shares, then at the minimum
        // commission, a leg left out (a sell price typed as 0 is no empty field: the leg's
        // transfer fee still counts), no quantity.
        {kSha + "--buy 10 --sell 11 --qty 1000"s,
         A("73.50|84.00|2.00|0.00|159.50|840.50|8.34 %|10,076.00|10,916.50|10.16")},
        {kSha + "--buy 10 --sell 11 --qty 100"s,
         A("20.00|8.40|2.00|0.00|30.40|69.60|6.86 %|1,015.00|1,084.60|10.31")},
        {kSha + "--buy 10 --sell '' --qty 1000"s, A(kBuyOnly + "0.00|10.16")},
        {kSha + "--buy 10 --sell 0 --qty 1000"s, A(kBuyOnly + "-1.00|10.16")},
        {kSha + "--sell 11 --qty 1000"s,
         A("38.50|44.00|1.00|0.00|83.50|0.00|0.00 %|0.00|10,916.50|0.00")},
        {kSha + "--buy 10 --sell 11"s, A("0.00|0.00|0.00|0.00|0.00|0.00|0.00 %|0.00|0.00|0.00")},
        // 0.001 a share of 500 shares is 0.50 a leg, raised to the minimum of 1; no transfer
        // rate never pays the minimum.
        {kSha + "--buy 20 --sell 21 --qty 500"s,
         A("71.75|82.00|2.00|0.00|155.75|344.25|3.42 %|10,076.00|10,420.25|20.31")},
        {kSha + "--buy 10 --sell 11 --qty 1000"s, A("73.50|84.00|0.00"), {{"A4=0.001", "A4=0"}}},
        // An other charge: both fields hold text, so with no quantity it is taken once and
        // reaches both totals; with a quantity each leg pays it.
        {kSha + "--buy 10 --sell 11 --qty 0"s,
         A("0.00|0.00|0.00|3.00|3.00|0.00|0.00 %|3.00|-3.00|0.00"), {{"A6=0\r\n", "A6=3\r\n"}}},
        {kSha + "--buy 10 --sell 11 --qty 1000"s,
         A("73.50|84.00|2.00|5.00|164.50|835.50|8.29 %|10,078.50|10,914.00|10.16"),
         {{"A6=0\r\n", "A6=2.5\r\n"}}},
        // Found by fuzzing: the buy leg's fees (3 - 4) pay for the purchase of 1, and selling
        // at 2 earns exactly nothing; the yield was 0 / 0 and showed "NaN %".
        {kSha + "--buy 1 --sell 2 --qty 1"s, A("0.00|9.00|0.00|-8.00|1.00|0.00|0.00 %"),
         {{"A1=0.0035\r\nA2=10\r\nA3=0.004\r\nA4=0.001\r\nA5=1\r\nA6=0\r\n",
           "A1=0\r\nA2=0\r\nA3=3\r\nA4=0\r\nA5=0\r\nA6=-4\r\n"}}},
        // The settlement fee of each leg, 1000 and 1200, is cut to 500 only in Shenzhen.
        {"trade --market sz --type b --buy 10 --sell 12 --qty 200000", B("18,920.00|13,200.00|"
         "1,000.00|1,320.00|202.40|0.00|34,642.40|365,357.60|18.12 %|2,015,792.00|2,381,149.60|"
         "10.16")},
        {"trade --market 1 --type 5 --buy 10 --sell 12 --qty 200000", B("18,920.00|13,200.00|"
         "2,200.00|1,122.00|198.00||35,640.00|364,360.00|18.07 %|2,016,200.00|2,380,560.00|10.17")},
        // No file and no selection: Shenzhen A shares, which pay no transfer fee. Shanghai
        // funds: 0.0035 with a minimum of 10 (the buy leg's 7.00 is raised, the sell leg's
        // 10.50 not), no stamp duty, transfer 0.001 a share with a minimum of 1. A sell price
        // has no limit.
        {"trade --buy 10 --sell 11 --qty 1000", A("73.50||0.00||157.50|842.50")},
        {"trade --market SH --type fund --buy 2 --sell 3 --qty 1000",
         A("20.50|0.00|2.00||22.50|977.50")},
        {kSha + "--sell 1234567 --qty 100"s,
         A("432,098.45|493,826.80|1.00||925,926.25||||122,530,773.75")},
        // The settings file, named or in the working folder; its selection, which options
        // override; a selection out of range, told once; a stamp duty of 100 %, never earned
        // back.
        {"trade --ini edited.ini --market sh --type a --buy 10 --sell 11 --qty 100",
         A(kMinimum20), raisedMinimum, "", "edited.ini"},
        {kSha + "--buy 10 --sell 11 --qty 100"s, A(kMinimum20), raisedMinimum},
        {"trade --buy 10 --sell 12 --qty 200000", B("||2,200.00||||35,640.00"), shanghaiB},
        {"trade --market sz --type b --buy 10 --sell 12 --qty 200000", B("||1,000.00"), shanghaiB},
        {"trade --buy 10 --sell 11 --qty 1000", A("||0.00||157.50"), {{"Select1=2", "Select1=7"}},
         "stores no market"},
        {kSha + "--buy 10 --sell 11 --qty 100"s, A("|||||||||" + std::string(kNoBreakEven)),
         {{"A3=0.004", "A3=1"}}},
        // Today's official fees: 10,000 yuan at 2.5‱ pay the 5.00 minimum, transfer 0.10, and
        // handling 0.34 and regulatory 0.20 as "other"; no stamp duty on a buy. The sell of
        // 10,500 pays 5.00, stamp duty 0.05 % 5.25, transfer 0.105 -> 0.11, handling 0.36
        // and regulatory 0.21; the break-even 10.02 covers 5.64 and the sell's 10.65.
        {kOfficial + "--buy 10 --qty 1000",
         A("5.00|0.00|0.10|0.54|5.64|0.00|0.00 %|10,005.64|0.00|10.02")},
        {kOfficial + "--buy 10 --sell 10.5 --qty 1000",
         A("10.00|5.25|0.21|1.11|16.57|483.43|4.83 %|10,005.64|10,489.07|10.02")},
        {kOfficial + "--buy 10 --qty 1000 --commission-includes-fees yes",
         A("5.00|0.00|0.10|0.00|5.10")},
        {kOfficial + "--buy 10 --qty 1000 --no-minimum", A("2.50|0.00|0.10|0.54|3.14")},
        // HK$ 2,000,000 and 2,400,000: the settlement fee of each leg hits the 500 cap.
        // US$ 50: a minimum of 2 dollars; settlement 0.025 -> 0.03.
        {"trade --market sz --type b --rules official --date 2026-12-06 --buy 10 --sell 12 --qty "
         "200000", B("1,100.00|1,200.00|1,000.00|150.04|88.00|0.00|3,538.04|396,461.96")},
        {"trade --market sh --type b --rules official --date 2026-12-06 --buy 0.5 --qty 100 "
         "--min-commission 2", B("2.00|0.00|0.03|0.00|0.00|0.00|2.03")},
        // HK$ 71.43 with a minimum of 17.62: settlement 0.0357 -> 0.04. Selling at 106.81
        // pays 17.62, stamp duty and settlement 0.0534 -> 0.05 each: 106.81 - 71.43 = 35.38 =
        // 17.66 + 17.72, the first price that breaks even.
        {"trade --market sz --type b --rules official --date 2026-12-06 --buy 71.43 --qty 1 "
         "--min-commission 17.62",
         B("17.62|0.00|0.04|0.00|0.00|0.00|17.66|0.00|0.00 %|89.09|0.00|106.81")},
        // The file chooses the official rules at 3‰; an option overrides its terms, --rules
        // classic its model; a term out of bounds computes the classic fees, said once.
        {kSha + "--date 2026-12-06 --buy 10 --qty 1000 --commission 0.0001"s,
         A("5.00|0.00|0.10|0.54|5.64"), kFeeRules},
        {kSha + "--rules classic --buy 10 --qty 1000"s, A(kBuyOnly), kFeeRules},
        {kSha + "--buy 10 --qty 1000"s, A(kBuyOnly + "0.00|10.16"),
         {{"", "[FEERULES]\r\nModel=official\r\nCommissionRate=0.01\r\n"}},
         "using the classic parameters"},
        // Ex-rights: one price with two decimals. A ticked box with an empty field adds
        // nothing; rights shares without a price are free shares: 10 / 1.5.
        {"exrights --before 20"s + kPlan, {"14.83"}},
        {"exrights --after 15"s + kPlan, {"20.25"}},
        {"exrights --before=13 --bonus=3", {"10.00"}},
        {"exrights --before 0 --cash 1", {"-0.10"}},
        {"exrights --before 10 --bonus ''", {"10.00"}},
        {"exrights --before 10 --rights 5", {"6.67"}},
        {"exrights --before 12345678901 --cash 123456789", {"12333333222.10"}},
    };
    // clang-format on
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult r =
            RunUntouched(c.args, c.edits.empty() ? nullptr : c.file, Edited(c.edits));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err.empty(), *c.note == '\0') << r.err;
        EXPECT_NE(r.err.find(c.note), std::string::npos) << r.err;
        EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        ASSERT_TRUE(r.out.ends_with('\n')) << r.out;
        const Lines got = SplitLines(r.out);
        ASSERT_EQ(got.size(), c.lines.size()) << r.out;
        for (std::size_t i = 0; i < got.size(); ++i) {
            // A row whose value is not given: its caption and one tab, then the value.
            const bool whole = !c.lines[i].ends_with('\t');
            EXPECT_EQ(whole ? got[i] : got[i].substr(0, got[i].find('\t') + 1), c.lines[i]);
        }
    }
}

// Results that cannot be written are no success.
TEST(Output, FullDiskIsNoSuccess) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    TempDir root;
    EXPECT_EQ(Calc(root, "exrights --before 10", {}, "/dev/full").exitCode, 1);
}

// The members of a flat JSON object of numbers and nulls (null as NAN); anything else, or a
// name given twice, fails the test.
std::map<std::string, double> FlatJson(const std::string& s) {
    const std::string member =
        R"re(\s*"(\w+)"\s*:\s*(null|-?(?:0|[1-9]\d*)(?:\.\d+)?(?:[eE][+-]?\d+)?)\s*)re";
    std::map<std::string, double> fields;
    EXPECT_TRUE(std::regex_match(s, std::regex("\\s*\\{" + member + "(," + member + ")*\\}\\s*")))
        << s;
    const std::regex one(member);
    for (std::sregex_iterator m(s.begin(), s.end(), one), end; m != end; ++m) {
        const std::string value = (*m)[2];
        EXPECT_TRUE(fields.emplace((*m)[1], value == "null" ? NAN : std::stod(value)).second) << s;
    }
    return fields;
}

// Every field of a trade by its name, each number with all its digits, no break-even as
// null, whole amounts without a fraction or an exponent.
TEST(Json, ReadsBackByName) {
    // clang-format off
    const struct {
        std::string args;
        double tolerance;                       // 0: every digit of the double
        std::map<std::string, double> expected; // NAN: null
        Edits edits = {};
    } cases[] = {
        {kSha + "--json --buy 10 --sell 11 --qty 1000"s, 1e-9, {
            {"BuyAmount", 10000}, {"SellAmount", 11000}, {"BuyCommission", 35},
            {"SellCommission", 38.5}, {"BuyStamp", 40}, {"SellStamp", 44}, {"BuySettlement", 0},
            {"SellSettlement", 0}, {"BuyHandling", 0}, {"SellHandling", 0}, {"BuyRegulator", 0},
            {"SellRegulator", 0}, {"LegTransfer", 1}, {"CommissionTotal", 73.5},
            {"StampTotal", 84}, {"SettlementTotal", 0}, {"HandlingTotal", 0},
            {"RegulatorTotal", 0}, {"TransferTotal", 2}, {"OtherTotal", 0}, {"BuyLegFees", 76},
            {"SellLegFees", 83.5}, {"FeesTotal", 159.5}, {"NetProfit", 840.5},
            {"Yield", 840.5 / 10076}, {"TotalPaid", 10076}, {"TotalReceived", 10916.5},
            {"BreakEvenPrice", 10.16}}},
        // Each fee under its own name, also where the A-share panel groups them: handling
        // 0.0341‰ of 10000 = 0.341 -> 0.34 and of 10500 = 0.358 -> 0.36; regulatory 0.02‰
        // = 0.20 and 0.21; no other charge.
        {kOfficial + "--json --buy 10 --sell 10.5 --qty 1000", 1e-9, {
            {"BuyCommission", 5}, {"SellStamp", 5.25}, {"BuyStamp", 0}, {"BuyHandling", 0.34},
            {"SellHandling", 0.36}, {"HandlingTotal", 0.70}, {"BuyRegulator", 0.20},
            {"SellRegulator", 0.21}, {"RegulatorTotal", 0.41}, {"OtherTotal", 0},
            {"LegTransfer", 0.10}, {"TransferTotal", 0.21},
            {"BuyLegFees", 5.64}, {"SellLegFees", 10.93}, {"FeesTotal", 16.57},
            {"NetProfit", 483.43}, {"BreakEvenPrice", 10.02}}},
        {kSha + "--json --buy 10 --sell 11 --qty 100"s, 0, {{"BreakEvenPrice", NAN}},
         {{"A3=0.004", "A3=1"}}},
        // Enter shows 1.2346 and leaving the field reads the text shown; Backspace deletes
        // the character before it, as in the field.
        {kSha + "--json --buy 1.23456 --qty 10000"s, 0, {{"BuyAmount", 1.2346 * 10000}}},
        {kSha + "--json --buy 12\b3 --qty 100"s, 0, {{"BuyAmount", 1300}}},
        // Fourteen and five sixths, not the 14.83 shown; a price is read as its field shows it
        // after Enter, a share count as typed.
        {"exrights --json --before 20"s + kPlan, 1e-12, {{"PriceAfter", 14.0 + 5.0 / 6.0}}},
        {"exrights --before 10.123456 --json", 1e-12, {{"PriceAfter", 10.1235}}},
        {"exrights --before 10 --bonus 1.23456 --json", 1e-12, {{"PriceAfter", 10 / 1.123456}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult r =
            RunUntouched(c.args, c.edits.empty() ? nullptr : "Yuanmate5.ini", Edited(c.edits));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const auto fields = FlatJson(r.out);
        EXPECT_EQ(fields.size(), c.args.starts_with("trade") ? 28u : 1u);
        for (const auto& [name, value] : c.expected) {
            ASSERT_TRUE(fields.count(name)) << name;
            const double got = fields.at(name);
            EXPECT_TRUE(std::isnan(value) ? std::isnan(got) : std::abs(got - value) <= c.tolerance)
                << name << " = " << got;
        }
        EXPECT_FALSE(std::regex_search(r.out, std::regex(R"(\.0*[,\s}]|\d[eE])"))) << r.out;
    }
}

// The position tools' JSON, worked by hand. Classic Shanghai A (commission 0.35 % at least
// 10, stamp 0.4 %, transfer 0.001 a share at least 1, on both legs): bought 1000 at 10.00
// (fees 76), the net profit at p is 992.5p − 10077; 2000 from 12.17 on (2001.725).
// Official, 2026-12-06 at 2.5‱: bought at 10.00 (fees 5.64), sold at 10.52 (commission 5,
// stamp 5.26, transfer 0.11, handling 0.36, regulator 0.21: 10.94) nets 503.42, at 10.51
// only 493.42. A Shanghai fund on the 0.001 grid (commission 0.35 % at least 10, transfer
// 0.001 a share): 10000 bought at 1.000 pay 10045, the profit is 9965p − 10055, and 1.5 %
// (150.675) needs p ≥ 1.02415: 1.025. average: 1000 held at 12.00, 1000 added at 10.00 (fees
// 76): 22076 for 2000, cost 11.038, selling 2000 receives 1985p − 2 ≥ 22076 from 11.13 on;
// to a cost of 11.00, 11 lots (fees 38.5 + 44 + 1.1), 23083.6 for 2100, and 2084.25p − 2.1
// ≥ 23083.6 from 11.08 on. swing: 1000 of 2000 held at 11.00 sold at 11.50 (fees 87.25) and
// bought back at 11.00 (83.5): gain 329.25, cost 10.835375; the sale breaks even from 11.17
// on (992.5p ≥ 11084.5), the buy-back up to 11.32 (1007.5b ≤ 11411.75).
TEST(Json, PositionTools) {
    const std::string sh = "--market sh --rules classic ";
    const std::string hold = "--held 1000 --cost 12 --buy 10 ";
    const std::string swing = "swing " + sh + "--held 2000 --cost 11 --qty 1000 --json ";
    // clang-format off
    const struct {
        std::string args;
        std::size_t fields;
        std::map<std::string, double> expected; // NAN: null
    } cases[] = {
        {"target " + sh + "--buy 10 --qty 1000 --profit 2000 --json", 29,
         {{"TargetPrice", 12.17}, {"NetProfit", 2001.725}, {"BreakEvenPrice", 10.16}}},
        {"target " + sh + "--buy 10 --qty 1000 --profit -500 --json", 29, {{"TargetPrice", 9.65}}},
        {"target --market sh --rules official --date 2026-12-06 --buy 10 --qty 1000 --profit 500 "
         "--json", 29, {{"TargetPrice", 10.52}, {"NetProfit", 503.42}, {"SellLegFees", 10.94}}},
        {"target " + sh + "--type fund --buy 1 --qty 10000 --yield 0.015 --json", 29,
         {{"TargetPrice", 1.025}, {"NetProfit", 159.125}, {"TotalPaid", 10045}}},
        {"target " + sh + "--buy 10 --qty 1000 --profit 1e12 --json", 1, {{"TargetPrice", NAN}}},
        {"average " + sh + hold + "--qty 1000 --json", 6,
         {{"AddFees", 76}, {"AddPaid", 10076}, {"NewQuantity", 2000}, {"NewCost", 11.038},
          {"BreakEvenPrice", 11.13}, {"AddQuantity", NAN}}},
        {"average " + sh + hold + "--to-cost 11 --json", 6,
         {{"AddQuantity", 1100}, {"AddFees", 83.6}, {"AddPaid", 11083.6}, {"NewQuantity", 2100},
          {"NewCost", 23083.6 / 2100}, {"BreakEvenPrice", 11.08}}},
        // shares bought at 10.00 with fees never bring the cost down to 9.00
        {"average " + sh + hold + "--to-cost 9 --json", 6,
         {{"AddQuantity", NAN}, {"NewCost", NAN}, {"BreakEvenPrice", NAN}}},
        {swing + "--sell 11.5 --buy 11", 6,
         {{"SellFees", 87.25}, {"BuyFees", 83.5}, {"Gain", 329.25}, {"NewCost", 10.835375},
          {"BreakEvenSell", 11.17}, {"BreakEvenBuy", 11.32}}},
        {swing + "--sell 11.5", 6, {{"Gain", NAN}, {"BreakEvenSell", NAN}, {"BreakEvenBuy", 11.32}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult r = RunUntouched(c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const auto fields = FlatJson(r.out);
        EXPECT_EQ(fields.size(), c.fields);
        for (const auto& [name, value] : c.expected) {
            ASSERT_TRUE(fields.count(name)) << name;
            const double got = fields.at(name);
            EXPECT_TRUE(std::isnan(value) ? std::isnan(got) : std::abs(got - value) <= 1e-9)
                << name << " = " << got;
        }
    }
}

// Exit 2 for what was typed, 1 for files; one line on standard error either way, naming
// the field and the text (control characters and broken UTF-8 escaped, never raw).
TEST(Failure, OneLineOnStandardError) {
    // clang-format off
    const struct {
        std::string args, message; // the whole line after "yuanmate-calc: ", or a part
        int exitCode = 2;
        const char* folder = nullptr; // made in the working folder first
    } cases[] = {
        {"trade --buy 12a", "买入价格 (--buy): \"12a\" holds a character the field does not "
         "accept"},
        {"trade --sell 1.2.3", "卖出价格 (--sell): \"1.2.3\""},
        {"trade --buy 12345678", "买入价格 (--buy): \"12345678\""},
        {"trade --buy 1234567 --qty 100", "买入价格 (--buy): 输入的值不能大于等于1000000,请重新输入!"},
        {"trade --qty 1.5", "买卖数量 (--qty): \"1.5\""}, {"trade --buy １０", "买入价格 (--buy)"},
        {"trade --buy 1\n2", "买入价格 (--buy): \"1\\x0A2\""},
        {"trade --qty 1\xFF", "买卖数量 (--qty): \"1\\xFF\""},
        {"exrights --before 10 --cash 1234567890", "(--cash): \"1234567890\""},
        {"trade --price 10", "\"--price\""}, {"calculate", "\"calculate\""},
        {"trade --market 3", "--market"}, {"trade --buy --sell 11", "--buy needs a value"},
        {"trade --buy 10 --buy 11", "--buy given twice"},
        {"exrights --before 10 --after 9", "--before"},
        {"trade --rules fancy", "--rules: \"fancy\""},
        {"trade --rules official --commission 0.004",
         "--commission: \"0.004\": 佣金率应在 0 到法定上限 0.003 之间"},
        {"trade --rules official --commission 2.5‱", "--commission: \"2.5‱\" is not a number"},
        {"trade --rules official --min-commission 5 --no-minimum", "--no-minimum"},
        {"trade --commission 0.0001 --buy 10", "--rules official"},
        {"trade --rules classic --date 2026-01-05", "--date"},
        {"trade --date 2026-02-30", "--date: \"2026-02-30\""},
        {"trade --rules official --date 2015-07-31 --buy 10",
         "no official rules before 2015-08-01; use the classic parameters"},
        {"rules --date 2015-07-31", "no official rules before 2015-08-01"},
        {"batch --check", "batch needs the statement file"}, {"batch a.csv b.csv", "\"b.csv\""},
        {"target --buy 10 --qty 100", "give --profit YUAN or --yield RATE"},
        {"target --buy 10 --qty 100 --sell 11 --profit 1", "unknown option \"--sell\" for target"},
        {"target --buy 10 --qty 100 --yield 5%", "--yield: \"5%\" is not a number"},
        {"average --held 1 --cost 1 --buy 1 --qty 100 --to-cost 1", "give either --qty Q or "
         "--to-cost C, not both"},
        {"average --held 100 --cost 1 --buy 0 --qty 100", "补仓价格 (--buy): must be above 0"},
        {"swing --held 200 --cost 11 --qty 1000 --sell 11.5", "做T数量 (--qty): at most the "
         "quantity held"},
        {"swing --held 200 --cost 11 --qty 100", "give the sell price --sell P"},
        {"trade --ini nothing.ini --buy 10", "  ## Error read select1!6003-3", 1},
        {"batch nothing.csv", "nothing.csv: cannot be opened", 1},
        // Not the defaults in silence: the user's file is there but cannot be read.
        {"trade --buy 10", "  ## Error read select1!6003-3", 1, "Yuanmate5.ini"},
        // A folder of that name stands where the file would go.
        {"init", "  ## Error creat shanghai!6002-1", 1, "Yuanmate5.ini"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult r = RunUntouched(c.args, c.folder, "<dir>");
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.out, "");
        ASSERT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        ASSERT_TRUE(r.err.starts_with("yuanmate-calc: ") && r.err.ends_with('\n')) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

TEST(Help, ListsEveryCommandAndOption) {
    const std::string documented =
        "trade exrights init rules batch --ini --market --type --buy --sell --qty --json "
        "--before --after --bonus --rights --cash --rights-price --help --rules --date "
        "--commission --min-commission --no-minimum --commission-includes-fees --output --check "
        "target average swing --profit --yield --held --cost --to-cost "
        "statement --lines --what-if-commission --what-if-no-minimum --what-if-includes-fees";
    for (const auto& [args, exitCode] : std::map<std::string, int>{
             {"--help", 0}, {"help", 0}, {"-h", 0}, {"trade --help", 0}, {"", 2}}) {
        SCOPED_TRACE(args);
        const RunResult r = RunUntouched(args);
        EXPECT_EQ(r.exitCode, exitCode);
        // Asked for, the help goes to standard output; without a command it is a usage error.
        EXPECT_EQ(exitCode == 0 ? r.err : r.out, "");
        std::istringstream words(documented);
        for (std::string word; words >> word;) {
            EXPECT_NE((exitCode == 0 ? r.out : r.err).find(word), std::string::npos) << word;
        }
    }
}

// The table of a day: the last day of 1‰ stamp duty, then the first of 0.5‰ (B shares'
// half unconfirmed), as text and as JSON.
TEST(Rules, TheTableOfADay) {
    const RunResult before = RunUntouched("rules --date 2023-08-27");
    ASSERT_EQ(before.exitCode, 0) << before.err;
    EXPECT_NE(before.out.find("\n印花税\tA 股、B 股\t沪深\t卖\t成交金额\t1‰\t—\t—\t成交币种\t否\t"
                              "2015-08-01 至 2023-08-27\t财税明电〔2008〕2号\t有据\n"),
              std::string::npos)
        << before.out;
    EXPECT_EQ(SplitLines(before.out).size(), 2u + 12);
    const RunResult after = RunUntouched("rules --date 2023-08-28");
    EXPECT_NE(after.out.find("\n印花税\tB 股\t沪深\t卖\t成交金额\t0.5‰\t"), std::string::npos);
    EXPECT_NE(after.out.find("\n结算费\tB 股\t深市\t双向\t成交金额\t0.5‰\t—\t500 港元\t港元\t"),
              std::string::npos);
    EXPECT_EQ(SplitLines(after.out).size(), 2u + 14);
    const RunResult json = RunUntouched("rules --date 2026-12-06 --json");
    EXPECT_NE(json.out.find("{\"fee\": \"stamp\", \"types\": [\"a\"], \"exchange\": null, "
                            "\"side\": \"sell\", \"base\": \"amount\", \"rate\": 5e-04, "
                            "\"minimum\": null, \"cap\": null, \"currency\": null, "
                            "\"broker_may_include\": false, \"first\": \"2023-08-28\", "
                            "\"last\": null, \"source\": \"财政部 税务总局公告2023年第39号\", "
                            "\"mark\": \"sourced\"}"),
              std::string::npos)
        << json.out;
    const std::regex row("\\{\"fee\"");
    EXPECT_EQ(std::distance(std::sregex_iterator(json.out.begin(), json.out.end(), row), {}), 14);
}

// ---------------------------------------------------------------------------------------
// batch: a statement checked line by line.

const std::string kCalcHeader = "commission_calc,stamp_calc,transfer_calc,handling_calc,"
                                "regulatory_calc,other_calc,fees_calc,amount_calc";

// Official rules of 2026-12-04 at 2.5‱: the A-share round trip above, and a Shenzhen B-share
// buy (the market written 深) whose "other" is its settlement fee (500, capped), handling
// (68.20) and regulatory fee (40.00).
const std::string kStatement = "date,market,type,side,price,quantity,commission,stamp,transfer,"
                               "other\r\n"
                               "2026-12-04,sh,a,buy,10,1000,5.00,0.00,0.10,0.54\r\n"
                               "2026-12-04,sh,a,sell,10.5,1000,5.00,5.25,0.11,0.57\r\n"
                               "2026-12-04,深,b,buy,10,200000,500.00,,,608.20\r\n";
const std::string kChecked =
    "date,market,type,side,price,quantity,commission,stamp,transfer,other," + kCalcHeader +
    ",commission_diff,stamp_diff,transfer_diff,other_diff,check\n"
    "2026-12-04,sh,a,buy,10,1000,5.00,0.00,0.10,0.54,"
    "5.00,0.00,0.10,0.34,0.20,0.00,5.64,10000.00,0.00,0.00,0.00,0.00,ok\n"
    "2026-12-04,sh,a,sell,10.5,1000,5.00,5.25,0.11,0.57,"
    "5.00,5.25,0.11,0.36,0.21,0.00,10.93,10500.00,0.00,0.00,0.00,0.00,ok\n"
    "2026-12-04,深,b,buy,10,200000,500.00,,,608.20,"
    "500.00,0.00,0.00,68.20,40.00,500.00,1108.20,2000000.00,0.00,,,0.00,ok\n";

// A stamp duty 0.05 too high differs, a transfer fee one fen off is within tolerance: with
// --check the run says so by its exit status, without it only by the column.
const std::string kWrongFee = "date,market,type,side,price,quantity,stamp,transfer\n"
                              "2026-12-04,sh,a,sell,10.5,1000,5.30,0.12\n"
                              "2026-12-04,sh,a,sell,10,1000,5.00,0.10\n";
const std::string kWrongFeeChecked =
    "date,market,type,side,price,quantity,stamp,transfer," + kCalcHeader +
    ",stamp_diff,transfer_diff,check\n"
    "2026-12-04,sh,a,sell,10.5,1000,5.30,0.12,5.00,5.25,0.11,0.36,0.21,0.00,10.93,10500.00,"
    "0.05,0.01,differs\n"
    "2026-12-04,sh,a,sell,10,1000,5.00,0.10,5.00,5.00,0.10,0.34,0.20,0.00,10.64,10000.00,"
    "0.00,0.00,ok\n";

// Bad lines are named on standard error and skipped, the others still checked.
const std::string kBadLines = "date,market,type,side,price,quantity,note\n"
                              "2026-12-04,sh,a,buy,10,1000,first\n"
                              "2026-02-30,sh,a,buy,10,1000\n"
                              "\n"
                              "2026-12-04,hk,a,buy,10,1000\n"
                              "2015-07-31,sh,a,buy,10,1000\n"
                              "2026-12-04,sz,a,buy,10\n"
                              "20261204,sz,a,sell,10,1000,\"last, quoted\"\n";

TEST(Batch, ChecksEachLine) {
    // clang-format off
    const struct {
        std::string args, statement; // the statement as s.csv, or on standard input for "-"
        int exitCode;
        std::string out;
        Lines err = {}; // the lines on standard error
    } cases[] = {
        {"batch s.csv --rules official --check", kStatement, 0, kChecked},
        {"batch --check - --rules official --commission 0.00025", kStatement, 0, kChecked},
        {"batch s.csv --rules official --check", kWrongFee, 3, kWrongFeeChecked},
        {"batch s.csv --rules official", kWrongFee, 0, kWrongFeeChecked},
        // 日期,市场,类型,买卖,价格,数量,佣金 and 沪市, A股, 买 in GBK, as a Chinese spreadsheet
        // saves them; the output is UTF-8.
        {"batch s.csv --rules official --check",
         "\xC8\xD5\xC6\xDA,\xCA\xD0\xB3\xA1,\xC0\xE0\xD0\xCD,\xC2\xF2\xC2\xF4,\xBC\xDB\xB8\xF1,"
         "\xCA\xFD\xC1\xBF,\xD3\xB6\xBD\xF0\r\n"
         "2026-12-04,\xBB\xA6\xCA\xD0,A\xB9\xC9,\xC2\xF2,10,1000,5.00\r\n", 0,
         "日期,市场,类型,买卖,价格,数量,佣金," + kCalcHeader + ",commission_diff,check\n"
         "2026-12-04,沪市,A股,买,10,1000,5.00,5.00,0.00,0.10,0.34,0.20,0.00,5.64,10000.00,0.00,ok\n"},
        {"batch s.csv --rules official --check", kBadLines, 2,
         "date,market,type,side,price,quantity," + kCalcHeader + ",check\n"
         "2026-12-04,sh,a,buy,10,1000,5.00,0.00,0.10,0.34,0.20,0.00,5.64,10000.00,ok\n"
         "20261204,sz,a,sell,10,1000,5.00,5.00,0.10,0.34,0.20,0.00,10.64,10000.00,ok\n",
         {"yuanmate-calc: note: column \"note\" ignored",
          "yuanmate-calc: line 3: date \"2026-02-30\" is not a date (YYYY-MM-DD or YYYYMMDD); "
          "skipped",
          "yuanmate-calc: line 5: market \"hk\" is not a market (sh, sz, 1, 2, 沪市, 深市); skipped",
          "yuanmate-calc: line 6: no official rules before 2015-08-01; use the classic "
          "parameters; skipped",
          "yuanmate-calc: line 7: has 5 fields, the header 6 or more; skipped"}},
        // The classic parameters unrounded, shown to the fen: 35.035 + 40.04 + 1.00 = 76.075
        // -> 76.08.
        {"batch s.csv --rules classic", "date,market,type,side,price,quantity\n"
         "2026-12-04,sh,a,buy,10.01,1000\n", 0, "date,market,type,side,price,quantity," +
         kCalcHeader + ",check\n2026-12-04,sh,a,buy,10.01,1000,35.04,40.04,1.00,0.00,0.00,0.00,"
         "76.08,10010.00,ok\n"},
        {"batch s.csv", "", 2, "",
         {"yuanmate-calc: the statement is empty: it needs a header line"}},
        {"batch s.csv", "date,market,type\n1,2,3\n", 2, "",
         {"yuanmate-calc: line 1: the header lacks the column(s) side, price, quantity "
          "(date,market,type,side,price,quantity; or 日期,市场,类型,买卖,价格,数量)"}},
        {"batch s.csv", "date,date,market,type,side,price,quantity\n", 2, "",
         {"yuanmate-calc: line 1: the header names the column date twice (\"date\" and \"date\")"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args + "\n" + c.statement);
        const bool fromInput = c.args.find(" - ") != std::string::npos;
        const RunResult r = fromInput ? RunUntouched(c.args, nullptr, {}, c.statement)
                                      : RunUntouched(c.args, "s.csv", c.statement);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(SplitLines(r.err), c.err);
    }
    // Written to a file instead.
    TempDir root;
    Put(root.path() / "s.csv", kStatement);
    EXPECT_EQ(Calc(root, "batch ../s.csv --rules official --output checked.csv").out, "");
    EXPECT_EQ(Get(root.path() / "work" / "checked.csv"), kChecked);
}

// The three exports of tests/data/statements together (their lines are checked in the core's
// tests): the report as JSON, --check under other terms, every trade line written out, and a
// workbook refused with what to do.
TEST(Statement, ReviewsExportsAsTheyAre) {
    const std::string data = YM_TEST_DATA "/statements/";
    const std::string files = data + "tdx_gbk.xls " + data + "ths_utf8.csv " + data + "events.txt";
    const RunResult json = RunUntouched("statement " + files + " --json --check");
    EXPECT_EQ(json.exitCode, 0) << json.err;
    for (const char* part : {"\"Trades\": 8,", "\"Quoted\": \"万2.5\", \"MinCommission\": 5,",
                             "\"IncludesFees\": false", "\"申购配号\": 2", "\"UnreadableCount\": 2",
                             "\"Differing\": []", "\"Turnover\": 78675,"}) {
        EXPECT_NE(json.out.find(part), std::string::npos) << part << "\n" << json.out;
    }
    EXPECT_EQ(json.err, "yuanmate-calc: 2 line(s) could not be read; see the report\n");

    // Under 万3, the sell of 2,000 x 12.34 = 24,680 should pay 7.40, not 6.17.
    const RunResult check = RunUntouched("statement " + files + " --commission 0.0003 --check");
    EXPECT_EQ(check.exitCode, 3);
    EXPECT_NE(check.out.find("6.17\t7.40\t-1.23\t佣金低于费率"), std::string::npos) << check.out;

    TempDir root;
    const RunResult lines = Calc(root, "statement " + files + " --lines all.csv");
    EXPECT_EQ(lines.exitCode, 0);
    const Lines written = SplitLines(Get(root.path() / "work" / "all.csv"));
    ASSERT_EQ(written.size(), 9u);
    EXPECT_TRUE(written[0].starts_with("file,line,date,market,code,type,side,price,quantity,"
                                       "amount,commission,stamp,transfer,other,commission_calc,"));
    EXPECT_TRUE(written[0].ends_with("other_diff,check,reason"));
    EXPECT_EQ(written[2], data + "tdx_gbk.xls,6,2026-01-06,sz,000878,a,sell,12.34,2000,24680.00,"
                                 "6.17,12.34,0.25,1.34,6.17,12.34,0.25,0.84,0.49,0.00,20.09,"
                                 "24680.00,0.00,0.00,0.00,0.01,ok,");

    for (const auto& [args, message] : std::map<std::string, std::string>{
             {"statement", "statement needs the exported statement file(s) to read"},
             {"statement a.csv --what-if-includes-fees maybe",
              "--what-if-includes-fees: \"maybe\" is neither yes nor no"},
             {"statement a.csv --what-if-commission 0.01", "--what-if-commission: \"0.01\": "},
             {"statement a.csv --rules classic --no-minimum", "belong to --rules official"}}) {
        const RunResult bad = RunUntouched(args);
        EXPECT_EQ(bad.exitCode, 2) << args;
        EXPECT_NE(bad.err.find(message), std::string::npos) << bad.err;
        EXPECT_EQ(bad.out, "");
    }

    const RunResult workbook = RunUntouched("statement x.xlsx", "x.xlsx", "PK\x03\x04rest"s);
    EXPECT_EQ(workbook.exitCode, 1);
    EXPECT_NE(workbook.err.find("x.xlsx: is an Excel workbook (.xlsx), not text"),
              std::string::npos)
        << workbook.err;
}

// init writes the new file byte for byte, one the calculator then reads; an existing file,
// however incomplete, is never completed or repaired.
TEST(Init, CreatesTheDefaultFileOnce) {
    TempDir root;
    const RunResult r = Calc(root, "init");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("created"), std::string::npos) << r.out;
    EXPECT_EQ(Hex(Get(root.path() / "work" / "Yuanmate5.ini")), Hex(kDefaultFile));
    EXPECT_EQ(Listing(root.path() / "work"), kJustTheFile);
    EXPECT_NE(
        Calc(root, "trade --buy 10 --sell 11 --qty 1000").out.find("手续费合计：\t157.50元\n"),
        std::string::npos);
    for (const std::string& bytes : {std::string("[Select]\r\nSelect1=1\r\n"), std::string()}) {
        const RunResult again = RunUntouched("init", "Yuanmate5.ini", bytes);
        EXPECT_EQ(again.exitCode, 0) << again.err;
        EXPECT_NE(again.out.find("unchanged"), std::string::npos) << again.out;
    }
}

// The day's limits as a script reads them, worked out by hand: 5.55 × 1.1 = 6.105 → 6.11 and
// 5.55 × 0.9 = 4.995 → 5.00 (half up); 10 × 1.05 and × 0.95 for ST; 0.555 × 1.1 = 0.6105
// → 0.611 and × 0.9 = 0.4995 → 0.500 on the 0.001 grid of Shanghai B shares.
TEST(Limits, JsonTextAndRefusals) {
    const std::pair<std::string, std::string> json[] = {
        {"limits --close 5.55 --code sh600000 --date 2024-06-14 --json",
         R"({"Board": "main", "Rate": 0.1, "LimitUp": 6.11, "LimitDown": 5, "Mark": "sourced"})"},
        {"limits --close 10 --code 878 --board st --date 2024-06-14 --json",
         R"({"Board": "st", "Rate": 0.05, "LimitUp": 10.5, "LimitDown": 9.5, "Mark": "sourced"})"},
        {"limits --close 0.555 --board b --market sh --date 2024-06-14 --json",
         R"({"Board": "b", "Rate": 0.1, "LimitUp": 0.611, "LimitDown": 0.5, "Mark": "believed"})"},
        {"limits --close 30 --code 688981.SH --no-limit-days --date 2024-06-14 --json",
         R"({"Board": "star", "Rate": null, "LimitUp": null, "LimitDown": null, "Mark": "sourced"})"},
    };
    for (const auto& [args, out] : json) {
        SCOPED_TRACE(args);
        const RunResult r = RunUntouched(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, out + "\n");
        EXPECT_EQ(r.err, "");
    }
    // 45.67 × 1.2 = 54.804 → 54.80; × 0.8 = 36.536 → 36.54.
    const RunResult star = RunUntouched("limits --close 45.67 --board star --date 2024-06-14");
    EXPECT_EQ(star.exitCode, 0);
    Lines lines = SplitLines(star.out);
    lines.resize(4);
    EXPECT_EQ(lines, (Lines{"板块\t科创板", "涨跌幅\t20%", "涨停价\t54.80", "跌停价\t36.54"}));
    // A Beijing code has its limits, and a note that the calculator has no fees there.
    const RunResult bse = RunUntouched("limits --close 10 --code 830799 --date 2024-06-14 --json");
    EXPECT_EQ(bse.exitCode, 0);
    EXPECT_NE(bse.out.find(R"("LimitUp": 13, "LimitDown": 7)"), std::string::npos) << bse.out;
    EXPECT_NE(bse.err.find("note: 830799 is a 北交所 code"), std::string::npos) << bse.err;

    const std::pair<std::string, std::string> refused[] = {
        {"limits --board main", "limits needs the previous close"},
        {"limits --close 10", "limits needs --code CODE or --board"},
        {"limits --close 10 --board nasdaq", "--board: \"nasdaq\" is not a board"},
        {"limits --close 10 --code 999999", "999999 is not a code of a traded security"},
        {"limits --close 10 --code 111000", "write the exchange"},
        {"limits --close 100 --code 113050", "bonds"},
        {"limits --close 10 --code 600000 --board chinext", "either --code or --board"},
        {"limits --close 10 --code 600000 --market sz", "600000 is a code of 沪市"},
        {"limits --close 10 --board b", "B shares need the market"},
        {"limits --close 10.005 --board main", "no price of the tick of 主板 (0.01)"},
        {"limits --close 1e3 --board main", "前收盘价 (--close): \"1e3\""},
        {"limits --close 10 --board main --date 1996-12-13", "no price limit rule of 主板"},
        {"limits --close 10 --board fund --no-limit-days", "without limits after a listing"},
    };
    for (const auto& [args, message] : refused) {
        SCOPED_TRACE(args);
        const RunResult r = RunUntouched(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    const RunResult help = RunUntouched("--help");
    for (const char* word : {"limits", "--close", "--code", "--board", "--no-limit-days"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
}

} // namespace
} // namespace ym
