// The stand-ins for the library's conversions, which the WebAssembly build uses, give what
// the library gives: the same double, the same end and the same error for every text the
// core parses, and the same digits for every value it formats.
#include "core/portable.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>

namespace ym::portable {
namespace {

void ExpectSameParse(std::string_view text) {
    SCOPED_TRACE(std::string(text));
    const char* first = text.data();
    const char* last = text.data() + text.size();
    double expected = -7.25;
    double actual = -7.25;
    const auto want = std::from_chars(first, last, expected, std::chars_format::general);
    const auto got = fallback::ParseDouble(first, last, actual);
    EXPECT_EQ(got.ec, want.ec);
    EXPECT_EQ(got.ptr - first, want.ptr - first);
    EXPECT_EQ(BitCast<std::uint64_t>(actual), BitCast<std::uint64_t>(expected));
}

TEST(PortableParse, TextsTheCoreReadsAndTheirEdges) {
    constexpr std::array<std::string_view, 36> kTexts{
        "10.01", "0.1", "999999", "-0.005", "5.", ".5", "0", "-0", "00012.3400",
        // halfway between two doubles, and just either side of it
        "9007199254740993", "9007199254740992.9999999999", "9007199254740993.0000000001",
        "0.1000000000000000055511151231257827021181583404541015625",
        // the largest double, past it, and the overflow
        "1.7976931348623157e308", "1.7976931348623158e308", "1.8e308", "1e400",
        // the smallest normal, a subnormal, the smallest, and the underflow
        "2.2250738585072014e-308", "4.9e-324", "2.4703282292062328e-324", "1e-400", "0e-999",
        // where the number ends before what follows it
        "1e", "1e+", "1E-2", "12.5x", "3.25e2abc", "1.2.3", "7-1",
        // nothing to read
        "", "-", ".", "-.", "+1", " 1", "e5"};
    for (std::string_view text : kTexts) {
        ExpectSameParse(text);
    }
}

TEST(PortableParse, ShortestAndFullDigitsOfManyDoubles) {
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<std::uint64_t> bits;
    std::uniform_int_distribution<int> fen(0, 99999999);
    for (int i = 0; i < 20000; ++i) {
        double value = BitCast<double>(bits(random));
        if (!std::isfinite(value)) {
            continue;
        }
        // Half of them prices and amounts as a user types them.
        if (i % 2 == 0) {
            value = fen(random) / 100.0;
        }
        std::array<char, 64> buffer{};
        auto shortest = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
        ExpectSameParse(std::string_view(buffer.data(), shortest.ptr - buffer.data()));
        auto full = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                  std::chars_format::scientific, 16);
        ExpectSameParse(std::string_view(buffer.data(), full.ptr - buffer.data()));
    }
}

TEST(PortableFormat, FifteenDigitsAsTheLibraryWritesThem) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::uint64_t> bits;
    std::array<double, 6> edges{
        0.0, 0.125, 1e-320, 123456789012345.5, 0.005, std::numeric_limits<double>::max()};
    for (int i = 0; i < 20000 + static_cast<int>(edges.size()); ++i) {
        const double value = i < static_cast<int>(edges.size())
                                 ? edges[static_cast<std::size_t>(i)]
                                 : std::fabs(BitCast<double>(bits(random)));
        if (!std::isfinite(value)) {
            continue;
        }
        std::array<char, 64> want{};
        std::array<char, 64> got{};
        const auto w = std::to_chars(want.data(), want.data() + want.size(), value,
                                     std::chars_format::scientific, 14);
        const auto g = fallback::FormatScientific(got.data(), got.data() + got.size(), value, 14);
        ASSERT_EQ(g.ec, std::errc());
        EXPECT_EQ(std::string_view(got.data(), g.ptr - got.data()),
                  std::string_view(want.data(), w.ptr - want.data()));
    }
    std::array<char, 8> small{};
    EXPECT_EQ(fallback::FormatScientific(small.data(), small.data() + small.size(), 1.5, 14).ec,
              std::errc::value_too_large);
}

} // namespace
} // namespace ym::portable
