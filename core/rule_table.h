// The official fee table as a person reads it: the columns of a row in words (UTF-8), the
// same in the settings dialog and in the companion's rules listing.
#pragma once

#include "core/official_rules.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ym {

enum class RuleColumn : std::uint8_t {
    Fee,        // "印花税"
    Types,      // "A 股、B 股"
    Exchange,   // "沪深"
    Side,       // "卖"
    Base,       // "成交金额"
    Rate,       // "0.5‰"
    Minimum,    // "—" when there is none
    Cap,        // "500 港元"
    Currency,   // of the minimum and the cap: "成交币种" when the trade's own
    Includable, // whether a broker's commission may include it: "是", "否"
    Period,     // "2023-08-28 至 今"
    Source,     // the notice's number
    Mark,       // "有据", "未确认"
};
inline constexpr std::size_t kRuleColumnCount = 13;

// In the order above.
inline constexpr std::array<RuleColumn, kRuleColumnCount> kRuleColumns{
    RuleColumn::Fee,      RuleColumn::Types,      RuleColumn::Exchange, RuleColumn::Side,
    RuleColumn::Base,     RuleColumn::Rate,       RuleColumn::Minimum,  RuleColumn::Cap,
    RuleColumn::Currency, RuleColumn::Includable, RuleColumn::Period,   RuleColumn::Source,
    RuleColumn::Mark};

// "费用", "品种", "交易所", "方向", "基数", "费率", "最低", "上限", "币种", "可含于佣金",
// "期间", "来源", "依据".
std::string_view RuleColumnName(RuleColumn column);
std::string RuleCell(const OfficialFeeRow& row, RuleColumn column);

} // namespace ym
