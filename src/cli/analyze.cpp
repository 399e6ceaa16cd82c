// zqcli analyze: the process check of data files against a recipe, as the
// analysis window shows it.
#include "cli/analyze.h"
#include "archive/archive.h"
#include "cli/cli.h"
#include "core/analysisformat.h"
#include "core/datafile.h"
#include "core/recipestore.h"
#include "core/textexport.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>
#include <memory>

namespace cli {

// The recipe the options make: a saved one, with any option given on top.
// Empty with the reason, a usage error in *usage.
bool buildRecipe(const QCommandLineParser &p, const Options &o, zq::Recipe *r, QString *error, bool *usage)
{
    *usage = true;
    if (p.isSet(o.recipe) && !zq::RecipeStore().load(p.value(o.recipe), r, error)) {
        *usage = false;
        return false;
    }
    bool ok = true;
    auto number = [&](const QCommandLineOption &opt) {
        bool fine = false;
        const double v = p.value(opt).toDouble(&fine);
        ok = ok && fine;
        return v;
    };
    if (p.isSet(o.setpoint)) {
        r->hasBand = true;
        r->setpoint = number(o.setpoint);
        r->below = r->above = p.isSet(o.tol) ? number(o.tol) : 0;
    }
    if (p.isSet(o.tolLow))
        r->below = number(o.tolLow);
    if (p.isSet(o.tolHigh))
        r->above = number(o.tolHigh);
    if (p.isSet(o.threshold)) {
        r->thresholds.clear();
        for (const QString &v : p.values(o.threshold)) {
            bool fine = false;
            r->thresholds.append(v.toDouble(&fine));
            ok = ok && fine;
        }
    }
    auto span = [&](const QCommandLineOption &opt, std::optional<zq::Span> &into) {
        if (p.isSet(opt) && !(into = zq::parseSpan(p.value(opt))))
            ok = false;
    };
    auto rate = [&](const QCommandLineOption &opt, std::optional<zq::Rate> &into) {
        if (p.isSet(opt) && !(into = zq::parseRate(p.value(opt))))
            ok = false;
    };
    span(o.minSoak, r->minSoak);
    span(o.rateWindow, r->rateWindow);
    rate(o.maxHeat, r->maxHeatRate);
    rate(o.maxCool, r->maxCoolRate);
    for (const auto &[opt, into] : {std::pair{&o.maxOvershoot, &r->maxOvershoot}, std::pair{&o.minPeak, &r->minPeak},
             std::pair{&o.maxPeak, &r->maxPeak}})
        if (p.isSet(*opt))
            *into = number(*opt);
    if (p.isSet(o.interval))
        r->intervalSec = number(o.interval);
    *error = ok ? r->problem() : QStringLiteral("a value is not of its form (see --help)");
    return error->isEmpty();
}

bool loadReference(const QCommandLineParser &p, const Options &o, const zq::Recipe &recipe, Against *into)
{
    into->wanted = p.isSet(o.reference) || p.isSet(o.schedule);
    into->alignment = zq::parseAlignment(p.value(o.align)).value_or(zq::Alignment{});
    if (p.isSet(o.schedule)) {
        if (recipe.schedule.isEmpty()) {
            fail(QStringLiteral("the recipe has no schedule"));
            return false;
        }
        into->curve = zq::scheduleCurve(recipe.schedule);
        into->timed = true;
    } else if (p.isSet(o.reference)) {
        const zq::DataFileRead read = zq::readDataFile(p.value(o.reference));
        if (!read.ok || read.noReadings()) {
            fail(QStringLiteral("%1: %2").arg(
                p.value(o.reference), read.ok ? read.warning().section(QLatin1Char('\n'), 0, 0) : read.error));
            return false;
        }
        into->curve = zq::runCurve(read.record, 0, recipe.intervalSec);
        into->timed = read.record.isTimeStamped() || recipe.intervalSec > 0;
    }
    return true;
}

namespace {
struct Run
{
    QString file;
    zq::Record record;
    zq::ReadingRange range;
};

// Every file read and its range fitted before any figure is printed: a
// range outside one record is a usage error, not a figure of nothing. The
// check cuts the range itself, and its figures say so. Returns how many
// ranges fell outside their record.
int readRuns(const QStringList &files, const zq::ReadingRange &range, QVector<Run> *runs, int *unread)
{
    int outside = 0;
    for (const QString &file : files) {
        const zq::DataFileRead read = zq::readDataFile(file);
        if (!read.ok || read.noReadings()) {
            fail(QStringLiteral("%1: %2").arg(
                file, read.ok ? read.warning().section(QLatin1Char('\n'), 0, 0) : read.error));
            ++*unread;
            continue;
        }
        zq::ReadingRange fitted = range;
        if (!fitRange(file, read.record, &fitted, "analyze")) {
            ++outside;
            continue;
        }
        runs->append({file, read.record, range});
    }
    return outside;
}
} // namespace

int analyze(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The process check of each data file: figures, and a verdict against the criteria given.\n"
        "DUR is 90s, 55m, 1.5h, or 300r (readings, for sequence data without --interval).\n"
        "Exit codes: 0 done, every verdict PASS or no criteria; 3 done, a verdict FAIL; 1 a file could not be read; "
        "2 bad usage."));
    const Options o;
    parser.addOptions(o.all());
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Data files."), QStringLiteral("FILE.ZQ..."));
    if (const int rc = parse(parser, QStringLiteral("analyze"), arguments); rc >= 0)
        return rc;
    const QString format = parser.value(o.format);
    zq::Recipe recipe;
    QString error;
    bool usage = false;
    bool okGroup = false, okFirst = true, okLast = true;
    const int group = parser.value(o.group).toInt(&okGroup);
    const int first = parser.isSet(o.first) ? parser.value(o.first).toInt(&okFirst) : 0;
    const int last = parser.isSet(o.last) ? parser.value(o.last).toInt(&okLast) : -1;
    if (parser.positionalArguments().isEmpty() || !QStringList{"text", "csv", "json"}.contains(format) || !okGroup
        || !okFirst || !okLast || group < 0 || group >= zq::kSelectorGroups || first < 0
        || (parser.isSet(o.last) && last < first) || !zq::parseAlignment(parser.value(o.align))
        || (parser.isSet(o.reference) && parser.isSet(o.schedule))) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    if (!buildRecipe(parser, o, &recipe, &error, &usage)) {
        std::fprintf(stderr, "zqcli analyze: %s\n", qPrintable(error));
        return usage ? BadUsage : Failed;
    }
    Against against;
    if (!loadReference(parser, o, recipe, &against))
        return Failed;
    QVector<Run> runs;
    int unread = 0, failedVerdicts = 0;
    const int outside = readRuns(parser.positionalArguments(), {group, first, last}, &runs, &unread);
    if (outside)
        return BadUsage;
    Output out;
    out.archivePath = parser.value(o.archive);
    out.raw = parser.isSet(o.raw);
    out.csv.append(zq::csvHeader() + (against.wanted ? zq::differenceCsvHeader() : QStringList()));
    for (const Run &run : runs)
        failedVerdicts += add(run.file, run.record, recipe, against, run.range, out);
    print(format, out);
    return unread ? Failed : failedVerdicts ? Unmet : Done;
}
} // namespace cli
