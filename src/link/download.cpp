#include "link/download.h"

#include "link/portio.h"

#include <QTime>

double secondsSinceMidnight()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

ReadComMachine::ReadComMachine(PortIO &port, QObject *parent)
    : QObject(parent)
    , timeOfDay(secondsSinceMidnight)
    , clockNs(monotonicNs)
    , m_port(port)
{
    m_tick.setInterval(10);
    connect(&m_tick, &QTimer::timeout, this, &ReadComMachine::step);
}

void ReadComMachine::step()
{
    switch (m_state) {
    case Settling:
        settle();
        return;
    case AwaitingReply:
        replyPasses(false);
        return;
    case Transferring:
        transferCheck();
        return;
    case Watching:
        watch();
        return;
    case Idle:
        return;
    }
}

ReadComMachine::StartResult ReadComMachine::start(QString *error)
{
    if (m_port.portOpen())
        return PortBusy;
    if (!m_port.open(error))
        return OpenFailed;
    // Readings of an earlier download must never pass for this one's.
    m_builder.begin(zq::NoData);
    m_raw.clear();
    m_late.clear();
    m_judgement.clear();
    m_passes = 0;
    m_lastCount.clear();
    m_port.setInputLen(0);
    m_port.discardInput();
    m_port.setRThreshold(1);
    Q_EMIT status(QStringLiteral("COM Test Begin"));
    m_state = Settling;
    m_startNs = m_quietNs = clockNs();
    m_tick.setInterval(10);
    m_tick.start();
    return Started;
}

void ReadComMachine::settle()
{
    if (msSince(m_quietNs) >= quietMs)
        sendRequest();
    else if (msSince(m_startNs) >= settleLimitMs) {
        Q_EMIT status(QStringLiteral("COM BUSY"));
        end(StillSending);
    }
}

void ReadComMachine::sendRequest()
{
    m_port.setInputLen(1);
    m_port.setRThreshold(1);
    m_port.output(QByteArray(1, '\0'));
    m_state = AwaitingReply;
    m_requestNs = clockNs();
}

void ReadComMachine::replyPasses(bool atLeastOne)
{
    // Passes are counted against the time since the request, so the count of
    // 10000 keeps a fixed span without spinning through them.
    const qint64 due = qMin<qint64>(kReplyPasses, (clockNs() - m_requestNs) / 1000 / passMicros + 1);
    bool first = atLeastOne;
    while (
        m_state == AwaitingReply && dataType() == zq::NoData && m_passes < kReplyPasses && (m_passes < due || first)) {
        first = false;
        m_passes += 1;
        const int waiting = m_port.inBufferCount();
        const QString count = QString::number(waiting);
        if (count != m_lastCount) {
            m_lastCount = count;
            Q_EMIT status(count);
        }
        if (waiting < 1)
            continue;
        const QByteArray reply = m_port.input();
        if (reply.isEmpty())
            continue;
        const bool sequence = reply.at(0) == 0x00;
        if (!sequence && reply.at(0) != 0x01)
            continue;
        m_raw = reply.left(1);
        m_builder.begin(sequence ? zq::SequenceData : zq::TimeData);
        m_judge.begin(m_builder.type());
        m_port.setInputLen(sequence ? zq::kSeqPacket : zq::kTimePacket);
        m_port.setRThreshold(sequence ? zq::kSeqPacket : zq::kTimePacket);
        Q_EMIT style(sequence ? QStringLiteral("STYLE 0") : QStringLiteral("STYLE 1"));
        // Records received against what the instrument's memory holds.
        Q_EMIT progressMaximum(sequence ? zq::kProgressMax : zq::kTabSlots);
    }
    if (dataType() != zq::NoData) {
        m_state = Transferring;
        m_transferStart = timeOfDay();
        m_lastPacketNs = clockNs();
        m_displayNs = clockNs();
        m_tick.setInterval(100);
        return;
    }
    if (m_passes >= kReplyPasses) {
        Q_EMIT status(QStringLiteral("COM ERR"));
        end(NoReply);
    }
}

void ReadComMachine::lineLost()
{
    if (m_state == Settling || m_state == AwaitingReply) {
        Q_EMIT status(QStringLiteral("COM ERR"));
        end(NoReply);
    } else if (m_state == Transferring) {
        end(LineLost);
    } else if (m_state == Watching) {
        close();
        Q_EMIT watchEnded();
    }
}

void ReadComMachine::abort()
{
    if (m_state == Watching)
        close();
    else if (m_state != Idle)
        end(Aborted);
}

void ReadComMachine::close()
{
    m_tick.stop();
    m_port.close();
    m_state = Idle;
}

void ReadComMachine::end(Outcome outcome)
{
    const bool transferred = m_state == Transferring;
    // Fewer packets than the judge takes, however the transfer ended (a
    // silence, a lost line, the window closed): judged on what came.
    if (transferred && outcome != NotARecord && !m_judge.full()) {
        m_judgement = m_judge.verdict();
        if (!m_judgement.isEmpty()) {
            Q_EMIT status(QStringLiteral("DATA ERR"));
            outcome = NotARecord;
        }
    }
    if (transferred && outcome != NotARecord) {
        showCount(); // the final count, exact
        if (outcome == Complete)
            Q_EMIT progress(dataType() == zq::TimeData ? zq::kTabSlots : zq::kProgressMax);
    }
    // A silence ended it: the port stays open a while, listening.
    const bool bySilence = transferred && outcome == Complete && msSince(m_lastPacketNs) >= silenceMs;
    if (bySilence && watchMs > 0) {
        m_port.setInputLen(0);
        m_port.setRThreshold(1);
        m_state = Watching;
    } else {
        close();
    }
    Q_EMIT finished(outcome);
}
