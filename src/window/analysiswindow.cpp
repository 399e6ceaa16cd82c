#include "window/analysiswindow.h"

#include "core/analysisformat.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
std::optional<double> number(const QLineEdit *edit, bool *ok)
{
    if (edit->text().trimmed().isEmpty())
        return std::nullopt;
    bool fine = false;
    const double v = edit->text().toDouble(&fine);
    *ok = *ok && fine;
    return v;
}
} // namespace

AnalysisWindow::AnalysisWindow(const zq::RecipeStore &store, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_store(store)
{
    setWindowTitle(QStringLiteral("工艺分析"));
    setObjectName(QStringLiteral("analysisWindow"));
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(buildRunPart(), 2);
    // The recipe on the left, what it makes of the run on the right.
    auto *sides = new QHBoxLayout;
    outer->addLayout(sides, 3);
    // The recipe scrolls when the screen is small; the figures beside it stay.
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *left = new QWidget(scroll);
    scroll->setWidget(left);
    scroll->setMinimumWidth(400);
    sides->addWidget(scroll);
    auto *layout = new QVBoxLayout(left);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *top = new QHBoxLayout;
    recipeBox = new QComboBox(this);
    recipeBox->addItems(m_store.names());
    auto *save = new QPushButton(QStringLiteral("保存配方"), this);
    auto *copy = new QPushButton(QStringLiteral("复制"), this);
    top->addWidget(new QLabel(QStringLiteral("配方"), this));
    top->addWidget(recipeBox, 1);
    top->addWidget(save);
    top->addWidget(copy);
    layout->addLayout(top);
    buildReportRow(layout);
    auto *form = new QFormLayout;
    buildForm(form);
    layout->addLayout(form);
    verdictLabel = new QLabel(this);
    verdictLabel->setObjectName(QStringLiteral("verdict"));
    QFont big = verdictLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    verdictLabel->setFont(big);
    problemLabel = new QLabel(this);
    problemLabel->setStyleSheet(QStringLiteral("color: rgb(180, 40, 40);"));
    layout->addWidget(verdictLabel);
    layout->addWidget(problemLabel);
    layout->addStretch(1);
    figures = new QTableWidget(0, 3, this);
    figures->setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("数值"), QStringLiteral("单位 / 位置")});
    figures->horizontalHeader()->setStretchLastSection(true);
    figures->verticalHeader()->hide();
    figures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sides->addWidget(figures, 1);
    resize(1040, 800);
    connect(recipeBox, &QComboBox::textActivated, this, &AnalysisWindow::chooseRecipe);
    connect(save, &QPushButton::clicked, this, &AnalysisWindow::saveRecipe);
    connect(copy, &QPushButton::clicked, this, &AnalysisWindow::copyFigures);
}

void AnalysisWindow::buildReportRow(QBoxLayout *layout)
{
    auto *report = new QPushButton(QStringLiteral("工艺报告…"), this);
    report->setObjectName(QStringLiteral("processReport"));
    auto *readings = new QCheckBox(QStringLiteral("附全部读数"), this);
    readings->setObjectName(QStringLiteral("withReadings"));
    m_company = new QLineEdit(this);
    m_company->setObjectName(QStringLiteral("company"));
    m_company->setPlaceholderText(QStringLiteral("报告抬头（公司名称）"));
    connect(
        report, &QPushButton::clicked, this, [this, readings] { Q_EMIT processReportWanted(readings->isChecked()); });
    auto *reportRow = new QHBoxLayout;
    reportRow->addWidget(report);
    reportRow->addWidget(readings);
    reportRow->addWidget(m_company, 1);
    layout->addLayout(reportRow);
}

void AnalysisWindow::buildForm(QFormLayout *form)
{
    const std::tuple<QLineEdit **, const char *, const char *> fields[] = {{&m_name, "名称", "name"},
        {&m_setpoint, "设定温度 ℃", "setpoint"}, {&m_below, "下公差 ℃", "below"}, {&m_above, "上公差 ℃", "above"},
        {&m_thresholds, "温度阈值 ℃（逗号分隔）", "thresholds"}, {&m_minSoak, "最短保温（如 55m）", "minSoak"},
        {&m_maxOvershoot, "最大超调 ℃", "maxOvershoot"}, {&m_maxHeat, "最大升温速率 ℃/min", "maxHeatRate"},
        {&m_maxCool, "最大降温速率 ℃/min", "maxCoolRate"}, {&m_minPeak, "最低峰值 ℃", "minPeak"},
        {&m_maxPeak, "最高峰值 ℃", "maxPeak"}, {&m_rateWindow, "速率窗口（如 60s、10r）", "rateWindow"},
        {&m_interval, "采样间隔 s（顺序数据）", "interval"},
        {&m_schedule, "计划（如 20; +10/min→850; 60m）", "schedule"}};
    for (const auto &[edit, label, name] : fields) {
        *edit = new QLineEdit(this);
        (*edit)->setObjectName(QLatin1String(name));
        form->addRow(QString::fromUtf8(label), *edit);
        // Every edit is judged at once: the figures follow what the fields say.
        connect(*edit, &QLineEdit::textEdited, this, [this] {
            readFields();
            update();
        });
    }
    m_followSchedule = new QCheckBox(QStringLiteral("公差带跟随计划"), this);
    m_followSchedule->setObjectName(QStringLiteral("followSchedule"));
    form->addRow(QString(), m_followSchedule);
    connect(m_followSchedule, &QCheckBox::toggled, this, [this] {
        readFields();
        update();
    });
}

void AnalysisWindow::readFields()
{
    zq::Recipe r;
    bool ok = true;
    r.name = m_name->text().trimmed();
    const std::optional<double> setpoint = number(m_setpoint, &ok);
    r.hasBand = setpoint.has_value();
    r.setpoint = setpoint.value_or(0);
    r.below = number(m_below, &ok).value_or(0);
    r.above = number(m_above, &ok).value_or(0);
    for (const QString &t : m_thresholds->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool fine = false;
        r.thresholds.append(t.trimmed().toDouble(&fine));
        ok = ok && fine;
    }
    auto span = [&ok](const QLineEdit *e) {
        const auto s = e->text().trimmed().isEmpty() ? std::nullopt : zq::parseSpan(e->text());
        ok = ok && (s || e->text().trimmed().isEmpty());
        return s;
    };
    auto rate = [&ok](const QLineEdit *e) {
        const auto s = e->text().trimmed().isEmpty() ? std::nullopt : zq::parseRate(e->text());
        ok = ok && (s || e->text().trimmed().isEmpty());
        return s;
    };
    r.minSoak = span(m_minSoak);
    r.rateWindow = span(m_rateWindow);
    r.maxHeatRate = rate(m_maxHeat);
    r.maxCoolRate = rate(m_maxCool);
    r.maxOvershoot = number(m_maxOvershoot, &ok);
    r.minPeak = number(m_minPeak, &ok);
    r.maxPeak = number(m_maxPeak, &ok);
    r.intervalSec = number(m_interval, &ok).value_or(0);
    QString why;
    if (!m_schedule->text().trimmed().isEmpty()) {
        const std::optional<zq::Schedule> plan = zq::parseSchedule(m_schedule->text(), &why);
        r.schedule = plan.value_or(zq::Schedule{});
    }
    r.bandFollowsSchedule = m_followSchedule->isChecked();
    // What the form does not show stays as the recipe file said.
    r.requiredFields = m_recipe.requiredFields;
    m_recipe = r;
    problemLabel->setText(!ok ? QStringLiteral("有一项不是数值或时长（如 55m、90s、10r）")
            : !why.isEmpty()  ? why
                              : r.problem());
    Q_EMIT recipeChanged(m_recipe);
}

void AnalysisWindow::update()
{
    placeReference();
    m_analysis = zq::analyze(m_record, m_recipe, m_group);
    const QVector<zq::FigureRow> rows
        = m_record.holdsData() ? zq::figureRows(m_analysis, m_record) + extraRows() : QVector<zq::FigureRow>{};
    showWholeRun();
    figures->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        figures->setItem(i, 0, new QTableWidgetItem(rows[i].label));
        figures->setItem(i, 1, new QTableWidgetItem(rows[i].value));
        figures->setItem(i, 2, new QTableWidgetItem(rows[i].unit));
    }
    figures->resizeColumnsToContents();
    const bool judged = m_record.holdsData() && m_analysis.pass.has_value();
    const bool pass = judged && *m_analysis.pass;
    QString verdict = judged ? (pass ? QStringLiteral("PASS") : QStringLiteral("FAIL")) : QString();
    if (judged && !pass)
        for (const zq::CriterionResult &c : m_analysis.criteria)
            if (!c.pass)
                verdict += QStringLiteral("  ") + c.label;
    verdictLabel->setText(verdict);
    if (judged)
        Q_EMIT this->judged(pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"), m_recipe.name);
    verdictLabel->setStyleSheet(
        pass ? QStringLiteral("color: rgb(0, 150, 0);") : QStringLiteral("color: rgb(200, 0, 0);"));
}
