// A calendar date, the day a trade was made: the official fee rules are chosen by it.
// Nothing in the core reads the clock; a caller that wants "today" supplies it.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace ym {

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;

    friend constexpr auto operator<=>(const Date&, const Date&) = default;
};

// "YYYY-MM-DD" or "YYYYMMDD", a real day of the Gregorian calendar from 1900 to 9999;
// nullopt for anything else.
std::optional<Date> ParseDate(std::string_view text);

// "YYYY-MM-DD".
std::string FormatDate(const Date& date);

// The day before and the day after, across month and year ends.
Date PreviousDay(const Date& date);
Date NextDay(const Date& date);

} // namespace ym
