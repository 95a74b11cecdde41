#include "core/official_rules.h"

#include <array>

namespace ym {

namespace {

constexpr TypeSet kA = TypeBit(SecurityType::AShare);
constexpr TypeSet kB = TypeBit(SecurityType::BShare);
constexpr TypeSet kBond = TypeBit(SecurityType::Bond);
constexpr TypeSet kFunds = TypeBit(SecurityType::Fund) | TypeBit(SecurityType::InvestmentFund);

constexpr std::optional<Market> kBoth = std::nullopt;
constexpr std::optional<Market> kSh = Market::Shanghai;
constexpr std::optional<Market> kSz = Market::Shenzhen;
constexpr std::optional<Date> kOpen = std::nullopt;
constexpr std::optional<Currency> kTradeCurrency = std::nullopt;

using F = OfficialFee;
using S = RowSide;
constexpr FeeBase kAmount = FeeBase::Amount;
constexpr Evidence kSourced = Evidence::Sourced;
constexpr Evidence kBelieved = Evidence::Believed;

// Rates per leg of the traded amount (0.0000341 is 0.0341‰). A fee a type does not pay at
// all (B shares pay no transfer fee, only B shares a settlement fee) has no row; where the
// evidence that a type pays none is weak, a row of 0 says so.
constexpr std::array<OfficialFeeRow, 20> kTable{{
    // Stamp duty: stocks only, the seller only.
    {F::Stamp,
     kA | kB,
     kBoth,
     S::Sell,
     kAmount,
     0.001,
     0,
     0,
     kTradeCurrency,
     false,
     {2015, 8, 1},
     Date{2023, 8, 27},
     "财税明电〔2008〕2号",
     kSourced},
    {F::Stamp,
     kA,
     kBoth,
     S::Sell,
     kAmount,
     0.0005,
     0,
     0,
     kTradeCurrency,
     false,
     {2023, 8, 28},
     kOpen,
     "财政部 税务总局公告2023年第39号",
     kSourced},
    {F::Stamp,
     kB,
     kBoth,
     S::Sell,
     kAmount,
     0.0005,
     0,
     0,
     kTradeCurrency,
     false,
     {2023, 8, 28},
     kOpen,
     "财政部 税务总局公告2023年第39号（是否含 B 股未确认）",
     kBelieved},
    {F::Stamp,
     kBond | kFunds,
     kBoth,
     S::Both,
     kAmount,
     0,
     0,
     0,
     kTradeCurrency,
     false,
     {2015, 8, 1},
     kOpen,
     "印花税只对股票和存托凭证征收",
     kBelieved},
    // Transfer fee, China Securities Depository and Clearing: A shares, on the amount since
    // 2015-08-01 in both markets; brokers keep none of it.
    {F::Transfer,
     kA,
     kBoth,
     S::Both,
     kAmount,
     0.00002,
     0,
     0,
     kTradeCurrency,
     false,
     {2015, 8, 1},
     Date{2022, 4, 28},
     "中国结算收费调整，2015-08-01 起按成交金额（文号未记）",
     kSourced},
    {F::Transfer,
     kA,
     kBoth,
     S::Both,
     kAmount,
     0.00001,
     0,
     0,
     kTradeCurrency,
     false,
     {2022, 4, 29},
     kOpen,
     "中国结算收费调整，2022-04-29 起减半（文号未记）",
     kSourced},
    {F::Transfer,
     kBond | kFunds,
     kBoth,
     S::Both,
     kAmount,
     0,
     0,
     0,
     kTradeCurrency,
     false,
     {2015, 8, 1},
     kOpen,
     "ETF、LOF 免收，债券不收",
     kBelieved},
    // Handling fee, the exchanges.
    {F::Handling,
     kA | kB,
     kBoth,
     S::Both,
     kAmount,
     0.0000487,
     0,
     0,
     kTradeCurrency,
     true,
     {2015, 8, 1},
     Date{2023, 8, 27},
     "沪深交易所收费标准（文号未记）",
     kSourced},
    {F::Handling,
     kA | kB,
     kSh,
     S::Both,
     kAmount,
     0.0000341,
     0,
     0,
     kTradeCurrency,
     true,
     {2023, 8, 28},
     kOpen,
     "上证发〔2023〕136号",
     kSourced},
    {F::Handling,
     kA | kB,
     kSz,
     S::Both,
     kAmount,
     0.0000341,
     0,
     0,
     kTradeCurrency,
     true,
     {2023, 8, 28},
     kOpen,
     "深证上〔2023〕768号",
     kSourced},
    {F::Handling,
     kFunds,
     kSh,
     S::Both,
     kAmount,
     0.000045,
     0,
     0,
     kTradeCurrency,
     true,
     {2015, 8, 1},
     Date{2021, 7, 18},
     "券商对账单（0.0045%）",
     kBelieved},
    {F::Handling,
     kFunds,
     kSz,
     S::Both,
     kAmount,
     0.0000487,
     0,
     0,
     kTradeCurrency,
     true,
     {2015, 8, 1},
     Date{2021, 7, 18},
     "深交所收费标准，由 0.0975‰ 下调（文号未记）",
     kSourced},
    {F::Handling,
     kFunds,
     kSh,
     S::Both,
     kAmount,
     0.00004,
     0,
     0,
     kTradeCurrency,
     true,
     {2021, 7, 19},
     kOpen,
     "券商对账单（0.004%）",
     kBelieved},
    {F::Handling,
     kFunds,
     kSz,
     S::Both,
     kAmount,
     0.00004,
     0,
     0,
     kTradeCurrency,
     true,
     {2021, 7, 19},
     kOpen,
     "深证上〔2021〕655号",
     kSourced},
    {F::Handling,
     kBond,
     kBoth,
     S::Both,
     kAmount,
     0.00004,
     0,
     0,
     kTradeCurrency,
     true,
     {2015, 8, 1},
     kOpen,
     "可转债 0.004%；其它债券 2022-07-01 至 2025-12-31 免收，其后未知",
     kBelieved},
    // Regulatory fee (证管费; Shenzhen B shares: 主管机关规费), stocks only.
    {F::Regulatory,
     kA | kB,
     kBoth,
     S::Both,
     kAmount,
     0.00002,
     0,
     0,
     kTradeCurrency,
     true,
     {2015, 8, 1},
     Date{2017, 12, 31},
     "2018 年以前的文件未见",
     kBelieved},
    {F::Regulatory,
     kA | kB,
     kBoth,
     S::Both,
     kAmount,
     0.00002,
     0,
     0,
     kTradeCurrency,
     true,
     {2018, 1, 1},
     kOpen,
     "发改价格规〔2018〕917号",
     kSourced},
    {F::Regulatory,
     kBond | kFunds,
     kBoth,
     S::Both,
     kAmount,
     0,
     0,
     0,
     kTradeCurrency,
     true,
     {2015, 8, 1},
     kOpen,
     "交易所收费表未列",
     kBelieved},
    // Settlement fee, B shares only; Shenzhen caps it per trade.
    {F::Settlement,
     kB,
     kSh,
     S::Both,
     kAmount,
     0.0005,
     0,
     0,
     kTradeCurrency,
     false,
     {2015, 8, 1},
     kOpen,
     "B 股结算收费标准（转引资料）",
     kSourced},
    {F::Settlement,
     kB,
     kSz,
     S::Both,
     kAmount,
     0.0005,
     0,
     500,
     Currency::HongKongDollar,
     false,
     {2015, 8, 1},
     kOpen,
     "B 股结算收费标准（转引资料），每笔最高 500 港元",
     kSourced},
}};

// Where each fee goes among a leg's charges.
constexpr std::array<ChargeSlot, 5> kSlotOf{ChargeSlot::Stamp, ChargeSlot::Transfer,
                                            ChargeSlot::Handling, ChargeSlot::Regulator,
                                            ChargeSlot::Settlement};

// A share's face value, for a fee charged on it: one yuan for the A shares such fees were
// ever charged on.
constexpr double kFaceValue = 1;

template <class E, std::size_t N>
std::string_view Pick(const std::array<std::string_view, N>& names, E value) {
    return names[static_cast<std::size_t>(value)];
}

} // namespace

std::span<const OfficialFeeRow> OfficialFeeTable() {
    return kTable;
}

std::vector<const OfficialFeeRow*> RulesInForce(const Date& date, std::optional<Market> exchange,
                                                std::optional<SecurityType> type) {
    std::vector<const OfficialFeeRow*> rows;
    for (const OfficialFeeRow& row : kTable) {
        if (row.InForce(date) && (!exchange || !row.exchange || row.exchange == exchange) &&
            (!type || row.Covers(*type))) {
            rows.push_back(&row);
        }
    }
    return rows;
}

Currency TradeCurrency(Market market, SecurityType type) {
    if (type != SecurityType::BShare) {
        return Currency::Yuan;
    }
    return market == Market::Shanghai ? Currency::UsDollar : Currency::HongKongDollar;
}

double& BrokerTerms::Minimum(Currency currency) {
    switch (currency) {
    case Currency::UsDollar:
        return minimumUsDollar;
    case Currency::HongKongDollar:
        return minimumHkDollar;
    case Currency::Yuan:
        break;
    }
    return minimumYuan;
}

double BrokerTerms::Minimum(Currency currency) const {
    return const_cast<BrokerTerms&>(*this).Minimum(currency);
}

std::optional<FeeRules> OfficialFeeRules(const Date& date, Market market, SecurityType type,
                                         const BrokerTerms& terms) {
    if (date < kFirstRuleDate) {
        return std::nullopt;
    }
    FeeRules rules;
    rules.toFen = true;
    Charge& commission = rules[ChargeSlot::Commission];
    commission.rate = terms.commissionRate;
    if (!terms.minimumWaived) {
        commission.minimumRule = MinimumRule::RaiseNonZero;
        commission.minimum = terms.Minimum(TradeCurrency(market, type));
    }
    for (const OfficialFeeRow* row : RulesInForce(date, market, type)) {
        if (terms.includesExchangeFees && row->brokerMayInclude) {
            continue; // the broker pays it out of the commission
        }
        Charge& c = rules[kSlotOf[static_cast<std::size_t>(row->fee)]];
        c.rate = row->base == FeeBase::FaceValue ? row->rate * kFaceValue : row->rate;
        c.perShare = row->base != FeeBase::Amount;
        c.onBuy = row->side != RowSide::Sell;
        c.onSell = row->side != RowSide::Buy;
        if (row->minimum > 0) {
            c.minimumRule = MinimumRule::RaiseNonZero;
            c.minimum = row->minimum;
        }
        if (row->cap > 0) {
            c.cap = row->cap;
        }
    }
    return rules;
}

std::string_view FeeName(OfficialFee fee) {
    static constexpr std::array<std::string_view, 5> kNames{"印花税", "过户费", "经手费", "证管费",
                                                            "结算费"};
    return Pick(kNames, fee);
}

std::string_view ExchangeName(std::optional<Market> exchange) {
    return exchange ? MarketName(*exchange) : "沪深";
}

std::string_view SideName(RowSide side) {
    static constexpr std::array<std::string_view, 3> kNames{"买", "卖", "双向"};
    return Pick(kNames, side);
}

std::string_view BaseName(FeeBase base) {
    static constexpr std::array<std::string_view, 3> kNames{"成交金额", "股数", "面值"};
    return Pick(kNames, base);
}

std::string_view CurrencyName(Currency currency) {
    static constexpr std::array<std::string_view, 3> kNames{"元", "美元", "港元"};
    return Pick(kNames, currency);
}

std::string_view EvidenceName(Evidence mark) {
    static constexpr std::array<std::string_view, 2> kNames{"有据", "未确认"};
    return Pick(kNames, mark);
}

std::string_view FeeKey(OfficialFee fee) {
    static constexpr std::array<std::string_view, 5> kKeys{"stamp", "transfer", "handling",
                                                           "regulatory", "settlement"};
    return Pick(kKeys, fee);
}

std::string_view SideKey(RowSide side) {
    static constexpr std::array<std::string_view, 3> kKeys{"buy", "sell", "both"};
    return Pick(kKeys, side);
}

std::string_view BaseKey(FeeBase base) {
    static constexpr std::array<std::string_view, 3> kKeys{"amount", "shares", "face_value"};
    return Pick(kKeys, base);
}

std::string_view CurrencyKey(Currency currency) {
    static constexpr std::array<std::string_view, 3> kKeys{"CNY", "USD", "HKD"};
    return Pick(kKeys, currency);
}

std::string_view EvidenceKey(Evidence mark) {
    static constexpr std::array<std::string_view, 2> kKeys{"sourced", "believed"};
    return Pick(kKeys, mark);
}

} // namespace ym
