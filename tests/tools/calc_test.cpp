// Runs the built yuanmate-calc in scratch folders and checks what a user or a script sees:
// the printed panel rows, the JSON numbers, the messages and the exit status, and that the
// settings file is only ever written by init.

#include "core/result_rows.h"
#include "core/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

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
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
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

    RunResult Run(const std::vector<std::string>& args) const {
        const fs::path outFile = root_ / "capture" / "out";
        const fs::path errFile = root_ / "capture" / "err";
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out < 0 || err < 0 || ::chdir(Work().c_str()) != 0) {
                ::_exit(127);
            }
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            std::vector<char*> argv;
            std::string exe = YM_CALC_EXE;
            argv.push_back(exe.data());
            std::vector<std::string> copies = args;
            for (std::string& a : copies) {
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
        result.out = ReadBytes(outFile);
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

std::string Join(const std::vector<std::string>& args) {
    std::string s;
    for (const auto& a : args) {
        s += " [" + a + "]";
    }
    return s;
}

// ---------------------------------------------------------------------------------------
// A settings file written the way the program writes a new one, with chosen values
// changed. The values are the shipped rates, written down here once more so that a wrong
// default in the program shows up as a wrong fee instead of passing unnoticed.

const std::vector<std::string> kShanghaiTexts = {
    "0.0035", "10",     "0.004",  "0.001", "1",     "0",      "0.002",    "5",        "0",
    "0",      "0.0035", "10",     "0",     "0.001", "1",      "0",        "0.0025",   "5",
    "0",      "0",      "0.0043", "0",     "0.003", "0.0005", "0.000255", "0.000045", "0"};
const std::vector<std::string> kShenzhenTexts = {
    "0.0035", "5", "0.004", "0",      "0",      "0",        "0.002",  "5",  "0", "0",
    "0.003",  "5", "0",     "0",      "0",      "0",        "0.0025", "5",  "0", "0",
    "0.0043", "0", "0.003", "0.0005", "0.0003", "0.000046", "0",      "500"};

std::string IniFile(const std::map<std::string, std::string>& changes = {}) {
    auto value = [&](const std::string& key, const std::string& fallback) {
        const auto it = changes.find(key);
        return it == changes.end() ? fallback : it->second;
    };
    auto line = [&](const std::string& key, const std::string& fallback) {
        const std::string v = value(key, fallback);
        return v == "<absent>" ? std::string() : key + "=" + v + "\r\n";
    };
    std::string s = "[\xC9\xCF\xBA\xA3]\r\n";
    for (std::size_t i = 0; i < kShanghaiTexts.size(); ++i) {
        s += line("A" + std::to_string(i + 1), kShanghaiTexts[i]);
    }
    s += "[\xC9\xEE\xDB\xDA]\r\n";
    for (std::size_t i = 0; i < kShenzhenTexts.size(); ++i) {
        s += line("B" + std::to_string(i + 1), kShenzhenTexts[i]);
    }
    s += "[Select]\r\n" + line("Select1", "2") + line("Select2", "1");
    s += "[SHOWCOLOR]\r\n" + line("Color", " 0");
    return s;
}

// ---------------------------------------------------------------------------------------
// Panel rows.

const std::string kCommission = "佣      金：";
const std::string kStamp = "印  花  税：";
const std::string kTransfer = "过  户  费：";
const std::string kOther = "其      它：";
const std::string kFees = "手续费合计：";
const std::string kProfit = "纯  利  润：";
const std::string kYield = "收  益  率：";
const std::string kPaid = "实付总金额：";
const std::string kReceived = "实收总金额：";
const std::string kBreakEven = "保本卖出价：";
const std::string kSettlement = "结  算  费：";
const std::string kHandling = "交易经手费：";
const std::string kRegulator = "证  管  费：";

const std::vector<std::string> kACaptions = {kCommission, kStamp, kTransfer, kOther,    kFees,
                                             kProfit,     kYield, kPaid,     kReceived, kBreakEven};
const std::vector<std::string> kBCaptions = {kCommission, kStamp, kSettlement, kHandling,
                                             kRegulator,  kOther, kFees,       kProfit,
                                             kYield,      kPaid,  kReceived,   kBreakEven};

using Rows = std::vector<std::pair<std::string, std::string>>;

// Splits "caption\tvalue\n" lines; a line without a tab or a missing final newline fails.
Rows ParseRows(const std::string& out) {
    Rows rows;
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find('\n', start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "last line has no newline: " << out.substr(start);
            break;
        }
        const std::string line = out.substr(start, end - start);
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) {
            ADD_FAILURE() << "not one caption and one value: " << line;
        } else {
            rows.emplace_back(line.substr(0, tab), line.substr(tab + 1));
        }
        start = end + 1;
    }
    return rows;
}

std::vector<std::string> Captions(const Rows& rows) {
    std::vector<std::string> c;
    for (const auto& r : rows) {
        c.push_back(r.first);
    }
    return c;
}

std::optional<std::string> ValueOf(const Rows& rows, const std::string& caption) {
    for (const auto& r : rows) {
        if (r.first == caption) {
            return r.second;
        }
    }
    return std::nullopt;
}

const std::vector<std::string> kShA = {"trade", "--market", "sh", "--type", "a"};

std::vector<std::string> With(std::vector<std::string> base, const std::vector<std::string>& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

struct RowsCase {
    const char* name;
    std::vector<std::string> args;
    bool bPanel;
    Rows expected; // the rows to check, by caption
};

class TradeRows : public ::testing::TestWithParam<RowsCase> {};

TEST_P(TradeRows, PanelShowsTheBrokersFigures) {
    const RowsCase& c = GetParam();
    ScratchFolder folder;
    const RunResult r = folder.Run(c.args);
    ASSERT_EQ(r.exitCode, 0) << Join(c.args) << "\n" << r.err;
    EXPECT_EQ(r.err, "");
    const Rows rows = ParseRows(r.out);
    EXPECT_EQ(Captions(rows), c.bPanel ? kBCaptions : kACaptions);
    for (const auto& [caption, value] : c.expected) {
        EXPECT_EQ(ValueOf(rows, caption), value) << caption;
    }
}

const Rows kRoundTrip1000 = {{kCommission, "73.50元"},   {kStamp, "84.00元"},
                             {kTransfer, "2.00元"},      {kOther, "0.00元"},
                             {kFees, "159.50元"},        {kProfit, "840.50元"},
                             {kYield, "8.34 %"},         {kPaid, "10,076.00元"},
                             {kReceived, "10,916.50元"}, {kBreakEven, "10.16元"}};

const Rows kBuyOnly1000 = {{kCommission, "35.00元"}, {kStamp, "40.00元"},    {kTransfer, "1.00元"},
                           {kOther, "0.00元"},       {kFees, "76.00元"},     {kProfit, "0.00元"},
                           {kYield, "0.00 %"},       {kPaid, "10,076.00元"}, {kReceived, "0.00元"},
                           {kBreakEven, "10.16元"}};

Rows Replace(Rows rows, const std::string& caption, const std::string& value) {
    for (auto& r : rows) {
        if (r.first == caption) {
            r.second = value;
        }
    }
    return rows;
}

Rows AllZero(bool bPanel) {
    Rows rows;
    for (const auto& c : bPanel ? kBCaptions : kACaptions) {
        rows.emplace_back(c, c == kYield ? "0.00 %" : "0.00元");
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, TradeRows,
    ::testing::Values(
        RowsCase{"ShanghaiA_10_11_1000",
                 With(kShA, {"--buy", "10", "--sell", "11", "--qty", "1000"}), false,
                 kRoundTrip1000},
        RowsCase{"ShanghaiA_10_11_100",
                 With(kShA, {"--buy", "10", "--sell", "11", "--qty", "100"}),
                 false,
                 {{kCommission, "20.00元"},
                  {kStamp, "8.40元"},
                  {kTransfer, "2.00元"},
                  {kOther, "0.00元"},
                  {kFees, "30.40元"},
                  {kProfit, "69.60元"},
                  {kYield, "6.86 %"},
                  {kPaid, "1,015.00元"},
                  {kReceived, "1,084.60元"},
                  {kBreakEven, "10.31元"}}},
        RowsCase{"BuyOnly", With(kShA, {"--buy", "10", "--qty", "1000"}), false, kBuyOnly1000},
        RowsCase{"SellGivenAsEmptyText", With(kShA, {"--buy", "10", "--sell", "", "--qty", "1000"}),
                 false, kBuyOnly1000},
        // A sell price typed as 0 is no empty field: the leg's transfer fee still counts.
        RowsCase{"SellTypedAsZero", With(kShA, {"--buy", "10", "--sell", "0", "--qty", "1000"}),
                 false, Replace(kBuyOnly1000, kReceived, "-1.00元")},
        RowsCase{"Loss",
                 With(kShA, {"--buy", "10", "--sell", "9", "--qty", "1000"}),
                 false,
                 {{kCommission, "66.50元"},
                  {kStamp, "76.00元"},
                  {kTransfer, "2.00元"},
                  {kFees, "144.50元"},
                  {kProfit, "-1,144.50元"},
                  {kYield, "-11.36 %"},
                  {kPaid, "10,076.00元"},
                  {kReceived, "8,931.50元"},
                  {kBreakEven, "10.16元"}}},
        RowsCase{"SellOnly",
                 With(kShA, {"--sell", "11", "--qty", "1000"}),
                 false,
                 {{kCommission, "38.50元"},
                  {kStamp, "44.00元"},
                  {kTransfer, "1.00元"},
                  {kOther, "0.00元"},
                  {kFees, "83.50元"},
                  {kProfit, "0.00元"},
                  {kYield, "0.00 %"},
                  {kPaid, "0.00元"},
                  {kReceived, "10,916.50元"},
                  {kBreakEven, "0.00元"}}},
        RowsCase{"QuantityZero", With(kShA, {"--buy", "10", "--sell", "11", "--qty", "0"}), false,
                 AllZero(false)},
        RowsCase{"QuantityLeftOut", With(kShA, {"--buy", "10", "--sell", "11"}), false,
                 AllZero(false)},
        RowsCase{
            "NothingGivenBPanel", {"trade", "--market", "2", "--type", "5"}, true, AllZero(true)},
        RowsCase{"ShenzhenB_SettlementCapped",
                 {"trade", "--market", "sz", "--type", "b", "--buy", "10", "--sell", "12", "--qty",
                  "200000"},
                 true,
                 {{kCommission, "18,920.00元"},
                  {kStamp, "13,200.00元"},
                  {kSettlement, "1,000.00元"},
                  {kHandling, "1,320.00元"},
                  {kRegulator, "202.40元"},
                  {kOther, "0.00元"},
                  {kFees, "34,642.40元"},
                  {kProfit, "365,357.60元"},
                  {kYield, "18.12 %"},
                  {kPaid, "2,015,792.00元"},
                  {kReceived, "2,381,149.60元"},
                  {kBreakEven, "10.16元"}}},
        RowsCase{"ShanghaiB_Uncapped",
                 {"trade", "--market", "1", "--type", "5", "--buy", "10", "--sell", "12", "--qty",
                  "200000"},
                 true,
                 {{kCommission, "18,920.00元"},
                  {kStamp, "13,200.00元"},
                  {kSettlement, "2,200.00元"},
                  {kHandling, "1,122.00元"},
                  {kRegulator, "198.00元"},
                  {kFees, "35,640.00元"},
                  {kProfit, "364,360.00元"},
                  {kYield, "18.07 %"},
                  {kPaid, "2,016,200.00元"},
                  {kReceived, "2,380,560.00元"},
                  {kBreakEven, "10.17元"}}},
        // No file and no selection: 深市 A 股, which charges no transfer fee.
        RowsCase{"DefaultSelectionIsShenzhenA",
                 {"trade", "--buy", "10", "--sell", "11", "--qty", "1000"},
                 false,
                 {{kCommission, "73.50元"},
                  {kTransfer, "0.00元"},
                  {kFees, "157.50元"},
                  {kProfit, "842.50元"}}},
        // Shanghai funds: 0.0035 commission with a minimum of 10 (the buy leg's 7.00 is raised,
        // the sell leg's 10.50 is not), no stamp duty, transfer 0.001 per share, minimum 1.
        RowsCase{"ShanghaiFund",
                 {"trade", "--market", "SH", "--type", "fund", "--buy", "2", "--sell", "3", "--qty",
                  "1000"},
                 false,
                 {{kCommission, "20.50元"},
                  {kStamp, "0.00元"},
                  {kTransfer, "2.00元"},
                  {kFees, "22.50元"},
                  {kProfit, "977.50元"}}},
        // Typed text passes the field's own rules: a large sell price has no limit.
        RowsCase{"SellPriceWithoutLimit",
                 With(kShA, {"--sell", "1234567", "--qty", "100"}),
                 false,
                 {{kCommission, "432,098.45元"},
                  {kStamp, "493,826.80元"},
                  {kTransfer, "1.00元"},
                  {kFees, "925,926.25元"},
                  {kReceived, "122,530,773.75元"}}},
        RowsCase{"BuyPriceAtTheLimit",
                 With(kShA, {"--buy", "999999", "--qty", "1"}),
                 false,
                 {{kCommission, "3,500.00元"}, {kPaid, "1,007,499.99元"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// JSON.

// A flat object of numbers and nulls, strictly: anything else fails the parse.
std::optional<std::map<std::string, std::optional<double>>> ParseFlatJson(const std::string& s,
                                                                          std::string& why) {
    std::map<std::string, std::optional<double>> fields;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\t' || s[i] == '\r')) {
            ++i;
        }
    };
    auto expect = [&](char c) {
        skip();
        if (i >= s.size() || s[i] != c) {
            why = std::string("expected ") + c + " at " + std::to_string(i);
            return false;
        }
        ++i;
        return true;
    };
    if (!expect('{')) {
        return std::nullopt;
    }
    while (true) {
        if (!expect('"')) {
            return std::nullopt;
        }
        const std::size_t close = s.find('"', i);
        if (close == std::string::npos) {
            why = "unterminated name";
            return std::nullopt;
        }
        const std::string name = s.substr(i, close - i);
        i = close + 1;
        if (!expect(':')) {
            return std::nullopt;
        }
        skip();
        std::optional<double> value;
        if (s.compare(i, 4, "null") == 0) {
            i += 4;
        } else {
            // JSON number grammar: -?(0|[1-9]d*)(.d+)?([eE][+-]?d+)?
            const std::size_t start = i;
            auto digits = [&] {
                const std::size_t from = i;
                while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
                    ++i;
                }
                return i > from;
            };
            if (i < s.size() && s[i] == '-') {
                ++i;
            }
            if (i < s.size() && s[i] == '0') {
                ++i;
            } else if (!digits()) {
                why = "bad number for " + name;
                return std::nullopt;
            }
            if (i < s.size() && s[i] == '.') {
                ++i;
                if (!digits()) {
                    why = "bad fraction for " + name;
                    return std::nullopt;
                }
            }
            if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
                ++i;
                if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
                    ++i;
                }
                if (!digits()) {
                    why = "bad exponent for " + name;
                    return std::nullopt;
                }
            }
            value = std::strtod(s.substr(start, i - start).c_str(), nullptr);
        }
        if (!fields.emplace(name, value).second) {
            why = "duplicate " + name;
            return std::nullopt;
        }
        skip();
        if (i < s.size() && s[i] == ',') {
            ++i;
            continue;
        }
        if (!expect('}')) {
            return std::nullopt;
        }
        skip();
        if (i != s.size()) {
            why = "text after the object";
            return std::nullopt;
        }
        return fields;
    }
}

const std::vector<std::string> kResultNames = {
    "BuyAmount",       "SellAmount",    "BuyCommission",  "SellCommission",  "BuyStamp",
    "SellStamp",       "BuySettlement", "SellSettlement", "BuyHandling",     "SellHandling",
    "BuyRegulator",    "SellRegulator", "LegTransfer",    "CommissionTotal", "StampTotal",
    "SettlementTotal", "HandlingTotal", "RegulatorTotal", "TransferTotal",   "OtherTotal",
    "BuyLegFees",      "SellLegFees",   "FeesTotal",      "NetProfit",       "Yield",
    "TotalPaid",       "TotalReceived", "BreakEvenPrice"};

std::map<std::string, std::optional<double>> RunJson(const ScratchFolder& folder,
                                                     const std::vector<std::string>& args) {
    const RunResult r = folder.Run(args);
    EXPECT_EQ(r.exitCode, 0) << Join(args) << "\n" << r.err;
    EXPECT_EQ(r.err, "");
    std::string why;
    auto parsed = ParseFlatJson(r.out, why);
    EXPECT_TRUE(parsed.has_value()) << why << "\n" << r.out;
    return parsed.value_or(std::map<std::string, std::optional<double>>{});
}

// The Shanghai A-share rules, written out by hand for a reference computation.
struct ShanghaiA {
    static constexpr double kCommission = 0.0035, kMinCommission = 10, kStamp = 0.004,
                            kTransfer = 0.001, kMinTransfer = 1;
    static double Commission(double amount) {
        const double c = kCommission * amount;
        return (c != 0 && c < kMinCommission) ? kMinCommission : c;
    }
    static double Transfer(double quantity) {
        const double t = quantity * kTransfer;
        return t <= kMinTransfer ? (t == 0 ? 0 : kMinTransfer) : t;
    }
    static double Leg(double price, double quantity) {
        const double amount = price * quantity;
        return kStamp * amount + Commission(amount) + Transfer(quantity) + 0 + 0 + 0 + 0;
    }
    // The step-by-step search of the break-even sell price.
    static double BreakEven(double buy, double quantity) {
        const double buyFees = Leg(buy, quantity);
        double trial = buy;
        for (int steps = 0; steps < 1000000; ++steps) {
            trial += 0.01;
            if (((trial - buy) * quantity - Leg(trial, quantity)) - buyFees >= 0) {
                return trial;
            }
        }
        return NAN;
    }
};

TEST(TradeJson, EveryFieldByNameWithTheBrokersNumbers) {
    ScratchFolder folder;
    const auto f =
        RunJson(folder, With(kShA, {"--buy", "10", "--sell", "11", "--qty", "1000", "--json"}));
    std::vector<std::string> names;
    for (const auto& [name, value] : f) {
        names.push_back(name);
    }
    std::vector<std::string> expectedNames = kResultNames;
    std::sort(expectedNames.begin(), expectedNames.end());
    EXPECT_EQ(names, expectedNames);

    const double buyAmount = 10.0 * 1000;
    const double sellAmount = 11.0 * 1000;
    const double buyCommission = ShanghaiA::Commission(buyAmount);
    const double sellCommission = ShanghaiA::Commission(sellAmount);
    const double buyStamp = ShanghaiA::kStamp * buyAmount;
    const double sellStamp = ShanghaiA::kStamp * sellAmount;
    const double buyLeg = ShanghaiA::Leg(10, 1000);
    const double sellLeg = ShanghaiA::Leg(11, 1000);
    const double fees = (sellStamp + buyStamp) + (sellCommission + buyCommission) + 2 * 1.0;
    const double profit = (sellAmount - buyAmount) - fees;
    const std::map<std::string, double> expected = {
        {"BuyAmount", buyAmount},
        {"SellAmount", sellAmount},
        {"BuyCommission", buyCommission},
        {"SellCommission", sellCommission},
        {"BuyStamp", buyStamp},
        {"SellStamp", sellStamp},
        {"BuySettlement", 0},
        {"SellSettlement", 0},
        {"BuyHandling", 0},
        {"SellHandling", 0},
        {"BuyRegulator", 0},
        {"SellRegulator", 0},
        {"LegTransfer", 1},
        {"CommissionTotal", sellCommission + buyCommission},
        {"StampTotal", sellStamp + buyStamp},
        {"SettlementTotal", 0},
        {"HandlingTotal", 0},
        {"RegulatorTotal", 0},
        {"TransferTotal", 2},
        {"OtherTotal", 0},
        {"BuyLegFees", buyLeg},
        {"SellLegFees", sellLeg},
        {"FeesTotal", fees},
        {"NetProfit", profit},
        {"Yield", profit / (buyAmount + buyLeg)},
        {"TotalPaid", buyAmount + buyLeg},
        {"TotalReceived", sellAmount - sellLeg},
        {"BreakEvenPrice", ShanghaiA::BreakEven(10, 1000)},
    };
    for (const auto& [name, value] : expected) {
        const auto it = f.find(name);
        ASSERT_NE(it, f.end()) << name;
        ASSERT_TRUE(it->second.has_value()) << name;
        EXPECT_DOUBLE_EQ(*it->second, value) << name;
    }
    // Round figures a statement shows: checked against the worked example, not the code.
    EXPECT_DOUBLE_EQ(*f.at("FeesTotal"), 159.5);
    EXPECT_DOUBLE_EQ(*f.at("TotalPaid"), 10076);
    EXPECT_NEAR(*f.at("BreakEvenPrice"), 10.16, 1e-9);
}

TEST(TradeJson, NumbersAreShortestRoundTrip) {
    ScratchFolder folder;
    const RunResult r =
        folder.Run(With(kShA, {"--buy", "10", "--sell", "11", "--qty", "1000", "--json"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Whole amounts print without a fraction or an exponent.
    for (const char* text : {"\"BuyAmount\": 10000", "\"SellAmount\": 11000", "\"LegTransfer\": 1",
                             "\"TransferTotal\": 2", "\"BuySettlement\": 0"}) {
        const std::string s(text);
        const std::size_t at = r.out.find(s);
        ASSERT_NE(at, std::string::npos) << s << "\n" << r.out;
        const char after = r.out[at + s.size()];
        EXPECT_TRUE(after == ',' || after == '\n' || after == '}') << s;
    }
    // Every digit of the double survives the trip through the text.
    const auto f = RunJson(folder, With(kShA, {"--buy", "1.2346", "--qty", "3", "--json"}));
    EXPECT_EQ(*f.at("BuyAmount"), 1.2346 * 3);
}

struct JsonValueCase {
    const char* name;
    std::vector<std::string> args;
    std::map<std::string, double> expected;
};

class TradeJsonValues : public ::testing::TestWithParam<JsonValueCase> {};

TEST_P(TradeJsonValues, StoredValueIsWhatTheFieldKeeps) {
    const JsonValueCase& c = GetParam();
    ScratchFolder folder;
    const auto f = RunJson(folder, c.args);
    for (const auto& [name, value] : c.expected) {
        ASSERT_TRUE(f.count(name) && f.at(name).has_value()) << name;
        EXPECT_EQ(*f.at(name), value) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    FieldCommit, TradeJsonValues,
    ::testing::Values(
        // Enter shows 1.2346 and moving on reads the shown text.
        JsonValueCase{"FiveDecimalsRoundedToFour",
                      With(kShA, {"--buy", "1.23456", "--qty", "10000", "--json"}),
                      {{"BuyAmount", 1.2346 * 10000}}},
        JsonValueCase{"SellPriceRoundedToo",
                      With(kShA, {"--sell", "2.00005", "--qty", "10000", "--json"}),
                      {{"SellAmount", 2.0001 * 10000}}},
        JsonValueCase{"LeadingZerosOfQuantity",
                      With(kShA, {"--buy", "10", "--qty", "007", "--json"}),
                      {{"BuyAmount", 70}}},
        JsonValueCase{"TrailingPoint",
                      With(kShA, {"--buy", "12.", "--qty", "100", "--json"}),
                      {{"BuyAmount", 1200}}},
        // Backspace deletes the character before the caret, as in the field.
        JsonValueCase{"BackspaceEdits",
                      With(kShA, {"--buy", "12\b3", "--qty", "100", "--json"}),
                      {{"BuyAmount", 1300}}},
        JsonValueCase{"ShenzhenBCapPerLeg",
                      {"trade", "--market", "sz", "--type", "b", "--buy", "10", "--sell", "12",
                       "--qty", "200000", "--json"},
                      {{"BuySettlement", 500}, {"SellSettlement", 500}, {"SettlementTotal", 1000}}},
        JsonValueCase{"ShanghaiBNoCap",
                      {"trade", "--market", "sh", "--type", "b", "--buy", "10", "--sell", "12",
                       "--qty", "200000", "--json"},
                      {{"BuySettlement", 0.0005 * (10.0 * 200000)},
                       {"SellSettlement", 0.0005 * (12.0 * 200000)}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TradeJson, NoBreakEvenIsNull) {
    // A stamp duty of 100 % can never be earned back: there is no break-even price.
    ScratchFolder folder;
    WriteBytes(folder.Work() / "Yuanmate5.ini", IniFile({{"A3", "1"}}));
    const auto f =
        RunJson(folder, With(kShA, {"--buy", "10", "--sell", "11", "--qty", "100", "--json"}));
    ASSERT_TRUE(f.count("BreakEvenPrice"));
    EXPECT_FALSE(f.at("BreakEvenPrice").has_value());
    const RunResult r = folder.Run(With(kShA, {"--buy", "10", "--sell", "11", "--qty", "100"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ValueOf(ParseRows(r.out), kBreakEven), std::string(ym::kNoBreakEven));
}

// ---------------------------------------------------------------------------------------
// The settings file.

struct IniCase {
    const char* name;
    std::map<std::string, std::string> changes;
    bool inCurrentDirectory; // else passed with --ini
    std::vector<std::string> args;
    bool bPanel;
    Rows expected;
    std::string note; // a part of stderr, empty for none
};

class TradeWithSettings : public ::testing::TestWithParam<IniCase> {};

TEST_P(TradeWithSettings, UsesTheFilesRatesAndSelection) {
    const IniCase& c = GetParam();
    ScratchFolder folder;
    const fs::path ini =
        c.inCurrentDirectory ? folder.Work() / "Yuanmate5.ini" : folder.Work() / "edited.ini";
    const std::string bytes = IniFile(c.changes);
    WriteBytes(ini, bytes);
    const auto before = fs::last_write_time(ini);
    std::vector<std::string> args = c.args;
    if (!c.inCurrentDirectory) {
        args.insert(args.begin() + 1, {"--ini", ini.string()});
    }
    const RunResult r = folder.Run(args);
    ASSERT_EQ(r.exitCode, 0) << Join(args) << "\n" << r.err;
    if (c.note.empty()) {
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_NE(r.err.find(c.note), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    const Rows rows = ParseRows(r.out);
    EXPECT_EQ(Captions(rows), c.bPanel ? kBCaptions : kACaptions);
    for (const auto& [caption, value] : c.expected) {
        EXPECT_EQ(ValueOf(rows, caption), value) << caption;
    }
    // Read only: neither the bytes nor the time of the file change, and nothing is added.
    EXPECT_EQ(ReadBytes(ini), bytes);
    EXPECT_EQ(fs::last_write_time(ini), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Work()), fs::directory_iterator()), 1);
}

const Rows kMinimum20 = {{kCommission, "40.00元"},
                         {kFees, "50.40元"},
                         {kProfit, "49.60元"},
                         {kPaid, "1,025.00元"},
                         {kReceived, "1,074.60元"}};

INSTANTIATE_TEST_SUITE_P(
    EditedFile, TradeWithSettings,
    ::testing::Values(IniCase{"RaisedMinimumCommission",
                              {{"A2", "20"}},
                              false,
                              With(kShA, {"--buy", "10", "--sell", "11", "--qty", "100"}),
                              false,
                              kMinimum20,
                              ""},
                      IniCase{"FileInCurrentDirectory",
                              {{"A2", "20"}},
                              true,
                              With(kShA, {"--buy", "10", "--sell", "11", "--qty", "100"}),
                              false,
                              kMinimum20,
                              ""},
                      // Values as the program's own writer leaves them: a leading blank, no zero.
                      IniCase{"WrittenByTheDialog",
                              {{"A1", " .0035"}, {"A2", " 20"}},
                              false,
                              With(kShA, {"--buy", "10", "--sell", "11", "--qty", "100"}),
                              false,
                              kMinimum20,
                              ""},
                      IniCase{"StoredSelectionShanghaiB",
                              {{"Select1", " 1"}, {"Select2", " 5"}},
                              false,
                              {"trade", "--buy", "10", "--sell", "12", "--qty", "200000"},
                              true,
                              {{kSettlement, "2,200.00元"}, {kFees, "35,640.00元"}},
                              ""},
                      IniCase{"OptionsOverrideTheStoredSelection",
                              {{"Select1", " 1"}, {"Select2", " 5"}},
                              false,
                              {"trade", "--market", "sz", "--type", "b", "--buy", "10", "--sell",
                               "12", "--qty", "200000"},
                              true,
                              {{kSettlement, "1,000.00元"}},
                              ""},
                      IniCase{"StoredMarketOutOfRange",
                              {{"Select1", "7"}},
                              false,
                              {"trade", "--buy", "10", "--sell", "11", "--qty", "1000"},
                              false,
                              {{kTransfer, "0.00元"}, {kFees, "157.50元"}},
                              "Select1 = 7"},
                      IniCase{"StoredTypeMissing",
                              {{"Select1", "1"}, {"Select2", "<absent>"}},
                              false,
                              {"trade", "--buy", "10", "--sell", "11", "--qty", "1000"},
                              false,
                              {{kTransfer, "2.00元"}, {kFees, "159.50元"}},
                              "Select2 = -1"},
                      // Quantity 0: no amount on either leg, so the trade counts as one-legged and
                      // the other charge is taken once.
                      IniCase{"QuantityZeroOtherChargeOnce",
                              {{"A6", "1"}},
                              false,
                              With(kShA, {"--buy", "10", "--sell", "11", "--qty", "0"}),
                              false,
                              {{kCommission, "0.00元"},
                               {kTransfer, "0.00元"},
                               {kOther, "1.00元"},
                               {kFees, "1.00元"},
                               {kProfit, "0.00元"},
                               {kPaid, "1.00元"},
                               {kReceived, "-1.00元"},
                               {kBreakEven, "0.00元"}},
                              ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TradeFile, NeverCreatesAFile) {
    ScratchFolder folder;
    const RunResult r = folder.Run(With(kShA, {"--buy", "10", "--sell", "11", "--qty", "1000"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ValueOf(ParseRows(r.out), kFees), "159.50元");
    EXPECT_TRUE(fs::is_empty(folder.Work()));
}

struct FileErrorCase {
    const char* name;
    std::string iniName; // relative to the working folder
    bool makeDirectory;
};

class TradeFileError : public ::testing::TestWithParam<FileErrorCase> {};

TEST_P(TradeFileError, UnreadableFileExitsOne) {
    const FileErrorCase& c = GetParam();
    ScratchFolder folder;
    if (c.makeDirectory) {
        fs::create_directory(folder.Work() / c.iniName);
    }
    const RunResult r = folder.Run({"trade", "--ini", c.iniName, "--buy", "10"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(std::string(ym::MessageText(ym::SettingsMessage::ReadSelect1))),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("  ## Error read select1!6003-3"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::is_regular_file(folder.Work() / c.iniName));
}

INSTANTIATE_TEST_SUITE_P(Settings, TradeFileError,
                         ::testing::Values(FileErrorCase{"Missing", "nothing.ini", false},
                                           FileErrorCase{"Directory", "folder.ini", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Field rules and bad input.

struct BadInputCase {
    const char* name;
    std::vector<std::string> args;
    std::string message; // the whole line after "yuanmate-calc: ", or a part when partial
    bool partial;
};

class BadInput : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(BadInput, OneLineOnStderrExitTwo) {
    const BadInputCase& c = GetParam();
    ScratchFolder folder;
    const RunResult r = folder.Run(c.args);
    EXPECT_EQ(r.exitCode, 2) << Join(c.args);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.back(), '\n');
    const std::string prefix = "yuanmate-calc: ";
    ASSERT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
    const std::string line = r.err.substr(prefix.size(), r.err.size() - prefix.size() - 1);
    if (c.partial) {
        EXPECT_NE(line.find(c.message), std::string::npos) << line;
    } else {
        EXPECT_EQ(line, c.message);
    }
    EXPECT_TRUE(fs::is_empty(folder.Work()));
}

INSTANTIATE_TEST_SUITE_P(
    FieldRules, BadInput,
    ::testing::Values(
        BadInputCase{"LetterInBuyPrice",
                     {"trade", "--buy", "12a"},
                     "买入价格 (--buy): \"12a\" holds a character the field does not accept",
                     false},
        BadInputCase{"SecondPoint",
                     {"trade", "--sell", "1.2.3"},
                     "卖出价格 (--sell): \"1.2.3\" holds a character the field does not accept",
                     false},
        BadInputCase{"PointFirst",
                     {"trade", "--buy", ".5"},
                     "买入价格 (--buy): \".5\" holds a character the field does not accept",
                     false},
        BadInputCase{
            "PriceTooLong", {"trade", "--buy", "12345678"}, "买入价格 (--buy): \"12345678\"", true},
        BadInputCase{"FractionalPriceTooLong",
                     {"trade", "--sell", "999999.5"},
                     "卖出价格 (--sell): \"999999.5\"",
                     true},
        BadInputCase{"BuyPriceLimit",
                     {"trade", "--buy", "1234567", "--qty", "100"},
                     "买入价格 (--buy): 输入的值不能大于等于1000000,请重新输入!",
                     false},
        BadInputCase{"BuyPriceMillion",
                     {"trade", "--buy", "1000000"},
                     "输入的值不能大于等于1000000,请重新输入!",
                     true},
        BadInputCase{"PointInQuantity",
                     {"trade", "--qty", "1.5"},
                     "买卖数量 (--qty): \"1.5\" holds a character the field does not accept",
                     false},
        BadInputCase{"QuantityTooLong",
                     {"trade", "--qty", "1234567890"},
                     "买卖数量 (--qty): \"1234567890\"",
                     true},
        BadInputCase{"MinusSign", {"trade", "--qty", "-5"}, "买卖数量 (--qty)", true},
        BadInputCase{"Blank", {"trade", "--buy", "1 0"}, "买入价格 (--buy)", true},
        BadInputCase{"FullWidthDigits", {"trade", "--buy", "１０"}, "买入价格 (--buy)", true},
        BadInputCase{"Exponent", {"trade", "--sell", "1e3"}, "卖出价格 (--sell)", true},
        // Control characters and broken UTF-8 are shown escaped, never raw.
        BadInputCase{"NewlineInValue",
                     {"trade", "--buy", "1\n2"},
                     "买入价格 (--buy): \"1\\x0A2\" holds a character the field does not accept",
                     false},
        BadInputCase{"CarriageReturnInValue",
                     {"trade", "--buy", "12\r"},
                     "买入价格 (--buy): \"12\\x0D\"",
                     true},
        BadInputCase{
            "InvalidUtf8", {"trade", "--qty", "1\xFF"}, "买卖数量 (--qty): \"1\\xFF\"", true}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    CommandLine, BadInput,
    ::testing::Values(
        BadInputCase{"UnknownOption", {"trade", "--price", "10"}, "\"--price\"", true},
        BadInputCase{"UnknownCommand", {"calculate"}, "\"calculate\"", true},
        BadInputCase{"MarketOutOfRange", {"trade", "--market", "3"}, "--market", true},
        BadInputCase{"MarketWord", {"trade", "--market", "hk"}, "--market", true},
        BadInputCase{"TypeOutOfRange", {"trade", "--type", "6"}, "--type", true},
        BadInputCase{"TypeZero", {"trade", "--type", "0"}, "--type", true},
        BadInputCase{"TypeWord", {"trade", "--type", "stock"}, "--type", true},
        BadInputCase{"MissingValueAtEnd", {"trade", "--buy"}, "--buy needs a value", false},
        BadInputCase{"MissingValueBeforeOption",
                     {"trade", "--buy", "--sell", "11"},
                     "--buy needs a value",
                     false},
        BadInputCase{"MissingIniName", {"trade", "--ini"}, "--ini needs a value", false},
        BadInputCase{"FlagWithValue", {"trade", "--json=yes"}, "--json", true},
        BadInputCase{
            "OptionTwice", {"trade", "--buy", "10", "--buy", "11"}, "--buy given twice", false},
        BadInputCase{"LooseArgument", {"trade", "10"}, "\"10\"", true},
        BadInputCase{
            "BothPrices", {"exrights", "--before", "10", "--after", "9"}, "--before", true},
        BadInputCase{"NoPrice", {"exrights", "--bonus", "3"}, "--before", true},
        BadInputCase{"RightsPriceWithoutRights",
                     {"exrights", "--before", "10", "--rights-price", "6"},
                     "--rights-price",
                     true},
        BadInputCase{"ExRightsSecondPoint",
                     {"exrights", "--before", "1.2.3"},
                     "\"1.2.3\" holds a character the field does not accept",
                     true},
        BadInputCase{"ExRightsPointFirst",
                     {"exrights", "--before", "10", "--bonus", ".5"},
                     "(--bonus): \".5\"",
                     true},
        BadInputCase{
            "ExRightsLetter", {"exrights", "--after", "10", "--cash", "1y"}, "(--cash)", true},
        BadInputCase{"ShareCountTooLong",
                     {"exrights", "--before", "10", "--bonus", "12345678"},
                     "(--bonus): \"12345678\"",
                     true},
        BadInputCase{"CashTooLong",
                     {"exrights", "--before", "10", "--cash", "1234567890"},
                     "(--cash): \"1234567890\"",
                     true},
        BadInputCase{"ExRightsPriceTooLong",
                     {"exrights", "--before", "123456789012"},
                     "(--before): \"123456789012\"",
                     true},
        BadInputCase{"InitWithArgument", {"init", "now"}, "\"now\"", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Help.

const std::vector<std::string> kDocumented = {
    "trade",   "exrights", "init",   "--ini",          "--market", "--type",
    "--buy",   "--sell",   "--qty",  "--json",         "--before", "--after",
    "--bonus", "--rights", "--cash", "--rights-price", "--help"};

struct HelpCase {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    bool onStdout;
};

class Help : public ::testing::TestWithParam<HelpCase> {};

TEST_P(Help, DocumentsEveryCommandAndOption) {
    const HelpCase& c = GetParam();
    ScratchFolder folder;
    const RunResult r = folder.Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    const std::string& text = c.onStdout ? r.out : r.err;
    EXPECT_EQ(c.onStdout ? r.err : r.out, "");
    for (const auto& word : kDocumented) {
        EXPECT_NE(text.find(word), std::string::npos) << word;
    }
    EXPECT_TRUE(fs::is_empty(folder.Work()));
}

INSTANTIATE_TEST_SUITE_P(Usage, Help,
                         ::testing::Values(HelpCase{"DashDashHelp", {"--help"}, 0, true},
                                           HelpCase{"HelpWord", {"help"}, 0, true},
                                           HelpCase{"ShortH", {"-h"}, 0, true},
                                           HelpCase{"AfterACommand", {"trade", "--help"}, 0, true},
                                           HelpCase{"NoArguments", {}, 2, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Ex-rights.

struct ExRightsCase {
    const char* name;
    std::vector<std::string> args;
    std::string shown;
};

class ExRights : public ::testing::TestWithParam<ExRightsCase> {};

TEST_P(ExRights, ShowsTwoDecimals) {
    const ExRightsCase& c = GetParam();
    ScratchFolder folder;
    const RunResult r = folder.Run(c.args);
    ASSERT_EQ(r.exitCode, 0) << Join(c.args) << "\n" << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, c.shown + "\n");
}

const std::vector<std::string> kPlan = {"--bonus",        "2", "--rights", "3",
                                        "--rights-price", "8", "--cash",   "1.5"};

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, ExRights,
    ::testing::Values(
        ExRightsCase{"FullPlanForward", With({"exrights", "--before", "20"}, kPlan), "14.83"},
        ExRightsCase{"FullPlanBackward", With({"exrights", "--after", "15"}, kPlan), "20.25"},
        ExRightsCase{"NoPlanForward", {"exrights", "--before", "10"}, "10.00"},
        ExRightsCase{"NoPlanBackward", {"exrights", "--after", "10"}, "10.00"},
        ExRightsCase{"BonusForward", {"exrights", "--before", "13", "--bonus", "3"}, "10.00"},
        ExRightsCase{"BonusBackward", {"exrights", "--after", "10", "--bonus", "5"}, "15.00"},
        ExRightsCase{"RightsForward",
                     {"exrights", "--before", "10", "--rights", "3", "--rights-price", "6"},
                     "9.08"},
        ExRightsCase{"CashBelowZero", {"exrights", "--before", "0", "--cash", "1"}, "-0.10"},
        ExRightsCase{"CashBackward", {"exrights", "--after", "9.5", "--cash", "5"}, "10.00"},
        ExRightsCase{"EmptySourcePrice", {"exrights", "--before", ""}, "0.00"},
        // A ticked box with an empty field adds nothing.
        ExRightsCase{"TickedButEmpty", {"exrights", "--before", "10", "--bonus", ""}, "10.00"},
        // Rights shares without a price are free shares: 10 / 1.5.
        ExRightsCase{"RightsWithoutPrice", {"exrights", "--before", "10", "--rights", "5"}, "6.67"},
        ExRightsCase{"LongestFields",
                     {"exrights", "--before", "12345678901", "--cash", "123456789"},
                     "12333333222.10"},
        ExRightsCase{"AttachedValues", {"exrights", "--before=13", "--bonus=3"}, "10.00"}),
    [](const auto& info) { return std::string(info.param.name); });

// The window's own order of work: the working sums start at 0 and 1 and are built up
// bonus, rights, cash.
double ReferenceAfter(double before, double b10, double r10, double p, double d10) {
    double money = 0;
    double factor = 1;
    factor = factor + b10 / 10;
    money = money + (r10 / 10) * p;
    factor = factor + r10 / 10;
    money = money - d10 / 10;
    return (before + money) / factor;
}
double ReferenceBefore(double after, double b10, double r10, double p, double d10) {
    double money = 0;
    double factor = 1;
    factor = factor + b10 / 10;
    money = money - (r10 / 10) * p;
    factor = factor + r10 / 10;
    money = money + d10 / 10;
    return after * factor + money;
}

struct ExRightsJsonCase {
    const char* name;
    std::vector<std::string> args;
    std::string key;
    double expected;
};

class ExRightsJson : public ::testing::TestWithParam<ExRightsJsonCase> {};

TEST_P(ExRightsJson, FullPrecision) {
    const ExRightsJsonCase& c = GetParam();
    ScratchFolder folder;
    const RunResult r = folder.Run(c.args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string why;
    const auto f = ParseFlatJson(r.out, why);
    ASSERT_TRUE(f.has_value()) << why << "\n" << r.out;
    ASSERT_EQ(f->size(), 1u) << r.out;
    ASSERT_TRUE(f->count(c.key)) << r.out;
    ASSERT_TRUE(f->at(c.key).has_value());
    EXPECT_DOUBLE_EQ(*f->at(c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, ExRightsJson,
    ::testing::Values(
        ExRightsJsonCase{"Forward", With({"exrights", "--json", "--before", "20"}, kPlan),
                         "PriceAfter", ReferenceAfter(20, 2, 3, 8, 1.5)},
        ExRightsJsonCase{"Backward", With({"exrights", "--after", "15", "--json"}, kPlan),
                         "PriceBefore", ReferenceBefore(15, 2, 3, 8, 1.5)},
        // Fourteen and five sixths, not the 14.83 shown.
        ExRightsJsonCase{"NotRounded", With({"exrights", "--before", "20", "--json"}, kPlan),
                         "PriceAfter", 14.0 + 5.0 / 6.0},
        // A price is read as its field shows it after Enter: four decimals.
        ExRightsJsonCase{"PriceFieldRewritten",
                         {"exrights", "--before", "10.123456", "--json"},
                         "PriceAfter",
                         10.1235},
        // Share counts are never rewritten.
        ExRightsJsonCase{"ShareCountAsTyped",
                         {"exrights", "--before", "10", "--bonus", "1.23456", "--json"},
                         "PriceAfter",
                         ReferenceAfter(10, 1.23456, 0, 0, 0)},
        ExRightsJsonCase{"CashFieldRewritten",
                         {"exrights", "--before", "10", "--cash", "1.23456", "--json"},
                         "PriceAfter",
                         ReferenceAfter(10, 0, 0, 0, 1.2346)}),
    [](const auto& info) { return std::string(info.param.name); });

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
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Work()), fs::directory_iterator()), 1);

    // The file it made is one the calculator reads: the default selection, 深市 A 股.
    const RunResult t = folder.Run({"trade", "--buy", "10", "--sell", "11", "--qty", "1000"});
    ASSERT_EQ(t.exitCode, 0) << t.err;
    EXPECT_EQ(ValueOf(ParseRows(t.out), kFees), "157.50元");
}

struct ExistingCase {
    const char* name;
    std::string bytes;
};

class InitExisting : public ::testing::TestWithParam<ExistingCase> {};

TEST_P(InitExisting, LeavesAnExistingFileAlone) {
    const ExistingCase& c = GetParam();
    ScratchFolder folder;
    const fs::path ini = folder.Work() / "Yuanmate5.ini";
    WriteBytes(ini, c.bytes);
    const auto before = fs::last_write_time(ini);
    const RunResult r = folder.Run({"init"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("created"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("unchanged"), std::string::npos) << r.out;
    EXPECT_EQ(ReadBytes(ini), c.bytes);
    EXPECT_EQ(fs::last_write_time(ini), before);
}

INSTANTIATE_TEST_SUITE_P(Files, InitExisting,
                         ::testing::Values(ExistingCase{"Edited",
                                                        IniFile({{"A2", "20"}, {"Select1", " 1"}})},
                                           // Never completed or repaired, however incomplete.
                                           ExistingCase{"Incomplete", "[Select]\r\nSelect1=1\r\n"},
                                           ExistingCase{"Empty", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Init, CannotCreateExitsOne) {
    // A folder of that name stands where the file would go: the first write fails.
    ScratchFolder folder;
    fs::create_directory(folder.Work() / "Yuanmate5.ini");
    const RunResult r = folder.Run({"init"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("  ## Error creat shanghai!6002-1"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(fs::is_directory(folder.Work() / "Yuanmate5.ini"));
}

TEST(Output, FullDiskIsNoSuccess) {
    // Results that cannot be written must not be reported as a success.
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int full = ::open("/dev/full", O_WRONLY);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(full, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        std::string exe = YM_CALC_EXE;
        std::string a1 = "exrights", a2 = "--before", a3 = "10";
        char* argv[] = {exe.data(), a1.data(), a2.data(), a3.data(), nullptr};
        ::execv(exe.c_str(), argv);
        ::_exit(126);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

} // namespace
