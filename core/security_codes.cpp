#include "core/security_codes.h"

#include "core/text_codec.h"

#include <algorithm>
#include <array>

namespace ym {

namespace {

constexpr Exchange kSh = Exchange::Shanghai;
constexpr Exchange kSz = Exchange::Shenzhen;
constexpr Exchange kBj = Exchange::Beijing;
using T = SecurityType;
using B = Board;
constexpr Evidence kSourced = Evidence::Sourced;
constexpr Evidence kBelieved = Evidence::Believed;

// Shanghai: 《上海证券交易所证券交易业务指南第4号——证券代码段分配指南》(2024年第2次修订,
// 上证函〔2024〕1724号), read as pages quoting it. Shenzhen and Beijing: no allocation notice
// was read; the ranges are those public pages and market-data libraries agree on.
constexpr std::string_view kSseGuide = "上交所证券代码段分配指南（2024年第2次修订）";
constexpr std::string_view kSzsePages = "深交所代码区间（多处转引，未读原文）";
constexpr std::string_view kBsePages = "北交所代码（多处转引，未读原文）";

// Only ranges of securities traded on the exchange; indices, subscriptions, repos and the
// like are left out, so that their codes are told as unknown.
constexpr std::array<CodeRange, 37> kRanges{{
    {kSh, "010", T::Bond, B::Bond, "沪市国债", kSseGuide, kSourced},
    {kSh, "019", T::Bond, B::Bond, "沪市国债", kSseGuide, kSourced},
    {kSh, "020", T::Bond, B::Bond, "沪市贴现国债", kSseGuide, kSourced},
    {kSh, "110", T::Bond, B::Bond, "沪市可转债", kSseGuide, kSourced},
    {kSh, "111", T::Bond, B::Bond, "沪市可转债", kSseGuide, kSourced},
    {kSh, "113", T::Bond, B::Bond, "沪市可转债", kSseGuide, kSourced},
    {kSh, "118", T::Bond, B::Bond, "科创板可转债", kSseGuide, kBelieved},
    {kSh, "500", T::InvestmentFund, B::Fund, "沪市封闭式证券投资基金", kSseGuide, kBelieved},
    {kSh, "501", T::Fund, B::Fund, "沪市 LOF", kSseGuide, kBelieved},
    {kSh, "51", T::Fund, B::Fund, "沪市 ETF", kSseGuide, kSourced},
    {kSh, "530", T::Fund, B::Fund, "沪市 ETF", "上证函〔2024〕1724号", kSourced},
    {kSh, "56", T::Fund, B::Fund, "沪市 ETF", kSseGuide, kBelieved},
    {kSh, "58", T::Fund, B::Fund, "科创板 ETF", kSseGuide, kBelieved},
    {kSh, "600", T::AShare, B::Main, "沪市主板 A 股", kSseGuide, kSourced},
    {kSh, "601", T::AShare, B::Main, "沪市主板 A 股", kSseGuide, kSourced},
    {kSh, "603", T::AShare, B::Main, "沪市主板 A 股", kSseGuide, kSourced},
    {kSh, "605", T::AShare, B::Main, "沪市主板 A 股", kSseGuide, kSourced},
    {kSh, "688", T::AShare, B::Star, "科创板股票", kSseGuide, kSourced},
    {kSh, "689", T::AShare, B::Star, "科创板存托凭证", kSseGuide, kSourced},
    {kSh, "900", T::BShare, B::BShare, "沪市 B 股（美元）", kSseGuide, kSourced},
    {kSz, "000", T::AShare, B::Main, "深市主板 A 股", kSzsePages, kSourced},
    {kSz, "001", T::AShare, B::Main, "深市主板 A 股", kSzsePages, kSourced},
    {kSz, "002", T::AShare, B::Main, "深市主板 A 股（原中小板）", kSzsePages, kSourced},
    {kSz, "003", T::AShare, B::Main, "深市主板 A 股", kSzsePages, kSourced},
    {kSz, "10", T::Bond, B::Bond, "深市国债、地方政府债", kSzsePages, kBelieved},
    {kSz, "111", T::Bond, B::Bond, "深市企业债", kSzsePages, kBelieved},
    {kSz, "112", T::Bond, B::Bond, "深市公司债", kSzsePages, kBelieved},
    {kSz, "12", T::Bond, B::Bond, "深市可转债、可交换债", kSzsePages, kBelieved},
    {kSz, "159", T::Fund, B::Fund, "深市 ETF", kSzsePages, kSourced},
    {kSz, "16", T::Fund, B::Fund, "深市 LOF", kSzsePages, kSourced},
    {kSz, "184", T::InvestmentFund, B::Fund, "深市封闭式证券投资基金", kSzsePages, kBelieved},
    {kSz, "200", T::BShare, B::BShare, "深市 B 股（港元）", kSzsePages, kSourced},
    {kSz, "30", T::AShare, B::ChiNext, "创业板股票", kSzsePages, kSourced},
    // 43, 83 and 87 are the codes of the former NEEQ; new listings and, from 2024, the
    // changed codes of the others begin with 920.
    {kBj, "43", T::AShare, B::Beijing, "北交所股票（旧代码）", kBsePages, kBelieved},
    {kBj, "83", T::AShare, B::Beijing, "北交所股票（旧代码）", kBsePages, kBelieved},
    {kBj, "87", T::AShare, B::Beijing, "北交所股票（旧代码）", kBsePages, kBelieved},
    {kBj, "92", T::AShare, B::Beijing, "北交所股票", kBsePages, kBelieved},
}};

struct ExchangeWord {
    std::string_view word;
    Exchange exchange;
};
constexpr std::array<ExchangeWord, 4> kExchangeWords{{
    {"sh", kSh},
    {"ss", kSh},
    {"sz", kSz},
    {"bj", kBj},
}};

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits "sh600000", "sh.600000", "600000.sh" into the exchange and the digits.
std::optional<Exchange> TakeExchange(std::string& text) {
    for (const auto& [word, exchange] : kExchangeWords) {
        for (const std::string& prefix : {std::string(word) + ".", std::string(word)}) {
            if (text.starts_with(prefix)) {
                text.erase(0, prefix.size());
                return exchange;
            }
        }
        const std::string suffix = "." + std::string(word);
        if (text.ends_with(suffix)) {
            text.erase(text.size() - suffix.size());
            return exchange;
        }
    }
    return std::nullopt;
}

// The longest range of `exchange` the code falls in.
const CodeRange* RangeOf(std::string_view digits, Exchange exchange) {
    const CodeRange* best = nullptr;
    for (const CodeRange& range : kRanges) {
        if (range.exchange == exchange && digits.starts_with(range.prefix) &&
            (best == nullptr || range.prefix.size() > best->prefix.size())) {
            best = &range;
        }
    }
    return best;
}

constexpr std::array<std::string_view, 8> kBoardKeys{"main", "st", "chinext", "star",
                                                     "bse",  "b",  "fund",    "bond"};
constexpr std::array<std::string_view, 8> kBoardNames{"主板",   "主板 ST", "创业板", "科创板",
                                                      "北交所", "B 股",    "基金",   "债券"};

} // namespace

std::optional<Market> SecurityCode::CalculatorMarket() const {
    switch (range->exchange) {
    case Exchange::Shanghai:
        return Market::Shanghai;
    case Exchange::Shenzhen:
        return Market::Shenzhen;
    case Exchange::Beijing:
        break;
    }
    return std::nullopt;
}

std::span<const CodeRange> CodeRangeTable() {
    return kRanges;
}

CodeLookup LookUpCode(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    std::string digits = text::AsciiLower(text);
    const std::optional<Exchange> given = TakeExchange(digits);
    if (!AllDigits(digits) || digits.size() > 6) {
        return {std::nullopt, "not a security code: one to six digits, optionally with sh, sz "
                              "or bj before or .SH, .SZ or .BJ after"};
    }
    digits.insert(0, 6 - digits.size(), '0');

    const CodeRange* found = nullptr;
    if (given) {
        found = RangeOf(digits, *given);
    } else {
        for (const Exchange exchange : {kSh, kSz, kBj}) {
            if (const CodeRange* range = RangeOf(digits, exchange)) {
                if (found != nullptr) {
                    return {std::nullopt, digits + " is a code on both " +
                                              std::string(ExchangeName(found->exchange)) + " and " +
                                              std::string(ExchangeName(exchange)) +
                                              ": write the exchange, e.g. sh" + digits + " or sz" +
                                              digits};
                }
                found = range;
            }
        }
    }
    if (found == nullptr) {
        return {std::nullopt,
                digits + " is not a code of a traded security known to the calculator" +
                    (given ? " on " + std::string(ExchangeName(*given)) : std::string())};
    }
    return {SecurityCode{digits, found}, {}};
}

std::string_view BoardKey(Board board) {
    return kBoardKeys[static_cast<std::size_t>(board)];
}

std::string_view BoardName(Board board) {
    return kBoardNames[static_cast<std::size_t>(board)];
}

std::optional<Board> ParseBoard(std::string_view key) {
    const std::string word = text::AsciiLower(key);
    for (std::size_t i = 0; i < kBoardKeys.size(); ++i) {
        if (word == kBoardKeys[i] || key == kBoardNames[i]) {
            return static_cast<Board>(i);
        }
    }
    return std::nullopt;
}

std::string_view ExchangeName(Exchange exchange) {
    switch (exchange) {
    case Exchange::Shanghai:
        return "沪市";
    case Exchange::Shenzhen:
        return "深市";
    case Exchange::Beijing:
        break;
    }
    return "北交所";
}

} // namespace ym
