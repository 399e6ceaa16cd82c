#pragma once

#include "core/record.h"

#include <QStringList>

namespace zq {
QString sequenceLine(int index, int reading);
QString timeLine(const WDREC &rec);

// "07-26 13:05:09", as the list, the report and the summary write a record's time.
QString timeStamp(const WDREC &rec);
void appendTimeStamp(QString &out, const WDREC &rec);

// Every line of the reading list for the data held and the selected group.
QStringList readingLines(const Record &record, int group);
} // namespace zq
