#include "window/archivewindow.h"
#include "window/calibrationwindow.h"

#include "archive/archive.h"
#include "document/usecases.h"
#include "window/dialogs.h"
#include "window/historyview.h"
#include "window/runsmodel.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQueryModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QDate kAnyDay(2000, 1, 1);
} // namespace

ArchiveWindow::ArchiveWindow(zq::Archive &archive, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_archive(archive)
    , m_ownDialogs(std::make_unique<QtUserDialogs>(this))
    , m_dialogs(m_ownDialogs.get())
{
    setWindowTitle(QStringLiteral("记录库"));
    setObjectName(QStringLiteral("archiveWindow"));
    auto *layout = new QVBoxLayout(this);
    auto *filters = new QHBoxLayout;
    buildFilters(filters);
    layout->addLayout(filters);
    m_model = new RunsModel(
        archive,
        [this](const QString &sha, const zq::RunFields &f) {
            // After the editor has closed: a question asked now would close it again.
            QMetaObject::invokeMethod(
                this, [this, sha, f] { saveRun(sha, f); }, Qt::QueuedConnection);
        },
        this);
    table = new QTableView(this);
    table->setModel(m_model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double-click opens the run; a click on a selected cell, or F2, edits it.
    table->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QWidget::customContextMenuRequested, this, &ArchiveWindow::showRowMenu);
    table->horizontalHeader()->setSectionsClickable(true);
    table->horizontalHeader()->setSortIndicatorShown(true);
    table->verticalHeader()->hide();
    layout->addWidget(table, 2);
    buildFields(layout);
    resize(900, 640);
    connect(table, &QTableView::doubleClicked, this, [this](const QModelIndex &i) { openRow(i.row()); });
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        // A second click on the same column turns the order round.
        m_order = m_order == section + 1 ? -(section + 1) : section + 1;
        refresh();
    });
    refresh();
}

void ArchiveWindow::buildFields(QBoxLayout *layout)
{
    auto *form = new QFormLayout;
    for (auto [field, label] : {std::pair{&operatorField, "操作员"}, {&equipmentField, "设备"}, {&loadField, "工件"},
             {&commentField, "备注"}}) {
        *field = new QLineEdit(this);
        form->addRow(QString::fromUtf8(label), *field);
    }
    buildDeviceFields(form);
    auto *save = new QPushButton(QStringLiteral("保存字段"), this);
    save->setObjectName(QStringLiteral("saveFields"));
    auto *reference = new QPushButton(QStringLiteral("作为参考"), this);
    reference->setObjectName(QStringLiteral("asReference"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(reference);
    addSigning(buttons);
    buttons->addStretch(1);
    form->addRow(QString(), buttons);
    connect(reference, &QPushButton::clicked, this, [this] {
        if (table->currentIndex().isValid())
            if (const QString path = fileOf(table->currentIndex().row()); !path.isEmpty())
                Q_EMIT referenceFile(path);
    });
    layout->addLayout(form);
    layout->addWidget(history, 1);
    layout->addLayout(buildSharedRow());
    connect(save, &QPushButton::clicked, this, &ArchiveWindow::saveFields);
}

void ArchiveWindow::buildFilters(QBoxLayout *layout)
{
    search = new QLineEdit(this);
    search->setPlaceholderText(QStringLiteral("搜索（设备、工件、操作员、备注、注释…）"));
    equipment = new QComboBox(this);
    verdict = new QComboBox(this);
    verdict->addItems({QStringLiteral("全部结论"), QStringLiteral("PASS"), QStringLiteral("FAIL")});
    since = new QDateEdit(kAnyDay, this);
    until = new QDateEdit(kAnyDay, this);
    for (QDateEdit *d : {since, until}) {
        d->setCalendarPopup(true);
        d->setMinimumDate(kAnyDay);
        d->setSpecialValueText(QStringLiteral("不限"));
        connect(d, &QDateEdit::dateChanged, this, [this] { refresh(); });
    }
    layout->addWidget(search, 1);
    layout->addWidget(equipment);
    layout->addWidget(verdict);
    layout->addWidget(new QLabel(QStringLiteral("从"), this));
    layout->addWidget(since);
    layout->addWidget(new QLabel(QStringLiteral("到"), this));
    layout->addWidget(until);
    connect(search, &QLineEdit::textChanged, this, [this] { refresh(); });
    connect(equipment, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(verdict, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    addStateFilter(layout);
}

void ArchiveWindow::refresh(const QString &keep)
{
    QString error;
    // The equipment list follows the archive; the choice stays.
    const QString chosen = equipment->currentIndex() > 0 ? equipment->currentText() : QString();
    {
        const QSignalBlocker block(equipment);
        equipment->clear();
        equipment->addItem(QStringLiteral("全部设备"));
        equipment->addItems(m_archive.equipments(&error));
        equipment->setCurrentIndex(qMax(0, equipment->findText(chosen)));
    }
    zq::RunFilter filter;
    filter.search = search->text().trimmed();
    filter.equipment = equipment->currentIndex() > 0 ? equipment->currentText() : QString();
    filter.verdict = verdict->currentIndex() > 0 ? verdict->currentText() : QString();
    filter.state = stateChosen();
    filter.since = since->date() > kAnyDay ? since->date() : QDate();
    filter.until = until->date() > kAnyDay ? until->date() : QDate();
    m_model->setQuery(m_archive.browse(filter, m_order, &error));
    showRunColumns(table, m_order);
    if (!error.isEmpty())
        Q_EMIT problem(QStringLiteral("记录库查询失败：%1").arg(error));
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &ArchiveWindow::showSelected,
        Qt::UniqueConnection);
    // The run edited stays selected, as far as the rows fetched reach.
    for (int r = 0; !keep.isEmpty() && r < m_model->rowCount(); ++r)
        if (m_model->index(r, 0).data().toString() == keep)
            table->selectRow(r);
}

QString ArchiveWindow::selectedRun() const
{
    const QModelIndex i = table->currentIndex();
    return i.isValid() ? m_model->index(i.row(), 0).data().toString() : QString();
}

void ArchiveWindow::showSelected()
{
    QString error;
    const std::optional<zq::RunRow> run = m_archive.run(selectedRun(), &error);
    const zq::RunFields f = run ? run->fields : zq::RunFields();
    operatorField->setText(f.operatorName);
    equipmentField->setText(f.equipment);
    loadField->setText(f.load);
    commentField->setText(f.comment);
    showDevices(run);
    history->showRows(run ? m_archive.history(run->sha256, &error) : QVector<zq::HistoryRow>());
}

bool ArchiveWindow::saveFields()
{
    const QString sha = selectedRun();
    if (sha.isEmpty()) {
        Q_EMIT problem(QStringLiteral("字段没有保存：没有选中记录"));
        return false;
    }
    const zq::RunFields fields{operatorField->text(), equipmentField->text(), loadField->text(),
        thermocoupleField->currentText(), commentField->text()};
    QString error;
    const std::optional<zq::RunRow> run = m_archive.run(sha, &error);
    return saveRun(sha, fields, run ? devicesChosen(*run) : zq::DeviceChoice());
}

QString ArchiveWindow::fileOf(int row)
{
    const QString sha = m_model->index(row, 0).data().toString();
    QString error;
    QString path = m_archive.findFile(sha, &error);
    if (path.isEmpty() && m_shared)
        Q_EMIT fetchRun(sha);
    else if (path.isEmpty())
        Q_EMIT problem(
            QStringLiteral("找不到这个记录的文件：保存的副本和见过它的路径都已不在，或内容已改变。\nSHA-256：%1")
                .arg(sha));
    return path;
}

void ArchiveWindow::openRow(int row)
{
    if (const QString path = fileOf(row); !path.isEmpty())
        Q_EMIT openFile(path);
}

void ArchiveWindow::showRowMenu(const QPoint &at)
{
    const QModelIndex index = table->indexAt(at);
    if (!index.isValid())
        return;
    auto *menu = new QMenu(table);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const int row = index.row();
    menu->addAction(QStringLiteral("打开"), this, [this, row] { openRow(row); });
    menu->addAction(QStringLiteral("作为参考"), this, [this, row] {
        if (const QString path = fileOf(row); !path.isEmpty())
            Q_EMIT referenceFile(path);
    });
    menu->popup(table->viewport()->mapToGlobal(at));
}
