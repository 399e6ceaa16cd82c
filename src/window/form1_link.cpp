// The window's side of the instrument: download, port toggle, live reading.
#include "link/instrument.h"
#include "print/fonts.h"
#include "window/chartbox.h"
#include "window/dialogs.h"
#include "window/form1.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

void Form1::connectInstrument()
{
    connect(m_link, &Instrument::status, this, &Form1::showStatus);
    connect(m_link, &Instrument::style, styleLabel, &QLabel::setText);
    connect(m_link, &Instrument::progress, progressBar, &QProgressBar::setValue);
    connect(m_link, &Instrument::progressMaximum, progressBar, &QProgressBar::setMaximum);
    connect(m_link, &Instrument::downloadEnded, this, &Form1::downloadEnded);
    // The archive learns of a download once it is settled: its final outcome
    // and the name its kept copy finally has.
    connect(m_link, &Instrument::downloadSettled, this, [this](const DownloadResult &result) {
        if (!result.keptPath.isEmpty()) {
            m_lastKept = result.keptPath;
            if (m_record == result.record)
                m_runPath = result.keptPath; // the name that exists now
            archiveRun(result.record, result.keptPath, &result);
        }
    });
    connect(m_link, &Instrument::downloadIncomplete, this, [this](const DownloadResult &result) {
        // The bar no longer says whole.
        progressBar->setValue(result.record.count());
        QString text = result.note;
        if (!result.keptPath.isEmpty())
            text += QStringLiteral("\n保存为 %1").arg(QDir::toNativeSeparators(result.keptPath));
        tellFailure(text);
    });
    connect(m_link, &Instrument::pollLineLost, this, [this](const QString &message) {
        showStatus(QStringLiteral("COM ERR"));
        tellFailure(message);
    });
}

void Form1::setPortDevices(const QString &com1, const QString &com2)
{
    m_link->setDevices(com1, com2);
    showPortTooltip();
}

bool Form1::confirmDiscard()
{
    if (!m_record.holdsData())
        return true;
    const auto answer = m_dialogs->message(zq::kDiscardQuestion, QStringLiteral("提示信息"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Critical, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return false;
    discardData();
    return true;
}

void Form1::discardData()
{
    m_record = zq::Record();
    chartBox->clear();
    readingList->clear();
    progressBar->setValue(0);
    summaryLine->clear();
}

void Form1::onDownloadClicked()
{
    // A running transfer's data must not be touched by a second press.
    if (m_link->downloading())
        return;
    // The live reading gives way first, so no poll can take the port while
    // the question below is open.
    onlineSwitch->setChecked(false);
    m_link->stopPoll();
    if (!confirmDiscard())
        return;
    // The question ran the event loop: a tick may have started a poll meanwhile.
    onlineSwitch->setChecked(false);
    QString message;
    switch (m_link->startDownload(&message)) {
    case Instrument::Started:
        setTransferring(true);
        return;
    case Instrument::Busy:
        return;
    case Instrument::Failed:
        showStatus(QStringLiteral("COM ERR"));
        tellFailure(message);
        showRecord(zq::Record(), QString());
        return;
    }
}

void Form1::setTransferring(bool on)
{
    for (QWidget *b : {downloadButton, openButton, saveButton, exportButton, printButton, portButton, onlineSwitch})
        b->setEnabled(!on);
}

void Form1::downloadEnded(const DownloadResult &result)
{
    setTransferring(false);
    if (!result.keptPath.isEmpty())
        m_lastKept = result.keptPath;
    if (result.outcome == ReadComMachine::LineLost || result.outcome == ReadComMachine::NoReply)
        showStatus(QStringLiteral("COM ERR"));
    if (result.outcome == ReadComMachine::NotARecord || result.outcome == ReadComMachine::StillSending)
        styleLabel->setText(QStringLiteral("STYLE"));
    showRecord(result.record, QString());
    m_runPath = result.keptPath;
    if (!result.keepError.isEmpty())
        tellFailure(QStringLiteral("接收的数据未能自动保存到 %1\n%2\n数据仍在窗口中，请用 SAVE 保存。")
                        .arg(QDir::toNativeSeparators(keepDir()), result.keepError));
    if (result.note.isEmpty())
        return;
    QString text = result.note;
    // The bytes judged no record are there to be looked at.
    if (result.outcome == ReadComMachine::NotARecord && !result.rawPath.isEmpty())
        text += QStringLiteral("\n原始字节：%1").arg(QDir::toNativeSeparators(result.rawPath));
    tellFailure(text);
}

void Form1::onPortClicked()
{
    // A transfer keeps its port; a poll ends, and the next tick asks the new one.
    if (m_link->downloading())
        return;
    m_link->setCommPort(m_link->commPort() == 2 ? 1 : 2);
    portButton->setText(QStringLiteral("COM %1").arg(m_link->commPort()));
}

void Form1::onLiveTick()
{
    QString message;
    if (m_link->startPoll(&message) == Instrument::Failed) {
        // One message, not one a second: the live reading switches itself off.
        onlineSwitch->setChecked(false);
        showStatus(QStringLiteral("COM ERR"));
        tellFailure(message);
    }
}

void Form1::setLiveReading(bool on)
{
    if (on) {
        liveTimer->start();
        return;
    }
    liveTimer->stop();
    m_link->stopPoll();
    // A reading left standing would pass for a current one.
    if (!m_link->downloading())
        showStatus(QStringLiteral("----"));
}

void Form1::showStatus(const QString &text)
{
    // Arial 12 as designed; a text too long for the box gets a smaller size
    // rather than losing its ends.
    QFont font = zq::designFont(QStringLiteral("Arial"), 12);
    const int room = statusLabel->contentsRect().width();
    for (double points = 12; points > 5 && QFontMetrics(font).horizontalAdvance(text) > room; points -= 0.5)
        font.setPointSizeF(points - 0.5);
    statusLabel->setFont(font);
    statusLabel->setText(text);
    statusLabel->setToolTip(
        QStringLiteral("%1\nCOM %2: %3").arg(text).arg(m_link->commPort()).arg(m_link->deviceName()));
}
