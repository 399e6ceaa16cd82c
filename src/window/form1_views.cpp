// The windows beside the main one (工艺分析, 记录库, About), the chart's menu,
// and what the frame passes on to its parts and controllers.
#include "about/frmabout.h"
#include "core/datafile.h"
#include "core/filewrite.h"
#include "core/view.h"
#include "link/instrument.h"
#include "window/analysiswindow.h"
#include "window/archivecontrol.h"
#include "window/chartpanel.h"
#include "window/desk.h"
#include "window/downloads.h"
#include "window/filecommands.h"
#include "window/form1.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDate>
#include <QMenu>
#include <QScreen>

AnalysisWindow *Form1::showAnalysis()
{
    if (!m_analysis) {
        m_analysis = new AnalysisWindow(m_recipes, m_doc, this);
        connect(m_analysis, &AnalysisWindow::judged, m_archive,
            [this] { m_archive->recordVerdict(m_analysis->analysis()); });
        connect(m_analysis, &AnalysisWindow::recipeUsed, m_archive, &ArchiveControl::rememberRecipe);
        connect(m_analysis, &AnalysisWindow::viewRequested, m_chart, &ChartPanel::showReading);
        connect(m_analysis, &AnalysisWindow::referenceWanted, this, &Form1::chooseReference);
        connect(m_analysis, &AnalysisWindow::processReportWanted, m_files, &FileCommands::printProcessReport);
        m_analysis->setCompany(settings().value(QStringLiteral("report/company")).toString());
        m_archive->setAnalysis(m_analysis);
        m_analysis->chooseRecipe(m_archive->recipeToOpen());
        placeAnalysis();
    }
    m_analysis->show();
    m_analysis->raise();
    return m_analysis;
}

void Form1::placeAnalysis()
{
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

void Form1::showChartMenu(int x, const QPoint &at, QWidget *over)
{
    const bool data = record().holdsData(), ranged = range().has_value();
    auto *menu = new QMenu(over);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("适合温度范围"), m_chart, &ChartPanel::fitToReadings)->setEnabled(data);
    menu->addAction(QStringLiteral("复制图像"), this, [this] { QApplication::clipboard()->setImage(chartImage()); });
    menu->addAction(
        ranged ? QStringLiteral("保存图像（选区）…") : QStringLiteral("保存图像…"), this, &Form1::saveChartImage);
    menu->addAction(QStringLiteral("导出选区…"), m_files, &FileCommands::exportRange)->setEnabled(ranged);
    menu->addAction(QStringLiteral("命名选区…"), m_archive, &ArchiveControl::nameRange)->setEnabled(ranged);
    const QVector<zq::NamedRange> named = m_archive->namedRanges();
    QMenu *saved = menu->addMenu(QStringLiteral("已命名选区"));
    saved->setEnabled(!named.isEmpty());
    for (const zq::NamedRange &r : named)
        saved->addAction(QStringLiteral("%1（%2 至 %3）").arg(r.name).arg(r.first).arg(r.last), this,
            [this, r] { m_doc.selectRange(r.first, r.last); });
    menu->addAction(QStringLiteral("参考曲线…"), this, &Form1::chooseReference)->setEnabled(data);
    const int at_ = zq::readingAt(record(), view(), x);
    menu->addAction(QStringLiteral("添加注释…"), m_archive, [this, at_] { m_archive->addNote(at_); })
        ->setEnabled(at_ >= 0);
    menu->addSeparator();
    menu->addAction(QStringLiteral("工艺分析…  (F3)"), this, &Form1::showAnalysis);
    menu->popup(at);
}

QImage Form1::chartImage() const
{
    return m_chart->chartImage();
}

void Form1::saveChartImage()
{
    const QString kind = record().isSequence() ? QStringLiteral("STYLE0")
        : record().isTimeStamped()             ? QStringLiteral("STYLE1")
                                               : QStringLiteral("chart");
    const QString filter = QStringLiteral("PNG (*.png)");
    QString path = dialogs().saveFile(QString(),
        QStringLiteral("温度曲线-%1-%2.png").arg(kind, QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))),
        {filter}, nullptr);
    if (path.isEmpty())
        return;
    path = zq::withFilterExtension(path, filter, {filter});
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString error = QStringLiteral("无法生成图像");
    const QImage image = range() ? m_chart->rangeImage() : chartImage();
    if (!image.save(&buffer, "PNG") || !zq::writeFileWhole(path, png, &error))
        m_desk->tellFailure(QStringLiteral("图像没有保存：%1\n%2").arg(QDir::toNativeSeparators(path), error));
}

void Form1::chooseReference()
{
    const QString path = dialogs().openFile(QString(), QString(), {zq::kDataFilter, zq::kAllFilesFilter});
    if (!path.isEmpty())
        useReference(path);
}

void Form1::useReference(const QString &path)
{
    const zq::DataFileRead read = zq::readDataFile(path);
    if (!read.ok || read.noReadings()) {
        m_desk->tellFailure(QStringLiteral("参考曲线没有打开：%1\n%2")
                                .arg(QDir::toNativeSeparators(path), read.ok ? read.warning() : read.error));
        return;
    }
    showAnalysis()->setReferenceRecord(read.record, QFileInfo(path).fileName());
}

void Form1::showAbout()
{
    if (!m_about) {
        // Owned by the window, so it stays above it while both are open.
        m_about = new frmAbout(dialogs(), this);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
        QRect box = m_about->frameGeometry();
        box.moveCenter(frameGeometry().center());
        m_about->move(box.topLeft());
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form1::setRecipeFolder(const QString &folder)
{
    m_recipes = zq::RecipeStore(folder);
}

void Form1::setDialogs(std::unique_ptr<UserDialogs> dialogs)
{
    m_desk->setDialogs(std::move(dialogs));
    m_desk->dialogs().places = {m_downloads->keepDir()};
}
