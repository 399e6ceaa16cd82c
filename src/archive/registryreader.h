#pragma once

#include "archive/registry.h"

#include <QObject>
#include <QThread>

namespace zq {
class RegistryWorker;

// The calibration registry read on a thread of its own, from a connection
// of its own to the archive given: a server may keep a read waiting, and
// the window must not wait with it. Each read is answered by a signal, in
// the order asked.
class RegistryReader : public QObject
{
    Q_OBJECT
public:
    // The archive is read again on a connection of the reader's own, opened
    // at the first read: it must be open then.
    explicit RegistryReader(const Archive &archive, QObject *parent = nullptr);
    // Waits for the read in hand (a server connection gives up within 3 s);
    // an answer not yet delivered is dropped.
    ~RegistryReader() override;
    RegistryReader(const RegistryReader &) = delete;
    RegistryReader &operator=(const RegistryReader &) = delete;

    void readDevices();
    void readCalibration(const QString &sha256);

Q_SIGNALS:
    void devicesRead(const QVector<zq::Device> &devices, const QString &error);
    void calibrationRead(const QString &sha256, const zq::RunCalibration &calibration, const QString &error);

private:
    QThread m_thread;
    RegistryWorker *m_worker = nullptr;
};
} // namespace zq
