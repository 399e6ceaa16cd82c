#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class PortIO;

// One poll of the live reading: request, wait for the reply, show, close.
class OnlinePollMachine : public QObject
{
    Q_OBJECT
public:
    enum StartResult { Started, PortBusy, OpenFailed };
    static constexpr int kWaitPasses = 25000;
    static constexpr int kLatePasses = 12999;

    explicit OnlinePollMachine(PortIO &port, QObject *parent = nullptr);

    StartResult start(QString *error);
    bool active() const { return m_active; }
    // The last reply's reading: -1 while awaited, 8888 for a failed one.
    int reading() const { return m_live; }
    void receive();
    void abort();
    // One pass of the wait, as the timer makes it.
    void step();

    // 25000 passes span five seconds; a reply after 2.6 s counts as none.
    int passMicros = 200;
    std::function<qint64()> clockNs;

Q_SIGNALS:
    void status(const QString &text);
    void finished();

private:
    void end();

    PortIO &m_port;
    int m_live = 0;
    int m_passes = 0;
    bool m_active = false;
    QTimer m_tick;
    qint64 m_requestNs = 0;
};
