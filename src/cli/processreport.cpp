// zqcli report --process: the process report of a data file, with the same
// recipe, range and reference options as zqcli analyze.
#include "print/processreport.h"
#include "archive/registry.h"
#include "cli/analyze.h"
#include "cli/cli.h"
#include "core/datafile.h"
#include "document/usecases.h"
#include "print/fonts.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

namespace cli {
namespace {
// The run's fields and notes from the archive, an option given overriding
// a stored value; the archive's word on the bytes.
void fromArchive(const QCommandLineParser &p, const QString &path, const zq::RunFile &file, zq::ProcessReport &r)
{
    QString error, notice;
    const std::unique_ptr<zq::Archive> archive
        = zq::openArchive(p.value(QStringLiteral("archive")), zq::Archive::Access::ReadOnly, &error, &notice);
    if (!archive)
        std::fprintf(stderr, "zqcli: %s\n", qPrintable(error));
    zq::fillFromArchive(&r, file, path, true, archive.get());
    const std::pair<const char *, QString *> given[]
        = {{"equipment", &r.fields.equipment}, {"operator", &r.fields.operatorName}, {"load", &r.fields.load},
            {"thermocouple", &r.fields.thermocouple}, {"comment", &r.fields.comment}};
    for (const auto &[name, into] : given)
        if (p.isSet(QString::fromLatin1(name)))
            *into = p.value(QString::fromLatin1(name));
}
// The certificates the archive links the run to, applied unless --raw; a
// certificate past its due date is said here as in the footer.
zq::ReportCalibration calibrationOf(
    const QCommandLineParser &p, const Options &o, const QString &path, const QString &sha)
{
    zq::ReportCalibration c;
    zq::Archive archive;
    QString error, notice;
    if (!archive.open(p.value(o.archive), &error, &notice, zq::Archive::Access::ReadOnly))
        return c; // fromArchive tells
    const zq::RunCalibration linked = zq::runCalibration(archive, sha, &error);
    c.instrument = linked.devices.instrument;
    c.thermocouple = linked.devices.thermocouple;
    c.correction = linked.correction;
    c.judgedRaw = p.isSet(o.raw);
    for (const QString &warning : zq::expiryWarnings(c.correction, QDate::currentDate()))
        std::fprintf(stderr, "zqcli: %s: %s\n", qPrintable(path), qPrintable(warning));
    return c;
}

QCommandLineOption describe(QCommandLineParser &parser, const Options &o)
{
    parser.setApplicationDescription(QStringLiteral(
        "Writes the process report of a data file as a PDF/A file: the run's fields, the recipe and its criteria, "
        "the verdict, the figures, the whole-run chart and the notes, each page signed with the file's SHA-256.\n"
        "Exit codes: 0 written, 1 not written (a field the recipe requires is empty, or the file cannot be read), "
        "2 bad usage."));
    parser.addOptions(o.checkOptions());
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The PDF to write."), QStringLiteral("file"));
    parser.addOptions(
        {output, {QStringLiteral("process"), QStringLiteral("The process report (not the designed one).")},
            {QStringLiteral("readings"), QStringLiteral("Every reading on the following pages.")},
            {QStringLiteral("company"), QStringLiteral("The line above the title."), QStringLiteral("TEXT")},
            {QStringLiteral("page"), QStringLiteral("a4 (default) or letter."), QStringLiteral("SIZE"),
                QStringLiteral("a4")}});
    for (const char *field : {"equipment", "load", "operator", "thermocouple", "comment"})
        parser.addOption({QString::fromLatin1(field), QStringLiteral("The run's %1.").arg(QLatin1String(field)),
            QStringLiteral("TEXT")});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A data file."), QStringLiteral("FILE.ZQ"));
    return output;
}
} // namespace

int processReport(const QStringList &arguments)
{
    QCommandLineParser parser;
    const Options o;
    const QCommandLineOption output = describe(parser, o);
    if (const int rc = parse(parser, QStringLiteral("report"), arguments); rc >= 0)
        return rc;
    bool okGroup = false, okFirst = true, okLast = true;
    const int group = parser.value(o.group).toInt(&okGroup);
    const int first = parser.isSet(o.first) ? parser.value(o.first).toInt(&okFirst) : 0;
    const int last = parser.isSet(o.last) ? parser.value(o.last).toInt(&okLast) : -1;
    const QString page = parser.value(QStringLiteral("page")).toLower();
    if (parser.positionalArguments().size() != 1 || !parser.isSet(output) || !okGroup || !okFirst || !okLast
        || group < 0 || group > 7 || first < 0 || (parser.isSet(o.last) && last <= first)
        || !QStringList{"a4", "letter"}.contains(page) || !zq::parseAlignment(parser.value(o.align))) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    const QString input = parser.positionalArguments().constFirst(), out = parser.value(output);
    if (sameFile(input, out))
        return fail(QStringLiteral("%1: would write over the input").arg(out));
    zq::Recipe recipe;
    QString error;
    bool usage = false;
    if (!buildRecipe(parser, o, &recipe, &error, &usage)) {
        std::fprintf(stderr, "zqcli report: %s\n", qPrintable(error));
        return usage ? BadUsage : Failed;
    }
    Against against;
    zq::Record record;
    zq::RunFile file;
    if (!loadReference(parser, o, recipe, &against) || !load(input, &record))
        return Failed;
    if (!zq::readRunFile(input, &file, &error))
        return fail(QStringLiteral("%1: %2").arg(input, error));
    const std::optional<std::pair<int, int>> range = parser.isSet(o.first) || parser.isSet(o.last)
        ? std::optional(std::pair{first, last < 0 ? record.count(group) - 1 : last})
        : std::nullopt;
    zq::Placed placed;
    if (against.wanted)
        placed = zq::layReference(zq::runCurve(record, group, recipe.intervalSec),
            record.isTimeStamped() || recipe.intervalSec > 0, against.curve, against.timed, against.alignment);
    zq::ProcessReport r = zq::processFigures(
        record, group, recipe, range, placed, against.alignment, calibrationOf(parser, o, input, file.sha256));
    fromArchive(parser, input, file, r);
    if (const QStringList missing = zq::missingFields(recipe, r.fields); !missing.isEmpty())
        return fail(QStringLiteral("%1: the recipe requires fields that are empty: %2 (give them with --equipment, "
                                   "--load, --operator, --thermocouple, --comment, or fill them in the archive)")
                        .arg(input, missing.join(QStringLiteral("、"))));
    r.company = parser.value(QStringLiteral("company"));
    r.readings = parser.isSet(QStringLiteral("readings"));
    r.printed = QDateTime::currentDateTime();
    zq::installFontSubstitutes();
    if (!zq::writeProcessReportPdf(out, r, page == QLatin1String("letter") ? QPageSize::Letter : QPageSize::A4, &error))
        return fail(QStringLiteral("%1: %2").arg(out, error));
    std::printf("%s\n", qPrintable(out));
    return Done;
}
} // namespace cli
