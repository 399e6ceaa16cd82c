// A port's failures told in words that say what to do. Runs as an
// unprivileged user, since root may open any device.
#include "link/commport.h"
#include "link/porterrors.h"
#include "support/bench.h"

#include <QSerialPort>
#include <QTemporaryDir>
#include <grp.h>
#include <sys/stat.h>

namespace {
QString g_devices; // a folder of devices made before privileges are dropped

// A file standing in for a device, with its owner, group and mode.
bool makeDevice(const QString &name, const char *group, mode_t mode)
{
    const QString path = QDir(g_devices).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.close();
    const struct group *g = ::getgrnam(group);
    return g && ::chown(QFile::encodeName(path).constData(), 0, g->gr_gid) == 0
        && ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}
} // namespace

class TstPorts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void errorTexts_data();
    void errorTexts();
    void permissionIsTold_data();
    void permissionIsTold();
};

void TstPorts::errorTexts_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<bool>("brltty");
    QTest::addColumn<QString>("text");
    const QString head = QStringLiteral("串口 COM 2（/dev/ttyUSB0）");
    QTest::newRow("no such device") << int(QSerialPort::DeviceNotFoundError) << false << true << false
                                    << "找不到" + head
            + "。请检查连接线和 USB 转串口适配器是否插好。\n现有的串口：/dev/ttyS0";
    QTest::newRow("brltty took the adapter") << int(QSerialPort::DeviceNotFoundError) << false << true << true
                                             << "找不到" + head
            + "。请检查连接线和 USB 转串口适配器是否插好。\n现有的串口：/dev/ttyS0\n已插入 USB "
              "转串口适配器，但没有出现设备文件：盲文服务 brltty 常会占用这类适配器。可运行 sudo apt remove brltty "
              "删除它，然后重新插上适配器。";
    QTest::newRow("permission") << int(QSerialPort::PermissionError) << true << false << false
                                << "没有权限打开" + head
            + "：当前用户不在设备所属的 dialout 组中。\n请运行 sudo usermod -aG dialout $USER，然后注销并重新登录。";
    QTest::newRow("busy") << int(QSerialPort::PermissionError) << true << true << false
                          << head + "正被其他程序占用（进程 4242 (minicom)）。请先关闭那个程序再试。";
    QTest::newRow("vanished") << int(QSerialPort::ResourceError) << false << true << false
                              << head + "已断开：适配器被拔出或连接中断。已收到的读数已保留。";
    QTest::newRow("anything else") << int(QSerialPort::UnknownError) << true << true << false
                                   << "无法打开" + head + "。系统的原因：Unknown error";
}

void TstPorts::errorTexts()
{
    QFETCH(int, error);
    QFETCH(bool, exists);
    QFETCH(bool, accessible);
    QFETCH(bool, brltty);
    QFETCH(QString, text);
    zq::PortFacts facts;
    facts.exists = exists;
    facts.accessible = accessible;
    facts.group = "dialout";
    facts.groupReadWrite = true;
    facts.holders = {"4242 (minicom)"};
    facts.present = {"/dev/ttyS0"};
    // brltty runs in every row: only an adapter without its node makes it the likely cause.
    facts.brltty = true;
    facts.adapterWithoutNode = brltty;
    QCOMPARE(zq::portErrorText(2, "/dev/ttyUSB0", QSerialPort::SerialPortError(error), "Unknown error", facts), text);
}

void TstPorts::permissionIsTold_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("advice");
    // Joining tty gives write only; joining root is no advice at all.
    QTest::newRow("root:tty 0620") << "ttyTTY"
                                   << "只有 其所有者（用户 root、组 tty、权限 0620）可以打开它";
    QTest::newRow("root:root 0600") << "ttyROOT"
                                    << "只有 其所有者（用户 root、组 root、权限 0600）可以打开它";
    QTest::newRow("root:dialout 0660") << "ttyDIALOUT"
                                       << "sudo usermod -aG dialout $USER";
}

void TstPorts::permissionIsTold()
{
    ZQ_SKIP_WITHOUT(Need::Zqcli);
    QFETCH(QString, device);
    QFETCH(QString, advice);
    if (!QFileInfo::exists(QDir(g_devices).filePath(device)))
        QSKIP("the devices are made as root");
    QVERIFY(::geteuid() != 0);
    const QString path = QDir(g_devices).filePath(device);
    Bench line(path);
    const QString told = line.start();
    QVERIFY2(told.startsWith(QStringLiteral("没有权限打开串口 COM 1（%1）").arg(path)) && told.contains(advice),
        qPrintable(told));
    QCOMPARE(told.contains("usermod"), device == "ttyDIALOUT");
    // zqcli gives the same advice.
    QProcess cli;
    cli.start(qEnvironmentVariable("ZQCLI_BIN"), {"download", "--port", path});
    QVERIFY(cli.waitForFinished(10000));
    QCOMPARE(cli.exitCode(), 1);
    QVERIFY2(QString::fromUtf8(cli.readAllStandardError()).contains(advice), qPrintable(told));
}

int main(int argc, char *argv[])
{
    // Devices this user may not open, once the test runs as nobody.
    static QTemporaryDir dir;
    dir.setAutoRemove(true);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    g_devices = dir.path();
    if (::geteuid() == 0
        && !(makeDevice("ttyTTY", "tty", 0620) && makeDevice("ttyROOT", "root", 0600)
            && makeDevice("ttyDIALOUT", "dialout", 0660)))
        qFatal("cannot make the devices");
    // The folder goes to the user the test becomes, so it can clean up after itself.
    if (::geteuid() == 0 && ::chown(QFile::encodeName(dir.path()).constData(), 65534, 65534) != 0)
        qFatal("cannot hand the folder over");
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    QCoreApplication app(argc, argv);
    TstPorts ports;
    return QTest::qExec(&ports, argc, argv);
}

#include "tst_ports.moc"
