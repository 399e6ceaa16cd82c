#include "link/instrument.h"

#include "core/datafile.h"

#include "link/commport.h"
#include "link/onlinepoll.h"
#include "link/porterrors.h"
#include <QFile>

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
    connect(m_download, &ReadComMachine::lateBytes, this, &Instrument::onLateBytes);
    connect(m_download, &ReadComMachine::watchEnded, this, [this] {
        Q_EMIT watchEnded();
        Q_EMIT downloadSettled(m_last);
    });
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

bool Instrument::watching() const
{
    return m_download->watching();
}

void Instrument::route(int commEvent)
{
    if (commEvent != CommPort::kReceive)
        return;
    // Bytes go to whatever the port was opened for, never by the data held.
    if (m_download->active() || m_download->watching())
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
    endWatch(); // a watch gives way to the new download
    m_lostMessage.clear();
    // A forgotten reader of the same device takes bytes meant for us.
    const zq::PortFacts facts = zq::gatherPortFacts(m_port->deviceName());
    if (!facts.holders.isEmpty()) {
        *message
            = zq::portErrorText(m_port->commPort(), m_port->deviceName(), QSerialPort::OpenError, QString(), facts);
        return Failed;
    }
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
    endWatch();
    m_download->abort();
    m_poll->abort();
}

void Instrument::endWatch()
{
    if (!m_download->watching())
        return;
    m_download->abort();
    Q_EMIT downloadSettled(m_last);
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

QString Instrument::otherReaders() const
{
    const QStringList holders = zq::gatherPortFacts(m_port->deviceName()).holders;
    if (holders.isEmpty())
        return QString();
    return zq::otherReadersText(holders);
}

void Instrument::onDownloadFinished(ReadComMachine::Outcome outcome)
{
    DownloadResult result;
    result.outcome = outcome;
    // Bytes judged no record are kept raw, never shown as a download.
    if (outcome != ReadComMachine::NotARecord)
        result.record = m_download->record();
    result.raw = m_download->raw();
    result.device = m_port->deviceName();
    result.instrument = instrumentFor(m_port->commPort());
    result.ended = QDateTime::currentDateTime();
    result.note = outcome == ReadComMachine::LineLost ? m_lostMessage : zq::endingText(outcome, *m_download);
    if ((outcome == ReadComMachine::Cut || outcome == ReadComMachine::LineLost) && result.record.count() > 0)
        result.note += otherReaders();
    if (!m_keepDir.isEmpty() && result.raw.size() > 1) {
        const zq::KeptCopy kept
            = zq::keepDownload(m_keepDir, result.record, result.raw, m_download->dataType(), result.ended);
        result.keptPath = kept.dataPath;
        result.rawPath = kept.rawPath;
        result.keepError = kept.error;
    }
    m_last = result;
    Q_EMIT downloadEnded(result);
    if (!m_download->watching())
        Q_EMIT downloadSettled(result);
}

void Instrument::onLateBytes(const QByteArray &bytes)
{
    DownloadResult result = m_last;
    result.outcome = ReadComMachine::Paused;
    result.raw += bytes;
    result.note = zq::lateBytesText(int(bytes.size()));
    // The kept files say so in their names, and the raw file holds the late bytes too.
    if (!result.keptPath.isEmpty() || !result.rawPath.isEmpty()) {
        const zq::KeptCopy kept = zq::keepDownload(
            m_keepDir, result.record, result.raw, m_download->dataType(), result.ended, QStringLiteral("-incomplete"));
        if (!kept.dataPath.isEmpty() || !kept.rawPath.isEmpty()) {
            for (const QString &old : {result.keptPath, result.rawPath})
                if (!old.isEmpty())
                    QFile::remove(old); // the same bytes live on under the new name
            result.keptPath = kept.dataPath;
            result.rawPath = kept.rawPath;
        }
        result.keepError = kept.error;
    }
    m_last = result;
    Q_EMIT downloadIncomplete(result);
    Q_EMIT downloadSettled(result);
}
