#include "print/fonts.h"
#include "print/printsurface.h"
#include "print/report.h"
#include "support/records.h"

#include <QtTest>

#include <QPainterPath>
#include <QPrinter>

namespace {
using Ops = QVector<zq::PrintOp>;

zq::ChartView view(int ybase, int start = 0, int group = 0)
{
    zq::ChartView v;
    v.ybase = ybase;
    v.start = start;
    v.group = group;
    return v;
}

zq::ReportParams params(const zq::ChartView &v)
{
    return zq::ReportParams{v, QColor(255, 0, 0), QStringLiteral("2026/12/6")};
}

Ops layout(const zq::Record &record, const zq::ChartView &v = view(800), int *pages = nullptr)
{
    zq::PrintSurface s(nullptr, 16000, QStringLiteral("黑体"));
    s.newPage = [] { return true; };
    zq::layoutReport(s, record, params(v));
    if (pages)
        *pages = s.pages();
    return s.ops();
}

Ops filter(const Ops &ops, const std::function<bool(const zq::PrintOp &)> &keep)
{
    Ops out;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(out), keep);
    return out;
}

Ops tableEntries(const Ops &ops)
{
    return filter(ops, [](const zq::PrintOp &o) { return o.kind == zq::PrintOp::Text && o.fontSize == 8; });
}

Ops curve(const Ops &ops)
{
    return filter(ops, [](const zq::PrintOp &o) { return o.kind == zq::PrintOp::Line && o.penWidth == 3; });
}

} // namespace

class TstReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void texts_data();
    void texts();
    void gridAndSequenceCurve();
    void sequenceTableEndsAtLastReading();
    void fitsThePrintableArea_data();
    void fitsThePrintableArea();
    void timeStampedReport();
};

void TstReport::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<double>("size");
    QTest::newRow("title") << "温 度 数 据 曲 线" << QPointF(5000, 1000) << 16.0;
    QTest::newRow("date") << "2026/12/6" << QPointF(5000, 1500) << 10.0;
    QTest::newRow("top caption") << " 1600 ℃" << QPointF(1600, 2800) << 10.0;
    QTest::newRow("bottom caption") << " 1200 ℃" << QPointF(1600, 6800) << 10.0;
    QTest::newRow("last reading number") << " 120 " << QPointF(9600, 7200) << 10.0;
    QTest::newRow("table's first row") << "000-1500℃  " << QPointF(1400, 7800) << 8.0;
    QTest::newRow("table's second row") << "010-1500℃  " << QPointF(1400, 8050) << 8.0;
}

void TstReport::texts()
{
    QFETCH(QString, text);
    QFETCH(QPointF, at);
    QFETCH(double, size);
    const Ops ops
        = filter(layout(sequenceData(3840, 1500), view(1600)), [&](const zq::PrintOp &o) { return o.text == text; });
    QCOMPARE(ops.size(), 1);
    QCOMPARE(QPointF(ops[0].x, ops[0].y), at);
    QCOMPARE(ops[0].fontSize, size);
}

void TstReport::gridAndSequenceCurve()
{
    QVector<int16_t> readings(zq::kSeqReadings, 1500);
    readings[10] = 1600; // on the window's bounds: outside, with both steps beside them
    readings[20] = 1200;
    const Ops ops = layout(zq::Record::sequence(readings), view(1600));
    const Ops grid = filter(ops, [](const zq::PrintOp &o) { return o.kind == zq::PrintOp::Line && o.penWidth == 1; });
    QCOMPARE(grid.size(), 18);
    QVERIFY(std::all_of(
        grid.begin(), grid.end(), [](const zq::PrintOp &o) { return o.dashed && o.colour == QColor(20, 210, 100); }));
    QCOMPARE(grid.last().line, QLineF(9700, 3000, 9700, 7000));
    const Ops steps = curve(ops);
    QCOMPARE(steps.size(), 116);
    QCOMPARE(steps.first().line, QLineF(2500, 4000, 2560, 4000));
    QVERIFY(!steps.first().dashed && steps.first().colour == QColor(Qt::black));
    QVERIFY(filter(ops, [](const zq::PrintOp &o) { return o.text.startsWith("No."); }).isEmpty());
}

void TstReport::sequenceTableEndsAtLastReading()
{
    const zq::ChartView last = view(800, zq::ChartView::kSeqScrollMax);
    Ops entries = tableEntries(layout(sequenceData(zq::kSeqReadings, 700), last));
    QCOMPARE(entries.size(), 120); // slot 3840 is no reading
    QCOMPARE(entries.last().text, QStringLiteral("3839-0700℃  "));
    QVERIFY(entries[1].x > entries[0].x); // entries follow one another on a row
    QCOMPARE(tableEntries(layout(sequenceData(3725, 700), last)).size(), 5);
}

void TstReport::fitsThePrintableArea_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("datatype");
    QTest::addColumn<int>("seqstart");
    for (const auto &[page, name] : {std::pair{QPageSize::A4, "A4"}, std::pair{QPageSize::Letter, "Letter"}}) {
        QTest::addRow("%s sequence from 0", name) << int(page) << 1 << 0;
        QTest::addRow("%s sequence from 3720", name) << int(page) << 1 << 3720;
        QTest::addRow("%s time-stamped", name) << int(page) << 2 << 0;
    }
}

void TstReport::fitsThePrintableArea()
{
    QFETCH(int, page);
    QFETCH(int, datatype);
    QFETCH(int, seqstart);
    zq::installFontSubstitutes();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::PageSizeId(page)));
    const QRectF area = zq::printableTwips(printer.pageLayout());
    QVector<int16_t> readings(zq::kSeqReadings, 1888);
    readings[seqstart] = -8888;
    const zq::Record record = datatype == 1 ? zq::Record::sequence(readings) : timeData(4032, 10);
    zq::PrintSurface s(nullptr, area.height(), QStringLiteral("黑体"));
    s.setPageWidth(area.width());
    s.newPage = [] { return true; };
    zq::layoutReport(s, record, params(view(2000, seqstart / 10)));
    for (const zq::PrintOp &o : s.ops()) {
        const QRectF box = o.kind == zq::PrintOp::Text ? QRectF(o.x, o.y, o.width, o.height)
                                                       : QRectF(o.line.p1(), o.line.p2()).normalized();
        const bool inside = box.left() >= area.left() && box.top() >= area.top() && box.right() <= area.right()
            && box.bottom() <= area.bottom();
        QVERIFY2(inside,
            qPrintable(QStringLiteral("%1 at %2,%3 width %4 on page %5 of %6 x %7")
                           .arg(o.text)
                           .arg(box.x())
                           .arg(box.y())
                           .arg(box.width())
                           .arg(o.page)
                           .arg(area.width())
                           .arg(area.height())));
    }
    // The reading numbers under the frame follow the view.
    const Ops first = filter(s.ops(), [&](const zq::PrintOp &o) { return o.x == 2400 && o.y == 7200; });
    QCOMPARE(first.value(0).text, QStringLiteral(" %1 ").arg(seqstart));
}

void TstReport::timeStampedReport()
{
    QVector<WDREC> records = timeRecords(130, 10);
    records[3].wd = zq::kFailedReading;
    const zq::Record record = zq::Record::timeStamped(records);
    Ops ops = layout(record, view(300));
    const Ops no = filter(ops, [](const zq::PrintOp &o) { return o.text == "No. 0 "; });
    QCOMPARE(no.size(), 1);
    QCOMPARE(QPointF(no[0].x, no[0].y), QPointF(2000, 2400));
    const Ops entries = tableEntries(ops);
    QCOMPARE(entries.size(), 130);
    QCOMPARE(entries[3].text, QStringLiteral("----"));
    QCOMPARE(entries[0].text, QStringLiteral("07-26 10:00:09 0200℃  "));
    QVERIFY(entries[0].y > 7800 && entries[5].y > entries[4].y); // five a line, the first one line down
    QCOMPARE(curve(ops).size(), 118); // 120 steps at most, less the two beside the failed reading
    QCOMPARE(curve(ops).first().colour, QColor(255, 0, 0));

    int pages = 0;
    ops = tableEntries(layout(timeData(4032), view(800), &pages));
    QCOMPARE(pages, ops.last().page + 1);
    QVERIFY(pages > 1);
    QVERIFY(std::all_of(ops.begin(), ops.end(), [](const zq::PrintOp &o) {
        return o.y + o.height <= 16000 && (o.page == 0 || o.y >= zq::PrintSurface::kTopMargin);
    }));
    // No page is left short: each but the last is filled to within two lines of its bottom.
    for (int p = 0; p + 1 < pages; ++p) {
        double lowest = 0;
        for (const zq::PrintOp &o : ops)
            if (o.page == p)
                lowest = qMax(lowest, o.y + o.height);
        QVERIFY2(lowest > 16000 - 2 * ops.first().height, qPrintable(QString::number(lowest)));
    }
    for (int g : {1, 6}) { // empty groups: a caption and nothing else
        ops = layout(record, view(300, 0, g));
        QVERIFY(tableEntries(ops).isEmpty() && curve(ops).isEmpty());
        QCOMPARE(
            filter(ops, [&](const zq::PrintOp &o) { return o.text == QStringLiteral("No. %1 ").arg(g); }).size(), 1);
    }
}

QTEST_MAIN(TstReport)
#include "tst_report.moc"
