#pragma once

#include "core/workspace.h"

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>

namespace zq {
// The text export as GBK bytes with CRLF line ends.
QByteArray exportText(const Workspace &ws);
QString exportTextUnicode(const Workspace &ws);
QByteArray toGbk(const QString &text);

// Spreadsheet export: UTF-8 with a byte-order mark, RFC 4180, failed readings empty.
QByteArray exportCsv(const Workspace &ws);

// "mmmyyyyd": Jul20065 for 5 July 2006 in an English locale.
QString defaultExportName(const QDate &date, const QLocale &locale);

// The extension a filter entry asks for, added when the user typed none.
QString withDefaultExtension(const QString &path, const QString &extension);
} // namespace zq
