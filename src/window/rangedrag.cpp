#include "window/rangedrag.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QWidget>

RangeDrag::RangeDrag(QWidget *chart, zq::Document &document, IndexAt indexAt, Start start)
    : QObject(chart)
    , m_doc(document)
    , m_indexAt(std::move(indexAt))
    , m_start(start)
{
    chart->installEventFilter(this);
    // Esc clears wherever the focus is in the chart's window.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), chart->window());
    connect(escape, &QShortcut::activated, &m_doc, &zq::Document::clearRange);
}

void RangeDrag::dragTo(double x)
{
    const int a = m_indexAt(qMin(m_pressX, x)), b = m_indexAt(qMax(m_pressX, x));
    if (a >= 0 && b > a)
        m_doc.selectRange(a, b);
}

bool RangeDrag::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton && m_doc.record().holdsData()) {
            m_pressX = e->position().x();
            m_mayDrag = m_start == PlainDrag || (e->modifiers() & Qt::ShiftModifier);
        }
        break;
    }
    case QEvent::MouseMove: {
        const auto *e = static_cast<QMouseEvent *>(event);
        if (m_pressX >= 0 && m_mayDrag && qAbs(e->position().x() - m_pressX) >= kDragPixels)
            dragTo(e->position().x());
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() != Qt::LeftButton || m_pressX < 0)
            break;
        const double x = e->position().x();
        const bool click = qAbs(x - m_pressX) < kDragPixels;
        if (!click && m_mayDrag)
            dragTo(x);
        m_pressX = -1;
        if (click) {
            const int at = m_indexAt(x);
            const zq::Document::Range range = m_doc.range();
            if (range && at >= 0 && (at < range->first || at > range->second))
                m_doc.clearRange();
            Q_EMIT clicked(at);
        }
        break;
    }
    case QEvent::KeyPress:
        // The chart with the focus hears Esc before any shortcut would.
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && m_doc.range()) {
            m_doc.clearRange();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
