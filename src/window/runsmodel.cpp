#include "window/runsmodel.h"

#include "archive/archive.h"

namespace {
// The table's columns: 0 hash, 1 date, 2 type, 3 readings, 4 peak,
// 5 equipment, 6 load, 7 operator, 8 verdict, 9 comment.
bool editable(int column)
{
    return column == 5 || column == 6 || column == 7 || column == 9;
}

QString &field(zq::RunFields &f, int column)
{
    return column == 5 ? f.equipment : column == 6 ? f.load : column == 7 ? f.operatorName : f.comment;
}
} // namespace

RunsModel::RunsModel(
    zq::Archive &archive, std::function<void(const QString &, const QString &)> written, QObject *parent)
    : QSqlQueryModel(parent)
    , m_archive(archive)
    , m_written(std::move(written))
{ }

Qt::ItemFlags RunsModel::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags f = QSqlQueryModel::flags(index);
    return editable(index.column()) ? f | Qt::ItemIsEditable : f;
}

bool RunsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !editable(index.column()))
        return false;
    const QString sha = QSqlQueryModel::index(index.row(), 0).data().toString();
    QString error;
    const std::optional<zq::RunRow> run = m_archive.run(sha, &error);
    // The other fields as the archive holds them now, this one as typed.
    zq::RunFields f = run ? run->fields : zq::RunFields();
    field(f, index.column()) = value.toString().trimmed();
    const bool kept = run && m_archive.setFields(sha, f, &error);
    m_written(sha, kept ? QString() : error);
    return kept;
}
