// The analysis window's recipe: chosen from the store, shown in the form,
// saved back. The box names only a recipe the fields hold.
#include "window/analysiswindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

const QString AnalysisWindow::kNoRecipe = QStringLiteral("（无配方）");

namespace {
QString text(double v)
{
    return QString::number(v, 'g', 10);
}
} // namespace

void AnalysisWindow::listRecipes()
{
    const QSignalBlocker quiet(recipeBox);
    recipeBox->clear();
    recipeBox->addItem(kNoRecipe);
    recipeBox->addItems(m_store.names());
}

bool AnalysisWindow::chooseRecipe(const QString &name)
{
    zq::Recipe r;
    QString error;
    const bool none = name == kNoRecipe;
    const bool loaded = none || m_store.load(name, &r, &error);
    if (!loaded)
        r = zq::Recipe();
    m_doc.setRecipe(r);
    fillFields(r);
    readFields();
    update();
    const QSignalBlocker quiet(recipeBox);
    recipeBox->setCurrentIndex(loaded && !none ? qMax(0, recipeBox->findText(r.name)) : 0);
    if (!loaded) {
        problemLabel->setText(error);
        showVerdict();
        return false;
    }
    if (!none)
        Q_EMIT recipeUsed(r.name);
    return true;
}

bool AnalysisWindow::saveRecipe()
{
    readFields();
    QString error;
    if (!m_store.save(m_doc.recipe(), &error)) {
        problemLabel->setText(QStringLiteral("配方没有保存：") + error);
        return false;
    }
    listRecipes();
    const QSignalBlocker quiet(recipeBox);
    recipeBox->setCurrentText(m_doc.recipe().name);
    Q_EMIT recipeUsed(m_doc.recipe().name);
    return true;
}

void AnalysisWindow::fillFields(const zq::Recipe &r)
{
    auto opt = [](const auto &v) { return v ? text(*v) : QString(); };
    m_name->setText(r.name);
    m_setpoint->setText(r.hasBand ? text(r.setpoint) : QString());
    m_below->setText(r.hasBand ? text(r.below) : QString());
    m_above->setText(r.hasBand ? text(r.above) : QString());
    QStringList thresholds;
    for (double t : r.thresholds)
        thresholds.append(text(t));
    m_thresholds->setText(thresholds.join(QStringLiteral(", ")));
    m_minSoak->setText(r.minSoak ? r.minSoak->text() : QString());
    m_maxOvershoot->setText(opt(r.maxOvershoot));
    m_maxHeat->setText(r.maxHeatRate ? r.maxHeatRate->text() : QString());
    m_maxCool->setText(r.maxCoolRate ? r.maxCoolRate->text() : QString());
    m_minPeak->setText(opt(r.minPeak));
    m_maxPeak->setText(opt(r.maxPeak));
    m_rateWindow->setText(r.rateWindow ? r.rateWindow->text() : QString());
    m_interval->setText(r.intervalSec > 0 ? text(r.intervalSec) : QString());
    m_schedule->setText(r.schedule.isEmpty() ? QString() : r.schedule.text());
    const QSignalBlocker quiet(m_followSchedule);
    m_followSchedule->setChecked(r.bandFollowsSchedule);
}
