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
extern const QString kRunColumns;
// A run's RunState as a number: its last signature or withdrawal decides, as signaturesOf() reads the rows.
extern const QString kRunState;
RunRow rowFrom(const QSqlQuery &q);
// Text for LIKE … ESCAPE '!': its %, _ and ! match themselves.
QString likeEscaped(QString text);
} // namespace zq::sql
