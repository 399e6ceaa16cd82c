#include "window/form1.h"

#include "about/frmabout.h"
#include "archive/archive.h"
#include "archive/sharedlink.h"
#include "chart/chart.h"
#include "chart/guides.h"
#include "core/listlines.h"
#include "core/summary.h"
#include "core/view.h"
#include "link/instrument.h"
#include "window/analysiswindow.h"
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
#include <QSignalBlocker>
#include <QTimer>

Form1::Form1(QWidget *parent)
    : QWidget(parent)
    , m_dialogs(std::make_unique<QtUserDialogs>(this))
    , m_link(new Instrument(this))
{
    initWindowResources();
    createControls();
    setWindowIcon(QIcon(QStringLiteral(":/zqtemp.png")));
    m_background.load(QStringLiteral(":/background.png"));
    m_layer = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    m_layer.fill(Qt::transparent);
    m_settings = std::make_unique<QSettings>();
    setAcceptDrops(true);
    connectControls();
    connectInstrument();
    connectViewAids();
    connectRangeAids();
    m_link->setKeepDir(keepDir());
    m_dialogs->places = {keepDir()};
    groupLabel->setText(QString::number(groupBar->value()));
    m_view.ybase = -scaleBar->value();
    redraw();
}

Form1::~Form1()
{
    // A download still running is kept on disk; nothing is shown any more.
    disconnect(m_link, nullptr, this, nullptr);
    m_link->abort();
}

void Form1::setDialogs(std::unique_ptr<UserDialogs> dialogs)
{
    m_dialogs = std::move(dialogs);
    m_dialogs->places = {keepDir()};
}

void Form1::connectControls()
{
    connect(downloadButton, &QPushButton::clicked, this, &Form1::onDownloadClicked);
    connect(portButton, &QPushButton::clicked, this, &Form1::onPortClicked);
    connect(openButton, &QPushButton::clicked, this, &Form1::onOpenClicked);
    connect(saveButton, &QPushButton::clicked, this, &Form1::onSaveClicked);
    connect(exportButton, &QPushButton::clicked, this, &Form1::onExportClicked);
    connect(exitButton, &QPushButton::clicked, this, &Form1::onExitClicked);
    connect(printButton, &QPushButton::clicked, this, &Form1::onPrintClicked);
    connect(readingList, &QListWidget::itemClicked, this, &Form1::onListClicked);
    connect(readingList, &QListWidget::itemDoubleClicked, this, &Form1::onListDoubleClicked);
    connect(viewBar, &QScrollBar::valueChanged, this, &Form1::onViewBarChanged);
    connect(scaleBar, &QScrollBar::valueChanged, this, &Form1::onScaleBarChanged);
    connect(groupBar, &QScrollBar::valueChanged, this, &Form1::onGroupChanged);
    connect(liveTimer, &QTimer::timeout, this, &Form1::onLiveTick);
    connect(onlineSwitch, &QPushButton::toggled, this, &Form1::setLiveReading);
    connect(makerLabel, &ClickLabel::clicked, this, &Form1::showAbout);
    openButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(openButton, &QWidget::customContextMenuRequested, this, &Form1::showRecentMenu);
    portButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(portButton, &QWidget::customContextMenuRequested, this, &Form1::showPortMenu);
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
    m_link->abort();
    liveTimer->stop();
    if (m_about)
        m_about->close();
    event->accept();
}

void Form1::onExitClicked()
{
    close();
    QApplication::quit();
}

void Form1::redraw()
{
    ++m_redraws;
    {
        QPainter lp(&chartBox->image());
        zq::drawChartFrame(lp, m_record.type());
        zq::drawGuides(lp, m_view, m_recipe);
        QVector<int> marks;
        for (const zq::RunNote &n : m_notes)
            if (const int x = zq::columnOf(m_record, m_view, n.atReading); x >= 0)
                marks.append(x);
        zq::drawNoteMarkers(lp, marks);
        drawRunOverlays(lp);
        if (m_record.isSequence()) {
            zq::drawSequenceCurve(lp, m_record, m_view);
        } else if (m_record.isTimeStamped()) {
            hourLabel->setText(zq::timeCaption(m_record, m_view.group));
            zq::drawTimePoints(lp, m_record, m_view, zq::groupColour(0));
        }
    }
    {
        m_layer.fill(Qt::transparent);
        QPainter wp(&m_layer);
        zq::drawScale(wp, chartBox->pos(), m_view.ybase, font());
    }
    chartBox->update();
    update();
    tellViewSpan();
}

void Form1::setView(const zq::ChartView &view)
{
    m_view = view;
    {
        // The bars follow the view without reporting back.
        const QSignalBlocker blockView(viewBar);
        const QSignalBlocker blockScale(scaleBar);
        if (m_record.holdsData())
            viewBar->setMaximum(zq::ChartView::scrollMax(m_record.type()));
        viewBar->setValue(m_view.start);
        scaleBar->setValue(-m_view.ybase);
    }
    redraw();
}

void Form1::showRecord(const zq::Record &record, const QString &style)
{
    m_record = record;
    // Its notes come with its place in the archive, if it has one.
    m_runSha.clear();
    m_runPath.clear();
    m_notes.clear();
    if (!style.isEmpty())
        styleLabel->setText(style);
    listRecord();
}

void Form1::listRecord()
{
    const int g = m_view.group;
    m_range.reset();
    readingList->clear();
    QPalette pal = readingList->palette();
    pal.setColor(QPalette::Text, zq::groupColour(g));
    readingList->setPalette(pal);
    readingList->addItems(zq::readingLines(m_record, g));
    summaryLine->setText(zq::summaryLine(zq::summarize(m_record, g)));
    analyzeRun();
    zq::ChartView view = m_view;
    // Time-stamped data open at the hour of the group's first record.
    if (m_record.isTimeStamped())
        view.start = m_record.at(0, g).hour;
    viewBar->show();
    setView(view);
}

void Form1::onListClicked()
{
    if (!m_record.isTimeStamped()) {
        redraw();
        return;
    }
    zq::ChartView view = m_view;
    view.start = m_record.at(0, m_view.group).hour;
    setView(view);
}

void Form1::onViewBarChanged()
{
    zq::ChartView view = m_view;
    if (m_record.holdsData()) {
        // Lowering the maximum may move the bar, which reports again.
        viewBar->setMaximum(zq::ChartView::scrollMax(m_record.type()));
        view.start = viewBar->value();
    }
    setView(view);
}

void Form1::onScaleBarChanged()
{
    zq::ChartView view = m_view;
    view.ybase = -scaleBar->value();
    setView(view);
}

void Form1::onGroupChanged()
{
    m_view.group = groupBar->value();
    if (!m_record.isTimeStamped())
        return;
    groupLabel->setText(QString::number(m_view.group));
    listRecord();
}

void Form1::showAbout()
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
