#include "window/chartpanel.h"

#include "chart/chart.h"
#include "chart/guides.h"
#include "chart/runchart.h"
#include "core/view.h"
#include "window/chartbox.h"
#include "window/designed.h"
#include "window/rangedrag.h"

#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

namespace {
// From the scale bar's left edge to the view bar's right, in the window.
const QRect kScaleBar = zq::twips(4110, 3315, 195, 6030);
const QRect kChart = zq::twips(4320, 3315, 10800, 6000);
const QRect kViewBar = zq::twips(4320, 9135, 10815, 210);
const QRect kPanelPlace = kScaleBar.united(kChart).united(kViewBar);
} // namespace

ChartPanel::ChartPanel(QWidget *window, zq::Document &document)
    : QWidget(window)
    , m_doc(document)
{
    setGeometry(kPanelPlace);
    m_chart = new ChartBox(this);
    m_chart->setObjectName(QStringLiteral("LP1"));
    zq::placeIn(m_chart, kChart, kPanelPlace.topLeft());
    m_viewBar = new QScrollBar(Qt::Horizontal, this);
    m_viewBar->setObjectName(QStringLiteral("HScroll1"));
    zq::placeIn(m_viewBar, kViewBar, kPanelPlace.topLeft());
    m_viewBar->setRange(0, zq::ChartView::kSeqScrollMax);
    m_viewBar->setSingleStep(1);
    m_viewBar->setPageStep(51);
    // 2000 at the top, 400 at the bottom: moving it up raises the base. The
    // bar holds the negated base, so arrows, pages, keys, wheel and drag all
    // agree with where the handle goes.
    m_scaleBar = new QScrollBar(Qt::Vertical, this);
    m_scaleBar->setObjectName(QStringLiteral("VScroll1"));
    zq::placeIn(m_scaleBar, kScaleBar, kPanelPlace.topLeft());
    m_scaleBar->setRange(-zq::ChartView::kBaseMax, -zq::ChartView::kBaseMin);
    m_scaleBar->setSingleStep(100);
    m_scaleBar->setPageStep(200);
    m_scaleBar->setValue(-zq::ChartView::kDefaultBase);
    m_layer = QImage(window->size(), QImage::Format_ARGB32_Premultiplied);
    m_layer.fill(Qt::transparent);
    connectChart();
    connectDrag();
    connect(m_viewBar, &QScrollBar::valueChanged, this, &ChartPanel::onViewBar);
    connect(m_scaleBar, &QScrollBar::valueChanged, this, [this] {
        zq::ChartView view = m_doc.view();
        view.ybase = -m_scaleBar->value();
        m_doc.setView(view);
    });
    connect(&m_doc, &zq::Document::viewChanged, this, &ChartPanel::syncBars);
    for (auto changed : {&zq::Document::rangeChanged, &zq::Document::recipeChanged, &zq::Document::referenceChanged,
             &zq::Document::notesChanged})
        connect(&m_doc, changed, this, &ChartPanel::redraw);
}

void ChartPanel::connectChart()
{
    connect(m_chart, &ChartBox::pointerMoved, this, [this](int x) {
        if (x >= 0)
            m_chart->setReadoutText(readout(x));
    });
    connect(m_chart, &ChartBox::wheeled, this, [this](int notches, bool sideways) {
        QScrollBar *bar = sideways ? m_viewBar : m_scaleBar;
        // Up shows higher readings (the bar's top arrow) or earlier ones.
        const auto action = notches > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd;
        for (int i = 0; i < qAbs(notches); ++i)
            bar->triggerAction(action);
    });
    m_chart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_chart, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &at) { Q_EMIT menuWanted(at.x(), m_chart->mapToGlobal(at), m_chart); });
}

void ChartPanel::connectDrag()
{
    // A plain drag is the pointer's readout here; Shift makes it a range.
    new RangeDrag(
        m_chart, m_doc,
        [this](double x) {
            return zq::nearestReadingAt(m_doc.record(), m_doc.view(), qBound(0, int(x), zq::kChartWidth - 1));
        },
        RangeDrag::ShiftDrag);
}

void ChartPanel::syncBars()
{
    {
        // The bars follow the view without reporting back.
        const QSignalBlocker blockView(m_viewBar);
        const QSignalBlocker blockScale(m_scaleBar);
        if (m_doc.record().holdsData())
            m_viewBar->setMaximum(zq::ChartView::scrollMax(m_doc.record().type()));
        m_viewBar->setValue(m_doc.view().start);
        m_scaleBar->setValue(-m_doc.view().ybase);
    }
    redraw();
}

void ChartPanel::onViewBar()
{
    zq::ChartView view = m_doc.view();
    if (m_doc.record().holdsData()) {
        // Lowering the maximum may move the bar, which reports again.
        m_viewBar->setMaximum(zq::ChartView::scrollMax(m_doc.record().type()));
        view.start = m_viewBar->value();
    }
    m_doc.setView(view);
}

void ChartPanel::redraw()
{
    ++m_redraws;
    const zq::Record &record = m_doc.record();
    const zq::ChartView &view = m_doc.view();
    {
        QPainter lp(&m_chart->image());
        zq::drawChartFrame(lp, record.type());
        zq::drawGuides(lp, view, m_doc.recipe());
        QVector<int> marks;
        for (const zq::RunNote &n : m_doc.notes())
            if (const int x = zq::columnOf(record, view, n.atReading); x >= 0)
                marks.append(x);
        zq::drawNoteMarkers(lp, marks);
        drawOverlays(lp);
        if (record.isSequence())
            zq::drawSequenceCurve(lp, record, view);
        else if (record.isTimeStamped())
            zq::drawTimePoints(lp, record, view, zq::groupColour(0));
    }
    {
        m_layer.fill(Qt::transparent);
        QPainter wp(&m_layer);
        zq::drawScale(wp, mapToParent(m_chart->pos()), view.ybase, font());
    }
    m_chart->update();
    Q_EMIT redrawn();
}

void ChartPanel::clear()
{
    m_chart->clear();
}

void ChartPanel::showReading(int index)
{
    const zq::Record &record = m_doc.record();
    if (index < 0 || index >= record.count(m_doc.group()))
        return;
    const int target = record.isSequence() ? index / 10 : record.at(index, m_doc.group()).hour;
    // Through the bar, so its change handler redraws; a bar already there
    // still brings the view back after the single click moved it.
    if (m_viewBar->value() == qMin(target, m_viewBar->maximum()))
        onViewBar();
    else
        m_viewBar->setValue(target);
}

void ChartPanel::fitToReadings()
{
    const int base = zq::fitBase(m_doc.record(), m_doc.view());
    if (base > 0)
        m_scaleBar->setValue(-base);
}
