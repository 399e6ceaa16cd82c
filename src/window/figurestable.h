#pragma once

#include "core/analysisformat.h"

#include <QTableWidget>

// 工艺分析's figures: label, value, unit and where. No column is ever cut:
// when the three do not fit side by side, value and unit wrap onto more lines.
class FiguresTable : public QTableWidget
{
    Q_OBJECT
public:
    explicit FiguresTable(QWidget *parent = nullptr);
    void setRows(const QVector<zq::FigureRow> &rows);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitColumns();
};
