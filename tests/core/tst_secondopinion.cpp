// A second opinion on the process check: every band figure and the rates of
// furnace-shaped runs worked out again here, reading by reading, the plain
// way, and compared with the analysis.
#include "core/analysis.h"
#include "support/records.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>

namespace {
struct Shape
{
    QVector<int> values;
    QVector<int> seconds; // from the first reading
};

// From 20 ℃ up at 10 ℃/min, two hours at 850 with a little noise, a spike
// and a dip with its return, ten minutes of no readings, a failed reading,
// then down at 10 ℃/min: one reading every 30 s.
Shape furnace()
{
    Shape s;
    int t = 0;
    auto add = [&](int v) {
        s.values.append(v);
        s.seconds.append(t);
        t += 30;
    };
    for (int v = 20; v < 850; v += 5)
        add(v);
    const int noise[] = {0, 1, 2, 1, 0, -1, -2, -1};
    for (int k = 0; k < 240; ++k)
        add(k == 60 ? 875 : k >= 120 && k < 124 ? 830 : k == 200 ? zq::kFailedReading : 850 + noise[k % 8]);
    t += 600; // the recorder was off
    for (int k = 0; k < 20; ++k)
        add(850 + noise[k % 8]);
    for (int v = 845; v >= 200; v -= 5)
        add(v);
    return s;
}

// A random walk around the band, with failed readings and gaps in time.
Shape walk(quint32 seed)
{
    QRandomGenerator gen(seed);
    Shape s;
    int v = 780 + int(gen.bounded(100u)), t = 0;
    const int n = 50 + int(gen.bounded(2000u));
    for (int i = 0; i < n; ++i) {
        v = qBound(-50, v + int(gen.bounded(21u)) - 10, 2000);
        s.values.append(gen.bounded(50u) == 0 ? zq::kFailedReading : v);
        t += gen.bounded(100u) == 0 ? 30 + int(gen.bounded(600u)) : 5;
        s.seconds.append(t);
    }
    return s;
}

// Stamped from 07-26 23:00:00, so the run crosses midnight.
zq::Record stamped(const Shape &s)
{
    const QDateTime start(QDate(2023, 7, 26), QTime(23, 0), Qt::UTC);
    QVector<WDREC> records;
    for (int i = 0; i < s.values.size(); ++i) {
        const QDateTime at = start.addSecs(s.seconds[i]);
        records.append(WDREC{int16_t(s.values[i]), uint8_t(at.date().month()), uint8_t(at.date().day()),
            uint8_t(at.time().hour()), uint8_t(at.time().minute()), uint8_t(at.time().second())});
    }
    return zq::Record::timeStamped(records);
}

struct Plain
{
    int entered = -1, holdLast = -1, excursions = 0;
    double hold = 0, inBand = 0, longestSoak = 0, overshoot = 0, undershoot = 0, degreeMinutes = 0;
    bool heated = false;
    double maxHeat = 0, maxCool = 0;
};

Plain plainFigures(const QVector<int> &v, const QVector<double> &t, double low, double high, double window, bool timed)
{
    const int n = int(v.size());
    QVector<double> steps;
    for (int i = 0; i + 1 < n; ++i)
        if (t[i + 1] > t[i])
            steps.append(t[i + 1] - t[i]);
    std::sort(steps.begin(), steps.end());
    const double median = steps.isEmpty() ? 0 : steps[steps.size() / 2];
    auto valid = [&](int i) { return v[i] != zq::kFailedReading; };
    auto joined = [&](int i) {
        return valid(i) && valid(i + 1) && t[i + 1] > t[i] && (median <= 0 || t[i + 1] - t[i] <= 3 * median);
    };
    auto in = [&](int i) { return v[i] >= low && v[i] <= high; };
    Plain p;
    for (int i = 0; i < n; ++i)
        if (valid(i) && in(i)) {
            p.holdLast = i;
            if (p.entered < 0)
                p.entered = i;
        }
    bool reached = false;
    for (int i = 0; i < n; ++i) {
        reached = reached || (valid(i) && v[i] >= low);
        if (reached && valid(i))
            p.overshoot = std::max(p.overshoot, v[i] - high);
    }
    double current = 0;
    for (int i = std::max(p.entered, 0); i < p.holdLast; ++i) {
        if (!joined(i)) {
            current = 0;
            continue;
        }
        const double dt = t[i + 1] - t[i];
        p.hold += dt;
        auto outside = [&](int k) { return v[k] > high ? v[k] - high : v[k] < low ? low - v[k] : 0.0; };
        p.degreeMinutes += (outside(i) + outside(i + 1)) / 2 * dt / (timed ? 60 : 1);
        if (in(i) && in(i + 1)) {
            p.inBand += dt;
            current += dt;
            p.longestSoak = std::max(p.longestSoak, current);
        } else {
            current = 0;
        }
    }
    int previous = -1;
    for (int i = std::max(p.entered, 0); p.entered >= 0 && i <= p.holdLast; ++i) {
        if (!valid(i))
            continue;
        p.undershoot = std::max(p.undershoot, low - v[i]);
        if (previous >= 0 && in(previous) && !in(i))
            ++p.excursions;
        previous = i;
    }
    // Least squares over every run of joined readings that spans a whole window.
    for (int k = 0; k < n; ++k) {
        int end = k;
        while (end + 1 < n && joined(end) && t[end + 1] - t[k] <= window)
            ++end;
        if (!valid(k) || end == k || t[end] - t[k] < window - median + 1e-9)
            continue;
        double mt = 0, mv = 0;
        for (int j = k; j <= end; ++j)
            mt += t[j], mv += v[j];
        mt /= end - k + 1, mv /= end - k + 1;
        double num = 0, den = 0;
        for (int j = k; j <= end; ++j)
            num += (t[j] - mt) * (v[j] - mv), den += (t[j] - mt) * (t[j] - mt);
        const double slope = num / den * (timed ? 60 : 1);
        p.maxHeat = std::max(p.maxHeat, slope);
        p.maxCool = std::max(p.maxCool, -slope);
    }
    return p;
}
} // namespace

class TstSecondOpinion : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bandAndRates_data();
    void bandAndRates();
};

void TstSecondOpinion::bandAndRates_data()
{
    QTest::addColumn<zq::Record>("record");
    QTest::addColumn<QVector<double>>("axis");
    QTest::addColumn<double>("interval");
    const Shape f = furnace();
    QVector<double> seconds(f.seconds.begin(), f.seconds.end()), numbers, every30;
    for (int i = 0; i < f.values.size(); ++i)
        numbers.append(i), every30.append(30.0 * i);
    const QVector<int16_t> readings(f.values.begin(), f.values.end());
    QTest::newRow("furnace, time-stamped across midnight") << stamped(f) << seconds << 0.0;
    QTest::newRow("furnace, sequence") << zq::Record::sequence(readings) << numbers << 0.0;
    QTest::newRow("furnace, sequence every 30 s") << zq::Record::sequence(readings) << every30 << 30.0;
    for (quint32 seed : {1u, 2u, 3u, 5u, 8u, 13u}) {
        const Shape w = walk(seed);
        QTest::newRow(qPrintable(QStringLiteral("walk %1").arg(seed)))
            << stamped(w) << QVector<double>(w.seconds.begin(), w.seconds.end()) << 0.0;
    }
}

void TstSecondOpinion::bandAndRates()
{
    QFETCH(zq::Record, record);
    QFETCH(QVector<double>, axis);
    QFETCH(double, interval);
    zq::Recipe r;
    r.hasBand = true;
    r.setpoint = 850;
    r.below = r.above = 5;
    r.intervalSec = interval;
    const bool timed = record.isTimeStamped() || interval > 0;
    const double window = timed ? 60 : 10;
    QVector<int> values;
    for (int i = 0; i < record.count(0); ++i)
        values.append(record.reading(i, 0));
    const Plain p = plainFigures(values, axis, 845, 855, window, timed);
    if (QByteArray(QTest::currentDataTag()).startsWith("furnace")) {
        // By hand: the spike 875 over 855, the dip 830 under 845, each one excursion.
        QCOMPARE(p.overshoot, 20.0);
        QCOMPARE(p.undershoot, 15.0);
        QCOMPARE(p.excursions, 2);
    }
    const zq::Analysis a = zq::analyze(record, r);
    QVERIFY2(a.problem.isEmpty(), qPrintable(a.problem));
    const zq::BandFigures &b = *a.band;
    QCOMPARE(b.holdFirst, p.entered);
    QCOMPARE(b.holdLast, p.holdLast);
    QVERIFY(qAbs(b.hold - p.hold) < 1e-6);
    QVERIFY(qAbs(b.inBand - p.inBand) < 1e-6);
    QVERIFY(qAbs(b.outside - (p.hold - p.inBand)) < 1e-6);
    QVERIFY(qAbs(b.longestSoak - p.longestSoak) < 1e-6);
    QCOMPARE(b.overshoot, p.overshoot);
    QCOMPARE(b.undershoot, p.undershoot);
    QCOMPARE(b.excursions, p.excursions);
    QVERIFY(qAbs(b.degreeMinutes - p.degreeMinutes) < 1e-6);
    QVERIFY2(qAbs(a.maxHeat.rate - p.maxHeat) < 1e-6,
        qPrintable(QStringLiteral("%1 against %2").arg(a.maxHeat.rate).arg(p.maxHeat)));
    QVERIFY(qAbs(a.maxCool.rate - p.maxCool) < 1e-6);
}

QTEST_GUILESS_MAIN(TstSecondOpinion)
#include "tst_secondopinion.moc"
