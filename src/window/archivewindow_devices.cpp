// 记录库's 仪表 and 热电偶: a run linked to its instrument and thermocouple
// from the registry, by the rules zqcli archive set follows.
#include "archive/archive.h"
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
}

void ArchiveWindow::showDevices(const std::optional<zq::RunRow> &run)
{
    QString error;
    zq::Registry registry(m_archive);
    const QVector<zq::Device> devices = registry.devices(&error);
    const zq::RunDevices linked = run ? registry.linked(run->sha256, &error) : zq::RunDevices();
    instrumentField->clear();
    instrumentField->addItem(QStringLiteral("（未链接）"), QString());
    thermocoupleField->clear();
    QStringList warnings;
    for (const zq::Device &d : devices) {
        if (d.kind == zq::Device::Instrument)
            instrumentField->addItem(d.id, d.id);
        else
            thermocoupleField->addItem(d.id);
        if (run && d.kind == zq::Device::Thermocouple && d.id == linked.thermocouple)
            warnings = zq::thermocoupleWarnings(d, *run, true);
    }
    instrumentField->setCurrentIndex(qMax(0, instrumentField->findData(linked.instrument)));
    thermocoupleField->setEditText(run ? run->fields.thermocouple : QString());
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
