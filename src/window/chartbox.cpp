#include "window/chartbox.h"

#include "chart/chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

ChartBox::ChartBox(QWidget *parent)
    : QWidget(parent)
    , m_image(zq::kChartWidth, zq::kChartHeight, QImage::Format_RGB32)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    clear();
}

void ChartBox::clear()
{
    m_image.fill(zq::kChartBackground);
    update();
}

QRect ChartBox::textBox() const
{
    if (m_pointerX < 0 || m_text.isEmpty())
        return QRect();
    const QSize size = fontMetrics().size(0, m_text) + QSize(10, 6);
    // Beside the pointer, on the side with room.
    const int left = m_pointerX + 8 + size.width() <= width() ? m_pointerX + 8 : m_pointerX - 8 - size.width();
    return QRect(QPoint(left, 6), size);
}

QRegion ChartBox::overlayRegion() const
{
    if (m_pointerX < 0)
        return QRegion();
    return QRegion(m_pointerX - 1, 0, 3, height()) + QRegion(textBox());
}

void ChartBox::movePointer(int x)
{
    const QRegion before = overlayRegion();
    m_pointerX = x;
    m_text.clear();
    Q_EMIT pointerMoved(x);
    // Only the old and the new overlay are repainted, never the whole chart.
    m_lastRegion = before + overlayRegion();
    update(m_lastRegion);
}

void ChartBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.setClipRegion(event->region());
    p.fillRect(rect(), zq::kChartBackground);
    p.drawImage(0, 0, m_image);
    if (m_pointerX < 0)
        return;
    p.setPen(QColor(255, 255, 255, 140));
    p.drawLine(m_pointerX, 0, m_pointerX, height());
    const QRect box = textBox();
    if (box.isNull())
        return;
    p.fillRect(box, QColor(20, 24, 32, 220));
    p.setPen(QColor(240, 240, 240));
    p.drawText(box, Qt::AlignCenter, m_text);
}

void ChartBox::mouseMoveEvent(QMouseEvent *event)
{
    const int x = int(event->position().x());
    movePointer(x >= 0 && x < zq::kChartWidth ? x : -1);
    QWidget::mouseMoveEvent(event);
}

void ChartBox::leaveEvent(QEvent *event)
{
    movePointer(-1);
    QWidget::leaveEvent(event);
}

void ChartBox::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    const bool sideways = delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    // A horizontal wheel reports on x; Shift turns some wheels' y into x.
    m_wheelRest += delta.x() != 0 ? delta.x() : delta.y();
    const int notches = m_wheelRest / 120;
    m_wheelRest -= notches * 120;
    if (notches != 0)
        Q_EMIT wheeled(notches, sideways);
    event->accept();
}
