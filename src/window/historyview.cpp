#include "window/historyview.h"

#include <QDateTime>
#include <QHeaderView>

HistoryView::HistoryView(QWidget *parent)
    : QTableWidget(0, 6, parent)
{
    setObjectName(QStringLiteral("history"));
    setHorizontalHeaderLabels({QStringLiteral("时间"), QStringLiteral("用户"), QStringLiteral("签名人"),
        QStringLiteral("变更"), QStringLiteral("旧值 → 新值"), QStringLiteral("理由")});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    // The values an older run was found with are one long line: its tooltip has them whole.
    horizontalHeader()->setMaximumSectionSize(360);
}

void HistoryView::showRows(const QVector<zq::HistoryRow> &rows)
{
    setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const zq::HistoryRow &h = rows.at(i);
        // Kept in UTC; read in local time.
        const QDateTime at = QDateTime::fromString(h.at, Qt::ISODateWithMs).toLocalTime();
        const QString change = h.oldValue.isEmpty() && h.newValue.isEmpty()
            ? QString()
            : h.oldValue + QStringLiteral(" → ") + h.newValue;
        const QString cells[]
            = {at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), h.osUser, h.signer, h.what, change, h.reason};
        for (int c = 0; c < 6; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]); // a long value, as the found values are, in whole
            setItem(i, c, item);
        }
    }
    resizeColumnsToContents();
    if (!rows.isEmpty())
        scrollToBottom();
}
