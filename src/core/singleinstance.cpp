#include "core/singleinstance.h"

#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(std::make_unique<QLockFile>(lockPath))
{
    // Never stale by age: a copy may run for days. A lock whose process is
    // gone is still taken over by tryLock.
    m_lock->setStaleLockTime(0);
    m_held = m_lock->tryLock(0);
}

QString SingleInstance::defaultLockPath()
{
    const QString dir = qEnvironmentVariable("ZQTEMP_LOCK_DIR", QDir::tempPath());
    return QDir(dir).filePath(
        QStringLiteral("zqtemp-%1.lock").arg(qEnvironmentVariable("USER", QStringLiteral("user"))));
}
