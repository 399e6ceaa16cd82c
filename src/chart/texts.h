#pragma once

#include <QString>

// What the charts write on themselves, in one place (ready for a translation).
namespace zq {
inline QString readingsUnitText()
{
    return QStringLiteral("读数");
}
inline QString bandLegendText()
{
    return QStringLiteral("公差带");
}
inline QString thresholdLegendText()
{
    return QStringLiteral("阈值");
}
inline QString referenceLegendText()
{
    return QStringLiteral("参考");
}
} // namespace zq
