#pragma once

#include <QDateTime>

// OLE automation dates: days since 1899-12-30, the fraction the time of day.
// Before the epoch the integer part counts days back and the fraction still
// counts forward from midnight (-1.25 is 1899-12-29 06:00).
namespace OleDate {


double fromDateTime(const QDateTime &dateTime);
QDateTime toDateTime(double oleDate);

// Midnight of today, as the case object's default birthday.
double today();

// The same calendar day at 00:00:00.000, or at 23:59:59.999 with endOfDay.
QDateTime DayBound(bool endOfDay, const QDateTime &dateTime);

} // namespace OleDate
