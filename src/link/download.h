#pragma once

#include "core/workspace.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class CommPort;

// The download: request, reply poll, transfer wait. Each pass of the reply
// poll and each check of the transfer is one step, driven by the port's
// notifications and a coarse timer, so the window never blocks and the
// process sleeps while the line is quiet.
class ReadComMachine : public QObject
{
    Q_OBJECT
public:
    enum State { Idle, AwaitingReply, Transferring };
    enum StartResult { Started, PortBusy, OpenFailed };
    enum Outcome { NoReply, Complete, TimedOut, LineLost, Aborted };

    static constexpr int kReplyPasses = 10000;
    static constexpr int kSeqComplete = 3839; // done when wdnum exceeds it
    static constexpr int kTimeComplete = 4040; // done when recnum exceeds it

    ReadComMachine(Workspace &ws, CommPort &port, QObject *parent = nullptr);

    StartResult start(QString *error);
    State state() const { return m_state; }
    bool active() const { return m_state != Idle; }

    // One step of the machine as the timer makes it.
    void step();
    // A receive notification for this transfer.
    void receive();
    // The line went away: end now, keep what came.
    void lineLost();
    // The window is closing: close the port quietly.
    void abort();

    // Seconds since midnight, with fractions; replaceable so tests need not wait.
    std::function<double()> timeOfDay;
    double timeLimit = 85.0;
    // One reply pass lasts this long, so 10000 passes span two seconds.
    int passMicros = 200;

Q_SIGNALS:
    void status(const QString &text);
    void style(const QString &text);
    void progress(int value);
    void finished(ReadComMachine::Outcome outcome);

private:
    void replyPasses(bool atLeastOne);
    void transferCheck();
    void end(Outcome outcome);

    Workspace &m_ws;
    CommPort &m_port;
    State m_state = Idle;
    QTimer m_tick;
    QElapsedTimer m_sinceRequest;
    double m_transferStart = 0;
    QString m_lastCount;
};

double secondsSinceMidnight();
