// The window's side of the instrument link: download, port toggle, live reading.
#include "link/commport.h"
#include "link/onlinepoll.h"
#include "link/porterrors.h"
#include "print/fonts.h"
#include "window/chartbox.h"
#include "window/dialogs.h"
#include "window/form1.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

void Form1::setPortDevices(const QString &com1, const QString &com2)
{
    MyComm->setDevices(com1, com2);
    showPortTooltip();
}

bool Form1::confirmDiscard()
{
    if (ws.havedata == 0)
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
    ws.clearCounts();
    ws.datatype = zq::NoData;
    ws.havedata = 0;
    LP1->clear();
    List1->clear();
    ProgressBar1->setValue(0);
    summaryLine->clear();
}

void Form1::Command5_Click()
{
    // A running transfer's data must not be touched by a second press.
    if (m_download->active())
        return;
    // The live reading gives way first, so no poll can take the port while
    // the question below is open.
    onlineSwitch->setChecked(false);
    m_poll->abort();
    if (!confirmDiscard())
        return;
    // The question ran the event loop: a tick may have started a poll meanwhile.
    onlineSwitch->setChecked(false);
    m_poll->abort();
    QString error;
    switch (m_download->start(&error)) {
    case ReadComMachine::Started:
        setTransferring(true);
        return;
    case ReadComMachine::PortBusy:
        return;
    case ReadComMachine::OpenFailed:
        showStatus(QStringLiteral("COM ERR"));
        tellFailure(zq::portErrorText(MyComm->commPort(), MyComm->deviceName(), MyComm->lastError(), error,
            zq::gatherPortFacts(MyComm->deviceName())));
        downloadFinished(ReadComMachine::NoReply);
        return;
    }
}

void Form1::setTransferring(bool on)
{
    for (QWidget *b : {Command5, Command2, Command1, Command4, 打印, Command6, onlineSwitch})
        b->setEnabled(!on);
}

void Form1::downloadFinished(ReadComMachine::Outcome outcome)
{
    setTransferring(false);
    keepCopy(outcome != ReadComMachine::Aborted);
    // loadwd redraws the chart; once is enough.
    loadwd(0);
    HScroll1->show();
    // The instrument always sends its full sequence memory, so a shorter
    // transfer means the line failed.
    if ((outcome == ReadComMachine::TimedOut || outcome == ReadComMachine::Cut) && ws.datatype == zq::SequenceData
        && ws.wdnum < zq::kSeqReadings)
        tellFailure(QStringLiteral("数据传输未完成：只收到 %1 个读数（应为 %2 个）。\n已收到的读数已保留。")
                        .arg(ws.wdnum)
                        .arg(zq::kSeqReadings));
}

void Form1::Command6_Click()
{
    // A transfer keeps its port; a poll ends, and the next tick asks the new one.
    if (m_download->active())
        return;
    m_poll->abort();
    if (MyComm->commPort() == 2) {
        MyComm->setCommPort(1);
        Command6->setText(QStringLiteral("COM 1"));
    } else {
        MyComm->setCommPort(2);
        Command6->setText(QStringLiteral("COM 2"));
    }
}

void Form1::MyComm_OnComm(int commEvent)
{
    if (commEvent != CommPort::kReceive)
        return;
    // Bytes are decoded by what the port was opened for, never by the data held.
    if (m_download->active())
        m_download->receive();
    else if (m_poll->active())
        m_poll->receive();
}

void Form1::Timer1_Timer()
{
    if (MyComm->portOpen())
        return;
    QString error;
    if (m_poll->start(&error) == OnlinePollMachine::OpenFailed) {
        // One message, not one a second: the live reading switches itself off.
        onlineSwitch->setChecked(false);
        showStatus(QStringLiteral("COM ERR"));
        tellFailure(zq::portErrorText(MyComm->commPort(), MyComm->deviceName(), MyComm->lastError(), error,
            zq::gatherPortFacts(MyComm->deviceName())));
    }
}

void Form1::setLiveReading(bool on)
{
    if (on) {
        Timer1->start();
        return;
    }
    Timer1->stop();
    m_poll->abort();
    // A reading left standing would pass for a current one.
    if (!m_download->active())
        showStatus(QStringLiteral("----"));
}

void Form1::showStatus(const QString &text)
{
    // Arial 12 as designed; a text too long for the box gets a smaller size
    // rather than losing its ends.
    QFont font = zq::designFont(QStringLiteral("Arial"), 12);
    const int room = Label6->contentsRect().width();
    for (double points = 12; points > 5 && QFontMetrics(font).horizontalAdvance(text) > room; points -= 0.5)
        font.setPointSizeF(points - 0.5);
    Label6->setFont(font);
    Label6->setText(text);
    Label6->setToolTip(QStringLiteral("%1\nCOM %2: %3").arg(text).arg(MyComm->commPort()).arg(MyComm->deviceName()));
}
