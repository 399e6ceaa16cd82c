// zqcli calibration: instruments and thermocouples with their certificates.
#include "archive/registry.h"
#include "cli/cli.h"
#include "document/usecases.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdio>

namespace cli {
namespace {
QJsonObject deviceJson(const zq::Device &d, const QDate &today)
{
    QJsonArray certificates;
    for (const zq::Certificate &c : d.certificates)
        certificates.append(QJsonObject{{"number", c.number}, {"calibrated", c.calibrated.toString(Qt::ISODate)},
            {"due", c.due.toString(Qt::ISODate)}, {"points", zq::calPointsText(c.points)},
            {"status", zq::dueText(zq::dueState(c, today))}});
    const std::optional<zq::Certificate> current = zq::inForce(d.certificates, today);
    return {{"kind", zq::kindName(d.kind)}, {"id", d.id}, {"type", d.type},
        {"maxUses", d.maxUses > 0 ? QJsonValue(d.maxUses) : QJsonValue()},
        {"maxTemp", d.maxTemp ? QJsonValue(*d.maxTemp) : QJsonValue()}, {"uses", d.uses},
        {"current", current ? QJsonValue(current->number) : QJsonValue()},
        {"status", current ? QJsonValue(zq::dueText(zq::dueState(*current, today))) : QJsonValue()},
        {"certificates", certificates}};
}

QString deviceLine(const zq::Device &d, const QDate &today)
{
    const std::optional<zq::Certificate> c = zq::inForce(d.certificates, today);
    QString line = QStringLiteral("%1\t%2\t%3\t%4")
                       .arg(zq::kindName(d.kind), d.id, d.type,
                           c ? QStringLiteral("%1 (%2 至 %3, %4)")
                                   .arg(c->number, c->calibrated.toString(Qt::ISODate), c->due.toString(Qt::ISODate),
                                       zq::dueText(zq::dueState(*c, today)))
                             : QStringLiteral("无有效证书"));
    if (d.kind == zq::Device::Thermocouple)
        line += QStringLiteral("\t已用 %1 次%2")
                    .arg(d.uses)
                    .arg(d.maxUses > 0 ? QStringLiteral("（上限 %1）").arg(d.maxUses) : QString());
    return line;
}

int add(zq::Archive &archive, const QCommandLineParser &p, zq::Device::Kind kind, const QString &id)
{
    zq::Device d;
    d.kind = kind;
    d.id = id.trimmed();
    zq::Certificate c;
    c.number = p.value(QStringLiteral("cert")).trimmed();
    c.calibrated = QDate::fromString(p.value(QStringLiteral("calibrated")), Qt::ISODate);
    c.due = QDate::fromString(p.value(QStringLiteral("due")), Qt::ISODate);
    QString why;
    const std::optional<QVector<zq::CalPoint>> points = zq::parseCalPoints(p.value(QStringLiteral("points")), &why);
    if (!points) {
        std::fprintf(stderr, "zqcli calibration: --points: %s\n", qPrintable(why));
        return BadUsage;
    }
    c.points = *points;
    const bool thermocouple = kind == zq::Device::Thermocouple;
    if (thermocouple) {
        d.type = p.value(QStringLiteral("type")).toUpper();
        bool fine = true;
        if (p.isSet(QStringLiteral("max-uses"))) {
            d.maxUses = p.value(QStringLiteral("max-uses")).toInt(&fine);
            if (!fine || d.maxUses <= 0)
                why = QStringLiteral("--max-uses 须为正整数");
        }
        if (p.isSet(QStringLiteral("max-temp"))) {
            d.maxTemp = p.value(QStringLiteral("max-temp")).toDouble(&fine);
            if (!fine || !std::isfinite(*d.maxTemp))
                why = QStringLiteral("--max-temp 须为温度（℃）");
        }
    }
    if (why.isEmpty())
        why = zq::certificateProblem(thermocouple, d.id, d.type, c);
    if (!why.isEmpty()) {
        std::fprintf(stderr, "zqcli calibration: %s\n", qPrintable(why));
        return BadUsage;
    }
    QString error;
    if (!zq::Registry(archive).addCertificate(d, c, &error))
        return fail(error);
    std::printf("%s %s: %s\n", qPrintable(zq::kindName(kind)), qPrintable(d.id), qPrintable(c.number));
    return Done;
}
// Every device, or the one named, with its certificates and due states.
int showDevices(zq::Archive &archive, const QString &id, bool json)
{
    QString error;
    QVector<zq::Device> devices = zq::Registry(archive).devices(&error);
    if (!error.isEmpty())
        return fail(error);
    if (!id.isEmpty()) {
        devices.erase(std::remove_if(devices.begin(), devices.end(), [&](const zq::Device &d) { return d.id != id; }),
            devices.end());
        if (devices.isEmpty())
            return fail(QStringLiteral("%1: 没有登记").arg(id));
    }
    const QDate today = QDate::currentDate();
    if (json) {
        QJsonArray out;
        for (const zq::Device &d : devices)
            out.append(deviceJson(d, today));
        std::printf("%s", QJsonDocument(out).toJson().constData());
    } else {
        for (const zq::Device &d : devices)
            std::printf("%s\n", qPrintable(deviceLine(d, today)));
    }
    return Done;
}
} // namespace

int calibration(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Instruments and thermocouples with their calibration certificates, kept in the run archive.\n"
        "  add-instrument SERIAL --cert NO --calibrated DATE --due DATE --points \"300:+1.0,900:-1.0\"\n"
        "  add-thermocouple ID --type K --cert NO --calibrated DATE --due DATE --points \"…\" [--max-uses N] "
        "[--max-temp T]\n"
        "  list | show ID [--format text|json]\n"
        "A point is a temperature and the correction in ℃ added to a reading there; readings between points are "
        "corrected linearly, readings outside them are left raw. A new certificate supersedes the old one from its "
        "calibration date; the old one stays. Link a run with zqcli archive set FILE --instrument SERIAL "
        "--thermocouple ID."));
    parser.addOption(archiveOption());
    parser.addOption(localOption());
    const std::pair<const char *, const char *> options[]
        = {{"cert", "The certificate's number."}, {"calibrated", "The day it was calibrated, YYYY-MM-DD."},
            {"due", "The day its calibration is due, YYYY-MM-DD."},
            {"points", "Temperature:correction pairs, comma-separated."},
            {"type", "A thermocouple's type: K N S R B J T E."},
            {"max-uses", "How many runs a thermocouple may be used for."},
            {"max-temp", "The highest temperature a thermocouple may see, ℃."}};
    for (const auto &[name, what] : options)
        parser.addOption(QCommandLineOption(QLatin1String(name), QString::fromUtf8(what), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("format"), QStringLiteral("text or json."), QStringLiteral("F"), QStringLiteral("text")));
    parser.addPositionalArgument(
        QStringLiteral("command"), QStringLiteral("add-instrument, add-thermocouple, list or show."));
    if (const int rc = parse(parser, QStringLiteral("calibration"), arguments); rc >= 0)
        return rc;
    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    const bool one = command.startsWith(QLatin1String("add-")) || command == QLatin1String("show");
    if (args.isEmpty() || (one && args.size() != 2) || (!one && args.size() != 1)
        || !QStringList{"add-instrument", "add-thermocouple", "list", "show"}.contains(command)) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return BadUsage;
    }
    zq::Archive archive;
    if (!openArchive(archive, parser))
        return Failed;
    if (command == QLatin1String("add-instrument"))
        return add(archive, parser, zq::Device::Instrument, args[1]);
    if (command == QLatin1String("add-thermocouple"))
        return add(archive, parser, zq::Device::Thermocouple, args[1]);
    return showDevices(archive, args.value(1), parser.value(QStringLiteral("format")) == QLatin1String("json"));
}

// Links a run to the devices given on zqcli archive set; tells of worn or
// overheated thermocouples and refuses nothing of that: the user decides.
int linkDevices(zq::Archive &archive, const zq::RunRow &run, const QString &instrument, const QString &thermocouple,
    const QString &reason)
{
    QString error;
    QStringList warnings;
    zq::DeviceChoice chosen;
    if (!instrument.isNull())
        chosen.instrument = instrument;
    if (!thermocouple.isNull())
        chosen.thermocouple = thermocouple;
    const bool linked = zq::linkDevices(archive, run, chosen, reason, &warnings, &error);
    for (const QString &warning : warnings)
        std::fprintf(stderr, "zqcli: %s\n", qPrintable(warning));
    return linked ? Done : fail(error);
}
} // namespace cli
