// The analysis window's whole run: the chart, the range on it, and the
// reference laid behind the run.
#include "print/processreport.h"
#include "window/analysiswindow.h"
#include "window/runchartbox.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

void AnalysisWindow::setRun(const zq::Record &record, int group)
{
    m_record = record;
    m_group = group;
    m_range.reset(); // a range belongs to the run it was drawn on
    m_recorded.clear();
    m_calibration = {};
    showCalibration();
    update();
}

QString AnalysisWindow::figuresTsv() const
{
    return zq::figuresTsv(zq::figureRows(m_analysis, m_record) + extraRows());
}

void AnalysisWindow::copyFigures()
{
    QApplication::clipboard()->setText(figuresTsv());
}

QLayout *AnalysisWindow::buildRunPart()
{
    auto *part = new QVBoxLayout;
    wholeRun = new RunChartBox(this);
    part->addWidget(wholeRun, 1);
    rangeLabel = new QLabel(this);
    rangeLabel->setObjectName(QStringLiteral("rangeLabel"));
    part->addWidget(rangeLabel);
    auto *row = new QHBoxLayout;
    auto *choose = new QPushButton(QStringLiteral("参考曲线…"), this);
    choose->setObjectName(QStringLiteral("referenceButton"));
    referenceBox = new QComboBox(this);
    referenceBox->setObjectName(QStringLiteral("referenceBox"));
    referenceBox->addItems({QStringLiteral("无参考"), QStringLiteral("配方计划")});
    alignBox = new QComboBox(this);
    alignBox->setObjectName(QStringLiteral("alignBox"));
    alignBox->addItems({QStringLiteral("对齐起点"), QStringLiteral("对齐首次达到"), QStringLiteral("对齐选区起点")});
    alignValue = new QLineEdit(this);
    alignValue->setObjectName(QStringLiteral("alignValue"));
    alignValue->setPlaceholderText(QStringLiteral("℃"));
    alignValue->setMaximumWidth(70);
    row->addWidget(choose);
    row->addWidget(referenceBox, 1);
    row->addWidget(alignBox);
    row->addWidget(alignValue);
    part->addLayout(row);
    connect(choose, &QPushButton::clicked, this, &AnalysisWindow::referenceWanted);
    connect(referenceBox, &QComboBox::activated, this, [this](int index) {
        if (index == 0)
            clearReference();
        else if (index == 1)
            useSchedule();
    });
    connect(alignBox, &QComboBox::activated, this, [this] { update(); });
    connect(alignValue, &QLineEdit::textEdited, this, [this] { update(); });
    connect(wholeRun, &RunChartBox::rangeChosen, this, &AnalysisWindow::rangeChosen);
    connect(wholeRun, &RunChartBox::rangeCleared, this, &AnalysisWindow::rangeCleared);
    connect(wholeRun, &RunChartBox::viewRequested, this, &AnalysisWindow::viewRequested);
    return part;
}

void AnalysisWindow::setRange(std::optional<std::pair<int, int>> range)
{
    m_range = range;
    update();
}

void AnalysisWindow::setViewSpan(int first, int last)
{
    m_viewSpan = first >= 0 && last >= first ? std::optional(std::pair{first, last}) : std::nullopt;
    showWholeRun();
}

void AnalysisWindow::setReferenceRecord(const zq::Record &record, const QString &name)
{
    m_referenceRecord = record;
    m_useSchedule = false;
    while (referenceBox->count() > 2)
        referenceBox->removeItem(2);
    referenceBox->addItem(name);
    referenceBox->setCurrentIndex(2);
    update();
}

void AnalysisWindow::useSchedule()
{
    m_useSchedule = true;
    referenceBox->setCurrentIndex(1);
    update();
}

void AnalysisWindow::clearReference()
{
    m_useSchedule = false;
    m_referenceRecord = zq::Record();
    referenceBox->setCurrentIndex(0);
    update();
}

QString AnalysisWindow::company() const
{
    return m_company->text().trimmed();
}

void AnalysisWindow::setCompany(const QString &text)
{
    m_company->setText(text);
}

zq::Alignment AnalysisWindow::alignment() const
{
    bool ok = false;
    const double value = alignValue->text().toDouble(&ok);
    if (alignBox->currentIndex() == 1 && ok)
        return {zq::Alignment::Cross, value};
    if (alignBox->currentIndex() == 2 && m_range)
        return {zq::Alignment::At, double(m_range->first)};
    return {};
}

void AnalysisWindow::placeReference()
{
    m_run = zq::runCurve(m_record, m_group, m_recipe.intervalSec);
    const bool runTimed = m_record.isTimeStamped() || m_recipe.intervalSec > 0;
    zq::Curve reference;
    bool timed = true;
    if (m_useSchedule) {
        reference = zq::scheduleCurve(m_recipe.schedule);
    } else if (m_referenceRecord.holdsData()) {
        reference = zq::runCurve(m_referenceRecord, 0, m_recipe.intervalSec);
        timed = m_referenceRecord.isTimeStamped() || m_recipe.intervalSec > 0;
    }
    const zq::Alignment how = alignment();
    m_placed = zq::Placed{};
    if (m_useSchedule && m_recipe.schedule.isEmpty())
        m_placed.problem = QStringLiteral("配方没有计划");
    else if (!reference.isEmpty())
        m_placed = zq::layReference(m_run, runTimed, reference, timed, how);
    Q_EMIT referencePlaced(m_placed.curve);
}

QVector<zq::FigureRow> AnalysisWindow::extraRows() const
{
    if (!m_record.holdsData())
        return {};
    // The range's rows and the reference's, as the process report gives them.
    const zq::ProcessReport part
        = zq::processFigures(m_record, m_group, m_recipe, m_range, m_placed, alignment(), calibration());
    return part.rangeRows + part.referenceRows;
}

void AnalysisWindow::showWholeRun()
{
    zq::RunChartContent c;
    c.run = correction() ? zq::correctedCurve(m_run, *correction()) : m_run;
    c.reference = m_placed.curve;
    c.recipe = m_recipe;
    c.timeAxis = m_record.isTimeStamped() || m_recipe.intervalSec > 0;
    auto position = [this](int index) { return wholeRun->positionOf(index); };
    wholeRun->setContent(c); // positions are looked up on this run
    if (m_viewSpan)
        c.frame = std::pair{position(m_viewSpan->first), position(m_viewSpan->second)};
    if (m_range)
        c.range = std::pair{position(m_range->first), position(m_range->second)};
    wholeRun->setContent(c);
    rangeLabel->setText(m_range ? QStringLiteral("选区：读数 %1 至 %2（Esc 或在选区外单击清除）")
                                      .arg(zq::where(m_record, m_analysis, m_range->first),
                                          zq::where(m_record, m_analysis, m_range->second))
                                : QStringLiteral("在曲线上拖动可选择一段（主图中按住 Shift 拖动）"));
}
