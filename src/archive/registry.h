#pragma once

#include "archive/archive.h"
#include "core/calibration.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <optional>

namespace zq {
// An instrument (by serial number) or a thermocouple (by its ID), with every
// certificate it ever had: a new one supersedes the old from its date, and
// the old one stays.
struct Device
{
    enum Kind { Instrument, Thermocouple } kind = Instrument;
    QString id;
    QString type; // a thermocouple's: K, N, S, R, B, J, T or E
    int maxUses = 0; // 0: no limit
    std::optional<double> maxTemp;
    QVector<Certificate> certificates; // oldest first
    int uses = 0; // runs linked to it
    double hottest = 0; // the highest peak of those runs
};

// The devices linked to a run.
struct RunDevices
{
    QString instrument;
    QString thermocouple;
};

// The calibration registry kept in the run archive, beside the runs.
class Registry
{
public:
    explicit Registry(Archive &archive);
    // A certificate for a device, adding the device when it is new (a
    // thermocouple's type and limits are taken from the first one given);
    // each leaves a row in the device's history (registryKey).
    bool addCertificate(const Device &device, const Certificate &certificate, QString *error);
    QVector<Device> devices(QString *error) const;
    std::optional<Device> device(Device::Kind kind, const QString &id, QString *error) const;
    // Each device changed is a row in the run's history with its old and
    // new value; as any change, it withdraws a signed run's signatures and
    // then needs a reason.
    bool link(const QString &sha256, const RunDevices &devices, QString *error, const QString &reason = QString());
    RunDevices linked(const QString &sha256, QString *error) const;
    // The certificates in force on the run's day that correct its readings.
    Correction correctionFor(const QString &sha256, const QDate &day, QString *error) const;

    // A device's or certificate's row from another archive laid into this
    // one's tables; one already here stays as it is.
    bool apply(const HistoryRow &row, QString *error);
    // Every run's linked devices, by run.
    QHash<QString, RunDevices> links(QString *error) const;
    // Another archive's devices and certificates where this one lacks them,
    // and its runs' links but for a run approved here (Archive::merge).
    bool takeFrom(const QVector<Device> &devices, const QHash<QString, RunDevices> &links, QString *error);

private:
    bool ensure(QString *error) const;
    Archive &m_archive;
};

QString kindName(Device::Kind kind);
// A device and a certificate as their history rows hold them (JSON).
QString deviceText(const Device &d);
QString certificateText(const Certificate &c);
// Whether a history key is a device's ("instrument:SN-1"), not a run's.
bool isRegistryKey(const QString &key);
// Where a device's changes are kept in the history, beside the runs' chains
// (a run's key is its SHA-256, so the two never meet): "instrument:SN-1".
QString registryKey(Device::Kind kind, const QString &id);

// A run's devices and the certificates in force on the day it was
// downloaded (else added): what its readings are corrected by.
struct RunCalibration
{
    RunDevices devices;
    Correction correction;
};
RunCalibration runCalibration(Archive &archive, const QString &sha256, QString *error);
} // namespace zq
