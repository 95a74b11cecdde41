// Days between the core (ym::Date) and Qt.
#pragma once

#include "core/trade_date.h"

#include <QDate>

namespace ym::ui {

inline QDate ToQDate(const Date& date) {
    return {date.year, date.month, date.day};
}
inline Date FromQDate(const QDate& date) {
    return {date.year(), date.month(), date.day()};
}

} // namespace ym::ui
