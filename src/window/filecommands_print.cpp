// PRINT and 工艺报告 from the window, and the recent files.
#include "document/document.h"
#include "document/usecases.h"
#include "print/printsurface.h"
#include "print/reportpaint.h"
#include "window/analysiswindow.h"
#include "window/archivecontrol.h"
#include "window/desk.h"
#include "window/downloads.h"
#include "window/filecommands.h"

#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
const QString kRecentKey = QStringLiteral("files/recent");
constexpr int kRecentMax = 8;
} // namespace

void FileCommands::print()
{
    if (m_downloads.busy())
        return;
    if (!m_doc.record().holdsData()) {
        m_desk.tellNoData(QStringLiteral("没有温度数据供打印"));
        return;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) {
        QPrinter printer(info, QPrinter::HighResolution);
        if (!printReport(printer))
            m_desk.tellFailure(QStringLiteral("打印失败：打印机 %1 无法完成打印。").arg(info.printerName()));
        return;
    }
    QString path;
    QString error;
    if (askPdfPath(
            QStringLiteral("没有可用的打印机。\n是否将报表保存为 PDF 文件？"), QStringLiteral("温度数据.pdf"), &path)
        && !zq::writeReportPdf(path, m_doc.record(), reportParams(), &error))
        m_desk.tellFailure(zq::kSaveFailed.arg(QDir::toNativeSeparators(path), error));
}

bool FileCommands::askPdfPath(const QString &question, const QString &name, QString *path)
{
    const auto answer = m_desk.dialogs().message(
        question, zq::kBoxTitle, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return false;
    *path = m_desk.dialogs().saveFile(QString(), m_desk.inFolder(zq::kPdfFolder, name), {zq::kPdfFilter}, nullptr);
    if (path->isEmpty())
        return false;
    m_desk.rememberFolder(zq::kPdfFolder, *path);
    *path = zq::withFilterExtension(*path, zq::kPdfFilter, {zq::kPdfFilter});
    return true;
}

zq::ReportParams FileCommands::reportParams() const
{
    return zq::reportParams(m_doc.view());
}

bool FileCommands::printReport(QPrinter &printer)
{
    return zq::paintReport(printer, m_doc.record(), reportParams()) && printer.printerState() != QPrinter::Error;
}

bool FileCommands::gatherProcessReport(zq::ProcessReport *report)
{
    AnalysisWindow *a = analysis();
    // A field that does not parse would drop its criterion: no verdict, so no report.
    if (const QString problem = a->fieldProblem(); !problem.isEmpty()) {
        m_desk.tellFailure(QStringLiteral("工艺分析中%1，没有结论，不生成工艺报告。").arg(problem));
        return false;
    }
    a->setCalibration(m_archive.calibrationNow()); // links made in 记录库 since
    zq::ProcessReport r = zq::processFigures(
        m_doc.record(), m_doc.group(), a->recipe(), m_doc.range(), a->placed(), a->alignment(), a->calibration());
    bool fromFile = false;
    const zq::RunFile file = zq::runBytes(m_doc.record(), m_doc.path(), &fromFile);
    zq::fillFromArchive(&r, file, m_doc.path(), fromFile, m_archive.archive());
    if (const QString missing = zq::missingFieldsText(r); !missing.isEmpty()) {
        m_desk.tellFailure(
            QStringLiteral("配方要求填写：%1\n请在记录库（Ctrl+L）中填写后再生成工艺报告。").arg(missing));
        return false;
    }
    r.company = a->company();
    m_desk.settings().setValue(QStringLiteral("report/company"), r.company);
    r.printed = QDateTime::currentDateTime();
    *report = r;
    return true;
}

void FileCommands::printProcessReport(bool readings)
{
    if (!m_doc.record().holdsData() || m_downloads.busy())
        return;
    zq::ProcessReport r;
    if (!gatherProcessReport(&r))
        return;
    r.readings = readings;
    // As PRINT: the default printer, or a PDF when there is none.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    bool made = false;
    QString path;
    QString error;
    if (!info.isNull()) {
        QPrinter printer(info, QPrinter::HighResolution);
        made = zq::printProcessReport(printer, r) && printer.printerState() != QPrinter::Error;
        if (!made)
            m_desk.tellFailure(QStringLiteral("打印失败：打印机 %1 无法完成打印。").arg(info.printerName()));
    } else if (askPdfPath(QStringLiteral("没有可用的打印机。\n是否将工艺报告保存为 PDF 文件？"),
                   QStringLiteral("工艺报告.pdf"), &path)) {
        made = zq::writeProcessReportPdf(path, r, QPageSize::A4, &error);
        if (!made)
            m_desk.tellFailure(zq::kSaveFailed.arg(QDir::toNativeSeparators(path), error));
    }
    // The report made is a verdict given: it goes with the run, as 记录结论 does.
    if (made)
        m_archive.recordVerdict(r.check);
}

QStringList FileCommands::recentFiles() const
{
    return m_desk.settings().value(kRecentKey).toStringList();
}

void FileCommands::rememberRecent(const QString &path)
{
    QStringList files = recentFiles();
    const QString full = QFileInfo(path).absoluteFilePath();
    files.removeAll(full);
    files.prepend(full);
    m_desk.settings().setValue(kRecentKey, files.mid(0, kRecentMax));
}

void FileCommands::showRecentMenu(const QPoint &at, QWidget *over)
{
    if (m_downloads.busy())
        return;
    auto *menu = new QMenu(over);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto addFile = [this, menu](const QString &text, const QString &path) {
        QAction *action = menu->addAction(text, this, [this, path] { openFile(path); });
        action->setEnabled(QFileInfo::exists(path));
        action->setToolTip(QDir::toNativeSeparators(path));
    };
    menu->addAction(QStringLiteral("记录库…  (Ctrl+L)"), &m_archive, &ArchiveControl::showArchive);
    menu->addSeparator();
    // The newest kept download first: the way back to a record not saved.
    if (const QString kept = m_downloads.lastKept(); !kept.isEmpty() && QFileInfo::exists(kept)) {
        addFile(QStringLiteral("最近一次接收  %1").arg(QFileInfo(kept).fileName()), kept);
        menu->addSeparator();
    }
    QStringList files = recentFiles();
    for (const QString &path : files) {
        const QFileInfo info(path);
        addFile(QStringLiteral("%1  —  %2").arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath())), path);
    }
    if (menu->isEmpty())
        menu->addAction(QStringLiteral("没有最近的文件"))->setEnabled(false);
    // Shown this once, disabled; gone from the list from now on.
    files.erase(std::remove_if(files.begin(), files.end(), [](const QString &p) { return !QFileInfo::exists(p); }),
        files.end());
    m_desk.settings().setValue(kRecentKey, files);
    menu->popup(at);
}
