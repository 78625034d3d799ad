#pragma once

#include <QString>

// Money and quantities: rounded half to even to a number of decimals, shown in
// the shortest decimal form (no trailing zeros). The one helper for both.
namespace NumFmt {

// Divides by the unit (10^-decimals), rounds half to even, multiplies back.
double RoundHalfEven(double value, int decimals);

// "12.5" for 12.50, "3" for 3.00, "0" for -0.001 at two decimals.
QString Shortest(double value, int decimals);

} // namespace NumFmt
