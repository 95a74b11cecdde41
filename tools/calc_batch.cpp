// yuanmate-calc batch: every leg of a statement CSV priced through the fee function and
// compared, fee by fee, with what the broker charged.
#include "core/fee_parameters.h"
#include "core/number_text.h"
#include "core/statement_csv.h"
#include "tools/calc_commands.h"
#include "tools/calc_csv.h"
#include "tools/calc_settings.h"

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <unordered_map>

namespace ym::calc {

namespace {

namespace st = ym::statement;

// The fee rules of each (date, market, type) met, built once.
class RulesCache {
public:
    explicit RulesCache(const CalcSettings& settings) : settings_(settings) {}

    const std::optional<FeeRules>& For(const st::Leg& leg) {
        const bool official = settings_.model.model == FeeModel::Official;
        const long long date =
            official ? leg.date.year * 10000LL + leg.date.month * 100 + leg.date.day : 0;
        const long long key = (date * 4 + NumberOf(leg.market)) * 8 + NumberOf(leg.type);
        auto found = cache_.find(key);
        if (found == cache_.end()) {
            const ProgramState& s = settings_.state;
            const ClassicRates classic{CurrentRates(s.parameters, leg.market, leg.type), leg.market,
                                       s.parameters.SettlementCap()};
            found = cache_
                        .emplace(key, TradeFeeRules(settings_.model, classic, leg.market, leg.type,
                                                    leg.date))
                        .first;
        }
        return found->second;
    }

private:
    const CalcSettings& settings_;
    std::unordered_map<long long, std::optional<FeeRules>> cache_;
};

std::optional<std::string> ReadAll(const std::string& name, std::istream& in, std::string& bytes) {
    if (name == "-") {
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        return in.bad() ? std::optional<std::string>("standard input could not be read")
                        : std::nullopt;
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) {
        return name + ": cannot be opened";
    }
    bytes.assign(std::istreambuf_iterator<char>(file), {});
    if (file.bad()) {
        return name + ": could not be read";
    }
    return std::nullopt;
}

} // namespace

int RunBatch(const BatchOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    const std::string prefix = std::string(kProgramName) + ": ";
    CalcSettings settings;
    if (auto message = LoadSettings(options.ini, settings, err)) {
        err << *message << '\n';
        return kExitFileError;
    }
    if (auto message = ApplyRuleOptions(options.rule, settings.model, std::nullopt)) {
        err << prefix << *message << '\n';
        return kExitBadInput;
    }
    std::string bytes;
    if (auto message = ReadAll(*options.input, in, bytes)) {
        err << prefix << *message << '\n';
        return kExitFileError;
    }
    const st::Decoded decoded = st::Decode(bytes);
    bytes = {};
    st::Reader reader(decoded.text);
    const std::optional<st::Record> headerRecord = reader.Next();
    if (!headerRecord) {
        err << prefix << "the statement is empty: it needs a header line\n";
        return kExitBadInput;
    }
    const auto parsedHeader = st::ParseHeader(headerRecord->fields);
    if (const auto* message = std::get_if<std::string>(&parsedHeader)) {
        err << prefix << "line " << headerRecord->line << ": " << *message << '\n';
        return kExitBadInput;
    }
    const st::Header& header = std::get<st::Header>(parsedHeader);
    for (const std::string& name : header.ignored) {
        err << prefix << "note: column " << Quoted(name) << " ignored\n";
    }

    // The columns read, in the order of the input.
    std::vector<std::size_t> echoed;
    for (std::size_t i = 0; i < headerRecord->fields.size(); ++i) {
        for (const auto& at : header.at) {
            if (at == i) {
                echoed.push_back(i);
            }
        }
    }
    std::string text;
    for (std::size_t i : echoed) {
        AppendField(text, headerRecord->fields[i]);
        text += ',';
    }
    for (std::string_view column : kCalcColumns) {
        text += column;
        text += ',';
    }
    for (std::size_t c = 0; c < st::kChargedColumns; ++c) {
        if (header.at[st::kFirstCharged + c]) {
            text += st::ColumnKey(static_cast<st::Column>(st::kFirstCharged + c));
            text += "_diff,";
        }
    }
    text += "check\n";

    RulesCache rules(settings);
    bool badLines = false;
    bool differs = false;
    while (const std::optional<st::Record> record = reader.Next()) {
        auto bad = [&](std::string_view why) {
            err << prefix << "line " << record->line << ": " << why << "; skipped\n";
            badLines = true;
        };
        if (reader.unclosed()) {
            bad("a quoted field is never closed");
            break;
        }
        const auto parsed = st::ParseLeg(header, record->fields);
        if (const auto* message = std::get_if<std::string>(&parsed)) {
            bad(*message);
            continue;
        }
        const st::Leg& leg = std::get<st::Leg>(parsed);
        const std::optional<FeeRules>& legRules = rules.For(leg);
        if (!legRules) {
            bad(kNoRulesMessage);
            continue;
        }
        const st::ComputedFees c =
            st::ComputeFees(ChargeLeg(*legRules, leg.side, leg.price, leg.quantity));
        for (std::size_t i : echoed) {
            AppendField(text, record->fields[i]);
            text += ',';
        }
        AppendComputed(text, c);
        const std::array<double, st::kChargedColumns> computed = c.Charged();
        bool lineDiffers = false;
        for (std::size_t i = 0; i < st::kChargedColumns; ++i) {
            if (!header.at[st::kFirstCharged + i]) {
                continue;
            }
            if (leg.charged[i]) {
                const double diff = *leg.charged[i] - computed[i];
                lineDiffers = lineDiffers || !(std::fabs(diff) <= st::kFenTolerance);
                AppendFen(text, diff);
            }
            text += ',';
        }
        text += lineDiffers ? "differs\n" : "ok\n";
        differs = differs || lineDiffers;
    }

    if (options.output) {
        std::ofstream file(*options.output, std::ios::binary | std::ios::trunc);
        file << text;
        file.flush();
        if (!file) {
            err << prefix << *options.output << ": could not be written\n";
            return kExitFileError;
        }
    } else {
        out << text;
    }
    if (badLines) {
        return kExitBadInput;
    }
    return options.check && differs ? kExitDiffers : kExitOk;
}

} // namespace ym::calc
