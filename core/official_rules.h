// The official fees of the Shanghai and Shenzhen exchanges as data: one row per fee per
// period, with its source and how sure we are of it, from 2015-08-01 on. A trade date
// picks the rows in force; with a broker's commission terms they become the fee rules of
// a trade.
#pragma once

#include "core/fee_schedule.h"
#include "core/selection.h"
#include "core/trade_date.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace ym {

enum class OfficialFee : std::uint8_t { Stamp, Transfer, Handling, Regulatory, Settlement };
enum class RowSide : std::uint8_t { Buy, Sell, Both };
enum class FeeBase : std::uint8_t { Amount, Shares, FaceValue };
enum class Currency : std::uint8_t { Yuan, UsDollar, HongKongDollar };
// Sourced: a notice, or a page quoting it, was read. Believed: weak evidence; shown to the
// user as unconfirmed.
enum class Evidence : std::uint8_t { Sourced, Believed };

// A set of security types, one bit per type.
using TypeSet = std::uint8_t;
constexpr TypeSet TypeBit(SecurityType type) {
    return static_cast<TypeSet>(1u << (NumberOf(type) - 1));
}

struct OfficialFeeRow {
    OfficialFee fee;
    TypeSet types;
    std::optional<Market> exchange; // nullopt: both exchanges
    RowSide side;
    FeeBase base;
    double rate;    // per unit of the base
    double minimum; // 0: none
    double cap;     // 0: none
    // The currency of the minimum and the cap; nullopt: the trade's own currency.
    std::optional<Currency> currency;
    // Whether a broker may quote a commission that includes this fee ("含规费").
    bool brokerMayInclude;
    Date first;
    std::optional<Date> last; // nullopt: still in force
    std::string_view source;  // the notice's number, or where the fact comes from
    Evidence mark;

    bool Covers(SecurityType type) const { return (types & TypeBit(type)) != 0; }
    bool InForce(const Date& date) const { return first <= date && (!last || date <= *last); }
};

inline constexpr Date kFirstRuleDate{2015, 8, 1};
// The day the table was last checked against the notices; later dates use the rows still
// in force then.
inline constexpr Date kRulesCheckedOn{2026, 12, 6};
inline constexpr std::string_view kNoRulesMessage =
    "no official rules before 2015-08-01; use the classic parameters";

// Every row, ordered by fee, then by first day.
std::span<const OfficialFeeRow> OfficialFeeTable();

// The rows in force on `date` (none before kFirstRuleDate), optionally only those of one
// exchange and one type, in table order.
std::vector<const OfficialFeeRow*> RulesInForce(const Date& date,
                                                std::optional<Market> exchange = std::nullopt,
                                                std::optional<SecurityType> type = std::nullopt);

// The currency a type trades in: B shares in US dollars in Shanghai and Hong Kong dollars in
// Shenzhen, everything else in yuan.
Currency TradeCurrency(Market market, SecurityType type);

// The commission cap, including the handling and regulatory fees (since 2002-05-01).
inline constexpr double kCommissionCap = 0.003;

// What a broker charges by contract.
struct BrokerTerms {
    double commissionRate = 0.00025;
    // The minimum commission per trade in each currency (5 yuan, 1 US dollar for Shanghai B
    // shares, 5 Hong Kong dollars for Shenzhen B shares).
    double minimumYuan = 5;
    double minimumUsDollar = 1;
    double minimumHkDollar = 5;
    bool minimumWaived = false;        // "免五"
    bool includesExchangeFees = false; // "含规费": the handling and regulatory fees
    double Minimum(Currency currency) const;
    double& Minimum(Currency currency);

    friend bool operator==(const BrokerTerms&, const BrokerTerms&) = default;
};

// The fee rules of a trade under the official rules of `date` and the broker's terms: the
// commission with its minimum, every fee in force charged on its sides, each rounded to the
// fen; fees a commission that includes them pays are not charged again. nullopt before
// kFirstRuleDate (say kNoRulesMessage).
std::optional<FeeRules> OfficialFeeRules(const Date& date, Market market, SecurityType type,
                                         const BrokerTerms& terms);

// Texts for showing the table (UTF-8).
std::string_view FeeName(OfficialFee fee);                     // "印花税", "过户费", ...
std::string_view ExchangeName(std::optional<Market> exchange); // "沪市", "深市", "沪深"
std::string_view SideName(RowSide side);                       // "买", "卖", "双向"
std::string_view BaseName(FeeBase base);                       // "成交金额", "股数", "面值"
std::string_view CurrencyName(Currency currency);              // "元", "美元", "港元"
std::string_view EvidenceName(Evidence mark);                  // "有据", "未确认"
// ASCII words for machine-readable output.
std::string_view FeeKey(OfficialFee fee);        // "stamp", "transfer", ...
std::string_view SideKey(RowSide side);          // "buy", "sell", "both"
std::string_view BaseKey(FeeBase base);          // "amount", "shares", "face_value"
std::string_view CurrencyKey(Currency currency); // "CNY", "USD", "HKD"
std::string_view EvidenceKey(Evidence mark);     // "sourced", "believed"

} // namespace ym
