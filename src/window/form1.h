#pragma once

#include "core/recipestore.h"
#include "core/textexport.h"
#include "document/document.h"
#include "print/processreport.h"
#include "print/report.h"
#include "window/archivecontrol.h"
#include "window/chartpanel.h"
#include "window/desk.h"
#include "window/downloads.h"
#include "window/filecommands.h"

#include <QPointer>
#include <QWidget>
#include <memory>

struct DownloadResult;
class AnalysisWindow;
class ArchiveWindow;
class ClickLabel;
class CommandRow;
class Instrument;
class QLabel;
class QPrinter;
class QPushButton;
class QSettings;
class ReadingList;
class UserDialogs;
class frmAbout;
namespace zq {
class Archive;
class SharedLink;
} // namespace zq

// The main window: the frame that lays out its parts in the designed
// geometry (the command row, the reading list, the chart panel) and wires
// them to the open run and to the controllers of downloads, files and the
// archive. Controls carry the designer's names as their objectName.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    zq::Document &document() { return m_doc; }
    DownloadControl &downloads() { return *m_downloads; }
    FileCommands &files() { return *m_files; }
    ArchiveControl &archiveControl() { return *m_archive; }

    const zq::Record &record() const { return m_doc.record(); }
    const zq::ChartView &view() const { return m_doc.view(); }
    zq::Document::Range range() const { return m_doc.range(); }
    const QVector<zq::RunNote> &notes() const { return m_doc.notes(); }
    // A new record in the window: listed, drawn, summarised; `style` goes to
    // the data-type label.
    void showRecord(const zq::Record &record, const QString &style, const QString &path = {});
    const QImage &drawingLayer() const { return m_chart->scaleLayer(); }
    int redrawCount() const { return m_chart->redrawCount(); }
    void redraw() { m_chart->redraw(); }
    QImage chartImage() const;
    void saveChartImage();
    void selectRange(int first, int last) { m_doc.selectRange(first, last); }
    void clearRange() { m_doc.clearRange(); }

    void setDialogs(std::unique_ptr<UserDialogs> dialogs);
    UserDialogs &dialogs() { return m_desk->dialogs(); }
    // Settings kept across runs (ports, recent files, folders); tests give a private file.
    void useSettingsFile(const QString &iniPath) { m_desk->useSettingsFile(iniPath); }
    QSettings &settings() { return m_desk->settings(); }
    Instrument &instrument() { return m_downloads->instrument(); }
    void choosePorts(const QPair<QString, QString> &defaults, const QString &com1, const QString &com2)
    {
        m_downloads->choosePorts(defaults, com1, com2);
    }
    void setPortDevices(const QString &com1, const QString &com2) { m_downloads->setPortDevices(com1, com2); }
    void setKeepDir(const QString &dir) { m_downloads->setKeepDir(dir); }
    void showStatus(const QString &text) { m_downloads->showStatus(text); }

    void onDownloadClicked() { m_downloads->download(); }
    void onOpenClicked() { m_files->open(); }
    void onSaveClicked() { m_files->save(); }
    void onExportClicked() { m_files->exportAll(); }
    void onLiveTick() { m_downloads->liveTick(); }
    void openDataFile(const QString &path) { m_files->openFile(path); }
    void saveDataFile(const QString &path) { m_files->saveTo(path); }
    void exportTo(const QString &path, bool csv = false, const zq::ReadingRange &range = {})
    {
        m_files->exportTo(path, csv, range);
    }
    void exportRange() { m_files->exportRange(); }
    bool printReport(QPrinter &printer) { return m_files->printReport(printer); }
    QStringList recentFiles() const { return m_files->recentFiles(); }
    QString &commonDialogFileName() { return m_files->commonDialogFileName; }

    // 工艺分析 (F3), beside the main window; it follows the document.
    AnalysisWindow *showAnalysis();
    void setRecipeFolder(const QString &folder);
    void showAbout();
    // The run archive (default: the user's data folder) and 记录库 (Ctrl+L).
    void setArchivePath(const QString &path) { m_archive->setArchivePath(path); }
    zq::Archive *archive() { return m_archive->archive(); }
    ArchiveWindow *showArchive() { return m_archive->showArchive(); }
    void setSharedArchive(const QString &url) { m_archive->setSharedArchive(url); }
    zq::SharedLink *sharedArchive() const { return m_archive->sharedArchive(); }
    int sharedPending() const { return m_archive->sharedPending(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createLabels();
    void createKeys();
    void connectParts();
    void connectDocument();
    void listRecord();
    void discard();
    void downloadEnded(const DownloadResult &result);
    void onGroupChosen(int group);
    void showChartMenu(int x, const QPoint &at, QWidget *over);
    void chooseReference();
    void useReference(const QString &path);
    void placeAnalysis();

    zq::Document m_doc;
    std::unique_ptr<Desk> m_desk;
    CommandRow *m_row = nullptr;
    ReadingList *m_list = nullptr;
    ChartPanel *m_chart = nullptr;
    DownloadControl *m_downloads = nullptr;
    ArchiveControl *m_archive = nullptr;
    FileCommands *m_files = nullptr;
    QLabel *m_groupLabel = nullptr;
    QLabel *m_styleLabel = nullptr;
    QLabel *m_hourLabel = nullptr;
    QLabel *m_summaryLine = nullptr;
    QPixmap m_background;
    QPointer<frmAbout> m_about;
    QPointer<AnalysisWindow> m_analysis;
    zq::RecipeStore m_recipes;
};
