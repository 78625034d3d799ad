#include "core/oledate.h"

#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
}

namespace OleDate {

double fromDateTime(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return 0.0;
    const qint64 days = kEpoch.daysTo(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / kMsPerDay;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

QDateTime toDateTime(double oleDate)
{
    if (!std::isfinite(oleDate) || std::fabs(oleDate) > 3.0e6)
        return QDateTime();
    const double whole = std::trunc(oleDate);
    const double fraction = std::fabs(oleDate - whole);
    qint64 ms = qint64(std::llround(fraction * kMsPerDay));
    qint64 days = qint64(whole);
    if (ms >= qint64(kMsPerDay)) { // rounding reached the next midnight
        ms -= qint64(kMsPerDay);
        days += oleDate < 0 ? -1 : 1;
    }
    return QDateTime(kEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

double today()
{
    return double(kEpoch.daysTo(QDate::currentDate()));
}

QDateTime DayBound(bool endOfDay, const QDateTime &dateTime)
{
    const QTime time = endOfDay ? QTime(23, 59, 59, 999) : QTime(0, 0, 0, 0);
    return QDateTime(dateTime.date(), time, dateTime.timeSpec());
}

} // namespace OleDate
