// zqcli analyze's outputs: text, CSV and JSON, and each whole run's verdict
// kept in the archive.
#include "cli/analyze.h"
#include "cli/cli.h"
#include "core/analysisformat.h"
#include "core/datafile.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <cstdio>

namespace cli {
namespace {
void recordVerdict(const QString &file, const zq::Analysis &a, int count, const QString &recipe, Output &out)
{
    if (!a.pass || a.first != 0 || a.last != count - 1 || out.archiveFailed)
        return;
    QString error, notice;
    if (!out.archive) {
        out.archive = std::make_unique<zq::Archive>();
        if (out.archive->open(out.archivePath, &error, &notice) && !notice.isEmpty())
            std::fprintf(stderr, "zqcli: %s\n", qPrintable(notice));
    }
    zq::RunFile run;
    bool isNew = false;
    QString sha;
    const bool kept = out.archive->isOpen() && zq::readRunFile(file, &run, &error)
        && !(sha = out.archive->addRun(run.bytes, QFileInfo(file).absoluteFilePath(), &isNew, &error)).isEmpty()
        && out.archive->setVerdict(sha, *a.pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"), recipe, &error);
    if (!kept) {
        out.archiveFailed = true;
        std::fprintf(stderr, "zqcli: verdicts are not recorded in the archive: %s\n", qPrintable(error));
    }
}
} // namespace

bool add(const QString &file, const zq::Record &record, const zq::Recipe &recipe, const Against &against,
    const zq::ReadingRange &range, Output &out)
{
    const zq::Analysis a = zq::analyze(record, recipe, range.group, range.first, range.last);
    QVector<zq::FigureRow> rows = zq::figureRows(a, record);
    QStringList csvRow = zq::csvRow(a, file);
    QJsonObject jsonRow = zq::analysisJson(a, recipe, file);
    if (against.wanted) {
        const zq::Curve run = zq::runCurve(record, range.group, recipe.intervalSec);
        const zq::Placed placed = zq::layReference(
            run, record.isTimeStamped() || recipe.intervalSec > 0, against.curve, against.timed, against.alignment);
        const zq::Difference d = zq::compareRun(run, placed.curve, range.first, range.last,
            recipe.hasBand ? recipe.below : 0, recipe.hasBand ? recipe.above : 0);
        rows += zq::differenceRows(d, placed, against.alignment, a, record);
        csvRow += zq::differenceCsv(d, placed);
        jsonRow.insert(QStringLiteral("reference"), zq::differenceJson(d, placed, against.alignment));
    }
    recordVerdict(file, a, record.count(range.group), recipe.name, out);
    out.csv.append(csvRow);
    out.json.append(jsonRow);
    out.text += (out.text.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("file: %1\n").arg(file)
        + zq::figuresText(rows);
    return a.pass && !*a.pass;
}

void print(const QString &format, const Output &out)
{
    if (format == QLatin1String("csv")) {
        for (const QStringList &row : out.csv) {
            std::printf("%s\r\n", qPrintable(csvLine(row)));
        }
    } else if (format == QLatin1String("json")) {
        std::printf("%s", QJsonDocument(out.json).toJson(QJsonDocument::Indented).constData());
    } else {
        std::printf("%s", qPrintable(out.text));
    }
}
} // namespace cli
