#pragma once

#include "core/runinfo.h"

#include <QSqlQueryModel>
#include <functional>

namespace zq {
class Archive;
}
class QTableView;

// The runs as the archive's query gives them, with equipment, load,
// operator and comment edited in place and handed on to be saved.
class RunsModel : public QSqlQueryModel
{
public:
    // `edited` gets each edit: the run and all its fields, as they would be.
    RunsModel(
        zq::Archive &archive, std::function<void(const QString &, const zq::RunFields &)> edited, QObject *parent);
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Times in the local short format; the file's whole path as a tooltip.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

private:
    zq::Archive &m_archive;
    std::function<void(const QString &, const zq::RunFields &)> m_edited;
};

// The table's columns for the runs: titles, the file's name beside the date,
// times shown in full, and the sort arrow for `order` (1-based column,
// negative: descending), drawn as the users read it: ▲ smallest first.
void showRunColumns(QTableView *table, int order);
