#pragma once

#include "core/record.h"
#include "core/textexport.h"
#include "print/processreport.h"
#include "print/report.h"

#include <QObject>
#include <functional>

class AnalysisWindow;
class ArchiveControl;
class Desk;
class DownloadControl;
class QPrinter;
namespace zq {
class Document;
}

// The window's file commands: OPEN (and its recent files), SAVE, 导出文本,
// PRINT and 工艺报告, each on the document's run.
class FileCommands : public QObject
{
    Q_OBJECT
public:
    FileCommands(
        Desk &desk, zq::Document &document, DownloadControl &downloads, ArchiveControl &archive, QObject *parent);

    void open();
    // OPEN without the dialog: a file named on the command line or dropped.
    void openFile(const QString &path);
    void openDropped(const QStringList &files);
    void save();
    void saveTo(const QString &path);
    void exportAll();
    void exportTo(const QString &path, bool csv = false, const zq::ReadingRange &range = {});
    // 导出选区…: the range as 导出文本 writes it, its lines only.
    void exportRange();
    void print();
    // The report through any printer, a PDF writer included.
    bool printReport(QPrinter &printer);
    zq::ReportParams reportParams() const;
    // 工艺报告…: the process report of the run against 工艺分析's recipe,
    // range and reference, to the printer or a PDF file.
    void printProcessReport(bool readings);
    // What that report says; false (told) when a field the recipe requires is empty.
    bool gatherProcessReport(zq::ProcessReport *report);
    // Asks before held data goes; true when the caller may go on.
    bool confirmDiscard();
    QStringList recentFiles() const;
    void showRecentMenu(const QPoint &at, QWidget *over);

    // Opens 工艺分析 when it is not; the report takes its recipe and reference.
    std::function<AnalysisWindow *()> analysis;
    // The shared file dialog's memory: the last name chosen or set.
    QString commonDialogFileName;

Q_SIGNALS:
    // A record to show (empty: the window is emptied), with the data type's caption.
    void recordOpened(const zq::Record &record, const QString &style, const QString &path);
    // The user let the data held go.
    void discarded();

private:
    void load(const QString &path);
    void rememberRecent(const QString &path);
    QString askExportPath(const QString &name, bool *csv);
    bool askPdfPath(const QString &question, const QString &name, QString *path);

    Desk &m_desk;
    zq::Document &m_doc;
    DownloadControl &m_downloads;
    ArchiveControl &m_archive;
};
