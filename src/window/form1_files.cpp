// The window's side of data files, exports and the printed report.
#include "core/datafile.h"
#include "core/textexport.h"
#include "print/printsurface.h"
#include "print/report.h"
#include "print/reportpaint.h"
#include "window/chartbox.h"
#include "window/dialogs.h"
#include "window/form1.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString kSaveFailed = QStringLiteral("文件没有保存：%1\n%2");
const QString kOpenFailed = QStringLiteral("文件无法打开：%1\n%2");
const QString kPdfFilter = QStringLiteral("PDF (*.pdf)");
// Each kind of file dialog starts in the folder last used for it, across runs.
const QString kDataFolder = QStringLiteral("folders/data");
const QString kExportFolder = QStringLiteral("folders/export");
const QString kPdfFolder = QStringLiteral("folders/pdf");
} // namespace

void Form1::Command1_Click()
{
    if (m_download->active())
        return;
    if (ws.havedata == 0) {
        m_dialogs->message(zq::kNoData, zq::kBoxTitle, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    QString path
        = m_dialogs->saveFile(QString(), inFolder(kDataFolder, commonDialogFileName), {zq::kDataFilter}, nullptr);
    if (path.isEmpty())
        return;
    rememberFolder(kDataFolder, path);
    path = zq::withFilterExtension(path, zq::kDataFilter, {zq::kDataFilter});
    commonDialogFileName = path;
    SAVEfile(path);
}

void Form1::SAVEfile(const QString &path)
{
    const QByteArray bytes = zq::dataFileBytes(ws);
    if (bytes.isEmpty())
        return;
    QString error;
    if (!zq::writeFileWhole(path, bytes, &error))
        tellFailure(kSaveFailed.arg(QDir::toNativeSeparators(path), error));
    else
        rememberRecent(path);
}

void Form1::Command2_Click()
{
    // A transfer fills the workspace: nothing else may load into it meanwhile.
    if (m_download->active())
        return;
    if (!confirmDiscard())
        return;
    const QString path = m_dialogs->openFile(QString(), inFolder(kDataFolder, commonDialogFileName), {zq::kDataFilter});
    if (path.isEmpty())
        return;
    rememberFolder(kDataFolder, path);
    loadFile(path);
}

void Form1::openDataFile(const QString &path)
{
    if (m_download->active() || !confirmDiscard())
        return;
    loadFile(path);
}

void Form1::loadFile(const QString &path)
{
    commonDialogFileName = path;
    OPENfile(path);
    loadwd(0);
    if (ws.havedata == 0)
        return;
    rememberRecent(path);
    // Any file reads as data; one that could not have come from the
    // instrument is said so, and left as it is.
    const int damaged = zq::implausibleRecords(ws);
    if (damaged > 0)
        tellFailure(QStringLiteral("%1\n有 %2 条记录看起来已损坏：这可能不是本程序的温度数据文件。文件已按原样打开。")
                        .arg(QDir::toNativeSeparators(path))
                        .arg(damaged));
}

void Form1::OPENfile(const QString &path)
{
    QByteArray bytes;
    QString error;
    if (!zq::readFileHead(path, zq::kTimeFileBytes, &bytes, &error)) {
        // Nothing half-read stays behind: the workspace is left empty.
        ws.clearCounts();
        ws.datatype = zq::NoData;
        ws.havedata = 0;
        Label2->setText(QStringLiteral("STYLE"));
        tellFailure(kOpenFailed.arg(QDir::toNativeSeparators(path), error));
        return;
    }
    zq::loadDataFileBytes(ws, bytes);
    Label2->setText(ws.datatype == zq::SequenceData ? QStringLiteral("STYLE 0") : QStringLiteral("STYLE ZQ"));
}

void Form1::Command4_Click()
{
    if (m_download->active())
        return;
    if (ws.havedata == 0) {
        m_dialogs->message(zq::kNoData, zq::kBoxTitle, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    commonDialogFileName = zq::defaultExportName(QDate::currentDate(), QLocale());
    QString filter = zq::kTextFilter;
    QString path = m_dialogs->saveFile(
        QString(), inFolder(kExportFolder, commonDialogFileName), {zq::kTextFilter, zq::kCsvFilter}, &filter);
    if (!path.isEmpty())
        rememberFolder(kExportFolder, path);
    if (filter.isEmpty())
        filter = zq::kTextFilter;
    if (path.isEmpty())
        return;
    const QStringList filters{zq::kTextFilter, zq::kCsvFilter};
    path = zq::withFilterExtension(path, filter, filters);
    // The name decides the format: data.csv is CSV whichever filter was picked.
    const bool csv = QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    commonDialogFileName = path;
    SAVEexcel(path, csv);
}

void Form1::SAVEexcel(const QString &path, bool csv)
{
    if (ws.datatype != zq::SequenceData && ws.datatype != zq::TimeData)
        return;
    const QByteArray bytes = csv ? zq::exportCsv(ws) : zq::exportText(ws);
    QString error;
    if (!zq::writeFileWhole(path, bytes, &error))
        tellFailure(kSaveFailed.arg(QDir::toNativeSeparators(path), error));
}

void Form1::打印_Click()
{
    if (m_download->active())
        return;
    if (ws.datatype == zq::NoData) {
        m_dialogs->message(
            QStringLiteral("没有温度数据供打印"), zq::kBoxTitle, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    printfeetm();
}

void Form1::printfeetm()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        printToPdf();
        return;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printReport(printer))
        tellFailure(QStringLiteral("打印失败：打印机 %1 无法完成打印。").arg(info.printerName()));
}

void Form1::printToPdf()
{
    const auto answer = m_dialogs->message(QStringLiteral("没有可用的打印机。\n是否将报表保存为 PDF 文件？"),
        zq::kBoxTitle, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    QString path
        = m_dialogs->saveFile(QString(), inFolder(kPdfFolder, QStringLiteral("温度数据.pdf")), {kPdfFilter}, nullptr);
    if (path.isEmpty())
        return;
    rememberFolder(kPdfFolder, path);
    path = zq::withFilterExtension(path, kPdfFilter, {kPdfFilter});
    QString error;
    if (!zq::writeReportPdf(path, ws, reportParams(), &error))
        tellFailure(kSaveFailed.arg(QDir::toNativeSeparators(path), error));
}

zq::ReportParams Form1::reportParams() const
{
    zq::ReportParams params = zq::reportParams(selectedGroup());
    params.groupColour = groupColour(params.group);
    return params;
}

bool Form1::printReport(QPrinter &printer)
{
    return zq::paintReport(printer, ws, reportParams()) && printer.printerState() != QPrinter::Error;
}

void Form1::setKeepDir(const QString &dir)
{
    m_keepDir = dir;
    m_dialogs->places = {keepDir()};
}

QString Form1::keepDir() const
{
    if (!m_keepDir.isEmpty())
        return m_keepDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/downloads");
}

void Form1::keepCopy(bool tellFailureToUser)
{
    const bool any
        = (ws.datatype == zq::SequenceData && ws.wdnum > 0) || (ws.datatype == zq::TimeData && ws.groupCount(0) > 0);
    if (!any)
        return;
    QString error;
    const QString path = zq::keepDownload(keepDir(), ws, QDateTime::currentDateTime(), &error);
    if (!path.isEmpty()) {
        m_lastKept = path;
        return;
    }
    if (tellFailureToUser)
        tellFailure(QStringLiteral("接收的数据未能自动保存到 %1\n%2\n数据仍在窗口中，请用 SAVE 保存。")
                        .arg(QDir::toNativeSeparators(keepDir()), error));
}

QString Form1::inFolder(const QString &kind, const QString &name) const
{
    const QString folder = m_settings->value(kind).toString();
    if (folder.isEmpty() || !QDir(folder).exists())
        return name;
    // No name yet: the dialog opens in the folder.
    return name.isEmpty() ? folder : QDir(folder).filePath(QFileInfo(name).fileName());
}

void Form1::rememberFolder(const QString &kind, const QString &path)
{
    m_settings->setValue(kind, QFileInfo(path).absolutePath());
}
