// Runs the built yuanmate-calc in scratch folders and checks what a user or a script sees:
// the printed panel rows, the JSON numbers, the messages and the exit status, the statement
// check, and that the settings file is only ever written by init.
#include "core/result_rows.h"
#include "core/settings_file.h"
#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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
// an empty argument), `input` on standard input and standard output captured, or sent to
// `out`. The captures live outside the working folder, so what it holds is the program's.
RunResult Calc(const TempDir& root, const std::string& line, const std::string& input = {},
               const char* out = nullptr) {
    std::vector<std::string> args = {YM_CALC_EXE};
    std::istringstream words(line);
    for (std::string a; std::getline(words, a, ' ');) {
        args.push_back(a == "''" ? "" : a);
    }
    const fs::path work = root.path() / "work", outFile = out ? out : root.path() / "out";
    fs::create_directories(work);
    Put(root.path() / "in", input);
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open((root.path() / "in").c_str(), O_RDONLY);
        const int o = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open((root.path() / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || o < 0 || e < 0 || chdir(work.c_str()) != 0 || dup2(in, 0) < 0 ||
            dup2(o, 1) < 0 || dup2(e, 2) < 0) {
            _exit(127);
        }
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(126);
    }
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid) << "could not run " << YM_CALC_EXE;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status),
            out ? "" : Get(outFile), Get(root.path() / "err")};
}

// What a folder holds: each entry's bytes (or "<dir>") and its modification time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Contents(const fs::path& dir) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> l;
    for (const auto& e : fs::directory_iterator(dir)) {
        l[e.path().filename().string()] = {e.is_directory() ? "<dir>" : Get(e.path()),
                                           e.last_write_time()};
    }
    return l;
}

// A run in a fresh folder holding `file` under `name` first, if given (a folder when `file`
// is "<dir>"). Whatever the outcome, nothing in the folder changes: bytes, times, names.
RunResult RunUntouched(const std::string& line, const char* name = nullptr,
                       const std::string& file = {}, const std::string& input = {}) {
    TempDir root;
    fs::create_directory(root.path() / "work");
    if (name != nullptr && file == "<dir>") {
        fs::create_directory(root.path() / "work" / name);
    } else if (name != nullptr) {
        Put(root.path() / "work" / name, file);
    }
    const auto before = Contents(root.path() / "work");
    RunResult r = Calc(root, line, input);
    EXPECT_EQ(Contents(root.path() / "work"), before) << line;
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

// "caption\tvalue" lines of a panel from '|'-separated values; a value left empty (or out
// at the end) is not checked.
Lines Panel(const std::string& values, bool bShares = false) {
    static const Lines a = {"佣      金：", "印  花  税：", "过  户  费：", "其      它：",
                            "手续费合计：", "纯  利  润：", "收  益  率：", "实付总金额：",
                            "实收总金额：", "保本卖出价："};
    static const Lines b = {"佣      金：", "印  花  税：", "结  算  费：", "交易经手费：",
                            "证  管  费：", "其      它：", "手续费合计：", "纯  利  润：",
                            "收  益  率：", "实付总金额：", "实收总金额：", "保本卖出价："};
    Lines lines;
    std::istringstream in(values);
    for (const std::string& caption : bShares ? b : a) {
        std::string v;
        std::getline(in, v, '|');
        lines.push_back(caption + "\t" + v);
    }
    return lines;
}
Lines B(const std::string& values) {
    return Panel(values, true);
}

const std::string kBuyOnly = "35.00元|40.00元|1.00元|0.00元|76.00元|0.00元|0.00 %|10,076.00元|";
const std::string kMinimum20 = "40.00元||||50.40元|49.60元||1,025.00元|1,074.60元";
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
        // transfer fee still counts), a loss, no quantity.
        {kSha + "--buy 10 --sell 11 --qty 1000"s, Panel("73.50元|84.00元|2.00元|0.00元|159.50元|"
         "840.50元|8.34 %|10,076.00元|10,916.50元|10.16元")},
        {kSha + "--buy 10 --sell 11 --qty 100"s, Panel("20.00元|8.40元|2.00元|0.00元|30.40元|"
         "69.60元|6.86 %|1,015.00元|1,084.60元|10.31元")},
        {kSha + "--buy 10 --sell '' --qty 1000"s, Panel(kBuyOnly + "0.00元|10.16元")},
        {kSha + "--buy 10 --sell 0 --qty 1000"s, Panel(kBuyOnly + "-1.00元|10.16元")},
        {kSha + "--sell 11 --qty 1000"s, Panel("38.50元|44.00元|1.00元|0.00元|83.50元|0.00元|"
         "0.00 %|0.00元|10,916.50元|0.00元")},
        {kSha + "--buy 10 --sell 9 --qty 1000"s, Panel("66.50元|76.00元|2.00元||144.50元|"
         "-1,144.50元|-11.36 %|10,076.00元|8,931.50元|10.16元")},
        {kSha + "--buy 10 --sell 11"s, Panel("0.00元|0.00元|0.00元|0.00元|0.00元|0.00元|0.00 %|"
         "0.00元|0.00元|0.00元")},
        // 0.001 a share of 500 shares is 0.50 a leg, raised to the minimum of 1; no transfer
        // rate never pays the minimum.
        {kSha + "--buy 20 --sell 21 --qty 500"s, Panel("71.75元|82.00元|2.00元|0.00元|155.75元|"
         "344.25元|3.42 %|10,076.00元|10,420.25元|20.31元")},
        {kSha + "--buy 10 --sell 11 --qty 1000"s, Panel("73.50元|84.00元|0.00元"),
         {{"A4=0.001", "A4=0"}}},
        // An other charge: both fields hold text, so with no quantity it is taken once and
        // reaches both totals; with a quantity each leg pays it.
        {kSha + "--buy 10 --sell 11 --qty 0"s, Panel("0.00元|0.00元|0.00元|3.00元|3.00元|0.00元|"
         "0.00 %|3.00元|-3.00元|0.00元"), {{"A6=0\r\n", "A6=3\r\n"}}},
        {kSha + "--buy 10 --sell 11 --qty 1000"s, Panel("73.50元|84.00元|2.00元|5.00元|164.50元|"
         "835.50元|8.29 %|10,078.50元|10,914.00元|10.16元"), {{"A6=0\r\n", "A6=2.5\r\n"}}},
        // Found by fuzzing: the buy leg's fees (3 - 4) pay for the purchase of 1, and selling
        // at 2 earns exactly nothing; the yield was 0 / 0 and showed "NaN %".
        {kSha + "--buy 1 --sell 2 --qty 1"s, Panel("0.00元|9.00元|0.00元|-8.00元|1.00元|0.00元|"
         "0.00 %"), {{"A1=0.0035\r\nA2=10\r\nA3=0.004\r\nA4=0.001\r\nA5=1\r\nA6=0\r\n",
         "A1=0\r\nA2=0\r\nA3=3\r\nA4=0\r\nA5=0\r\nA6=-4\r\n"}}},
        // The settlement fee of each leg, 1000 and 1200, is cut to 500 only in Shenzhen.
        {"trade --market sz --type b --buy 10 --sell 12 --qty 200000", B("18,920.00元|13,200.00元|"
         "1,000.00元|1,320.00元|202.40元|0.00元|34,642.40元|365,357.60元|18.12 %|2,015,792.00元|"
         "2,381,149.60元|10.16元")},
        {"trade --market 1 --type 5 --buy 10 --sell 12 --qty 200000", B("18,920.00元|13,200.00元|"
         "2,200.00元|1,122.00元|198.00元||35,640.00元|364,360.00元|18.07 %|2,016,200.00元|"
         "2,380,560.00元|10.17元")},
        // No file and no selection: Shenzhen A shares, which pay no transfer fee. Shanghai
        // funds: 0.0035 with a minimum of 10 (the buy leg's 7.00 is raised, the sell leg's
        // 10.50 not), no stamp duty, transfer 0.001 a share with a minimum of 1. A sell price
        // has no limit.
        {"trade --buy 10 --sell 11 --qty 1000", Panel("73.50元||0.00元||157.50元|842.50元")},
        {"trade --market SH --type fund --buy 2 --sell 3 --qty 1000",
         Panel("20.50元|0.00元|2.00元||22.50元|977.50元")},
        {kSha + "--sell 1234567 --qty 100"s,
         Panel("432,098.45元|493,826.80元|1.00元||925,926.25元||||122,530,773.75元")},
        // The settings file, named or in the working folder; its selection, which options
        // override; a selection out of range, told once; a stamp duty of 100 %, never earned
        // back.
        {"trade --ini edited.ini --market sh --type a --buy 10 --sell 11 --qty 100",
         Panel(kMinimum20), raisedMinimum, "", "edited.ini"},
        {kSha + "--buy 10 --sell 11 --qty 100"s, Panel(kMinimum20), raisedMinimum},
        {"trade --buy 10 --sell 12 --qty 200000", B("||2,200.00元||||35,640.00元"), shanghaiB},
        {"trade --market sz --type b --buy 10 --sell 12 --qty 200000", B("||1,000.00元"), shanghaiB},
        {"trade --buy 10 --sell 11 --qty 1000", Panel("||0.00元||157.50元"),
         {{"Select1=2", "Select1=7"}}, "stores no market"},
        {kSha + "--buy 10 --sell 11 --qty 100"s, Panel("|||||||||" + std::string(kNoBreakEven)),
         {{"A3=0.004", "A3=1"}}},
        // Today's official fees: 10,000 yuan at 2.5‱ pay the 5.00 minimum, transfer 0.10, and
        // handling 0.34 and regulatory 0.20 as "other"; no stamp duty on a buy. The sell of
        // 10,500 pays 5.00, stamp duty 0.05 % 5.25, transfer 0.105 -> 0.11, handling 0.36
        // and regulatory 0.21; the break-even 10.02 covers 5.64 and the sell's 10.65.
        {kOfficial + "--buy 10 --qty 1000", Panel("5.00元|0.00元|0.10元|0.54元|5.64元|0.00元|"
         "0.00 %|10,005.64元|0.00元|10.02元")},
        {kOfficial + "--buy 10 --sell 10.5 --qty 1000", Panel("10.00元|5.25元|0.21元|1.11元|"
         "16.57元|483.43元|4.83 %|10,005.64元|10,489.07元|10.02元")},
        {kOfficial + "--buy 10 --qty 1000 --commission-includes-fees yes",
         Panel("5.00元|0.00元|0.10元|0.00元|5.10元")},
        {kOfficial + "--buy 10 --qty 1000 --no-minimum", Panel("2.50元|0.00元|0.10元|0.54元|3.14元")},
        // HK$ 2,000,000 and 2,400,000: the settlement fee of each leg hits the 500 cap.
        // US$ 50: a minimum of 2 dollars; settlement 0.025 -> 0.03.
        {"trade --market sz --type b --rules official --date 2026-12-06 --buy 10 --sell 12 --qty "
         "200000", B("1,100.00元|1,200.00元|1,000.00元|150.04元|88.00元|0.00元|3,538.04元|"
         "396,461.96元")},
        {"trade --market sh --type b --rules official --date 2026-12-06 --buy 0.5 --qty 100 "
         "--min-commission 2", B("2.00元|0.00元|0.03元|0.00元|0.00元|0.00元|2.03元")},
        // The file chooses the official rules at 3‰; an option overrides its terms, --rules
        // classic its model; a term out of bounds computes the classic fees, said once.
        {kSha + "--date 2026-12-06 --buy 10 --qty 1000 --commission 0.0001"s,
         Panel("5.00元|0.00元|0.10元|0.54元|5.64元"), kFeeRules},
        {kSha + "--rules classic --buy 10 --qty 1000"s, Panel(kBuyOnly), kFeeRules},
        {kSha + "--buy 10 --qty 1000"s, Panel(kBuyOnly + "0.00元|10.16元"),
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
            c.edits.empty() ? RunUntouched(c.args) : RunUntouched(c.args, c.file, Edited(c.edits));
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

// A flat JSON object of numbers and nulls, strictly: anything else gives nullopt.
std::optional<std::map<std::string, std::optional<double>>> ParseFlatJson(const std::string& s) {
    static const std::regex member(
        R"re(\s*"(\w+)"\s*:\s*(null|-?(?:0|[1-9]\d*)(?:\.\d+)?(?:[eE][+-]?\d+)?)\s*([,}]))re");
    std::map<std::string, std::optional<double>> fields;
    const std::size_t open = s.find_first_not_of(" \t\r\n");
    if (open == std::string::npos || s[open] != '{') {
        return std::nullopt;
    }
    std::smatch m;
    auto at = s.cbegin() + static_cast<std::ptrdiff_t>(open + 1);
    do {
        if (!std::regex_search(at, s.cend(), m, member, std::regex_constants::match_continuous) ||
            !fields
                 .emplace(m[1], m[2] == "null" ? std::nullopt : std::optional(std::stod(m.str(2))))
                 .second) {
            return std::nullopt;
        }
        at += m.length(0);
    } while (m[3] == ",");
    return s.find_first_not_of(" \t\r\n", at - s.cbegin()) == std::string::npos
               ? std::optional(fields)
               : std::nullopt;
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
        // The official rules keep every name: an A-share trade's handling and regulatory
        // fees are in OtherTotal (0.54 + 0.57), each leg's in its total.
        {kOfficial + "--json --buy 10 --sell 10.5 --qty 1000", 1e-9, {
            {"BuyCommission", 5}, {"SellStamp", 5.25}, {"BuyStamp", 0}, {"HandlingTotal", 0},
            {"OtherTotal", 1.11}, {"LegTransfer", 0.10}, {"TransferTotal", 0.21},
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
        const RunResult r = c.edits.empty()
                                ? RunUntouched(c.args)
                                : RunUntouched(c.args, "Yuanmate5.ini", Edited(c.edits));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const auto fields = ParseFlatJson(r.out);
        ASSERT_TRUE(fields.has_value()) << r.out;
        EXPECT_EQ(fields->size(), c.args.starts_with("trade") ? 28u : 1u);
        for (const auto& [name, value] : c.expected) {
            ASSERT_TRUE(fields->count(name)) << name;
            ASSERT_EQ(fields->at(name).has_value(), !std::isnan(value)) << name;
            if (!std::isnan(value)) {
                EXPECT_NEAR(*fields->at(name), value, c.tolerance) << name;
            }
        }
        EXPECT_FALSE(std::regex_search(r.out, std::regex(R"(\.0*[,\s}]|\d[eE])"))) << r.out;
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
        "--commission --min-commission --no-minimum --commission-includes-fees --output --check";
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

// Runs batch in a fresh folder holding `statement` as s.csv, or giving it on standard input
// when the arguments name "-".
RunResult Batch(const std::string& args, const std::string& statement) {
    const bool fromInput = args.find(" - ") != std::string::npos || args.ends_with(" -");
    return fromInput ? RunUntouched(args, nullptr, {}, statement)
                     : RunUntouched(args, "s.csv", statement);
}

// Official rules of 2026-12-04 at 2.5‱: the A-share round trip above, and a Shenzhen B-share
// buy whose "other" is its settlement fee (500, capped), handling (68.20) and regulatory fee
// (40.00). Written to standard output, to a file, read from standard input.
TEST(Batch, StatementThatMatches) {
    const std::string statement =
        "date,market,type,side,price,quantity,commission,stamp,transfer,other\r\n"
        "2026-12-04,sh,a,buy,10,1000,5.00,0.00,0.10,0.54\r\n"
        "2026-12-04,sh,a,sell,10.5,1000,5.00,5.25,0.11,0.57\r\n"
        "2026-12-04,sz,b,buy,10,200000,500.00,,,608.20\r\n";
    const std::string checked =
        "date,market,type,side,price,quantity,commission,stamp,transfer,other," + kCalcHeader +
        ",commission_diff,stamp_diff,transfer_diff,other_diff,check\n"
        "2026-12-04,sh,a,buy,10,1000,5.00,0.00,0.10,0.54,"
        "5.00,0.00,0.10,0.34,0.20,0.00,5.64,10000.00,0.00,0.00,0.00,0.00,ok\n"
        "2026-12-04,sh,a,sell,10.5,1000,5.00,5.25,0.11,0.57,"
        "5.00,5.25,0.11,0.36,0.21,0.00,10.93,10500.00,0.00,0.00,0.00,0.00,ok\n"
        "2026-12-04,sz,b,buy,10,200000,500.00,,,608.20,"
        "500.00,0.00,0.00,68.20,40.00,500.00,1108.20,2000000.00,0.00,,,0.00,ok\n";
    for (const std::string args : {"batch s.csv --rules official --check",
                                   "batch --check - --rules official --commission 0.00025"}) {
        const RunResult r = Batch(args, statement);
        EXPECT_EQ(r.exitCode, 0) << args << "\n" << r.err;
        EXPECT_EQ(r.err, "") << args;
        EXPECT_EQ(r.out, checked) << args;
    }
    TempDir root;
    fs::create_directory(root.path() / "work");
    Put(root.path() / "work" / "s.csv", statement);
    EXPECT_EQ(Calc(root, "batch s.csv --rules official --output checked.csv").out, "");
    EXPECT_EQ(Get(root.path() / "work" / "checked.csv"), checked);
}

// A stamp duty 0.05 too high differs, a transfer fee one fen off is within tolerance: with
// --check the run says so by its exit status, without it only by the column.
TEST(Batch, CheckFindsTheWrongFee) {
    const std::string statement = "date,market,type,side,price,quantity,stamp,transfer\n"
                                  "2026-12-04,sh,a,sell,10.5,1000,5.30,0.12\n"
                                  "2026-12-04,sh,a,sell,10,1000,5.00,0.10\n";
    const std::string expected =
        "date,market,type,side,price,quantity,stamp,transfer," + kCalcHeader +
        ",stamp_diff,transfer_diff,check\n"
        "2026-12-04,sh,a,sell,10.5,1000,5.30,0.12,5.00,5.25,0.11,0.36,0.21,0.00,10.93,10500.00,"
        "0.05,0.01,differs\n"
        "2026-12-04,sh,a,sell,10,1000,5.00,0.10,5.00,5.00,0.10,0.34,0.20,0.00,10.64,10000.00,"
        "0.00,0.00,ok\n";
    const RunResult checked = Batch("batch s.csv --rules official --check", statement);
    EXPECT_EQ(checked.exitCode, 3);
    EXPECT_EQ(checked.out, expected);
    const RunResult listed = Batch("batch s.csv --rules official", statement);
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, expected);
}

// 日期,市场,类型,买卖,价格,数量,佣金 and 沪市, A股, 买 in GBK, as a Chinese spreadsheet saves
// them; the output is UTF-8.
TEST(Batch, GbkStatement) {
    const RunResult r = Batch(
        "batch s.csv --rules official --check",
        "\xC8\xD5\xC6\xDA,\xCA\xD0\xB3\xA1,\xC0\xE0\xD0\xCD,\xC2\xF2\xC2\xF4,\xBC\xDB\xB8\xF1,"
        "\xCA\xFD\xC1\xBF,\xD3\xB6\xBD\xF0\r\n"
        "2026-12-04,\xBB\xA6\xCA\xD0,A\xB9\xC9,\xC2\xF2,10,1000,5.00\r\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "日期,市场,类型,买卖,价格,数量,佣金," + kCalcHeader +
                         ",commission_diff,check\n"
                         "2026-12-04,沪市,A股,买,10,1000,5.00,"
                         "5.00,0.00,0.10,0.34,0.20,0.00,5.64,10000.00,0.00,ok\n");
}

// Bad lines are named on standard error and skipped, the others still checked. The
// classic parameters unrounded, shown to the fen: 35.035 + 40.04 + 1.00 = 76.075 -> 76.08.
TEST(Batch, BadLinesAreSkipped) {
    const std::string statement = "date,market,type,side,price,quantity,note\n"
                                  "2026-12-04,sh,a,buy,10,1000,first\n"
                                  "2026-02-30,sh,a,buy,10,1000\n"
                                  "\n"
                                  "2026-12-04,hk,a,buy,10,1000\n"
                                  "2015-07-31,sh,a,buy,10,1000\n"
                                  "2026-12-04,sz,a,buy,10\n"
                                  "20261204,sz,a,sell,10,1000,\"last, quoted\"\n";
    const RunResult r = Batch("batch s.csv --rules official --check", statement);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "date,market,type,side,price,quantity," + kCalcHeader +
                         ",check\n2026-12-04,sh,a,buy,10,1000,5.00,0.00,0.10,0.34,0.20,0.00,5.64,"
                         "10000.00,ok\n20261204,sz,a,sell,10,1000,5.00,5.00,0.10,0.34,0.20,0.00,"
                         "10.64,10000.00,ok\n");
    EXPECT_EQ(SplitLines(r.err),
              (Lines{"yuanmate-calc: note: column \"note\" ignored",
                     "yuanmate-calc: line 3: date \"2026-02-30\" is not a date (YYYY-MM-DD or "
                     "YYYYMMDD); skipped",
                     "yuanmate-calc: line 5: market \"hk\" is not a market (sh, sz, 1, 2, 沪市, "
                     "深市); skipped",
                     "yuanmate-calc: line 6: no official rules before 2015-08-01; use the classic "
                     "parameters; skipped",
                     "yuanmate-calc: line 7: has 5 fields, the header 6 or more; skipped"}));
    const RunResult classic =
        Batch("batch s.csv --rules classic", "date,market,type,side,price,quantity\n"
                                             "2026-12-04,sh,a,buy,10.01,1000\n");
    EXPECT_EQ(classic.exitCode, 0) << classic.err;
    EXPECT_EQ(classic.out, "date,market,type,side,price,quantity," + kCalcHeader +
                               ",check\n2026-12-04,sh,a,buy,10.01,1000,35.04,40.04,1.00,0.00,"
                               "0.00,0.00,76.08,10010.00,ok\n");
    for (const std::string& header : {std::string(), std::string("date,market,type\n1,2,3\n"),
                                      std::string("date,date,market,type,side,price,quantity\n")}) {
        const RunResult bad = Batch("batch s.csv", header);
        EXPECT_EQ(bad.exitCode, 2) << header;
        EXPECT_EQ(bad.out, "") << header;
        EXPECT_EQ(SplitLines(bad.err).size(), 1u) << bad.err;
    }
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

} // namespace
} // namespace ym
