#pragma once

#include "core/record.h"

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>

namespace zq {
// Readings first..last (−1: to the end) of one group, or everything.
struct ReadingRange
{
    int group = -1; // −1: every group, whole
    int first = 0;
    int last = -1;
    bool holds(int g, int i) const { return group < 0 || (g == group && i >= first && (last < 0 || i <= last)); }
};

// The text export as GBK bytes with CRLF line ends. A range keeps the lines
// the whole export writes for it (numbers and group header as they are).
QByteArray exportText(const Record &record, const ReadingRange &range = {});
QString exportTextUnicode(const Record &record, const ReadingRange &range = {});
QByteArray toGbk(const QString &text);

// Spreadsheet export: UTF-8 with a byte-order mark, RFC 4180, failed readings empty.
QByteArray exportCsv(const Record &record, const ReadingRange &range = {});

// "mmmyyyyd": Jul20065 for 5 July 2006 in an English locale.
QString defaultExportName(const QDate &date, const QLocale &locale);

// The extensions a dialog filter names: "CSV (*.csv)" gives {"csv"}.
QStringList filterExtensions(const QString &filter);

// A name keeps an extension that one of the filters offers (whatever its case);
// any other name gets the selected filter's first one, so "Dez.20265" becomes
// "Dez.20265.Txt".
QString withFilterExtension(const QString &path, const QString &selectedFilter, const QStringList &filters);
} // namespace zq
