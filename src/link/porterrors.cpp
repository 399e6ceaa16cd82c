#include "link/porterrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zq {
namespace {
QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()).trimmed() : QString();
}

// The processes that have the device open, from /proc where it lets us look.
QStringList holdersOf(const QString &device)
{
    QStringList holders;
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return holders;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        bool numeric = false;
        if (pid.toInt(&numeric) <= 0 || !numeric)
            continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        const QStringList links = fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &fd : links) {
            if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target) {
                holders.append(QStringLiteral("%1 (%2)").arg(pid, readText(QStringLiteral("/proc/%1/comm").arg(pid))));
                break;
            }
        }
    }
    return holders;
}

bool brlttyRuns()
{
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids)
        if (readText(QStringLiteral("/proc/%1/comm").arg(pid)) == QLatin1String("brltty"))
            return true;
    return false;
}

// A USB serial adapter the kernel knows by its driver, but with no tty.
bool adapterWithoutNode()
{
    const QDir drivers(QStringLiteral("/sys/bus/usb-serial/devices"));
    const bool adapter = !drivers.entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty();
    const bool node = !QDir(QStringLiteral("/dev")).entryList({QStringLiteral("ttyUSB*")}, QDir::System).isEmpty();
    return adapter && !node;
}
} // namespace

QList<PortChoice> availablePortChoices()
{
    QHash<QString, QString> byId;
    const QDir ids(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : ids.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot))
        byId.insert(link.canonicalFilePath(), link.absoluteFilePath());
    QList<PortChoice> choices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        PortChoice c;
        c.systemLocation = info.systemLocation();
        const QString stable = byId.value(QFileInfo(c.systemLocation).canonicalFilePath());
        c.device = stable.isEmpty() ? c.systemLocation : stable;
        QStringList parts{c.systemLocation};
        if (!stable.isEmpty())
            parts.prepend(QFileInfo(stable).fileName());
        for (const QString &more : {info.description(), info.manufacturer()})
            if (!more.isEmpty())
                parts.append(more);
        c.label = parts.join(QStringLiteral("  —  "));
        choices.append(c);
    }
    return choices;
}

PortFacts gatherPortFacts(const QString &device)
{
    PortFacts f;
    f.exists = QFileInfo::exists(device);
    struct stat st
    {
    };
    if (f.exists && ::stat(QFile::encodeName(device).constData(), &st) == 0) {
        f.accessible = ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
        if (const group *g = ::getgrgid(st.st_gid))
            f.group = QString::fromLocal8Bit(g->gr_name);
        f.holders = holdersOf(device);
    }
    for (const PortChoice &c : availablePortChoices())
        f.present.append(c.systemLocation);
    f.brltty = brlttyRuns();
    f.adapterWithoutNode = adapterWithoutNode();
    return f;
}

QString portErrorText(int commPort, const QString &device, QSerialPort::SerialPortError error,
    const QString &systemReason, const PortFacts &facts)
{
    const QString port = QStringLiteral("串口 COM %1（%2）").arg(commPort).arg(device);
    if (error == QSerialPort::ResourceError)
        return QStringLiteral("%1已断开：适配器被拔出或连接中断。已收到的读数已保留。").arg(port);
    if (!facts.exists || error == QSerialPort::DeviceNotFoundError) {
        QString text = QStringLiteral("找不到%1。请检查连接线和 USB 转串口适配器是否插好。").arg(port);
        text += facts.present.isEmpty()
            ? QStringLiteral("\n这台电脑上现在没有串口。")
            : QStringLiteral("\n现有的串口：%1").arg(facts.present.join(QStringLiteral("，")));
        if (facts.brltty && facts.adapterWithoutNode)
            text += QStringLiteral("\n已插入 USB 转串口适配器，但没有出现设备文件：盲文服务 brltty 常会占用这类适配器。"
                                   "可运行 sudo apt remove brltty 删除它，然后重新插上适配器。");
        return text;
    }
    if (!facts.accessible) {
        const QString group = facts.group.isEmpty() ? QStringLiteral("dialout") : facts.group;
        return QStringLiteral("没有权限打开%1：当前用户不在设备所属的 %2 组中。\n"
                              "请运行 sudo usermod -aG %2 $USER，然后注销并重新登录。")
            .arg(port, group);
    }
    if (error == QSerialPort::PermissionError || error == QSerialPort::OpenError) {
        QString text = QStringLiteral("%1正被其他程序占用").arg(port);
        if (!facts.holders.isEmpty())
            text += QStringLiteral("（进程 %1）").arg(facts.holders.join(QStringLiteral("，")));
        return text + QStringLiteral("。请先关闭那个程序再试。");
    }
    return QStringLiteral("无法打开%1。系统的原因：%2").arg(port, systemReason);
}
} // namespace zq
