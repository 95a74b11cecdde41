// Security codes as users write them: full, shortened by a spreadsheet, with the exchange
// before or after; each board's codes, and codes the table must not guess at.
#include "core/security_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace ym {
namespace {

struct Told {
    const char* text;
    const char* digits;
    Exchange exchange;
    SecurityType type;
    Board board;
};

TEST(SecurityCodes, TellsExchangeTypeAndBoard) {
    using T = SecurityType;
    constexpr Exchange kSh = Exchange::Shanghai;
    constexpr Exchange kSz = Exchange::Shenzhen;
    constexpr Exchange kBj = Exchange::Beijing;
    const Told cases[] = {
        {"600000", "600000", kSh, T::AShare, Board::Main},
        {"sh600000", "600000", kSh, T::AShare, Board::Main},
        {"SH.601318", "601318", kSh, T::AShare, Board::Main},
        {"603288.SH", "603288", kSh, T::AShare, Board::Main},
        {"605499.ss", "605499", kSh, T::AShare, Board::Main},
        {" 600519\t", "600519", kSh, T::AShare, Board::Main},
        {"688981", "688981", kSh, T::AShare, Board::Star},
        {"689009", "689009", kSh, T::AShare, Board::Star},
        {"900901", "900901", kSh, T::BShare, Board::BShare},
        {"510300", "510300", kSh, T::Fund, Board::Fund},
        {"113050", "113050", kSh, T::Bond, Board::Bond},
        {"019547", "019547", kSh, T::Bond, Board::Bond},
        // A spreadsheet drops the leading zeros: 878 is 000878, and 301 is 000301, not a
        // ChiNext code.
        {"878", "000878", kSz, T::AShare, Board::Main},
        {"301", "000301", kSz, T::AShare, Board::Main},
        {"1", "000001", kSz, T::AShare, Board::Main},
        {"2594", "002594", kSz, T::AShare, Board::Main},
        {"SZ000001", "000001", kSz, T::AShare, Board::Main},
        {"000001.sz", "000001", kSz, T::AShare, Board::Main},
        {"300750", "300750", kSz, T::AShare, Board::ChiNext},
        {"200002", "200002", kSz, T::BShare, Board::BShare},
        {"159915", "159915", kSz, T::Fund, Board::Fund},
        {"184801", "184801", kSz, T::InvestmentFund, Board::Fund},
        {"123100", "123100", kSz, T::Bond, Board::Bond},
        {"sz111000", "111000", kSz, T::Bond, Board::Bond},
        {"430047", "430047", kBj, T::AShare, Board::Beijing},
        {"830799.BJ", "830799", kBj, T::AShare, Board::Beijing},
        {"bj872808", "872808", kBj, T::AShare, Board::Beijing},
        {"920002", "920002", kBj, T::AShare, Board::Beijing},
    };
    for (const Told& c : cases) {
        SCOPED_TRACE(c.text);
        const CodeLookup found = LookUpCode(c.text);
        ASSERT_TRUE(found.code) << found.problem;
        EXPECT_EQ(found.code->digits, c.digits);
        EXPECT_EQ(found.code->range->exchange, c.exchange);
        EXPECT_EQ(found.code->range->type, c.type);
        EXPECT_EQ(found.code->range->board, c.board);
        // Beijing has no market of the calculator's; the other two are theirs.
        EXPECT_EQ(found.code->CalculatorMarket().has_value(), c.exchange != kBj);
        if (c.exchange == kSh) {
            EXPECT_EQ(found.code->CalculatorMarket(), Market::Shanghai);
        }
    }
}

TEST(SecurityCodes, UnknownAndMalformedAreToldNotGuessed) {
    const std::pair<const char*, const char*> cases[] = {
        {"sh000001", "not a code of a traded security known to the calculator on 沪市"},
        {"sz600000", "on 深市"},
        {"bj600000", "on 北交所"},
        {"730001", "730001 is not a code"}, // a Shanghai subscription code
        {"999999", "999999 is not a code"},
        {"111000",
         "both 沪市 and 深市"}, // convertible bond in Shanghai, enterprise bond in Shenzhen
        {"1234567", "not a security code"},
        {"", "not a security code"},
        {"sh", "not a security code"},
        {"600000.HK", "not a security code"},
        {"60 0000", "not a security code"},
        {"-600000", "not a security code"},
        {"６００００", "not a security code"}, // full-width digits
    };
    for (const auto& [text, problem] : cases) {
        SCOPED_TRACE(text);
        const CodeLookup found = LookUpCode(text);
        EXPECT_FALSE(found.code);
        EXPECT_NE(found.problem.find(problem), std::string::npos) << found.problem;
    }
}

TEST(SecurityCodes, EachRangeTellsItsOwnCodes) {
    for (const CodeRange& range : CodeRangeTable()) {
        SCOPED_TRACE(std::string(range.prefix));
        EXPECT_FALSE(range.source.empty());
        // A code of the range, filled with zeros, is told as that range.
        std::string digits(range.prefix);
        digits.resize(6, '0');
        const std::string prefix = range.exchange == Exchange::Shanghai   ? "sh"
                                   : range.exchange == Exchange::Shenzhen ? "sz"
                                                                          : "bj";
        const CodeLookup found = LookUpCode(prefix + digits);
        ASSERT_TRUE(found.code) << found.problem;
        EXPECT_EQ(found.code->range, &range);
    }
}

TEST(SecurityCodes, BoardsByWordAndCaption) {
    EXPECT_EQ(ParseBoard("ST"), Board::MainRiskWarning);
    EXPECT_EQ(ParseBoard("chinext"), Board::ChiNext);
    EXPECT_EQ(ParseBoard("科创板"), Board::Star);
    EXPECT_EQ(ParseBoard("bse"), Board::Beijing);
    EXPECT_EQ(ParseBoard("nasdaq"), std::nullopt);
    EXPECT_EQ(ParseBoard(""), std::nullopt);
}

} // namespace
} // namespace ym
