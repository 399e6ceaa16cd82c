#include "link/instrument.h"

#include "core/datafile.h"
#include "link/commport.h"
#include "link/onlinepoll.h"
#include "link/porterrors.h"

Instrument::Instrument(QObject *parent)
    : QObject(parent)
    , m_port(new CommPort(this))
    , m_download(new ReadComMachine(*m_port, this))
    , m_poll(new OnlinePollMachine(*m_port, this))
{
    connect(m_port, &CommPort::onComm, this, &Instrument::route);
    connect(m_port, &CommPort::lineLost, this, &Instrument::onLineLost);
    connect(m_download, &ReadComMachine::status, this, &Instrument::status);
    connect(m_download, &ReadComMachine::style, this, &Instrument::style);
    connect(m_download, &ReadComMachine::progress, this, &Instrument::progress);
    connect(m_download, &ReadComMachine::progressMaximum, this, &Instrument::progressMaximum);
    connect(m_download, &ReadComMachine::finished, this, &Instrument::onDownloadFinished);
    connect(m_poll, &OnlinePollMachine::status, this, &Instrument::status);
    connect(m_poll, &OnlinePollMachine::finished, this, &Instrument::pollEnded);
}

Instrument::~Instrument()
{
    m_download->abort();
    m_poll->abort();
}

void Instrument::setDevices(const QString &com1, const QString &com2)
{
    m_poll->abort();
    m_port->setDevices(com1, com2);
}

void Instrument::setDevice(int commPort, const QString &device)
{
    m_poll->abort();
    m_port->setDevice(commPort, device);
}

QString Instrument::deviceFor(int commPort) const
{
    return m_port->deviceFor(commPort);
}

int Instrument::commPort() const
{
    return m_port->commPort();
}

void Instrument::setCommPort(int number)
{
    // A transfer keeps its port; a poll ends, and the next one asks the new port.
    if (m_download->active())
        return;
    m_poll->abort();
    m_port->setCommPort(number);
}

QString Instrument::deviceName() const
{
    return m_port->deviceName();
}

bool Instrument::portOpen() const
{
    return m_port->portOpen();
}

bool Instrument::downloading() const
{
    return m_download->active();
}

bool Instrument::polling() const
{
    return m_poll->active();
}

void Instrument::route(int commEvent)
{
    if (commEvent != CommPort::kReceive)
        return;
    // Bytes go to whatever the port was opened for, never by the data held.
    if (m_download->active())
        m_download->receive();
    else if (m_poll->active())
        m_poll->receive();
}

QString Instrument::openFailure(const QString &reason) const
{
    return zq::portErrorText(m_port->commPort(), m_port->deviceName(), m_port->lastError(), reason,
        zq::gatherPortFacts(m_port->deviceName()));
}

Instrument::StartResult Instrument::startDownload(QString *message)
{
    if (m_download->active())
        return Busy;
    m_poll->abort();
    m_lostMessage.clear();
    QString reason;
    switch (m_download->start(&reason)) {
    case ReadComMachine::Started:
        return Started;
    case ReadComMachine::PortBusy:
        return Busy;
    case ReadComMachine::OpenFailed:
        break;
    }
    *message = openFailure(reason);
    return Failed;
}

Instrument::StartResult Instrument::startPoll(QString *message)
{
    if (m_port->portOpen())
        return Busy;
    QString reason;
    if (m_poll->start(&reason) == OnlinePollMachine::Started)
        return Started;
    *message = openFailure(reason);
    return Failed;
}

void Instrument::stopPoll()
{
    m_poll->abort();
}

void Instrument::abort()
{
    m_download->abort();
    m_poll->abort();
}

void Instrument::onLineLost(const QString &reason)
{
    const QString message = zq::portErrorText(m_port->commPort(), m_port->deviceName(), QSerialPort::ResourceError,
        reason, zq::gatherPortFacts(m_port->deviceName()));
    if (m_download->active()) {
        m_lostMessage = message;
        m_download->lineLost();
        return;
    }
    m_poll->abort();
    Q_EMIT pollLineLost(message);
}

void Instrument::onDownloadFinished(ReadComMachine::Outcome outcome)
{
    DownloadResult result;
    result.outcome = outcome;
    result.record = m_download->record();
    result.device = m_port->deviceName();
    result.ended = QDateTime::currentDateTime();
    result.note = outcome == ReadComMachine::LineLost ? m_lostMessage : zq::shortTransferText(outcome, result.record);
    if (result.record.count() > 0 && !m_keepDir.isEmpty())
        result.keptPath = zq::keepDownload(m_keepDir, result.record, result.ended, &result.keepError);
    Q_EMIT downloadEnded(result);
}

namespace zq {
QString shortTransferText(ReadComMachine::Outcome outcome, const Record &record)
{
    if (outcome != ReadComMachine::TimedOut && outcome != ReadComMachine::Cut)
        return QString();
    // The instrument always sends its full sequence memory, so a shorter
    // transfer means the line failed.
    if (record.isSequence() && record.count() < kSeqReadings)
        return QStringLiteral("数据传输未完成：只收到 %1 个读数（应为 %2 个）。\n已收到的读数已保留。")
            .arg(record.count())
            .arg(kSeqReadings);
    // Time-stamped data end by a silence; the time limit means the line never settled.
    if (record.isTimeStamped() && outcome == ReadComMachine::TimedOut)
        return QStringLiteral("数据传输未完成：85 秒内没有传完，只收到 %1 条记录。\n已收到的记录已保留。")
            .arg(record.count());
    return QString();
}
} // namespace zq
