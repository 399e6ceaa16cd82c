// The window's side of the instrument: download, port toggle, live reading.
#include "window/downloads.h"

#include "link/instrument.h"
#include "window/commandrow.h"
#include "window/desk.h"

#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

DownloadControl::DownloadControl(Desk &desk, CommandRow &row, QWidget *window)
    : QObject(window)
    , m_desk(desk)
    , m_row(row)
    , m_link(new Instrument(this))
    , m_liveTimer(new QTimer(window))
{
    m_liveTimer->setObjectName(QStringLiteral("Timer1"));
    m_liveTimer->setInterval(1000);
    connect(m_liveTimer, &QTimer::timeout, this, &DownloadControl::liveTick);
    connect(&row, &CommandRow::downloadClicked, this, &DownloadControl::download);
    connect(&row, &CommandRow::portClicked, this, &DownloadControl::togglePort);
    connect(&row, &CommandRow::liveToggled, this, &DownloadControl::setLive);
    connect(&row, &CommandRow::portMenuWanted, this, &DownloadControl::showPortMenu);
    connectInstrument();
    m_link->setKeepDir(keepDir());
    m_desk.showStatus = [self = QPointer<DownloadControl>(this)](const QString &text) {
        if (self)
            self->showStatus(text);
    };
}

DownloadControl::~DownloadControl()
{
    // A download still running is kept on disk; nothing is shown any more.
    disconnect(m_link, nullptr, this, nullptr);
    m_link->abort();
}

void DownloadControl::stop()
{
    m_link->abort();
    m_liveTimer->stop();
}

bool DownloadControl::busy() const
{
    return m_link->downloading();
}

void DownloadControl::connectInstrument()
{
    connect(m_link, &Instrument::status, this, &DownloadControl::showStatus);
    connect(m_link, &Instrument::progress, &m_row, &CommandRow::setProgress);
    connect(m_link, &Instrument::progressMaximum, &m_row, &CommandRow::setProgressMaximum);
    connect(m_link, &Instrument::downloadEnded, this, &DownloadControl::downloadEnded);
    connect(m_link, &Instrument::downloadSettled, this, [this](const DownloadResult &result) {
        if (result.keptPath.isEmpty())
            return;
        m_lastKept = result.keptPath;
        Q_EMIT settled(result);
    });
    connect(m_link, &Instrument::downloadIncomplete, this, [this](const DownloadResult &result) {
        // The bar no longer says whole.
        m_row.setProgress(result.record.count());
        QString text = result.note;
        if (!result.keptPath.isEmpty())
            text += QStringLiteral("\n保存为 %1").arg(QDir::toNativeSeparators(result.keptPath));
        m_desk.tellFailure(text);
    });
    connect(m_link, &Instrument::pollLineLost, this, [this](const QString &message) {
        showStatus(QStringLiteral("COM ERR"));
        m_desk.tellFailure(message);
    });
}

void DownloadControl::download()
{
    // A running transfer's data must not be touched by a second press.
    if (m_link->downloading())
        return;
    // The live reading gives way first, so no poll can take the port while
    // the question below is open.
    m_row.setLive(false);
    m_link->stopPoll();
    if (confirmDiscard && !confirmDiscard())
        return;
    // The question ran the event loop: a tick may have started a poll meanwhile.
    m_row.setLive(false);
    QString message;
    switch (m_link->startDownload(&message)) {
    case Instrument::Started:
        m_row.setTransferring(true);
        return;
    case Instrument::Busy:
        return;
    case Instrument::Failed:
        showStatus(QStringLiteral("COM ERR"));
        m_desk.tellFailure(message);
        Q_EMIT failed();
        return;
    }
}

void DownloadControl::downloadEnded(const DownloadResult &result)
{
    m_row.setTransferring(false);
    if (!result.keptPath.isEmpty())
        m_lastKept = result.keptPath;
    if (result.outcome == ReadComMachine::LineLost || result.outcome == ReadComMachine::NoReply)
        showStatus(QStringLiteral("COM ERR"));
    Q_EMIT ended(result);
    if (!result.keepError.isEmpty())
        m_desk.tellFailure(QStringLiteral("接收的数据未能自动保存到 %1\n%2\n数据仍在窗口中，请用 SAVE 保存。")
                               .arg(QDir::toNativeSeparators(keepDir()), result.keepError));
    if (result.note.isEmpty())
        return;
    QString text = result.note;
    // The bytes judged no record are there to be looked at.
    if (result.outcome == ReadComMachine::NotARecord && !result.rawPath.isEmpty())
        text += QStringLiteral("\n原始字节：%1").arg(QDir::toNativeSeparators(result.rawPath));
    m_desk.tellFailure(text);
}

void DownloadControl::togglePort()
{
    // A transfer keeps its port; a poll ends, and the next tick asks the new one.
    if (m_link->downloading())
        return;
    m_link->setCommPort(m_link->commPort() == 2 ? 1 : 2);
    showPortTooltip();
}

void DownloadControl::liveTick()
{
    QString message;
    if (m_link->startPoll(&message) == Instrument::Failed) {
        // One message, not one a second: the live reading switches itself off.
        m_row.setLive(false);
        showStatus(QStringLiteral("COM ERR"));
        m_desk.tellFailure(message);
    }
}

void DownloadControl::setLive(bool on)
{
    if (on) {
        m_liveTimer->start();
        return;
    }
    m_liveTimer->stop();
    m_link->stopPoll();
    // A reading left standing would pass for a current one.
    if (!m_link->downloading())
        showStatus(QStringLiteral("----"));
}

void DownloadControl::showStatus(const QString &text)
{
    m_row.showStatus(
        text, QStringLiteral("%1\nCOM %2: %3").arg(text).arg(m_link->commPort()).arg(m_link->deviceName()));
}

void DownloadControl::setKeepDir(const QString &dir)
{
    m_keepDir = dir;
    m_link->setKeepDir(keepDir());
    m_desk.dialogs().places = {keepDir()};
}

QString DownloadControl::keepDir() const
{
    if (!m_keepDir.isEmpty())
        return m_keepDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/downloads");
}

QString DownloadControl::lastKept() const
{
    if (!m_lastKept.isEmpty())
        return m_lastKept;
    const QFileInfoList newest = QDir(keepDir()).entryInfoList({QStringLiteral("*.ZQ")}, QDir::Files, QDir::Time);
    return newest.isEmpty() ? QString() : newest.first().absoluteFilePath();
}
