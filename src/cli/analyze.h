#pragma once
// zqcli analyze's pieces: what a run is held against, and its outputs.
#include "archive/archive.h"
#include "core/analysis.h"
#include "core/reference.h"
#include "core/textexport.h"

#include <QCommandLineOption>
#include <QJsonArray>
#include <QStringList>
#include <memory>

class QCommandLineParser;

namespace cli {
// The recipe, range and reference options zqcli analyze and the process report share.
struct Options
{
    QCommandLineOption recipe{
        QStringLiteral("recipe"), QStringLiteral("A saved recipe, by name or .json file."), QStringLiteral("NAME")};
    QCommandLineOption setpoint{
        QStringLiteral("setpoint"), QStringLiteral("The band's setpoint, ℃."), QStringLiteral("S")};
    QCommandLineOption tol{QStringLiteral("tol"), QStringLiteral("Tolerance either side, ℃."), QStringLiteral("T")};
    QCommandLineOption tolLow{QStringLiteral("tol-low"), QStringLiteral("Tolerance below, ℃."), QStringLiteral("T1")};
    QCommandLineOption tolHigh{QStringLiteral("tol-high"), QStringLiteral("Tolerance above, ℃."), QStringLiteral("T2")};
    QCommandLineOption threshold{
        QStringLiteral("threshold"), QStringLiteral("A temperature to time (up to 4)."), QStringLiteral("V")};
    QCommandLineOption minSoak{
        QStringLiteral("min-soak"), QStringLiteral("Criterion: longest soak in band, DUR."), QStringLiteral("DUR")};
    QCommandLineOption maxOvershoot{
        QStringLiteral("max-overshoot"), QStringLiteral("Criterion: ℃ over the band."), QStringLiteral("D")};
    QCommandLineOption maxHeat{
        QStringLiteral("max-heat-rate"), QStringLiteral("Criterion: ℃/min (2r: per reading)."), QStringLiteral("R")};
    QCommandLineOption maxCool{
        QStringLiteral("max-cool-rate"), QStringLiteral("Criterion: ℃/min (2r: per reading)."), QStringLiteral("R")};
    QCommandLineOption minPeak{
        QStringLiteral("min-peak"), QStringLiteral("Criterion: lowest peak allowed, ℃."), QStringLiteral("V")};
    QCommandLineOption maxPeak{
        QStringLiteral("max-peak"), QStringLiteral("Criterion: highest peak allowed, ℃."), QStringLiteral("V")};
    QCommandLineOption rateWindow{QStringLiteral("rate-window"),
        QStringLiteral("Window of the rates, DUR (60s; 10r for sequence data)."), QStringLiteral("DUR")};
    QCommandLineOption interval{QStringLiteral("interval"),
        QStringLiteral("Sequence data: seconds per reading (figures then say assumed)."), QStringLiteral("SEC")};
    QCommandLineOption group{QStringLiteral("group"), QStringLiteral("The group of readings to use (0)."),
        QStringLiteral("G"), QStringLiteral("0")};
    QCommandLineOption first{
        QStringLiteral("first"), QStringLiteral("First reading of the range (0)."), QStringLiteral("N")};
    QCommandLineOption last{
        QStringLiteral("last"), QStringLiteral("Last reading of the range (the end)."), QStringLiteral("N")};
    QCommandLineOption format{QStringLiteral("format"), QStringLiteral("Output: text (default), csv or json."),
        QStringLiteral("F"), QStringLiteral("text")};
    QCommandLineOption reference{QStringLiteral("reference"),
        QStringLiteral("Compare with another data file's readings (group 0)."), QStringLiteral("FILE.ZQ")};
    QCommandLineOption schedule{QStringLiteral("schedule"), QStringLiteral("Compare with the recipe's schedule.")};
    QCommandLineOption align{QStringLiteral("align"),
        QStringLiteral("Lay the reference at the start, where both first reach V (cross:V), or at reading N (at:N)."),
        QStringLiteral("start|cross:V|at:N"), QStringLiteral("start")};
    QCommandLineOption raw{QStringLiteral("raw"),
        QStringLiteral("Judge the raw readings, not those the run's calibration certificates correct.")};
    QCommandLineOption archive{QStringLiteral("archive"),
        QStringLiteral("The run archive: verdicts kept, fields and notes read."), QStringLiteral("PATH"),
        zq::Archive::defaultPath()};
    // All but the output format, which only zqcli analyze has.
    QList<QCommandLineOption> checkOptions() const
    {
        return {recipe, setpoint, tol, tolLow, tolHigh, threshold, minSoak, maxOvershoot, maxHeat, maxCool, minPeak,
            maxPeak, rateWindow, interval, group, first, last, reference, schedule, align, raw, archive};
    }
    QList<QCommandLineOption> all() const { return checkOptions() << format; }
};

// The recipe the options make: a saved one, with any option given on top.
// Empty with the reason, a usage error in *usage.
bool buildRecipe(const QCommandLineParser &p, const Options &o, zq::Recipe *r, QString *error, bool *usage);
// What the run is held against: a file's readings or the recipe's
// schedule, on its own axis, and whether that axis is time.
struct Against
{
    bool wanted = false;
    zq::Curve curve;
    bool timed = false;
    zq::Alignment alignment;
};

bool loadReference(const QCommandLineParser &p, const Options &o, const zq::Recipe &recipe, Against *into);

struct Output
{
    QVector<QStringList> csv;
    QJsonArray json;
    QString text;
    // Verdicts of whole runs go to the archive, as the window's do; the
    // figures never wait on it, and a failure is told once.
    QString archivePath;
    std::unique_ptr<zq::Archive> archive;
    bool archiveFailed = false;
    bool raw = false; // judge the readings as they are, uncorrected
};

// One file's figures in every form; whether its verdict is FAIL.
bool add(const QString &file, const zq::Record &record, const zq::Recipe &recipe, const Against &against,
    const zq::ReadingRange &range, Output &out);
void print(const QString &format, const Output &out);
} // namespace cli
