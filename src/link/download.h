#pragma once

#include "core/decode.h"

#include <QObject>
#include <QTimer>
#include <functional>

class PortIO;

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
    // Cut: a sequence transfer whose line fell silent short of its count.
    enum Outcome { NoReply, Complete, TimedOut, Cut, LineLost, Aborted };

    static constexpr int kReplyPasses = 10000;
    static constexpr int kSeqComplete = 3839; // done when more readings than this are stored
    static constexpr int kTimeComplete = 4040; // done when more packets than this have come

    explicit ReadComMachine(PortIO &port, QObject *parent = nullptr);

    StartResult start(QString *error);
    State state() const { return m_state; }
    bool active() const { return m_state != Idle; }
    // Readings (sequence) or records (time-stamped) stored so far.
    int received() const { return m_builder.stored(); }
    // What came: the record so far, whole once finished() is emitted.
    zq::Record record() const { return m_builder.record(); }
    // Reply passes made so far.
    int passes() const { return m_passes; }
    // The reply's type; NoData until it came.
    zq::DataType dataType() const { return m_builder.type(); }

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
    std::function<qint64()> clockNs;
    double timeLimit = 85.0;
    // One reply pass lasts this long, so 10000 passes span two seconds.
    int passMicros = 200;
    // The instrument streams its memory without a pause: once readings have
    // come, this long without a packet means it is done (or the line is cut).
    int silenceMs = 2000;
    // The status and progress displays change at most this often.
    int displayMs = 100;

Q_SIGNALS:
    void status(const QString &text);
    void style(const QString &text);
    void progress(int value);
    // The progress bar's end for the data type detected.
    void progressMaximum(int maximum);
    void finished(ReadComMachine::Outcome outcome);

private:
    void replyPasses(bool atLeastOne);
    void transferCheck();
    void end(Outcome outcome);
    void showCount();

    PortIO &m_port;
    zq::RecordBuilder m_builder;
    int m_passes = 0;
    State m_state = Idle;
    QTimer m_tick;
    qint64 msSince(qint64 ns) const { return (clockNs() - ns) / 1000000; }
    qint64 m_requestNs = 0;
    qint64 m_lastPacketNs = 0;
    qint64 m_displayNs = 0;
    bool m_displayPending = false;
    double m_transferStart = 0;
    QString m_lastCount;
};

double secondsSinceMidnight();
