#include "link/download.h"

#include "link/portio.h"

#include <QTime>

double secondsSinceMidnight()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

namespace {
bool bcd(uint8_t b, int low, int high)
{
    if ((b >> 4) > 9 || (b & 0x0F) > 9)
        return false;
    const int v = zq::bcdValue(b);
    return v >= low && v <= high;
}

// A time stamp the instrument's clock can hold.
bool validStamp(const QByteArray &packet)
{
    auto at = [&packet](int i) { return uint8_t(packet.at(i)); };
    return bcd(at(5), 1, 12) && bcd(at(4), 1, 31) && bcd(at(3), 0, 23) && bcd(at(2), 0, 59) && bcd(at(1), 0, 59);
}
} // namespace

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
    m_judgement.clear();
    m_judged = m_badStamps = m_failedReadings = m_judgedReadings = 0;
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

void ReadComMachine::receive()
{
    switch (m_state) {
    case Settling:
        // The rest of an earlier stream: never an answer to this request.
        m_port.input();
        m_quietNs = clockNs();
        return;
    case AwaitingReply:
        replyPasses(true);
        return;
    case Watching: {
        const QByteArray late = m_port.input();
        if (late.isEmpty())
            return;
        close();
        Q_EMIT lateBytes(late);
        return;
    }
    case Idle:
        return;
    case Transferring:
        break;
    }
    const QByteArray packet = m_port.input();
    m_raw += packet;
    m_builder.add(packet);
    m_lastPacketNs = clockNs();
    if (m_judged < kJudgedPackets) {
        judge(packet);
        if (m_judged == kJudgedPackets && rejected())
            return;
    }
    // Every packet is stored at once; the displays follow a few times a second.
    if (msSince(m_displayNs) >= displayMs)
        showCount();
    else
        m_displayPending = true;
    if ((dataType() == zq::SequenceData && received() > kSeqComplete)
        || (dataType() == zq::TimeData && m_builder.packets() > kTimeComplete))
        end(Complete);
}

void ReadComMachine::judge(const QByteArray &packet)
{
    const bool time = dataType() == zq::TimeData;
    if (packet.size() < (time ? zq::kTimePacket : zq::kSeqPacket))
        return;
    ++m_judged;
    if (time) {
        m_badStamps += !validStamp(packet);
        m_failedReadings += uint8_t(packet.at(7)) >= 8;
        m_judgedReadings += 1;
    } else {
        m_failedReadings += (uint8_t(packet.at(1)) > 8) + (uint8_t(packet.at(3)) > 8);
        m_judgedReadings += 2;
    }
}

QString ReadComMachine::verdict() const
{
    // The instrument's clock never sends an impossible stamp, and a record
    // that starts with half its readings failed is what misread bytes look
    // like (a time-stamped stream read as readings fails about half of them).
    if (4 * m_badStamps >= m_judged && m_badStamps > 0)
        return QStringLiteral("前 %1 个数据包中有 %2 个的时间不是有效的日期和时间").arg(m_judged).arg(m_badStamps);
    if (m_judgedReadings > 0 && 2 * m_failedReadings >= m_judgedReadings)
        return QStringLiteral("前 %1 个读数中有 %2 个是无效读数").arg(m_judgedReadings).arg(m_failedReadings);
    return QString();
}

bool ReadComMachine::rejected()
{
    m_judgement = verdict();
    if (m_judgement.isEmpty())
        return false;
    Q_EMIT status(QStringLiteral("DATA ERR"));
    end(NotARecord);
    return true;
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
        const bool sequence = reply.at(0) == 0x00;
        if (!sequence && reply.at(0) != 0x01)
            continue;
        m_raw = reply.left(1);
        m_builder.begin(sequence ? zq::SequenceData : zq::TimeData);
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

void ReadComMachine::transferCheck()
{
    if (m_displayPending)
        showCount();
    if (received() > 0 && msSince(m_lastPacketNs) >= silenceMs) {
        // A transfer shorter than the judged packets is judged on what came.
        if (m_judged < kJudgedPackets && rejected())
            return;
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

void ReadComMachine::watch()
{
    if (msSince(m_lastPacketNs) < silenceMs + watchMs)
        return;
    close();
    Q_EMIT watchEnded();
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
