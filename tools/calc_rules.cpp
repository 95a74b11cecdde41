// yuanmate-calc rules: the official fees in force on a date, with their sources.
#include "core/number_text.h"
#include "core/official_rules.h"
#include "core/rule_table.h"
#include "tools/calc_commands.h"
#include "tools/calc_settings.h"

#include <array>

namespace ym::calc {

namespace {

// The JSON list of a row's types: "\"a\", \"b\"".
std::string TypeKeys(const OfficialFeeRow& row) {
    std::string out;
    for (SecurityType type : kSecurityTypes) {
        if (row.Covers(type)) {
            out += (out.empty() ? "\"" : ", \"") + std::string(TypeKey(type)) + "\"";
        }
    }
    return out;
}

std::string JsonDate(const std::optional<Date>& date) {
    return date ? JsonString(FormatDate(*date)) : "null";
}

void PrintText(const Date& date, const std::vector<const OfficialFeeRow*>& rows,
               std::ostream& out) {
    out << "# 官方规则 " << FormatDate(date) << "（表格核对至 " << FormatDate(kRulesCheckedOn)
        << "）\n";
    const auto line = [&out](auto cell) {
        for (const RuleColumn column : kRuleColumns) {
            out << (column == kRuleColumns.front() ? "" : "\t") << cell(column);
        }
        out << '\n';
    };
    line(RuleColumnName);
    for (const OfficialFeeRow* r : rows) {
        line([r](RuleColumn column) { return RuleCell(*r, column); });
    }
}

void PrintJson(const Date& date, const std::vector<const OfficialFeeRow*>& rows,
               std::ostream& out) {
    out << "{\n  \"date\": " << JsonString(FormatDate(date))
        << ",\n  \"checked\": " << JsonString(FormatDate(kRulesCheckedOn)) << ",\n  \"rows\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const OfficialFeeRow& r = *rows[i];
        out << (i == 0 ? "\n" : ",\n") << "    {\"fee\": " << JsonString(FeeKey(r.fee))
            << ", \"types\": [" << TypeKeys(r) << "], \"exchange\": "
            << (r.exchange ? JsonString(r.exchange == Market::Shanghai ? "sh" : "sz") : "null")
            << ", \"side\": " << JsonString(SideKey(r.side))
            << ", \"base\": " << JsonString(BaseKey(r.base)) << ", \"rate\": " << JsonNumber(r.rate)
            << ", \"minimum\": " << (r.minimum > 0 ? JsonNumber(r.minimum) : "null")
            << ", \"cap\": " << (r.cap > 0 ? JsonNumber(r.cap) : "null")
            << ", \"currency\": " << (r.currency ? JsonString(CurrencyKey(*r.currency)) : "null")
            << ", \"broker_may_include\": " << (r.brokerMayInclude ? "true" : "false")
            << ", \"first\": " << JsonDate(r.first) << ", \"last\": " << JsonDate(r.last)
            << ", \"source\": " << JsonString(r.source)
            << ", \"mark\": " << JsonString(EvidenceKey(r.mark)) << "}";
    }
    out << "\n  ]\n}\n";
}

} // namespace

int RunRules(const RulesOptions& options, std::ostream& out, std::ostream& err) {
    const Date date = options.date ? *ParseDate(*options.date) : Today();
    if (date < kFirstRuleDate) {
        err << kProgramName << ": " << kNoRulesMessage << '\n';
        return kExitBadInput;
    }
    const std::vector<const OfficialFeeRow*> rows = RulesInForce(date);
    if (options.json) {
        PrintJson(date, rows, out);
    } else {
        PrintText(date, rows, out);
    }
    return kExitOk;
}

} // namespace ym::calc
