#include "window/calibrationwindow.h"
#include "archive/registry.h"
#include "archive/registryreader.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CalibrationWindow::CalibrationWindow(zq::Archive &archive, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_archive(archive)
    , m_reader(new zq::RegistryReader(archive, this))
{
    setWindowTitle(QStringLiteral("校准"));
    setObjectName(QStringLiteral("calibrationWindow"));
    auto *layout = new QVBoxLayout(this);
    table = new QTableWidget(0, 8, this);
    table->setObjectName(QStringLiteral("devices"));
    table->setHorizontalHeaderLabels(
        {QStringLiteral("类别"), QStringLiteral("编号"), QStringLiteral("类型"), QStringLiteral("证书"),
            QStringLiteral("校准日期"), QStringLiteral("到期日"), QStringLiteral("状态"), QStringLiteral("使用次数")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    layout->addWidget(table, 1);
    buildForm(layout);
    resize(760, 480);
    connect(m_reader, &zq::RegistryReader::devicesRead, this, &CalibrationWindow::showDevices);
    refresh();
}

QPushButton *CalibrationWindow::opener(zq::Archive &archive, QWidget *parent)
{
    auto *button = new QPushButton(QStringLiteral("校准…"), parent);
    button->setObjectName(QStringLiteral("calibrationButton"));
    QObject::connect(button, &QPushButton::clicked, parent, [&archive, parent] {
        auto *w = parent->findChild<CalibrationWindow *>();
        if (!w)
            w = new CalibrationWindow(archive, parent);
        w->refresh();
        w->show();
        w->raise();
    });
    return button;
}

void CalibrationWindow::buildForm(QBoxLayout *layout)
{
    auto *form = new QFormLayout;
    kind = new QComboBox(this);
    kind->addItems({QStringLiteral("仪表"), QStringLiteral("热电偶")});
    type = new QComboBox(this);
    type->addItems(zq::thermocoupleTypes());
    deviceId = new QLineEdit(this);
    number = new QLineEdit(this);
    points = new QLineEdit(this);
    points->setPlaceholderText(QStringLiteral("300:+1.0,900:-1.0"));
    calibrated = new QDateEdit(QDate::currentDate(), this);
    due = new QDateEdit(QDate::currentDate().addYears(1), this);
    for (QDateEdit *d : {calibrated, due}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    const std::pair<const char *, QWidget *> rows[] = {{"类别", kind}, {"编号", deviceId}, {"热电偶类型", type},
        {"证书编号", number}, {"校准日期", calibrated}, {"到期日", due}, {"校准点", points}};
    for (const auto &[label, field] : rows) {
        field->setObjectName(QString::fromUtf8(label));
        form->addRow(QString::fromUtf8(label), field);
    }
    auto *add = new QPushButton(QStringLiteral("添加证书"), this);
    add->setObjectName(QStringLiteral("addCertificate"));
    form->addRow(QString(), add);
    problem = new QLabel(this);
    problem->setStyleSheet(QStringLiteral("color: rgb(180, 40, 40);"));
    problem->setWordWrap(true);
    layout->addLayout(form);
    layout->addWidget(problem);
    connect(kind, &QComboBox::currentIndexChanged, this, [this](int k) { type->setEnabled(k == 1); });
    type->setEnabled(false);
    connect(add, &QPushButton::clicked, this, &CalibrationWindow::addCertificate);
}

void CalibrationWindow::refresh()
{
    // A server may take its time: the table follows when the answer comes.
    m_reader->readDevices();
}

void CalibrationWindow::showDevices(const QVector<zq::Device> &devices, const QString &error)
{
    problem->setText(error);
    table->setRowCount(0);
    const QDate today = QDate::currentDate();
    for (const zq::Device &d : devices) {
        const std::optional<zq::Certificate> now = zq::inForce(d.certificates, today);
        const bool thermocouple = d.kind == zq::Device::Thermocouple;
        const QString uses = thermocouple
            ? QString::number(d.uses) + (d.maxUses > 0 ? QStringLiteral(" / %1").arg(d.maxUses) : QString())
            : QString();
        const QStringList cells{thermocouple ? QStringLiteral("热电偶") : QStringLiteral("仪表"), d.id, d.type,
            now ? now->number : QStringLiteral("—"), now ? now->calibrated.toString(Qt::ISODate) : QString(),
            now ? now->due.toString(Qt::ISODate) : QString(),
            now ? zq::dueText(zq::dueState(*now, today)) : QStringLiteral("无有效证书"), uses};
        const int row = table->rowCount();
        table->insertRow(row);
        for (int c = 0; c < cells.size(); ++c)
            table->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    table->resizeColumnsToContents();
}

bool CalibrationWindow::addCertificate()
{
    zq::Device d;
    d.kind = kind->currentIndex() == 1 ? zq::Device::Thermocouple : zq::Device::Instrument;
    d.id = deviceId->text().trimmed();
    d.type = d.kind == zq::Device::Thermocouple ? type->currentText() : QString();
    QString error;
    const std::optional<QVector<zq::CalPoint>> parsed = zq::parseCalPoints(points->text(), &error);
    const zq::Certificate c{
        number->text().trimmed(), calibrated->date(), due->date(), parsed.value_or(QVector<zq::CalPoint>{})};
    if (parsed)
        error = zq::certificateProblem(d.kind == zq::Device::Thermocouple, d.id, d.type, c);
    if (error.isEmpty() && zq::Registry(m_archive).addCertificate(d, c, &error)) {
        refresh();
        problem->clear();
        return true;
    }
    problem->setText(QStringLiteral("证书没有添加：") + error);
    return false;
}
