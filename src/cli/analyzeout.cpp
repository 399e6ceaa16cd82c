// zqcli analyze's outputs: text, CSV and JSON, and each whole run's verdict
// kept in the archive.
#include "archive/registry.h"
#include "cli/analyze.h"
#include "cli/cli.h"
#include "core/analysisformat.h"
#include "core/datafile.h"
#include "core/runinfo.h"
#include "document/usecases.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <cstdio>

namespace cli {
namespace {
// The archive, opened once when first needed; none (told once) when it cannot be.
zq::Archive *archiveOf(Output &out)
{
    if (out.archiveFailed)
        return nullptr;
    if (!out.archive) {
        QString error, notice;
        out.archive = zq::openArchive(out.archivePath, zq::Archive::Access::ReadWrite, &error, &notice);
        if (!out.archive) {
            out.archiveFailed = true;
            std::fprintf(stderr,
                "zqcli: the archive cannot be used, so verdicts are not recorded and readings not corrected: %s\n",
                qPrintable(error));
            return nullptr;
        }
        if (!notice.isEmpty())
            std::fprintf(stderr, "zqcli: %s\n", qPrintable(notice));
    }
    return out.archive.get();
}

void recordVerdict(const QString &file, const zq::Analysis &a, int count, const zq::Recipe &recipe,
    const zq::Correction &correction, Output &out)
{
    // Only a check of the whole run is the run's verdict: the use case says so.
    if (!a.pass || a.first != 0 || a.last != count - 1)
        return;
    zq::Archive *archive = archiveOf(out);
    if (!archive)
        return;
    QString error;
    zq::RunFile run;
    bool isNew = false;
    QString sha;
    const bool kept = zq::readRunFile(file, &run, &error)
        && !(sha = archive->addRun(run.bytes, QFileInfo(file).absoluteFilePath(), &isNew, &error)).isEmpty()
        && zq::recordVerdict(*archive, sha, a, count, recipe, &correction, &error) == zq::VerdictKept::Recorded;
    if (!kept) {
        out.archiveFailed = true;
        std::fprintf(stderr, "zqcli: verdicts are not recorded in the archive: %s\n", qPrintable(error));
    }
}

// The certificates in force for a run the archive knows and links to its
// devices; a certificate past its due date is said, and still applied.
zq::Correction correctionOf(const QString &file, Output &out)
{
    // No archive made just to find there are no certificates in it.
    const bool none = !out.archive && !zq::Archive::isServerUrl(out.archivePath) && !QFileInfo::exists(out.archivePath);
    zq::Archive *archive = out.raw || none ? nullptr : archiveOf(out);
    zq::RunFile bytes;
    QString error;
    if (!archive || !zq::readRunFile(file, &bytes, &error))
        return {};
    zq::Correction c = zq::runCalibration(*archive, bytes.sha256, &error).correction;
    for (const QString &warning : zq::expiryWarnings(c, QDate::currentDate()))
        std::fprintf(stderr, "zqcli: %s: %s\n", qPrintable(file), qPrintable(warning));
    return c;
}

QJsonObject correctionsJson(const zq::Correction &c, const zq::Analysis &a)
{
    auto one = [](const std::optional<zq::Certificate> &cert) {
        return cert ? QJsonValue(QJsonObject{{QStringLiteral("certificate"), cert->number},
                   {QStringLiteral("points"), zq::calPointsText(cert->points)}})
                    : QJsonValue(QJsonValue::Null);
    };
    return {{QStringLiteral("instrument"), one(c.instrument)}, {QStringLiteral("thermocouple"), one(c.thermocouple)},
        {QStringLiteral("leftRaw"), a.leftRaw}};
}
} // namespace

bool add(const QString &file, const zq::Record &record, const zq::Recipe &recipe, const Against &against,
    const zq::ReadingRange &range, Output &out)
{
    const zq::Correction correction = correctionOf(file, out);
    const zq::Analysis a = zq::analyze(record, recipe, range.group, range.first, range.last, &correction);
    QVector<zq::FigureRow> rows = zq::figureRows(a, record);
    QStringList csvRow = zq::csvRow(a, file);
    QJsonObject jsonRow = zq::analysisJson(a, recipe, file);
    jsonRow.insert(QStringLiteral("corrections"),
        correction.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(correctionsJson(correction, a)));
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
    recordVerdict(file, a, record.count(range.group), recipe, correction, out);
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
