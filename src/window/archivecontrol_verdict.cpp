// 工艺分析 and the archive: the verdict kept with the run, the certificates
// behind it, and the recipe remembered for the run's equipment.
#include "archive/registry.h"
#include "archive/sharedlink.h"
#include "document/usecases.h"
#include "window/analysiswindow.h"
#include "window/archivecontrol.h"
#include "window/desk.h"

namespace {
const QString kLastRecipe = QStringLiteral("analysis/recipe");

// Equipment names are free text; as hex they make a safe settings key.
QString equipmentKey(const QString &equipment)
{
    return QStringLiteral("analysis/recipeFor/") + QString::fromLatin1(equipment.toUtf8().toHex());
}
} // namespace

void ArchiveControl::setAnalysis(AnalysisWindow *analysis)
{
    m_analysis = analysis;
    calibrateAnalysis();
}

void ArchiveControl::calibrateAnalysis()
{
    if (!m_analysis)
        return;
    zq::ReportCalibration c;
    QString error;
    if (zq::Archive *a = m_doc.sha256().isEmpty() ? nullptr : archive()) {
        const zq::RunCalibration linked = zq::runCalibration(*a, m_doc.sha256(), &error);
        c.instrument = linked.devices.instrument;
        c.thermocouple = linked.devices.thermocouple;
        c.correction = linked.correction;
    }
    // A registry that cannot be read corrects nothing; the check then says raw.
    m_analysis->setCalibration(c);
}

void ArchiveControl::recordVerdict(const zq::Analysis &check)
{
    QString error = QStringLiteral("记录库不可用");
    zq::Archive *a = m_doc.sha256().isEmpty() ? nullptr : archive();
    const zq::Correction *applied = m_analysis ? m_analysis->correction() : nullptr;
    const zq::VerdictKept kept = a ? zq::recordVerdict(*a, m_doc.sha256(), check, m_doc.record().count(m_doc.group()),
                                     m_doc.recipe(), applied, &error)
                                   : zq::VerdictKept::Failed;
    if (kept == zq::VerdictKept::Recorded) {
        if (m_shared)
            m_shared->syncNow();
        if (m_analysis)
            m_analysis->markRecorded();
        return;
    }
    if (kept != zq::VerdictKept::NoVerdict)
        m_desk.tellFailure(QStringLiteral("结论没有记入记录库：") + error);
}

QString ArchiveControl::runEquipment()
{
    QString error;
    if (m_doc.sha256().isEmpty() || !archive())
        return QString();
    const std::optional<zq::RunRow> run = archive()->run(m_doc.sha256(), &error);
    return run ? run->fields.equipment.trimmed() : QString();
}

QString ArchiveControl::recipeToOpen()
{
    const QString equipment = runEquipment();
    QSettings &settings = m_desk.settings();
    const QString forEquipment = equipment.isEmpty() ? QString() : settings.value(equipmentKey(equipment)).toString();
    const QString name = forEquipment.isEmpty() ? settings.value(kLastRecipe).toString() : forEquipment;
    return name.isEmpty() ? AnalysisWindow::kNoRecipe : name;
}

void ArchiveControl::rememberRecipe(const QString &name)
{
    m_desk.settings().setValue(kLastRecipe, name);
    if (const QString equipment = runEquipment(); !equipment.isEmpty())
        m_desk.settings().setValue(equipmentKey(equipment), name);
}
