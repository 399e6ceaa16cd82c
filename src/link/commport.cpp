#include "link/commport.h"

#include <QElapsedTimer>
#include <QTimer>

CommPort::CommPort(QObject *parent)
    : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &CommPort::checkNotify);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CommPort::handleError);
}

void CommPort::setDevices(const QString &com1, const QString &com2)
{
    m_devices[0] = com1;
    m_devices[1] = com2;
}

QString CommPort::deviceName() const
{
    return m_devices[m_commPort == 2 ? 1 : 0];
}

bool CommPort::open(QString *error)
{
    if (m_port.isOpen())
        return true;
    m_port.setPortName(deviceName());
    m_port.setReadBufferSize(20000);
    m_lastError = QSerialPort::NoError;
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_lastError = m_port.error();
        *error = m_port.errorString();
        return false;
    }
    const bool set = m_port.setBaudRate(QSerialPort::Baud4800) && m_port.setDataBits(QSerialPort::Data8)
        && m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop)
        && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!set) {
        *error = m_port.errorString();
        m_port.close();
        return false;
    }
    m_inputLen = 0;
    m_rThreshold = 0;
    return true;
}

void CommPort::close()
{
    if (m_port.isOpen())
        m_port.close();
}

void CommPort::setRThreshold(int threshold)
{
    m_rThreshold = threshold;
    // Bytes may already wait for the new threshold.
    if (!m_notifyQueued && m_port.isOpen()) {
        m_notifyQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_notifyQueued = false;
            checkNotify();
        });
    }
}

void CommPort::discardInput()
{
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

QByteArray CommPort::input()
{
    return m_inputLen > 0 ? m_port.read(m_inputLen) : m_port.readAll();
}

void CommPort::output(const QByteArray &bytes)
{
    m_port.write(bytes);
}

void CommPort::checkNotify()
{
    // One notification per whole packet waiting. A burst is taken in one
    // wake-up, up to a slice; the rest comes back through the event loop, so
    // nothing else starves.
    for (int n = 0; n < kSlice; ++n) {
        if (!m_port.isOpen() || m_rThreshold <= 0 || m_port.bytesAvailable() < m_rThreshold)
            return;
        Q_EMIT onComm(kReceive);
    }
    if (!m_notifyQueued && m_port.isOpen() && m_rThreshold > 0 && m_port.bytesAvailable() >= m_rThreshold) {
        m_notifyQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_notifyQueued = false;
            checkNotify();
        });
    }
}

void CommPort::handleError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
        return;
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
    // A vanished far end shows as read errors that repeat for as long as the
    // port stays open.
    case QSerialPort::ReadError: {
        if (!m_port.isOpen())
            return;
        const QString reason = m_port.errorString();
        // Close first, then tell: never leave a broken port open behind a message.
        m_port.close();
        Q_EMIT lineLost(reason);
        return;
    }
    default:
        // Line errors do not stop a transfer. A failed open keeps its error
        // for the message that names it.
        if (m_port.isOpen())
            m_port.clearError();
        return;
    }
}

qint64 monotonicNs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.nsecsElapsed();
}
