#pragma once

#include <QLabel>
#include <QMouseEvent>
#include <functional>

// A label that reports clicks.
class ClickLabel : public QLabel
{
public:
    using QLabel::QLabel;
    std::function<void()> clicked;
    std::function<void()> hovered;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && clicked)
            clicked();
        QLabel::mouseReleaseEvent(event);
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!hovered) {
            QLabel::mouseMoveEvent(event);
            return;
        }
        // Taken here, so the window below does not see it as a move over itself.
        hovered();
        event->accept();
    }
};
