#pragma once

#include <QPair>
#include <QString>
#include <QStringList>

namespace zq {
// Which devices "COM 1" and "COM 2" stand for: the first two serial ports the
// system lists, USB adapters first, each group by name; /dev/ttyS0 and
// /dev/ttyS1 when there are none.
QPair<QString, QString> defaultPortDevices();
} // namespace zq
