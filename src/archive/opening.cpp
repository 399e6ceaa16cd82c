// Opening an archive file: what is ours is used, what is damaged is moved
// aside, and everything else (a file we may not read, another program's
// database, a newer version of ours) is told and left exactly as it was.
#include "archive/archive.h"
#include "archive/sql.h"
#include "archive/texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <sys/stat.h>
#include <unistd.h>

namespace zq {
using sql::exec;
namespace {
enum class FileState { Missing, Empty, Unreadable, NotADatabase, Database };

// What lies at the path, looked at before SQLite touches it.
FileState look(const QString &path, QString *why)
{
    if (!QFileInfo::exists(path))
        return FileState::Missing;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = f.errorString();
        return FileState::Unreadable;
    }
    const QByteArray head = f.read(16);
    if (head.isEmpty())
        return FileState::Empty;
    return head == QByteArray("SQLite format 3\0", 16) ? FileState::Database : FileState::NotADatabase;
}

QString ownerAndMode(const QString &path)
{
    struct stat st = {};
    const QFileInfo info(path);
    const int mode = ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : 0;
    return words::kOwnerAndMode.arg(info.owner(), QString::number(mode, 8).rightJustified(4, '0'));
}

// Its journal lives beside it: the folder must take new files too.
bool writable(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0
        && ::access(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), W_OK) == 0;
}

// SQLite's own word that the file is damaged, as opposed to one it could not get at.
bool damaged(const QSqlError &e)
{
    return e.nativeErrorCode() == QLatin1String("11") || e.nativeErrorCode() == QLatin1String("26");
}

bool moveAside(const QString &path, const QString &why, QString *error, QString *notice)
{
    const QString aside
        = path + QStringLiteral(".broken-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFile::rename(path, aside)) {
        *error = words::kDamagedNotMoved.arg(QDir::toNativeSeparators(path), why);
        return false;
    }
    if (notice)
        *notice = words::kArchiveMovedAside.arg(QDir::toNativeSeparators(path), why, QDir::toNativeSeparators(aside));
    return true;
}
} // namespace

bool Archive::open(const QString &path, QString *error, QString *notice, Access access)
{
    if (isServerUrl(path))
        return openServer(path, error);
    m_path = path;
    m_server = false;
    const bool readOnly = access == Access::ReadOnly;
    const QString shown = QDir::toNativeSeparators(path);
    QString why;
    switch (look(path, &why)) {
    case FileState::Unreadable:
        *error = words::kArchiveUnreadable.arg(shown, why, ownerAndMode(path));
        return false;
    case FileState::Missing:
    case FileState::Empty:
        // Nothing recorded yet: read as an empty archive held in memory, no file made.
        if (readOnly)
            return openFile(QStringLiteral(":memory:"), error, notice, Access::ReadWrite);
        QDir().mkpath(QFileInfo(path).absolutePath());
        break;
    case FileState::NotADatabase:
        if (readOnly) {
            *error = words::kNotSqliteNamed.arg(shown);
            return false;
        }
        if (!moveAside(path, words::kNotSqlite, error, notice))
            return false;
        break;
    case FileState::Database:
        // SQLite would open it read-only without a word, and fail at the first write.
        if (!readOnly && !writable(path)) {
            *error = words::kArchiveNotWritable.arg(shown, ownerAndMode(path));
            return false;
        }
        break;
    }
    return openFile(path, error, notice, access);
}

bool Archive::openFile(const QString &path, QString *error, QString *notice, Access access)
{
    const bool readOnly = access == Access::ReadOnly;
    // An archive given up on a server and opened on a file again starts a fresh connection.
    if (QSqlDatabase::contains(m_connection)
        && QSqlDatabase::database(m_connection, false).driverName() != QLatin1String("QSQLITE"))
        QSqlDatabase::removeDatabase(m_connection);
    QSqlDatabase db = QSqlDatabase::contains(m_connection)
        ? QSqlDatabase::database(m_connection, false)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid()) {
        *error = words::kNoSqliteDriver;
        return false;
    }
    db.setDatabaseName(path);
    db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000")
                                  : QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    const QString shown = QDir::toNativeSeparators(path);
    if (!db.open()) {
        *error = words::kCannotOpenUntouched.arg(shown, db.lastError().text());
        return false;
    }
    QSqlQuery check(db);
    const bool ran = check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next();
    const QString why = ran ? check.value(0).toString() : check.lastError().text();
    const bool broken = ran ? why != QLatin1String("ok") : damaged(check.lastError());
    check.finish(); // a statement left open holds a snapshot another writer would make stale
    if (broken) {
        db.close();
        if (readOnly) {
            *error = words::kArchiveDamaged.arg(shown, why);
            return false;
        }
        return moveAside(path, why, error, notice) && openFile(path, error, notice, access);
    }
    if (!ran) {
        // Not damaged, but out of reach (a read-only folder, a lock): told, never moved.
        *error = words::kCannotReadUntouched.arg(shown, why);
        db.close();
        return false;
    }
    if (!adopt(readOnly, error)) {
        *error = QStringLiteral("%1: %2").arg(shown, *error);
        db.close();
        return false;
    }
    return true;
}

// Whether the open file is ours to use, and with what it needs to be brought
// up to date; nothing is written before it is known to be ours.
bool Archive::adopt(bool readOnly, QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    const qint64 id = q.exec(QStringLiteral("PRAGMA application_id")) && q.next() ? q.value(0).toLongLong() : 0;
    const QStringList tables = db.tables();
    // Before the mark, our files were known by their tables.
    const bool ours = id == kApplicationId
        || (id == 0 && tables.contains(QStringLiteral("schema_version")) && tables.contains(QStringLiteral("runs")));
    if (!tables.isEmpty() && !ours) {
        *error = words::kNotOurArchive.arg(id).arg(tables.join(QStringLiteral("、")));
        return false;
    }
    const int version
        = q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) && q.next() ? q.value(0).toInt() : 0;
    q.finish();
    if (version > kSchemaVersion) {
        *error = words::kArchiveTooNew.arg(version).arg(kSchemaVersion);
        return false;
    }
    if (readOnly) {
        if (version == kSchemaVersion)
            return true;
        *error = words::kArchiveNeedsUpgrade.arg(version).arg(kSchemaVersion);
        return false;
    }
    QString why;
    // WAL with NORMAL sync: a killed writer loses no committed row.
    for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", "PRAGMA foreign_keys=ON"})
        exec(db, QString::fromLatin1(pragma), &why);
    return migrate(error) && startSending(error) && startMirror(error);
}
} // namespace zq
