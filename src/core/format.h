#pragma once

#include <QString>

namespace zq {
// Format pictures "0000", "000", "00": at least `digits` digits, zero-padded,
// the minus sign in front of the padding.
QString formatPadded(int value, int digits);

// A number written as a number: a leading space (or the minus sign in its
// place), the digits, and one trailing space.
QString numberItem(long long value);

// The same, appended to `out` without a string of their own (hot loops).
void appendPadded(QString &out, int value, int digits);
void appendNumberItem(QString &out, long long value);
} // namespace zq
