#pragma once

#include "chart/runchart.h"
#include "document/document.h"

#include <QWidget>

// The whole run in the analysis window. A drag across it selects a range of
// the document's run, as on the main chart; a click moves the main chart's
// view there.
class RunChartBox : public QWidget
{
    Q_OBJECT
public:
    RunChartBox(QWidget *parent, zq::Document &document);
    void setContent(const zq::RunChartContent &content);
    const zq::RunChartContent &content() const { return m_content; }
    // The record index of the run's reading nearest to pixel x.
    int indexAt(double x) const;
    // The axis position of a record index (its nearest valid reading).
    double positionOf(int index) const;

Q_SIGNALS:
    void viewRequested(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    zq::RunChartContent m_content;
};
