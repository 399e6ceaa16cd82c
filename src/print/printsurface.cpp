#include "print/printsurface.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPen>

namespace zq {
QRectF printableTwips(const QPageLayout &layout)
{
    const QRectF points = layout.paintRect(QPageLayout::Point);
    return QRectF(0, 0, points.width() * 20, points.height() * 20);
}

PrintSurface::PrintSurface(QPainter *painter, double pageHeightTwips, const QString &fontFace)
    : m_painter(painter)
    , m_pageHeight(pageHeightTwips)
    , m_font(fontFace)
    , m_metrics(m_font)
{
    setFontSize(10);
}

void PrintSurface::setFontSize(double points)
{
    m_fontSize = points;
    m_font.setStretch(QFont::AnyStretch);
    // One point is 20 twips; the painter works in twips.
    m_font.setPixelSize(qRound(points * 20));
    m_metrics = QFontMetricsF(m_font);
}

void PrintSurface::fitWidth(const QString &sample, double room)
{
    m_font.setStretch(QFont::AnyStretch);
    m_metrics = QFontMetricsF(m_font);
    const double natural = m_metrics.horizontalAdvance(sample);
    if (room <= 0 || natural <= room)
        return;
    for (int stretch = int(100 * room / natural); stretch > 10; --stretch) {
        m_font.setStretch(stretch);
        m_metrics = QFontMetricsF(m_font);
        if (m_metrics.horizontalAdvance(sample) <= room)
            return;
    }
}

void PrintSurface::setPos(double x, double y)
{
    m_x = x;
    m_y = y;
}

double PrintSurface::lineHeight() const
{
    return m_metrics.height();
}

void PrintSurface::line(double x1, double y1, double x2, double y2, const QColor &colour)
{
    PrintOp op;
    op.kind = PrintOp::Line;
    op.page = m_page;
    op.line = QLineF(x1, y1, x2, y2);
    op.colour = colour;
    op.penWidth = m_penWidth;
    op.dashed = m_dashed;
    m_ops.append(op);
    if (!m_painter)
        return;
    // A pen width counts in printer dots; about 1/200 inch each.
    QPen pen(colour, m_penWidth * 7.2, m_dashed ? Qt::DashLine : Qt::SolidLine);
    m_painter->setPen(pen);
    m_painter->drawLine(op.line);
}

void PrintSurface::print(const QString &text, bool lineEnd)
{
    if (!text.isEmpty()) {
        PrintOp op;
        op.kind = PrintOp::Text;
        op.page = m_page;
        op.text = text;
        op.x = m_x;
        op.y = m_y;
        op.fontSize = m_fontSize;
        op.width = m_metrics.horizontalAdvance(text);
        op.height = lineHeight();
        m_ops.append(op);
        if (m_painter) {
            m_painter->setFont(m_font);
            m_painter->setPen(Qt::black);
            m_painter->drawText(QPointF(m_x, m_y + m_metrics.ascent()), text);
        }
    }
    if (!lineEnd) {
        m_x += m_metrics.horizontalAdvance(text);
        return;
    }
    m_x = 0;
    m_y += lineHeight();
    if (m_y + lineHeight() > m_pageHeight && newPage) {
        if (newPage()) {
            ++m_page;
            m_y = kTopMargin;
        }
    }
}
} // namespace zq
