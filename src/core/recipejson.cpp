// A recipe as a JSON file, written by the program or by hand. Reading is
// strict: a key it does not know or a value of the wrong type refuses the
// whole file, since a criterion dropped without a word turns a FAIL into PASS.
#include "core/recipe.h"
#include "core/texts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace zq {
namespace {
const char *const kRunFields[] = {"operator", "equipment", "load", "thermocouple", "comment"};

// Reads one object's keys, keeping the first thing wrong.
class Reader
{
public:
    Reader(const QJsonObject &o, const QString &where, QString *error)
        : m_o(o)
        , m_where(where)
        , m_error(error)
    { }

    bool onlyKeys(std::initializer_list<const char *> keys)
    {
        QStringList allowed;
        for (const char *k : keys)
            allowed << QLatin1String(k);
        for (auto it = m_o.begin(); it != m_o.end(); ++it)
            if (!allowed.contains(it.key()))
                return wrong(it.key(), words::kNotARecipeKey.arg(allowed.join(QStringLiteral("、"))));
        return true;
    }
    bool has(const char *key) const { return m_o.contains(QLatin1String(key)); }
    QJsonValue at(const char *key) const { return m_o.value(QLatin1String(key)); }

    std::optional<double> number(const char *key)
    {
        if (!has(key))
            return std::nullopt;
        const QJsonValue v = at(key);
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            return wrong(key, words::kWantsNumber), std::nullopt;
        return v.toDouble();
    }
    double required(const char *key)
    {
        if (!has(key))
            wrong(key, words::kMissingNumber);
        return number(key).value_or(0);
    }
    std::optional<QString> string(const char *key, const QString &expected)
    {
        if (!has(key))
            return std::nullopt;
        if (!at(key).isString())
            return wrong(key, expected), std::nullopt;
        return at(key).toString();
    }
    std::optional<Span> span(const char *key, const QString &expected)
    {
        const std::optional<QString> text = string(key, expected);
        std::optional<Span> s = text ? parseSpan(*text) : std::nullopt;
        if (text && !s)
            wrong(key, expected);
        return s;
    }
    std::optional<Rate> rate(const char *key, const QString &expected)
    {
        if (!has(key))
            return std::nullopt;
        const QJsonValue v = at(key);
        const std::optional<Rate> r = v.isDouble() && v.toDouble() >= 0 && std::isfinite(v.toDouble())
            ? std::optional(Rate{v.toDouble(), false})
            : v.isString() ? parseRate(v.toString())
                           : std::nullopt;
        if (!r)
            wrong(key, expected);
        return r;
    }
    std::optional<QJsonObject> object(const char *key)
    {
        if (!has(key))
            return std::nullopt;
        if (!at(key).isObject())
            return wrong(key, words::kWantsObject), std::nullopt;
        return at(key).toObject();
    }
    QJsonArray array(const char *key, QJsonValue::Type of, const QString &expected)
    {
        if (!has(key))
            return {};
        QJsonArray a = at(key).toArray();
        if (!at(key).isArray() || std::any_of(a.begin(), a.end(), [of](const QJsonValue &v) { return v.type() != of; }))
            wrong(key, expected);
        return a;
    }
    bool wrong(const QString &key, const QString &what)
    {
        if (m_error->isEmpty())
            *m_error = QStringLiteral("“%1%2” %3").arg(m_where, key, what);
        return false;
    }

private:
    QJsonObject m_o;
    QString m_where;
    QString *m_error;
};

void readBand(const QJsonObject &o, Recipe *r, QString *error)
{
    Reader band(o, QStringLiteral("band."), error);
    band.onlyKeys({"setpoint", "below", "above"});
    r->hasBand = true;
    r->setpoint = band.required("setpoint");
    r->below = band.required("below");
    r->above = band.required("above");
}

void readCriteria(const QJsonObject &o, Recipe *r, QString *error)
{
    Reader c(o, QStringLiteral("criteria."), error);
    c.onlyKeys({"minSoak", "maxOvershoot", "maxHeatRate", "maxCoolRate", "minPeak", "maxPeak"});
    r->minSoak = c.span("minSoak", words::kWantsSoak);
    r->maxOvershoot = c.number("maxOvershoot");
    r->maxHeatRate = c.rate("maxHeatRate", words::kWantsHeatRate);
    r->maxCoolRate = c.rate("maxCoolRate", words::kWantsCoolRate);
    r->minPeak = c.number("minPeak");
    r->maxPeak = c.number("maxPeak");
}

void readRequired(Reader &top, Recipe *r)
{
    const QJsonArray required = top.array("required", QJsonValue::String, words::kWantsFieldList);
    for (const auto &f : required) {
        const QString name = f.toString();
        if (std::none_of(
                std::begin(kRunFields), std::end(kRunFields), [&](const char *k) { return name == QLatin1String(k); }))
            top.wrong(QStringLiteral("required"), words::kNotARunField.arg(name));
        r->requiredFields.append(name);
    }
}
} // namespace

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
    // ℃/min as a number, exactly; per reading as the "2r" form.
    auto rate = [](const Rate &x) { return x.perReading ? QJsonValue(x.text()) : QJsonValue(x.value); };
    if (r.maxHeatRate)
        c.insert(QStringLiteral("maxHeatRate"), rate(*r.maxHeatRate));
    if (r.maxCoolRate)
        c.insert(QStringLiteral("maxCoolRate"), rate(*r.maxCoolRate));
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
    error->clear();
    if (!doc.isObject()) {
        *error = parse.error != QJsonParseError::NoError ? words::kBadJson.arg(parse.offset).arg(parse.errorString())
                                                         : words::kWantsJsonObject;
        return false;
    }
    Recipe r;
    Reader top(doc.object(), QString(), error);
    top.onlyKeys({"version", "name", "thresholds", "band", "criteria", "rateWindow", "interval", "required", "schedule",
        "bandFollowsSchedule"});
    if (top.has("version") && top.number("version") != 1.0)
        top.wrong(QStringLiteral("version"), words::kWantsVersion1);
    r.name = top.string("name", words::kWantsText).value_or(QString());
    for (const auto &t : top.array("thresholds", QJsonValue::Double, words::kWantsNumberList))
        r.thresholds.append(t.toDouble());
    if (const std::optional<QJsonObject> band = top.object("band"))
        readBand(*band, &r, error);
    if (const std::optional<QJsonObject> criteria = top.object("criteria"))
        readCriteria(*criteria, &r, error);
    r.rateWindow = top.span("rateWindow", words::kWantsWindow);
    r.intervalSec = top.number("interval").value_or(0);
    readRequired(top, &r);
    if (const std::optional<QString> schedule = top.string("schedule", words::kWantsSchedule)) {
        QString why;
        const std::optional<Schedule> s = parseSchedule(*schedule, &why);
        if (!s)
            top.wrong(QStringLiteral("schedule"), QStringLiteral("：") + why);
        r.schedule = s.value_or(Schedule{});
    }
    if (top.has("bandFollowsSchedule") && !top.at("bandFollowsSchedule").isBool())
        top.wrong(QStringLiteral("bandFollowsSchedule"), words::kWantsBool);
    r.bandFollowsSchedule = top.at("bandFollowsSchedule").toBool();
    if (error->isEmpty())
        *error = r.problem();
    if (!error->isEmpty())
        return false;
    *recipe = r;
    return true;
}
} // namespace zq
