#pragma once

#include "document/document.h"

#include <QImage>
#include <QWidget>

class ChartBox;
class QScrollBar;

// The chart with its two bars: the view bar moves along the run, the scale
// bar up and down the temperatures. It draws the document's run, range,
// reference, recipe and notes, and selects a range by a Shift drag.
class ChartPanel : public QWidget
{
    Q_OBJECT
public:
    ChartPanel(QWidget *window, zq::Document &document);

    void redraw();
    int redrawCount() const { return m_redraws; }
    // The scale's captions, left of the chart, on a layer the size of the window.
    const QImage &scaleLayer() const { return m_layer; }
    // Moves the view (through its bar) to where a reading stands.
    void showReading(int index);
    void fitToReadings();
    // The chart with its scale captions, as one picture; or the range alone
    // across the whole picture on the run's own axis.
    QImage chartImage() const;
    QImage rangeImage() const;
    void clear();

Q_SIGNALS:
    // The chart's menu, asked for at chart column x (global position `at`).
    void menuWanted(int x, const QPoint &at, QWidget *over);
    void redrawn();

private:
    void connectChart();
    void connectDrag();
    void syncBars();
    void onViewBar();
    void drawOverlays(class QPainter &p);
    QString readout(int x) const;
    QString referenceReadout(int x) const;

    zq::Document &m_doc;
    ChartBox *m_chart = nullptr;
    QScrollBar *m_viewBar = nullptr;
    QScrollBar *m_scaleBar = nullptr;
    QImage m_layer;
    int m_redraws = 0;
};
