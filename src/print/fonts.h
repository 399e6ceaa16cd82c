#pragma once

#include <QFont>
#include <QString>

namespace zq {
// Maps the window's designed font faces to close ones that exist here, so
// Chinese never renders as boxes. Call once after the application exists.
void installFontSubstitutes();

QFont designFont(const QString &family, double points, bool bold = false);
} // namespace zq
