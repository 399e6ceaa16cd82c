#pragma once

#include <QString>

// What the reports print for a person to read, in one place (ready for a
// translation). The figures' own labels come from the check's texts.
namespace zq::sheet {
// The curve report.
inline const QString kCurveTitle = QStringLiteral("温 度 数 据 曲 线");
inline const QString kCurveDocument = QStringLiteral("温度数据曲线");
inline const QString kPdfFailed = QStringLiteral("无法生成 PDF 文件");

// The process report.
inline const QString kTitle = QStringLiteral("工艺报告");
inline const QString kRun = QStringLiteral("运行");
inline const char *const kRunLabels[] = {"设备", "工件", "操作员", "热电偶", "备注", "文件", "数据"};
inline QString dataLine(
    const QString &style, int group, int readings, int failed, const QString &from, const QString &to)
{
    return QStringLiteral("%1，第 %2 组，%3 个读数（失败 %4），%5 至 %6")
        .arg(style)
        .arg(group)
        .arg(readings)
        .arg(failed)
        .arg(from, to);
}
inline QString recipeHeading(const QString &name)
{
    return QStringLiteral("配方：") + (name.isEmpty() ? QStringLiteral("（未命名）") : name);
}
inline QString scheduleBand(double below, double above)
{
    return QStringLiteral("公差带：计划曲线 −%1/+%2 ℃").arg(below).arg(above);
}
inline QString fixedBand(double setpoint, double below, double above)
{
    return QStringLiteral("公差带：%1 ℃ −%2/+%3 ℃").arg(setpoint).arg(below).arg(above);
}
inline const QString kThresholds = QStringLiteral("温度阈值：");
inline const QString kSchedule = QStringLiteral("计划：");
inline const QString kCriterion = QStringLiteral("判据：");
inline const char *const kCriterionLabels[]
    = {"最短保温 ≥ ", "最大超调 ≤ ", "最大升温速率 ≤ ", "最大降温速率 ≤ ", "最低峰值 ≥ ", "最高峰值 ≤ "};
inline const QString kNoCriteria = QStringLiteral("配方没有判据：不作结论");
inline const QString kWholeRun = QStringLiteral("全程");
inline const QString kRange = QStringLiteral("选区");
inline const QString kReference = QStringLiteral("参考曲线");
inline const QString kCurve = QStringLiteral("曲线");
inline const QString kNotes = QStringLiteral("注释");
inline QString documentTitle(const QString &file, const QString &sha256)
{
    return QStringLiteral("工艺报告 %1 SHA-256 %2").arg(file, sha256);
}

// The calibration block.
inline const QString kCalibration = QStringLiteral("校准");
inline const QString kOutsidePoints = QStringLiteral("范围外");
inline const char *const kDeviceColumns[] = {"器具", "编号", "证书", "校准日期", "到期日", "状态", "设定温度处修正"};
inline const char *const kDeviceKinds[] = {"仪表", "热电偶"};
inline const char *const kBothWaysColumns[] = {"", "原始读数", "修正后"};
inline const QString kVerdictRow = QStringLiteral("结论");
inline const QString kPeakRow = QStringLiteral("峰值");
inline const QString kLowestRow = QStringLiteral("最低");
inline const QString kNeverInBand = QStringLiteral("未进入公差带");
inline const char *const kBandRows[] = {"进入公差带", "带内时间", "最长保温", "超调", "欠调", "超差次数"};
inline const QString kCalibrationExpired = QStringLiteral("    校准已过期");

// The readings pages and the footer.
inline const QString kFailedReading = QStringLiteral("✗ 失败");
inline QString readingsHeading(int group, int n)
{
    return QStringLiteral("全部读数（第 %1 组，%2 个；✗ 为失败读数）").arg(group).arg(n);
}
inline QString checksLine(int checks, int failed)
{
    return QStringLiteral("    此前检查 %1 次，其中 FAIL %2 次").arg(checks).arg(failed);
}
inline QString pageLine(int page, int pages, const QString &printed)
{
    return QStringLiteral("第 %1 页 / 共 %2 页    打印于 %3").arg(page).arg(pages).arg(printed);
}
inline const QString kFile = QStringLiteral("文件 ");

// Signatures.
inline const QString kSignatures = QStringLiteral("签名");
inline const char *const kReviewed = "审核";
inline const char *const kApproved = "批准";
inline const QString kComment = QStringLiteral("    意见：");
inline const QString kVerdictApproved = QStringLiteral("批准时的结论：");
} // namespace zq::sheet
