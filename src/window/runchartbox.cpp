#include "window/runchartbox.h"

#include "window/rangedrag.h"

#include <QPainter>
#include <algorithm>

RunChartBox::RunChartBox(QWidget *parent, zq::Document &document)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("wholeRun"));
    setMinimumHeight(140);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::CrossCursor);
    auto *drag = new RangeDrag(
        this, document, [this](double x) { return indexAt(x); }, RangeDrag::PlainDrag);
    connect(drag, &RangeDrag::clicked, this, [this](int index) {
        if (index >= 0)
            Q_EMIT viewRequested(index);
    });
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
    zq::drawRunChart(p, rect(), m_content);
}
