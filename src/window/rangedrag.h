#pragma once

#include "document/document.h"

#include <QObject>
#include <functional>

class QWidget;

// One way of choosing a range, on either chart: a drag of at least a few
// pixels selects the readings between its ends as it goes; a click outside
// the range lets it go; Esc anywhere in the chart's window lets it go. A
// chart that uses plain drags for something else asks for Shift.
class RangeDrag : public QObject
{
    Q_OBJECT
public:
    enum Start { PlainDrag, ShiftDrag };
    using IndexAt = std::function<int(double x)>; // the reading under pixel x, or -1

    RangeDrag(QWidget *chart, zq::Document &document, IndexAt indexAt, Start start);
    static constexpr int kDragPixels = 4; // less than this is a click

Q_SIGNALS:
    // A click (no drag) on the reading at `index`.
    void clicked(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dragTo(double x);

    zq::Document &m_doc;
    IndexAt m_indexAt;
    Start m_start;
    double m_pressX = -1; // none: no left press under way
    bool m_mayDrag = false;
};
