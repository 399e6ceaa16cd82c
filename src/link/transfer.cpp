// The download's transfer: packets in, the first ones judged, the displays
// throttled, the end by count, silence or time, and the watch after a silence.
#include "link/download.h"
#include "link/portio.h"

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
        // Late bytes are gathered until the line is quiet again, so all of them are kept.
        const QByteArray late = m_port.input();
        if (late.isEmpty())
            return;
        m_late += late;
        m_lastPacketNs = clockNs();
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
    if (!m_judge.full()) {
        m_judge.add(packet);
        if (m_judge.full() && rejected())
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

bool ReadComMachine::rejected()
{
    m_judgement = m_judge.verdict();
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

void ReadComMachine::transferCheck()
{
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

void ReadComMachine::watch()
{
    if (!m_late.isEmpty()) {
        if (msSince(m_lastPacketNs) < silenceMs && timeOfDay() <= m_transferStart + timeLimit)
            return;
        close();
        Q_EMIT lateBytes(m_late);
        return;
    }
    if (msSince(m_lastPacketNs) < silenceMs + watchMs)
        return;
    close();
    Q_EMIT watchEnded();
}
