#include "link/porterrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zq {
namespace {
QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()).trimmed() : QString();
}

// Whether a process's open files include the device, and whether it holds
// the master of the device's pseudo-terminal (the far end of the line, as an
// instrument simulator does, not another reader).
struct Holding
{
    bool device = false;
    bool farEnd = false;
};

Holding holdingOf(const QString &pid, const QString &target, const QString &ptyIndex)
{
    Holding h;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString link = QFileInfo(fds.filePath(fd)).symLinkTarget();
        if (link == target)
            h.device = true;
        else if (!ptyIndex.isEmpty() && link == QLatin1String("/dev/ptmx")
            && readText(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid, fd))
                   .contains(QStringLiteral("tty-index:\t") + ptyIndex))
            h.farEnd = true;
    }
    return h;
}

// The other processes that have the device open, from /proc where it lets us look.
QStringList holdersOf(const QString &device)
{
    QStringList holders;
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return holders;
    const QString ptyIndex
        = target.startsWith(QLatin1String("/dev/pts/")) ? target.mid(int(qstrlen("/dev/pts/"))) : QString();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        bool numeric = false;
        if (pid.toInt(&numeric) <= 0 || !numeric)
            continue;
        const Holding h = holdingOf(pid, target, ptyIndex);
        if (h.device && !h.farEnd)
            holders.append(QStringLiteral("%1 (%2)").arg(pid, readText(QStringLiteral("/proc/%1/comm").arg(pid))));
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
        if (const passwd *p = ::getpwuid(st.st_uid))
            f.owner = QString::fromLocal8Bit(p->pw_name);
        f.mode = st.st_mode & 07777;
        f.groupReadWrite = (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP);
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
        // Joining the group helps only where the group may read and write.
        if (facts.groupReadWrite && !facts.group.isEmpty() && facts.group != QLatin1String("root"))
            return QStringLiteral("没有权限打开%1：当前用户不在设备所属的 %2 组中。\n"
                                  "请运行 sudo usermod -aG %2 $USER，然后注销并重新登录。")
                .arg(port, facts.group);
        return QStringLiteral("没有权限打开%1：只有 %2（用户 %3、组 %4、权限 %5）可以打开它，加入某个组也无济于事。\n"
                              "请管理员用 udev 规则为这个设备授予读写权限（例如 MODE=\"0660\", GROUP=\"dialout\"），"
                              "或请管理员为您开放访问。")
            .arg(port, facts.groupReadWrite ? QStringLiteral("其所有者和组") : QStringLiteral("其所有者"), facts.owner,
                facts.group, QString::number(facts.mode, 8).rightJustified(4, QLatin1Char('0')));
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
