// The commands over data files: export, report, info.
#include "cli/cli.h"
#include "core/datafile.h"
#include "core/summary.h"
#include "document/usecases.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <cstdio>

namespace cli {
QString csvLine(const QStringList &cells)
{
    QStringList quoted;
    for (QString cell : cells)
        // A comma, a quote or a line break inside a cell would split it.
        quoted.append(cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"'))
                    || cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'))
                ? QLatin1Char('"') + cell.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"')
                : cell);
    return quoted.join(QLatin1Char(','));
}

int fail(const QString &what)
{
    std::fprintf(stderr, "zqcli: %s\n", qPrintable(what));
    return Failed;
}

int parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments)
{
    parser.addHelpOption();
    if (!parser.parse(QStringList{QStringLiteral("zqcli ") + command} + arguments)) {
        std::fprintf(stderr, "zqcli %s: %s\n", qPrintable(command), qPrintable(parser.errorText()));
        return BadUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return Done;
    }
    return -1;
}

bool load(const QString &path, zq::Record *record)
{
    const zq::DataFileRead read = zq::readDataFile(path);
    if (!read.ok) {
        fail(QStringLiteral("%1: %2").arg(path, read.error));
        return false;
    }
    if (read.noReadings()) {
        fail(QStringLiteral("%1: %2").arg(path, read.warning().replace(QLatin1Char('\n'), QLatin1Char(' '))));
        return false;
    }
    // What the window warns of, said here too; the file is used as it is.
    if (!read.warning().isEmpty())
        std::fprintf(stderr, "zqcli: %s: %s\n", qPrintable(path),
            qPrintable(read.warning().replace(QLatin1Char('\n'), QLatin1Char(' '))));
    *record = read.record;
    return true;
}

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

namespace {
// --first/--last (and --group) as a range of readings; false when one is not a number or they run backwards.
bool readRange(const QCommandLineParser &p, const QCommandLineOption &group, const QCommandLineOption &first,
    const QCommandLineOption &last, zq::ReadingRange *range)
{
    if (!p.isSet(first) && !p.isSet(last))
        return true;
    bool okGroup = true, okFirst = true, okLast = true;
    range->group = p.value(group).toInt(&okGroup);
    range->first = p.isSet(first) ? p.value(first).toInt(&okFirst) : 0;
    range->last = p.isSet(last) ? p.value(last).toInt(&okLast) : -1;
    return okGroup && okFirst && okLast && range->group >= 0 && range->group <= 7 && range->first >= 0
        && (!p.isSet(last) || range->last >= range->first);
}

QString extension(bool csv)
{
    return csv ? QStringLiteral(".csv") : QStringLiteral(".Txt");
}

// Two inputs of one name into one folder: the second gets a free name, and it is said.
QString freeName(const QString &input, const QString &wanted, const QSet<QString> &written, bool csv)
{
    QString out = wanted;
    for (int n = 2; written.contains(QFileInfo(out).absoluteFilePath()); ++n)
        out = QFileInfo(wanted).dir().filePath(
            QFileInfo(wanted).completeBaseName() + QStringLiteral("-%1").arg(n) + extension(csv));
    if (out != wanted)
        std::fprintf(stderr, "zqcli: %s: %s was written from another input; this one goes to %s\n", qPrintable(input),
            qPrintable(wanted), qPrintable(out));
    return out;
}

// The window's export, written once: never over an input.
bool exportOne(const zq::Record &record, const QString &input, const QString &out, bool csv,
    const zq::ReadingRange &range, const QStringList &inputs, QSet<QString> *written)
{
    if (std::any_of(inputs.begin(), inputs.end(), [&](const QString &i) { return sameFile(i, out); })) {
        fail(QStringLiteral("%1: would write over an input").arg(out));
        return false;
    }
    QString error;
    if (!zq::exportRun(record, out, csv, range, &error)) {
        fail(QStringLiteral("%1: %2").arg(
            out, error.isEmpty() ? QStringLiteral("%1 holds no readings").arg(input) : error));
        return false;
    }
    written->insert(QFileInfo(out).absoluteFilePath());
    std::printf("%s\n", qPrintable(out));
    return true;
}
} // namespace

int exportFiles(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes the text export (GBK, CRLF) or the CSV export of each "
                                                    "data file, byte for byte as the window's 导出文本 does."));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("txt (default) or csv."),
        QStringLiteral("format"), QStringLiteral("txt"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The output file (one input only)."), QStringLiteral("file"));
    const QCommandLineOption outDir(QStringLiteral("out-dir"),
        QStringLiteral("Folder for the outputs, made when missing (default: beside each input)."),
        QStringLiteral("dir"));
    const QCommandLineOption group(QStringLiteral("group"), QStringLiteral("With a range: the group (0)."),
        QStringLiteral("G"), QStringLiteral("0"));
    const QCommandLineOption first(QStringLiteral("first"),
        QStringLiteral("Only readings from N on (counted from 0, as zqcli analyze counts)."), QStringLiteral("N"));
    const QCommandLineOption last(
        QStringLiteral("last"), QStringLiteral("Only readings up to N (inclusive)."), QStringLiteral("N"));
    parser.addOptions({format, output, outDir, group, first, last});
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Data files."), QStringLiteral("FILE.ZQ..."));
    if (const int rc = parse(parser, QStringLiteral("export"), arguments); rc >= 0)
        return rc;
    const QStringList inputs = parser.positionalArguments();
    const QString kind = parser.value(format).toLower();
    zq::ReadingRange range;
    if (inputs.isEmpty() || (kind != QLatin1String("txt") && kind != QLatin1String("csv"))
        || (parser.isSet(output) && (inputs.size() != 1 || parser.isSet(outDir)))
        || !readRange(parser, group, first, last, &range)) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    if (parser.isSet(outDir) && !makeOutDir(parser.value(outDir)))
        return Failed;
    const bool csv = kind == QLatin1String("csv");
    int failures = 0, outside = 0;
    QSet<QString> written;
    for (const QString &input : inputs) {
        zq::Record record;
        if (!load(input, &record)) {
            ++failures;
            continue;
        }
        zq::ReadingRange fitted = range;
        if (!fitRange(input, record, &fitted, "export")) {
            ++outside;
            continue;
        }
        const QFileInfo in(input);
        const QString out = parser.isSet(output) ? parser.value(output)
            : parser.isSet(outDir) ? QDir(parser.value(outDir)).filePath(in.completeBaseName() + extension(csv))
                                   : in.dir().filePath(in.completeBaseName() + extension(csv));
        if (!exportOne(record, input, freeName(input, out, written, csv), csv, fitted, inputs, &written))
            ++failures;
    }
    return outside ? BadUsage : failures ? Failed : Done;
}

int info(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tells what each data file holds."));
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Data files."), QStringLiteral("FILE.ZQ..."));
    if (const int rc = parse(parser, QStringLiteral("info"), arguments); rc >= 0)
        return rc;
    if (parser.positionalArguments().isEmpty()) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    int failures = 0;
    bool first = true;
    for (const QString &input : parser.positionalArguments()) {
        zq::Record record;
        if (!load(input, &record)) {
            ++failures;
            continue;
        }
        const zq::Summary s = zq::summarize(record, 0);
        std::printf("%sfile: %s\n", first ? "" : "\n", qPrintable(input));
        first = false;
        std::printf("type: %s\n", s.datatype == zq::SequenceData ? "sequence (STYLE 0)" : "time-stamped (STYLE 1)");
        std::printf("readings: %d\nfailed: %d\n", s.readings, s.failed);
        if (!s.first.isEmpty())
            std::printf("first: %s\nlast: %s\n", qPrintable(s.first), qPrintable(s.last));
        if (s.valid > 0)
            std::printf("minimum: %d at %s\nmaximum: %d at %s\nmean: %.1f\n", s.minimum, qPrintable(s.minimumAt),
                s.maximum, qPrintable(s.maximumAt), s.mean);
    }
    return failures ? Failed : Done;
}
} // namespace cli
