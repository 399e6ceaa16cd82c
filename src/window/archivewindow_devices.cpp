// 记录库's 仪表 and 热电偶: a run linked to its instrument and thermocouple
// from the registry, by the rules zqcli archive set follows.
#include "archive/archive.h"
#include "archive/registryreader.h"
#include "document/usecases.h"
#include "window/archivewindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

void ArchiveWindow::buildDeviceFields(QFormLayout *form)
{
    instrumentField = new QComboBox(this);
    instrumentField->setObjectName(QStringLiteral("instrumentField"));
    // Any text, as the field always took; a registered thermocouple's ID links it.
    thermocoupleField = new QComboBox(this);
    thermocoupleField->setObjectName(QStringLiteral("thermocoupleField"));
    thermocoupleField->setEditable(true);
    thermocoupleField->setInsertPolicy(QComboBox::NoInsert);
    deviceWarning = new QLabel(this);
    deviceWarning->setObjectName(QStringLiteral("deviceWarning"));
    deviceWarning->setStyleSheet(QStringLiteral("color: #c00000"));
    form->insertRow(2, QStringLiteral("仪表"), instrumentField);
    form->insertRow(4, QStringLiteral("热电偶"), thermocoupleField);
    form->addRow(QString(), deviceWarning);
    m_registry = new zq::RegistryReader(m_archive, this);
    m_registry->setObjectName(QStringLiteral("fieldsRegistry"));
    connect(m_registry, &zq::RegistryReader::devicesRead, this, &ArchiveWindow::devicesRead);
    // Asked before the devices, so it is here when they come.
    connect(m_registry, &zq::RegistryReader::calibrationRead, this,
        [this](const QString &sha256, const zq::RunCalibration &linked) {
            if (m_devicesFor && sha256 == m_devicesFor->sha256)
                m_linked = linked.devices;
        });
}

void ArchiveWindow::showDevices(const std::optional<zq::RunRow> &run)
{
    // What saving told stays beside the run until another is chosen.
    if (run && run->sha256 != m_toldFor)
        m_toldOnSave.clear();
    m_devicesFor = run;
    m_linked = {};
    thermocoupleField->setEditText(run ? run->fields.thermocouple : QString());
    // A server may take its time: the choice waits for the registry's answer.
    instrumentField->setEnabled(false);
    if (run)
        m_registry->readCalibration(run->sha256);
    m_registry->readDevices();
    ++m_devicesAsked;
}

void ArchiveWindow::devicesRead(const QVector<zq::Device> &devices, const QString &error)
{
    // Only the answer to the latest question stands for the run shown.
    if (--m_devicesAsked > 0)
        return;
    const QString typed = thermocoupleField->currentText();
    instrumentField->clear();
    instrumentField->addItem(QStringLiteral("（未链接）"), QString());
    thermocoupleField->clear();
    QStringList warnings = m_devicesFor && m_devicesFor->sha256 == m_toldFor ? m_toldOnSave : QStringList();
    for (const zq::Device &d : devices) {
        if (d.kind == zq::Device::Instrument)
            instrumentField->addItem(d.id, d.id);
        else
            thermocoupleField->addItem(d.id);
        if (m_devicesFor && d.kind == zq::Device::Thermocouple && d.id == m_linked.thermocouple)
            warnings += zq::thermocoupleWarnings(d, *m_devicesFor, true);
    }
    instrumentField->setCurrentIndex(qMax(0, instrumentField->findData(m_linked.instrument)));
    instrumentField->setEnabled(true);
    thermocoupleField->setEditText(typed);
    warnings.removeDuplicates();
    deviceWarning->setText(warnings.join(QLatin1Char('\n')));
    if (!error.isEmpty())
        Q_EMIT problem(QStringLiteral("校准登记读取失败：%1").arg(error));
}

zq::DeviceChoice ArchiveWindow::devicesChosen(const zq::RunRow &run) const
{
    QString error;
    const zq::RunDevices linked = zq::Registry(m_archive).linked(run.sha256, &error);
    zq::DeviceChoice chosen;
    if (const QString instrument = instrumentField->currentData().toString(); instrument != linked.instrument)
        chosen.instrument = instrument;
    // Text changed, or a registered thermocouple not linked yet; a field
    // that always held a name not registered is left alone.
    const QString typed = thermocoupleField->currentText();
    if (typed != linked.thermocouple && (typed != run.fields.thermocouple || thermocoupleField->findText(typed) >= 0))
        chosen.thermocouple = typed;
    return chosen;
}
