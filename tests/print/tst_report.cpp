#include "core/fonts.h"
#include "print/printsurface.h"
#include "print/report.h"
#include "testsupport.h"

#include <QPainterPath>
#include <QPushButton>
#include <QTemporaryDir>

namespace {
const QColor kGrid(20, 210, 100);

struct Layout
{
    QVector<zq::PrintOp> ops;
    int pages = 1;
    QVector<zq::PrintOp> texts() const
    {
        QVector<zq::PrintOp> t;
        for (const auto &op : ops)
            if (op.kind == zq::PrintOp::Text)
                t.append(op);
        return t;
    }
    QVector<zq::PrintOp> lines(int width) const
    {
        QVector<zq::PrintOp> l;
        for (const auto &op : ops)
            if (op.kind == zq::PrintOp::Line && op.penWidth == width)
                l.append(op);
        return l;
    }
    const zq::PrintOp *text(const QString &s) const
    {
        for (const auto &op : ops)
            if (op.kind == zq::PrintOp::Text && op.text == s)
                return &op;
        return nullptr;
    }
};

Layout layout(const Workspace &ws, int group = 0, double pageHeight = 16000)
{
    zq::PrintSurface s(nullptr, pageHeight, QStringLiteral("黑体"));
    s.newPage = [] { return true; };
    zq::ReportParams rp;
    rp.group = group;
    rp.groupColour = QColor(255, 0, 0);
    rp.date = QStringLiteral("2026/12/6");
    zq::layoutReport(s, ws, rp);
    return {s.ops(), s.pages()};
}

Workspace timeData(int n)
{
    Workspace ws;
    ws.datatype = zq::TimeData;
    ws.grpcount[0] = n;
    for (int i = 0; i < n; ++i)
        ws.wdtab[i][0] = WDREC{int16_t(500 + i % 50), 7, 26, 10, 35, 12};
    return ws;
}
} // namespace

class TstReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fixedTexts_data();
    void fixedTexts();
    void gridAndPenPosition();
    void sequenceCurveWindowIsStrict();
    void sequenceTableEndsAtLastSlot();
    void timeStampedListAndCurve();
    void longListContinuesOnNewPages();
    void emptyAndHighGroups();
    void noDataIsTold();
    void pdfThroughRealPrintingPath();
    void reportFontDrawsEveryGlyph_data();
    void reportFontDrawsEveryGlyph();
};

void TstReport::fixedTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<double>("size");
    QTest::newRow("title") << "温 度 数 据 曲 线" << QPointF(5000, 1000) << 16.0;
    QTest::newRow("date") << "2026/12/6" << QPointF(5000, 1500) << 10.0;
    QTest::newRow("top caption") << " 1600 ℃" << QPointF(1600, 2800) << 10.0;
    QTest::newRow("bottom caption") << " 1200 ℃" << QPointF(1600, 6800) << 10.0;
    QTest::newRow("first reading number") << " 0 " << QPointF(2400, 7200) << 10.0;
    QTest::newRow("last reading number") << " 120 " << QPointF(9600, 7200) << 10.0;
    QTest::newRow("table's first row") << "000-1500℃  " << QPointF(1400, 7800) << 8.0;
    QTest::newRow("table's second row") << "010-1500℃  " << QPointF(1400, 8050) << 8.0;
}

void TstReport::fixedTexts()
{
    QFETCH(QString, text);
    QFETCH(QPointF, at);
    QFETCH(double, size);
    Workspace ws;
    ws.datatype = zq::SequenceData;
    ws.ybase = 1600;
    ws.wdseq.fill(1500);
    const Layout l = layout(ws);
    const zq::PrintOp *op = l.text(text);
    QVERIFY2(op, qPrintable(text));
    QCOMPARE(QPointF(op->x, op->y), at);
    QCOMPARE(op->fontSize, size);
    QVERIFY(!l.text("No. 0 ")); // only time-stamped data has a group caption
}

void TstReport::gridAndPenPosition()
{
    Workspace ws;
    ws.datatype = zq::SequenceData;
    ws.wdseq.fill(0);
    const Layout l = layout(ws);
    const auto grid = l.lines(1);
    QCOMPARE(grid.size(), 18);
    for (const auto &g : grid) {
        QVERIFY(g.dashed);
        QCOMPARE(g.colour, kGrid);
    }
    QCOMPARE(grid.first().line, QLineF(2500, 3000, 9700, 3000));
    QCOMPARE(grid.last().line, QLineF(9700, 3000, 9700, 7000));
    // Entries follow one another on a row: each starts where the last ended.
    const auto texts = l.texts();
    int row = 0;
    for (int i = 1; i < texts.size(); ++i)
        if (texts[i].y == 7800 && texts[i - 1].y == 7800) {
            QVERIFY(texts[i].x > texts[i - 1].x);
            ++row;
        }
    QCOMPARE(row, 9);
}

void TstReport::sequenceCurveWindowIsStrict()
{
    Workspace ws;
    ws.datatype = zq::SequenceData;
    ws.ybase = 1600;
    ws.wdseq.fill(1500);
    ws.wdseq[10] = 1600; // on the top bound: outside
    ws.wdseq[20] = 1200; // on the bottom bound: outside
    const auto curve = layout(ws).lines(3);
    QCOMPARE(curve.size(), 120 - 4);
    for (const auto &c : curve) {
        QCOMPARE(c.colour, QColor(Qt::black));
        QVERIFY(!c.dashed);
    }
    QCOMPARE(curve.first().line, QLineF(2500, 4000, 2560, 4000)); // step j=1
}

void TstReport::sequenceTableEndsAtLastSlot()
{
    Workspace ws;
    ws.datatype = zq::SequenceData;
    ws.seqstart = zq::kSeqStartMax;
    const Layout l = layout(ws);
    int entries = 0;
    for (const auto &t : l.texts())
        entries += t.fontSize == 8;
    QCOMPARE(entries, 121); // slots 3720 to 3840
    QVERIFY(l.text("3840-0000℃  "));
}

void TstReport::timeStampedListAndCurve()
{
    Workspace ws = timeData(130);
    ws.wdtab[3][0].wd = zq::kFailedReading;
    const Layout l = layout(ws);
    const zq::PrintOp *no = l.text("No. 0 ");
    QVERIFY(no);
    QCOMPARE(QPointF(no->x, no->y), QPointF(2000, 2400));
    QCOMPARE(no->fontSize, 16.0);
    int entries = 0, failed = 0;
    double firstY = -1;
    for (const auto &t : l.texts())
        if (t.fontSize == 8) {
            ++entries;
            failed += t.text == "----";
            if (firstY < 0)
                firstY = t.y;
        }
    QCOMPARE(entries, 130);
    QCOMPARE(failed, 1);
    QVERIFY(l.text("07-26 10:35:12 0500℃  "));
    QVERIFY(firstY > 7800); // one line below the list's start
    const auto curve = l.lines(3);
    QVERIFY(curve.size() <= 120);
    QCOMPARE(curve.size(), 120 - 2); // the failed reading takes two steps
    QCOMPARE(curve.first().colour, QColor(255, 0, 0));
}

void TstReport::longListContinuesOnNewPages()
{
    const Layout l = layout(timeData(4032), 0, 16000);
    QVERIFY(l.pages > 1);
    double minYOnLaterPages = 1e9;
    int lastPageEntries = 0;
    for (const auto &t : l.texts()) {
        QVERIFY(t.y < 16000);
        if (t.page > 0)
            minYOnLaterPages = qMin(minYOnLaterPages, t.y);
        lastPageEntries += t.page == l.pages - 1;
    }
    QVERIFY(minYOnLaterPages >= zq::PrintSurface::kTopMargin);
    QVERIFY(lastPageEntries > 0);
}

void TstReport::emptyAndHighGroups()
{
    Workspace ws = timeData(5);
    for (int g : {1, 6}) {
        const Layout l = layout(ws, g);
        QVERIFY(l.text(QStringLiteral("No. %1 ").arg(g)));
        QVERIFY(l.lines(3).isEmpty());
        int entries = 0;
        for (const auto &t : l.texts())
            entries += t.fontSize == 8;
        QCOMPARE(entries, 0);
    }
}

void TstReport::noDataIsTold()
{
    TestWindow w;
    w->打印->click();
    QCOMPARE(w.dialogs->texts(), QStringList{"没有温度数据供打印"});
    QCOMPARE(w.dialogs->shown.first().title, QStringLiteral("ZQ软件"));
}

void TstReport::pdfThroughRealPrintingPath()
{
    if (!QStandardPaths::findExecutable("pdfinfo").size())
        QSKIP("pdfinfo (poppler-utils) is not installed");
    QTemporaryDir dir;
    TestWindow w;
    w.ws() = timeData(1000);
    w.ws().havedata = 2;
    w.dialogs->paths = {dir.filePath("report")};
    w->printfeetm(); // no printer here: offered a PDF instead
    const QString pdf = dir.filePath("report.pdf");
    QVERIFY2(QFile::exists(pdf), qPrintable(w.dialogs->texts().join('|')));
    QProcess info;
    info.start("pdfinfo", {pdf});
    QVERIFY(info.waitForFinished());
    const QString pages
        = QString::fromUtf8(info.readAllStandardOutput()).section("Pages:", 1).section('\n', 0, 0).trimmed();
    QVERIFY2(pages.toInt() >= 2, qPrintable(pages));
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    QVERIFY(text.waitForFinished());
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(content.contains("No. 0"), qPrintable(content.left(300)));
    QVERIFY(content.contains("07-26 10:35:12"));
}

void TstReport::reportFontDrawsEveryGlyph_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("degree sign") << QStringLiteral("℃");
    QTest::newRow("Chinese") << QStringLiteral("温");
    QTest::newRow("digit") << QStringLiteral("7");
}

void TstReport::reportFontDrawsEveryGlyph()
{
    QFETCH(QString, text);
    zq::installFontSubstitutes();
    QPainterPath path;
    path.addText(0, 0, QFont(QStringLiteral("黑体"), 20), text);
    QVERIFY(!path.isEmpty());
}

QTEST_MAIN(TstReport)
#include "tst_report.moc"
