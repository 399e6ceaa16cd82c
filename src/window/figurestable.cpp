#include "window/figurestable.h"

#include <QHeaderView>

namespace {
constexpr int kCellMargin = 12; // the delegate's margins either side, with room to spare
constexpr int kNarrowest = 60;
} // namespace

FiguresTable::FiguresTable(QWidget *parent)
    : QTableWidget(0, 3, parent)
{
    setObjectName(QStringLiteral("figures"));
    setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("数值"), QStringLiteral("单位 / 位置")});
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void FiguresTable::setRows(const QVector<zq::FigureRow> &rows)
{
    setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        setItem(i, 0, new QTableWidgetItem(rows[i].label));
        setItem(i, 1, new QTableWidgetItem(rows[i].value));
        setItem(i, 2, new QTableWidgetItem(rows[i].unit));
    }
    fitColumns();
}

void FiguresTable::resizeEvent(QResizeEvent *event)
{
    QTableWidget::resizeEvent(event);
    fitColumns();
}

void FiguresTable::fitColumns()
{
    int natural[3] = {};
    for (int c = 0; c < 3; ++c) {
        natural[c] = horizontalHeader()->fontMetrics().horizontalAdvance(horizontalHeaderItem(c)->text());
        for (int r = 0; r < rowCount(); ++r)
            natural[c] = qMax(natural[c], fontMetrics().horizontalAdvance(item(r, c)->text()));
        natural[c] += kCellMargin;
    }
    const int room = viewport()->width();
    int widths[3] = {natural[0], natural[1], room - natural[0] - natural[1]};
    if (natural[0] + natural[1] + natural[2] > room) {
        // The labels stay whole as far as they can; value and unit share the rest by their lengths.
        widths[0] = qMin(natural[0], room / 3);
        const int rest = room - widths[0];
        widths[1] = qMax(kNarrowest, qMin(natural[1], rest * natural[1] / (natural[1] + natural[2])));
        widths[2] = rest - widths[1];
    }
    for (int c = 0; c < 3; ++c)
        setColumnWidth(c, qMax(kNarrowest, widths[c]));
    resizeRowsToContents();
}
