#pragma once

#include <QSqlQueryModel>
#include <functional>

namespace zq {
class Archive;
}

// The runs as the archive's query gives them, with equipment, load,
// operator and comment written back to the archive when edited in place.
class RunsModel : public QSqlQueryModel
{
public:
    // `written` hears of each edit: the run, and why it was not kept (empty when it was).
    RunsModel(zq::Archive &archive, std::function<void(const QString &, const QString &)> written, QObject *parent);
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

private:
    zq::Archive &m_archive;
    std::function<void(const QString &, const QString &)> m_written;
};
