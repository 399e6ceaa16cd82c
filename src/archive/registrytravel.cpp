// The registry between a PC and the shared archive: a device's rows travel in
// its chain like a run's, and the server's devices and certificates come back.
#include "archive/registry.h"
#include "archive/sql.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlQuery>

namespace zq {
using sql::exec;

bool isRegistryKey(const QString &key)
{
    return key.startsWith(QLatin1String("instrument:")) || key.startsWith(QLatin1String("thermocouple:"));
}

bool Registry::apply(const HistoryRow &row, QString *error)
{
    const bool isDevice = row.what == QLatin1String("device");
    if (!isDevice && row.what != QLatin1String("certificate"))
        return true; // no other row of a device's chain changes its tables
    if (!ensure(error))
        return false;
    const QString kind = row.sha256.section(QLatin1Char(':'), 0, 0), id = row.sha256.section(QLatin1Char(':'), 1);
    const QJsonObject o = QJsonDocument::fromJson(row.newValue.toUtf8()).object();
    const QJsonValue maxUses = o.value(QStringLiteral("maxUses")), maxTemp = o.value(QStringLiteral("maxTemp"));
    QSqlDatabase db = QSqlDatabase::database(m_archive.connectionName(), false);
    // What the archive has already stays as it is: a device or certificate is registered once, never rewritten.
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO cal_devices (kind, id, type, max_uses, max_temp, added_at)"
                             " VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (kind, id) DO NOTHING"));
    for (const QVariant &v : {QVariant(kind), QVariant(id), QVariant(o.value(QStringLiteral("type")).toString()),
             maxUses.isDouble() ? QVariant(maxUses.toInt()) : QVariant(),
             maxTemp.isDouble() ? QVariant(maxTemp.toDouble()) : QVariant(), QVariant(row.at)})
        q.addBindValue(v);
    if (!exec(q, error))
        return false;
    if (isDevice)
        return true;
    q.prepare(
        QStringLiteral("INSERT INTO cal_certificates (kind, device_id, number, calibrated, due, points,"
                       " added_at) VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (kind, device_id, number) DO NOTHING"));
    q.addBindValue(kind);
    q.addBindValue(id);
    for (const char *field : {"number", "calibrated", "due", "points"})
        q.addBindValue(o.value(QLatin1String(field)).toString());
    q.addBindValue(row.at);
    return exec(q, error);
}

QHash<QString, RunDevices> Registry::links(QString *error) const
{
    QHash<QString, RunDevices> out;
    QSqlQuery q(QSqlDatabase::database(m_archive.connectionName(), false));
    q.prepare(QStringLiteral("SELECT sha256, instrument, thermocouple FROM run_devices"));
    if (ensure(error) && exec(q, error))
        while (q.next())
            out.insert(q.value(0).toString(), {q.value(1).toString(), q.value(2).toString()});
    return out;
}

bool Registry::takeFrom(const QVector<Device> &devices, const QHash<QString, RunDevices> &links, QString *error)
{
    QString why;
    const QSet<QString> kept = m_archive.approvedHere(&why);
    if (!why.isEmpty() || !ensure(error) || !m_archive.beginWrite(error))
        return why.isEmpty() ? false : (*error = why, false);
    bool ok = true;
    // Laid in as the server has them, with no rows of their own here: their chains come with the server's.
    for (const Device &d : devices) {
        HistoryRow row = changeOf(registryKey(d.kind, d.id), QStringLiteral("device"), {}, deviceText(d));
        row.at = sql::now();
        ok = ok && apply(row, error);
        row.what = QStringLiteral("certificate");
        for (const Certificate &c : d.certificates)
            row.newValue = certificateText(c), ok = ok && apply(row, error);
    }
    // The runs' links as the server has them, but for a run approved here while that approval stands.
    QSqlQuery q(QSqlDatabase::database(m_archive.connectionName(), false));
    q.prepare(QStringLiteral("INSERT INTO run_devices (sha256, instrument, thermocouple) SELECT ?, ?, ?"
                             " WHERE EXISTS (SELECT 1 FROM runs WHERE sha256 = ?) ON CONFLICT (sha256) DO UPDATE"
                             " SET instrument = excluded.instrument, thermocouple = excluded.thermocouple"));
    for (auto link = links.cbegin(); ok && link != links.cend(); ++link) {
        if (kept.contains(link.key()))
            continue;
        for (const QVariant &v : {QVariant(link.key()), link->instrument.isEmpty() ? QVariant() : link->instrument,
                 link->thermocouple.isEmpty() ? QVariant() : link->thermocouple, QVariant(link.key())})
            q.addBindValue(v);
        ok = exec(q, error);
    }
    return m_archive.endWrite(ok, error);
}
} // namespace zq
