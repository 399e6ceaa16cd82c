#pragma once

#include <QDate>
#include <QString>

// What the use cases tell a person, in one place (ready for a translation).
namespace zq {
inline QString instrumentNotRegisteredText(const QString &serial)
{
    return QStringLiteral("仪表 %1 没有登记").arg(serial);
}
inline QString downloadInstrumentNotRegisteredText(const QString &serial)
{
    return QStringLiteral("仪表 %1 没有登记：这次接收没有记下仪表").arg(serial);
}
inline QString instrumentNotLinkedText(const QString &serial, const QString &why)
{
    return QStringLiteral("没有记下仪表 %1：%2").arg(serial, why);
}
inline QString otherInstrumentKeptText(const QString &linked, const QString &serial)
{
    return QStringLiteral("这份记录已记为仪表 %1 测得，没有改为 %2").arg(linked, serial);
}
inline QString noCertificateOnText(const QString &serial, const QDate &day)
{
    return QStringLiteral("仪表 %1 在 %2 没有有效的校准证书").arg(serial, day.toString(Qt::ISODate));
}
inline QString thermocoupleWornText(const QString &id, int uses, int maxUses)
{
    return QStringLiteral("热电偶 %1 已用 %2 次，超过上限 %3").arg(id).arg(uses).arg(maxUses);
}
inline QString thermocoupleTooHotText(double peak, const QString &id, double maxTemp)
{
    return QStringLiteral("这次运行的峰值 %1 ℃ 超过热电偶 %2 的上限 %3 ℃").arg(peak).arg(id).arg(maxTemp);
}
inline QString thermocoupleNotRegisteredText(const QString &id)
{
    return QStringLiteral("热电偶 %1 没有登记：只记在字段里，读数不修正").arg(id);
}
inline QString unsavedRecordText()
{
    return QStringLiteral("（未保存的记录）");
}
inline QString archiveUnavailableText()
{
    return QStringLiteral("记录库不可用，无法核对");
}
} // namespace zq
