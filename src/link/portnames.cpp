#include "link/portnames.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace zq {
QPair<QString, QString> defaultPortDevices()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("COM1"), QStringLiteral("COM2")};
#else
    QStringList usb, others;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString loc = info.systemLocation();
        if (info.hasVendorIdentifier() || loc.contains(QLatin1String("USB")) || loc.contains(QLatin1String("ACM")))
            usb.append(loc);
        else
            others.append(loc);
    }
    std::sort(usb.begin(), usb.end());
    std::sort(others.begin(), others.end());
    const QStringList all = usb + others;
    return {all.value(0, QStringLiteral("/dev/ttyS0")), all.value(1, QStringLiteral("/dev/ttyS1"))};
#endif
}

} // namespace zq
