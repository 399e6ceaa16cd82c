#include "window/runchartbox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {
constexpr int kDragPixels = 4; // less than this is a click
}

RunChartBox::RunChartBox(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("wholeRun"));
    setMinimumHeight(140);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::CrossCursor);
}

void RunChartBox::setContent(const zq::RunChartContent &content)
{
    m_content = content;
    update();
}

int RunChartBox::indexAt(double x) const
{
    const zq::Curve &run = m_content.run;
    if (run.isEmpty())
        return -1;
    const double at = zq::runScale(m_content, rect()).xAt(x);
    const auto k = std::lower_bound(run.x.begin(), run.x.end(), at) - run.x.begin();
    int best = int(qMin<qsizetype>(k, run.x.size() - 1));
    if (best > 0 && at - run.x[best - 1] < run.x[best] - at)
        --best;
    return run.source[best];
}

double RunChartBox::positionOf(int index) const
{
    return m_content.run.positionOf(index);
}

void RunChartBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    zq::RunChartContent shown = m_content;
    if (m_pressX >= 0 && qAbs(m_dragX - m_pressX) >= kDragPixels) {
        const zq::RunScale s = zq::runScale(m_content, rect());
        shown.range = std::pair{s.xAt(qMin(m_pressX, m_dragX)), s.xAt(qMax(m_pressX, m_dragX))};
    }
    zq::drawRunChart(p, rect(), shown);
}

void RunChartBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_content.run.isEmpty())
        return;
    m_pressX = m_dragX = event->position().x();
}

void RunChartBox::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressX < 0)
        return;
    m_dragX = event->position().x();
    update();
}

void RunChartBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressX < 0 || event->button() != Qt::LeftButton)
        return;
    const double from = m_pressX, to = event->position().x();
    m_pressX = m_dragX = -1;
    if (qAbs(to - from) >= kDragPixels) {
        const int a = indexAt(qMin(from, to)), b = indexAt(qMax(from, to));
        if (b > a)
            Q_EMIT rangeChosen(a, b);
    } else {
        const double at = zq::runScale(m_content, rect()).xAt(to);
        if (m_content.range && (at < m_content.range->first || at > m_content.range->second))
            Q_EMIT rangeCleared();
        Q_EMIT viewRequested(indexAt(to));
    }
    update();
}

void RunChartBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_content.range)
        Q_EMIT rangeCleared();
    else
        QWidget::keyPressEvent(event);
}
