#include "window/singleinstance.h"

#include "window/dialogs.h"
#include "window/form1.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(std::make_unique<QLockFile>(lockPath))
{
    // Never stale by age: a copy may run for days. A lock whose process is
    // gone is still taken over by tryLock.
    m_lock->setStaleLockTime(0);
    QDir().mkpath(QFileInfo(lockPath).absolutePath());
    m_held = m_lock->tryLock(0);
}

QString SingleInstance::defaultLockPath()
{
    // The user's own runtime folder: two users of one machine never meet here.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return QDir(dir).filePath(QStringLiteral("zqtemp.lock"));
}

bool showAsSingleCopy(Form1 &window, const SingleInstance &single)
{
    if (single.anotherCopyRuns()) {
        window.dialogs().message(QStringLiteral("这个程序正在运行！"), zq::kBoxTitle, QMessageBox::Ok,
            QMessageBox::Warning, QMessageBox::Ok);
        return false;
    }
    window.show();
    return true;
}
