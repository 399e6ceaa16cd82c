// The shared archive from the window: every run recorded here is queued for
// the server and sent off this thread; the server's runs arrive in the local
// archive the 记录库 window browses, and a run with no file here is fetched.
#include "archive/sharedlink.h"
#include "core/datafile.h"
#include "core/filewrite.h"
#include "window/archivecontrol.h"
#include "window/archivewindow.h"
#include "window/desk.h"

#include <QFile>
#include <QUrl>

void ArchiveControl::setSharedArchive(const QString &url)
{
    m_shared.reset();
    if (m_archiveWindow)
        m_archiveWindow->setShared(!url.isEmpty());
    if (url.isEmpty())
        return;
    if (!zq::Archive::isServerUrl(url)) {
        m_desk.tellFailure(QStringLiteral("共享记录库的地址应以 postgresql:// 开头：%1").arg(url));
        return;
    }
    m_shared
        = std::make_unique<zq::SharedLink>(url, m_archivePath.isEmpty() ? zq::Archive::defaultPath() : m_archivePath);
    connect(m_shared.get(), &zq::SharedLink::status, this, [this](int pending, const QString &error) {
        m_sharedPending = pending;
        m_sharedError = error;
        if (m_archiveWindow)
            m_archiveWindow->showSharedStatus(pending, error);
    });
    connect(m_shared.get(), &zq::SharedLink::synced, this, [this] {
        if (m_archiveWindow)
            m_archiveWindow->refresh(m_archiveWindow->selectedRun());
    });
    connect(m_shared.get(), &zq::SharedLink::fetched, this, &ArchiveControl::openFetched);
    connect(m_shared.get(), &zq::SharedLink::pushed, this, &ArchiveControl::showPushed);
}

void ArchiveControl::showPushed(int added, int known, int skipped, const QString &error)
{
    const QString text = !error.isEmpty()
        ? QStringLiteral("推送没有完成：%1").arg(error)
        : QStringLiteral("已推送：服务器新增 %1 个记录，已有 %2 个（已补齐），跳过 %3 个")
              .arg(added)
              .arg(known)
              .arg(skipped);
    if (m_archiveWindow)
        m_archiveWindow->showPushed(text);
    if (!error.isEmpty() || skipped)
        m_desk.tellFailure(text);
}

void ArchiveControl::askSharedArchive()
{
    const QString url = m_desk.dialogs().askText(QStringLiteral("共享记录库"),
        QStringLiteral("PostgreSQL 服务器的地址（如 postgresql://zq@db.plant.lan/zqarchive?sslmode=require），"
                       "留空则只用本机记录库。密码取自 ~/.pgpass 或 PGPASSWORD，本程序从不保存密码："));
    if (!url.trimmed().isEmpty() && !zq::Archive::isServerUrl(url.trimmed())) {
        m_desk.tellFailure(QStringLiteral("共享记录库的地址应以 postgresql:// 开头：%1").arg(url));
        return;
    }
    // A password typed into the address is neither saved nor used: it belongs
    // in ~/.pgpass or PGPASSWORD, where only its owner can read it.
    QUrl address(url.trimmed());
    const bool hadPassword = !address.password().isEmpty();
    address.setPassword(QString());
    const QString kept = hadPassword ? address.toString() : url.trimmed();
    QSettings &settings = m_desk.settings();
    settings.setValue(QStringLiteral("archive.url"), kept);
    settings.sync();
    QFile::setPermissions(settings.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (hadPassword)
        m_desk.tellFailure(QStringLiteral("地址中的密码没有保存，也不会使用。请把密码写入 ~/.pgpass"
                                          "（主机:端口:数据库:用户:密码，权限 600），或设置环境变量 PGPASSWORD。"));
    setSharedArchive(kept);
}

void ArchiveControl::openFetched(const QString &sha256, const QByteArray &bytes, const QString &error)
{
    if (bytes.isEmpty() || zq::Archive::sha256Of(bytes) != sha256) {
        m_desk.tellFailure(QStringLiteral("无法从共享记录库取得这个记录：%1\nSHA-256：%2")
                               .arg(error.isEmpty() ? QStringLiteral("内容与记录不符") : error, sha256));
        return;
    }
    // Kept in the keep folder like a download, then opened from there.
    const QString folder = keepDir();
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(sha256.left(16) + QStringLiteral(".ZQ"));
    QString why;
    zq::RunFile there;
    const bool have = zq::readRunFile(path, &there, &why) && there.bytes == bytes;
    if (!have && !zq::writeFileWhole(path, bytes, &why, zq::WriteMode::NewOnly)) {
        m_desk.tellFailure(QStringLiteral("文件没有保存：%1\n%2").arg(QDir::toNativeSeparators(path), why));
        return;
    }
    Q_EMIT openWanted(path);
}
