#include "core/numfmt.h"

#include <cfenv>
#include <cmath>

namespace NumFmt {

double RoundHalfEven(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    const double unit = std::pow(10.0, -decimals);
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double units = std::nearbyint(value / unit);
    std::fesetround(previous);
    return units * unit;
}

QString Shortest(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString();
    QString text = QString::number(RoundHalfEven(value, decimals), 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

} // namespace NumFmt
