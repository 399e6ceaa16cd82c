// A stretch of the run and a reference behind it: selected on the chart
// with Shift held or in 工艺分析, shaded on both, exported on its own.
#include "archive/archive.h"
#include "chart/guides.h"
#include "chart/runchart.h"
#include "core/datafile.h"
#include "core/filewrite.h"
#include "core/textexport.h"
#include "core/view.h"
#include "link/instrument.h"
#include "window/analysiswindow.h"
#include "window/chartbox.h"
#include "window/dialogs.h"
#include "window/form1.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>

void Form1::connectRangeAids()
{
    connect(chartBox, &ChartBox::pressed, this, [this](int x, bool shift) {
        const int at = zq::nearestReadingAt(m_record, m_view, x);
        m_dragFrom = shift ? at : -1;
        // A plain click outside the range lets it go.
        if (!shift && m_range && (at < m_range->first || at > m_range->second))
            clearRange();
    });
    connect(chartBox, &ChartBox::dragged, this, [this](int x) {
        const int at = zq::nearestReadingAt(m_record, m_view, x);
        if (m_dragFrom >= 0 && at >= 0 && at != m_dragFrom)
            selectRange(qMin(m_dragFrom, at), qMax(m_dragFrom, at));
    });
    connect(chartBox, &ChartBox::released, this, [this] { m_dragFrom = -1; });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Form1::clearRange);
}

void Form1::connectAnalysis()
{
    connect(m_analysis, &AnalysisWindow::rangeChosen, this, &Form1::selectRange);
    connect(m_analysis, &AnalysisWindow::rangeCleared, this, &Form1::clearRange);
    connect(m_analysis, &AnalysisWindow::viewRequested, this, &Form1::showReading);
    connect(m_analysis, &AnalysisWindow::referenceWanted, this, &Form1::chooseReference);
    connect(m_analysis, &AnalysisWindow::processReportWanted, this, &Form1::printProcessReport);
    m_analysis->setCompany(m_settings->value(QStringLiteral("report/company")).toString());
    connect(m_analysis, &AnalysisWindow::referencePlaced, this, [this](const zq::Curve &reference) {
        m_reference = reference;
        m_runCurve = m_analysis->runCurve();
        redraw();
    });
    m_analysis->setRange(m_range);
}

void Form1::selectRange(int first, int last)
{
    if (!m_record.holdsData() || first < 0 || last <= first || last >= m_record.count(m_view.group))
        return;
    m_range = std::pair{first, last};
    if (m_analysis)
        m_analysis->setRange(m_range);
    redraw();
}

void Form1::clearRange()
{
    if (!m_range)
        return;
    m_range.reset();
    if (m_analysis)
        m_analysis->setRange(m_range);
    redraw();
}

void Form1::showReading(int index)
{
    if (index < 0 || index >= m_record.count(m_view.group))
        return;
    const int target = m_record.isSequence() ? index / 10 : m_record.at(index, m_view.group).hour;
    // Through the bar, so its change handler redraws; a bar already there
    // still brings the view back after the single click moved it.
    if (viewBar->value() == qMin(target, viewBar->maximum()))
        onViewBarChanged();
    else
        viewBar->setValue(target);
}

void Form1::drawRunOverlays(QPainter &p)
{
    if (m_range) {
        // Columns of the range's ends, or the chart's edges when they lie beyond the view.
        const auto [inFirst, inLast] = zq::readingsInView(m_record, m_view);
        if (inFirst >= 0 && m_range->first <= inLast && m_range->second >= inFirst) {
            const int x0 = m_range->first < inFirst ? 0 : zq::columnOf(m_record, m_view, m_range->first);
            const int x1 = m_range->second > inLast ? zq::kChartWidth : zq::columnOf(m_record, m_view, m_range->second);
            zq::drawRangeShade(p, x0, x1, m_range->first >= inFirst, m_range->second <= inLast);
        }
    }
    zq::drawReferenceInView(p, m_record, m_view, m_runCurve, m_reference);
}

QString Form1::referenceReadout(int x) const
{
    const int at = zq::readingAt(m_record, m_view, x);
    if (m_reference.isEmpty() || at < 0 || m_record.isFailed(at, m_view.group))
        return QString();
    const auto k = std::lower_bound(m_runCurve.source.begin(), m_runCurve.source.end(), at);
    if (k == m_runCurve.source.end() || *k != at)
        return QString();
    const std::optional<double> r = m_reference.at(m_runCurve.x[int(k - m_runCurve.source.begin())]);
    if (!r)
        return QString();
    return QStringLiteral("  参考 %1  差 %2")
        .arg(*r, 0, 'f', 1)
        .arg(m_record.reading(at, m_view.group) - *r, 0, 'f', 1);
}

void Form1::tellViewSpan()
{
    if (!m_analysis)
        return;
    const auto [first, last] = zq::readingsInView(m_record, m_view);
    m_analysis->setViewSpan(first, last);
}

void Form1::exportRange()
{
    if (!m_range || m_link->downloading())
        return;
    bool csv = false;
    const QString path = askExportPath(zq::defaultExportName(QDate::currentDate(), QLocale())
            + QStringLiteral("-%1-%2").arg(m_range->first).arg(m_range->second),
        &csv);
    if (!path.isEmpty())
        exportTo(path, csv, {m_view.group, m_range->first, m_range->second});
}

void Form1::chooseReference()
{
    const QString path = m_dialogs->openFile(QString(), QString(), {zq::kDataFilter, QStringLiteral("所有文件 (*)")});
    if (!path.isEmpty())
        useReference(path);
}

void Form1::useReference(const QString &path)
{
    const zq::DataFileRead read = zq::readDataFile(path);
    if (!read.ok || read.noReadings()) {
        tellFailure(QStringLiteral("参考曲线没有打开：%1\n%2")
                        .arg(QDir::toNativeSeparators(path), read.ok ? read.warning() : read.error));
        return;
    }
    showAnalysis()->setReferenceRecord(read.record, QFileInfo(path).fileName());
}

bool Form1::nameRange()
{
    zq::Archive *a = m_range ? archive() : nullptr;
    if (!a)
        return false;
    const QString name = m_dialogs->askText(
        QStringLiteral("命名选区"), QStringLiteral("读数 %1 至 %2 的名称：").arg(m_range->first).arg(m_range->second));
    if (name.trimmed().isEmpty())
        return false;
    QString error;
    bool isNew = false;
    if (m_runSha.isEmpty())
        m_runSha = a->addRun(zq::dataFileBytes(m_record), QString(), &isNew, &error);
    if (m_runSha.isEmpty() || !a->saveRange(m_runSha, {name.trimmed(), m_range->first, m_range->second}, &error)) {
        tellFailure(QStringLiteral("选区没有保存：%1").arg(error));
        return false;
    }
    return true;
}

void Form1::addRangeActions(QMenu *menu)
{
    menu->addAction(QStringLiteral("导出选区…"), this, &Form1::exportRange)->setEnabled(m_range.has_value());
    menu->addAction(QStringLiteral("命名选区…"), this, &Form1::nameRange)->setEnabled(m_range.has_value());
    QString error;
    const QVector<zq::NamedRange> named
        = m_runSha.isEmpty() || !m_archive ? QVector<zq::NamedRange>() : m_archive->ranges(m_runSha, &error);
    QMenu *saved = menu->addMenu(QStringLiteral("已命名选区"));
    saved->setEnabled(!named.isEmpty());
    for (const zq::NamedRange &r : named)
        saved->addAction(QStringLiteral("%1（%2 至 %3）").arg(r.name).arg(r.first).arg(r.last), this,
            [this, r] { selectRange(r.first, r.last); });
    menu->addAction(QStringLiteral("参考曲线…"), this, &Form1::chooseReference)->setEnabled(m_record.holdsData());
}

QImage Form1::rangeImage() const
{
    // The range alone, drawn across the whole picture on the run's own axis.
    QImage image(zq::kChartWidth + 63, zq::kChartHeight, QImage::Format_RGB32);
    QPainter p(&image);
    zq::RunChartContent c;
    c.run = m_runCurve.isEmpty() ? zq::runCurve(m_record, m_view.group, m_recipe.intervalSec) : m_runCurve;
    c.reference = m_reference;
    c.recipe = m_recipe;
    c.timeAxis = m_record.isTimeStamped() || m_recipe.intervalSec > 0;
    c.span = std::pair{c.run.positionOf(m_range->first), c.run.positionOf(m_range->second)};
    zq::drawRunChart(p, image.rect(), c);
    return image;
}
