#pragma once

#include "chart/runchart.h"

#include <QWidget>

// The whole run in the analysis window. A drag across it selects a range; a
// click moves the main chart's view there (and, outside a range, clears it);
// Esc clears the range.
class RunChartBox : public QWidget
{
    Q_OBJECT
public:
    explicit RunChartBox(QWidget *parent = nullptr);
    void setContent(const zq::RunChartContent &content);
    const zq::RunChartContent &content() const { return m_content; }
    // The record index of the run's reading nearest to pixel x.
    int indexAt(double x) const;
    // The axis position of a record index (its nearest valid reading).
    double positionOf(int index) const;

Q_SIGNALS:
    void rangeChosen(int first, int last);
    void rangeCleared();
    void viewRequested(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    zq::RunChartContent m_content;
    double m_pressX = -1;
    double m_dragX = -1;
};
