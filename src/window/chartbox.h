#pragma once

#include <QImage>
#include <QWidget>

// The chart area chartBox: a retained picture that redraw draws and paint shows,
// so it survives the window being covered. Over it, on an overlay that never
// touches the picture, a thin line follows the pointer with the reading under it.
class ChartBox : public QWidget
{
    Q_OBJECT
public:
    explicit ChartBox(QWidget *parent = nullptr);
    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }
    void clear();

    // The text beside the pointer; set while pointerMoved() is handled.
    void setReadoutText(const QString &text) { m_text = text; }

    int pointerX() const { return m_pointerX; }
    QString readoutText() const { return m_text; }
    // The region the last pointer move asked to repaint.
    QRegion lastOverlayRegion() const { return m_lastRegion; }

Q_SIGNALS:
    // The pointer is over chart column x (-1: it left); the receiver says
    // what reading stands there with setReadoutText().
    void pointerMoved(int x);
    // A wheel turned over the chart: notches up (+) or down (-), and whether
    // it is meant sideways (Shift, or a horizontal wheel).
    void wheeled(int notches, bool sideways);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QRegion overlayRegion() const;
    QRect textBox() const;
    void movePointer(int x);

    QImage m_image;
    int m_pointerX = -1;
    QString m_text;
    QRegion m_lastRegion;
    int m_wheelRest = 0;
};
