#pragma once

#include "link/portio.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

// The instrument's serial line: fixed 4800 8N1 raw settings, the per-use
// reader settings, and a receive notification (code 2) that repeats while at
// least RThreshold bytes wait, so a handler can take one packet per call.
class CommPort : public QObject, public PortIO
{
    Q_OBJECT
public:
    static constexpr int kReceive = 2;
    static constexpr int kSlice = 64;

    explicit CommPort(QObject *parent = nullptr);

    void setDevices(const QString &com1, const QString &com2);
    void setDevice(int commPort, const QString &device) { m_devices[commPort == 2 ? 1 : 0] = device; }
    QString deviceFor(int commPort) const { return m_devices[commPort == 2 ? 1 : 0]; }
    int commPort() const { return m_commPort; }
    void setCommPort(int number) { m_commPort = number; }
    QString deviceName() const;
    // Why the last open failed.
    QSerialPort::SerialPortError lastError() const { return m_lastError; }

    bool portOpen() const override { return m_port.isOpen(); }
    bool open(QString *error) override;
    void close() override;

    void setInputLen(int len) override { m_inputLen = len; }
    void setRThreshold(int threshold) override;
    int inBufferCount() const override { return int(qMin<qint64>(m_port.bytesAvailable(), 0x7FFF)); }
    void discardInput() override;
    QByteArray input() override;
    void output(const QByteArray &bytes) override;

Q_SIGNALS:
    void onComm(int commEvent);
    // The device went away under an open port (adapter pulled, line gone).
    void lineLost(const QString &reason);

private:
    void checkNotify();
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_devices[2];
    int m_commPort = 1;
    int m_inputLen = 0;
    int m_rThreshold = 0;
    bool m_notifyQueued = false;
    QSerialPort::SerialPortError m_lastError = QSerialPort::NoError;
};
