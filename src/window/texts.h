#pragma once

#include <QString>

// The program's own texts that more than one window uses.
namespace zq {
const QString kAppTitle = QStringLiteral("TQRM_ZQ温度数据管理软件");
const QString kBoxTitle = QStringLiteral("ZQ软件");
const QString kDiscardQuestion = QStringLiteral("是否删除电脑中的温度数据 ?");
const QString kNoData = QStringLiteral("缓冲区无温度数据");
const QString kDataFilter = QStringLiteral("ZQ温度数据*.ZQ (*.ZQ *.zq)");
const QString kTextFilter = QStringLiteral("温度数据文本文件 (*.Txt *.txt)");
const QString kCsvFilter = QStringLiteral("CSV (*.csv)");
const QString kPdfFilter = QStringLiteral("PDF (*.pdf)");
// The settings key of the folder PDFs were last saved in.
const QString kPdfFolder = QStringLiteral("folders/pdf");
const QString kSaveFailed = QStringLiteral("文件没有保存：%1\n%2");
const QString kAllFilesFilter = QStringLiteral("所有文件 (*)");
} // namespace zq
