#include "core/rule_table.h"

#include "core/number_text.h"

namespace ym {

namespace {

std::string Types(const OfficialFeeRow& row) {
    std::string out;
    for (const SecurityType type : kSecurityTypes) {
        if (row.Covers(type)) {
            out += (out.empty() ? "" : "、");
            out += TypeName(type);
        }
    }
    return out;
}

// Rates are a few parts in ten thousand: per mille reads best.
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

} // namespace

std::string_view RuleColumnName(RuleColumn column) {
    static constexpr std::array<std::string_view, kRuleColumnCount> kNames{
        "费用", "品种", "交易所",     "方向", "基数", "费率", "最低",
        "上限", "币种", "可含于佣金", "期间", "来源", "依据"};
    return kNames[static_cast<std::size_t>(column)];
}

std::string RuleCell(const OfficialFeeRow& row, RuleColumn column) {
    switch (column) {
    case RuleColumn::Fee:
        return std::string(FeeName(row.fee));
    case RuleColumn::Types:
        return Types(row);
    case RuleColumn::Exchange:
        return std::string(ExchangeName(row.exchange));
    case RuleColumn::Side:
        return std::string(SideName(row.side));
    case RuleColumn::Base:
        return std::string(BaseName(row.base));
    case RuleColumn::Rate:
        return PerMille(row.rate);
    case RuleColumn::Minimum:
        return Amount(row.minimum, row);
    case RuleColumn::Cap:
        return Amount(row.cap, row);
    case RuleColumn::Currency:
        return row.currency ? std::string(CurrencyName(*row.currency)) : "成交币种";
    case RuleColumn::Includable:
        return row.brokerMayInclude ? "是" : "否";
    case RuleColumn::Period:
        return FormatDate(row.first) + " 至 " + (row.last ? FormatDate(*row.last) : "今");
    case RuleColumn::Source:
        return std::string(row.source);
    case RuleColumn::Mark:
        return std::string(EvidenceName(row.mark));
    }
    return {};
}

} // namespace ym
