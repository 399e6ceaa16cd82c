// A port's failures told in words that say what to do. Runs as an
// unprivileged user, since root may open any device.
#include "link/commport.h"
#include "link/porterrors.h"
#include "support/bench.h"

#include <QScopeGuard>
#include <QSerialPort>
#include <QTemporaryDir>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {
QString g_devices; // a folder of devices made before privileges are dropped
qint64 g_leftPid = 0; // the ended process whose lock root left

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
    void lockIsTold_data();
    void lockIsTold();
};

void TstPorts::errorTexts_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<bool>("brltty");
    QTest::addColumn<QString>("lock"); // none, left by an ended program, held by a running one
    QTest::addColumn<QString>("text");
    const QString head = QStringLiteral("串口 COM 2（/dev/ttyUSB0）");
    QTest::newRow("no such device") << int(QSerialPort::DeviceNotFoundError) << false << true << false << ""
                                    << "找不到" + head
            + "。请检查连接线和 USB 转串口适配器是否插好。\n现有的串口：/dev/ttyS0";
    QTest::newRow("brltty took the adapter") << int(QSerialPort::DeviceNotFoundError) << false << true << true << ""
                                             << "找不到" + head
            + "。请检查连接线和 USB 转串口适配器是否插好。\n现有的串口：/dev/ttyS0\n已插入 USB "
              "转串口适配器，但没有出现设备文件：盲文服务 brltty 常会占用这类适配器。可运行 sudo apt remove brltty "
              "删除它，然后重新插上适配器。";
    QTest::newRow("permission") << int(QSerialPort::PermissionError) << true << false << false << ""
                                << "没有权限打开" + head
            + "：当前用户不在设备所属的 dialout 组中。\n请运行 sudo usermod -aG dialout $USER，然后注销并重新登录。";
    QTest::newRow("busy") << int(QSerialPort::PermissionError) << true << true << false << ""
                          << head + "正被其他程序占用（进程 4242 (minicom)）。请先关闭那个程序再试。";
    QTest::newRow("vanished") << int(QSerialPort::ResourceError) << false << true << false << ""
                              << head + "已断开：适配器被拔出或连接中断。已收到的读数已保留。";
    QTest::newRow("anything else") << int(QSerialPort::UnknownError) << true << true << false << ""
                                   << "无法打开" + head + "。系统的原因：Unknown error";
    QTest::newRow("busy, and the holder's lock")
        << int(QSerialPort::PermissionError) << true << true << false << "held"
        << head + "正被其他程序占用（进程 4242 (minicom)，77 (cu)）。请先关闭那个程序再试。";
    QTest::newRow("nobody but a lock left behind")
        << int(QSerialPort::PermissionError) << true << true << false << "left"
        << head
            + "被锁文件 /var/lock/LCK..ttyUSB0 挡住了：留下它的程序（进程 77）已经结束，"
              "但这个文件属于用户 root，当前用户无权删除它。\n"
              "请删除这个文件后再试：sudo rm /var/lock/LCK..ttyUSB0";
}

void TstPorts::errorTexts()
{
    QFETCH(int, error);
    QFETCH(bool, exists);
    QFETCH(bool, accessible);
    QFETCH(bool, brltty);
    QFETCH(QString, lock);
    QFETCH(QString, text);
    zq::PortFacts facts;
    facts.exists = exists;
    facts.accessible = accessible;
    facts.group = "dialout";
    facts.groupReadWrite = true;
    facts.holders = {"4242 (minicom)"};
    if (!lock.isEmpty()) {
        facts.lockFile = "/var/lock/LCK..ttyUSB0";
        facts.lockOwner = "root";
        facts.lockPid = 77;
        facts.lockHolder = lock == "held" ? "77 (cu)" : "";
        if (lock == "left")
            facts.holders.clear();
    }
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

void TstPorts::lockIsTold_data()
{
    QTest::addColumn<QString>("device");
    QTest::newRow("left by an ended program, not ours to remove") << "ttyLEFT";
    QTest::newRow("held by a running program") << "ttyHELD";
}

void TstPorts::lockIsTold()
{
    // A lock file alone keeps the port shut; nothing has the device open.
    ZQ_SKIP_WITHOUT(Need::Zqcli);
    QFETCH(QString, device);
    const QString path = QDir(g_devices).filePath(device);
    if (!QFileInfo::exists(path))
        QSKIP("the devices are made as root");
    const QString lock = zq::portLockFile(path);
    QProcess sleeper;
    const auto cleanup = qScopeGuard([&] {
        if (sleeper.state() != QProcess::NotRunning) {
            QFile::remove(lock);
            sleeper.kill();
            sleeper.waitForFinished();
        }
    });
    if (device == "ttyHELD") {
        sleeper.start("sleep", {"60"});
        QVERIFY(sleeper.waitForStarted());
        QFile f(lock);
        QVERIFY(f.open(QIODevice::NewOnly));
        f.write(
            QByteArray::number(sleeper.processId()) + "\nsleep\n" + QSysInfo::machineHostName().toLocal8Bit() + "\n");
    }
    QVERIFY(QFileInfo::exists(lock));
    const QString expected = device == "ttyHELD"
        ? QStringLiteral("正被其他程序占用（进程 %1 (sleep)）").arg(sleeper.processId())
        : QStringLiteral("留下它的程序（进程 %1）已经结束，但这个文件属于用户 root，当前用户无权删除它。\n"
                         "请删除这个文件后再试：sudo rm %2")
              .arg(QString::number(g_leftPid), lock);
    Bench line(path);
    const QString told = line.start();
    QVERIFY2(told.contains(expected), qPrintable(told));
    const Run cli = zqcli({"download", "--port", path});
    QCOMPARE(cli.code, 1);
    // zqcli tells it on one line.
    QVERIFY2(cli.err.contains(QString(expected).replace('\n', ' ')), qPrintable(cli.err));
}

namespace {
// A lock file of root's, left by a process that has ended, for as long as the
// test runs; a process of root's removes it once the test has gone.
bool leaveLock(const QString &device)
{
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    g_leftPid = ended;
    const QString lock = zq::portLockFile(device);
    QFile f(lock);
    if (!f.open(QIODevice::NewOnly))
        return false;
    f.write(QByteArray::number(ended) + "\nzqcli\n" + QSysInfo::machineHostName().toLocal8Bit() + "\n");
    f.close();
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    if (::fork() == 0) {
        ::close(ends[1]);
        char c;
        while (::read(ends[0], &c, 1) > 0) { }
        ::unlink(QFile::encodeName(lock).constData());
        ::_exit(0);
    }
    ::close(ends[0]);
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    // Devices this user may not open, once the test runs as nobody.
    static QTemporaryDir dir;
    dir.setAutoRemove(true);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    g_devices = dir.path();
    if (::geteuid() == 0
        && !(makeDevice("ttyTTY", "tty", 0620) && makeDevice("ttyROOT", "root", 0600)
            && makeDevice("ttyDIALOUT", "dialout", 0660) && makeDevice("ttyLEFT", "root", 0666)
            && makeDevice("ttyHELD", "root", 0666) && leaveLock(QDir(g_devices).filePath("ttyLEFT"))))
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
