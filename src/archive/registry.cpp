// The calibration registry: devices, their certificates, and which devices
// a run was measured with.
#include "archive/registry.h"
#include "archive/sql.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace zq {
using sql::exec;

namespace {
const char *const kTables[] = {
    "CREATE TABLE IF NOT EXISTS cal_devices (kind TEXT NOT NULL, id TEXT NOT NULL, type TEXT, max_uses INTEGER,"
    " max_temp REAL, added_at TEXT NOT NULL, PRIMARY KEY (kind, id))",
    "CREATE TABLE IF NOT EXISTS cal_certificates (kind TEXT NOT NULL, device_id TEXT NOT NULL, number TEXT NOT NULL,"
    " calibrated TEXT NOT NULL, due TEXT NOT NULL, points TEXT NOT NULL, added_at TEXT NOT NULL,"
    " PRIMARY KEY (kind, device_id, number))",
    "CREATE TABLE IF NOT EXISTS run_devices (sha256 TEXT PRIMARY KEY, instrument TEXT, thermocouple TEXT)",
};
} // namespace

QString kindName(Device::Kind kind)
{
    return kind == Device::Instrument ? QStringLiteral("instrument") : QStringLiteral("thermocouple");
}

Registry::Registry(Archive &archive)
    : m_archive(archive)
{ }

QString registryKey(Device::Kind kind, const QString &id)
{
    return kindName(kind) + QLatin1Char(':') + id;
}

bool Registry::ensure(QString *error) const
{
    // A server's tables come with its schema; the program creates nothing there.
    if (m_archive.isServer())
        return true;
    const QSqlDatabase db = QSqlDatabase::database(m_archive.connectionName(), false);
    for (const char *statement : kTables)
        if (!exec(db, QLatin1String(statement), error))
            return false;
    return true;
}

std::optional<Device> Registry::device(Device::Kind kind, const QString &id, QString *error) const
{
    for (const Device &d : devices(error))
        if (d.kind == kind && d.id == id)
            return d;
    return std::nullopt;
}

QVector<Device> Registry::devices(QString *error) const
{
    QVector<Device> out;
    if (!ensure(error))
        return out;
    const QSqlDatabase db = QSqlDatabase::database(m_archive.connectionName(), false);
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("SELECT d.kind, d.id, d.type, d.max_uses, d.max_temp,"
                       " (SELECT COUNT(*) FROM run_devices l WHERE (d.kind = 'instrument' AND l.instrument = d.id)"
                       "   OR (d.kind = 'thermocouple' AND l.thermocouple = d.id)),"
                       " (SELECT MAX(r.peak) FROM run_devices l JOIN runs r ON r.sha256 = l.sha256"
                       "   WHERE d.kind = 'thermocouple' AND l.thermocouple = d.id)"
                       " FROM cal_devices d ORDER BY d.kind, d.id"));
    if (!exec(q, error))
        return out;
    while (q.next()) {
        Device d;
        d.kind = q.value(0).toString() == QLatin1String("instrument") ? Device::Instrument : Device::Thermocouple;
        d.id = q.value(1).toString();
        d.type = q.value(2).toString();
        d.maxUses = q.value(3).toInt();
        if (!q.value(4).isNull())
            d.maxTemp = q.value(4).toDouble();
        d.uses = q.value(5).toInt();
        d.hottest = q.value(6).toDouble();
        out.append(d);
    }
    QSqlQuery c(db);
    c.prepare(QStringLiteral("SELECT kind, device_id, number, calibrated, due, points FROM cal_certificates"
                             " ORDER BY calibrated, added_at"));
    if (!exec(c, error))
        return {};
    while (c.next())
        for (Device &d : out)
            if (kindName(d.kind) == c.value(0).toString() && d.id == c.value(1).toString()) {
                QString ignored;
                d.certificates.append({c.value(2).toString(), QDate::fromString(c.value(3).toString(), Qt::ISODate),
                    QDate::fromString(c.value(4).toString(), Qt::ISODate),
                    parseCalPoints(c.value(5).toString(), &ignored).value_or(QVector<CalPoint>{})});
            }
    return out;
}

RunDevices Registry::linked(const QString &sha256, QString *error) const
{
    RunDevices d;
    if (!ensure(error))
        return d;
    QSqlQuery q(QSqlDatabase::database(m_archive.connectionName(), false));
    q.prepare(QStringLiteral("SELECT instrument, thermocouple FROM run_devices WHERE sha256 = ?"));
    q.addBindValue(sha256);
    if (exec(q, error) && q.next())
        d = {q.value(0).toString(), q.value(1).toString()};
    return d;
}

Correction Registry::correctionFor(const QString &sha256, const QDate &day, QString *error) const
{
    const RunDevices linkedTo = linked(sha256, error);
    Correction c;
    if (linkedTo.instrument.isEmpty() && linkedTo.thermocouple.isEmpty())
        return c;
    for (const Device &d : devices(error)) {
        if (d.kind == Device::Instrument && d.id == linkedTo.instrument)
            c.instrument = inForce(d.certificates, day);
        if (d.kind == Device::Thermocouple && d.id == linkedTo.thermocouple)
            c.thermocouple = inForce(d.certificates, day);
    }
    return c;
}

RunCalibration runCalibration(Archive &archive, const QString &sha256, QString *error)
{
    RunCalibration c;
    const std::optional<RunRow> run = archive.run(sha256, error);
    if (!run)
        return c;
    const QString when = run->downloadedAt.isEmpty() ? run->addedAt : run->downloadedAt;
    Registry registry(archive);
    c.devices = registry.linked(sha256, error);
    c.correction = registry.correctionFor(sha256, QDateTime::fromString(when, Qt::ISODate).date(), error);
    return c;
}
} // namespace zq
