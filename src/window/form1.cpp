#include "window/form1.h"

#include "about/frmabout.h"
#include "chart/chart.h"
#include "core/listlines.h"
#include "link/commport.h"
#include "link/onlinepoll.h"
#include "link/porterrors.h"
#include "window/chartbox.h"
#include "window/clicklabel.h"
#include "window/dialogs.h"
#include "window/resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>

Form1::Form1(QWidget *parent)
    : QWidget(parent)
    , m_dialogs(std::make_unique<QtUserDialogs>(this))
{
    initWindowResources();
    createControls();
    setWindowIcon(QIcon(QStringLiteral(":/zqtemp.png")));
    m_background.load(QStringLiteral(":/background.png"));
    m_layer = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    m_layer.fill(Qt::transparent);
    m_download = new ReadComMachine(ws, *MyComm, this);
    m_poll = new OnlinePollMachine(ws, *MyComm, this);
    m_settings = std::make_unique<QSettings>();
    setAcceptDrops(true);
    connectControls();
    connectViewAids();
    Command2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Command2, &QWidget::customContextMenuRequested, this, &Form1::showRecentMenu);
    Command6->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Command6, &QWidget::customContextMenuRequested, this, &Form1::showPortMenu);
    m_dialogs->places = {keepDir()};
    Form_Load();
}

Form1::~Form1()
{
    m_download->abort();
    m_poll->abort();
}

void Form1::setDialogs(std::unique_ptr<UserDialogs> dialogs)
{
    m_dialogs = std::move(dialogs);
    m_dialogs->places = {keepDir()};
}

void Form1::connectControls()
{
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(打印, &QPushButton::clicked, this, &Form1::打印_Click);
    connect(List1, &QListWidget::itemClicked, this, &Form1::List1_Click);
    connect(HScroll1, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &Form1::VScroll1_Change);
    connect(VScroll2[0], &QScrollBar::valueChanged, this, [this] { VScroll2_Change(0); });
    connect(MyComm, &CommPort::onComm, this, &Form1::MyComm_OnComm);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(onlineSwitch, &QPushButton::toggled, this, &Form1::setLiveReading);
    Label12->clicked = [this] { Label12_Click(); };
    connect(m_download, &ReadComMachine::status, this, &Form1::showStatus);
    connect(m_download, &ReadComMachine::style, Label2, &QLabel::setText);
    connect(m_download, &ReadComMachine::progress, ProgressBar1, &QProgressBar::setValue);
    connect(m_download, &ReadComMachine::progressMaximum, ProgressBar1, &QProgressBar::setMaximum);
    connect(m_download, &ReadComMachine::finished, this, &Form1::downloadFinished);
    connect(m_poll, &OnlinePollMachine::status, this, &Form1::showStatus);
    connect(MyComm, &CommPort::lineLost, this, [this](const QString &reason) {
        const QString device = MyComm->deviceName();
        if (m_download->active())
            m_download->lineLost();
        else
            m_poll->abort();
        showStatus(QStringLiteral("COM ERR"));
        tellFailure(zq::portErrorText(
            MyComm->commPort(), device, QSerialPort::ResourceError, reason, zq::gatherPortFacts(device)));
    });
}

void Form1::Form_Load()
{
    Label4[0]->setText(QString::number(VScroll2[0]->value()));
    ws.xstart = 0;
    ws.havedata = 0;
    ws.wdlow = 0;
    ws.wdhigh = 2000;
    ws.seqstart = 0;
    ws.ybase = -VScroll1->value();
    ws.datatype = zq::NoData;
    // The single-copy rule is checked by the program's start, so tests can
    // make as many windows as they need.
    DRAWFEET();
}

int Form1::selectedGroup() const
{
    return VScroll2[0]->value();
}

QColor Form1::groupColour(int group) const
{
    return movewd[qBound(0, group, 7)]->palette().color(QPalette::WindowText);
}

void Form1::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_background.isNull())
        p.drawPixmap(rect(), m_background);
    else
        p.fillRect(rect(), QColor(214, 222, 232));
    p.drawImage(0, 0, m_layer);
}

void Form1::closeEvent(QCloseEvent *event)
{
    m_download->abort();
    m_poll->abort();
    Timer1->stop();
    if (m_about)
        m_about->close();
    event->accept();
}

void Form1::Command3_Click()
{
    close();
    QApplication::quit();
}

void Form1::DRAWFEET()
{
    ++m_redraws;
    {
        QPainter lp(&LP1->image());
        zq::drawChartFrame(lp, ws.datatype);
    }
    {
        m_layer.fill(Qt::transparent);
        QPainter wp(&m_layer);
        zq::drawScale(wp, LP1->pos(), ws.ybase, font());
    }
    DRAWline();
    LP1->update();
    update();
}

void Form1::DRAWline()
{
    if (ws.datatype == zq::SequenceData) {
        QPainter lp(&LP1->image());
        zq::drawSequenceCurve(lp, ws);
    } else if (ws.datatype == zq::TimeData) {
        DRAWasTime();
    }
}

void Form1::DRAWasTime()
{
    Label13->setText(zq::timeCaption(ws, selectedGroup()));
    QPainter lp(&LP1->image());
    zq::drawTimePoints(lp, ws, groupColour(0));
}

void Form1::loadwd(int)
{
    const int g = selectedGroup();
    ws.xstart = ws.record(0, g).hour;
    List1->clear();
    QPalette pal = List1->palette();
    pal.setColor(QPalette::Text, groupColour(g));
    List1->setPalette(pal);
    List1->addItems(zq::readingLines(ws, g));
    if (ws.datatype == zq::TimeData) {
        ws.xstart = ws.record(0, g).hour;
        HScroll1->setValue(ws.xstart);
    }
    DRAWFEET();
    HScroll1->show();
    updateSummary();
}

void Form1::List1_Click()
{
    ws.xstart = ws.record(0, selectedGroup()).hour;
    DRAWFEET();
}

void Form1::HScroll1_Change()
{
    if (ws.datatype == zq::SequenceData) {
        HScroll1->setMaximum(372);
        ws.xstart = int16_t(HScroll1->value());
        ws.seqstart = 10 * ws.xstart;
    } else if (ws.datatype == zq::TimeData) {
        // Lowering the maximum may move the bar, which reports again.
        HScroll1->setMaximum(23);
        ws.xstart = int16_t(HScroll1->value());
    }
    DRAWFEET();
}

void Form1::VScroll1_Change()
{
    ws.ybase = -VScroll1->value();
    LP1->clear();
    DRAWFEET();
}

void Form1::VScroll2_Change(int)
{
    if (ws.datatype != zq::TimeData)
        return;
    const int g = selectedGroup();
    ws.xstart = ws.record(0, g).hour;
    HScroll1->setValue(ws.xstart);
    Label4[0]->setText(QString::number(g));
    loadwd(0);
    DRAWFEET();
}

void Form1::Label12_Click()
{
    if (!m_about) {
        // Owned by the window, so it stays above it while both are open.
        m_about = new frmAbout(*m_dialogs, this);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
        QRect box = m_about->frameGeometry();
        box.moveCenter(frameGeometry().center());
        m_about->move(box.topLeft());
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form1::tellFailure(const QString &text)
{
    m_dialogs->message(text, zq::kBoxTitle, QMessageBox::Ok, QMessageBox::Warning, QMessageBox::Ok);
}
