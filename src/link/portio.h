#pragma once

#include <QByteArray>
#include <QString>

// What the download and the live reading need of a serial line: the port's
// operations as the window's design names them. The real line is CommPort;
// the fuzz targets drive the machines through one of their own.
// Nanoseconds of a monotonic clock; the machines take it replaceable, so a
// fuzz target or a test can run their waits without waiting.
qint64 monotonicNs();

class PortIO
{
public:
    virtual ~PortIO() = default;
    virtual bool portOpen() const = 0;
    virtual bool open(QString *error) = 0;
    virtual void close() = 0;
    virtual void setInputLen(int len) = 0;
    virtual void setRThreshold(int threshold) = 0;
    virtual int inBufferCount() const = 0;
    virtual void discardInput() = 0;
    virtual QByteArray input() = 0;
    virtual void output(const QByteArray &bytes) = 0;
};
