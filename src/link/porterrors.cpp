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
} // namespace zq
