// Reading the record on the chart: summary line, pointer readout, wheel, the
// chart's menu (fit, copy, save), and a double-click on the list.
#include "chart/chart.h"
#include "core/filewrite.h"
#include "core/summary.h"
#include "core/textexport.h"
#include "core/view.h"
#include "window/analysiswindow.h"
#include "window/chartbox.h"
#include "window/dialogs.h"
#include "window/form1.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>

void Form1::connectViewAids()
{
    connect(chartBox, &ChartBox::pointerMoved, this, [this](int x) {
        if (x < 0)
            return;
        QString text = zq::readoutAt(m_record, m_view, x);
        // A note's text shows when the pointer is over its marker.
        for (const zq::RunNote &n : m_notes)
            if (const int at = zq::columnOf(m_record, m_view, n.atReading); at >= 0 && qAbs(at - x) <= 3)
                text += QStringLiteral("  ▸ ") + n.text;
        chartBox->setReadoutText(text + referenceReadout(x));
    });
    connect(chartBox, &ChartBox::wheeled, this, [this](int notches, bool sideways) {
        QScrollBar *bar = sideways ? viewBar : scaleBar;
        // Up shows higher readings (the bar's top arrow) or earlier ones.
        const auto action = notches > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd;
        for (int i = 0; i < qAbs(notches); ++i)
            bar->triggerAction(action);
    });
    chartBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chartBox, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        auto *menu = new QMenu(chartBox);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addAction(QStringLiteral("适合温度范围"), this, &Form1::fitToReadings)->setEnabled(m_record.holdsData());
        menu->addAction(QStringLiteral("复制图像"), this, &Form1::copyChartImage);
        menu->addAction(
            m_range ? QStringLiteral("保存图像（选区）…") : QStringLiteral("保存图像…"), this, &Form1::saveChartImage);
        addRangeActions(menu);
        menu->addAction(QStringLiteral("添加注释…"), this, [this, at] { addNote(at.x()); })
            ->setEnabled(zq::readingAt(m_record, m_view, at.x()) >= 0);
        menu->addSeparator();
        menu->addAction(QStringLiteral("工艺分析…  (F3)"), this, &Form1::showAnalysis);
        menu->popup(chartBox->mapToGlobal(at));
    });
}

AnalysisWindow *Form1::showAnalysis()
{
    if (!m_analysis) {
        m_analysis = new AnalysisWindow(m_recipes, this);
        connect(m_analysis, &AnalysisWindow::judged, this, &Form1::recordVerdict);
        connect(m_analysis, &AnalysisWindow::recipeUsed, this, &Form1::rememberRecipe);
        connect(m_analysis, &AnalysisWindow::recipeChanged, this, [this](const zq::Recipe &recipe) {
            m_recipe = recipe;
            redraw();
        });
        analyzeRun();
        m_analysis->chooseRecipe(recipeToOpen());
        connectAnalysis();
        tellViewSpan();
        // Beside the main window, not over it, and whole on its screen.
        const QRect screen = this->screen()->availableGeometry();
        const QSize frame(16, 40); // title bar and borders, before the window system has told them
        const QSize size = m_analysis->size().boundedTo(screen.size() - frame);
        QPoint at = frameGeometry().topRight() + QPoint(8, 0);
        at.setX(qMax(screen.left(), qMin(at.x(), screen.right() - size.width() - frame.width())));
        at.setY(qMax(screen.top(), qMin(at.y(), screen.bottom() - size.height() - frame.height())));
        m_analysis->resize(size);
        m_analysis->move(at);
    }
    m_analysis->show();
    m_analysis->raise();
    return m_analysis;
}

void Form1::setRecipeFolder(const QString &folder)
{
    m_recipes = zq::RecipeStore(folder);
}

void Form1::fitToReadings()
{
    const int base = zq::fitBase(m_record, m_view);
    if (base > 0)
        scaleBar->setValue(-base);
}

QImage Form1::chartImage() const
{
    // The scale bar and its captions left of the chart, then the chart.
    const QRect scale(chartBox->x() - 63, chartBox->y(), 63, zq::kChartHeight);
    QImage image(scale.width() + zq::kChartWidth, zq::kChartHeight, QImage::Format_RGB32);
    image.fill(QColor(236, 240, 244));
    QPainter p(&image);
    p.drawImage(QPoint(0, 0), m_layer, scale);
    p.drawImage(scale.width(), 0, chartBox->image());
    return image;
}

void Form1::copyChartImage()
{
    QApplication::clipboard()->setImage(chartImage());
}

void Form1::saveChartImage()
{
    const QString kind = m_record.isSequence() ? QStringLiteral("STYLE0")
        : m_record.isTimeStamped()             ? QStringLiteral("STYLE1")
                                               : QStringLiteral("chart");
    const QString filter = QStringLiteral("PNG (*.png)");
    QString path = m_dialogs->saveFile(QString(),
        QStringLiteral("温度曲线-%1-%2.png").arg(kind, QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))),
        {filter}, nullptr);
    if (path.isEmpty())
        return;
    path = zq::withFilterExtension(path, filter, {filter});
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString error = QStringLiteral("无法生成图像");
    if (!(m_range ? rangeImage() : chartImage()).save(&buffer, "PNG") || !zq::writeFileWhole(path, png, &error))
        tellFailure(QStringLiteral("图像没有保存：%1\n%2").arg(QDir::toNativeSeparators(path), error));
}

void Form1::onListDoubleClicked(QListWidgetItem *item)
{
    showReading(readingList->row(item));
}
