// The window's side of data files and exports.
#include "window/filecommands.h"

#include "core/datafile.h"
#include "core/filewrite.h"
#include "document/document.h"
#include "document/usecases.h"
#include "window/archivecontrol.h"
#include "window/desk.h"
#include "window/downloads.h"

#include <QDate>
#include <QLocale>

namespace {
const QString kOpenFailed = QStringLiteral("文件无法打开：%1\n%2");
// Each kind of file dialog starts in the folder last used for it, across runs.
const QString kDataFolder = QStringLiteral("folders/data");
const QString kExportFolder = QStringLiteral("folders/export");
} // namespace

FileCommands::FileCommands(
    Desk &desk, zq::Document &document, DownloadControl &downloads, ArchiveControl &archive, QObject *parent)
    : QObject(parent)
    , m_desk(desk)
    , m_doc(document)
    , m_downloads(downloads)
    , m_archive(archive)
{ }

bool FileCommands::confirmDiscard()
{
    if (!m_doc.record().holdsData())
        return true;
    const auto answer = m_desk.dialogs().message(zq::kDiscardQuestion, QStringLiteral("提示信息"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Critical, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return false;
    Q_EMIT discarded();
    return true;
}

void FileCommands::save()
{
    if (m_downloads.busy())
        return;
    if (!m_doc.record().holdsData()) {
        m_desk.tellNoData();
        return;
    }
    QString path = m_desk.dialogs().saveFile(
        QString(), m_desk.inFolder(kDataFolder, commonDialogFileName), {zq::kDataFilter}, nullptr);
    if (path.isEmpty())
        return;
    m_desk.rememberFolder(kDataFolder, path);
    path = zq::withFilterExtension(path, zq::kDataFilter, {zq::kDataFilter});
    commonDialogFileName = path;
    saveTo(path);
}

void FileCommands::saveTo(const QString &path)
{
    const QByteArray bytes = zq::dataFileBytes(m_doc.record());
    if (bytes.isEmpty())
        return;
    QString error;
    if (!zq::writeFileWhole(path, bytes, &error))
        m_desk.tellFailure(zq::kSaveFailed.arg(QDir::toNativeSeparators(path), error));
    else
        rememberRecent(path);
}

void FileCommands::open()
{
    // Nothing else may load while a transfer is under way.
    if (m_downloads.busy() || !confirmDiscard())
        return;
    const QString path = m_desk.dialogs().openFile(
        QString(), m_desk.inFolder(kDataFolder, commonDialogFileName), {zq::kDataFilter, zq::kAllFilesFilter});
    if (path.isEmpty())
        return;
    m_desk.rememberFolder(kDataFolder, path);
    load(path);
}

void FileCommands::openFile(const QString &path)
{
    if (m_downloads.busy() || !confirmDiscard())
        return;
    load(path);
}

void FileCommands::load(const QString &path)
{
    commonDialogFileName = path;
    const zq::DataFileRead read = zq::readDataFile(path);
    if (!read.ok) {
        // Nothing half-read stays behind: the window is left empty.
        Q_EMIT recordOpened(zq::Record(), QStringLiteral("STYLE"), QString());
        m_desk.tellFailure(kOpenFailed.arg(QDir::toNativeSeparators(path), read.error));
        return;
    }
    Q_EMIT recordOpened(
        read.record, read.record.isSequence() ? QStringLiteral("STYLE 0") : QStringLiteral("STYLE ZQ"), path);
    rememberRecent(path);
    m_archive.keepRun(read.record, path, nullptr);
    // Any file reads as data; one that holds nothing, or could not have come
    // whole from the instrument, is said so and left as it is.
    if (!read.warning().isEmpty())
        m_desk.tellFailure(QDir::toNativeSeparators(path) + QLatin1Char('\n') + read.warning());
}

void FileCommands::exportAll()
{
    if (m_downloads.busy())
        return;
    if (!m_doc.record().holdsData()) {
        m_desk.tellNoData();
        return;
    }
    bool csv = false;
    const QString path = askExportPath(zq::defaultExportName(QDate::currentDate(), QLocale()), &csv);
    if (!path.isEmpty())
        exportTo(path, csv);
}

void FileCommands::exportRange()
{
    const zq::Document::Range range = m_doc.range();
    if (!range || m_downloads.busy())
        return;
    bool csv = false;
    const QString path = askExportPath(zq::defaultExportName(QDate::currentDate(), QLocale())
            + QStringLiteral("-%1-%2").arg(range->first).arg(range->second),
        &csv);
    if (!path.isEmpty())
        exportTo(path, csv, {m_doc.group(), range->first, range->second});
}

QString FileCommands::askExportPath(const QString &name, bool *csv)
{
    commonDialogFileName = name;
    QString filter = zq::kTextFilter;
    QString path = m_desk.dialogs().saveFile(
        QString(), m_desk.inFolder(kExportFolder, commonDialogFileName), {zq::kTextFilter, zq::kCsvFilter}, &filter);
    if (!path.isEmpty())
        m_desk.rememberFolder(kExportFolder, path);
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

void FileCommands::exportTo(const QString &path, bool csv, const zq::ReadingRange &range)
{
    QString error;
    if (m_doc.record().holdsData() && !zq::exportRun(m_doc.record(), path, csv, range, &error))
        m_desk.tellFailure(zq::kSaveFailed.arg(QDir::toNativeSeparators(path), error));
}

void FileCommands::openDropped(const QStringList &files)
{
    if (files.isEmpty() || m_downloads.busy())
        return;
    const QString &first = files.first();
    if (QFileInfo(first).suffix().compare(QLatin1String("ZQ"), Qt::CaseInsensitive) != 0) {
        m_desk.tellFailure(
            QStringLiteral("不是温度数据文件（.ZQ），没有打开：\n%1").arg(QDir::toNativeSeparators(first)));
        return;
    }
    openFile(first);
    if (files.size() > 1) {
        QStringList others;
        for (const QString &f : files.mid(1))
            others.append(QDir::toNativeSeparators(f));
        m_desk.tellFailure(QStringLiteral("一次只能打开一个文件。已打开 %1，以下文件没有打开：\n%2")
                               .arg(QFileInfo(first).fileName(), others.join(QLatin1Char('\n'))));
    }
}
