#pragma once
// Places as designed: twips, 15 to a pixel, from the main window's corner.

#include <QColor>
#include <QRect>
#include <QWidget>

namespace zq {
inline QRect twips(int left, int top, int width, int height)
{
    auto px = [](int t) { return qRound(t / 15.0); };
    return QRect(px(left), px(top), px(width), px(height));
}

// A control of a part at its designed place in the window: the part stands
// at `origin` (window pixels), so the control lands where it was designed.
inline void placeIn(QWidget *control, const QRect &windowPixels, const QPoint &origin)
{
    control->setGeometry(windowPixels.translated(-origin));
}

inline void setColours(QWidget *w, const QColor &text, const QColor &background = QColor())
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Text, text);
    if (background.isValid()) {
        pal.setColor(QPalette::Window, background);
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
}
} // namespace zq
