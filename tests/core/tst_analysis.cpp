// The process check's figures on records made by hand, each figure worked
// out here from the readings, not by the code under test.
#include "core/analysis.h"
#include "core/analysisformat.h"
#include "support/records.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QtTest>

namespace {
// Time-stamped readings, one a second from 07-26 10:00:00 unless `at` says otherwise.
zq::Record timed(const QVector<int> &values, const QVector<int> &at = {})
{
    QVector<WDREC> records;
    for (int i = 0; i < values.size(); ++i) {
        const int s = at.isEmpty() ? i : at[i];
        records.append(WDREC{int16_t(values[i]), 7, uint8_t(26 + s / 86400), uint8_t(10 + s / 3600 % 24),
            uint8_t(s / 60 % 60), uint8_t(s % 60)});
    }
    return zq::Record::timeStamped(records);
}

QVector<int> rising(int n, int from, int step)
{
    QVector<int> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = from + step * i;
    return v;
}

QVector<int> runs(std::initializer_list<std::pair<int, int>> parts) // {count, value}
{
    QVector<int> v;
    for (const auto &[count, value] : parts)
        v += QVector<int>(count, value);
    return v;
}

zq::Recipe band(double setpoint, double below, double above)
{
    zq::Recipe r;
    r.hasBand = true;
    r.setpoint = setpoint;
    r.below = below;
    r.above = above;
    return r;
}

// 800 ×10, 850 ×60, 870 ×5 (over the band), 850 ×60, 800 ×5 (under it).
const QVector<int> kSoak = runs({{10, 800}, {60, 850}, {5, 870}, {60, 850}, {5, 800}});
} // namespace

class TstAnalysis : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ramp_data();
    void ramp();
    void stepIsBoundedByItsWindow();
    void soakWithAnExcursion();
    void gapsAreNeverBridged();
    void elapsedTime_data();
    void elapsedTime();
    void range();
    void criteriaAtTheirMargins_data();
    void criteriaAtTheirMargins();
    void recipes_data();
    void recipes();
    void property_data();
    void property();
};

void TstAnalysis::ramp_data()
{
    QTest::addColumn<zq::Record>("record");
    QTest::addColumn<double>("interval");
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("elapsed");
    QTest::addColumn<double>("firstAbove500");
    // 100, 102 … 700: 2 ℃ a reading.
    const QVector<int> up = rising(301, 100, 2);
    QVector<int16_t> seq(up.begin(), up.end());
    QTest::newRow("time-stamped, 1 s") << timed(up) << 0.0 << 120.0 << 300.0 << 200.0;
    QTest::newRow("sequence, no interval") << zq::Record::sequence(seq) << 0.0 << 2.0 << 300.0 << 200.0;
    QTest::newRow("sequence, 2 s assumed") << zq::Record::sequence(seq) << 2.0 << 60.0 << 600.0 << 400.0;
}

void TstAnalysis::ramp()
{
    QFETCH(zq::Record, record);
    QFETCH(double, interval);
    QFETCH(double, rate);
    QFETCH(double, elapsed);
    QFETCH(double, firstAbove500);
    zq::Recipe r;
    r.intervalSec = interval;
    r.thresholds = {500};
    const zq::Analysis a = zq::analyze(record, r);
    QVERIFY2(a.problem.isEmpty(), qPrintable(a.problem));
    QCOMPARE(a.assumedInterval, interval > 0);
    QVERIFY(a.maxHeat.measured && !a.maxCool.measured);
    QVERIFY(qAbs(a.maxHeat.rate - rate) < 1e-9);
    QCOMPARE(a.elapsed, elapsed);
    QCOMPARE(a.peak, 700);
    QCOMPARE(a.peakAt, 300);
    QCOMPARE(a.thresholds[0].firstAt, 200);
    QCOMPARE(a.thresholds[0].firstTime, firstAbove500);
    QCOMPARE(a.thresholds[0].totalAbove, elapsed - firstAbove500); // 500 … 700
    QCOMPARE(a.mean, 400.0);
    QVERIFY(!a.pass); // no criteria, no verdict
}

void TstAnalysis::stepIsBoundedByItsWindow()
{
    // 100 then 200, one reading a second. Least squares over 61 points with
    // the step after k of them: slope = Δ·6k(n−k) / (n(n²−1)) a second, at
    // most for k = 30: 100·6·30·31 / (61·3720) ℃/s.
    const zq::Analysis a = zq::analyze(timed(runs({{60, 100}, {61, 200}})), zq::Recipe());
    const double expected = 100.0 * 6 * 30 * 31 / (61.0 * 3720) * 60;
    QVERIFY2(qAbs(a.maxHeat.rate - expected) < 1e-9, qPrintable(QString::number(a.maxHeat.rate)));
    QCOMPARE(a.rateWindow, 60.0);
    QVERIFY(a.maxHeat.rate < 100.0 * 60 / 2); // never the 6000 ℃/min a one-second step would read as
}

void TstAnalysis::soakWithAnExcursion()
{
    const zq::Analysis a = zq::analyze(timed(kSoak), band(850, 10, 10));
    QVERIFY(a.band);
    const zq::BandFigures &b = *a.band;
    QCOMPARE(b.enteredAt, 10);
    QCOMPARE(b.timeToEnter, 10.0);
    QCOMPARE(b.afterEntry, 129.0); // 10 … 139
    QCOMPARE(b.inBand, 118.0); // 59 + 59
    QCOMPARE(b.outside, 11.0);
    QCOMPARE(b.longestSoak, 59.0);
    QCOMPARE(b.overshoot, 10.0); // 870 over 860
    QCOMPARE(b.overshootAt, 70);
    QCOMPARE(b.overshootTime, 4.0);
    QCOMPARE(b.undershoot, 40.0); // 800 under 840
    QCOMPARE(b.undershootAt, 135);
    QCOMPARE(b.undershootTime, 4.0);
    QCOMPARE(b.excursions, 2);
    // Trapezoids of the distance outside: 5 + 4·10 + 5 + 20 + 4·40 = 230 ℃·s.
    QVERIFY(qAbs(b.degreeMinutes - 230.0 / 60) < 1e-9);
}

void TstAnalysis::gapsAreNeverBridged()
{
    // 850 for 100 s, reading 50 failed, and ten minutes missing before reading 80.
    QVector<int> values(100, 850);
    values[50] = zq::kFailedReading;
    QVector<int> at(100);
    for (int i = 0; i < 100; ++i)
        at[i] = i < 80 ? i : i + 600;
    const zq::Analysis a = zq::analyze(timed(values, at), band(850, 5, 5));
    QCOMPARE(a.failed, 1);
    QCOMPARE(a.gaps.size(), 2);
    QVERIFY(a.gaps[0].failed && a.gaps[0].at == 50);
    QVERIFY(!a.gaps[1].failed && a.gaps[1].at == 80 && a.gaps[1].length == 601);
    QCOMPARE(a.elapsed, 699.0);
    QCOMPARE(a.band->longestSoak, 49.0); // 0 … 49
    QCOMPARE(a.band->inBand, 96.0); // 49 + 28 + 19
}

void TstAnalysis::elapsedTime_data()
{
    QTest::addColumn<QVector<WDREC>>("stamps");
    QTest::addColumn<double>("elapsed");
    QTest::addColumn<int>("brokenAt");
    auto s = [](int month, int day, int h, int m, int sec) {
        return WDREC{500, uint8_t(month), uint8_t(day), uint8_t(h), uint8_t(m), uint8_t(sec)};
    };
    QTest::newRow("midnight") << QVector<WDREC>{s(7, 26, 23, 59, 59), s(7, 27, 0, 0, 1)} << 2.0 << -1;
    QTest::newRow("month end") << QVector<WDREC>{s(7, 31, 23, 59, 59), s(8, 1, 0, 0, 0)} << 1.0 << -1;
    QTest::newRow("31 Dec to 1 Jan") << QVector<WDREC>{s(12, 31, 23, 59, 58), s(1, 1, 0, 0, 2)} << 4.0 << -1;
    QTest::newRow("28 Feb to 1 Mar") << QVector<WDREC>{s(2, 28, 12, 0, 0), s(3, 1, 12, 0, 0)} << 86400.0 << -1;
    QTest::newRow("a backward stamp") << QVector<WDREC>{s(7, 26, 10, 0, 5), s(7, 26, 10, 0, 9), s(7, 26, 10, 0, 0)}
                                      << -5.0 << 2;
    QTest::newRow("June to January is no year end")
        << QVector<WDREC>{s(6, 30, 0, 0, 0), s(1, 1, 0, 0, 0)} << -180 * 86400.0 << 1;
    QTest::newRow("April before March") << QVector<WDREC>{s(4, 1, 0, 0, 0), s(3, 1, 0, 0, 0)} << -31 * 86400.0 << 1;
}

void TstAnalysis::elapsedTime()
{
    QFETCH(QVector<WDREC>, stamps);
    QFETCH(double, elapsed);
    QFETCH(int, brokenAt);
    const zq::Analysis a = zq::analyze(zq::Record::timeStamped(stamps), zq::Recipe());
    QCOMPARE(a.elapsed, elapsed);
    QCOMPARE(a.orderBrokenAt, brokenAt);
}

void TstAnalysis::range()
{
    zq::Recipe r;
    r.thresholds = {300};
    const zq::Analysis a = zq::analyze(timed(rising(301, 100, 2)), r, 0, 100, 200);
    QCOMPARE(a.readings, 101);
    QCOMPARE(a.elapsed, 100.0);
    QCOMPARE(a.peak, 500);
    QCOMPARE(a.peakAt, 200);
    QCOMPARE(a.lowest, 300);
    QCOMPARE(a.thresholds[0].firstAt, 100);
    QCOMPARE(a.thresholds[0].firstTime, 0.0); // counted from the range's first reading
}

void TstAnalysis::criteriaAtTheirMargins_data()
{
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<bool>("pass");
    // On the soak: longest soak 59 s, overshoot 10 ℃, peak 870.
    QTest::newRow("soak at 59 s") << "minSoak"
                                  << "59s" << true;
    QTest::newRow("soak at 60 s") << "minSoak"
                                  << "1m" << false;
    QTest::newRow("overshoot at 10") << "maxOvershoot"
                                     << "10" << true;
    QTest::newRow("overshoot at 9") << "maxOvershoot"
                                    << "9" << false;
    QTest::newRow("min peak 870") << "minPeak"
                                  << "870" << true;
    QTest::newRow("min peak 871") << "minPeak"
                                  << "871" << false;
    QTest::newRow("max peak 870") << "maxPeak"
                                  << "870" << true;
    QTest::newRow("max peak 869") << "maxPeak"
                                  << "869" << false;
    // On ramps of 2 ℃ a second: 120 ℃/min.
    QTest::newRow("heating at 120") << "maxHeatRate"
                                    << "120" << true;
    QTest::newRow("heating at 119.9") << "maxHeatRate"
                                      << "119.9" << false;
    QTest::newRow("cooling at 120") << "maxCoolRate"
                                    << "120" << true;
    QTest::newRow("cooling at 119.9") << "maxCoolRate"
                                      << "119.9" << false;
}

void TstAnalysis::criteriaAtTheirMargins()
{
    QFETCH(QString, criterion);
    QFETCH(QString, limit);
    QFETCH(bool, pass);
    zq::Recipe r = band(850, 10, 10);
    zq::Record record = timed(kSoak);
    if (criterion == "minSoak")
        r.minSoak = zq::parseSpan(limit);
    else if (criterion == "maxOvershoot")
        r.maxOvershoot = limit.toDouble();
    else if (criterion == "minPeak")
        r.minPeak = limit.toDouble();
    else if (criterion == "maxPeak")
        r.maxPeak = limit.toDouble();
    else if (criterion == "maxHeatRate")
        r.maxHeatRate = zq::parseRate(limit), record = timed(rising(301, 100, 2));
    else
        r.maxCoolRate = zq::parseRate(limit), record = timed(rising(301, 700, -2));
    const zq::Analysis a = zq::analyze(record, r);
    QVERIFY(a.pass);
    QCOMPARE(*a.pass, pass);
    QCOMPARE(a.criteria.size(), 1);
    QCOMPARE(a.criteria[0].key, criterion);
    QCOMPARE(a.criteria[0].margin >= 0, pass);
    QCOMPARE(zq::figureRows(a, record).last().value.startsWith(pass ? "PASS" : "FAIL"), true);
}

void TstAnalysis::recipes_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("refused"); // empty: taken
    QTest::newRow("a whole recipe") << QByteArray(
        R"({"name": "淬火 850℃", "thresholds": [200, 500, 850], "band": {"setpoint": 850, "below": 10,
            "above": 15}, "criteria": {"minSoak": "55m", "maxOvershoot": 15, "maxHeatRate": 12, "maxCoolRate": "2r",
            "minPeak": 840, "maxPeak": 870}, "rateWindow": "90s", "interval": 2, "required": ["operator"]})")
                                    << "";
    QTest::newRow("not JSON") << QByteArray("{name: 1") << "JSON 格式错误";
    QTest::newRow("five thresholds") << QByteArray(R"({"thresholds": [1, 2, 3, 4, 5]})") << "最多 4 个";
    QTest::newRow("negative tolerance") << QByteArray(R"({"band": {"setpoint": 850, "below": -1, "above": 5}})")
                                        << "公差超出范围";
    QTest::newRow("soak without a band") << QByteArray(R"({"criteria": {"minSoak": "5m"}})") << "需要设定温度";
    QTest::newRow("a duration without a unit") << QByteArray(R"({"rateWindow": "60"})") << "rateWindow";
    QTest::newRow("a threshold as text") << QByteArray(R"({"thresholds": ["500"]})") << "thresholds";
}

void TstAnalysis::recipes()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, refused);
    zq::Recipe r;
    r.name = "untouched";
    QString error;
    QCOMPARE(zq::recipeFromJson(json, &r, &error), refused.isEmpty());
    QVERIFY2(error.contains(refused), qPrintable(error));
    if (!refused.isEmpty()) {
        QCOMPARE(r.name, QStringLiteral("untouched")); // never half-loaded
        return;
    }
    QCOMPARE(r.name, QStringLiteral("淬火 850℃"));
    QCOMPARE(r.minSoak->value, 3300.0);
    QVERIFY(r.maxCoolRate->perReading && r.maxCoolRate->value == 2);
    zq::Recipe back;
    QVERIFY(zq::recipeFromJson(zq::recipeToJson(r), &back, &error));
    QCOMPARE(zq::recipeToJson(back), zq::recipeToJson(r));
}

void TstAnalysis::property_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u})
        QTest::addRow("seed %u", seed) << seed;
}

void TstAnalysis::property()
{
    // Random walks around a band, with failed readings and gaps in time.
    QFETCH(quint32, seed);
    QRandomGenerator gen(seed);
    const int n = 50 + int(gen.bounded(2000u));
    QVector<int> values(n), at(n);
    int v = 780 + int(gen.bounded(100u)), t = 0;
    for (int i = 0; i < n; ++i) {
        v = qBound(-50, v + int(gen.bounded(21u)) - 10, 2000);
        values[i] = gen.bounded(50u) == 0 ? zq::kFailedReading : v;
        t += gen.bounded(100u) == 0 ? 30 + int(gen.bounded(600u)) : 5;
        at[i] = t;
    }
    zq::Recipe r = band(830, 10, 15);
    r.thresholds = {700, 830, 900};
    const bool sequence = seed % 2;
    QVector<int16_t> seq(values.begin(), values.end());
    const zq::Record record = sequence ? zq::Record::sequence(seq) : timed(values, at);
    const zq::Analysis a = zq::analyze(record, r);
    QVERIFY(a.problem.isEmpty());
    const zq::BandFigures &b = *a.band;
    QVERIFY(qAbs(b.inBand + b.outside - b.afterEntry) < 1e-6);
    for (double figure : {b.timeToEnter, b.afterEntry, b.longestSoak, b.overshootTime, b.undershootTime})
        QVERIFY(figure >= 0 && figure <= a.elapsed + 1e-9);
    QVERIFY(b.longestSoak <= b.inBand + 1e-9);
    for (const zq::ThresholdFigures &th : a.thresholds)
        QVERIFY(th.longestAbove <= th.totalAbove + 1e-9 && th.totalAbove <= a.elapsed + 1e-9
            && (th.firstAt < 0 || (th.firstAt >= a.first && th.firstAt <= a.last)));
    QVERIFY(a.peak >= a.lowest && a.mean >= a.lowest && a.mean <= a.peak);
    QCOMPARE(a.failed, int(std::count(values.begin(), values.end(), zq::kFailedReading)));
    QVERIFY(!zq::figureRows(a, record).isEmpty());
}

QTEST_GUILESS_MAIN(TstAnalysis)
#include "tst_analysis.moc"
