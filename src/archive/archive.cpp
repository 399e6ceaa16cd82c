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
// time on the run and no named ranges, version 2 no queue for a server,
// version 3 no history, version 4 no PC named in a download.
const char *const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS runs (sha256 TEXT PRIMARY KEY, data_type INTEGER NOT NULL, readings INTEGER NOT NULL,"
    " failed INTEGER NOT NULL, first_stamp TEXT, last_stamp TEXT, peak INTEGER, verdict TEXT, recipe TEXT,"
    " operator TEXT, equipment TEXT, load TEXT, thermocouple TEXT, comment TEXT, added_at TEXT NOT NULL,"
    " downloaded_at TEXT)",
    "CREATE TABLE IF NOT EXISTS paths (sha256 TEXT NOT NULL REFERENCES runs(sha256), path TEXT NOT NULL,"
    " seen_at TEXT NOT NULL, PRIMARY KEY (sha256, path))",
    "CREATE TABLE IF NOT EXISTS downloads (sha256 TEXT NOT NULL REFERENCES runs(sha256), ended_at TEXT NOT NULL,"
    " device TEXT, outcome TEXT, kept_path TEXT, host TEXT, PRIMARY KEY (sha256, ended_at))",
    "CREATE TABLE IF NOT EXISTS notes (sha256 TEXT NOT NULL REFERENCES runs(sha256), at_reading INTEGER NOT NULL,"
    " text TEXT NOT NULL, created_at TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS ranges (sha256 TEXT NOT NULL REFERENCES runs(sha256), name TEXT NOT NULL,"
    " first_reading INTEGER NOT NULL, last_reading INTEGER NOT NULL, PRIMARY KEY (sha256, name))",
    "CREATE TABLE IF NOT EXISTS upload_queue (id INTEGER PRIMARY KEY AUTOINCREMENT, bytes BLOB NOT NULL,"
    " seen_at TEXT, ended_at TEXT, device TEXT, outcome TEXT, host TEXT, queued_at TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS edit_queue (id INTEGER PRIMARY KEY AUTOINCREMENT, sha256 TEXT NOT NULL,"
    " what TEXT NOT NULL, operator TEXT, equipment TEXT, load TEXT, thermocouple TEXT, comment TEXT, verdict TEXT,"
    " recipe TEXT, queued_at TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS history (sha256 TEXT NOT NULL, position INTEGER NOT NULL, at TEXT NOT NULL,"
    " os_user TEXT, signer TEXT, what TEXT NOT NULL, old_value TEXT, new_value TEXT, reason TEXT,"
    " previous_hash TEXT, hash TEXT NOT NULL, PRIMARY KEY (sha256, position))",
    // History is only ever added to.
    "CREATE TRIGGER IF NOT EXISTS history_no_update BEFORE UPDATE ON history"
    " BEGIN SELECT RAISE(ABORT, 'history rows are never changed'); END",
    "CREATE TRIGGER IF NOT EXISTS history_no_delete BEFORE DELETE ON history"
    " BEGIN SELECT RAISE(ABORT, 'history rows are never deleted'); END",
    "CREATE INDEX IF NOT EXISTS runs_equipment ON runs (equipment)",
    "CREATE INDEX IF NOT EXISTS runs_added ON runs (added_at)",
    "CREATE INDEX IF NOT EXISTS downloads_kept ON downloads (kept_path)",
};

// A column an older file's table lacks; a table made just now has it already.
bool addColumn(const QSqlDatabase &db, const QString &table, const QString &column, QString *error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
        *error = q.lastError().text();
        return false;
    }
    while (q.next())
        if (q.value(1).toString() == column)
            return true;
    q.finish();
    return exec(db, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT").arg(table, column), error);
}
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

bool Archive::migrate(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    auto version = [&db] {
        QSqlQuery q(db);
        return q.exec(QStringLiteral("SELECT version FROM schema_version")) && q.next() ? q.value(0).toInt() : 0;
    };
    if (version() == kSchemaVersion)
        return true; // marked when it was made or brought up to date
    // The write lock first, then the version again: of two programs starting
    // on a new archive, the second finds it made.
    if (!exec(db, QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    const int from = version();
    if (from == kSchemaVersion)
        return exec(db, QStringLiteral("COMMIT"), error);
    bool ok = true;
    if (from == 1)
        ok = exec(db, QStringLiteral("ALTER TABLE runs ADD COLUMN thermocouple TEXT"), error)
            && exec(db, QStringLiteral("ALTER TABLE runs ADD COLUMN downloaded_at TEXT"), error)
            && exec(db,
                QStringLiteral("UPDATE runs SET downloaded_at = (SELECT MAX(d.ended_at) FROM downloads d"
                               " WHERE d.sha256 = runs.sha256)"),
                error);
    for (const char *sql : kSchema)
        ok = ok && exec(db, QString::fromLatin1(sql), error);
    // Downloads recorded before had no PC named: theirs stays unknown (NULL).
    ok = ok && addColumn(db, QStringLiteral("downloads"), QStringLiteral("host"), error)
        && addColumn(db, QStringLiteral("upload_queue"), QStringLiteral("host"), error);
    if (from > 0 && from < 4)
        ok = ok && startHistories(error);
    ok = ok && exec(db, QStringLiteral("DELETE FROM schema_version"), error)
        && exec(db, QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(kSchemaVersion), error)
        && exec(db, QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId), error);
    if (ok && exec(db, QStringLiteral("COMMIT"), error))
        return true;
    QString ignored;
    exec(db, QStringLiteral("ROLLBACK"), &ignored);
    return false;
}
} // namespace zq
