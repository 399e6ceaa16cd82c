// The process check's figures on records made by hand, each figure worked
// out here from the readings, not by the code under test.
#include "core/analysis.h"
#include "core/analysisformat.h"
#include "support/runs.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QtTest>

namespace {
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
    void bandOfFurnaceRuns_data();
    void bandOfFurnaceRuns();
    void soaksAreExact_data();
    void soaksAreExact();
    void unjudgedCriteriaSayWhy_data();
    void unjudgedCriteriaSayWhy();
    void nonFiniteValuesAreRefused_data();
    void nonFiniteValuesAreRefused();
    void rangesAgainstTheRecord_data();
    void rangesAgainstTheRecord();
    void clockSetBackInsideARange_data();
    void clockSetBackInsideARange();
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
    // The hold ends at the last reading in the band; the cooling to 800 after it is no undershoot.
    QCOMPARE(b.holdFirst, 10);
    QCOMPARE(b.holdLast, 134);
    QCOMPARE(b.hold, 124.0);
    QCOMPARE(b.inBand, 118.0); // 59 + 59
    QCOMPARE(b.outside, 6.0); // 69 → 75
    QCOMPARE(b.longestSoak, 59.0);
    QCOMPARE(b.overshoot, 10.0); // 870 over 860
    QCOMPARE(b.overshootAt, 70);
    QCOMPARE(b.overshootTime, 4.0);
    QCOMPARE(b.undershoot, 0.0);
    QCOMPARE(b.undershootAt, -1);
    QCOMPARE(b.undershootTime, 0.0);
    QCOMPARE(b.excursions, 1);
    // Trapezoids of the distance outside: 5 + 4·10 + 5 = 50 ℃·s.
    QVERIFY(qAbs(b.degreeMinutes - 50.0 / 60) < 1e-9);
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
    QTest::newRow("across 29 Feb") << QVector<WDREC>{s(2, 28, 23, 59, 0), s(2, 29, 12, 0, 0), s(3, 1, 0, 1, 0)}
                                   << 86520.0 << -1; // a leap day belongs to February
    QTest::newRow("a backward stamp") << QVector<WDREC>{s(7, 26, 10, 0, 5), s(7, 26, 10, 0, 9), s(7, 26, 10, 0, 0)}
                                      << 4.0 << 2; // the 9 s lost to the clock are not counted
    QTest::newRow("June to January is no year end") << QVector<WDREC>{s(6, 30, 0, 0, 0), s(1, 1, 0, 0, 0)} << 0.0 << 1;
    QTest::newRow("April before March") << QVector<WDREC>{s(4, 1, 0, 0, 0), s(3, 1, 0, 0, 0)} << 0.0 << 1;
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
    // On the soak: longest soak 59 s, overshoot 10 ℃, peak 870. On ramps of 2 ℃ a second: 120 ℃/min.
    for (const auto &[criterion, met, missed] :
        {std::tuple{"minSoak", "59s", "1m"}, {"maxOvershoot", "10", "9"}, {"minPeak", "870", "871"},
            {"maxPeak", "870", "869"}, {"maxHeatRate", "120", "119.9"}, {"maxCoolRate", "120", "119.9"}}) {
        QTest::newRow(qPrintable(QString("%1 %2").arg(criterion, met))) << QString(criterion) << QString(met) << true;
        QTest::newRow(qPrintable(QString("%1 %2").arg(criterion, missed)))
            << QString(criterion) << QString(missed) << false;
    }
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
    QTest::newRow("four thresholds") << QByteArray(R"({"thresholds": [1, 2, 3, 4]})") << "";
    // Written back as read: a rate of many digits, and one too large to be one.
    QTest::newRow("a rate to the last digit") << QByteArray(R"({"criteria": {"maxHeatRate": 12.123456789,
        "maxCoolRate": "0.000000001r"}})") << "";
    QTest::newRow("a rate past any furnace")
        << QByteArray(R"({"criteria": {"maxHeatRate": 1266666666666666666}})") << "速率超出范围";
    // Of the wrong shape: refused whole, naming the key, never half-used.
    QTest::newRow("criteria as a list") << QByteArray(R"({"band": {"setpoint": 850, "below": 10, "above": 10},
        "criteria": [{"maxOvershoot": 5}]})")
                                        << "“criteria” 应为对象";
    QTest::newRow("band as a list") << QByteArray(R"({"band": [850, 10, 10]})") << "“band” 应为对象";
    QTest::newRow("thresholds as a number") << QByteArray(R"({"thresholds": 900})") << "“thresholds” 应为数字列表";
    QTest::newRow("required as a string") << QByteArray(R"({"required": "operator"})") << "“required” 应为字段名";
    QTest::newRow("a required field misspelt") << QByteArray(R"({"required": ["operater"]})") << "operater";
    QTest::newRow("a criterion misspelt") << QByteArray(R"({"band": {"setpoint": 850, "below": 10, "above": 10},
        "criteria": {"minSoke": "5m"}})") << "“criteria.minSoke” 不是配方的键";
    QTest::newRow("a key misspelt") << QByteArray(R"({"bands": {"setpoint": 850, "below": 10, "above": 10}})")
                                    << "“bands” 不是配方的键";
    QTest::newRow("a band without its top")
        << QByteArray(R"({"band": {"setpoint": 850, "below": 10}})") << "“band.above” 缺少";
    QTest::newRow("a limit as text") << QByteArray(R"({"band": {"setpoint": 850, "below": 10, "above": 10},
        "criteria": {"maxOvershoot": "5"}})")
                                     << "“criteria.maxOvershoot” 应为数字";
    QTest::newRow("a schedule as a number") << QByteArray(R"({"schedule": 20})") << "“schedule” 应为文字";
    QTest::newRow("a newer version") << QByteArray(R"({"version": 2})") << "“version” 应为 1";
    QTest::newRow("a soak finer than a millisecond") << QByteArray(R"({"band": {"setpoint": 850, "below": 10,
        "above": 10}, "criteria": {"minSoak": "0.0001s"}})")
                                                     << "criteria.minSoak";
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
    if (r.name == QStringLiteral("淬火 850℃")) {
        QCOMPARE(r.minSoak->amount, Q_INT64_C(3300000));
        QVERIFY(r.maxCoolRate->perReading && r.maxCoolRate->value == 2);
    }
    zq::Recipe back;
    QVERIFY2(zq::recipeFromJson(zq::recipeToJson(r), &back, &error), qPrintable(error));
    QCOMPARE(zq::recipeToJson(back), zq::recipeToJson(r));
    for (const auto &[was, is] :
        {std::pair{r.maxHeatRate, back.maxHeatRate}, std::pair{r.maxCoolRate, back.maxCoolRate}})
        QCOMPARE(is ? is->value : -1, was ? was->value : -1); // not a digit lost
}

void TstAnalysis::bandOfFurnaceRuns_data()
{
    QTest::addColumn<QVector<int>>("values"); // a reading a minute
    QTest::addColumn<int>("enteredAt");
    QTest::addColumn<int>("holdLast");
    QTest::addColumn<double>("overshoot");
    QTest::addColumn<double>("undershoot");
    QTest::addColumn<int>("excursions");
    QTest::addColumn<double>("outsideSec");
    QTest::addColumn<bool>("overshootJudged");
    // Band 840 … 860.
    QTest::newRow("never enters: 900 for an hour")
        << QVector<int>(61, 900) << -1 << -1 << 40.0 << 0.0 << 0 << 0.0 << false;
    QTest::newRow("jumps the band, then settles") << (QVector<int>{830, 880, 876, 870, 862} + QVector<int>(30, 850))
                                                  << 5 << 34 << 20.0 << 0.0 << 0 << 0.0 << true;
    QTest::newRow("the lower edge is in the band")
        << QVector<int>{800, 840, 850, 850} << 1 << 3 << 0.0 << 0.0 << 0 << 0.0 << true;
    // 450 + 20 ℃/min to 850, an hour at 849 … 851, then 10 ℃/min down to 200.
    QVector<int> cooled = rising(21, 450, 20);
    for (int i = 0; i < 60; ++i)
        cooled.append(849 + i % 3);
    cooled += rising(65, 835, -10);
    QTest::newRow("cooling after the hold is no undershoot") << cooled << 20 << 80 << 0.0 << 0.0 << 0 << 0.0 << true;
    // Out to 835 for two minutes and back: an excursion inside the hold.
    QTest::newRow("an excursion and return")
        << (QVector<int>{800} + QVector<int>(10, 850) + QVector<int>{835, 835} + QVector<int>(10, 850)
               + QVector<int>{700})
        << 1 << 22 << 0.0 << 5.0 << 1 << 180.0 << true; // 10→11, 11→12, 12→13 are outside: 3 minutes
}

void TstAnalysis::bandOfFurnaceRuns()
{
    QFETCH(QVector<int>, values);
    QFETCH(int, enteredAt);
    QFETCH(int, holdLast);
    QFETCH(double, overshoot);
    QFETCH(double, undershoot);
    QFETCH(int, excursions);
    QFETCH(double, outsideSec);
    QFETCH(bool, overshootJudged);
    zq::Recipe r = band(850, 10, 10);
    r.maxOvershoot = 5;
    const zq::Record record = everyMinute(values);
    const zq::Analysis a = zq::analyze(record, r);
    const zq::BandFigures &b = *a.band;
    QCOMPARE(b.enteredAt, enteredAt);
    QCOMPARE(b.holdFirst, enteredAt);
    QCOMPARE(b.holdLast, holdLast);
    QCOMPARE(b.overshoot, overshoot);
    QCOMPARE(b.undershoot, undershoot);
    QCOMPARE(b.excursions, excursions);
    QCOMPARE(b.outside, outsideSec);
    QCOMPARE(a.criteria[0].judged, overshootJudged);
    QCOMPARE(*a.pass, overshootJudged && overshoot <= 5);
    const QJsonObject hold = zq::analysisJson(a, r, "f").value("band").toObject().value("hold").toObject();
    QCOMPARE(hold.value("first").toInt(-1), enteredAt);
    QCOMPARE(hold.value("last").toInt(-1), holdLast);
    if (!overshootJudged)
        QVERIFY(zq::verdictText(a).contains(QStringLiteral("最大超调（未判定）")));
}

void TstAnalysis::soaksAreExact_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("limit");
    for (const auto &[minutes, hours] : {std::pair{66, "1.1h"}, std::pair{132, "2.2h"}, std::pair{264, "4.4h"},
             std::pair{498, "8.3h"}, std::pair{528, "8.8h"}})
        QTest::newRow(hours) << minutes << QString::fromLatin1(hours);
}

void TstAnalysis::soaksAreExact()
{
    QFETCH(int, minutes);
    QFETCH(QString, limit);
    // A soak of exactly so many minutes meets its length in hours, with nothing to spare.
    const zq::Record record = everyMinute(QVector<int>{800} + QVector<int>(minutes + 1, 850) + QVector<int>{800});
    zq::Recipe r = band(850, 10, 10);
    r.minSoak = zq::parseSpan(limit);
    const zq::Analysis a = zq::analyze(record, r);
    QCOMPARE(a.band->longestSoak, minutes * 60.0);
    QVERIFY(*a.pass);
    QCOMPARE(a.criteria[0].margin, 0.0);
    // Shown as the recipe has it, and a length without its text in its own largest whole unit.
    QCOMPARE(r.minSoak->text(), limit);
    QCOMPARE(zq::Span::ofSeconds(minutes * 60).text(), QString::number(minutes) + "m");
    QString error;
    QVERIFY(zq::recipeFromJson(zq::recipeToJson(r), &r, &error));
    QCOMPARE(r.minSoak->text(), limit);
}

void TstAnalysis::unjudgedCriteriaSayWhy_data()
{
    QTest::addColumn<zq::Record>("record");
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QString>("shown"); // in the figure row
    const zq::Record sequence = zq::Record::sequence(QVector<int16_t>(200, 850));
    QTest::newRow("a soak in seconds on sequence data") << sequence << "minSoak"
                                                        << "59s"
                                                        << "限值 59s";
    QTest::newRow("a rate per minute on sequence data") << sequence << "maxHeatRate"
                                                        << "5"
                                                        << "需要采样间隔";
    // Five readings hold no window of ten.
    QTest::newRow("a rate with no window to measure it")
        << zq::Record::sequence(QVector<int16_t>{800, 810, 820, 830, 840}) << "maxHeatRate"
        << "2r"
        << "数据不足一个速率窗口";
}

void TstAnalysis::unjudgedCriteriaSayWhy()
{
    QFETCH(zq::Record, record);
    QFETCH(QString, criterion);
    QFETCH(QString, limit);
    QFETCH(QString, shown);
    zq::Recipe r = band(850, 10, 10);
    if (criterion == "minSoak")
        r.minSoak = zq::parseSpan(limit);
    else
        r.maxHeatRate = zq::parseRate(limit);
    const zq::Analysis a = zq::analyze(record, r);
    QVERIFY(a.pass && !*a.pass);
    QVERIFY(!a.criteria[0].judged && !a.criteria[0].pass);
    const zq::FigureRow row = zq::figureRows(a, record).at(zq::figureRows(a, record).size() - 2);
    QVERIFY2((row.label + row.unit).contains(shown), qPrintable(row.label + row.unit));
    QVERIFY(row.label.contains(QStringLiteral("未判定")));
}

void TstAnalysis::nonFiniteValuesAreRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    for (const char *field : {"setpoint", "below", "threshold", "maxOvershoot", "maxPeak", "interval"}) {
        QTest::newRow(qPrintable(QString("%1 nan").arg(field))) << QString(field) << qQNaN();
        QTest::newRow(qPrintable(QString("%1 inf").arg(field))) << QString(field) << qInf();
    }
}

void TstAnalysis::nonFiniteValuesAreRefused()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    zq::Recipe r = band(850, 10, 10);
    r.maxOvershoot = 5;
    if (field == "setpoint")
        r.setpoint = value;
    else if (field == "below")
        r.below = value;
    else if (field == "threshold")
        r.thresholds = {value};
    else if (field == "maxOvershoot")
        r.maxOvershoot = value;
    else if (field == "maxPeak")
        r.maxPeak = value;
    else
        r.intervalSec = value;
    QVERIFY(!r.problem().isEmpty());
    const zq::Analysis a = zq::analyze(timed(kSoak), r);
    QVERIFY(!a.pass);
    QVERIFY(!a.problem.isEmpty());
}

void TstAnalysis::rangesAgainstTheRecord_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("outside");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<int>("fittedLast");
    // A record of 407 readings, 0 … 406.
    QTest::newRow("wholly past the end") << 5000 << 6000 << true << false << -1;
    QTest::newRow("starting at the end") << 407 << -1 << true << false << -1;
    QTest::newRow("partly past the end") << 400 << 500 << false << true << 406;
    QTest::newRow("to the last reading") << 400 << 406 << false << false << 406;
    QTest::newRow("one reading") << 17 << 17 << false << false << 17;
    QTest::newRow("to the end") << 0 << -1 << false << false << 406;
}

void TstAnalysis::rangesAgainstTheRecord()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, outside);
    QFETCH(bool, cut);
    QFETCH(int, fittedLast);
    zq::Recipe r;
    r.minPeak = 0;
    const zq::Analysis a = zq::analyze(timed(rising(407, 100, 1)), r, 0, first, last);
    QCOMPARE(!a.problem.isEmpty(), outside);
    QCOMPARE(a.pass.has_value(), !outside); // no verdict on nothing
    if (outside) {
        QVERIFY2(a.problem.contains("407"), qPrintable(a.problem));
        return;
    }
    QCOMPARE(a.rangeCut, cut);
    QCOMPARE(a.first, first);
    QCOMPARE(a.last, fittedLast);
    QCOMPARE(a.readings, fittedLast - first + 1);
    QCOMPARE(a.peak, 100 + fittedLast);
}

void TstAnalysis::clockSetBackInsideARange_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<QVector<int>>("told");
    QTest::addColumn<double>("elapsed");
    // A reading a minute; the clock set back ten minutes at readings 10 and 20.
    QTest::newRow("the whole run") << 0 << QVector<int>{10, 20} << 27 * 60.0;
    QTest::newRow("a range after the first") << 15 << QVector<int>{20} << 13 * 60.0;
    QTest::newRow("a range starting where it was set back") << 20 << QVector<int>{} << 9 * 60.0;
}

void TstAnalysis::clockSetBackInsideARange()
{
    QFETCH(int, first);
    QFETCH(QVector<int>, told);
    QFETCH(double, elapsed);
    QVector<int> at(30);
    for (int i = 0; i < 30; ++i)
        at[i] = 60 * (i - 10 * (i / 10));
    const zq::Record record = timed(QVector<int>(30, 500), at);
    const zq::Analysis a = zq::analyze(record, zq::Recipe(), 0, first, 29);
    QCOMPARE(a.orderBroken, told);
    QCOMPARE(a.elapsed, elapsed);
    const QVector<zq::FigureRow> rows = zq::figureRows(a, record);
    QCOMPARE(int(std::count_if(rows.begin(), rows.end(),
                 [](const zq::FigureRow &r) { return r.label == QStringLiteral("时间顺序错乱"); })),
        int(told.size()));
}

QTEST_GUILESS_MAIN(TstAnalysis)
#include "tst_analysis.moc"
