#pragma once

#include "core/workspace.h"

#include <QStringList>

namespace zq {
QString sequenceLine(int index, int reading);
QString timeLine(const WDREC &rec);

// Every line of the reading list for the data held and the selected group.
QStringList readingLines(const Workspace &ws, int group);
} // namespace zq
