#include "chart/chart.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {
const QRgb kBg = QColor(0, 64, 0).rgb();
const QRgb kRed = QColor(255, 22, 22).rgb();

// One column wider than the chart, to see what lands just past its edge.
QImage chartOf(const Workspace &ws)
{
    QImage img(zq::kChartWidth + 1, zq::kChartHeight, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    zq::drawChartFrame(p, ws.datatype);
    if (ws.datatype == zq::SequenceData)
        zq::drawSequenceCurve(p, ws);
    else if (ws.datatype == zq::TimeData)
        zq::drawTimePoints(p, ws, QColor(255, 0, 0));
    return img;
}

Workspace sequence(int value)
{
    Workspace ws;
    ws.datatype = zq::SequenceData;
    ws.wdseq.fill(int16_t(value));
    ws.wdnum = zq::kSeqReadings;
    return ws;
}

bool anyRedInColumn(const QImage &img, int x)
{
    for (int y = 0; y < img.height(); ++y)
        if (img.pixel(x, y) == kRed)
            return true;
    return false;
}
} // namespace

class TstChart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void frame_data();
    void frame();
    void captions_data();
    void captions();
    void scaleBar();
    void curveLimits_data();
    void curveLimits();
    void curveGapAroundFailedReading();
    void curveClippedAboveBase();
    void lastViewEndsAtRightEdge();
    void timePoints_data();
    void timePoints();
    void timeCaption();
};

void TstChart::frame_data()
{
    QTest::addColumn<int>("datatype");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("fine grid starts at x=3") << 0 << QPoint(3, 4) << QColor(1, 50, 1);
    QTest::newRow("no fine grid left of x=3") << 0 << QPoint(1, 4) << QColor(0, 64, 0);
    QTest::newRow("major grid from x=0") << 0 << QPoint(0, 100) << QColor(0, 80, 0);
    QTest::newRow("major grid over fine") << 0 << QPoint(500, 300) << QColor(0, 80, 0);
    QTest::newRow("background between lines") << 0 << QPoint(10, 2) << QColor(0, 64, 0);
    QTest::newRow("no divisions without data") << 0 << QPoint(60, 50) << QColor(0, 64, 0);
    QTest::newRow("sequence divisions") << 1 << QPoint(60, 50) << QColor(0, 0, 150);
    QTest::newRow("time divisions") << 2 << QPoint(660, 50) << QColor(0, 0, 50);
    QTest::newRow("division over major grid") << 1 << QPoint(120, 100) << QColor(0, 0, 150);
}

void TstChart::frame()
{
    QFETCH(int, datatype);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    Workspace ws;
    ws.datatype = datatype;
    ws.wdseq.fill(0); // nothing plotted: only the frame shows
    QCOMPARE(QColor(chartOf(ws).pixel(at)), colour);
}

void TstChart::captions_data()
{
    QTest::addColumn<int>("ybase");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("400") << 400 << QStringList{"0400", "0300", "0200", "0100", "0000"};
    QTest::newRow("800") << 800 << QStringList{"0800", "0700", "0600", "0500", "0400"};
    QTest::newRow("2000") << 2000 << QStringList{"2000", "1900", "1800", "1700", "1600"};
}

void TstChart::captions()
{
    QFETCH(int, ybase);
    QFETCH(QStringList, expected);
    QCOMPARE(zq::scaleCaptions(ybase), expected);
}

void TstChart::scaleBar()
{
    QImage layer(1017, 722, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        zq::drawScale(p, QPoint(288, 221), 800, QFont(QStringLiteral("Arial"), 12, QFont::Bold));
    }
    QCOMPARE(QColor(layer.pixel(270, 221)), QColor(255, 0, 0)); // k=0, right of the caption
    QCOMPARE(QColor(layer.pixel(270, 621)), QColor(55, 0, 0)); // k=200
    QCOMPARE(QColor(layer.pixel(225, 221 + 200)), QColor(155, 0, 0)); // k=100, left end
    QCOMPARE(qAlpha(layer.pixel(272, 221)), 0); // bar ends at L-17
    QCOMPARE(qAlpha(layer.pixel(250, 222)), 0); // stripes two pixels apart
    // Each caption leaves its colour in its own box.
    for (int k = 0; k <= 4; ++k) {
        bool found = false;
        for (int y = 221 + 96 * k; y < 221 + 96 * k + 18 && !found; ++y)
            for (int x = 229; x < 229 + 40 && !found; ++x)
                found = QColor(layer.pixel(x, y)) == QColor(0, 55, 0);
        QVERIFY2(found, qPrintable(QStringLiteral("caption %1").arg(k)));
    }
}

void TstChart::curveLimits_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("drawn");
    QTest::newRow("0 is not drawn") << 0 << false;
    QTest::newRow("1 is drawn") << 1 << true;
    QTest::newRow("1999 is drawn") << 1999 << true;
    QTest::newRow("2000 is not drawn") << 2000 << false;
    QTest::newRow("failed reading") << 8888 << false;
}

void TstChart::curveLimits()
{
    QFETCH(int, value);
    QFETCH(bool, drawn);
    Workspace ws = sequence(value);
    // Bring the value into view so only the limits decide.
    ws.ybase = qBound(400, value + 200, 2000);
    const QImage img = chartOf(ws);
    QCOMPARE(anyRedInColumn(img, 363), drawn);
}

void TstChart::curveGapAroundFailedReading()
{
    Workspace ws = sequence(500);
    ws.wdseq[60] = zq::kFailedReading;
    const QImage img = chartOf(ws);
    // Reading 60 stands at x=360: the segments 59-60 and 60-61 are gone.
    QVERIFY(anyRedInColumn(img, 350));
    QVERIFY(!anyRedInColumn(img, 357));
    QVERIFY(!anyRedInColumn(img, 363));
    QVERIFY(anyRedInColumn(img, 370));
    QCOMPARE(QColor(img.pixel(351, 300)), QColor(kRed)); // a segment's mid-point, y = 800 - 500
}

void TstChart::curveClippedAboveBase()
{
    Workspace ws = sequence(500);
    ws.wdseq[60] = 850; // 50 pixels above the top edge at ybase 800
    const QImage img = chartOf(ws);
    QVERIFY(anyRedInColumn(img, 357)); // the segment towards it still shows, cut at the edge
    QCOMPARE(QColor(img.pixel(360, 0)), QColor(kRed));
}

void TstChart::lastViewEndsAtRightEdge()
{
    Workspace ws = sequence(500);
    ws.seqstart = zq::kSeqStartMax;
    ws.wdseq[3840] = 500;
    const QImage img = chartOf(ws);
    QVERIFY(anyRedInColumn(img, 719));
    ws.wdseq[3840] = 0;
    QVERIFY(!anyRedInColumn(chartOf(ws), 717));
}

void TstChart::timePoints_data()
{
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("x"); // -1: not drawn
    QTest::newRow("14:00:00 at x=0") << 14 << 0 << 0 << 0;
    QTest::newRow("14:59:59 at 719.8, rounded to the edge") << 14 << 59 << 59 << 720;
    QTest::newRow("14:30:04 at 360.8") << 14 << 30 << 4 << 361;
    QTest::newRow("hour 13 absent") << 13 << 30 << 0 << -1;
    QTest::newRow("hour 15 absent") << 15 << 0 << 0 << -1;
}

void TstChart::timePoints()
{
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(int, x);
    Workspace ws;
    ws.datatype = zq::TimeData;
    ws.xstart = 14;
    ws.grpcount[0] = 2;
    ws.wdtab[0][0] = WDREC{500, 7, 26, uint8_t(hour), uint8_t(minute), uint8_t(second)};
    ws.wdtab[1][0] = WDREC{500, 7, 27, uint8_t(hour), uint8_t(minute), uint8_t(second)}; // another day, same pixel
    const QImage img = chartOf(ws);
    int found = -1, count = 0;
    for (int px = 0; px < img.width(); ++px)
        if (img.pixel(px, 300) == QColor(255, 0, 0).rgb()) {
            found = px;
            ++count;
        }
    if (x < 0) {
        QCOMPARE(count, 0);
        return;
    }
    QCOMPARE(count, 1);
    QVERIFY2(qAbs(found - x) <= 1, qPrintable(QString::number(found)));
}

void TstChart::timeCaption()
{
    Workspace ws;
    ws.wdtab[0][0] = WDREC{500, 7, 3, 9, 0, 0};
    QCOMPARE(zq::timeCaption(ws, 0), QStringLiteral("07-03 09"));
    QCOMPARE(zq::timeCaption(ws, 1), QStringLiteral("00-00 00"));
    QCOMPARE(zq::timeCaption(ws, 5), QStringLiteral("00-00 00")); // beyond the table: an empty group
}

QTEST_MAIN(TstChart)
#include "tst_chart.moc"
