#pragma once

#include "link/portio.h"

#include <QByteArray>
#include <QList>

// A serial line in memory: the test puts bytes on the far side and sees what
// was written. notify() stands in for the port's receive notification.
class FakePort : public PortIO
{
public:
    QByteArray waiting;
    QList<QByteArray> written;
    bool openFails = false;
    int opens = 0;

    bool portOpen() const override { return m_open; }
    bool open(QString *error) override
    {
        if (openFails) {
            *error = QStringLiteral("No such file or directory");
            return false;
        }
        ++opens;
        m_open = true;
        return true;
    }
    void close() override { m_open = false; }
    void setInputLen(int len) override { m_inputLen = len; }
    void setRThreshold(int threshold) override { m_threshold = threshold; }
    int inBufferCount() const override { return int(waiting.size()); }
    void discardInput() override { waiting.clear(); }
    QByteArray input() override
    {
        const int n = m_inputLen > 0 ? qMin<int>(m_inputLen, int(waiting.size())) : int(waiting.size());
        const QByteArray out = waiting.left(n);
        waiting.remove(0, n);
        return out;
    }
    void output(const QByteArray &bytes) override { written.append(bytes); }
    // Whole packets waiting, as the real port counts its notifications.
    int notifications() const { return m_open && m_threshold > 0 ? int(waiting.size()) / m_threshold : 0; }

private:
    bool m_open = false;
    int m_inputLen = 0;
    int m_threshold = 0;
};
