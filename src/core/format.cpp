#include "core/format.h"

#include <cstdlib>

namespace zq {
namespace {
// The digits of |value| into the end of buf; returns where they start.
char *digitsOf(long long value, char *end)
{
    unsigned long long v = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
    char *p = end;
    do {
        *--p = char('0' + v % 10);
        v /= 10;
    } while (v);
    return p;
}
} // namespace

void appendPadded(QString &out, int value, int digits)
{
    char buf[24];
    char *end = buf + sizeof buf;
    char *p = digitsOf(value, end);
    if (value < 0)
        out += QLatin1Char('-');
    for (int pad = digits - int(end - p); pad > 0; --pad)
        out += QLatin1Char('0');
    out += QLatin1String(p, int(end - p));
}

void appendNumberItem(QString &out, long long value)
{
    char buf[24];
    char *end = buf + sizeof buf;
    char *p = digitsOf(value, end);
    out += value < 0 ? QLatin1Char('-') : QLatin1Char(' ');
    out += QLatin1String(p, int(end - p));
    out += QLatin1Char(' ');
}

QString formatPadded(int value, int digits)
{
    QString out;
    out.reserve(digits + 2);
    appendPadded(out, value, digits);
    return out;
}

QString numberItem(long long value)
{
    QString out;
    out.reserve(22);
    appendNumberItem(out, value);
    return out;
}
} // namespace zq
