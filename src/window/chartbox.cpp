#include "window/chartbox.h"

#include "chart/chart.h"

#include <QPainter>

ChartBox::ChartBox(QWidget *parent)
    : QWidget(parent)
    , m_image(zq::kChartWidth, zq::kChartHeight, QImage::Format_RGB32)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    clear();
}

void ChartBox::clear()
{
    m_image.fill(zq::kChartBackground);
    update();
}

void ChartBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), zq::kChartBackground);
    p.drawImage(0, 0, m_image);
}
