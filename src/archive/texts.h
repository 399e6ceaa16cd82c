#pragma once

#include <QString>

// What the archive tells a person, in one place (ready for a translation):
// why a file cannot be opened or written, what its history check found,
// who may sign, and where a file came from.
namespace zq::words {
inline const QString kSignedNeedsReason = QStringLiteral("记录已%1：修改须写明理由（--reason），修改后记录退回草稿");
inline const QString kApprovedWord = QStringLiteral("批准");
inline const QString kReviewedWord = QStringLiteral("审核");
inline const QString kSignerNeeded = QStringLiteral("签名须写明签名人");
inline const QString kReviewBeforeApproval = QStringLiteral("批准前须先由另一人审核");
inline const QString kReviewerCannotApprove = QStringLiteral("审核人 %1 不能再批准同一记录：批准须由另一人签名");
inline const QString kAlreadyApproved = QStringLiteral("记录已批准");
inline const QString kNoSuchRun = QStringLiteral("记录库中没有这个记录");
inline const QString kRowMissing = QStringLiteral("第 %1 行缺失");
inline const QString kRowUnlinked = QStringLiteral("第 %1 行与前一行接不上");
inline const QString kRowChanged = QStringLiteral("第 %1 行的内容已被改动");
inline const QString kServerCopy = QStringLiteral("服务器记录的副本：");
inline const QString kFirstRowMissing = QStringLiteral("第 0 行缺失");
inline const QString kOwnerAndMode = QStringLiteral("属主 %1，权限 %2");
inline const QString kDamagedNotMoved = QStringLiteral("%1 已损坏（%2），且无法移到一旁");
inline const QString kArchiveDamaged = QStringLiteral("记录库 %1 已损坏（%2）");
inline const QString kArchiveMovedAside = QStringLiteral(
    "记录库 %1 已损坏（%2），已改名为 %3 并新建了记录库。可用 zqcli archive import 从接收文件夹重建。");
inline const QString kArchiveUnreadable
    = QStringLiteral("记录库 %1 无法读取（%2；%3）。它没有被改动。若它是用 sudo 运行时留下的，"
                     "请把它交还给自己（sudo chown $USER %1）。");
inline const QString kNotSqliteNamed = QStringLiteral("%1 不是 SQLite 数据库");
inline const QString kNotSqlite = QStringLiteral("不是 SQLite 数据库");
inline const QString kArchiveNotWritable
    = QStringLiteral("记录库 %1 不能写入（%2；它所在的文件夹也须可写）。它没有被改动；"
                     "只读的命令（list、show、verify）仍可使用它。");
inline const QString kNoSqliteDriver = QStringLiteral("SQLite 驱动不可用（请安装 libqt6sql6-sqlite）");
inline const QString kCannotOpenUntouched = QStringLiteral("%1 无法打开：%2（它没有被改动）");
inline const QString kCannotReadUntouched = QStringLiteral("%1 无法读取：%2（它没有被改动）");
inline const QString kNotOurArchive
    = QStringLiteral("这不是本程序的记录库（另一个程序的数据库：application_id %1，表 %2），没有改动它");
inline const QString kArchiveTooNew
    = QStringLiteral("记录库为第 %1 版，本程序只认识到第 %2 版：请用较新的程序打开它；它没有被改动");
inline const QString kArchiveNeedsUpgrade
    = QStringLiteral("记录库为第 %1 版，需要先升级到第 %2 版：请运行一次会写入记录库的命令"
                     "（如 zqcli archive import），或打开程序的记录库窗口");
inline const QString kCertificateTaken = QStringLiteral("证书 %1 已登记在 %2 下");
inline const QString kCannotOpen = QStringLiteral("%1 无法打开：%2");
inline const QString kAmbiguousPrefix = QStringLiteral("不止一个记录以此开头");
inline const QString kDownloadedUnchanged = QStringLiteral("下载于 %1 自 %2，未改动");
inline const QString kDownloadIncomplete = QStringLiteral("下载不完整：%1（下载于 %2 自 %3）");
inline const QString kChangedSinceDownload = QStringLiteral("下载后已改动");
inline const QString kInArchiveNotDownloaded = QStringLiteral("档案中有此文件，非下载所得");
inline const QString kNotInArchive = QStringLiteral("档案中无此文件");
inline const QString kNoPostgresDriver = QStringLiteral("PostgreSQL 驱动不可用（请安装 libqt6sql6-psql）");
inline const QString kServerHasNoTables
    = QStringLiteral("%1: 服务器上没有记录库的表（请先载入 archive-postgresql.sql）：%2");
inline const QString kServerVersion = QStringLiteral("%1: 服务器上的记录库为第 %2 版，本程序使用第 %3 版");
inline const QString kServerHasNoFile = QStringLiteral("服务器上没有这个记录的文件");
inline const QString kChangedUnsignedElsewhere = QStringLiteral("在另一台电脑上修改，那里当时未签名");
} // namespace zq::words
