// yuanmate-calc rules: the official fees in force on a date, with their sources.
#include "core/number_text.h"
#include "core/official_rules.h"
#include "tools/calc_commands.h"
#include "tools/calc_settings.h"

#include <array>
#include <cstdio>

namespace ym::calc {

namespace {

constexpr std::array<SecurityType, 5> kTypes{SecurityType::AShare, SecurityType::Bond,
                                             SecurityType::Fund, SecurityType::InvestmentFund,
                                             SecurityType::BShare};

std::string Types(const OfficialFeeRow& row, std::string_view separator, bool keys) {
    std::string out;
    for (SecurityType type : kTypes) {
        if (row.Covers(type)) {
            out += (out.empty() ? "" : std::string(separator));
            out += keys ? "\"" + std::string(TypeKey(type)) + "\"" : std::string(TypeName(type));
        }
    }
    return out;
}

std::string PerMille(double rate) {
    return rate == 0 ? "0" : GeneralForm(rate * 1000) + "‰";
}

std::string Amount(double value, const OfficialFeeRow& row) {
    if (value == 0) {
        return "—";
    }
    return GeneralForm(value) +
           (row.currency ? " " + std::string(CurrencyName(*row.currency)) : "");
}

// A JSON string: quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonDate(const std::optional<Date>& date) {
    return date ? JsonString(FormatDate(*date)) : "null";
}

void PrintText(const Date& date, const std::vector<const OfficialFeeRow*>& rows,
               std::ostream& out) {
    out << "# 官方规则 " << FormatDate(date) << "（表格核对至 " << FormatDate(kRulesCheckedOn)
        << "）\n";
    out << "费用\t品种\t交易所\t方向\t基数\t费率\t最低\t上限\t币种\t可含于佣金\t期间\t来源\t依据\n";
    for (const OfficialFeeRow* r : rows) {
        out << FeeName(r->fee) << '\t' << Types(*r, "、", false) << '\t'
            << ExchangeName(r->exchange) << '\t' << SideName(r->side) << '\t' << BaseName(r->base)
            << '\t' << PerMille(r->rate) << '\t' << Amount(r->minimum, *r) << '\t'
            << Amount(r->cap, *r) << '\t' << (r->currency ? CurrencyName(*r->currency) : "成交币种")
            << '\t' << (r->brokerMayInclude ? "是" : "否") << '\t' << FormatDate(r->first) << " 至 "
            << (r->last ? FormatDate(*r->last) : "今") << '\t' << r->source << '\t'
            << EvidenceName(r->mark) << '\n';
    }
}

void PrintJson(const Date& date, const std::vector<const OfficialFeeRow*>& rows,
               std::ostream& out) {
    out << "{\n  \"date\": " << JsonString(FormatDate(date))
        << ",\n  \"checked\": " << JsonString(FormatDate(kRulesCheckedOn)) << ",\n  \"rows\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const OfficialFeeRow& r = *rows[i];
        out << (i == 0 ? "\n" : ",\n") << "    {\"fee\": " << JsonString(FeeKey(r.fee))
            << ", \"types\": [" << Types(r, ", ", true) << "], \"exchange\": "
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
