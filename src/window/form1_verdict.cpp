// 工艺分析's verdict kept with the run, and the recipe remembered for the
// run's equipment.
#include "archive/archive.h"
#include "core/runinfo.h"
#include "window/analysiswindow.h"
#include "window/form1.h"

#include <QSettings>

namespace {
const QString kLastRecipe = QStringLiteral("analysis/recipe");

// Equipment names are free text; as hex they make a safe settings key.
QString equipmentKey(const QString &equipment)
{
    return QStringLiteral("analysis/recipeFor/") + QString::fromLatin1(equipment.toUtf8().toHex());
}
} // namespace

void Form1::recordVerdict(const QString &verdict, const zq::Recipe &recipe)
{
    const QString how = zq::judgedRecipeText(recipe);
    QString error = QStringLiteral("记录库不可用");
    if (!m_runSha.isEmpty() && archive() && archive()->setVerdict(m_runSha, verdict, how, &error)) {
        queueEdit({0, m_runSha, true, {}, verdict, how});
        if (m_analysis)
            m_analysis->markRecorded();
        return;
    }
    tellFailure(QStringLiteral("结论没有记入记录库：") + error);
}

QString Form1::runEquipment()
{
    QString error;
    if (m_runSha.isEmpty() || !archive())
        return QString();
    const std::optional<zq::RunRow> run = archive()->run(m_runSha, &error);
    return run ? run->fields.equipment.trimmed() : QString();
}

QString Form1::recipeToOpen()
{
    const QString equipment = runEquipment();
    const QString forEquipment
        = equipment.isEmpty() ? QString() : m_settings->value(equipmentKey(equipment)).toString();
    const QString name = forEquipment.isEmpty() ? m_settings->value(kLastRecipe).toString() : forEquipment;
    return name.isEmpty() ? AnalysisWindow::kNoRecipe : name;
}

void Form1::rememberRecipe(const QString &name)
{
    m_settings->setValue(kLastRecipe, name);
    if (const QString equipment = runEquipment(); !equipment.isEmpty())
        m_settings->setValue(equipmentKey(equipment), name);
}
