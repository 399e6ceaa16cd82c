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

QString ownerOf(const struct stat &st)
{
    const passwd *p = ::getpwuid(st.st_uid);
    return p ? QString::fromLocal8Bit(p->pw_name) : QString::number(st.st_uid);
}

// A lock left behind blocks the port as surely as a program holding it, and
// nothing in /proc shows it.
void readLock(const QString &device, PortFacts *f)
{
    f->lockFile = portLockFile(device);
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(f->lockFile).constData(), &st) != 0) {
        f->lockFile.clear();
        return;
    }
    f->lockOwner = ownerOf(st);
    QFile file(f->lockFile);
    QString program;
    if (file.open(QIODevice::ReadOnly)) {
        f->lockPid = file.readLine().trimmed().toLongLong();
        program = QString::fromLocal8Bit(file.readLine().trimmed());
    }
    // A number since taken by another program is no holder. The kernel keeps
    // 15 bytes of a process's name.
    const QString pid = QString::number(f->lockPid);
    const QString comm = readText(QStringLiteral("/proc/%1/comm").arg(pid));
    if (f->lockPid > 0 && !comm.isEmpty() && (program.isEmpty() || program.left(15) == comm))
        f->lockHolder = QStringLiteral("%1 (%2)").arg(pid, comm);
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

QString portLockFile(const QString &device)
{
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QStringList folders{QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"), QDir::tempPath()};
    for (const QString &folder : folders) {
        QString path = folder + QStringLiteral("/LCK..") + name;
        const QFileInfo info(folder);
        if (info.isReadable() && (QFileInfo::exists(path) || info.isWritable()))
            return path;
    }
    return QString();
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
        f.owner = ownerOf(st);
        f.mode = st.st_mode & 07777;
        f.groupReadWrite = (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP);
        f.holders = holdersOf(device);
        readLock(device, &f);
    }
    for (const PortChoice &c : availablePortChoices())
        f.present.append(c.systemLocation);
    f.brltty = brlttyRuns();
    f.adapterWithoutNode = adapterWithoutNode();
    return f;
}
} // namespace zq
