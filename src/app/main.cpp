#include "link/portnames.h"
#include "print/fonts.h"
#include "window/form1.h"
#include "window/singleinstance.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // These name the settings and the downloads folder: never change them.
    QApplication::setOrganizationName(QStringLiteral("Lorvant"));
    QApplication::setApplicationName(QStringLiteral("zqtemp"));
    zq::installFontSubstitutes();

    Form1 window;
    const auto devices = zq::portDevicesFromArguments(QApplication::arguments());
    window.setPortDevices(devices.first, devices.second);

    SingleInstance single(SingleInstance::defaultLockPath());
    if (!showAsSingleCopy(window, single))
        return 0;
    return QApplication::exec();
}
