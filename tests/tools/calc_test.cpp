// Runs the built yuanmate-calc in scratch folders and checks what a user or a script sees:
// the printed panel rows, the JSON numbers, the messages and the exit status, and that the
// settings file is only ever written by init.

#include "core/result_rows.h"
#include "core/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Lines = std::vector<std::string>;

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// What a folder holds: each entry's bytes (or "<dir>") and its modification time.
using Listing = std::map<std::string, std::pair<std::string, fs::file_time_type>>;

Listing List(const fs::path& dir) {
    Listing l;
    for (const auto& e : fs::directory_iterator(dir)) {
        l[e.path().filename().string()] = {e.is_directory() ? "<dir>" : ReadBytes(e.path()),
                                           e.last_write_time()};
    }
    return l;
}

int LineCount(const std::string& s) {
    return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "ym_calc_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "mkdtemp failed: " << errno;
        }
        root_ = pattern;
        fs::create_directory(root_ / "work");
        fs::create_directory(root_ / "capture");
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The working directory of the runs; the captured output lives elsewhere, so that
    // anything the program leaves here is its own doing.
    fs::path Work() const { return root_ / "work"; }

    // `input`: the bytes standard input gives (empty without it).
    RunResult Run(Args args, const char* stdoutFile = nullptr,
                  const std::string& input = {}) const {
        const fs::path outFile = stdoutFile ? fs::path(stdoutFile) : root_ / "capture" / "out";
        const fs::path errFile = root_ / "capture" / "err";
        const fs::path inFile = root_ / "capture" / "in";
        WriteBytes(inFile, input);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int in = ::open(inFile.c_str(), O_RDONLY);
            const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in < 0 || out < 0 || err < 0 || ::chdir(Work().c_str()) != 0) {
                ::_exit(127);
            }
            ::dup2(in, STDIN_FILENO);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            std::string exe = YM_CALC_EXE;
            std::vector<char*> argv = {exe.data()};
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(exe.c_str(), argv.data());
            ::_exit(126);
        }
        RunResult result;
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
            ADD_FAILURE() << "could not run " << YM_CALC_EXE;
            return result;
        }
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
        result.out = stdoutFile ? "" : ReadBytes(outFile);
        result.err = ReadBytes(errFile);
        return result;
    }

private:
    fs::path root_;
};

// Failure reports name a table row by its name instead of dumping its bytes.
template <typename Case>
requires requires(const Case& c) {
    std::string_view(c.name);
}
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const auto kCaseName = [](const auto& info) { return std::string(info.param.name); };

// Arguments written as one line, split at each blank; '' stands for an empty argument.
Args Split(const std::string& line) {
    Args args;
    std::istringstream in(line);
    for (std::string a; std::getline(in, a, ' ');) {
        args.push_back(a == "''" ? "" : a);
    }
    return args;
}

// ---------------------------------------------------------------------------------------
// A settings file written the way the program writes a new one, with chosen values
// changed. The values are the shipped rates, written down here once more so that a wrong
// default in the program shows up as a wrong fee instead of passing unnoticed.

const char* const kShanghaiTexts = "0.0035 10 0.004 0.001 1 0 0.002 5 0 0 0.0035 10 0 0.001 1 0 "
                                   "0.0025 5 0 0 0.0043 0 0.003 0.0005 0.000255 0.000045 0";
const char* const kShenzhenTexts = "0.0035 5 0.004 0 0 0 0.002 5 0 0 0.003 5 0 0 0 0 0.0025 5 0 0 "
                                   "0.0043 0 0.003 0.0005 0.0003 0.000046 0 500";

std::string IniFile(const std::map<std::string, std::string>& changes) {
    auto line = [&](const std::string& key, const std::string& fallback) {
        const auto it = changes.find(key);
        const std::string v = it == changes.end() ? fallback : it->second;
        return v == "<absent>" ? std::string() : key + "=" + v + "\r\n";
    };
    auto section = [&](const std::string& head, const char* prefix, const char* texts) {
        std::string s = head;
        std::istringstream in(texts);
        std::string v;
        for (int i = 1; in >> v; ++i) {
            s += line(prefix + std::to_string(i), v);
        }
        return s;
    };
    return section("[\xC9\xCF\xBA\xA3]\r\n", "A", kShanghaiTexts) +
           section("[\xC9\xEE\xDB\xDA]\r\n", "B", kShenzhenTexts) + "[Select]\r\n" +
           line("Select1", "2") + line("Select2", "1") + "[SHOWCOLOR]\r\n" + line("Color", " 0");
}

// A run in a fresh folder holding a settings file or a folder first, if given. Whatever the
// outcome, only init may change what the folder holds: the bytes, the times, the names.
RunResult RunUntouched(const std::string& args, const char* ini = nullptr,
                       const std::map<std::string, std::string>& changes = {},
                       const char* directory = nullptr, const std::string& feeRules = {}) {
    ScratchFolder folder;
    if (ini != nullptr) {
        WriteBytes(folder.Work() / ini,
                   IniFile(changes) + (feeRules.empty() ? "" : "[FEERULES]\r\n" + feeRules));
    }
    if (directory != nullptr) {
        fs::create_directory(folder.Work() / directory);
    }
    const Listing before = List(folder.Work());
    RunResult r = folder.Run(Split(args));
    EXPECT_EQ(List(folder.Work()), before) << args;
    return r;
}

// ---------------------------------------------------------------------------------------
// Printed output: the panel rows of a trade, the one price of an ex-rights run.

const Lines kACaptions = {"佣      金：", "印  花  税：", "过  户  费：", "其      它：",
                          "手续费合计：", "纯  利  润：", "收  益  率：", "实付总金额：",
                          "实收总金额：", "保本卖出价："};
const Lines kBCaptions = {"佣      金：", "印  花  税：", "结  算  费：", "交易经手费：",
                          "证  管  费：", "其      它：", "手续费合计：", "纯  利  润：",
                          "收  益  率：", "实付总金额：", "实收总金额：", "保本卖出价："};

// "caption\tvalue" lines from '|'-separated values; a value left empty (or left out at the
// end) is not checked.
Lines Panel(const Lines& captions, const std::string& values) {
    Lines lines;
    std::istringstream in(values);
    for (const auto& caption : captions) {
        std::string v;
        std::getline(in, v, '|');
        lines.push_back(caption + "\t" + v);
    }
    return lines;
}
Lines A(const std::string& values) {
    return Panel(kACaptions, values);
}
Lines B(const std::string& values) {
    return Panel(kBCaptions, values);
}

const std::string kZeroA = "0.00元|0.00元|0.00元|0.00元|0.00元|0.00元|0.00 %|0.00元|0.00元|0.00元";
const std::string kBuyOnly = "35.00元|40.00元|1.00元|0.00元|76.00元|0.00元|0.00 %|10,076.00元|";
const std::string kMinimum20 = "40.00元||||50.40元|49.60元||1,025.00元|1,074.60元";

struct OutputCase {
    const char* name;
    std::string args;
    Lines lines;
    const char* ini = nullptr; // a settings file written into the working folder first
    std::map<std::string, std::string> changes = {};
    const char* note = "";     // a part of the one stderr line expected, or none
    std::string feeRules = {}; // a [FEERULES] section's lines, appended to the file
};

class Output : public ::testing::TestWithParam<OutputCase> {};

TEST_P(Output, PrintsTheExpectedLinesAndWritesNothing) {
    const OutputCase& c = GetParam();
    const RunResult r = RunUntouched(c.args, c.ini, c.changes, nullptr, c.feeRules);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    if (*c.note == '\0') {
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_NE(r.err.find(c.note), std::string::npos) << r.err;
        EXPECT_EQ(LineCount(r.err), 1) << r.err;
    }
    ASSERT_FALSE(r.out.empty());
    EXPECT_EQ(r.out.back(), '\n') << "last line has no newline";
    Lines got;
    std::istringstream in(r.out);
    for (std::string l; std::getline(in, l);) {
        got.push_back(l);
    }
    ASSERT_EQ(got.size(), c.lines.size()) << r.out;
    for (std::size_t i = 0; i < got.size(); ++i) {
        const std::string& want = c.lines[i];
        if (want.back() == '\t') {
            EXPECT_EQ(got[i].substr(0, want.size()), want);
            EXPECT_EQ(got[i].find('\t', want.size()), std::string::npos) << got[i];
        } else {
            EXPECT_EQ(got[i], want);
        }
    }
}

#define YM_SHA "trade --market sh --type a "
#define YM_JSON_SHA YM_SHA "--json "
#define YM_PLAN " --bonus 2 --rights 3 --rights-price 8 --cash 1.5"

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    WorkedTrades, Output,
    ::testing::Values(
        OutputCase{"ShanghaiA_10_11_1000", YM_SHA "--buy 10 --sell 11 --qty 1000", A(
            "73.50元|84.00元|2.00元|0.00元|159.50元|840.50元|8.34 %|10,076.00元|10,916.50元|10.16元")},
        OutputCase{"ShanghaiA_10_11_100", YM_SHA "--buy 10 --sell 11 --qty 100", A(
            "20.00元|8.40元|2.00元|0.00元|30.40元|69.60元|6.86 %|1,015.00元|1,084.60元|10.31元")},
        OutputCase{"BuyOnly", YM_SHA "--buy 10 --qty 1000", A(kBuyOnly + "0.00元|10.16元")},
        OutputCase{"SellGivenAsEmptyText", YM_SHA "--buy 10 --sell '' --qty 1000",
                   A(kBuyOnly + "0.00元|10.16元")},
        // A sell price typed as 0 is no empty field: the leg's transfer fee still counts.
        OutputCase{"SellTypedAsZero", YM_SHA "--buy 10 --sell 0 --qty 1000",
                   A(kBuyOnly + "-1.00元|10.16元")},
        OutputCase{"Loss", YM_SHA "--buy 10 --sell 9 --qty 1000", A(
            "66.50元|76.00元|2.00元||144.50元|-1,144.50元|-11.36 %|10,076.00元|8,931.50元|10.16元")},
        OutputCase{"SellOnly", YM_SHA "--sell 11 --qty 1000", A(
            "38.50元|44.00元|1.00元|0.00元|83.50元|0.00元|0.00 %|0.00元|10,916.50元|0.00元")},
        OutputCase{"QuantityZero", YM_SHA "--buy 10 --sell 11 --qty 0", A(kZeroA)},
        OutputCase{"QuantityLeftOut", YM_SHA "--buy 10 --sell 11", A(kZeroA)},
        OutputCase{"NothingGivenBPanel", "trade --market 2 --type 5", B(
            "0.00元|0.00元|0.00元|0.00元|0.00元|0.00元|0.00元|0.00元|0.00 %|0.00元|0.00元|0.00元")},
        OutputCase{"ShenzhenB_SettlementCapped",
                   "trade --market sz --type b --buy 10 --sell 12 --qty 200000", B(
            "18,920.00元|13,200.00元|1,000.00元|1,320.00元|202.40元|0.00元|34,642.40元|"
            "365,357.60元|18.12 %|2,015,792.00元|2,381,149.60元|10.16元")},
        OutputCase{"ShanghaiB_Uncapped",
                   "trade --market 1 --type 5 --buy 10 --sell 12 --qty 200000", B(
            "18,920.00元|13,200.00元|2,200.00元|1,122.00元|198.00元||35,640.00元|"
            "364,360.00元|18.07 %|2,016,200.00元|2,380,560.00元|10.17元")},
        // No file and no selection: 深市 A 股, which charges no transfer fee.
        OutputCase{"DefaultSelectionIsShenzhenA", "trade --buy 10 --sell 11 --qty 1000",
                   A("73.50元||0.00元||157.50元|842.50元")},
        // Shanghai funds: 0.0035 commission with a minimum of 10 (the buy leg's 7.00 is raised,
        // the sell leg's 10.50 is not), no stamp duty, transfer 0.001 per share, minimum 1.
        OutputCase{"ShanghaiFund", "trade --market SH --type fund --buy 2 --sell 3 --qty 1000",
                   A("20.50元|0.00元|2.00元||22.50元|977.50元")},
        // Typed text passes the field's own rules: a large sell price has no limit.
        OutputCase{"SellPriceWithoutLimit", YM_SHA "--sell 1234567 --qty 100",
                   A("432,098.45元|493,826.80元|1.00元||925,926.25元||||122,530,773.75元")},
        OutputCase{"BuyPriceAtTheLimit", YM_SHA "--buy 999999 --qty 1",
                   A("3,500.00元|||||||1,007,499.99元")}),
    kCaseName);

INSTANTIATE_TEST_SUITE_P(
    SettingsFile, Output,
    ::testing::Values(
        OutputCase{"RaisedMinimumViaIni", "trade --ini edited.ini --market sh --type a --buy 10 "
                   "--sell 11 --qty 100", A(kMinimum20), "edited.ini", {{"A2", "20"}}},
        OutputCase{"FileInCurrentDirectory", YM_SHA "--buy 10 --sell 11 --qty 100", A(kMinimum20),
                   "Yuanmate5.ini", {{"A2", "20"}}},
        OutputCase{"StoredSelectionShanghaiB", "trade --ini edited.ini --buy 10 --sell 12 --qty "
                   "200000", B("||2,200.00元||||35,640.00元"), "edited.ini",
                   {{"Select1", " 1"}, {"Select2", " 5"}}},
        OutputCase{"OptionsOverrideTheStoredSelection", "trade --ini edited.ini --market sz --type "
                   "b --buy 10 --sell 12 --qty 200000", B("||1,000.00元"), "edited.ini",
                   {{"Select1", " 1"}, {"Select2", " 5"}}},
        OutputCase{"StoredMarketOutOfRange", "trade --buy 10 --sell 11 --qty 1000",
                   A("||0.00元||157.50元"), "Yuanmate5.ini", {{"Select1", "7"}}, "stores no market"},
        // A stamp duty of 100 % can never be earned back: there is no break-even price.
        OutputCase{"NoBreakEven", YM_SHA "--buy 10 --sell 11 --qty 100",
                   A("|||||||||" + std::string(ym::kNoBreakEven)), "Yuanmate5.ini", {{"A3", "1"}}}),
    kCaseName);

// Today's official fees, worked out by hand: a 10,000-yuan Shanghai A-share buy at 2.5‱
// pays the 5.00 minimum, a transfer fee of 0.10, and handling (0.34) and regulatory (0.20)
// fees shown as "other"; the break-even sell price 10.02 covers both legs' 5.64 and 10.65.
#define YM_OFFICIAL "--rules official --date 2026-12-06 "
const std::string kOfficialBuy = "5.00元|0.00元|0.10元|0.54元|5.64元|0.00元|0.00 %|10,005.64元|0.00元|10.02元";

INSTANTIATE_TEST_SUITE_P(
    OfficialRules, Output,
    ::testing::Values(
        OutputCase{"AShareBuyPaysTheMinimum", YM_SHA YM_OFFICIAL "--buy 10 --qty 1000", A(kOfficialBuy)},
        OutputCase{"CommissionIncludesTheFees", YM_SHA YM_OFFICIAL "--buy 10 --qty 1000 "
                   "--commission-includes-fees yes", A("5.00元|0.00元|0.10元|0.00元|5.10元")},
        OutputCase{"MinimumWaived", YM_SHA YM_OFFICIAL "--buy 10 --qty 1000 --no-minimum",
                   A("2.50元|0.00元|0.10元|0.54元|3.14元")},
        // The sell leg of 10,500: commission 5.00, stamp duty 0.05% 5.25, transfer 0.105 ->
        // 0.11, handling 0.36 and regulatory 0.21.
        OutputCase{"AShareRoundTrip", YM_SHA YM_OFFICIAL "--buy 10 --sell 10.5 --qty 1000",
                   A("10.00元|5.25元|0.21元|1.11元|16.57元|483.43元|4.83 %|10,005.64元|10,489.07元|10.02元")},
        // HK$ 2,000,000 and 2,400,000: the settlement fee of each leg hits the 500 cap.
        OutputCase{"ShenzhenBSettlementCapped", "trade --market sz --type b " YM_OFFICIAL
                   "--buy 10 --sell 12 --qty 200000", B("1,100.00元|1,200.00元|1,000.00元|150.04元|"
                   "88.00元|0.00元|3,538.04元|396,461.96元")},
        // US$ 50: a minimum of 2 dollars; settlement 0.025 -> 0.03.
        OutputCase{"ShanghaiBMinimumInDollars", "trade --market sh --type b " YM_OFFICIAL
                   "--buy 0.5 --qty 100 --min-commission 2", B("2.00元|0.00元|0.03元|0.00元|0.00元|"
                   "0.00元|2.03元")},
        // The settings file chooses the official rules with a 3‰ commission: 30.00.
        OutputCase{"SettingsFileChoosesOfficial", YM_SHA "--date 2026-12-06 --buy 10 --qty 1000",
                   A("30.00元|0.00元|0.10元|0.54元|30.64元"), "Yuanmate5.ini", {}, "",
                   "Model=official\r\nCommissionRate= .003\r\n"},
        // An option overrides the file's terms; --rules classic its model.
        OutputCase{"OptionOverridesTheFileTerms", YM_SHA "--date 2026-12-06 --buy 10 --qty 1000 "
                   "--commission 0.0001", A("5.00元|0.00元|0.10元|0.54元|5.64元"), "Yuanmate5.ini",
                   {}, "", "Model=official\r\nCommissionRate= .003\r\n"},
        OutputCase{"ClassicOverridesTheFile", YM_SHA "--rules classic --buy 10 --qty 1000",
                   A(kBuyOnly), "Yuanmate5.ini", {}, "", "Model=official\r\n"},
        // A term out of its bounds: the classic model computes, as in the window.
        OutputCase{"BadTermInTheFileIsNoted", YM_SHA "--buy 10 --qty 1000",
                   A(kBuyOnly + "0.00元|10.16元"), "Yuanmate5.ini", {}, "using the classic parameters",
                   "Model=official\r\nCommissionRate=0.01\r\n"}),
    kCaseName);

INSTANTIATE_TEST_SUITE_P(
    WorkedExRights, Output,
    ::testing::Values(
        OutputCase{"FullPlanForward", "exrights --before 20" YM_PLAN, {"14.83"}},
        OutputCase{"FullPlanBackward", "exrights --after 15" YM_PLAN, {"20.25"}},
        OutputCase{"NoPlanForward", "exrights --before 10", {"10.00"}},
        OutputCase{"BonusForward", "exrights --before 13 --bonus 3", {"10.00"}},
        OutputCase{"CashBelowZero", "exrights --before 0 --cash 1", {"-0.10"}},
        OutputCase{"EmptySourcePrice", "exrights --before ''", {"0.00"}},
        // A ticked box with an empty field adds nothing.
        OutputCase{"TickedButEmpty", "exrights --before 10 --bonus ''", {"10.00"}},
        // Rights shares without a price are free shares: 10 / 1.5.
        OutputCase{"RightsWithoutPrice", "exrights --before 10 --rights 5", {"6.67"}},
        OutputCase{"LongestFields", "exrights --before 12345678901 --cash 123456789",
                   {"12333333222.10"}},
        OutputCase{"AttachedValues", "exrights --before=13 --bonus=3", {"10.00"}}),
    kCaseName);
// clang-format on

// ---------------------------------------------------------------------------------------
// JSON.

using Json = std::map<std::string, std::optional<double>>;

// A flat object of numbers and nulls, strictly: anything else fails the parse.
std::optional<Json> ParseFlatJson(const std::string& s) {
    static const std::regex member(
        R"re(\s*"(\w+)"\s*:\s*(null|-?(?:0|[1-9]\d*)(?:\.\d+)?(?:[eE][+-]?\d+)?)\s*([,}]))re");
    Json fields;
    std::size_t i = s.find_first_not_of(" \t\r\n");
    if (i == std::string::npos || s[i] != '{') {
        return std::nullopt;
    }
    ++i;
    std::smatch m;
    do {
        if (!std::regex_search(s.cbegin() + static_cast<std::ptrdiff_t>(i), s.cend(), m, member,
                               std::regex_constants::match_continuous)) {
            return std::nullopt;
        }
        const std::optional<double> value =
            m[2] == "null" ? std::nullopt : std::optional(std::strtod(m.str(2).c_str(), nullptr));
        if (!fields.emplace(m[1], value).second) {
            return std::nullopt; // a name given twice
        }
        i += static_cast<std::size_t>(m.length(0));
    } while (m[3] == ",");
    return s.find_first_not_of(" \t\r\n", i) == std::string::npos ? std::optional(fields)
                                                                  : std::nullopt;
}

struct JsonCase {
    const char* name;
    std::string args;
    double tolerance;                                // 0: every digit of the double
    std::map<std::string, double> expected;          // NAN: null
    std::map<std::string, std::string> changes = {}; // for a Yuanmate5.ini written first
};

class JsonValues : public ::testing::TestWithParam<JsonCase> {};

TEST_P(JsonValues, ReadBack) {
    const JsonCase& c = GetParam();
    const RunResult r =
        RunUntouched(c.args, c.changes.empty() ? nullptr : "Yuanmate5.ini", c.changes);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto f = ParseFlatJson(r.out);
    ASSERT_TRUE(f.has_value()) << r.out;
    // A trade gives every field of its result, an ex-rights run its one price.
    EXPECT_EQ(f->size(), c.args.starts_with("trade") ? 28u : 1u);
    for (const auto& [name, value] : c.expected) {
        ASSERT_TRUE(f->count(name)) << name;
        ASSERT_EQ(f->at(name).has_value(), !std::isnan(value)) << name;
        if (!std::isnan(value)) {
            EXPECT_NEAR(*f->at(name), value, c.tolerance) << name;
        }
    }
    EXPECT_FALSE(std::regex_search(r.out, std::regex(R"(\.0*[,\s}])"))) << "a zero fraction";
}

TEST(TradeJson, WholeAmountsPrintWithoutFractionOrExponent) {
    const RunResult r = RunUntouched(YM_JSON_SHA "--buy 10 --sell 11 --qty 1000");
    for (const std::string s :
         {"\"BuyAmount\": 10000", "\"SellAmount\": 11000", "\"LegTransfer\": 1",
          "\"TransferTotal\": 2", "\"BuySettlement\": 0"}) {
        const std::size_t at = r.out.find(s);
        ASSERT_NE(at, std::string::npos) << s << "\n" << r.out;
        EXPECT_NE(std::string(",\n}").find(r.out[at + s.size()]), std::string::npos) << s;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Fields, JsonValues,
    ::testing::Values(
        JsonCase{"EveryFieldByName", YM_JSON_SHA "--buy 10 --sell 11 --qty 1000", 1e-9, {
            {"BuyAmount", 10000}, {"SellAmount", 11000}, {"BuyCommission", 35},
            {"SellCommission", 38.5}, {"BuyStamp", 40}, {"SellStamp", 44}, {"BuySettlement", 0},
            {"SellSettlement", 0}, {"BuyHandling", 0}, {"SellHandling", 0}, {"BuyRegulator", 0},
            {"SellRegulator", 0}, {"LegTransfer", 1}, {"CommissionTotal", 73.5},
            {"StampTotal", 84}, {"SettlementTotal", 0}, {"HandlingTotal", 0},
            {"RegulatorTotal", 0}, {"TransferTotal", 2}, {"OtherTotal", 0}, {"BuyLegFees", 76},
            {"SellLegFees", 83.5}, {"FeesTotal", 159.5}, {"NetProfit", 840.5},
            {"Yield", 840.5 / 10076}, {"TotalPaid", 10076}, {"TotalReceived", 10916.5},
            {"BreakEvenPrice", 10.16}}},
        JsonCase{"ShanghaiBLegsByName",
                 "trade --market sh --type b --buy 10 --sell 12 --qty 200000 --json",
                 1e-9, {{"BuySettlement", 1000}, {"SellSettlement", 1200}, {"BuyHandling", 510},
                        {"SellHandling", 612}, {"BuyRegulator", 90}, {"SellRegulator", 108}}},
        // A stamp duty of 100 % can never be earned back: there is no break-even price.
        // The official rules keep every field name; the handling and regulatory fees of an
        // A-share trade are in OtherTotal (0.54 + 0.57), each leg's in its total.
        JsonCase{"OfficialKeepsTheFieldNames", YM_JSON_SHA YM_OFFICIAL "--buy 10 --sell 10.5 --qty 1000",
                 1e-9, {{"BuyCommission", 5}, {"SellStamp", 5.25}, {"BuyStamp", 0},
                        {"BuyHandling", 0}, {"HandlingTotal", 0}, {"OtherTotal", 1.11},
                        {"LegTransfer", 0.10}, {"TransferTotal", 0.21}, {"BuyLegFees", 5.64},
                        {"SellLegFees", 10.93}, {"FeesTotal", 16.57}, {"NetProfit", 483.43},
                        {"BreakEvenPrice", 10.02}}},
        JsonCase{"NoBreakEvenIsNull", YM_JSON_SHA "--buy 10 --sell 11 --qty 100", 0,
                 {{"BreakEvenPrice", NAN}, {"BuyAmount", 1000}}, {{"A3", "1"}}},
        JsonCase{"EveryDigitSurvives", YM_JSON_SHA "--buy 1.2346 --qty 3", 0,
                 {{"BuyAmount", 1.2346 * 3}}},
        // Enter shows 1.2346 and moving on reads the shown text.
        JsonCase{"FiveDecimalsRoundedToFour", YM_JSON_SHA "--buy 1.23456 --qty 10000", 0,
                 {{"BuyAmount", 1.2346 * 10000}}},
        JsonCase{"LeadingZeros", YM_JSON_SHA "--buy 10 --qty 007", 0, {{"BuyAmount", 70}}},
        JsonCase{"TrailingPoint", YM_JSON_SHA "--buy 12. --qty 100", 0, {{"BuyAmount", 1200}}},
        // Backspace deletes the character before the caret, as in the field.
        JsonCase{"BackspaceEdits", YM_JSON_SHA "--buy 12\b3 --qty 100", 0, {{"BuyAmount", 1300}}},
        // Fourteen and five sixths, not the 14.83 shown.
        JsonCase{"ExRightsForward", "exrights --json --before 20" YM_PLAN, 1e-12,
                 {{"PriceAfter", 14.0 + 5.0 / 6.0}}},
        JsonCase{"ExRightsBackward", "exrights --after 15 --json" YM_PLAN, 1e-12,
                 {{"PriceBefore", 20.25}}},
        // A price is read as its field shows it after Enter: four decimals.
        JsonCase{"PriceFieldRewritten", "exrights --before 10.123456 --json", 1e-12,
                 {{"PriceAfter", 10.1235}}},
        // Share counts are never rewritten.
        JsonCase{"ShareCountAsTyped", "exrights --before 10 --bonus 1.23456 --json", 1e-12,
                 {{"PriceAfter", 10 / 1.123456}}},
        JsonCase{"CashFieldRewritten", "exrights --before 10 --cash 1.23456 --json", 1e-12,
                 {{"PriceAfter", 10 - 0.12346}}}),
    kCaseName);
// clang-format on

// ---------------------------------------------------------------------------------------
// Failures: exit 2 for what was typed, exit 1 for files, one line on stderr either way.

struct ErrorCase {
    const char* name;
    std::string args;
    std::string message; // the whole line after "yuanmate-calc: ", or a part
    bool whole = false;
    int exitCode = 2;
    const char* directory = nullptr; // made in the working folder first
};

class Failure : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Failure, OneLineOnStderr) {
    const ErrorCase& c = GetParam();
    const RunResult r = RunUntouched(c.args, nullptr, {}, c.directory);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.out, "");
    ASSERT_EQ(LineCount(r.err), 1) << r.err;
    ASSERT_EQ(r.err.back(), '\n');
    const std::string prefix = "yuanmate-calc: ";
    ASSERT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
    const std::string line = r.err.substr(prefix.size(), r.err.size() - prefix.size() - 1);
    if (c.whole) {
        EXPECT_EQ(line, c.message);
    } else {
        EXPECT_NE(line.find(c.message), std::string::npos) << line;
    }
}

#define YM_REJECTED "\" holds a character the field does not accept"

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    FieldRules, Failure,
    ::testing::Values(
        ErrorCase{"LetterInBuyPrice", "trade --buy 12a", "买入价格 (--buy): \"12a" YM_REJECTED, true},
        ErrorCase{"SecondPoint", "trade --sell 1.2.3", "卖出价格 (--sell): \"1.2.3" YM_REJECTED, true},
        ErrorCase{"PointFirst", "trade --buy .5", "买入价格 (--buy): \".5" YM_REJECTED, true},
        ErrorCase{"PriceTooLong", "trade --buy 12345678", "买入价格 (--buy): \"12345678\""},
        ErrorCase{"FractionalPriceTooLong", "trade --sell 999999.5", "卖出价格 (--sell): \"999999.5\""},
        ErrorCase{"BuyPriceLimit", "trade --buy 1234567 --qty 100",
                  "买入价格 (--buy): 输入的值不能大于等于1000000,请重新输入!", true},
        ErrorCase{"BuyPriceMillion", "trade --buy 1000000", "输入的值不能大于等于1000000,请重新输入!"},
        ErrorCase{"PointInQuantity", "trade --qty 1.5", "买卖数量 (--qty): \"1.5" YM_REJECTED, true},
        ErrorCase{"QuantityTooLong", "trade --qty 1234567890", "买卖数量 (--qty): \"1234567890\""},
        ErrorCase{"MinusSign", "trade --qty -5", "买卖数量 (--qty)"},
        ErrorCase{"FullWidthDigits", "trade --buy １０", "买入价格 (--buy)"},
        ErrorCase{"Exponent", "trade --sell 1e3", "卖出价格 (--sell)"},
        // Control characters and broken UTF-8 are shown escaped, never raw.
        ErrorCase{"NewlineInValue", "trade --buy 1\n2",
                  "买入价格 (--buy): \"1\\x0A2" YM_REJECTED, true},
        ErrorCase{"CarriageReturnInValue", "trade --buy 12\r", "买入价格 (--buy): \"12\\x0D\""},
        ErrorCase{"InvalidUtf8", "trade --qty 1\xFF", "买卖数量 (--qty): \"1\\xFF\""},
        ErrorCase{"ExRightsPointFirst", "exrights --before 10 --bonus .5", "(--bonus): \".5\""},
        ErrorCase{"ExRightsLetter", "exrights --after 10 --cash 1y", "(--cash)"},
        ErrorCase{"ShareCountTooLong", "exrights --before 10 --bonus 12345678",
                  "(--bonus): \"12345678\""},
        ErrorCase{"CashTooLong", "exrights --before 10 --cash 1234567890",
                  "(--cash): \"1234567890\""},
        ErrorCase{"ExRightsPriceTooLong", "exrights --before 123456789012",
                  "(--before): \"123456789012\""}),
    kCaseName);

INSTANTIATE_TEST_SUITE_P(
    CommandLine, Failure,
    ::testing::Values(
        ErrorCase{"UnknownOption", "trade --price 10", "\"--price\""},
        ErrorCase{"UnknownCommand", "calculate", "\"calculate\""},
        ErrorCase{"MarketOutOfRange", "trade --market 3", "--market"},
        ErrorCase{"MarketWord", "trade --market hk", "--market"},
        ErrorCase{"TypeOutOfRange", "trade --type 6", "--type"},
        ErrorCase{"TypeWord", "trade --type stock", "--type"},
        ErrorCase{"MissingValueAtEnd", "trade --buy", "--buy needs a value", true},
        ErrorCase{"MissingValueBeforeOption", "trade --buy --sell 11", "--buy needs a value", true},
        ErrorCase{"MissingIniName", "trade --ini", "--ini needs a value", true},
        ErrorCase{"FlagWithValue", "trade --json=yes", "--json"},
        ErrorCase{"OptionTwice", "trade --buy 10 --buy 11", "--buy given twice", true},
        ErrorCase{"LooseArgument", "trade 10", "\"10\""},
        ErrorCase{"BothPrices", "exrights --before 10 --after 9", "--before"},
        ErrorCase{"NoPrice", "exrights --bonus 3", "--before"},
        ErrorCase{"RightsPriceWithoutRights", "exrights --before 10 --rights-price 6",
                  "--rights-price"},
        ErrorCase{"InitWithArgument", "init now", "\"now\""},
        ErrorCase{"RulesWord", "trade --rules fancy", "--rules: \"fancy\""},
        ErrorCase{"CommissionAboveTheLegalCap", "trade --rules official --commission 0.004",
                  "--commission: \"0.004\": 佣金率应在 0 到法定上限 0.003 之间",
                  true},
        ErrorCase{"CommissionNotANumber", "trade --rules official --commission 2.5‱",
                  "--commission: \"2.5‱\" is not a number", true},
        ErrorCase{"MinimumAndNoMinimum", "trade --rules official --min-commission 5 --no-minimum",
                  "--no-minimum"},
        ErrorCase{"IncludesFeesWord", "trade --rules official --commission-includes-fees maybe",
                  "--commission-includes-fees"},
        ErrorCase{"TermsWithClassic", "trade --rules classic --commission 0.0001",
                  "--rules official"},
        ErrorCase{"TermsWithAClassicFile", "trade --commission 0.0001 --buy 10", "--rules official"},
        ErrorCase{"DateWithClassic", "trade --rules classic --date 2026-01-05", "--date"},
        ErrorCase{"NoSuchDate", "trade --date 2026-02-30", "--date: \"2026-02-30\""},
        ErrorCase{"BeforeTheOfficialRules", "trade --rules official --date 2015-07-31 --buy 10",
                  "no official rules before 2015-08-01; use the classic parameters", true},
        ErrorCase{"RulesBeforeTheFirstDay", "rules --date 2015-07-31",
                  "no official rules before 2015-08-01; use the classic parameters", true},
        ErrorCase{"BatchWithoutFile", "batch --check", "batch needs the statement file"},
        ErrorCase{"BatchTwoFiles", "batch a.csv b.csv", "\"b.csv\""}),
    kCaseName);

INSTANTIATE_TEST_SUITE_P(
    Files, Failure,
    ::testing::Values(
        ErrorCase{"IniMissing", "trade --ini nothing.ini --buy 10",
                  std::string(ym::MessageText(ym::SettingsMessage::ReadSelect1)), false, 1},
        ErrorCase{"BatchFileMissing", "batch nothing.csv", "nothing.csv: cannot be opened", false, 1},
        ErrorCase{"IniIsAFolder", "trade --ini folder.ini --buy 10",
                  "  ## Error read select1!6003-3", false, 1, "folder.ini"},
        // Not the defaults in silence: the user's file is there but cannot be read.
        ErrorCase{"SettingsFileIsAFolder", "trade --buy 10",
                  "  ## Error read select1!6003-3", false, 1, "Yuanmate5.ini"},
        // A folder of that name stands where the file would go: the first write fails.
        ErrorCase{"InitCannotCreate", "init", "  ## Error creat shanghai!6002-1", false, 1,
                  "Yuanmate5.ini"}),
    kCaseName);
// clang-format on

TEST(Output, FullDiskIsNoSuccess) {
    // Results that cannot be written must not be reported as a success.
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    ScratchFolder folder;
    EXPECT_EQ(folder.Run({"exrights", "--before", "10"}, "/dev/full").exitCode, 1);
}

// ---------------------------------------------------------------------------------------
// Help.

TEST(Help, ListsEveryCommandAndOption) {
    const Args documented =
        Split("trade exrights init rules batch --ini --market --type --buy --sell --qty "
              "--json --before --after --bonus --rights --cash --rights-price --help --rules "
              "--date --commission --min-commission --no-minimum --commission-includes-fees "
              "--output --check");
    for (const auto& [args, exitCode] : std::map<std::string, int>{
             {"--help", 0}, {"help", 0}, {"-h", 0}, {"trade --help", 0}, {"", 2}}) {
        SCOPED_TRACE(args);
        const RunResult r = RunUntouched(args);
        EXPECT_EQ(r.exitCode, exitCode);
        // Asked for, the help goes to stdout; without a command, it is a usage error.
        const std::string& text = exitCode == 0 ? r.out : r.err;
        EXPECT_EQ(exitCode == 0 ? r.err : r.out, "");
        for (const auto& word : documented) {
            EXPECT_NE(text.find(word), std::string::npos) << word;
        }
    }
}

// ---------------------------------------------------------------------------------------
// rules: the table of a day.

TEST(Rules, TheTableOfADay) {
    const RunResult before = RunUntouched("rules --date 2023-08-27");
    ASSERT_EQ(before.exitCode, 0) << before.err;
    // The last day of 1‰ stamp duty, then the first of 0.5‰; B shares' half unconfirmed.
    EXPECT_NE(before.out.find("\n印花税\tA 股、B 股\t沪深\t卖\t成交金额\t1‰\t—\t—\t成交币种\t否\t"
                              "2015-08-01 至 2023-08-27\t财税明电〔2008〕2号\t有据\n"),
              std::string::npos)
        << before.out;
    EXPECT_EQ(LineCount(before.out), 2 + 12);
    const RunResult after = RunUntouched("rules --date 2023-08-28");
    EXPECT_NE(after.out.find("\n印花税\tA 股\t沪深\t卖\t成交金额\t0.5‰\t"), std::string::npos);
    EXPECT_NE(after.out.find("\n印花税\tB 股\t沪深\t卖\t成交金额\t0.5‰\t"), std::string::npos);
    EXPECT_NE(after.out.find("\n结算费\tB 股\t深市\t双向\t成交金额\t0.5‰\t—\t500 港元\t港元\t"),
              std::string::npos);
    EXPECT_EQ(LineCount(after.out), 2 + 14);

    const RunResult json = RunUntouched("rules --date 2026-12-06 --json");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find("{\"fee\": \"stamp\", \"types\": [\"a\"], \"exchange\": null, "
                            "\"side\": \"sell\", \"base\": \"amount\", \"rate\": 5e-04, "
                            "\"minimum\": null, \"cap\": null, \"currency\": null, "
                            "\"broker_may_include\": false, \"first\": \"2023-08-28\", "
                            "\"last\": null, \"source\": \"财政部 税务总局公告2023年第39号\", "
                            "\"mark\": \"sourced\"}"),
              std::string::npos)
        << json.out;
    std::size_t rows = 0;
    for (std::size_t at = 0; (at = json.out.find("{\"fee\"", at)) != std::string::npos; ++at) {
        ++rows;
    }
    EXPECT_EQ(rows, 14u);
}

// ---------------------------------------------------------------------------------------
// batch: a statement checked line by line.

struct BatchRun {
    RunResult result;
    std::string written; // the --output file, when asked for
};

// Runs batch in a fresh folder holding `statement` as s.csv (or giving it on standard
// input when the arguments name "-").
BatchRun Batch(const std::string& args, const std::string& statement,
               const char* output = nullptr) {
    ScratchFolder folder;
    const bool fromInput = args.find(" - ") != std::string::npos || args.ends_with(" -");
    if (!fromInput) {
        WriteBytes(folder.Work() / "s.csv", statement);
    }
    BatchRun run;
    run.result = folder.Run(Split(args), nullptr, fromInput ? statement : std::string());
    if (output != nullptr) {
        run.written = ReadBytes(folder.Work() / output);
    }
    return run;
}

const std::string kCalcHeader = "commission_calc,stamp_calc,transfer_calc,handling_calc,"
                                "regulatory_calc,other_calc,fees_calc,amount_calc";

// Official rules of 2026-12-04 at 2.5‱: the buy and the sell of the A-share round trip
// above, and a Shenzhen B-share buy whose "other" is its settlement fee (500, capped),
// handling (68.20) and regulatory fee (40.00).
const std::string kStatement =
    "date,market,type,side,price,quantity,commission,stamp,transfer,other\r\n"
    "2026-12-04,sh,a,buy,10,1000,5.00,0.00,0.10,0.54\r\n"
    "2026-12-04,sh,a,sell,10.5,1000,5.00,5.25,0.11,0.57\r\n"
    "2026-12-04,sz,b,buy,10,200000,500.00,,,608.20\r\n";
const std::string kChecked =
    "date,market,type,side,price,quantity,commission,stamp,transfer,other," + kCalcHeader +
    ",commission_diff,stamp_diff,transfer_diff,other_diff,check\n"
    "2026-12-04,sh,a,buy,10,1000,5.00,0.00,0.10,0.54,"
    "5.00,0.00,0.10,0.34,0.20,0.00,5.64,10000.00,0.00,0.00,0.00,0.00,ok\n"
    "2026-12-04,sh,a,sell,10.5,1000,5.00,5.25,0.11,0.57,"
    "5.00,5.25,0.11,0.36,0.21,0.00,10.93,10500.00,0.00,0.00,0.00,0.00,ok\n"
    "2026-12-04,sz,b,buy,10,200000,500.00,,,608.20,"
    "500.00,0.00,0.00,68.20,40.00,500.00,1108.20,2000000.00,0.00,,,0.00,ok\n";

TEST(Batch, StatementThatMatches) {
    for (const std::string args : {"batch s.csv --rules official --check",
                                   "batch --check - --rules official --commission 0.00025"}) {
        const BatchRun run = Batch(args, kStatement);
        EXPECT_EQ(run.result.exitCode, 0) << args << "\n" << run.result.err;
        EXPECT_EQ(run.result.err, "") << args;
        EXPECT_EQ(run.result.out, kChecked) << args;
    }
    const BatchRun written =
        Batch("batch s.csv --rules official --output checked.csv", kStatement, "checked.csv");
    EXPECT_EQ(written.result.out, "");
    EXPECT_EQ(written.written, kChecked);
}

// A stamp duty 0.05 too high differs; a transfer fee one fen off is within tolerance.
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
    const BatchRun checked = Batch("batch s.csv --rules official --check", statement);
    EXPECT_EQ(checked.result.exitCode, 3);
    EXPECT_EQ(checked.result.out, expected);
    const BatchRun listed = Batch("batch s.csv --rules official", statement);
    EXPECT_EQ(listed.result.exitCode, 0);
    EXPECT_EQ(listed.result.out, expected);
}

// 日期,市场,类型,买卖,价格,数量,佣金 and 沪市, A股, 买 in GBK, as a Chinese spreadsheet saves it;
// the output is UTF-8.
TEST(Batch, GbkStatement) {
    const std::string gbk = "\xC8\xD5\xC6\xDA,\xCA\xD0\xB3\xA1,\xC0\xE0\xD0\xCD,\xC2\xF2\xC2\xF4,"
                            "\xBC\xDB\xB8\xF1,\xCA\xFD\xC1\xBF,\xD3\xB6\xBD\xF0\r\n"
                            "2026-12-04,\xBB\xA6\xCA\xD0,A\xB9\xC9,\xC2\xF2,10,1000,5.00\r\n";
    const BatchRun run = Batch("batch s.csv --rules official --check", gbk);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(run.result.out, "日期,市场,类型,买卖,价格,数量,佣金," + kCalcHeader +
                                  ",commission_diff,check\n"
                                  "2026-12-04,沪市,A股,买,10,1000,5.00,"
                                  "5.00,0.00,0.10,0.34,0.20,0.00,5.64,10000.00,0.00,ok\n");
}

// Bad lines are named on standard error and skipped; the others are still checked.
TEST(Batch, BadLinesAreSkipped) {
    const std::string statement = "date,market,type,side,price,quantity,note\n"
                                  "2026-12-04,sh,a,buy,10,1000,first\n"
                                  "2026-02-30,sh,a,buy,10,1000\n"
                                  "\n"
                                  "2026-12-04,hk,a,buy,10,1000\n"
                                  "2015-07-31,sh,a,buy,10,1000\n"
                                  "2026-12-04,sz,a,buy,10\n"
                                  "20261204,sz,a,sell,10,1000,\"last, quoted\"\n";
    const BatchRun run = Batch("batch s.csv --rules official --check", statement);
    EXPECT_EQ(run.result.exitCode, 2);
    EXPECT_EQ(run.result.out, "date,market,type,side,price,quantity," + kCalcHeader +
                                  ",check\n"
                                  "2026-12-04,sh,a,buy,10,1000,5.00,0.00,0.10,0.34,0.20,0.00,5.64,"
                                  "10000.00,ok\n"
                                  "20261204,sz,a,sell,10,1000,5.00,5.00,0.10,0.34,0.20,0.00,10.64,"
                                  "10000.00,ok\n");
    const Lines expected = {
        "yuanmate-calc: note: column \"note\" ignored",
        "yuanmate-calc: line 3: date \"2026-02-30\" is not a date (YYYY-MM-DD or YYYYMMDD); "
        "skipped",
        "yuanmate-calc: line 5: market \"hk\" is not a market (sh, sz, 1, 2, 沪市, 深市); skipped",
        "yuanmate-calc: line 6: no official rules before 2015-08-01; use the classic parameters; "
        "skipped",
        "yuanmate-calc: line 7: has 5 fields, the header 6 or more; skipped"};
    Lines got;
    std::istringstream in(run.result.err);
    for (std::string l; std::getline(in, l);) {
        got.push_back(l);
    }
    EXPECT_EQ(got, expected);
}

// The classic parameters (the defaults: 0.35% commission, 0.4% stamp duty both ways, 0.001
// per share with a minimum of 1) unrounded, shown to the fen: 35.035 + 40.04 + 1.00 =
// 76.075, shown 76.08.
TEST(Batch, ClassicParameters) {
    const BatchRun run =
        Batch("batch s.csv --rules classic", "date,market,type,side,price,quantity\n"
                                             "2026-12-04,sh,a,buy,10.01,1000\n");
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(run.result.out, "date,market,type,side,price,quantity," + kCalcHeader +
                                  ",check\n2026-12-04,sh,a,buy,10.01,1000,35.04,40.04,1.00,0.00,"
                                  "0.00,0.00,76.08,10010.00,ok\n");
}

TEST(Batch, HeaderThatWillNotDo) {
    for (const std::string& statement :
         {std::string(), std::string("date,market,type\n1,2,3\n"),
          std::string("date,date,market,type,side,price,quantity\n")}) {
        const BatchRun run = Batch("batch s.csv", statement);
        EXPECT_EQ(run.result.exitCode, 2) << statement;
        EXPECT_EQ(run.result.out, "") << statement;
        EXPECT_EQ(LineCount(run.result.err), 1) << run.result.err;
    }
}

// ---------------------------------------------------------------------------------------
// init.

TEST(Init, CreatesTheDefaultFile) {
    ScratchFolder folder;
    const RunResult r = folder.Run({"init"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("created"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Yuanmate5.ini"), std::string::npos) << r.out;
    const std::string bytes = ReadBytes(folder.Work() / "Yuanmate5.ini");
    EXPECT_EQ(bytes, ym::DefaultSettingsBytes());
    // The layout a user opening the file sees, independently of the program's defaults.
    EXPECT_EQ(bytes.rfind("[\xC9\xCF\xBA\xA3]\r\nA1=0.0035\r\nA2=10\r\n", 0), 0u);
    EXPECT_NE(bytes.find("[Select]\r\nSelect1=2\r\nSelect2=1\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("[SHOWCOLOR]\r\nColor= 0\r\nSColor1=&HFF8080\r\n"), std::string::npos);
    EXPECT_EQ(List(folder.Work()).size(), 1u);

    // The file it made is one the calculator reads: the default selection, 深市 A 股.
    const RunResult t = folder.Run(Split("trade --buy 10 --sell 11 --qty 1000"));
    ASSERT_EQ(t.exitCode, 0) << t.err;
    EXPECT_NE(t.out.find("手续费合计：\t157.50元\n"), std::string::npos) << t.out;
}

TEST(Init, LeavesAnExistingFileAlone) {
    // Never completed or repaired, however incomplete.
    for (const std::string& bytes : {IniFile({{"A2", "20"}, {"Select1", " 1"}}),
                                     std::string("[Select]\r\nSelect1=1\r\n"), std::string()}) {
        ScratchFolder folder;
        WriteBytes(folder.Work() / "Yuanmate5.ini", bytes);
        const Listing before = List(folder.Work());
        const RunResult r = folder.Run({"init"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out.find("created"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("unchanged"), std::string::npos) << r.out;
        EXPECT_EQ(List(folder.Work()), before);
    }
}

} // namespace
