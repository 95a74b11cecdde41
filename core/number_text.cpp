#include "core/number_text.h"
#include "core/portable.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace ym {
namespace {

// The old runtime ignored these wherever they stood, even between the digits of one number.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int DigitValue(char c, int radix) {
    int d = -1;
    if (c >= '0' && c <= '9') {
        d = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        d = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        d = c - 'A' + 10;
    }
    return d < radix ? d : -1;
}

// A scan over the text that steps over blanks before every character it looks at.
struct Scanner {
    std::string_view text;
    std::size_t pos = 0;

    void SkipBlanks() {
        while (pos < text.size() && IsBlank(text[pos])) {
            ++pos;
        }
    }
    // The next non-blank character, or '\0' at the end. An embedded NUL is not a number
    // character either, so treating it as the end changes nothing.
    char Peek() {
        SkipBlanks();
        return pos < text.size() ? text[pos] : '\0';
    }
    bool AtEnd() {
        SkipBlanks();
        return pos >= text.size();
    }
};

struct ReadResult {
    std::optional<double> value;
    bool sawNumber = false; // digits were found
    bool complete = true;   // every part that was started was finished (for IsNumeric)
};

// "&H"/"&O" literals: up to four digits as written (leading zeros count) wrap to a signed
// 16-bit integer, unless a trailing "&" asks for 32 bits; more digits, or the "&", give a
// signed 32-bit integer. A value beyond 32 bits cannot be represented.
ReadResult ReadRadix(Scanner& s, int radix) {
    constexpr int kShortDigits = 4;
    ReadResult r;
    std::uint64_t value = 0;
    int digits = 0;
    bool overflow = false;
    for (;;) {
        char c = s.Peek();
        int d = DigitValue(c, radix);
        if (c == '\0' || d < 0) {
            break;
        }
        ++s.pos;
        ++digits;
        r.sawNumber = true;
        if (!overflow) {
            value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
            if (value > 0xFFFFFFFFu) {
                overflow = true;
            }
        }
    }
    bool forceLong = false;
    if (s.Peek() == '&') {
        ++s.pos;
        forceLong = true;
    }
    if (!r.sawNumber) {
        r.value = 0.0;
        r.complete = false;
        return r;
    }
    if (overflow) {
        return r; // value stays empty: more than 32 bits cannot be represented
    }
    if (!forceLong && digits <= kShortDigits) {
        auto v = static_cast<std::uint16_t>(value);
        r.value = static_cast<double>(static_cast<std::int16_t>(v));
    } else {
        auto v = static_cast<std::uint32_t>(value);
        r.value = static_cast<double>(static_cast<std::int32_t>(v));
    }
    return r;
}

ReadResult ReadDecimal(Scanner& s) {
    ReadResult r;
    bool negative = false;
    char c = s.Peek();
    if (c == '+' || c == '-') {
        negative = c == '-';
        ++s.pos;
    }

    // The collected mantissa: digits and at most one point, blanks left out.
    std::string mantissa;
    if (negative) {
        mantissa.push_back('-');
    }
    bool seenPoint = false;
    std::int64_t integerDigits = 0;
    std::int64_t fractionDigits = 0;
    // Where the first non-zero digit stood (1-based, in the integer part or after the
    // point); tells an underflow from an overflow below.
    std::optional<std::int64_t> firstInteger;
    std::optional<std::int64_t> firstFraction;
    for (;;) {
        c = s.Peek();
        if (IsDigit(c)) {
            mantissa.push_back(c);
            r.sawNumber = true;
            if (!seenPoint) {
                ++integerDigits;
                if (!firstInteger && c != '0') {
                    firstInteger = integerDigits;
                }
            } else {
                ++fractionDigits;
                if (!firstInteger && !firstFraction && c != '0') {
                    firstFraction = fractionDigits;
                }
            }
            ++s.pos;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            mantissa.push_back('.');
            ++s.pos;
        } else {
            break;
        }
    }
    if (!r.sawNumber) {
        r.value = 0.0;
        r.complete = false;
        return r;
    }
    if (mantissa.back() == '.') {
        mantissa.pop_back(); // "12." is 12
    }

    // Exponent. Its value saturates far beyond any double's range; the digits that would
    // follow are still consumed so that the number ends where the text's number ends.
    std::int64_t exponent = 0;
    c = s.Peek();
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
        ++s.pos;
        bool expNegative = false;
        c = s.Peek();
        if (c == '+' || c == '-') {
            expNegative = c == '-';
            ++s.pos;
        }
        bool expDigits = false;
        while (IsDigit(c = s.Peek())) {
            expDigits = true;
            if (exponent < 1'000'000'000) {
                exponent = exponent * 10 + (c - '0');
            }
            ++s.pos;
        }
        if (!expDigits) {
            r.complete = false; // "1e" reads 1, but is not a whole number text
            exponent = 0;
        }
        if (expNegative) {
            exponent = -exponent;
        }
    }

    if (!firstInteger && !firstFraction) {
        r.value = 0.0; // all zeros, whatever the exponent; never a negative zero
        return r;
    }

    std::string number = mantissa;
    if (exponent != 0) {
        number.push_back('e');
        number += std::to_string(exponent);
    }
    double value = 0;
    const char* first = number.data();
    const char* last = number.data() + number.size();
    auto [ptr, ec] = portable::ParseDouble(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        // Tell an underflow (reads 0) from an overflow (cannot be represented) by the
        // decimal exponent of the leading significant digit.
        const std::int64_t lead = firstInteger ? integerDigits - *firstInteger : -*firstFraction;
        if (lead + exponent < 0) {
            r.value = 0.0;
            return r;
        }
        // The largest double writes as "1.79769313486232E+308", a little above itself.
        // Such a text must read back as the largest double, or a value the program wrote
        // would not survive the settings file. Anything larger cannot be represented.
        if (lead + exponent == 308) {
            std::string digits;
            for (char ch : mantissa) {
                if (IsDigit(ch) && (ch != '0' || !digits.empty())) {
                    digits.push_back(ch);
                }
            }
            while (!digits.empty() && digits.back() == '0') {
                digits.pop_back();
            }
            if (digits <= "179769313486232") {
                r.value = negative ? -std::numeric_limits<double>::max()
                                   : std::numeric_limits<double>::max();
            }
        }
        return r;
    }
    if (ec != std::errc() || ptr != last) {
        r.value = 0.0; // cannot happen with the text assembled above; read as nothing
        return r;
    }
    if (value == 0) {
        value = 0.0;
    }
    r.value = value;
    return r;
}

ReadResult Read(Scanner& s) {
    if (s.Peek() == '&') {
        ++s.pos;
        char c = s.Peek();
        if (c == 'H' || c == 'h') {
            ++s.pos;
            return ReadRadix(s, 16);
        }
        if (c == 'O' || c == 'o') {
            ++s.pos;
            return ReadRadix(s, 8);
        }
        ReadResult r;
        r.value = 0.0;
        r.complete = false;
        return r;
    }
    return ReadDecimal(s);
}

// The 15-significant-digit decimal form of a finite value: digits without trailing zeros
// (at least one) and the decimal exponent of the first digit.
struct Decimal15 {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal15 ToDecimal15(double value) {
    Decimal15 d;
    if (value == 0) {
        d.digits = "0";
        return d;
    }
    d.negative = value < 0;
    char buf[64];
    // Locale-independent and correctly rounded; printf would follow the
    // process locale, which a window toolkit may have switched to a decimal comma.
    auto res = portable::FormatScientific(buf, buf + sizeof buf, std::fabs(value), 14);
    std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    std::size_t e = text.find('e');
    d.digits.push_back(text[0]);
    d.digits.append(text.substr(2, e - 2));
    int exp = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exp);
    d.exponent = exp;
    while (d.digits.size() > 1 && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    return d;
}

std::string NonFiniteText(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    return value < 0 ? "-Inf" : "Inf";
}

// The unsigned general form of a finite value.
std::string UnsignedGeneral(const Decimal15& d) {
    std::string out;
    const int len = static_cast<int>(d.digits.size());
    if (d.exponent < -4 || d.exponent >= 15) {
        out.push_back(d.digits[0]);
        if (len > 1) {
            out.push_back('.');
            out.append(d.digits, 1);
        }
        out.push_back('E');
        out.push_back(d.exponent < 0 ? '-' : '+');
        int mag = d.exponent < 0 ? -d.exponent : d.exponent;
        if (mag < 10) {
            out.push_back('0');
        }
        out += std::to_string(mag);
    } else if (d.exponent >= 0) {
        const int intLen = d.exponent + 1;
        if (len <= intLen) {
            out = d.digits;
            out.append(static_cast<std::size_t>(intLen - len), '0');
        } else {
            out.append(d.digits, 0, static_cast<std::size_t>(intLen));
            out.push_back('.');
            out.append(d.digits, static_cast<std::size_t>(intLen));
        }
    } else {
        out = "0.";
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out += d.digits;
    }
    return out;
}

bool IsMaskPlaceholder(char c) {
    return c == '#' || c == '0' || c == ',' || c == '.';
}

// Adds one unit in the last place of a string of decimal digits; returns the carry out.
bool IncrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<double> TryVal(std::string_view text) {
    Scanner s{text};
    return Read(s).value;
}

double Val(std::string_view text) {
    return TryVal(text).value_or(0.0);
}

bool IsNumeric(std::string_view text) {
    // Interior blanks would be skipped by the reader; a whole-text number has none.
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    std::string_view core = text.substr(begin, end - begin);
    for (char c : core) {
        if (IsBlank(c)) {
            return false;
        }
    }
    Scanner t{core};
    ReadResult r = Read(t);
    return r.sawNumber && r.complete && r.value.has_value() && t.AtEnd();
}

std::string GeneralForm(double value) {
    if (!std::isfinite(value)) {
        return NonFiniteText(value);
    }
    Decimal15 d = ToDecimal15(value);
    std::string body = UnsignedGeneral(d);
    return d.negative ? "-" + body : body;
}

std::string Str(double value) {
    if (!std::isfinite(value)) {
        std::string t = NonFiniteText(value);
        return t[0] == '-' ? t : " " + t;
    }
    Decimal15 d = ToDecimal15(value);
    std::string body = UnsignedGeneral(d);
    if (body.size() > 1 && body[0] == '0' && body[1] == '.') {
        body.erase(0, 1);
    }
    return (d.negative ? "-" : " ") + body;
}

std::string FormatMask(double value, std::string_view mask) {
    // The mask: a run of digit placeholders, then literal text. A "%" anywhere scales by
    // one hundred and stays in the literal text where it was written.
    std::size_t split = 0;
    while (split < mask.size() && IsMaskPlaceholder(mask[split])) {
        ++split;
    }
    std::string_view pattern = mask.substr(0, split);
    std::string_view suffix = mask.substr(split);
    const bool percent = mask.find('%') != std::string_view::npos;

    std::size_t point = pattern.find('.');
    std::string_view intPattern = pattern.substr(0, point);
    std::string_view fracPattern =
        point == std::string_view::npos ? std::string_view{} : pattern.substr(point + 1);
    const bool grouping = intPattern.find(',') != std::string_view::npos;
    std::size_t minInt = 0;
    bool zeroSeen = false;
    for (char c : intPattern) {
        if (c == '0') {
            zeroSeen = true;
        }
        if (zeroSeen && (c == '0' || c == '#')) {
            ++minInt;
        }
    }
    std::size_t maxFrac = 0;
    std::size_t minFrac = 0;
    for (char c : fracPattern) {
        if (c == '0' || c == '#') {
            ++maxFrac;
            if (c == '0') {
                minFrac = maxFrac;
            }
        }
    }

    if (!std::isfinite(value)) {
        return NonFiniteText(value) + std::string(suffix);
    }
    if (pattern.empty()) {
        return GeneralForm(value) + std::string(suffix); // no digit placeholders at all
    }

    Decimal15 d = ToDecimal15(value);
    if (percent && value != 0) {
        d.exponent += 2;
    }
    // Split the digits at the decimal point.
    std::string intDigits;
    std::string fracDigits;
    if (value != 0) {
        const long long len = static_cast<long long>(d.digits.size());
        const long long intLen = static_cast<long long>(d.exponent) + 1;
        if (intLen <= 0) {
            fracDigits.assign(static_cast<std::size_t>(-intLen), '0');
            fracDigits += d.digits;
        } else if (intLen >= len) {
            intDigits = d.digits;
            intDigits.append(static_cast<std::size_t>(intLen - len), '0');
        } else {
            intDigits = d.digits.substr(0, static_cast<std::size_t>(intLen));
            fracDigits = d.digits.substr(static_cast<std::size_t>(intLen));
        }
    }

    // Round half away from zero on the decimal digits.
    if (fracDigits.size() > maxFrac) {
        const bool up = fracDigits[maxFrac] >= '5';
        fracDigits.resize(maxFrac);
        if (up) {
            bool carry = IncrementDigits(fracDigits);
            if (carry) {
                if (IncrementDigits(intDigits) || intDigits.empty()) {
                    intDigits.insert(intDigits.begin(), '1');
                }
            }
        }
    }
    if (fracDigits.size() < minFrac) {
        fracDigits.append(minFrac - fracDigits.size(), '0');
    }
    while (fracDigits.size() > minFrac && fracDigits.back() == '0') {
        fracDigits.pop_back();
    }

    std::size_t lead = intDigits.find_first_not_of('0');
    intDigits.erase(0, lead == std::string::npos ? intDigits.size() : lead);
    const bool isZero = intDigits.empty() && fracDigits.find_first_not_of('0') == std::string::npos;
    if (intDigits.size() < minInt) {
        intDigits.insert(0, minInt - intDigits.size(), '0');
    }

    std::string out;
    if (d.negative && !isZero) {
        out.push_back('-');
    }
    if (grouping) {
        for (std::size_t i = 0; i < intDigits.size(); ++i) {
            if (i > 0 && (intDigits.size() - i) % 3 == 0) {
                out.push_back(',');
            }
            out.push_back(intDigits[i]);
        }
    } else {
        out += intDigits;
    }
    if (!fracDigits.empty()) {
        out.push_back('.');
        out += fracDigits;
    }
    if (out.empty()) {
        out = "0"; // a mask of only optional digits still shows something for zero
    }
    out += suffix;
    return out;
}

double RoundToCents(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double scaled = std::fabs(value) * 100;
    // Far from a half fen, the 15-digit form (within 5e-15 of the value, relatively) and
    // the binary product round the same way; only near-ties need the decimal digits.
    if (scaled < 0x1p50) {
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        if (std::fabs(fraction - 0.5) > scaled * 1e-13) {
            const double fen = fraction > 0.5 ? whole + 1 : whole;
            if (fen == 0) {
                return 0.0;
            }
            return value < 0 ? -fen / 100 : fen / 100;
        }
    }
    Decimal15 d = ToDecimal15(value);
    // Digits from the first one down to the fen.
    const int keep = d.exponent + 3;
    if (keep <= 0) {
        const bool up = keep == 0 && d.digits[0] >= '5';
        return !up ? 0.0 : (d.negative ? -0.01 : 0.01);
    }
    std::string digits = d.digits;
    int exponent = d.exponent;
    if (static_cast<int>(digits.size()) > keep) {
        const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
        if (up && IncrementDigits(digits)) {
            digits.insert(digits.begin(), '1');
            ++exponent;
        }
    }
    const std::string text =
        digits + "e" + std::to_string(exponent + 1 - static_cast<int>(digits.size()));
    double rounded = 0;
    portable::ParseDouble(text.data(), text.data() + text.size(), rounded);
    return d.negative ? -rounded : rounded;
}

namespace {

// Round half to even on the binary value, inside [lo - 0.5, hi + 0.5).
std::optional<long long> RoundHalfEven(double value, double lo, double hi) {
    if (!(value >= lo - 0.5 && value < hi + 0.5)) {
        return std::nullopt; // NaN fails the test too
    }
    double f = std::floor(value);
    double diff = value - f; // exact for these magnitudes
    long long n = static_cast<long long>(f);
    if (diff > 0.5 || (diff == 0.5 && (n % 2 != 0))) {
        ++n;
    }
    return n;
}

} // namespace

std::optional<std::int16_t> ToInt16(double value) {
    auto n = RoundHalfEven(value, -32768.0, 32767.0);
    if (!n) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(*n);
}

std::optional<std::int32_t> ToInt32(double value) {
    auto n = RoundHalfEven(value, -2147483648.0, 2147483647.0);
    if (!n) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*n);
}

} // namespace ym
