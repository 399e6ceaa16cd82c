// 记录库's columns as a user reads them: the run's own date (its first time
// stamp, or its download's end for sequence data), when it was added, its
// file's name, each in full at the default width, and a sort arrow that
// agrees with the order the rows are in.
#include "archive/archive.h"
#include "window/archivewindow.h"

#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray example(const char *name)
{
    QFile f(QStringLiteral(ZQ_SOURCE_DIR "/examples/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int column(const QTableView *table, const QString &title)
{
    for (int c = 0; c < table->model()->columnCount(); ++c)
        if (table->model()->headerData(c, Qt::Horizontal).toString() == title)
            return c;
    return -1;
}

QString cell(const QTableView *table, int row, int col)
{
    return table->model()->index(row, col).data().toString();
}

// The rows' run dates, top to bottom, as the dates they stand for.
QVector<QDateTime> shownDates(const QTableView *table, int col)
{
    QVector<QDateTime> out;
    for (int r = 0; r < table->model()->rowCount(); ++r)
        out.append(QLocale().toDateTime(cell(table, r, col), QLocale().dateTimeFormat(QLocale::ShortFormat)));
    return out;
}

// The width the cell's text takes with the style's margins.
int neededWidth(const QTableView *table, int row, int col)
{
    QStyleOptionViewItem option;
    option.initFrom(table);
    option.font = table->font();
    option.widget = table;
    return table->itemDelegate()->sizeHint(option, table->model()->index(row, col)).width();
}

// The sort arrow as drawn at the right of its section: the ink in from the
// edge up to the first blank column. An arrow pointing up (smallest at the
// top, as in a list sorted ascending) is wider at its foot.
bool arrowPointsUp(QHeaderView *header)
{
    const QImage image = header->grab().toImage();
    const int section = header->sortIndicatorSection();
    const int right = header->sectionViewportPosition(section) + header->sectionSize(section) - 3;
    auto ink = [&](int x, int y) { return image.pixel(x, y) != image.pixel(right, y); }; // rows are one colour across
    auto inkAt = [&](int x) {
        for (int y = 0; y < image.height(); ++y)
            if (ink(x, y))
                return true;
        return false;
    };
    int x = right;
    while (x > 0 && !inkAt(x))
        --x;
    const int arrowRight = x;
    while (x > 0 && inkAt(x))
        --x;
    QVector<int> widths;
    for (int y = 0; y < image.height(); ++y) {
        int w = 0;
        for (int i = x + 1; i <= arrowRight; ++i)
            w += ink(i, y);
        if (w > 0)
            widths.append(w);
    }
    return widths.size() > 1 && widths.last() > widths.first();
}

void clickHeader(QTableView *table, int col)
{
    QHeaderView *h = table->horizontalHeader();
    const QPoint at(h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
}
} // namespace

class TstArchiveColumns : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China)); }
    void datesFilesAndOrder();
};

void TstArchiveColumns::datesFilesAndOrder()
{
    QTemporaryDir dir;
    zq::Archive archive;
    QString error;
    QVERIFY2(archive.open(dir.filePath("archive.sqlite"), &error), qPrintable(error));
    bool isNew = false;
    const QString furnace = archive.addRun(example("furnace-850.ZQ"), dir.filePath("furnace-850.ZQ"), &isNew, &error);
    const QString soak = archive.addRun(example("soak.ZQ"), dir.filePath("soak.ZQ"), &isNew, &error);
    const QString sequence = archive.addRun(example("sequence.ZQ"), QString(), &isNew, &error);
    const QDateTime ended(QDate(2026, 11, 29), QTime(9, 30, 12));
    QVERIFY(archive.recordDownload(
        sequence, ended, "/dev/ttyUSB0", "complete", dir.filePath("20261129-093012-STYLE0.ZQ"), &error));
    ArchiveWindow a(archive);
    a.show();
    QVERIFY(QTest::qWaitForWindowExposed(&a));
    QTableView *t = a.table;
    QCOMPARE(t->model()->rowCount(), 3);
    const int day = column(t, "日期"), file = column(t, "文件"), added = column(t, "添加时间");
    QVERIFY(day >= 0 && file >= 0 && added >= 0);
    // The stamps carry no year: the latest 03-05 not after the day it was added (today).
    const QDate today = QDate::currentDate();
    const int year = today >= QDate(today.year(), 3, 5) ? today.year() : today.year() - 1;
    const QMap<QString, QStringList> expected{{furnace, {QStringLiteral("%1/3/5 08:00").arg(year), "furnace-850.ZQ"}},
        {soak, {QStringLiteral("%1/3/5 14:00").arg(year), "soak.ZQ"}},
        {sequence, {"2026/11/29 09:30", "20261129-093012-STYLE0.ZQ"}}};
    const QString addedDay = QStringLiteral("%1/%2/%3 ").arg(today.year()).arg(today.month()).arg(today.day());
    for (int r = 0; r < 3; ++r) {
        const QString sha = t->model()->index(r, 0).data().toString();
        QCOMPARE(cell(t, r, day), expected[sha][0]);
        QCOMPARE(cell(t, r, file), expected[sha][1]);
        QVERIFY2(cell(t, r, added).startsWith(addedDay), qPrintable(cell(t, r, added)));
        for (int c : {day, file, added})
            QVERIFY2(t->columnWidth(c) >= neededWidth(t, r, c), qPrintable(cell(t, r, c))); // not cut off
    }
    // Newest first, and the arrow says so; each click on 日期 turns both round.
    for (const Qt::SortOrder order : {Qt::DescendingOrder, Qt::AscendingOrder, Qt::DescendingOrder}) {
        const QVector<QDateTime> shown = shownDates(t, day);
        QVERIFY(std::all_of(shown.begin(), shown.end(), [](const QDateTime &d) { return d.isValid(); }));
        QVERIFY(order == Qt::AscendingOrder ? std::is_sorted(shown.begin(), shown.end())
                                            : std::is_sorted(shown.rbegin(), shown.rend()));
        QCOMPARE(t->horizontalHeader()->sortIndicatorSection(), day);
        QCOMPARE(t->horizontalHeader()->sortIndicatorOrder(), order);
        QCOMPARE(arrowPointsUp(t->horizontalHeader()), order == Qt::AscendingOrder);
        clickHeader(t, day);
    }
}

QTEST_MAIN(TstArchiveColumns)
#include "tst_archivecolumns.moc"
