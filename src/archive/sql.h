#pragma once

#include "archive/archive.h"

#include <QSqlQuery>
#include <QString>

// What the archive's source files share: running a statement, and a run's
// columns and their reading into a row.
namespace zq::sql {
QString now();
bool exec(QSqlQuery &q, QString *error);
bool exec(const QSqlDatabase &db, const QString &statement, QString *error);
// A run's columns, its checks counted over `history` (Archive::historySource()).
QString runColumns(const QString &history);
// A run's RunState as a number: its last signature or withdrawal decides, as signaturesOf() reads the rows.
QString runState(const QString &history);
RunRow rowFrom(const QSqlQuery &q);
// Text for LIKE … ESCAPE '!': its %, _ and ! match themselves.
QString likeEscaped(QString text);
} // namespace zq::sql
