#pragma once

#include <QLabel>
#include <QMouseEvent>

// A label that reports clicks, and the pointer over it when it tracks the mouse.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();
    void hovered();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            Q_EMIT clicked();
        QLabel::mouseReleaseEvent(event);
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!hasMouseTracking()) {
            QLabel::mouseMoveEvent(event);
            return;
        }
        // Taken here, so the window below does not see it as a move over itself.
        Q_EMIT hovered();
        event->accept();
    }
};
