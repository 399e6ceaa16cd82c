// Writes the runs and recipes of examples/, the same bytes on every run, so
// the README's commands have files to work on and a test can tell the
// committed ones from what this program would make:
//   zq-examples DIR
#include "core/datafile.h"
#include "core/filewrite.h"
#include "core/recipe.h"

#include <QCoreApplication>
#include <QDir>
#include <cmath>
#include <cstdio>

namespace {
// A small fixed ripple, so the curves look measured but never change.
int ripple(int i, int amplitude)
{
    return (i * 7) % (2 * amplitude + 1) - amplitude;
}

// Time-stamped records from a start and a step, one value a record.
class Stamps
{
public:
    Stamps(int month, int day, int hour)
        : m_month(month)
        , m_day(day)
        , m_seconds(hour * 3600)
    { }
    void add(int value, int stepSec)
    {
        const int s = m_seconds;
        m_records.append({int16_t(value), uint8_t(m_month), uint8_t(m_day), uint8_t(s / 3600), uint8_t(s / 60 % 60),
            uint8_t(s % 60)});
        m_seconds += stepSec;
    }
    void skip(int seconds) { m_seconds += seconds; }
    zq::Record record() const { return zq::Record::timeStamped(m_records); }

private:
    int m_month, m_day, m_seconds;
    QVector<WDREC> m_records;
};

// From 08:00 up at `rate` ℃/min to 850, an hour's hold with a small
// overshoot, down at 5 ℃/min to 200.
zq::Record furnace(int day, double rate)
{
    Stamps run(3, day, 8);
    const int held = int(std::lround(825 / rate * 60)); // 25 → 850
    for (int i = 0, t = 0; t <= held + 3600 + 7800; ++i, t += 10) {
        double v = 0;
        const double d = t - held;
        if (t < held)
            v = 25 + rate * t / 60 + ripple(i, 1);
        else if (d < 3600) // a bump of 5 ℃ four minutes in, as a controller overshoots
            v = 850 + 5 * d / 240 * std::exp(1 - d / 240) + ripple(i, 1);
        else
            v = 850 - 5 * (d - 3600) / 60 + ripple(i, 1);
        run.add(int(std::lround(v)), 10);
    }
    return run.record();
}

// The whole sequence memory: heat to 650, hold, cool, one reading every few seconds.
zq::Record sequence()
{
    QVector<int16_t> readings;
    for (int i = 0; i < zq::kSeqReadings; ++i) {
        const double f = double(i) / (zq::kSeqReadings - 1);
        const double v = f < 0.35 ? 25 + 625 * (1 - std::exp(-f / 0.09))
            : f < 0.6             ? 650
                                  : 25 + 625 * std::exp(-(f - 0.6) / 0.15);
        readings.append(int16_t(std::lround(v) + ripple(i, 2)));
    }
    return zq::Record::sequence(readings);
}

// 03-06 09:00, every 10 s: a failed reading at 60, then ten minutes with no readings after 120.
zq::Record failedAndGap()
{
    Stamps run(3, 6, 9);
    for (int i = 0; i < 180; ++i) {
        if (i == 121)
            run.skip(600);
        run.add(i == 60 ? zq::kFailedReading : 300 + i + ripple(i, 1), 10);
    }
    return run.record();
}

// The README's worked example, one reading a second: 800 for 10 s, 850 for 60 s, 870 for 5 s, 850 for 60 s.
zq::Record soak()
{
    Stamps run(3, 5, 14);
    for (const auto &[value, seconds] : {std::pair{800, 10}, {850, 60}, {870, 5}, {850, 60}})
        for (int s = 0; s < seconds; ++s)
            run.add(value, 1);
    return run.record();
}

zq::Recipe quench()
{
    zq::Recipe r;
    r.name = QStringLiteral("淬火 850℃");
    r.thresholds = {500, 800};
    r.hasBand = true;
    r.setpoint = 850;
    r.below = r.above = 10;
    r.minSoak = zq::Span::ofSeconds(55 * 60);
    r.maxOvershoot = 15;
    r.maxHeatRate = zq::Rate{12, false};
    r.rateWindow = zq::Span::ofSeconds(60);
    return r;
}

zq::Recipe plan()
{
    zq::Recipe r;
    r.name = QStringLiteral("退火 850℃ 计划");
    r.hasBand = true;
    r.setpoint = 850;
    r.below = r.above = 10;
    r.minSoak = zq::Span::ofSeconds(55 * 60);
    r.maxCoolRate = zq::Rate{8, false};
    QString error;
    r.schedule = *zq::parseSchedule(QStringLiteral("25; +10/min→850; 60m; -5/min→200"), &error);
    return r;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: zq-examples DIR   writes the example runs and recipes into DIR\n", stderr);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const std::pair<const char *, QByteArray> files[] = {{"furnace-850.ZQ", zq::dataFileBytes(furnace(5, 10))},
        {"furnace-850-earlier.ZQ", zq::dataFileBytes(furnace(4, 9))}, {"sequence.ZQ", zq::dataFileBytes(sequence())},
        {"failed-and-gap.ZQ", zq::dataFileBytes(failedAndGap())}, {"soak.ZQ", zq::dataFileBytes(soak())},
        {"quench-850.json", zq::recipeToJson(quench())}, {"anneal-plan.json", zq::recipeToJson(plan())}};
    for (const auto &[name, bytes] : files) {
        QString error;
        if (!zq::writeFileWhole(dir.filePath(QString::fromLatin1(name)), bytes, &error)) {
            std::fprintf(stderr, "zq-examples: %s: %s\n", name, qPrintable(error));
            return 1;
        }
    }
    return 0;
}
