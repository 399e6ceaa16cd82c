#pragma once

#include <QImage>
#include <QWidget>

// The chart area LP1: a retained picture that DRAWFEET draws and paint shows,
// so it survives the window being covered.
class ChartBox : public QWidget
{
    Q_OBJECT
public:
    explicit ChartBox(QWidget *parent = nullptr);
    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }
    void clear();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};
