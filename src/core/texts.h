#pragma once

#include <QString>

// What the core tells a person, in one place (ready for a translation): the
// problems of a file, a recipe, a certificate or a check, the criteria's
// names and the calibration's words. The figures' labels are made by the
// check's format (analysisformat, referenceformat); the export's headers
// are part of the file format and stay with it.
namespace zq::words {
inline const QString kNoReadings = QStringLiteral("没有读数");
inline const QString kRateWindowWantsTime = QStringLiteral("速率窗口应为时长（如 60s），这些数据有时间轴");
inline const QString kRateWindowWantsReadings = QStringLiteral("速率窗口应为读数个数（如 10r），或给出采样间隔");
inline const QString kCalibrationMissesSetpoint = QStringLiteral("校准范围不覆盖设定温度");
inline const QString kScheduleBandWantsTime = QStringLiteral("跟随计划的公差带需要时间轴：请给出采样间隔");
inline const QString kNotACalPoint = QStringLiteral("“%1”不是“温度:修正值”，如 300:+1.0");
inline const QString kTwoCorrections = QStringLiteral("%1 ℃ 有两个修正值");
inline const QString kNoCalPoints = QStringLiteral("没有校准点");
inline const QString kFillInId = QStringLiteral("请填写编号");
inline const QString kFillInCertificate = QStringLiteral("请填写证书编号");
inline const QString kCalDatesFormat = QStringLiteral("校准日期与到期日须为 YYYY-MM-DD");
inline const QString kDueBeforeCalibrated = QStringLiteral("到期日早于校准日期");
inline const QString kThermocoupleTypes = QStringLiteral("热电偶类型须为 %1");
inline const QString kExpired = QStringLiteral("已过期");
inline const QString kDueSoon = QStringLiteral("将到期");
inline const QString kInstrumentPrefix = QStringLiteral("仪表 ");
inline const QString kThermocouplePrefix = QStringLiteral("热电偶 ");
inline const QString kCorrectedBy = QStringLiteral("已修正：");
inline const QString kJudgedRaw = QStringLiteral("按原始读数判定（未修正）");
inline const QString kCertificateExpired = QStringLiteral("校准已过期：证书 %1 到期于 %2");
inline const QString kFileHasNoReadings = QStringLiteral("文件中没有温度读数。");
inline const QString kImplausibleRecords = QStringLiteral("有 %1 条记录看起来已损坏：这可能不是本程序的温度数据文件。");
inline const QString kOpenedAsItIs = QStringLiteral("\n文件已按原样打开。");
inline const QString kCannotMakeFolder = QStringLiteral("无法创建文件夹");
inline const QString kIsAFolder = QStringLiteral("这是一个文件夹");
inline const QString kNotARegularFile = QStringLiteral("不是普通文件（管道、设备或套接字），没有读取");
inline const QString kFileTooLarge = QStringLiteral("文件大于 %1 字节，不是温度数据文件");
inline const QString kBadStamps = QStringLiteral("前 %1 个数据包中有 %2 个的时间不是有效的日期和时间");
inline const QString kFailedReadings = QStringLiteral("前 %1 个读数中有 %2 个是无效读数");
inline const QString kNotFinite = QStringLiteral("数值必须是有限的数（不能是 nan 或 inf）");
inline const QString kTooManyThresholds = QStringLiteral("最多 4 个温度阈值");
inline const QString kThresholdOutOfRange = QStringLiteral("温度阈值 %1 超出范围（-999 至 2303）");
inline const QString kBandOutOfRange = QStringLiteral("设定温度或公差超出范围");
inline const QString kSoakNeedsBand = QStringLiteral("保温时间和超调的判据需要设定温度和公差");
inline const QString kNegativeCriterion = QStringLiteral("判据不能为负数");
inline const QString kRateOutOfRange = QStringLiteral("速率超出范围（0 至 100000）");
inline const QString kRateWindowNotPositive = QStringLiteral("速率窗口必须大于 0");
inline const QString kIntervalOutOfRange = QStringLiteral("采样间隔超出范围");
inline const QString kScheduleBandNeedsSchedule = QStringLiteral("跟随计划的公差带需要计划和公差");
inline const QString kNotARecipeKey = QStringLiteral("不是配方的键（可用：%1）");
inline const QString kWantsNumber = QStringLiteral("应为数字");
inline const QString kMissingNumber = QStringLiteral("缺少，应为数字");
inline const QString kWantsObject = QStringLiteral("应为对象 {…}");
inline const QString kWantsSoak = QStringLiteral("应为时长，如 \"55m\"");
inline const QString kWantsHeatRate = QStringLiteral("应为速率，如 12 或 \"2r\"");
inline const QString kWantsCoolRate = QStringLiteral("应为速率，如 20 或 \"2r\"");
inline const QString kWantsFieldList = QStringLiteral("应为字段名的列表，如 [\"operator\"]");
inline const QString kNotARunField
    = QStringLiteral("中的“%1”不是运行字段（operator、equipment、load、thermocouple、comment）");
inline const QString kBadJson = QStringLiteral("JSON 格式错误（第 %1 个字符）：%2");
inline const QString kWantsJsonObject = QStringLiteral("应为一个 JSON 对象");
inline const QString kWantsVersion1 = QStringLiteral("应为 1（这个程序只读第 1 版的配方）");
inline const QString kWantsText = QStringLiteral("应为文字");
inline const QString kWantsNumberList = QStringLiteral("应为数字列表，如 [600, 850]");
inline const QString kWantsWindow = QStringLiteral("应为时长，如 \"60s\" 或 \"10r\"");
inline const QString kWantsSchedule = QStringLiteral("应为文字，如 \"20; +10/min→850; 60m\"");
inline const QString kWantsBool = QStringLiteral("应为 true 或 false");
inline const QString kNoSuchRecipe = QStringLiteral("没有这个配方");
inline const QString kRecipeNeedsName = QStringLiteral("配方需要一个名称");
inline const QString kFolderNotMade = QStringLiteral("%1: 无法创建文件夹");
inline const QString kReferenceHasNoReadings = QStringLiteral("参考曲线没有读数");
inline const QString kNeverReached = QStringLiteral("%1没有到达 %2 ℃");
inline const QString kNothingAfter = QStringLiteral("第 %1 个读数之后没有有效读数");
inline const QString kRangeOutside = QStringLiteral("选区不在记录中（记录共 %1 个读数，编号 0 至 %2）");
inline const QString kApproved = QStringLiteral("已批准");
inline const QString kReviewed = QStringLiteral("已审核");
inline const QString kDraft = QStringLiteral("草稿");
inline const QString kScheduleStart = QStringLiteral("计划应以起始温度开头，如 20; +10/min→850; 60m; -5/min→200");
inline const QString kScheduleUnreachable = QStringLiteral("第 %1 段：速率 %2 ℃/min 到不了 %3 ℃");
inline const QString kScheduleBadSegment = QStringLiteral("第 %1 段“%2”不是升降温（+10/min→850）或保温（60m）");
inline const QString kSummaryCounts = QStringLiteral("读数 %1  失败 %2");
inline const QString kSummaryFigures = QStringLiteral("  最低 %1 (%2)  最高 %3 (%4)  平均 %5");
inline const QString kSummarySpan = QStringLiteral("  %1 至 %2");
inline const QString kMinSoak = QStringLiteral("最短保温");
inline const QString kNeedsInterval = QStringLiteral("需要采样间隔");
inline const QString kLimitWantsTime = QStringLiteral("数据有时间轴，限值应为时长");
inline const QString kNeverInBand = QStringLiteral("没有进入公差带");
inline const QString kMaxOvershoot = QStringLiteral("最大超调");
inline const QString kMaxHeatRate = QStringLiteral("最大升温速率");
inline const QString kMaxCoolRate = QStringLiteral("最大降温速率");
inline const QString kLimitWantsRate = QStringLiteral("数据有时间轴，限值应为 ℃/min");
inline const QString kShortOfAWindow = QStringLiteral("数据不足一个速率窗口");
inline const QString kMinPeak = QStringLiteral("最低峰值");
inline const QString kMaxPeak = QStringLiteral("最高峰值");
} // namespace zq::words
