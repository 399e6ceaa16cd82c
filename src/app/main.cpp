#include "core/dialogs.h"
#include "core/fonts.h"
#include "core/form1.h"
#include "core/singleinstance.h"
#include "link/portnames.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zqtemp"));
    zq::installFontSubstitutes();

    Form1 window;
    const auto devices = zq::portDevicesFromArguments(QApplication::arguments());
    window.setPortDevices(devices.first, devices.second);

    SingleInstance single(SingleInstance::defaultLockPath());
    if (single.anotherCopyRuns()) {
        window.dialogs().message(QStringLiteral("这个程序正在运行！"), zq::kBoxTitle, QMessageBox::Ok,
            QMessageBox::Warning, QMessageBox::Ok);
        return 0;
    }
    window.show();
    // Lets the start-up benchmark time the way to a shown window.
    if (qEnvironmentVariableIsSet("ZQTEMP_EXIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
