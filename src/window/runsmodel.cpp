#include "window/runsmodel.h"

#include "archive/archive.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QProxyStyle>
#include <QStyleOptionHeader>
#include <QTableView>

namespace {
const char *const kColumns[]
    = {"", "日期", "类型", "读数", "峰值", "设备", "工件", "操作员", "结论", "备注", "文件", "添加时间", "状态"};
constexpr int kColumnCount = 13;
constexpr int kFileColumn = 10;
constexpr int kAddedColumn = 11;
constexpr int kVerdictColumn = 8;
constexpr int kStateColumn = 12;

// Qt's styles draw an ascending order as ▼; in the lists our users work
// with, ▲ stands over the smallest first. The header draws them round.
class OrderArrowStyle : public QProxyStyle
{
public:
    void drawPrimitive(
        PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        const auto *header = qstyleoption_cast<const QStyleOptionHeader *>(option);
        if (element != PE_IndicatorHeaderArrow || !header)
            return QProxyStyle::drawPrimitive(element, option, painter, widget);
        QStyleOptionHeader turned(*header);
        turned.sortIndicator = header->sortIndicator == QStyleOptionHeader::SortUp ? QStyleOptionHeader::SortDown
                                                                                   : QStyleOptionHeader::SortUp;
        QProxyStyle::drawPrimitive(element, &turned, painter, widget);
    }
};

// The table's columns: 0 hash, 1 the run's time, 2 type, 3 readings, 4 peak,
// 5 equipment, 6 load, 7 operator, 8 verdict, 9 comment, 10 file, 11 added, 12 state.
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
    zq::Archive &archive, std::function<void(const QString &, const zq::RunFields &)> edited, QObject *parent)
    : QSqlQueryModel(parent)
    , m_archive(archive)
    , m_edited(std::move(edited))
{ }

QVariant RunsModel::data(const QModelIndex &index, int role) const
{
    QVariant value = QSqlQueryModel::data(index, role);
    if (role == Qt::DisplayRole && index.column() == kStateColumn)
        return zq::stateText(zq::RunState(value.toInt()));
    if (role != Qt::DisplayRole || (index.column() != 1 && index.column() != kAddedColumn))
        return value;
    // Stored as ISO text; a person reads the local short form.
    const QDateTime when = QDateTime::fromString(value.toString(), Qt::ISODate);
    return when.isValid() ? QLocale().toString(when.toLocalTime(), QLocale::ShortFormat)
                          : value.toString().replace(QLatin1Char('T'), QLatin1Char(' '));
}

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
    if (run)
        m_edited(sha, f);
    return run.has_value();
}

void showRunColumns(QTableView *table, int order)
{
    QHeaderView *header = table->horizontalHeader();
    if (!dynamic_cast<OrderArrowStyle *>(header->style())) {
        auto *style = new OrderArrowStyle;
        style->setParent(header);
        header->setStyle(style);
    }
    for (int c = 1; c < kColumnCount; ++c)
        table->model()->setHeaderData(c, Qt::Horizontal, QString::fromUtf8(kColumns[c]));
    table->hideColumn(0);
    // The file's name stands beside the date, so runs can be told apart; the
    // model keeps it last, where no edit counts on a column. A new query
    // resets the sections, so this is done after every one.
    header->moveSection(header->visualIndex(kFileColumn), 2);
    // Where a run stands, read beside its verdict.
    header->moveSection(header->visualIndex(kStateColumn), header->visualIndex(kVerdictColumn) + 1);
    for (int c : {1, kFileColumn, kAddedColumn, kStateColumn})
        table->resizeColumnToContents(c);
    header->setSortIndicator(qAbs(order) - 1, order < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
}
