#include "chart/chart.h"
#include "support/records.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {
const QColor kRed(255, 22, 22);

// One column wider than the chart, to see what lands just past its edge.
QImage chartOf(const zq::Record &record, zq::ChartView view = {})
{
    QImage img(zq::kChartWidth + 1, zq::kChartHeight, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    zq::drawChartFrame(p, record.type());
    if (record.isSequence())
        zq::drawSequenceCurve(p, record, view);
    else
        zq::drawTimePoints(p, record, view, QColor(255, 0, 0));
    return img;
}

zq::ChartView atBase(int ybase)
{
    zq::ChartView view;
    view.ybase = ybase;
    return view;
}

// Rows of column x holding colour c.
int count(const QImage &img, int x, const QColor &c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        n += img.pixel(x, y) == c.rgb();
    return n;
}

} // namespace

class TstChart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void frame_data();
    void frame();
    void scale();
    void curveLimits_data();
    void curveLimits();
    void curveGapsAndEdges();
    void timePoints_data();
    void timePoints();
};

void TstChart::frame_data()
{
    QTest::addColumn<int>("datatype");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("fine grid starts at x=3") << 0 << QPoint(3, 4) << QColor(1, 50, 1);
    QTest::newRow("no fine grid left of x=3") << 0 << QPoint(1, 4) << QColor(0, 64, 0);
    QTest::newRow("major grid from x=0") << 0 << QPoint(0, 100) << QColor(0, 80, 0);
    QTest::newRow("no divisions without data") << 0 << QPoint(60, 50) << QColor(0, 64, 0);
    QTest::newRow("sequence divisions") << 1 << QPoint(60, 50) << QColor(0, 0, 150);
    QTest::newRow("time divisions over the grid") << 2 << QPoint(660, 100) << QColor(0, 0, 50);
}

void TstChart::frame()
{
    QFETCH(int, datatype);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    const zq::Record record = datatype == 1 ? sequenceData(0, 0) : datatype == 2 ? timeData(0) : zq::Record();
    QCOMPARE(QColor(chartOf(record).pixel(at)), colour);
}

void TstChart::scale()
{
    QCOMPARE(zq::scaleCaptions(400), (QStringList{"0400", "0300", "0200", "0100", "0000"}));
    QCOMPARE(zq::scaleCaptions(2000), (QStringList{"2000", "1900", "1800", "1700", "1600"}));
    QImage layer(1017, 722, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        zq::drawScale(p, QPoint(288, 221), 800, QFont(QStringLiteral("Arial"), 12, QFont::Bold));
    }
    QCOMPARE(QColor(layer.pixel(270, 221)), QColor(255, 0, 0)); // first line, right of its caption
    QCOMPARE(QColor(layer.pixel(225, 421)), QColor(155, 0, 0));
    QCOMPARE(QColor(layer.pixel(270, 621)), QColor(55, 0, 0)); // last line
    QCOMPARE(qAlpha(layer.pixel(272, 221)) + qAlpha(layer.pixel(270, 222)), 0); // ends at L-17; stripes
    for (int k = 0; k <= 4; ++k) { // every caption stands in its own box
        const QImage box = layer.copy(229, 221 + 96 * k, 40, 18);
        bool found = false;
        for (int i = 0; i < box.width() * box.height() && !found; ++i)
            found = QColor(box.pixel(i % box.width(), i / box.width())) == QColor(0, 55, 0);
        QVERIFY2(found, qPrintable(QString::number(k)));
    }
}

void TstChart::curveLimits_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("drawn");
    QTest::newRow("0") << 0 << false;
    QTest::newRow("1") << 1 << true;
    QTest::newRow("1999") << 1999 << true;
    QTest::newRow("2000") << 2000 << false;
    QTest::newRow("failed reading") << 8888 << false;
}

void TstChart::curveLimits()
{
    QFETCH(int, value);
    QFETCH(bool, drawn);
    // The base brings the value into view, so only the limits decide.
    QCOMPARE(count(chartOf(sequenceData(200, value), atBase(qBound(400, value + 200, 2000))), 363, kRed) > 0, drawn);
}

void TstChart::curveGapsAndEdges()
{
    QVector<int16_t> readings(zq::kSeqReadings, 500);
    readings[60] = zq::kFailedReading; // reading 60 stands at x=360
    readings[90] = 850; // 50 above the top edge at base 800
    QImage img = chartOf(zq::Record::sequence(readings));
    QCOMPARE(QColor(img.pixel(351, 300)), kRed); // a segment's mid-point
    QVERIFY(count(img, 357, kRed) == 0 && count(img, 363, kRed) == 0);
    QVERIFY(count(img, 370, kRed) > 0);
    QCOMPARE(QColor(img.pixel(540, 0)), kRed); // drawn towards 850, cut at the edge
    const QImage z = chartOf(sequenceData({500, 0, 500})); // no segment touches the 0
    for (int x = 0; x <= 11; ++x)
        QVERIFY2(count(z, x, kRed) == 0, qPrintable(QString::number(x)));
    zq::ChartView last;
    last.start = zq::ChartView::kSeqScrollMax;
    // Reading 3839, the last a record holds, stands at x=714; nothing is drawn past it.
    QVERIFY(count(chartOf(zq::Record::sequence(readings), last), 713, kRed) > 0);
    QCOMPARE(count(chartOf(zq::Record::sequence(readings), last), 716, kRed), 0);
    readings.removeLast(); // a reading short: the last segment goes too
    QCOMPARE(count(chartOf(zq::Record::sequence(readings), last), 713, kRed), 0);
}

void TstChart::timePoints_data()
{
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("x"); // -1: not drawn
    QTest::newRow("14:00:00 at x=0") << 14 << 0 << 0 << 0;
    QTest::newRow("14:30:04 at 360.8") << 14 << 30 << 4 << 360;
    QTest::newRow("14:59:59 at 719.8, inside the chart") << 14 << 59 << 59 << 719;
    QTest::newRow("hour 13 absent") << 13 << 30 << 0 << -1;
    QTest::newRow("hour 15 absent") << 15 << 0 << 0 << -1;
}

void TstChart::timePoints()
{
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(int, x);
    zq::ChartView view;
    view.start = 14;
    const WDREC first{500, 7, 26, uint8_t(hour), uint8_t(minute), uint8_t(second)};
    const WDREC nextDay{500, 7, 27, uint8_t(hour), uint8_t(minute), uint8_t(second)};
    const QImage img = chartOf(zq::Record::timeStamped({first, nextDay}), view);
    QList<int> found;
    for (int px = 0; px < img.width(); ++px)
        if (img.pixel(px, 300) == QColor(255, 0, 0).rgb())
            found.append(px);
    QCOMPARE(found, x < 0 ? QList<int>{} : QList<int>{x}); // both days on one pixel
    const zq::Record one = zq::Record::timeStamped({first}); // a group of one record draws it
    QCOMPARE(count(chartOf(one, view), qMax(x, 0), QColor(255, 0, 0)) > 0, x >= 0);
    QCOMPARE(zq::timeCaption(one, 0), QStringLiteral("07-26 %1").arg(hour));
    QCOMPARE(zq::timeCaption(one, 5), QStringLiteral("00-00 00"));
}

QTEST_MAIN(TstChart)
#include "tst_chart.moc"
