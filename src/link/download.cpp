#include "link/download.h"

#include "core/decode.h"
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
    if (m_state == AwaitingReply)
        replyPasses(false);
    else if (m_state == Transferring)
        transferCheck();
}

ReadComMachine::StartResult ReadComMachine::start(QString *error)
{
    if (m_port.portOpen())
        return PortBusy;
    if (!m_port.open(error))
        return OpenFailed;
    // Readings of an earlier download must never pass for this one's.
    m_builder.begin(zq::NoData);
    m_port.setInputLen(1);
    m_port.discardInput();
    m_port.setRThreshold(1);
    Q_EMIT status(QStringLiteral("COM Test Begin"));
    m_port.output(QByteArray(1, '\0'));
    m_passes = 0;
    m_state = AwaitingReply;
    m_lastCount.clear();
    m_requestNs = clockNs();
    m_tick.setInterval(10);
    m_tick.start();
    return Started;
}

void ReadComMachine::receive()
{
    if (m_state == AwaitingReply) {
        replyPasses(true);
        return;
    }
    if (m_state != Transferring)
        return;
    m_builder.add(m_port.input());
    m_lastPacketNs = clockNs();
    // Every packet is stored at once; the displays follow a few times a second.
    if (msSince(m_displayNs) >= displayMs)
        showCount();
    else
        m_displayPending = true;
    if ((dataType() == zq::SequenceData && received() > kSeqComplete)
        || (dataType() == zq::TimeData && m_builder.packets() > kTimeComplete))
        end(Complete);
}

void ReadComMachine::showCount()
{
    m_displayPending = false;
    m_displayNs = clockNs();
    Q_EMIT status(QString::number(received()));
    Q_EMIT progress(qMin(received(), dataType() == zq::TimeData ? zq::kTabSlots : zq::kProgressMax));
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
        if (reply.at(0) == 0x00) {
            m_builder.begin(zq::SequenceData);
            m_port.setInputLen(zq::kSeqPacket);
            m_port.setRThreshold(zq::kSeqPacket);
            Q_EMIT style(QStringLiteral("STYLE 0"));
            Q_EMIT progressMaximum(zq::kProgressMax);
        } else if (reply.at(0) == 0x01) {
            m_builder.begin(zq::TimeData);
            m_port.setInputLen(zq::kTimePacket);
            m_port.setRThreshold(zq::kTimePacket);
            Q_EMIT style(QStringLiteral("STYLE 1"));
            // Records received against what the instrument's memory holds.
            Q_EMIT progressMaximum(zq::kTabSlots);
        }
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

void ReadComMachine::transferCheck()
{
    if (m_state != Transferring)
        return;
    if (m_displayPending)
        showCount();
    if (received() > 0 && msSince(m_lastPacketNs) >= silenceMs) {
        end(dataType() == zq::TimeData ? Complete : Cut);
        return;
    }
    // The time of day is read on this coarse tick only, not per packet.
    const double now = timeOfDay();
    if (now < m_transferStart)
        m_transferStart = now; // the clock passed midnight
    if (now > m_transferStart + timeLimit)
        end(TimedOut);
}

void ReadComMachine::lineLost()
{
    if (m_state == AwaitingReply) {
        Q_EMIT status(QStringLiteral("COM ERR"));
        end(NoReply);
    } else if (m_state == Transferring) {
        end(LineLost);
    }
}

void ReadComMachine::abort()
{
    if (m_state != Idle)
        end(Aborted);
}

void ReadComMachine::end(Outcome outcome)
{
    m_tick.stop();
    m_port.close();
    if (m_state == Transferring) {
        showCount(); // the final count, exact
        if (outcome == Complete)
            Q_EMIT progress(dataType() == zq::TimeData ? zq::kTabSlots : zq::kProgressMax);
    }
    m_state = Idle;
    Q_EMIT finished(outcome);
}
