#include "archive/archive.h"
#include "archive/sql.h"
#include "core/datafile.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

namespace zq {
using sql::exec;
namespace {
// The schema as it stands; version 1 had no thermocouple, no latest download
// time on the run and no named ranges, version 2 no queue for a server.
const char *const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS runs (sha256 TEXT PRIMARY KEY, data_type INTEGER NOT NULL, readings INTEGER NOT NULL,"
    " failed INTEGER NOT NULL, first_stamp TEXT, last_stamp TEXT, peak INTEGER, verdict TEXT, recipe TEXT,"
    " operator TEXT, equipment TEXT, load TEXT, thermocouple TEXT, comment TEXT, added_at TEXT NOT NULL,"
    " downloaded_at TEXT)",
    "CREATE TABLE IF NOT EXISTS paths (sha256 TEXT NOT NULL REFERENCES runs(sha256), path TEXT NOT NULL,"
    " seen_at TEXT NOT NULL, PRIMARY KEY (sha256, path))",
    "CREATE TABLE IF NOT EXISTS downloads (sha256 TEXT NOT NULL REFERENCES runs(sha256), ended_at TEXT NOT NULL,"
    " device TEXT, outcome TEXT, kept_path TEXT, PRIMARY KEY (sha256, ended_at))",
    "CREATE TABLE IF NOT EXISTS notes (sha256 TEXT NOT NULL REFERENCES runs(sha256), at_reading INTEGER NOT NULL,"
    " text TEXT NOT NULL, created_at TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS ranges (sha256 TEXT NOT NULL REFERENCES runs(sha256), name TEXT NOT NULL,"
    " first_reading INTEGER NOT NULL, last_reading INTEGER NOT NULL, PRIMARY KEY (sha256, name))",
    "CREATE TABLE IF NOT EXISTS upload_queue (id INTEGER PRIMARY KEY AUTOINCREMENT, bytes BLOB NOT NULL,"
    " seen_at TEXT, ended_at TEXT, device TEXT, outcome TEXT, queued_at TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS edit_queue (id INTEGER PRIMARY KEY AUTOINCREMENT, sha256 TEXT NOT NULL,"
    " what TEXT NOT NULL, operator TEXT, equipment TEXT, load TEXT, thermocouple TEXT, comment TEXT, verdict TEXT,"
    " recipe TEXT, queued_at TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS runs_equipment ON runs (equipment)",
    "CREATE INDEX IF NOT EXISTS runs_added ON runs (added_at)",
    "CREATE INDEX IF NOT EXISTS downloads_kept ON downloads (kept_path)",
};

} // namespace

QString Archive::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Lorvant/zqtemp/archive.sqlite");
}

QString Archive::sha256Of(const QByteArray &bytes)
{
    return sha256Hex(bytes);
}

Archive::Archive()
{
    static QAtomicInt counter;
    m_connection = QStringLiteral("zq-archive-%1").arg(counter.fetchAndAddRelaxed(1));
}

Archive::~Archive()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool Archive::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

bool Archive::open(const QString &path, QString *error, QString *notice)
{
    if (isServerUrl(path))
        return openServer(path, error);
    m_path = path;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid()) {
        *error = QStringLiteral("SQLite 驱动不可用（请安装 libqt6sql6-sqlite）");
        return false;
    }
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    QString why;
    bool sound = db.open();
    if (sound) {
        QSqlQuery check(db);
        sound = check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next()
            && check.value(0).toString() == QLatin1String("ok");
        why = sound ? QString() : check.lastError().text();
    } else {
        why = db.lastError().text();
    }
    if (!sound && QFileInfo(path).isFile() && QFileInfo(path).size() > 0) {
        // Never deleted: moved aside, and a new archive begins.
        db.close();
        const QString aside = path + QStringLiteral(".broken-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (!QFile::rename(path, aside)) {
            *error = QStringLiteral("%1 已损坏，且无法移到一旁").arg(QDir::toNativeSeparators(path));
            return false;
        }
        if (notice)
            *notice = QStringLiteral(
                "记录库 %1 已损坏（%2），已改名为 %3 并新建了记录库。可用 zqcli archive import 从接收文件夹重建。")
                          .arg(QDir::toNativeSeparators(path), why, QDir::toNativeSeparators(aside));
        sound = db.open();
    }
    if (!sound) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), db.lastError().text());
        return false;
    }
    // WAL with NORMAL sync: a killed writer loses no committed row.
    for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", "PRAGMA foreign_keys=ON"})
        exec(db, QString::fromLatin1(pragma), &why);
    if (!migrate(error)) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), *error);
        db.close();
        return false;
    }
    return true;
}

bool Archive::migrate(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    int version = 0;
    if (q.exec(QStringLiteral("SELECT version FROM schema_version")) && q.next())
        version = q.value(0).toInt();
    if (version == kSchemaVersion)
        return true;
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    bool ok = true;
    if (version == 1)
        ok = exec(db, QStringLiteral("ALTER TABLE runs ADD COLUMN thermocouple TEXT"), error)
            && exec(db, QStringLiteral("ALTER TABLE runs ADD COLUMN downloaded_at TEXT"), error)
            && exec(db,
                QStringLiteral("UPDATE runs SET downloaded_at = (SELECT MAX(d.ended_at) FROM downloads d"
                               " WHERE d.sha256 = runs.sha256)"),
                error);
    for (const char *sql : kSchema)
        ok = ok && exec(db, QString::fromLatin1(sql), error);
    ok = ok && exec(db, QStringLiteral("DELETE FROM schema_version"), error)
        && exec(db, QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(kSchemaVersion), error);
    if (ok && db.commit())
        return true;
    db.rollback();
    return false;
}
} // namespace zq
