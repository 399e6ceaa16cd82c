#pragma once

#include "core/decode.h"

#include <QObject>
#include <QTimer>
#include <functional>

class PortIO;

// The download: a quiet line, the request, the reply poll, the transfer,
// and after a silence a watch for bytes that would mean the record was not
// whole. Each step is driven by the port's notifications and a coarse
// timer, so the window never blocks and the process sleeps while the line
// is quiet.
class ReadComMachine : public QObject
{
    Q_OBJECT
public:
    enum State { Idle, Settling, AwaitingReply, Transferring, Watching };
    enum StartResult { Started, PortBusy, OpenFailed };
    // Cut: a sequence transfer whose line fell silent short of its count.
    // StillSending: the line never fell quiet, so no request went out.
    // NotARecord: the first packets were no instrument's record.
    // Paused: it ended by a silence, but bytes came during the watch after it.
    enum Outcome { NoReply, Complete, TimedOut, Cut, LineLost, Aborted, StillSending, NotARecord, Paused };
    Q_ENUM(Outcome)

    static constexpr int kReplyPasses = 10000;
    static constexpr int kSeqComplete = 3839; // done when more readings than this are stored
    static constexpr int kTimeComplete = 4040; // done when more packets than this have come

    explicit ReadComMachine(PortIO &port, QObject *parent = nullptr);

    StartResult start(QString *error);
    State state() const { return m_state; }
    // A transfer holds the port; a watch after it leaves the window free.
    bool active() const { return m_state != Idle && m_state != Watching; }
    bool watching() const { return m_state == Watching; }
    // Readings (sequence) or records (time-stamped) stored so far.
    int received() const { return m_builder.stored(); }
    // What came: the record so far, whole once finished() is emitted.
    zq::Record record() const { return m_builder.record(); }
    // The answer byte and every packet, exactly as they came off the line.
    QByteArray raw() const { return m_raw; }
    // Why the first packets were judged no record.
    QString judgement() const { return m_judgement; }
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
    // After that silence, bytes within this long mean it was only a pause.
    int watchMs = 5000;
    // Before the request the line must be this quiet, so no rest of an
    // earlier stream is taken for the answer; it gives up after settleLimitMs.
    int quietMs = 300;
    int settleLimitMs = 5000;
    // The status and progress displays change at most this often.
    int displayMs = 100;

Q_SIGNALS:
    void status(const QString &text);
    void style(const QString &text);
    void progress(int value);
    // The progress bar's end for the data type detected.
    void progressMaximum(int maximum);
    void finished(ReadComMachine::Outcome outcome);
    // Bytes came during the watch (all of them, once the line is quiet
    // again): the record that finished was not whole.
    void lateBytes(const QByteArray &bytes);
    // The watch ended with nothing late; the port is free.
    void watchEnded();

private:
    void settle();
    void sendRequest();
    void replyPasses(bool atLeastOne);
    void transferCheck();
    // Ends the transfer when the first packets are no record.
    bool rejected();
    void watch();
    void end(Outcome outcome);
    void close();
    void showCount();
    qint64 msSince(qint64 ns) const { return (clockNs() - ns) / 1000000; }

    PortIO &m_port;
    zq::RecordBuilder m_builder;
    QByteArray m_raw;
    QByteArray m_late; // bytes after a silence end

    State m_state = Idle;
    QTimer m_tick;
    int m_passes = 0;
    qint64 m_startNs = 0;
    qint64 m_quietNs = 0;
    qint64 m_requestNs = 0;
    qint64 m_lastPacketNs = 0;
    qint64 m_displayNs = 0;
    bool m_displayPending = false;
    double m_transferStart = 0;
    QString m_lastCount;
    zq::PacketJudge m_judge; // the first packets, judged before anything is believed
    QString m_judgement;
};

Q_DECLARE_METATYPE(ReadComMachine::Outcome)

double secondsSinceMidnight();
