#pragma once

#include "platform/clock.h"

#include <QDate>
#include <QTime>

#include <cmath>

namespace tally {

// TDateTime days count from 1899-12-30.
inline QDate ToQDate(TDateTime t)
{
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(t)));
}

inline TDateTime FromQDate(const QDate& date)
{
    return static_cast<TDateTime>(QDate(1899, 12, 30).daysTo(date));
}

inline QTime ToQTime(TDateTime t)
{
    const double fraction = t - std::floor(t);
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(std::llround(fraction * 86400000.0)) % 86400000);
}

inline TDateTime FromQTime(const QTime& time)
{
    return time.msecsSinceStartOfDay() / 86400000.0;
}

} // namespace tally
