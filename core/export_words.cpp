#include "core/export_words.h"

#include "core/text_codec.h"

#include <algorithm>
#include <array>
#include <string>

namespace ym::statement {

namespace {

using M = Meaning;

constexpr std::array<ColumnWord, 69> kColumns{{
    {"成交日期", M::Date},     {"交易日期", M::Date},
    {"发生日期", M::Date},     {"业务日期", M::Date},
    {"日期", M::Date},         {"date", M::Date},
    {"证券代码", M::Code},     {"股票代码", M::Code},
    {"代码", M::Code},         {"code", M::Code},
    {"证券名称", M::Name},     {"股票名称", M::Name},
    {"名称", M::Name},         {"买卖标志", M::Side},
    {"操作", M::Side},         {"业务名称", M::Side},
    {"摘要", M::Side},         {"买卖方向", M::Side},
    {"委托类别", M::Side},     {"交易类别", M::Side},
    {"业务类型", M::Side},     {"买卖", M::Side},
    {"side", M::Side},         {"成交数量", M::Quantity},
    {"发生数量", M::Quantity}, {"成交股数", M::Quantity},
    {"成交量", M::Quantity},   {"数量", M::Quantity},
    {"quantity", M::Quantity}, {"成交价格", M::Price},
    {"成交均价", M::Price},    {"成交价", M::Price},
    {"均价", M::Price},        {"价格", M::Price},
    {"price", M::Price},       {"成交金额", M::Amount},
    {"amount", M::Amount},     {"佣金", M::Commission},
    {"净佣金", M::Commission}, {"commission", M::Commission},
    {"印花税", M::Stamp},      {"stamp", M::Stamp},
    {"过户费", M::Transfer},   {"transfer", M::Transfer},
    {"其他费", M::Other},      {"其他杂费", M::Other},
    {"其它费用", M::Other},    {"其他费用", M::Other},
    {"其它杂费", M::Other},    {"规费", M::Other},
    {"交易规费", M::Other},    {"经手费", M::Other},
    {"证管费", M::Other},      {"结算费", M::Other},
    {"清算费", M::Other},      {"成交费", M::Other},
    {"前台费用", M::Other},    {"other", M::Other},
    {"手续费", M::Fees},       {"费用合计", M::FeeTotal},
    {"发生金额", M::Net},      {"清算金额", M::Net},
    {"资金发生数", M::Net},    {"股东代码", M::Account},
    {"股东帐户", M::Account},  {"股东账户", M::Account},
    {"交易市场", M::Market},   {"市场", M::Market},
    {"market", M::Market},
}};

using K = EventKind;

constexpr std::array<EventWord, 62> kEvents{{
    {"证券买入", K::Buy},
    {"买入", K::Buy},
    {"买", K::Buy},
    {"担保品买入", K::Buy},
    {"融资买入", K::Buy},
    {"买券还券", K::Buy},
    {"Tn证券买入", K::Buy},
    {"buy", K::Buy},
    {"b", K::Buy},
    {"证券卖出", K::Sell},
    {"卖出", K::Sell},
    {"卖", K::Sell},
    {"担保品卖出", K::Sell},
    {"卖券还款", K::Sell},
    {"融券卖出", K::Sell},
    {"Tn证券卖出", K::Sell},
    {"sell", K::Sell},
    {"s", K::Sell},
    {"新股申购", K::Other},
    {"申购配号", K::Other},
    {"配售配号", K::Other},
    {"申购中签", K::Other},
    {"市值申购中签", K::Other},
    {"中签缴款", K::Other},
    {"新股入账", K::Other},
    {"新股入帐", K::Other},
    {"申购返款", K::Other},
    {"新股申购失败", K::Other},
    {"配售确认", K::Other},
    {"配售缴款", K::Other},
    {"配股缴款", K::Other},
    {"配股入账", K::Other},
    {"结算资金", K::Other},
    {"银行转证券", K::Other},
    {"证券转银行", K::Other},
    {"银行转存", K::Other},
    {"银行转取", K::Other},
    {"银证转入", K::Other},
    {"银证转出", K::Other},
    {"股息入账", K::Other},
    {"股息入帐", K::Other},
    {"红利入账", K::Other},
    {"红股入账", K::Other},
    {"股息红利税补缴", K::Other},
    {"股息红利差异扣税", K::Other},
    {"红利差异税扣税", K::Other},
    {"利息归本", K::Other},
    {"证券托管", K::Other},
    {"托管转入", K::Other},
    {"托管转出", K::Other},
    {"股份转入", K::Other},
    {"股份转出", K::Other},
    {"撤单", K::Other},
    {"直接还款", K::Other},
    {"直接还券", K::Other},
    {"偿还融资利息", K::Other},
    {"融资借款", K::Other},
    {"指定交易", K::Other},
    {"基金申购", K::Other},
    {"基金赎回", K::Other},
    {"送股", K::Other},
    {"转增", K::Other},
}};

// The text without blanks, ASCII letters in lower case.
std::string Folded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            continue;
        }
        out.push_back(text::AsciiLower(c));
    }
    return out;
}

// `folded` (see Folded) is `word` up to the case of ASCII letters.
bool SameWord(std::string_view folded, std::string_view word) {
    return folded.size() == word.size() &&
           std::equal(folded.begin(), folded.end(), word.begin(),
                      [](char a, char b) { return a == text::AsciiLower(b); });
}

} // namespace

std::span<const ColumnWord> ColumnWords() {
    return kColumns;
}

std::optional<Meaning> MeaningOf(std::string_view name) {
    const std::string folded = Folded(name);
    const auto found = std::find_if(kColumns.begin(), kColumns.end(),
                                    [&](const ColumnWord& w) { return SameWord(folded, w.name); });
    return found == kColumns.end() ? std::nullopt : std::optional<Meaning>(found->meaning);
}

std::span<const EventWord> EventWords() {
    return kEvents;
}

std::optional<EventKind> KindOf(std::string_view word) {
    const std::string folded = Folded(word);
    const auto found = std::find_if(kEvents.begin(), kEvents.end(),
                                    [&](const EventWord& w) { return SameWord(folded, w.word); });
    return found == kEvents.end() ? std::nullopt : std::optional<EventKind>(found->kind);
}

} // namespace ym::statement
