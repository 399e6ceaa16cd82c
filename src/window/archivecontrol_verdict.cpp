// 工艺分析 and the archive: the verdict kept with the run, the certificates
// behind it, and the recipe remembered for the run's equipment.
#include "archive/registry.h"
#include "archive/registryreader.h"
#include "archive/sharedlink.h"
#include "document/usecases.h"
#include "window/analysiswindow.h"
#include "window/archivecontrol.h"
#include "window/desk.h"

namespace {
zq::ReportCalibration reportCalibration(const zq::RunCalibration &linked)
{
    zq::ReportCalibration c;
    c.instrument = linked.devices.instrument;
    c.thermocouple = linked.devices.thermocouple;
    c.correction = linked.correction;
    return c;
}

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
    // Another run's certificates correct nothing of this one while its own are read.
    if (m_doc.sha256() != m_calibratedFor) {
        m_calibratedFor.clear();
        m_analysis->setCalibration(zq::ReportCalibration());
    }
    if (zq::Archive *a = m_doc.sha256().isEmpty() ? nullptr : archive())
        registryReader(*a).readCalibration(m_doc.sha256());
}

zq::RegistryReader &ArchiveControl::registryReader(zq::Archive &archive)
{
    if (!m_registry) {
        m_registry = std::make_unique<zq::RegistryReader>(archive);
        connect(m_registry.get(), &zq::RegistryReader::calibrationRead, this,
            [this](const QString &sha, const zq::RunCalibration &linked) { calibrationRead(sha, linked); });
    }
    return *m_registry;
}

void ArchiveControl::calibrationRead(const QString &sha256, const zq::RunCalibration &linked)
{
    // An answer for a run no longer shown is let go; a registry that cannot
    // be read corrects nothing, and the check then says raw.
    if (!m_analysis || sha256 != m_doc.sha256())
        return;
    m_calibratedFor = sha256;
    m_analysis->setCalibration(reportCalibration(linked));
}

zq::ReportCalibration ArchiveControl::calibrationNow()
{
    QString error;
    zq::Archive *a = m_doc.sha256().isEmpty() ? nullptr : archive();
    return reportCalibration(a ? zq::runCalibration(*a, m_doc.sha256(), &error) : zq::RunCalibration());
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
