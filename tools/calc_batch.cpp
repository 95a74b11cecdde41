// yuanmate-calc batch: every leg of a statement CSV priced through the fee function and
// compared, fee by fee, with what the broker charged.
#include "core/fee_model.h"
#include "core/number_text.h"
#include "core/statement_csv.h"
#include "tools/calc_commands.h"
#include "tools/calc_csv.h"
#include "tools/calc_settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <variant>
#include <vector>

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
            found = cache_
                        .emplace(key, FeeRulesFor(s.parameters, settings_.model, leg.market,
                                                  leg.type, leg.date))
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

// The statement's header: the columns it gives, and which of its fields the output echoes,
// in the order of the input.
struct Statement {
    st::Header header;
    std::vector<std::string> names;
    std::vector<std::size_t> echoed;
};

std::variant<Statement, std::string> ReadHeader(st::Reader& reader) {
    const std::optional<st::Record> record = reader.Next();
    if (!record) {
        return "the statement is empty: it needs a header line";
    }
    auto parsed = st::ParseHeader(record->fields);
    if (auto* message = std::get_if<std::string>(&parsed)) {
        return "line " + std::to_string(record->line) + ": " + *message;
    }
    Statement statement{std::get<st::Header>(std::move(parsed)), record->fields, {}};
    for (std::size_t i = 0; i < record->fields.size(); ++i) {
        if (std::find(statement.header.at.begin(), statement.header.at.end(), i) !=
            statement.header.at.end()) {
            statement.echoed.push_back(i);
        }
    }
    return statement;
}

// The echoed fields, the computed columns, a difference for each fee column the statement
// gives, and the verdict.
void AppendHeaderLine(std::string& text, const Statement& statement) {
    for (std::size_t i : statement.echoed) {
        AppendField(text, statement.names[i]);
        text += ',';
    }
    for (const CalcColumn& column : kCalcColumns) {
        text += column.name;
        text += ',';
    }
    for (std::size_t c = 0; c < st::kChargedColumns; ++c) {
        if (statement.header.at[st::kFirstCharged + c]) {
            text += st::ColumnKey(static_cast<st::Column>(st::kFirstCharged + c));
            text += "_diff,";
        }
    }
    text += "check\n";
}

// One leg's line; true when a fee the broker charged differs from the computed one.
bool AppendLegLine(std::string& text, const Statement& statement,
                   const std::vector<std::string>& fields, const st::Leg& leg,
                   const FeeRules& rules) {
    const st::ComputedFees computed =
        st::ComputeFees(ChargeLeg(rules, leg.side, leg.price, leg.quantity));
    for (std::size_t i : statement.echoed) {
        AppendField(text, fields[i]);
        text += ',';
    }
    AppendComputed(text, computed);
    const std::array<double, st::kChargedColumns> charged = computed.Charged();
    bool differs = false;
    for (std::size_t i = 0; i < st::kChargedColumns; ++i) {
        if (!statement.header.at[st::kFirstCharged + i]) {
            continue;
        }
        if (leg.charged[i]) {
            const double diff = *leg.charged[i] - charged[i];
            differs = differs || !(std::fabs(diff) <= st::kFenTolerance);
            AppendFen(text, diff);
        }
        text += ',';
    }
    text += differs ? "differs\n" : "ok\n";
    return differs;
}

std::optional<std::string> WriteAll(const std::optional<std::string>& name, const std::string& text,
                                    std::ostream& out) {
    if (!name) {
        out << text;
        return std::nullopt;
    }
    std::ofstream file(*name, std::ios::binary | std::ios::trunc);
    file << text;
    file.flush();
    if (!file) {
        return *name + ": could not be written";
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
    const auto header = ReadHeader(reader);
    if (const auto* message = std::get_if<std::string>(&header)) {
        err << prefix << *message << '\n';
        return kExitBadInput;
    }
    const Statement& statement = std::get<Statement>(header);
    for (const std::string& name : statement.header.ignored) {
        err << prefix << "note: column " << Quoted(name) << " ignored\n";
    }

    std::string text;
    AppendHeaderLine(text, statement);
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
        const auto parsed = st::ParseLeg(statement.header, record->fields);
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
        differs = AppendLegLine(text, statement, record->fields, leg, *legRules) || differs;
    }

    if (auto message = WriteAll(options.output, text, out)) {
        err << prefix << *message << '\n';
        return kExitFileError;
    }
    if (badLines) {
        return kExitBadInput;
    }
    return options.check && differs ? kExitDiffers : kExitOk;
}

} // namespace ym::calc
