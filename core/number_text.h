// Number text: the conversions between numbers and text that the calculator and its
// settings file rely on. They follow the classic BASIC runtime the settings file was
// first written by, so that existing files read the same and values shown to the user
// round the way a person checking by hand expects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ym {

// Leading-number reading. Blanks, tabs, CR and LF are skipped anywhere; an optional
// sign, digits with at most one ".", an optional exponent (E, e, D or d). "&H"/"&O"
// read hexadecimal/octal integers: up to 4 digits as written (leading zeros count) wrap
// to a signed 16-bit value, more digits (or a trailing "&") to a signed 32-bit value.
// Text without a number reads 0. Returns nullopt when the text holds a number that
// cannot be represented (an exponent overflowing the double, a value beyond 32 bits).
std::optional<double> TryVal(std::string_view text);

// TryVal with an unrepresentable number read as 0.
double Val(std::string_view text);

// True only when the whole text, blanks around it allowed, is one number.
bool IsNumeric(std::string_view text);

// Number to text with 15 significant digits, exponent form below 1E-04 and from 1E+15.
// Str: a leading blank when not negative, no zero before the point (" .0035", "-.5").
std::string Str(double value);
// The general form: the same digits with the leading zero and no blank ("0.0035").
std::string GeneralForm(double value);

// Formats with a display mask made of "#", "0", ",", "." and "%" followed by literal
// text ("###,###,###,##0.00元"). The value is rounded half away from zero on its
// 15-significant-digit decimal form; a value that rounds to zero shows no minus sign.
std::string FormatMask(double value, std::string_view mask);

// The value as a statement shows it, to the fen: rounded to two decimals half away from
// zero on its 15-significant-digit decimal form, exactly as FormatMask rounds it, so that a
// fee added up is the fee shown. A tie such as 12345 x 0.001 = 12.345 goes up although its
// binary product may lie just below 12.345. Non-finite values come back unchanged.
double RoundToCents(double value);

inline constexpr std::string_view kYuanMask = "###,###,###,##0.00元";
inline constexpr std::string_view kPercentMask = "###,###,###,##0.00 %";
inline constexpr std::string_view kEntryMask = "######0.00##";
inline constexpr std::string_view kExRightsMask = "######0.00";

// Rounding to 16/32-bit integers, half to even; nullopt outside the type's range.
std::optional<std::int16_t> ToInt16(double value);
std::optional<std::int32_t> ToInt32(double value);

} // namespace ym
