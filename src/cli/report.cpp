// zqcli report: the designed one-page report at a view, as PRINT writes it
// (--process: the process report).
#include "cli/cli.h"
#include "print/fonts.h"
#include "print/reportpaint.h"

#include <QCommandLineParser>
#include <cstdio>

namespace cli {
namespace {
// The view the report shows: sequence data by its first reading, time-stamped
// data by the hour. An option of the other kind is refused, never ignored: it
// would number the axis from somewhere the curve does not start.
bool chooseView(const QCommandLineParser &p, const zq::Record &record, zq::ChartView *view)
{
    bool ok = true;
    if (record.isTimeStamped()) {
        if (p.isSet(QStringLiteral("start"))) {
            std::fputs(
                "zqcli report: time-stamped data are viewed by the hour: give --hour H (0-23), not --start\n", stderr);
            return false;
        }
        view->start = p.value(QStringLiteral("hour")).toInt(&ok);
        if (!ok || view->start < 0 || view->start > zq::ChartView::kHourMax) {
            std::fprintf(stderr, "zqcli report: --hour takes an hour from 0 to %d\n", zq::ChartView::kHourMax);
            return false;
        }
        return true;
    }
    if (p.isSet(QStringLiteral("hour"))) {
        std::fputs("zqcli report: sequence data are viewed from a reading: give --start N, not --hour\n", stderr);
        return false;
    }
    // The window's view bar ends at the last tens it can show; beyond it is refused, not moved.
    const int n = p.value(QStringLiteral("start")).toInt(&ok);
    if (!ok || n < 0 || n / 10 > zq::ChartView::kSeqScrollMax) {
        std::fprintf(stderr, "zqcli report: --start takes a reading from 0 to %d\n", zq::ChartView::seqStartMax() + 9);
        return false;
    }
    view->start = n / 10;
    return true;
}
} // namespace

int report(const QStringList &arguments)
{
    if (arguments.contains(QStringLiteral("--process")))
        return processReport(arguments);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the printed report of a data file as a PDF, as PRINT does without a printer.\n"
                       "With --process: the process report instead (zqcli report --process --help)."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The PDF to write."), QStringLiteral("file"));
    const QCommandLineOption group(QStringLiteral("group"), QStringLiteral("Group of time-stamped data (0)."),
        QStringLiteral("G"), QStringLiteral("0"));
    const QCommandLineOption start(QStringLiteral("start"),
        QStringLiteral("Sequence data: first reading of the view, in tens (0)."), QStringLiteral("N"),
        QStringLiteral("0"));
    const QCommandLineOption hour(QStringLiteral("hour"), QStringLiteral("Time-stamped data: the hour shown (0)."),
        QStringLiteral("H"), QStringLiteral("0"));
    const QCommandLineOption base(QStringLiteral("base"), QStringLiteral("Reading at the chart's top, 400-2000 (800)."),
        QStringLiteral("V"), QStringLiteral("800"));
    parser.addOptions({output, group, start, hour, base});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A data file."), QStringLiteral("FILE.ZQ"));
    if (const int rc = parse(parser, QStringLiteral("report"), arguments); rc >= 0)
        return rc;
    bool okGroup = false, okBase = false;
    const int g = parser.value(group).toInt(&okGroup);
    const int v = parser.value(base).toInt(&okBase);
    // Only what the window's group and scale bars can reach.
    if (parser.positionalArguments().size() != 1 || !parser.isSet(output) || !okGroup || !okBase || g < 0
        || g >= zq::kSelectorGroups || v < zq::ChartView::kBaseMin || v > zq::ChartView::kBaseMax) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    const QString input = parser.positionalArguments().constFirst();
    const QString out = parser.value(output);
    if (sameFile(input, out))
        return fail(QStringLiteral("%1: would write over the input").arg(out));
    zq::Record record;
    if (!load(input, &record))
        return Failed;
    zq::ChartView view;
    if (!chooseView(parser, record, &view))
        return BadUsage;
    zq::installFontSubstitutes();
    view.ybase = v / 100 * 100;
    view.group = g;
    QString error;
    if (!zq::writeReportPdf(out, record, zq::reportParams(view), &error))
        return fail(QStringLiteral("%1: %2").arg(out, error));
    std::printf("%s\n", qPrintable(out));
    return Done;
}
} // namespace cli
