// The analysis window's whole run: the chart, the range on it, and the
// reference laid behind the run.
#include "core/view.h"
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

void AnalysisWindow::runChanged()
{
    m_group = m_doc.group();
    m_recorded.clear();
    m_calibration = {};
    showCalibration();
    update();
}

QString AnalysisWindow::figuresTsv() const
{
    return zq::figuresTsv(zq::figureRows(m_analysis, m_doc.record()) + extraRows());
}

void AnalysisWindow::copyFigures()
{
    QApplication::clipboard()->setText(figuresTsv());
}

QLayout *AnalysisWindow::buildRunPart()
{
    auto *part = new QVBoxLayout;
    wholeRun = new RunChartBox(this, m_doc);
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
    connect(wholeRun, &RunChartBox::viewRequested, this, &AnalysisWindow::viewRequested);
    return part;
}

void AnalysisWindow::viewChanged()
{
    // Another group is another run to judge; otherwise only the frame moves.
    if (m_doc.group() != m_group)
        runChanged();
    else
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
    if (alignBox->currentIndex() == 2 && m_doc.range())
        return {zq::Alignment::At, double(m_doc.range()->first)};
    return {};
}

void AnalysisWindow::placeReference()
{
    m_run = zq::runCurve(m_doc.record(), m_doc.group(), m_doc.recipe().intervalSec);
    const bool runTimed = m_doc.record().isTimeStamped() || m_doc.recipe().intervalSec > 0;
    zq::Curve reference;
    bool timed = true;
    if (m_useSchedule) {
        reference = zq::scheduleCurve(m_doc.recipe().schedule);
    } else if (m_referenceRecord.holdsData()) {
        reference = zq::runCurve(m_referenceRecord, 0, m_doc.recipe().intervalSec);
        timed = m_referenceRecord.isTimeStamped() || m_doc.recipe().intervalSec > 0;
    }
    const zq::Alignment how = alignment();
    m_placed = zq::Placed{};
    if (m_useSchedule && m_doc.recipe().schedule.isEmpty())
        m_placed.problem = QStringLiteral("配方没有计划");
    else if (!reference.isEmpty())
        m_placed = zq::layReference(m_run, runTimed, reference, timed, how);
    m_doc.setReference(m_run, m_placed.curve);
}

QVector<zq::FigureRow> AnalysisWindow::extraRows() const
{
    if (!m_doc.record().holdsData())
        return {};
    // The range's rows and the reference's, as the process report gives them.
    const zq::ProcessReport part = zq::processFigures(
        m_doc.record(), m_doc.group(), m_doc.recipe(), m_doc.range(), m_placed, alignment(), calibration());
    return part.rangeRows + part.referenceRows;
}

void AnalysisWindow::showWholeRun()
{
    zq::RunChartContent c;
    c.run = correction() ? zq::correctedCurve(m_run, *correction()) : m_run;
    c.reference = m_placed.curve;
    c.recipe = m_doc.recipe();
    c.timeAxis = m_doc.record().isTimeStamped() || m_doc.recipe().intervalSec > 0;
    auto position = [this](int index) { return wholeRun->positionOf(index); };
    wholeRun->setContent(c); // positions are looked up on this run
    // The readings the main chart shows, framed on the whole run.
    if (const auto [first, last] = zq::readingsInView(m_doc.record(), m_doc.view()); first >= 0 && last >= first)
        c.frame = std::pair{position(first), position(last)};
    if (m_doc.range())
        c.range = std::pair{position(m_doc.range()->first), position(m_doc.range()->second)};
    wholeRun->setContent(c);
    rangeLabel->setText(m_doc.range() ? QStringLiteral("选区：读数 %1 至 %2（Esc 或在选区外单击清除）")
                                            .arg(zq::where(m_doc.record(), m_analysis, m_doc.range()->first),
                                                zq::where(m_doc.record(), m_analysis, m_doc.range()->second))
                                      : QStringLiteral("在曲线上拖动可选择一段（主图中按住 Shift 拖动）"));
}
