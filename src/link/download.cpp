#include "link/download.h"

#include "core/decode.h"
#include "link/portio.h"

#include <QTime>

double secondsSinceMidnight()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

ReadComMachine::ReadComMachine(Workspace &ws, PortIO &port, QObject *parent)
    : QObject(parent)
    , timeOfDay(secondsSinceMidnight)
    , clockNs(monotonicNs)
    , m_ws(ws)
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
    m_ws.clearTable();
    m_ws.wdseq.fill(0);
    m_port.setInputLen(1);
    m_port.discardInput();
    m_port.setRThreshold(1);
    m_ws.wdnum = 0;
    m_ws.recnum = 0;
    m_ws.clearCounts();
    Q_EMIT status(QStringLiteral("COM Test Begin"));
    m_port.output(QByteArray(1, '\0'));
    m_ws.workidx = 0;
    m_ws.datatype = zq::NoData;
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
    const QByteArray packet = m_port.input();
    if (m_ws.datatype == zq::SequenceData)
        zq::storeSequencePacket(m_ws, packet);
    else if (m_ws.datatype == zq::TimeData)
        zq::storeTimePacket(m_ws, packet);
    m_lastPacketNs = clockNs();
    // Every packet is stored at once; the displays follow a few times a second.
    if (msSince(m_displayNs) >= displayMs)
        showCount();
    else
        m_displayPending = true;
    if ((m_ws.datatype == zq::SequenceData && m_ws.wdnum > kSeqComplete)
        || (m_ws.datatype == zq::TimeData && m_ws.recnum > kTimeComplete))
        end(Complete);
}

int ReadComMachine::received() const
{
    return m_ws.datatype == zq::SequenceData ? m_ws.wdnum : m_ws.grpcount[0];
}

void ReadComMachine::showCount()
{
    m_displayPending = false;
    m_displayNs = clockNs();
    Q_EMIT status(QString::number(received()));
    Q_EMIT progress(qMin(received(), m_ws.datatype == zq::TimeData ? zq::kTabSlots : zq::kProgressMax));
}

void ReadComMachine::replyPasses(bool atLeastOne)
{
    // Passes are counted against the time since the request, so the count of
    // 10000 keeps a fixed span without spinning through them.
    const qint64 due = qMin<qint64>(kReplyPasses, (clockNs() - m_requestNs) / 1000 / passMicros + 1);
    bool first = atLeastOne;
    while (m_state == AwaitingReply && m_ws.datatype == zq::NoData && m_ws.workidx < kReplyPasses
        && (m_ws.workidx < due || first)) {
        first = false;
        m_ws.workidx += 1;
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
            m_ws.datatype = zq::SequenceData;
            m_port.setInputLen(zq::kSeqPacket);
            m_port.setRThreshold(zq::kSeqPacket);
            Q_EMIT style(QStringLiteral("STYLE 0"));
            Q_EMIT progressMaximum(zq::kProgressMax);
        } else if (reply.at(0) == 0x01) {
            m_ws.datatype = zq::TimeData;
            m_port.setInputLen(zq::kTimePacket);
            m_port.setRThreshold(zq::kTimePacket);
            Q_EMIT style(QStringLiteral("STYLE 1"));
            // Records received against what the instrument's memory holds.
            Q_EMIT progressMaximum(zq::kTabSlots);
        }
    }
    if (m_ws.datatype != zq::NoData) {
        m_state = Transferring;
        m_transferStart = timeOfDay();
        m_lastPacketNs = clockNs();
        m_displayNs = clockNs();
        m_tick.setInterval(100);
        return;
    }
    if (m_ws.workidx >= kReplyPasses) {
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
        end(m_ws.datatype == zq::TimeData ? Complete : Cut);
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
            Q_EMIT progress(m_ws.datatype == zq::TimeData ? zq::kTabSlots : zq::kProgressMax);
    }
    m_state = Idle;
    if (outcome != NoReply)
        m_ws.havedata = uint8_t(m_ws.datatype);
    Q_EMIT finished(outcome);
}
