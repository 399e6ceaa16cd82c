#pragma once

#include "archive/history.h"

#include <QTableWidget>

// A run's history under its fields in 记录库: every row as kept, oldest
// first, for reading only.
class HistoryView : public QTableWidget
{
    Q_OBJECT
public:
    explicit HistoryView(QWidget *parent = nullptr);
    void showRows(const QVector<zq::HistoryRow> &rows);
};
