// Which devices "COM 1" and "COM 2" stand for: chosen from a menu on the port
// button, remembered across runs.
#include "link/instrument.h"
#include "window/commandrow.h"
#include "window/desk.h"
#include "window/downloads.h"

#include <QMenu>

namespace {
QString settingsKey(int com)
{
    return QStringLiteral("ports/com%1").arg(com);
}

QString instrumentKey(int com)
{
    return QStringLiteral("instruments/com%1").arg(com);
}

bool sameDevice(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return a == b || (!ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath());
}
} // namespace

void DownloadControl::setPortDevices(const QString &com1, const QString &com2)
{
    m_link->setDevices(com1, com2);
    showPortTooltip();
}

void DownloadControl::choosePorts(const QPair<QString, QString> &defaults, const QString &com1, const QString &com2)
{
    QString devices[2] = {defaults.first, defaults.second};
    const QString given[2] = {com1, com2};
    for (int i = 0; i < 2; ++i) {
        const QString remembered = m_desk.settings().value(settingsKey(i + 1)).toString();
        if (!given[i].isEmpty())
            devices[i] = given[i]; // for this run only
        else if (!remembered.isEmpty() && QFileInfo::exists(remembered))
            devices[i] = remembered; // an absent one falls back quietly
        m_link->setInstrumentFor(i + 1, m_desk.settings().value(instrumentKey(i + 1)).toString());
    }
    setPortDevices(devices[0], devices[1]);
}

void DownloadControl::showPortTooltip()
{
    const auto port = [this](int com) {
        const QString serial = m_link->instrumentFor(com);
        return m_link->deviceFor(com) + (serial.isEmpty() ? QString() : QStringLiteral("（仪表 %1）").arg(serial));
    };
    m_row.setPort(
        m_link->commPort(), QStringLiteral("通讯失败可改变COM口再试\nCOM 1: %1\nCOM 2: %2").arg(port(1), port(2)));
}

void DownloadControl::addInstrumentMenu(QMenu *over, int com)
{
    // Which instrument is on the port: the runs downloaded there are linked to it.
    QMenu *menu = over->addMenu(QStringLiteral("COM %1 的仪表").arg(com));
    const QString current = m_link->instrumentFor(com);
    const auto offer = [this, menu, com, current](QStringList serials) {
        menu->clear();
        if (!current.isEmpty() && !serials.contains(current))
            serials.prepend(current); // one no longer registered still shows as chosen
        serials.prepend(QString());
        for (const QString &serial : serials) {
            QAction *action = menu->addAction(serial.isEmpty() ? QStringLiteral("（未指定）") : serial);
            action->setCheckable(true);
            action->setChecked(serial == current);
            connect(action, &QAction::triggered, this, [this, com, serial] {
                m_link->setInstrumentFor(com, serial);
                m_desk.settings().setValue(instrumentKey(com), serial);
                showPortTooltip();
            });
        }
    };
    offer({});
    // The registry's list follows, read off the window's thread.
    if (m_desk.askInstruments)
        m_desk.askInstruments(menu, offer);
}

void DownloadControl::showPortMenu(const QPoint &at, QWidget *over)
{
    if (m_link->downloading())
        return;
    auto *menu = new QMenu(over);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Read afresh each time: an adapter plugged in meanwhile appears.
    const QList<zq::PortChoice> ports = listPorts ? listPorts() : zq::availablePortChoices();
    for (int com = 1; com <= 2; ++com) {
        QMenu *sub = menu->addMenu(QStringLiteral("COM %1").arg(com));
        const QString current = m_link->deviceFor(com);
        QList<zq::PortChoice> choices = ports;
        if (std::none_of(choices.begin(), choices.end(), [&](const zq::PortChoice &c) {
                return sameDevice(c.device, current) || sameDevice(c.systemLocation, current);
            }))
            choices.prepend({current, current, current});
        for (const zq::PortChoice &c : choices) {
            QAction *action = sub->addAction(c.label);
            action->setCheckable(true);
            action->setChecked(sameDevice(c.device, current) || sameDevice(c.systemLocation, current));
            connect(action, &QAction::triggered, this, [this, com, device = c.device] {
                // A poll on the old device ends; the next tick asks the new one.
                m_link->setDevice(com, device);
                m_desk.settings().setValue(settingsKey(com), device);
                showPortTooltip();
            });
        }
    }
    menu->addSeparator();
    for (int com = 1; com <= 2; ++com)
        addInstrumentMenu(menu, com);
    menu->popup(at);
}
