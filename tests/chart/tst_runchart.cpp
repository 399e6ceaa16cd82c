// The whole-run chart as drawn: every time mark stands where its label's
// value is, on a step a person counts in; the line breaks at a gap; a band
// that follows the plan lies below it by `below` and above it by `above`.
#include "chart/axisticks.h"
#include "chart/chart.h"
#include "chart/guides.h"
#include "chart/runchart.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {
const QRect kArea(0, 0, 800, 300);
const QColor kGrid(0, 110, 0);

// Points along x joined in turn, except where `breakAfter` says.
zq::Curve curve(const QVector<double> &x, const QVector<double> &y, int breakAfter = -1)
{
    zq::Curve c;
    c.x = x;
    c.y = y;
    for (int k = 0; k < x.size(); ++k) {
        c.joined.append(k + 1 < x.size() && k != breakAfter);
        c.source.append(k);
    }
    return c;
}

QImage draw(const zq::RunChartContent &c)
{
    QImage image(kArea.size(), QImage::Format_RGB32);
    QPainter p(&image);
    zq::drawRunChart(p, kArea, c);
    return image;
}

// A grid line down column x: most of the plot's rows there are the grid's colour.
bool gridAt(const QImage &image, int x)
{
    int green = 0;
    for (int y = 20; y < kArea.height() - 20; ++y)
        green += QColor(image.pixel(x, y)) == kGrid;
    return green > (kArea.height() - 40) * 3 / 4;
}

bool rowHas(const QImage &image, int y, const QColor &colour, int fromX = 48, int toX = 792)
{
    for (int x = fromX; x < toX; ++x)
        if (QColor(image.pixel(x, y)) == colour)
            return true;
    return false;
}
} // namespace

class TstRunChart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void marksStandAtTheirValues_data();
    void marksStandAtTheirValues();
    void lineBreaksAtAGap();
    void bandFollowsThePlan();
};

void TstRunChart::marksStandAtTheirValues_data()
{
    QTest::addColumn<double>("span"); // seconds, or readings
    QTest::addColumn<bool>("timeAxis");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QStringList>("labels"); // worked out by hand; empty: not listed
    QTest::newRow("273 min: hours") << 273 * 60.0 << true << "h" << QStringList{"0", "1", "2", "3", "4"};
    QTest::newRow("183 min: half hours") << 183 * 60.0 << true << "min"
                                         << QStringList{"0", "30", "60", "90", "120", "150", "180"};
    QTest::newRow("50 min: ten minutes") << 50 * 60.0 << true << "min"
                                         << QStringList{"0", "10", "20", "30", "40", "50"};
    QTest::newRow("100 s") << 100.0 << true << "s" << QStringList{"0", "15", "30", "45", "60", "75", "90"};
    QTest::newRow("7 min: one minute") << 7 * 60.0 << true << "min"
                                       << QStringList{"0", "1", "2", "3", "4", "5", "6", "7"};
    QTest::newRow("20 h: three hours") << 20 * 3600.0 << true << "h"
                                       << QStringList{"0", "3", "6", "9", "12", "15", "18"};
    QTest::newRow("3 days: twelve hours") << 3 * 86400.0 << true << "h" << QStringList{};
    QTest::newRow("12 days: days") << 12 * 86400.0 << true << "d" << QStringList{"0", "2", "4", "6", "8", "10", "12"};
    QTest::newRow("1000 readings") << 999.0 << false << "读数" << QStringList{"0", "200", "400", "600", "800"};
}

void TstRunChart::marksStandAtTheirValues()
{
    QFETCH(double, span);
    QFETCH(bool, timeAxis);
    QFETCH(QString, unit);
    QFETCH(QStringList, labels);
    zq::RunChartContent c;
    c.run = curve({0, span}, {500, 500});
    c.timeAxis = timeAxis;
    const QImage image = draw(c);
    const zq::AxisTicks ticks = zq::axisTicks(0, span, timeAxis, 8);
    QCOMPARE(ticks.unit, unit);
    QStringList shown;
    for (double v : ticks.values)
        shown << ticks.label(v);
    if (!labels.isEmpty())
        QCOMPARE(shown, labels);
    // Each label read back in seconds (or readings) by the unit it names, then found on the chart:
    // 48 px left margin, 8 right, the span across.
    const QMap<QString, double> seconds{{"s", 1}, {"min", 60}, {"h", 3600}, {"d", 86400}, {"读数", 1}};
    QVector<double> values;
    for (const QString &label : shown) {
        const double v = label.toDouble() * seconds[unit];
        values << v;
        const int x = qRound(48 + v / span * (800 - 56));
        QVERIFY2(gridAt(image, x) || gridAt(image, x - 1), qPrintable(label + " at " + QString::number(x)));
        QVERIFY2(!gridAt(image, x + 4) && !gridAt(image, x - 5), qPrintable(label));
    }
    // Evenly stepped, by a step a person counts in.
    const QVector<double> steps{1, 2, 5, 10, 15, 20, 30, 60, 120, 300, 600, 900, 1200, 1800, 3600, 7200, 10800, 14400,
        21600, 43200, 86400, 2 * 86400, 200};
    for (int k = 1; k < values.size(); ++k)
        QCOMPARE(values[k] - values[k - 1], values[1] - values[0]);
    QVERIFY2(steps.contains(values[1] - values[0]), qPrintable(QString::number(values[1] - values[0])));
    QVERIFY(values.size() >= 4 && values.size() <= 10);
}

void TstRunChart::lineBreaksAtAGap()
{
    // 0…40 s and 60…100 s at 500 ℃, nothing between.
    zq::RunChartContent c;
    c.run = curve({0, 20, 40, 60, 80, 100}, {500, 500, 500, 500, 500, 400}, 2);
    c.timeAxis = true;
    const QImage image = draw(c);
    const zq::RunScale s = zq::runScale(c, kArea);
    const int y = qRound(s.py(500));
    auto column = [](double seconds) { return qRound(48 + seconds / 100 * (800 - 56)); };
    auto drawn = [&](double from, double to) {
        return rowHas(image, y - 1, zq::kCurveColour, column(from), column(to))
            || rowHas(image, y, zq::kCurveColour, column(from), column(to))
            || rowHas(image, y + 1, zq::kCurveColour, column(from), column(to));
    };
    QVERIFY(drawn(5, 35) && drawn(62, 78));
    QVERIFY(!drawn(42, 58));
}

void TstRunChart::bandFollowsThePlan()
{
    // Planned: 500 ℃ held for an hour; the band 20 below and 40 above it, the run
    // on the plan: the band's edges are in the picture too.
    zq::RunChartContent c;
    c.run = curve({0, 3600}, {500, 500});
    c.timeAxis = true;
    c.recipe.hasBand = true;
    c.recipe.bandFollowsSchedule = true;
    c.recipe.below = 20;
    c.recipe.above = 40;
    c.recipe.schedule.start = 500;
    zq::ScheduleStep hold;
    hold.hold = true;
    hold.target = 500;
    hold.seconds = 3600;
    c.recipe.schedule.steps = {hold};
    const QImage image = draw(c);
    const zq::RunScale s = zq::runScale(c, kArea);
    auto near = [&](double v) {
        const int y = qRound(s.py(v));
        return rowHas(image, y - 1, zq::kBandColour) || rowHas(image, y, zq::kBandColour)
            || rowHas(image, y + 1, zq::kBandColour);
    };
    QVERIFY(near(480) && near(540));
    QVERIFY(!near(460) && !near(520) && !near(500));
}

QTEST_MAIN(TstRunChart)
#include "tst_runchart.moc"
