// zqcli archive show: one run with all the archive holds of it.
#include "archive/archive.h"
#include "cli/cli.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace cli {
QJsonObject runJson(const zq::RunRow &r)
{
    return {{QStringLiteral("sha256"), r.sha256}, {QStringLiteral("type"), r.dataType},
        {QStringLiteral("readings"), r.readings}, {QStringLiteral("failed"), r.failed},
        {QStringLiteral("first"), r.firstStamp}, {QStringLiteral("last"), r.lastStamp},
        {QStringLiteral("peak"), r.peak}, {QStringLiteral("verdict"), r.verdict}, {QStringLiteral("recipe"), r.recipe},
        {QStringLiteral("checks"), r.checks}, {QStringLiteral("failed_checks"), r.failedChecks},
        {QStringLiteral("operator"), r.fields.operatorName}, {QStringLiteral("equipment"), r.fields.equipment},
        {QStringLiteral("load"), r.fields.load}, {QStringLiteral("thermocouple"), r.fields.thermocouple},
        {QStringLiteral("comment"), r.fields.comment}, {QStringLiteral("added"), r.addedAt},
        {QStringLiteral("downloaded"), r.downloadedAt}, {QStringLiteral("paths"), QJsonArray::fromStringList(r.paths)}};
}

int showRun(zq::Archive &archive, const zq::RunRow &run)
{
    QString error;
    QJsonObject o = runJson(run);
    QJsonArray notes, ranges, downloads;
    for (const zq::RunNote &n : archive.notes(run.sha256, &error))
        notes.append(QJsonObject{{QStringLiteral("at"), n.atReading}, {QStringLiteral("text"), n.text}});
    for (const zq::NamedRange &r : archive.ranges(run.sha256, &error))
        ranges.append(QJsonObject{
            {QStringLiteral("name"), r.name}, {QStringLiteral("first"), r.first}, {QStringLiteral("last"), r.last}});
    for (const zq::Archive::DownloadRow &d : archive.downloads(&error, run.sha256))
        downloads.append(QJsonObject{{QStringLiteral("ended"), d.endedAt}, {QStringLiteral("device"), d.device},
            {QStringLiteral("outcome"), d.outcome},
            {QStringLiteral("host"), d.host.isEmpty() ? QJsonValue() : QJsonValue(d.host)}});
    if (!error.isEmpty())
        return fail(error);
    o.insert(QStringLiteral("notes"), notes);
    o.insert(QStringLiteral("ranges"), ranges);
    o.insert(QStringLiteral("downloads"), downloads);
    std::printf("%s", QJsonDocument(o).toJson().constData());
    return Done;
}
} // namespace cli
