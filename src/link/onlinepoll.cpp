#include "link/onlinepoll.h"

#include "core/decode.h"
#include "core/format.h"
#include "core/record.h"
#include "link/portio.h"
#include "link/texts.h"

OnlinePollMachine::OnlinePollMachine(PortIO &port, QObject *parent)
    : QObject(parent)
    , clockNs(monotonicNs)
    , m_port(port)
{
    m_tick.setInterval(20);
    connect(&m_tick, &QTimer::timeout, this, &OnlinePollMachine::step);
}

OnlinePollMachine::StartResult OnlinePollMachine::start(QString *error)
{
    if (m_port.portOpen())
        return PortBusy;
    if (!m_port.open(error))
        return OpenFailed;
    m_port.setInputLen(0);
    m_port.discardInput();
    m_port.setRThreshold(zq::kOnlineReply);
    Q_EMIT status(zq::liveOnText());
    m_port.output(QByteArray(1, char(0xC0)));
    m_passes = 0;
    m_live = -1;
    m_active = true;
    m_requestNs = clockNs();
    m_tick.start();
    return Started;
}

void OnlinePollMachine::receive()
{
    if (!m_active)
        return;
    m_live = zq::decodeOnlineReply(m_port.input());
    step();
}

void OnlinePollMachine::step()
{
    if (!m_active)
        return;
    const qint64 due = (clockNs() - m_requestNs) / 1000 / passMicros + 1;
    m_passes = int(qMin<qint64>(due, kWaitPasses + 1));
    if (m_live > -1 || m_passes > kWaitPasses)
        end();
}

void OnlinePollMachine::abort()
{
    if (!m_active)
        return;
    m_tick.stop();
    m_active = false;
    m_port.close();
}

void OnlinePollMachine::end()
{
    QString text;
    if (m_passes > kLatePasses)
        text = QStringLiteral("No DATAS");
    else if (m_live == zq::kFailedReading)
        text = QStringLiteral("Err DATAS");
    else
        text = zq::formatPadded(m_live, 4);
    Q_EMIT status(text);
    abort();
    Q_EMIT finished();
}
