// A stretch of a run measured, a planned schedule, and a run laid against a
// reference; every figure worked out here by hand.
#include "core/analysis.h"
#include "core/reference.h"
#include "core/textexport.h"
#include "support/runs.h"

#include <QtTest>

namespace {
zq::Curve curve(const QString &schedule)
{
    QString error;
    const auto s = zq::parseSchedule(schedule, &error);
    return s ? zq::scheduleCurve(*s) : zq::Curve{};
}

// 100 … 200 ℃, one reading a minute.
zq::Record tenMinutes()
{
    QVector<int> v, t;
    for (int i = 0; i <= 10; ++i)
        v.append(100 + 10 * i), t.append(60 * i);
    return timed(v, t);
}

// The lines of an export, from `from` to `to` (inclusive), with their ends.
QByteArray lines(const QByteArray &text, int from, int to)
{
    QList<QByteArray> all = text.split('\n');
    QByteArray out;
    for (int i = from; i <= to; ++i)
        out += all[i] + '\n';
    return out;
}
} // namespace

class TstReference : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void range_data();
    void range();
    void scheduleStepEnds();
    void schedulesRefused_data();
    void schedulesRefused();
    void crossingBetweenReadings();
    void referenceShorterAndLonger_data();
    void referenceShorterAndLonger();
    void bandFollowsTheSchedule();
    void aGapInTheReferenceIsNotBridged();
    void rangeExportIsTheWholeExportsLines_data();
    void rangeExportIsTheWholeExportsLines();
};

void TstReference::range_data()
{
    QTest::addColumn<zq::Record>("record");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<double>("interval");
    QTest::addColumn<double>("span");
    QTest::addColumn<double>("delta");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("valid");
    // t 0, 30, 90, 120 s; v 100, 110, 130, 140: mean (60, 120), Σdt·dv 3000,
    // Σdt² 9000: 1/3 ℃/s, 20 ℃/min.
    QTest::newRow("stamped, a failed reading inside")
        << timed({100, 110, zq::kFailedReading, 130, 140}, {0, 30, 60, 90, 120}) << 0 << 4 << 0.0 << 120.0 << 40.0
        << 20.0 << 4;
    // The last reading failed: ΔT runs to the last valid one (130), Δt to the end.
    QTest::newRow("stamped, the last failed") << timed({100, 110, 120, 130, zq::kFailedReading}, {0, 30, 60, 90, 120})
                                              << 1 << 4 << 0.0 << 90.0 << 20.0 << 20.0 << 3;
    // x 0, 1, 2; v 510, 530, 520: Σdx·dv 10, Σdx² 2: 5 ℃ per reading.
    QTest::newRow("sequence") << sequenceData({500, 510, 530, 520}) << 1 << 3 << 0.0 << 2.0 << 10.0 << 5.0 << 3;
    // The same at 10 s a reading: 0.5 ℃/s, 30 ℃/min.
    QTest::newRow("sequence at 10 s") << sequenceData({500, 510, 530, 520}) << 1 << 3 << 10.0 << 20.0 << 10.0 << 30.0
                                      << 3;
}

void TstReference::range()
{
    QFETCH(zq::Record, record);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(double, interval);
    const zq::RangeFigures f = zq::measureRange(record, 0, first, last, interval);
    QTEST(f.span, "span");
    QTEST(f.delta, "delta");
    QFETCH(double, rate);
    QVERIFY(f.rateMeasured);
    QVERIFY2(qAbs(f.rate - rate) < 1e-9, qPrintable(QString::number(f.rate)));
    QTEST(f.valid, "valid");
}

void TstReference::scheduleStepEnds()
{
    QString error;
    const auto s = zq::parseSchedule(QStringLiteral("20; +10/min→850; 60m; -5/min -> 200"), &error);
    QVERIFY2(s, qPrintable(error));
    const zq::Curve c = zq::scheduleCurve(*s);
    // 830 ℃ at 10 ℃/min: 83 min; a 60 min hold; 650 ℃ at 5 ℃/min: 130 min.
    QCOMPARE(c.x, (QVector<double>{0, 4980, 8580, 16380}));
    QCOMPARE(c.y, (QVector<double>{20, 850, 850, 200}));
    QCOMPARE(*c.at(2490), 435.0);
    QCOMPARE(*c.at(8580 + 3900), 525.0);
    QVERIFY(!c.at(16381));
    QCOMPARE(s->text(), QStringLiteral("20; +10/min→850; 1h; -5/min→200"));
}

void TstReference::schedulesRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("no start") << QStringLiteral("+10/min→850");
    QTest::newRow("away from its target") << QStringLiteral("20; -10/min→850");
    QTest::newRow("rate zero") << QStringLiteral("20; 0/min→850");
    QTest::newRow("readings as a hold") << QStringLiteral("20; 300r");
    QTest::newRow("words") << QStringLiteral("20; hold a while");
}

void TstReference::schedulesRefused()
{
    QFETCH(QString, text);
    QString error;
    QVERIFY(!zq::parseSchedule(text, &error));
    QVERIFY(!error.isEmpty());
}

void TstReference::crossingBetweenReadings()
{
    // 800 ℃ is crossed half-way from 60 s (780) to 120 s (820): at 90 s; the
    // reference crosses it half-way from 0 (790) to 10 s (810): at 5 s.
    const zq::Curve run = zq::runCurve(timed({700, 780, 820, 900}, {0, 60, 120, 180}), 0, 0);
    const zq::Curve reference = zq::runCurve(timed({790, 810}, {0, 10}), 0, 0);
    const zq::Placed p = zq::placeReference(run, reference, {zq::Alignment::Cross, 800});
    QVERIFY(p.problem.isEmpty());
    QCOMPARE(p.shift, 85.0);
    QVERIFY(p.interpolated);
    QCOMPARE(p.curve.x, (QVector<double>{85, 95}));
    // Not reached: said, not guessed.
    QVERIFY(!zq::placeReference(run, reference, {zq::Alignment::Cross, 950}).problem.isEmpty());
    // At a reading: the reference starts at reading 2's time.
    QCOMPARE(zq::placeReference(run, reference, {zq::Alignment::At, 2}).shift, 120.0);
}

void TstReference::referenceShorterAndLonger_data()
{
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<int>("compared");
    QTest::addColumn<double>("largest");
    QTest::addColumn<int>("largestAt");
    QTest::addColumn<double>("aboveTime");
    // Planned 100 → 150 in 5 min: readings 0…5 lie on it exactly.
    QTest::newRow("shorter") << QStringLiteral("100; +10/min→150") << 6 << 0.0 << 0 << 0.0;
    // Planned 5 ℃/min against the run's 10: 5 ℃ more each minute, 50 at
    // reading 10; more than 20 over from reading 5 (25) on: 5 minutes.
    QTest::newRow("longer") << QStringLiteral("100; +5/min→400") << 11 << 50.0 << 10 << 300.0;
}

void TstReference::referenceShorterAndLonger()
{
    QFETCH(QString, schedule);
    const zq::Curve run = zq::runCurve(tenMinutes(), 0, 0);
    const zq::Placed p = zq::placeReference(run, curve(schedule), {});
    const zq::Difference d = zq::compareRun(run, p.curve, 0, -1, 20, 20);
    QTEST(d.compared, "compared");
    QTEST(d.largest, "largest");
    QTEST(d.largestAt, "largestAt");
    QTEST(d.aboveTime, "aboveTime");
    QCOMPARE(d.belowTime, 0.0);
}

void TstReference::aGapInTheReferenceIsNotBridged()
{
    // The run reads every minute for 25 minutes; the reference has minutes
    // 0…5 and 20…25 only. Between them it says nothing, so the run's
    // minutes 6…19 are not compared: 12 readings are.
    QVector<int> v, t, rv, rt;
    for (int i = 0; i <= 25; ++i) {
        v.append(500), t.append(60 * i);
        if (i <= 5 || i >= 20)
            rv.append(500 + (i >= 20 ? 100 : 0)), rt.append(60 * i);
    }
    const zq::Curve run = zq::runCurve(timed(v, t), 0, 0);
    const zq::Placed p = zq::placeReference(run, zq::runCurve(timed(rv, rt), 0, 0), {});
    const zq::Difference d = zq::compareRun(run, p.curve, 0, -1, 20, 20);
    QCOMPARE(d.compared, 12);
    QCOMPARE(d.largest, -100.0); // 500 against the reference's 600 after the gap
    QCOMPARE(d.belowTime, 300.0); // minutes 20…25
}

void TstReference::bandFollowsTheSchedule()
{
    // Planned 100, 110, … 150 a minute apart; the run is 20 over at minute 3.
    zq::Recipe r;
    r.hasBand = true;
    r.below = r.above = 5;
    r.bandFollowsSchedule = true;
    QString error;
    r.schedule = *zq::parseSchedule(QStringLiteral("100; +10/min→150"), &error);
    const zq::Analysis a = zq::analyze(timed({100, 110, 120, 150, 140, 150}, {0, 60, 120, 180, 240, 300}), r, 0, 0, -1);
    QVERIFY2(a.problem.isEmpty(), qPrintable(a.problem));
    QCOMPARE(a.band->overshoot, 15.0);
    QCOMPARE(a.band->overshootAt, 3);
    QCOMPARE(a.band->inBand, 180.0); // 0–1–2 and 4–5
    QCOMPARE(a.band->longestSoak, 120.0);
    QCOMPARE(a.band->excursions, 1);
    QCOMPARE(a.peak, 150); // the readings themselves
}

void TstReference::rangeExportIsTheWholeExportsLines_data()
{
    QTest::addColumn<zq::Record>("record");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<int>("header"); // lines before the first reading
    QTest::newRow("sequence text") << sequenceData(30, 650) << false << 0;
    QTest::newRow("sequence csv") << sequenceData(30, 650) << true << 1;
    QTest::newRow("stamped text") << timeData(30) << false << 1;
    QTest::newRow("stamped csv") << timeData(30) << true << 1;
}

void TstReference::rangeExportIsTheWholeExportsLines()
{
    QFETCH(zq::Record, record);
    QFETCH(bool, csv);
    QFETCH(int, header);
    const zq::ReadingRange range{0, 10, 19};
    const QByteArray whole = csv ? zq::exportCsv(record) : zq::exportText(record);
    const QByteArray part = csv ? zq::exportCsv(record, range) : zq::exportText(record, range);
    QCOMPARE(part, lines(whole, 0, header - 1) + lines(whole, header + 10, header + 19));
}

QTEST_GUILESS_MAIN(TstReference)
#include "tst_reference.moc"
