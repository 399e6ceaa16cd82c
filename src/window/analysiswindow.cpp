#include "window/analysiswindow.h"
#include "window/figurestable.h"

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

AnalysisWindow::AnalysisWindow(const zq::RecipeStore &store, zq::Document &document, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_store(store)
    , m_doc(document)
{
    setWindowTitle(QStringLiteral("工艺分析"));
    setObjectName(QStringLiteral("analysisWindow"));
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(buildBanner());
    outer->addWidget(buildCalibrationRow());
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
    scroll->setMinimumWidth(320);
    sides->addWidget(scroll);
    auto *layout = new QVBoxLayout(left);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *top = new QHBoxLayout;
    recipeBox = new QComboBox(this);
    recipeBox->setObjectName(QStringLiteral("recipeBox"));
    listRecipes();
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
    problemLabel = new QLabel(this);
    problemLabel->setStyleSheet(QStringLiteral("color: rgb(180, 40, 40);"));
    problemLabel->setWordWrap(true);
    layout->addWidget(problemLabel);
    layout->addStretch(1);
    figures = new FiguresTable(this);
    sides->addWidget(figures, 1);
    resize(1040, 800);
    connect(recipeBox, &QComboBox::textActivated, this, &AnalysisWindow::chooseRecipe);
    connect(save, &QPushButton::clicked, this, &AnalysisWindow::saveRecipe);
    connect(copy, &QPushButton::clicked, this, &AnalysisWindow::copyFigures);
    connect(&m_doc, &zq::Document::recordChanged, this, &AnalysisWindow::runChanged);
    connect(&m_doc, &zq::Document::viewChanged, this, &AnalysisWindow::viewChanged);
    connect(&m_doc, &zq::Document::rangeChanged, this, [this] { update(); });
    m_group = m_doc.group();
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

void AnalysisWindow::update()
{
    placeReference();
    m_analysis = zq::analyze(m_doc.record(), m_doc.recipe(), m_doc.group(), 0, -1, correction());
    if (!m_unparsed.isEmpty()) {
        // A criterion whose field does not parse is not there to be judged: no verdict at all.
        m_analysis.criteria.clear();
        m_analysis.pass.reset();
    }
    const QVector<zq::FigureRow> rows = m_doc.record().holdsData()
        ? zq::figureRows(m_analysis, m_doc.record()) + extraRows()
        : QVector<zq::FigureRow>{};
    showWholeRun();
    figures->setRows(rows);
    showVerdict();
}
