// The analysis window's form: the recipe as typed, read field by field. A
// field that does not parse is marked and named, and leaves the run without
// a verdict: a criterion must never drop out because of a typo.
#include "window/analysiswindow.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

namespace {
const char *const kBadField = "background: rgb(255, 214, 214);";

std::optional<double> number(const QString &text, bool *ok)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const double v = text.trimmed().toDouble(ok);
    *ok = *ok && std::isfinite(v);
    return v;
}
} // namespace

void AnalysisWindow::buildForm(QFormLayout *form)
{
    // Short labels, the forms a field takes as its placeholder: the fields keep their width.
    const std::tuple<QLineEdit **, const char *, const char *, const char *> fields[] = {{&m_name, "名称", "name", ""},
        {&m_setpoint, "设定温度 ℃", "setpoint", ""}, {&m_below, "下公差 ℃", "below", ""},
        {&m_above, "上公差 ℃", "above", ""}, {&m_thresholds, "温度阈值 ℃", "thresholds", "逗号分隔，如 500, 800"},
        {&m_minSoak, "最短保温", "minSoak", "如 55m、90s、1.5h、300r"},
        {&m_maxOvershoot, "最大超调 ℃", "maxOvershoot", ""},
        {&m_maxHeat, "最大升温速率", "maxHeatRate", "℃/min，或每读数 2r"},
        {&m_maxCool, "最大降温速率", "maxCoolRate", "℃/min，或每读数 2r"}, {&m_minPeak, "最低峰值 ℃", "minPeak", ""},
        {&m_maxPeak, "最高峰值 ℃", "maxPeak", ""}, {&m_rateWindow, "速率窗口", "rateWindow", "如 60s、10r"},
        {&m_interval, "采样间隔 s", "interval", "顺序数据"},
        {&m_schedule, "计划", "schedule", "如 20; +10/min→850; 60m; -5/min→200"}};
    for (const auto &[edit, label, name, hint] : fields) {
        *edit = new QLineEdit(this);
        (*edit)->setObjectName(QLatin1String(name));
        (*edit)->setProperty("fieldName", QString::fromUtf8(label).section(QLatin1Char(' '), 0, 0));
        (*edit)->setPlaceholderText(QString::fromUtf8(hint));
        if (*edit == m_schedule) {
            // A schedule is long: the field spans the form, under its label.
            auto *caption = new QLabel(QString::fromUtf8(label), this);
            caption->setBuddy(*edit);
            form->addRow(caption);
            form->addRow(*edit);
        } else {
            form->addRow(QString::fromUtf8(label), *edit);
        }
        // The figures follow what the fields say; a verdict is recorded only when asked for.
        connect(*edit, &QLineEdit::textEdited, this, [this] {
            readFields();
            update();
        });
    }
    m_followSchedule = new QCheckBox(QStringLiteral("公差带跟随计划"), this);
    m_followSchedule->setObjectName(QStringLiteral("followSchedule"));
    form->addRow(QString(), m_followSchedule);
    connect(m_followSchedule, &QCheckBox::toggled, this, [this] {
        readFields();
        update();
    });
}

void AnalysisWindow::readFields()
{
    zq::Recipe r;
    m_unparsed.clear();
    auto check = [this](QLineEdit *e, bool ok) {
        e->setStyleSheet(ok ? QString() : QString::fromLatin1(kBadField));
        if (!ok)
            m_unparsed << e->property("fieldName").toString() + QStringLiteral("“%1”").arg(e->text().trimmed());
    };
    auto value = [&check](QLineEdit *e) {
        bool ok = true;
        const std::optional<double> v = number(e->text(), &ok);
        check(e, ok);
        return ok ? v : std::nullopt;
    };
    auto parsed = [&check](QLineEdit *e, auto parse) {
        const bool empty = e->text().trimmed().isEmpty();
        auto v = empty ? std::nullopt : parse(e->text());
        check(e, empty || v.has_value());
        return v;
    };
    r.name = m_name->text().trimmed();
    const std::optional<double> setpoint = value(m_setpoint);
    r.hasBand = setpoint.has_value();
    r.setpoint = setpoint.value_or(0);
    r.below = value(m_below).value_or(0);
    r.above = value(m_above).value_or(0);
    bool thresholdsOk = true;
    for (const QString &t : m_thresholds->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool fine = true;
        const std::optional<double> v = number(t, &fine);
        thresholdsOk = thresholdsOk && fine && v;
        if (fine && v)
            r.thresholds.append(*v);
    }
    check(m_thresholds, thresholdsOk);
    r.minSoak = parsed(m_minSoak, zq::parseSpan);
    r.rateWindow = parsed(m_rateWindow, zq::parseSpan);
    r.maxHeatRate = parsed(m_maxHeat, zq::parseRate);
    r.maxCoolRate = parsed(m_maxCool, zq::parseRate);
    r.maxOvershoot = value(m_maxOvershoot);
    r.minPeak = value(m_minPeak);
    r.maxPeak = value(m_maxPeak);
    r.intervalSec = value(m_interval).value_or(0);
    QString why;
    r.schedule
        = parsed(m_schedule, [&why](const QString &t) { return zq::parseSchedule(t, &why); }).value_or(zq::Schedule{});
    r.bandFollowsSchedule = m_followSchedule->isChecked();
    // What the form does not show stays as the recipe file said.
    r.requiredFields = m_doc.recipe().requiredFields;
    m_doc.setRecipe(r);
    problemLabel->setText(!why.isEmpty() ? why : r.problem());
}

QString AnalysisWindow::fieldProblem() const
{
    return m_unparsed.isEmpty() ? QString() : QStringLiteral("不能识别 ") + m_unparsed.join(QStringLiteral("、"));
}
