#include "core/fee_parameters.h"

#include "core/number_text.h"

namespace ym {

// Labels are UTF-8 for the dialog; the default texts are what a new settings file holds.
const std::array<ParameterInfo, kShenzhenParameterCount> kParameters{{
    {"A股佣金率", "A股佣金率", "0.0035", "0.0035"},
    {"A股佣金底价", "A股佣金底价", "10", "5"},
    {"A股印花税率", "A股印花税率", "0.004", "0.004"},
    {"A股过户费率", "A股过户费率", "0.001", "0"},
    {"A股过户费底价", "A股过户费底价", "1", "0"},
    {"A股其它收费", "A股其它收费", "0", "0"},
    {"债券佣金率", "债券佣金率", "0.002", "0.002"},
    {"债券佣金底价", "债券佣金底价", "5", "5"},
    {"债券印花税率", "债券印花税率", "0", "0"},
    {"债券其它收费", "债券其它收费", "0", "0"},
    {"基金佣金率", "基金佣金率", "0.0035", "0.003"},
    {"基金佣金底价", "基金佣金底价", "10", "5"},
    {"基金印花税率", "基金印花税率", "0", "0"},
    {"基金过户费率", "基金过户费率", "0.001", "0"},
    {"基金过户费底价", "基金过户费底价", "1", "0"},
    {"基金其它收费", "基金其它收费", "0", "0"},
    {"证券投资基金佣金率", "证券投资基金佣金率", "0.0025", "0.0025"},
    {"证券投资基金佣金底价", "证券投资基金佣金底价", "5", "5"},
    {"证券投资基金印花税率", "证券投资基金印花税率", "0", "0"},
    {"证券投资基金其它收费", "证券投资基金其它收费", "0", "0"},
    {"B股佣金率", "B股佣金率", "0.0043", "0.0043"},
    {"B股佣金底价", "B股佣金底价", "0", "0"},
    {"B股印花税率", "B股印花税率", "0.003", "0.003"},
    {"B股结算费率", "B股结算费率", "0.0005", "0.0005"},
    {"B股交易经手费率", "B股交易经手费率", "0.000255", "0.0003"},
    {"B股证管费率", "B股主管机关规费率", "0.000045", "0.000046"},
    {"B股其它收费", "B股其它收费", "0", "0"},
    {"", "B股结算费上限", "", "500"},
}};

FeeParameters FeeParameters::Defaults() {
    FeeParameters p;
    for (std::size_t i = 0; i < kShanghaiParameterCount; ++i) {
        p.shanghai[i] = Val(kParameters[i].shanghaiDefault);
    }
    for (std::size_t i = 0; i < kShenzhenParameterCount; ++i) {
        p.shenzhen[i] = Val(kParameters[i].shenzhenDefault);
    }
    return p;
}

namespace {

// Which parameter (numbered from 1; 0 = not used by the type) feeds each current rate,
// in the member order of RateSet. The same numbers serve both markets.
constexpr std::array<double RateSet::*, 9> kRateMembers{
    &RateSet::commissionRate, &RateSet::minCommission, &RateSet::stampRate,
    &RateSet::transferRate,   &RateSet::minTransfer,   &RateSet::otherFee,
    &RateSet::settlementRate, &RateSet::handlingRate,  &RateSet::regulatorRate,
};

constexpr std::array<std::array<int, 9>, 5> kBlocks{{
    {1, 2, 3, 4, 5, 6, 0, 0, 0},        // A shares
    {7, 8, 9, 0, 0, 10, 0, 0, 0},       // bonds
    {11, 12, 13, 14, 15, 16, 0, 0, 0},  // funds
    {17, 18, 19, 0, 0, 20, 0, 0, 0},    // securities investment funds
    {21, 22, 23, 0, 0, 27, 24, 25, 26}, // B shares: the other charge sits after the B-share fees
}};

} // namespace

RateSet CurrentRates(const FeeParameters& parameters, std::optional<Market> market,
                     SecurityType type) {
    const double* source =
        market == Market::Shanghai ? parameters.shanghai.data() : parameters.shenzhen.data();
    const auto& block = kBlocks[static_cast<std::size_t>(NumberOf(type) - 1)];
    RateSet rates;
    for (std::size_t k = 0; k < kRateMembers.size(); ++k) {
        const int number = block[k];
        rates.*kRateMembers[k] = number == 0 ? 0.0 : source[number - 1];
    }
    return rates;
}

} // namespace ym
