// Changes to the calibration registry, each written with its history row in
// one transaction: a device's under its registry key, a link under the run.
#include "archive/registry.h"
#include "archive/sql.h"
#include "archive/texts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <tuple>

namespace zq {
using sql::exec;

namespace {
QString compact(const QJsonObject &o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

QString deviceText(const Device &d)
{
    QJsonObject o{{QStringLiteral("kind"), kindName(d.kind)}, {QStringLiteral("id"), d.id}};
    if (d.kind == Device::Thermocouple) {
        o.insert(QStringLiteral("type"), d.type);
        o.insert(QStringLiteral("maxUses"), d.maxUses > 0 ? QJsonValue(d.maxUses) : QJsonValue());
        o.insert(QStringLiteral("maxTemp"), d.maxTemp ? QJsonValue(*d.maxTemp) : QJsonValue());
    }
    return compact(o);
}

QString certificateText(const Certificate &c)
{
    return compact(
        {{QStringLiteral("number"), c.number}, {QStringLiteral("calibrated"), c.calibrated.toString(Qt::ISODate)},
            {QStringLiteral("due"), c.due.toString(Qt::ISODate)}, {QStringLiteral("points"), calPointsText(c.points)}});
}
bool Registry::addCertificate(const Device &device, const Certificate &c, QString *error)
{
    if (!ensure(error) || !m_archive.beginWrite(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_archive.connectionName(), false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO cal_devices (kind, id, type, max_uses, max_temp, added_at)"
                             " VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (kind, id) DO NOTHING"));
    for (const QVariant &v : {QVariant(kindName(device.kind)), QVariant(device.id), QVariant(device.type),
             device.maxUses > 0 ? QVariant(device.maxUses) : QVariant(),
             device.maxTemp ? QVariant(*device.maxTemp) : QVariant(), QVariant(sql::now())})
        q.addBindValue(v);
    QSqlQuery known(db);
    known.prepare(QStringLiteral("SELECT 1 FROM cal_certificates WHERE kind = ? AND device_id = ? AND number = ?"));
    for (const QString &v : {kindName(device.kind), device.id, c.number})
        known.addBindValue(v);
    const QString key = registryKey(device.kind, device.id);
    bool ok = exec(q, error);
    if (ok && q.numRowsAffected() > 0)
        ok = m_archive.appendHistory(changeOf(key, QStringLiteral("device"), QString(), deviceText(device)), error);
    ok = ok && exec(known, error);
    // A certificate is a document: registered once, never rewritten.
    if (ok && known.next()) {
        *error = words::kCertificateTaken.arg(c.number, device.id);
        ok = false;
    }
    known.finish();
    QSqlQuery cert(db);
    cert.prepare(
        QStringLiteral("INSERT INTO cal_certificates (kind, device_id, number, calibrated, due, points, added_at)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const QString &v : {kindName(device.kind), device.id, c.number, c.calibrated.toString(Qt::ISODate),
             c.due.toString(Qt::ISODate), calPointsText(c.points), sql::now()})
        cert.addBindValue(v);
    ok = ok && exec(cert, error)
        && m_archive.appendHistory(changeOf(key, QStringLiteral("certificate"), QString(), certificateText(c)), error);
    return m_archive.endWrite(ok, error);
}

bool Registry::link(const QString &sha256, const RunDevices &devices, QString *error, const QString &reason)
{
    if (!ensure(error) || !m_archive.beginWrite(error))
        return false;
    QString unread;
    const RunDevices before = linked(sha256, &unread);
    QSqlQuery q(QSqlDatabase::database(m_archive.connectionName(), false));
    q.prepare(QStringLiteral("INSERT INTO run_devices (sha256, instrument, thermocouple) VALUES (?, ?, ?)"
                             " ON CONFLICT (sha256) DO UPDATE SET instrument = excluded.instrument,"
                             " thermocouple = excluded.thermocouple"));
    q.addBindValue(sha256);
    q.addBindValue(devices.instrument.isEmpty() ? QVariant() : QVariant(devices.instrument));
    q.addBindValue(devices.thermocouple.isEmpty() ? QVariant() : QVariant(devices.thermocouple));
    bool ok = unread.isEmpty() || (*error = unread, false);
    ok = ok && exec(q, error);
    // The devices decide the corrections, so the verdict: a change like any field's.
    const std::tuple<const char *, QString, QString> changes[]
        = {{"linked_instrument", before.instrument, devices.instrument},
            {"linked_thermocouple", before.thermocouple, devices.thermocouple}};
    bool changed = false;
    for (const auto &[name, was, now] : changes)
        if (ok && was != now)
            changed = true,
            ok = m_archive.appendHistory(changeOf(sha256, QString::fromLatin1(name), was, now, reason), error);
    if (ok && changed)
        ok = m_archive.withdrawSignatures(sha256, reason, error);
    return m_archive.endWrite(ok, error);
}
} // namespace zq
