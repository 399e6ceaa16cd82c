#include "core/recipe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>

namespace zq {
namespace {
QString number(double v)
{
    return QString::number(v, 'g', 10);
}

std::optional<double> numberAt(const QJsonObject &o, const char *key, QString *error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    if (!v.isDouble())
        *error = QStringLiteral("“%1” 应为数字").arg(QLatin1String(key));
    return v.toDouble();
}

bool readCriteria(const QJsonObject &c, Recipe *r, QString *error)
{
    if (c.contains(QLatin1String("minSoak")) && !(r->minSoak = parseSpan(c.value(QLatin1String("minSoak")).toString())))
        *error = QStringLiteral("“minSoak” 应为时长，如 \"55m\"");
    if (c.contains(QLatin1String("maxHeatRate"))
        && !(r->maxHeatRate = parseRate(c.value(QLatin1String("maxHeatRate")).toVariant().toString())))
        *error = QStringLiteral("“maxHeatRate” 应为速率，如 12 或 \"2r\"");
    if (c.contains(QLatin1String("maxCoolRate"))
        && !(r->maxCoolRate = parseRate(c.value(QLatin1String("maxCoolRate")).toVariant().toString())))
        *error = QStringLiteral("“maxCoolRate” 应为速率，如 20 或 \"2r\"");
    r->maxOvershoot = numberAt(c, "maxOvershoot", error);
    r->minPeak = numberAt(c, "minPeak", error);
    r->maxPeak = numberAt(c, "maxPeak", error);
    return error->isEmpty();
}
} // namespace

QString Span::text() const
{
    if (readings)
        return number(value) + QLatin1Char('r');
    if (value >= 3600 && std::fmod(value, 360) == 0)
        return number(value / 3600) + QLatin1Char('h');
    if (value >= 60 && std::fmod(value, 60) == 0)
        return number(value / 60) + QLatin1Char('m');
    return number(value) + QLatin1Char('s');
}

std::optional<Span> parseSpan(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([0-9]+(?:\\.[0-9]+)?)\\s*([smhr])\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double v = m.captured(1).toDouble();
    const QChar unit = m.captured(2).at(0);
    const double scale = unit == QLatin1Char('h') ? 3600 : unit == QLatin1Char('m') ? 60 : 1;
    return Span{v * scale, unit == QLatin1Char('r')};
}

QString Rate::text() const
{
    return perReading ? number(value) + QLatin1Char('r') : number(value);
}

std::optional<Rate> parseRate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([0-9]+(?:\\.[0-9]+)?)\\s*(r?)\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return Rate{m.captured(1).toDouble(), !m.captured(2).isEmpty()};
}

QString Recipe::problem() const
{
    auto reading = [](double v) { return v >= -999 && v <= 2303; };
    if (thresholds.size() > 4)
        return QStringLiteral("最多 4 个温度阈值");
    for (double t : thresholds)
        if (!reading(t))
            return QStringLiteral("温度阈值 %1 超出范围（-999 至 2303）").arg(number(t));
    if (hasBand && (!reading(setpoint) || below < 0 || above < 0 || below > 1000 || above > 1000))
        return QStringLiteral("设定温度或公差超出范围");
    if ((minSoak || maxOvershoot) && !hasBand)
        return QStringLiteral("保温时间和超调的判据需要设定温度和公差");
    if ((minSoak && minSoak->value < 0) || (maxOvershoot && *maxOvershoot < 0))
        return QStringLiteral("判据不能为负数");
    if (rateWindow && rateWindow->value <= 0)
        return QStringLiteral("速率窗口必须大于 0");
    if (intervalSec < 0 || intervalSec > 86400)
        return QStringLiteral("采样间隔超出范围");
    if (bandFollowsSchedule && (schedule.isEmpty() || !hasBand))
        return QStringLiteral("跟随计划的公差带需要计划和公差");
    return QString();
}

QByteArray recipeToJson(const Recipe &r)
{
    QJsonObject o{{QStringLiteral("version"), 1}, {QStringLiteral("name"), r.name}};
    QJsonArray thresholds;
    for (double t : r.thresholds)
        thresholds.append(t);
    o.insert(QStringLiteral("thresholds"), thresholds);
    if (r.hasBand)
        o.insert(QStringLiteral("band"),
            QJsonObject{{QStringLiteral("setpoint"), r.setpoint}, {QStringLiteral("below"), r.below},
                {QStringLiteral("above"), r.above}});
    QJsonObject c;
    if (r.minSoak)
        c.insert(QStringLiteral("minSoak"), r.minSoak->text());
    if (r.maxOvershoot)
        c.insert(QStringLiteral("maxOvershoot"), *r.maxOvershoot);
    if (r.maxHeatRate)
        c.insert(QStringLiteral("maxHeatRate"), r.maxHeatRate->text());
    if (r.maxCoolRate)
        c.insert(QStringLiteral("maxCoolRate"), r.maxCoolRate->text());
    if (r.minPeak)
        c.insert(QStringLiteral("minPeak"), *r.minPeak);
    if (r.maxPeak)
        c.insert(QStringLiteral("maxPeak"), *r.maxPeak);
    o.insert(QStringLiteral("criteria"), c);
    if (r.rateWindow)
        o.insert(QStringLiteral("rateWindow"), r.rateWindow->text());
    if (r.intervalSec > 0)
        o.insert(QStringLiteral("interval"), r.intervalSec);
    if (!r.requiredFields.isEmpty())
        o.insert(QStringLiteral("required"), QJsonArray::fromStringList(r.requiredFields));
    if (!r.schedule.isEmpty())
        o.insert(QStringLiteral("schedule"), r.schedule.text());
    if (r.bandFollowsSchedule)
        o.insert(QStringLiteral("bandFollowsSchedule"), true);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

bool recipeFromJson(const QByteArray &json, Recipe *recipe, QString *error)
{
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (!doc.isObject()) {
        *error = parse.error != QJsonParseError::NoError
            ? QStringLiteral("JSON 格式错误（第 %1 个字符）：%2").arg(parse.offset).arg(parse.errorString())
            : QStringLiteral("应为一个 JSON 对象");
        return false;
    }
    const QJsonObject o = doc.object();
    Recipe r;
    error->clear();
    r.name = o.value(QLatin1String("name")).toString();
    const QJsonArray thresholds = o.value(QLatin1String("thresholds")).toArray();
    for (const auto &t : thresholds) {
        if (!t.isDouble())
            *error = QStringLiteral("“thresholds” 应为数字列表");
        r.thresholds.append(t.toDouble());
    }
    const QJsonObject band = o.value(QLatin1String("band")).toObject();
    if (!band.isEmpty()) {
        r.hasBand = true;
        r.setpoint = numberAt(band, "setpoint", error).value_or(0);
        r.below = numberAt(band, "below", error).value_or(0);
        r.above = numberAt(band, "above", error).value_or(0);
    }
    readCriteria(o.value(QLatin1String("criteria")).toObject(), &r, error);
    if (o.contains(QLatin1String("rateWindow"))
        && !(r.rateWindow = parseSpan(o.value(QLatin1String("rateWindow")).toString())))
        *error = QStringLiteral("“rateWindow” 应为时长，如 \"60s\" 或 \"10r\"");
    r.intervalSec = numberAt(o, "interval", error).value_or(0);
    const QJsonArray required = o.value(QLatin1String("required")).toArray();
    for (const auto &f : required)
        r.requiredFields.append(f.toString());
    if (o.contains(QLatin1String("schedule"))) {
        QString why;
        const std::optional<Schedule> schedule = parseSchedule(o.value(QLatin1String("schedule")).toString(), &why);
        if (!schedule)
            *error = QStringLiteral("“schedule”：") + why;
        r.schedule = schedule.value_or(Schedule{});
    }
    r.bandFollowsSchedule = o.value(QLatin1String("bandFollowsSchedule")).toBool();
    if (error->isEmpty())
        *error = r.problem();
    if (!error->isEmpty())
        return false;
    *recipe = r;
    return true;
}
} // namespace zq
