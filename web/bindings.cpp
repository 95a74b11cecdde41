// The core as the page sees it: one program state, as the desktop program keeps one, whose
// settings file lives in the module's memory file system and whose bytes the page keeps in
// the browser's storage. Numbers cross as doubles, texts as UTF-8, the file as bytes.
#include "core/display_scheme.h"
#include "core/entry_rules.h"
#include "core/exrights.h"
#include "core/fee_model.h"
#include "core/number_text.h"
#include "core/official_rules.h"
#include "core/position_tools.h"
#include "core/price_grid.h"
#include "core/price_limits.h"
#include "core/program_state.h"
#include "core/result_rows.h"
#include "core/rule_table.h"
#include "core/security_codes.h"
#include "core/settings_file.h"
#include "core/statement_review.h"
#include "core/trade.h"
#include "core/trade_date.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace ym::web {
namespace {

using emscripten::val;

const std::filesystem::path kSettingsPath = "/home/web_user/Yuanmate5.ini";

ProgramState& State() {
    static ProgramState state;
    return state;
}

val Text(std::string_view text) {
    return val(std::string(text));
}

val TextOrNull(const std::optional<SettingsMessage>& message) {
    return message ? Text(MessageText(*message)) : val::null();
}

// ---- The settings file -----------------------------------------------------------------

// Takes the bytes the page kept (null for none: a new file with the defaults), reads them
// as start-up does and returns {error, notices}. On an error nothing was taken.
val OpenSettings(val bytes) {
    std::error_code ec;
    std::filesystem::create_directories(kSettingsPath.parent_path(), ec);
    if (bytes.isNull() || bytes.isUndefined()) {
        std::filesystem::remove(kSettingsPath, ec);
    } else {
        const std::vector<std::uint8_t> data = emscripten::vecFromJSArray<std::uint8_t>(bytes);
        std::ofstream(kSettingsPath, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
    }
    val outcome = val::object();
    outcome.set("notices", val::array());
    if (const auto message = EnsureSettingsFile(kSettingsPath)) {
        outcome.set("error", TextOrNull(message));
        return outcome;
    }
    ProgramState& state = State();
    ProgramState fresh;
    fresh.settingsPath = kSettingsPath;
    // The day and the fields' stored inputs are the page's, not the file's.
    fresh.tradeDate = state.tradeDate;
    fresh.buyPrice = state.buyPrice;
    fresh.sellPrice = state.sellPrice;
    fresh.quantity = state.quantity;
    if (const auto message = fresh.Load()) {
        outcome.set("error", TextOrNull(message));
        return outcome;
    }
    state = std::move(fresh);
    outcome.set("error", val::null());
    for (const std::string& problem : state.feeModelProblems) {
        outcome["notices"].call<void>("push", Text(problem));
    }
    if (const std::string notice =
            ParameterProblemsNotice(state.missingParameters, state.unreadableParameters);
        !notice.empty()) {
        outcome["notices"].call<void>("push", Text(notice));
    }
    return outcome;
}

// The file's bytes as they stand, for the browser's storage and for export.
val SettingsBytes() {
    std::ifstream in(kSettingsPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(bytes.size(),
                                            reinterpret_cast<const std::uint8_t*>(bytes.data())))
        .call<val>("slice");
}

// The exit action's write of the selection.
val SaveSelection() {
    return TextOrNull(State().SaveSelection());
}

// ---- Selection, trade date, fee model, display scheme ----------------------------------

void Select(int market, int type) {
    ProgramState& state = State();
    state.market = MarketFromNumber(market);
    state.type = TypeFromNumber(type);
}

val Selection() {
    val selection = val::object();
    selection.set("market", StoredNumber(State().market));
    selection.set("type", StoredNumber(State().type));
    return selection;
}

// Takes the trade date; the official model has no rules before kFirstRuleDate, and the
// date stays as it was. Returns why not, or null.
val SetTradeDate(const std::string& text) {
    const std::optional<Date> date = ParseDate(text);
    if (!date) {
        return Text("YYYY-MM-DD");
    }
    ProgramState& state = State();
    if (state.feeModel.model == FeeModel::Official && *date < kFirstRuleDate) {
        return Text(kNoRulesMessage);
    }
    state.tradeDate = *date;
    return val::null();
}

val TradeDate() {
    return Text(FormatDate(State().tradeDate));
}

val FeeModelOf() {
    const FeeModelSettings& model = State().feeModel;
    val out = val::object();
    out.set("official", model.model == FeeModel::Official);
    out.set("commissionRate", model.terms.commissionRate);
    out.set("minimumYuan", model.terms.minimumYuan);
    out.set("minimumUsDollar", model.terms.minimumUsDollar);
    out.set("minimumHkDollar", model.terms.minimumHkDollar);
    out.set("minimumWaived", model.terms.minimumWaived);
    out.set("includesExchangeFees", model.terms.includesExchangeFees);
    out.set("label", Text(ModelLabel(model, State().tradeDate)));
    return out;
}

// Checks the terms as the settings dialog does and keeps them in the file with the
// parameters and the scheme, as its confirmation does. Returns the problems, or the
// file's message; an empty array when the model was taken.
val SetFeeModel(val in) {
    FeeModelSettings model;
    model.model = in["official"].as<bool>() ? FeeModel::Official : FeeModel::Classic;
    model.terms.commissionRate = in["commissionRate"].as<double>();
    model.terms.minimumYuan = in["minimumYuan"].as<double>();
    model.terms.minimumUsDollar = in["minimumUsDollar"].as<double>();
    model.terms.minimumHkDollar = in["minimumHkDollar"].as<double>();
    model.terms.minimumWaived = in["minimumWaived"].as<bool>();
    model.terms.includesExchangeFees = in["includesExchangeFees"].as<bool>();
    // Each term's problem under its caption, as the settings dialog lists them.
    const std::array<std::pair<std::string_view, std::optional<std::string>>, 4> checks{{
        {"佣金率", CommissionRateProblem(model.terms.commissionRate)},
        {"元", MinimumProblem(model.terms.minimumYuan)},
        {"美元", MinimumProblem(model.terms.minimumUsDollar)},
        {"港元", MinimumProblem(model.terms.minimumHkDollar)},
    }};
    std::vector<std::string> problems;
    for (const auto& [caption, problem] : checks) {
        if (problem) {
            problems.push_back(std::string(caption) + ": " + *problem);
        }
    }
    if (problems.empty()) {
        ProgramState& state = State();
        if (auto message = SaveParameters(kSettingsPath, state.parameters, state.scheme, model)) {
            problems.emplace_back(MessageText(*message));
        } else {
            state.feeModel = model;
        }
    }
    val out = val::array();
    for (const std::string& p : problems) {
        out.call<void>("push", Text(p));
    }
    return out;
}

// "#RRGGBB" of a colour reference; a system colour by its CSS name.
std::string CssColor(ColorRef color) {
    if (IsSystemColor(color)) {
        return SystemColorIndex(color) == kSystemHighlightText ? "HighlightText" : "ButtonText";
    }
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", Red(color), Green(color), Blue(color));
    return text;
}

val Scheme() {
    const DisplayScheme& scheme = State().scheme;
    val out = val::object();
    out.set("number", scheme.schemeNumber);
    val colors = val::array();
    for (ColorRef color : scheme.colors) {
        colors.call<void>("push", CssColor(color));
    }
    out.set("colors", colors);
    val names = val::array();
    for (std::string_view name : kSchemeNames) {
        names.call<void>("push", Text(name));
    }
    out.set("names", names);
    return out;
}

val SetScheme(int number) {
    ProgramState& state = State();
    DisplayScheme scheme = state.scheme;
    scheme.SetFromSaved(static_cast<std::int16_t>(number));
    if (auto message = SaveParameters(kSettingsPath, state.parameters, scheme, state.feeModel)) {
        return Text(MessageText(*message));
    }
    state.scheme = scheme;
    return val::null();
}

// ---- The entry fields ------------------------------------------------------------------

// 0 accept, 1 discard, 2 commit: the desktop field's verdict on one typed character.
int FilterKey(bool fraction, int codePoint, const std::string& text, int selStart, int selLength) {
    const char32_t ch = static_cast<char32_t>(codePoint);
    const KeyVerdict verdict =
        fraction ? FilterFractionKey(ch, text, selStart, selLength) : FilterWholeKey(ch);
    return static_cast<int>(verdict);
}

// The calculator fields' maximum lengths.
val FieldLengths() {
    val out = val::object();
    out.set("price", static_cast<int>(kPriceFieldLength));
    out.set("quantity", static_cast<int>(kQuantityFieldLength));
    return out;
}

// Commits a field's text as the desktop field does on Enter or on losing the focus:
// "buy", "sell" or "quantity". {refused, value, newText}.
val CommitField(const std::string& field, const std::string& text) {
    ProgramState& state = State();
    const std::array<std::tuple<std::string_view, FieldCommit (*)(std::string_view), double*>, 3>
        kFields{{{"buy", &CommitBuyPrice, &state.buyPrice},
                 {"sell", &CommitSellPrice, &state.sellPrice},
                 {"quantity", &CommitQuantity, &state.quantity}}};
    val out = val::object();
    for (const auto& [name, commit, stored] : kFields) {
        if (name != field) {
            continue;
        }
        const FieldCommit result = commit(text);
        if (!result.refused) {
            *stored = result.value;
        }
        out.set("refused", result.refused);
        out.set("value", result.value);
        out.set("newText", result.newText ? val(*result.newText) : val::null());
        out.set("message", result.refused ? Text(kBuyPriceLimitMessage) : val::null());
    }
    return out;
}

// A price field's commit without storing it: the previous close of the limits.
val CommitPrice(const std::string& text) {
    const FieldCommit result = CommitSellPrice(text);
    val out = val::object();
    out.set("value", result.value);
    out.set("newText", result.newText ? val(*result.newText) : val::null());
    return out;
}

// ---- The trade -------------------------------------------------------------------------

val Rows(const std::vector<ResultRow>& rows) {
    val out = val::array();
    for (const ResultRow& row : rows) {
        val item = val::object();
        item.set("caption", Text(row.caption));
        item.set("value", Text(row.value));
        item.set("slot", static_cast<int>(row.slot));
        out.call<void>("push", item);
    }
    return out;
}

int PanelNow() {
    return static_cast<int>(PanelForType(State().type));
}

// The calculation with the stored inputs: {error, panel, rows, result}.
val Compute(bool buyFieldEmpty, bool sellFieldEmpty) {
    const ProgramState& state = State();
    val out = val::object();
    const std::optional<FeeRules> rules = state.feeRules();
    if (!rules) {
        out.set("error", Text(kNoRulesMessage));
        return out;
    }
    TradeInput input;
    input.buyPrice = state.buyPrice;
    input.sellPrice = state.sellPrice;
    input.quantity = state.quantity;
    input.buyFieldEmpty = buyFieldEmpty;
    input.sellFieldEmpty = sellFieldEmpty;
    const TradeResult result = ComputeTrade(*rules, input);
    const Panel panel = PanelForType(state.type);
    out.set("error", val::null());
    out.set("panel", static_cast<int>(panel));
    out.set("rows", Rows(PanelRows(panel, result)));
    val fields = val::object();
    for (const auto& [name, member] : kTradeRecordFields) {
        fields.set(std::string(name), result.*member);
    }
    fields.set("BreakEvenPrice", result.breakEvenPrice ? val(*result.breakEvenPrice) : val::null());
    out.set("result", fields);
    return out;
}

val ResetRowsNow() {
    return Rows(ResetRows(PanelForType(State().type)));
}

// ---- Ex-rights, rules, limits ----------------------------------------------------------

using ExRightsField = std::pair<const char*, const ExRightsEntry*>;
constexpr std::array<ExRightsField, 5> kExRightsFields{{
    {"price", &kExRightsPriceEntry},
    {"bonus", &kBonusEntry},
    {"rights", &kRightsEntry},
    {"rightsPrice", &kRightsPriceEntry},
    {"cash", &kCashEntry},
}};

// The ex-rights window's fields by name: {maxLength, countsShares}.
val ExRightsEntries() {
    val out = val::object();
    for (const auto& [name, entry] : kExRightsFields) {
        val item = val::object();
        item.set("maxLength", static_cast<int>(entry->maxLength));
        item.set("countsShares", entry->countsShares);
        out.set(name, item);
    }
    return out;
}

// An ex-rights field's commit: {value, newText}.
val CommitExRights(const std::string& field, const std::string& text) {
    val out = val::object();
    for (const auto& [name, entry] : kExRightsFields) {
        if (field == name) {
            const FieldCommit result = CommitExRightsEntry(*entry, text);
            out.set("value", result.value);
            out.set("newText", result.newText ? val(*result.newText) : val::null());
        }
    }
    return out;
}

val ExRights(val in) {
    ExRightsCalculator calculator;
    const bool forward = in["forward"].as<bool>();
    calculator.direction =
        forward ? ExRightsDirection::BeforeToAfter : ExRightsDirection::AfterToBefore;
    (forward ? calculator.priceBefore : calculator.priceAfter) = in["price"].as<double>();
    calculator.plan.withBonus = in["withBonus"].as<bool>();
    calculator.plan.withRights = in["withRights"].as<bool>();
    calculator.plan.withCash = in["withCash"].as<bool>();
    calculator.plan.bonusPer10 = in["bonus"].as<double>();
    calculator.plan.rightsPer10 = in["rights"].as<double>();
    calculator.plan.rightsPrice = in["rightsPrice"].as<double>();
    calculator.plan.cashPer10 = in["cash"].as<double>();
    const double result = calculator.Compute();
    val out = val::object();
    out.set("value", result);
    out.set("text", FormatMask(result, kExRightsMask));
    return out;
}

// A number through a display mask ("######0.00"), rounded as the panels round it.
std::string FormatWithMask(double value, const std::string& mask) {
    return FormatMask(value, mask);
}

double ReadNumber(const std::string& text) {
    return Val(text);
}

// The official table of a date, as the settings dialog lists it: {columns, rows, error}.
val RulesTable(const std::string& dateText) {
    val out = val::object();
    const std::optional<Date> date = ParseDate(dateText);
    val columns = val::array();
    for (RuleColumn column : kRuleColumns) {
        columns.call<void>("push", Text(RuleColumnName(column)));
    }
    out.set("columns", columns);
    val rows = val::array();
    if (!date || *date < kFirstRuleDate) {
        out.set("error", Text(kNoRulesMessage));
    } else {
        out.set("error", val::null());
        for (const OfficialFeeRow* row : RulesInForce(*date)) {
            val cells = val::array();
            for (RuleColumn column : kRuleColumns) {
                cells.call<void>("push", Text(RuleCell(*row, column)));
            }
            rows.call<void>("push", cells);
        }
    }
    out.set("rows", rows);
    out.set("checkedOn", FormatDate(kRulesCheckedOn));
    return out;
}

val Boards() {
    val out = val::array();
    for (int b = 0; b <= static_cast<int>(Board::Bond); ++b) {
        val item = val::object();
        item.set("key", Text(BoardKey(static_cast<Board>(b))));
        item.set("name", Text(BoardName(static_cast<Board>(b))));
        out.call<void>("push", item);
    }
    return out;
}

std::string LimitPrice(double price, const PriceGrid& grid) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", grid.ticksPerUnit == 1000 ? 3 : 2, price);
    return text;
}

// The day's limits from a code (or a board and a market), the previous close and the
// trade date: {error, board, what, percent, up, down, source, mark}.
val Limits(val in) {
    val out = val::object();
    const std::string codeText = in["code"].as<std::string>();
    const bool riskWarning = in["riskWarning"].as<bool>();
    LimitQuery query;
    if (!codeText.empty()) {
        const CodeLookup found = LookUpCode(codeText);
        if (!found.code) {
            out.set("error", Text(found.problem));
            return out;
        }
        const CodeRange& range = *found.code->range;
        query.board =
            riskWarning && range.board == Board::Main ? Board::MainRiskWarning : range.board;
        query.market = found.code->CalculatorMarket();
        out.set("what", Text(range.what));
    } else {
        const std::optional<Board> board = ParseBoard(in["board"].as<std::string>());
        if (!board) {
            out.set("error", Text("证券代码或板块?"));
            return out;
        }
        query.board = *board;
        query.market = MarketFromNumber(in["market"].as<int>());
    }
    const std::optional<Date> date = ParseDate(in["date"].as<std::string>());
    query.date = date ? *date : State().tradeDate;
    query.close = in["close"].as<double>();
    query.listingDays = in["listingDays"].as<bool>();
    const auto outcome = ComputeLimits(query);
    if (const auto* message = std::get_if<std::string>(&outcome)) {
        out.set("error", Text(*message));
        return out;
    }
    const PriceLimits& limits = std::get<PriceLimits>(outcome);
    out.set("error", val::null());
    out.set("board", Text(BoardName(limits.board)));
    if (limits.rate) {
        out.set("percent", limits.rate->percent);
        out.set("up", LimitPrice(*limits.limitUp, limits.grid));
        out.set("down", LimitPrice(*limits.limitDown, limits.grid));
        out.set("source", Text(limits.rate->source));
        out.set("mark", Text(EvidenceName(limits.rate->mark)));
    } else {
        out.set("listingDays", limits.listing->days);
        out.set("source", Text(limits.listing->source));
        out.set("mark", Text(EvidenceName(limits.listing->mark)));
    }
    return out;
}

// ---- The position tools ---------------------------------------------------------------

// A committed text's value: what the field would store after its commit.
double Committed(FieldCommit (*commit)(std::string_view), const std::string& text) {
    return commit(text).value;
}

// A proposed price: {value, text} on the grid, or {value: null, text: why not}, with the
// companion's texts.
val GridPrice(const PriceGrid& grid, const GridAnswer& answer) {
    val out = val::object();
    if (answer.outcome == GridOutcome::Found) {
        const double price = grid.PriceAt(answer.index);
        out.set("value", price);
        out.set("text",
                FormatMask(price, grid.ticksPerUnit >= 1000 ? "######0.000" : "######0.00"));
    } else {
        out.set("value", val::null());
        out.set("text", Text(answer.outcome == GridOutcome::Undecided ? "无法确定" : "无法达到"));
    }
    return out;
}

// The position tools need a market and a type for their grid and lot: the selection's.
struct PositionContext {
    FeeRules rules;
    PriceGrid grid;
};

std::optional<PositionContext> Context() {
    const ProgramState& state = State();
    const std::optional<FeeRules> rules = state.feeRules();
    if (!rules || !state.market || !state.type) {
        return std::nullopt;
    }
    return PositionContext{*rules, GridOf(state.market, *state.type)};
}

// The sell price that reaches a net profit (yuan) or a yield (a fraction), or a stop:
// {price: number or why not}.
val PositionTarget(val in) {
    val out = val::object();
    const std::optional<PositionContext> c = Context();
    if (!c) {
        out.set("error", Text(kNoRulesMessage));
        return out;
    }
    const ProfitGoal goal{in["yield"].as<bool>() ? GoalKind::Yield : GoalKind::Profit,
                          Val(in["goal"].as<std::string>())};
    out.set("price",
            GridPrice(c->grid,
                      TargetSellIndex(c->rules, c->grid,
                                      Committed(&CommitBuyPrice, in["buy"].as<std::string>()),
                                      Committed(&CommitQuantity, in["quantity"].as<std::string>()),
                                      goal, HighestSellIndex(c->grid))));
    return out;
}

// Adding to a holding: {fees, paid, newQuantity, totalPaid, newCost, breakEven}.
val PositionAverage(val in) {
    val out = val::object();
    const std::optional<PositionContext> c = Context();
    if (!c) {
        out.set("error", Text(kNoRulesMessage));
        return out;
    }
    const Holding holding{Committed(&CommitQuantity, in["held"].as<std::string>()),
                          Committed(&CommitSellPrice, in["cost"].as<std::string>())};
    const AddedBuy added =
        AddToHolding(c->rules, holding, Committed(&CommitBuyPrice, in["buy"].as<std::string>()),
                     Committed(&CommitQuantity, in["quantity"].as<std::string>()));
    out.set("fees", added.fees);
    out.set("paid", added.paid);
    out.set("newQuantity", added.newQuantity);
    out.set("newCost", added.newCost);
    out.set("breakEven",
            GridPrice(c->grid, HoldingBreakEvenIndex(c->rules, c->grid, added.newQuantity,
                                                     added.totalPaid, HighestSellIndex(c->grid))));
    return out;
}

// The same-day swing: {sellFees, buyFees, gain, newCost, breakEvenSell, breakEvenBuy}.
val PositionSwing(val in) {
    val out = val::object();
    const std::optional<PositionContext> c = Context();
    if (!c) {
        out.set("error", Text(kNoRulesMessage));
        return out;
    }
    const Holding holding{Committed(&CommitQuantity, in["held"].as<std::string>()),
                          Committed(&CommitSellPrice, in["cost"].as<std::string>())};
    const double quantity = Committed(&CommitQuantity, in["quantity"].as<std::string>());
    const double sell = Committed(&CommitSellPrice, in["sell"].as<std::string>());
    const double buy = Committed(&CommitBuyPrice, in["buy"].as<std::string>());
    const SwingResult swing = Swing(c->rules, holding, quantity, sell, buy);
    out.set("sellFees", swing.sellFees);
    out.set("buyFees", swing.buyFees);
    out.set("gain", swing.gain);
    out.set("newCost", swing.newCost);
    out.set("breakEvenSell", GridPrice(c->grid, SwingSellIndex(c->rules, c->grid, quantity, buy,
                                                               HighestSellIndex(c->grid))));
    out.set("breakEvenBuy", GridPrice(c->grid, SwingBuyIndex(c->rules, c->grid, quantity, sell,
                                                             HighestBuyIndex(c->grid))));
    return out;
}

// ---- The statement check --------------------------------------------------------------

val Totals(const statement::FeeTotals& t) {
    val out = val::object();
    out.set("trades", static_cast<double>(t.trades));
    out.set("turnover", RoundToCents(t.turnover));
    out.set("commission", RoundToCents(t.commission));
    out.set("stamp", RoundToCents(t.stamp));
    out.set("transfer", RoundToCents(t.transfer));
    out.set("other", RoundToCents(t.other));
    out.set("fees", RoundToCents(t.fees));
    out.set("perTenThousand", t.PerTenThousand());
    return out;
}

// Reviews statement exports opened in the page ([{name, bytes}]) as yuanmate-calc statement
// does with the terms found in them: the files are read here, in memory, and go nowhere.
val ReviewStatementFiles(val files) {
    const std::filesystem::path folder = "/home/web_user/statements";
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder, ec);
    std::vector<std::string> paths;
    const int count = files["length"].as<int>();
    for (int i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> data =
            emscripten::vecFromJSArray<std::uint8_t>(files[i]["bytes"]);
        // The name as the user knows it, after a number that keeps two alike apart.
        const std::filesystem::path path =
            folder / std::filesystem::path(std::to_string(i)) /
            std::filesystem::path(files[i]["name"].as<std::string>()).filename();
        std::filesystem::create_directories(path.parent_path(), ec);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
        paths.push_back(path.string());
    }
    const statement::StatementReport report =
        statement::ReviewStatements(paths, statement::ReviewOptions{});
    val out = val::object();
    val problems = val::array();
    for (const std::string& problem : report.fileProblems) {
        problems.call<void>("push", Text(problem));
    }
    out.set("fileProblems", problems);
    out.set("trades", static_cast<double>(report.trades));
    out.set("unreadable", static_cast<double>(report.unreadableCount));
    out.set("unchecked", static_cast<double>(report.unchecked));
    val terms = val::array();
    for (const statement::PeriodCheck& period : report.terms) {
        val item = val::object();
        item.set("from", FormatDate(period.found.from));
        item.set("to", FormatDate(period.found.to));
        item.set("rate", Text(statement::QuoteRate(period.used.commissionRate)));
        item.set("minimum", period.used.minimumWaived ? val::null() : val(period.used.minimumYuan));
        item.set("includesFees", period.used.includesExchangeFees);
        item.set("lines", static_cast<double>(period.lines));
        item.set("explained", static_cast<double>(period.explained));
        terms.call<void>("push", item);
    }
    out.set("terms", terms);
    val years = val::array();
    for (const statement::YearTotals& year : report.years) {
        val item = Totals(year.totals);
        item.set("year", year.year);
        years.call<void>("push", item);
    }
    out.set("years", years);
    out.set("total", Totals(report.total));
    val differing = val::array();
    for (const statement::DifferingLine& d : report.differing) {
        val item = val::object();
        item.set("line", static_cast<double>(d.line));
        item.set("date", FormatDate(d.date));
        item.set("code", d.code);
        item.set("side", Text(d.side == Side::Buy ? "买" : "卖"));
        item.set("fee", Text(statement::ColumnKey(d.fee)));
        item.set("charged", RoundToCents(d.charged));
        item.set("expected", RoundToCents(d.expected));
        item.set("difference", RoundToCents(d.difference));
        item.set("reason", Text(statement::ReasonLabel(d.reason)));
        differing.call<void>("push", item);
    }
    out.set("differing", differing);
    out.set("differingSum", RoundToCents(report.differingSum));
    return out;
}

} // namespace

EMSCRIPTEN_BINDINGS(yuanmate) {
    using emscripten::function;
    function("openSettings", &OpenSettings);
    function("settingsBytes", &SettingsBytes);
    function("saveSelection", &SaveSelection);
    function("select", &Select);
    function("selection", &Selection);
    function("setTradeDate", &SetTradeDate);
    function("tradeDate", &TradeDate);
    function("feeModel", &FeeModelOf);
    function("setFeeModel", &SetFeeModel);
    function("scheme", &Scheme);
    function("setScheme", &SetScheme);
    function("filterKey", &FilterKey);
    function("fieldLengths", &FieldLengths);
    function("commitField", &CommitField);
    function("commitPrice", &CommitPrice);
    function("compute", &Compute);
    function("resetRows", &ResetRowsNow);
    function("panel", &PanelNow);
    function("exRights", &ExRights);
    function("exRightsEntries", &ExRightsEntries);
    function("commitExRights", &CommitExRights);
    function("readNumber", &ReadNumber);
    function("formatMask", &FormatWithMask);
    function("rulesTable", &RulesTable);
    function("boards", &Boards);
    function("limits", &Limits);
    function("reviewStatements", &ReviewStatementFiles);
    function("positionTarget", &PositionTarget);
    function("positionAverage", &PositionAverage);
    function("positionSwing", &PositionSwing);
}

} // namespace ym::web
