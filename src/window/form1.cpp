#include "window/form1.h"

#include "about/frmabout.h"
#include "chart/chart.h"
#include "core/summary.h"
#include "link/instrument.h"
#include "print/fonts.h"
#include "window/analysiswindow.h"
#include "window/archivecontrol.h"
#include "window/chartpanel.h"
#include "window/commandrow.h"
#include "window/designed.h"
#include "window/desk.h"
#include "window/downloads.h"
#include "window/filecommands.h"
#include "window/readinglist.h"
#include "window/resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

namespace {
QStringList localFiles(const QMimeData *mime)
{
    QStringList files;
    if (mime && mime->hasUrls())
        for (const QUrl &url : mime->urls())
            if (url.isLocalFile())
                files.append(url.toLocalFile());
    return files;
}
} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent)
    , m_desk(std::make_unique<Desk>(this))
{
    initWindowResources();
    setWindowTitle(zq::kAppTitle);
    setFont(zq::designFont(QStringLiteral("Arial"), 12, true));
    setFixedSize(zq::twips(0, 0, 15135 + 120, 10740 + 90).size());
    setWindowIcon(QIcon(QStringLiteral(":/zqtemp.png")));
    m_background.load(QStringLiteral(":/background.png"));
    setAcceptDrops(true);
    // Creation order is stacking and tab order.
    m_row = new CommandRow(this);
    auto *time = new QPushButton(QStringLiteral("time"), this);
    time->setObjectName(QStringLiteral("Command8"));
    time->setGeometry(zq::twips(1710, 9435, 1320, 285));
    m_list = new ReadingList(this);
    m_chart = new ChartPanel(this, m_doc);
    createLabels();
    m_downloads = new DownloadControl(*m_desk, *m_row, this);
    m_archive = new ArchiveControl(*m_desk, m_doc, this);
    m_files = new FileCommands(*m_desk, m_doc, *m_downloads, *m_archive, this);
    createKeys();
    connectParts();
    connectDocument();
    m_desk->dialogs().places = {m_downloads->keepDir()};
    m_groupLabel->setText(QString::number(m_row->group()));
    zq::ChartView view;
    view.ybase = zq::ChartView::kDefaultBase;
    m_doc.setView(view);
}

Form1::~Form1() = default;

void Form1::createKeys()
{
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &Form1::showAbout);
    auto *archive = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(archive, &QShortcut::activated, this, &Form1::showArchive);
    auto *analysis = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(analysis, &QShortcut::activated, this, &Form1::showAnalysis);
}

void Form1::connectParts()
{
    connect(m_row, &CommandRow::openClicked, m_files, &FileCommands::open);
    connect(m_row, &CommandRow::saveClicked, m_files, &FileCommands::save);
    connect(m_row, &CommandRow::exportClicked, m_files, &FileCommands::exportAll);
    connect(m_row, &CommandRow::printClicked, m_files, &FileCommands::print);
    connect(m_row, &CommandRow::exitClicked, this, [this] {
        close();
        QApplication::quit();
    });
    connect(m_row, &CommandRow::groupChosen, this, &Form1::onGroupChosen);
    connect(m_row, &CommandRow::recentMenuWanted, m_files, &FileCommands::showRecentMenu);
    connect(m_list, &ReadingList::clicked, this, [this] {
        // A click shows the group's first hour again (a sequence just redraws).
        if (!record().isTimeStamped())
            return m_chart->redraw();
        zq::ChartView view = m_doc.view();
        view.start = record().at(0, m_doc.group()).hour;
        m_doc.setView(view);
    });
    connect(m_list, &ReadingList::doubleClicked, m_chart, &ChartPanel::showReading);
    connect(m_chart, &ChartPanel::menuWanted, this, &Form1::showChartMenu);
    connect(m_chart, &ChartPanel::redrawn, this, [this] {
        if (record().isTimeStamped() && !record().isSequence())
            m_hourLabel->setText(zq::timeCaption(record(), m_doc.group()));
        update();
    });
    m_downloads->confirmDiscard = [this] { return m_files->confirmDiscard(); };
    connect(m_downloads, &DownloadControl::ended, this, &Form1::downloadEnded);
    connect(m_downloads, &DownloadControl::failed, this, [this] { showRecord(zq::Record(), QString()); });
    connect(m_downloads, &DownloadControl::settled, this, [this](const DownloadResult &result) {
        if (record() == result.record)
            m_doc.setIdentity(m_doc.sha256(), result.keptPath); // the name that exists now
        m_archive->keepRun(result.record, result.keptPath, &result);
    });
    connect(&m_downloads->instrument(), &Instrument::style, m_styleLabel, &QLabel::setText);
    m_archive->keepDir = [this] { return m_downloads->keepDir(); };
    connect(m_archive, &ArchiveControl::openWanted, m_files, &FileCommands::openFile);
    connect(m_archive, &ArchiveControl::referenceWanted, this, &Form1::useReference);
    connect(m_archive, &ArchiveControl::runDescribed, m_summaryLine, &QLabel::setToolTip);
    connect(m_files, &FileCommands::recordOpened, this, &Form1::showRecord);
    connect(m_files, &FileCommands::discarded, this, &Form1::discard);
    m_files->analysis = [this] { return showAnalysis(); };
}

void Form1::connectDocument()
{
    connect(&m_doc, &zq::Document::recordChanged, this, &Form1::listRecord);
}

void Form1::showRecord(const zq::Record &record, const QString &style, const QString &path)
{
    if (!style.isEmpty())
        m_styleLabel->setText(style);
    m_doc.setRecord(record, path);
}

void Form1::listRecord()
{
    const int g = m_doc.group();
    m_list->showRecord(record(), g);
    m_summaryLine->setText(zq::summaryLine(zq::summarize(record(), g)));
    m_summaryLine->setToolTip(QString());
    zq::ChartView view = m_doc.view();
    // Time-stamped data open at the hour of the group's first record.
    if (record().isTimeStamped())
        view.start = record().at(0, g).hour;
    m_doc.setView(view);
}

void Form1::discard()
{
    // The run goes with all that was its own: identity, notes, range.
    m_doc.setRecord(zq::Record());
    m_chart->clear();
    m_row->setProgress(0);
    m_summaryLine->clear();
}

void Form1::downloadEnded(const DownloadResult &result)
{
    if (result.outcome == ReadComMachine::NotARecord || result.outcome == ReadComMachine::StillSending)
        m_styleLabel->setText(QStringLiteral("STYLE"));
    showRecord(result.record, QString(), result.keptPath);
}

void Form1::onGroupChosen(int group)
{
    // Only time-stamped data have groups to choose.
    if (!record().isTimeStamped()) {
        const QSignalBlocker quiet(m_doc);
        m_doc.setGroup(group);
        return;
    }
    m_groupLabel->setText(QString::number(group));
    m_doc.setGroup(group);
    listRecord();
}

void Form1::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_background.isNull())
        p.drawPixmap(rect(), m_background);
    else
        p.fillRect(rect(), QColor(214, 222, 232));
    p.drawImage(0, 0, m_chart->scaleLayer());
}

void Form1::closeEvent(QCloseEvent *event)
{
    m_downloads->stop();
    if (m_about)
        m_about->close();
    event->accept();
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_downloads->busy() && !localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty() || m_downloads->busy())
        return;
    event->acceptProposedAction();
    m_files->openDropped(files);
}
