// The window's side of data files, exports and the printed report.
#include "core/datafile.h"
#include "core/textexport.h"
#include "link/instrument.h"
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
const QString kOpenFailed = QStringLiteral("文件无法打开：%1\n%2");
// Each kind of file dialog starts in the folder last used for it, across runs.
const QString kDataFolder = QStringLiteral("folders/data");
const QString kExportFolder = QStringLiteral("folders/export");
} // namespace

void Form1::onSaveClicked()
{
    if (m_link->downloading())
        return;
    if (!m_record.holdsData()) {
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
    saveDataFile(path);
}

void Form1::saveDataFile(const QString &path)
{
    const QByteArray bytes = zq::dataFileBytes(m_record);
    if (bytes.isEmpty())
        return;
    QString error;
    if (!zq::writeFileWhole(path, bytes, &error))
        tellFailure(zq::kSaveFailed.arg(QDir::toNativeSeparators(path), error));
    else
        rememberRecent(path);
}

void Form1::onOpenClicked()
{
    // Nothing else may load while a transfer is under way.
    if (m_link->downloading())
        return;
    if (!confirmDiscard())
        return;
    const QString path = m_dialogs->openFile(
        QString(), inFolder(kDataFolder, commonDialogFileName), {zq::kDataFilter, zq::kAllFilesFilter});
    if (path.isEmpty())
        return;
    rememberFolder(kDataFolder, path);
    loadFile(path);
}

void Form1::openDataFile(const QString &path)
{
    if (m_link->downloading() || !confirmDiscard())
        return;
    loadFile(path);
}

void Form1::loadFile(const QString &path)
{
    commonDialogFileName = path;
    const zq::DataFileRead read = zq::readDataFile(path);
    if (!read.ok) {
        // Nothing half-read stays behind: the window is left empty.
        showRecord(zq::Record(), QStringLiteral("STYLE"));
        tellFailure(kOpenFailed.arg(QDir::toNativeSeparators(path), read.error));
        return;
    }
    showRecord(read.record, read.record.isSequence() ? QStringLiteral("STYLE 0") : QStringLiteral("STYLE ZQ"));
    m_runPath = path;
    rememberRecent(path);
    archiveRun(read.record, path, nullptr);
    // Any file reads as data; one that holds nothing, or could not have come
    // whole from the instrument, is said so and left as it is.
    if (!read.warning().isEmpty())
        tellFailure(QDir::toNativeSeparators(path) + QLatin1Char('\n') + read.warning());
}

void Form1::onExportClicked()
{
    if (m_link->downloading())
        return;
    if (!m_record.holdsData()) {
        m_dialogs->message(zq::kNoData, zq::kBoxTitle, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    bool csv = false;
    const QString path = askExportPath(zq::defaultExportName(QDate::currentDate(), QLocale()), &csv);
    if (!path.isEmpty())
        exportTo(path, csv);
}

QString Form1::askExportPath(const QString &name, bool *csv)
{
    commonDialogFileName = name;
    QString filter = zq::kTextFilter;
    QString path = m_dialogs->saveFile(
        QString(), inFolder(kExportFolder, commonDialogFileName), {zq::kTextFilter, zq::kCsvFilter}, &filter);
    if (!path.isEmpty())
        rememberFolder(kExportFolder, path);
    if (filter.isEmpty())
        filter = zq::kTextFilter;
    if (path.isEmpty())
        return path;
    const QStringList filters{zq::kTextFilter, zq::kCsvFilter};
    path = zq::withFilterExtension(path, filter, filters);
    // The name decides the format: data.csv is CSV whichever filter was picked.
    *csv = QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    commonDialogFileName = path;
    return path;
}

void Form1::exportTo(const QString &path, bool csv, const zq::ReadingRange &range)
{
    if (!m_record.holdsData())
        return;
    const QByteArray bytes = csv ? zq::exportCsv(m_record, range) : zq::exportText(m_record, range);
    QString error;
    if (!zq::writeFileWhole(path, bytes, &error))
        tellFailure(zq::kSaveFailed.arg(QDir::toNativeSeparators(path), error));
}

void Form1::onPrintClicked()
{
    if (m_link->downloading())
        return;
    if (!m_record.holdsData()) {
        m_dialogs->message(
            QStringLiteral("没有温度数据供打印"), zq::kBoxTitle, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    printRecord();
}

void Form1::printRecord()
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
    QString path = m_dialogs->saveFile(
        QString(), inFolder(zq::kPdfFolder, QStringLiteral("温度数据.pdf")), {zq::kPdfFilter}, nullptr);
    if (path.isEmpty())
        return;
    rememberFolder(zq::kPdfFolder, path);
    path = zq::withFilterExtension(path, zq::kPdfFilter, {zq::kPdfFilter});
    QString error;
    if (!zq::writeReportPdf(path, m_record, reportParams(), &error))
        tellFailure(zq::kSaveFailed.arg(QDir::toNativeSeparators(path), error));
}

zq::ReportParams Form1::reportParams() const
{
    return zq::reportParams(m_view);
}

bool Form1::printReport(QPrinter &printer)
{
    return zq::paintReport(printer, m_record, reportParams()) && printer.printerState() != QPrinter::Error;
}

void Form1::setKeepDir(const QString &dir)
{
    m_keepDir = dir;
    m_link->setKeepDir(keepDir());
    m_dialogs->places = {keepDir()};
}

QString Form1::keepDir() const
{
    if (!m_keepDir.isEmpty())
        return m_keepDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/downloads");
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
