#include "core/trade_date.h"

#include <cstdio>

namespace ym {

namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The number made of `count` ASCII digits at `at`, or -1.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

std::optional<Date> ParseDate(std::string_view text) {
    const bool dashed = text.size() == 10 && text[4] == '-' && text[7] == '-';
    if (!dashed && text.size() != 8) {
        return std::nullopt;
    }
    const std::size_t monthAt = dashed ? 5 : 4;
    const std::size_t dayAt = dashed ? 8 : 6;
    const Date date{Digits(text, 0, 4), Digits(text, monthAt, 2), Digits(text, dayAt, 2)};
    if (date.year < 1900 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month)) {
        return std::nullopt;
    }
    return date;
}

std::string FormatDate(const Date& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

Date PreviousDay(const Date& date) {
    if (date.day > 1) {
        return {date.year, date.month, date.day - 1};
    }
    if (date.month > 1) {
        return {date.year, date.month - 1, DaysInMonth(date.year, date.month - 1)};
    }
    return {date.year - 1, 12, 31};
}

Date NextDay(const Date& date) {
    if (date.day < DaysInMonth(date.year, date.month)) {
        return {date.year, date.month, date.day + 1};
    }
    if (date.month < 12) {
        return {date.year, date.month + 1, 1};
    }
    return {date.year + 1, 1, 1};
}

} // namespace ym
