#include "core/format.h"

#include <cstdlib>

namespace zq {
QString formatPadded(int value, int digits)
{
    const QString body
        = QString::number(std::llabs(static_cast<long long>(value))).rightJustified(digits, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + body : body;
}

QString numberItem(long long value)
{
    const QString digits = QString::number(std::llabs(value));
    return (value < 0 ? QLatin1Char('-') : QLatin1Char(' ')) + digits + QLatin1Char(' ');
}
} // namespace zq
