// The shared archive on a PostgreSQL server: connecting by URL, checking
// the schema loaded there, and the bytes it keeps of each run.
#include "archive/archive.h"
#include "archive/sql.h"
#include "archive/texts.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>

namespace zq {
using sql::exec;

bool Archive::isServerUrl(const QString &pathOrUrl)
{
    return pathOrUrl.startsWith(QLatin1String("postgresql://")) || pathOrUrl.startsWith(QLatin1String("postgres://"));
}

bool Archive::openServer(const QString &text, QString *error)
{
    const QUrl url(text);
    const QUrlQuery query(url);
    // Shown and told without a password, should the URL carry one.
    QUrl shown = url;
    shown.setPassword(QString());
    m_path = shown.toString();
    m_server = true;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    if (!db.isValid()) {
        *error = words::kNoPostgresDriver;
        return false;
    }
    db.setHostName(
        query.hasQueryItem(QStringLiteral("host")) ? query.queryItemValue(QStringLiteral("host")) : url.host());
    db.setPort(query.hasQueryItem(QStringLiteral("port")) ? query.queryItemValue(QStringLiteral("port")).toInt()
                                                          : url.port(5432));
    db.setUserName(url.userName());
    if (!url.password().isEmpty())
        db.setPassword(url.password());
    db.setDatabaseName(url.path().mid(1));
    // Never long: a download's end or a window does not wait on the network.
    const QString ssl = query.hasQueryItem(QStringLiteral("sslmode")) ? query.queryItemValue(QStringLiteral("sslmode"))
                                                                      : QStringLiteral("prefer");
    db.setConnectOptions(QStringLiteral("connect_timeout=3;sslmode=%1").arg(ssl));
    if (!db.open()) {
        *error = QStringLiteral("%1: %2").arg(m_path, db.lastError().text().trimmed());
        return false;
    }
    QSqlQuery q(db);
    const int version
        = q.exec(QStringLiteral("SELECT version FROM schema_version")) && q.next() ? q.value(0).toInt() : 0;
    if (version != kSchemaVersion) {
        *error = version == 0 ? words::kServerHasNoTables.arg(m_path, q.lastError().text().trimmed())
                              : words::kServerVersion.arg(m_path).arg(version).arg(kSchemaVersion);
        db.close();
        return false;
    }
    return true;
}

bool Archive::reachable(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    if (db.isOpen() && q.exec(QStringLiteral("SELECT 1")))
        return true;
    // A connection the server dropped is opened again once.
    db.close();
    if (db.open() && QSqlQuery(db).exec(QStringLiteral("SELECT 1")))
        return true;
    *error = db.lastError().text().trimmed();
    return false;
}

QByteArray Archive::fileBytes(const QString &sha256, QString *error) const
{
    if (!m_server)
        return QByteArray();
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT bytes FROM files WHERE sha256 = ?"));
    q.addBindValue(sha256);
    return exec(q, error) && q.next() ? q.value(0).toByteArray() : QByteArray();
}
} // namespace zq
