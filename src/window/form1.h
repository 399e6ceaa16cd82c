#pragma once

#include "archive/archive.h"
#include "core/chartview.h"
#include "core/recipestore.h"
#include "core/record.h"
#include "core/reference.h"
#include "core/textexport.h"
#include "link/porterrors.h"
#include "print/processreport.h"
#include "print/report.h"
#include "window/texts.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

struct DownloadResult;
class ChartBox;
class ClickLabel;
class Instrument;
class QFrame;
class QPainter;
class QMenu;
namespace zq {
class SharedLink;
}
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPrinter;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QSettings;
class QTimer;
class UserDialogs;
class frmAbout;
class AnalysisWindow;
class ArchiveWindow;

// The main window. It holds the record shown and the view of it; every
// change of either goes through showRecord() or setView() and redraws once.
// Controls carry the designer's names as their objectName.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    const zq::Record &record() const { return m_record; }
    const zq::ChartView &view() const { return m_view; }
    // A new record in the window: listed, drawn, summarised; `style` goes to
    // the data-type label.
    void showRecord(const zq::Record &record, const QString &style);
    const QImage &drawingLayer() const { return m_layer; }
    void setDialogs(std::unique_ptr<UserDialogs> dialogs);
    UserDialogs &dialogs() { return *m_dialogs; }
    Instrument &instrument() { return *m_link; }
    void setPortDevices(const QString &com1, const QString &com2);
    // The devices at start: one given for this run, else the one remembered
    // (if it is there), else the default.
    void choosePorts(const QPair<QString, QString> &defaults, const QString &com1, const QString &com2);
    void showPortMenu(const QPoint &at);
    // The ports the menu offers; tests give their own.
    std::function<QList<zq::PortChoice>()> listPorts;

    void onDownloadClicked();
    void onPortClicked();
    void onOpenClicked();
    void onSaveClicked();
    void onExportClicked();
    void onExitClicked();
    void onPrintClicked();
    void onListClicked();
    void onListDoubleClicked(QListWidgetItem *item);
    void onViewBarChanged();
    void onScaleBarChanged();
    void onGroupChanged();
    void onLiveTick();
    void showAbout();
    // 工艺分析, beside the main window; it follows the record and the group.
    AnalysisWindow *showAnalysis();
    // The run archive (default: the user's data folder), opened when first
    // needed; null when it cannot be (told once).
    void setArchivePath(const QString &path);
    zq::Archive *archive();
    // 记录库 (Ctrl+L, and the first entry of OPEN's menu).
    ArchiveWindow *showArchive();
    // A note pinned to the reading under chart column x, asked for and kept in the archive.
    bool addNote(int x);
    const QVector<zq::RunNote> &notes() const { return m_notes; }
    // Where recipes are kept; tests give their own folder.
    void setRecipeFolder(const QString &folder);
    const zq::Recipe &recipe() const { return m_recipe; }
    // A stretch of the run (record indices of the group shown), shaded on
    // both charts and measured in 工艺分析; Esc or a click outside clears it.
    void selectRange(int first, int last);
    void clearRange();
    std::optional<std::pair<int, int>> range() const { return m_range; }
    // 导出选区…: the range as 导出文本 writes it, its lines only.
    void exportRange();
    // 参考曲线…: a data file laid behind the run (in 工艺分析 and on the chart).
    void chooseReference();
    void useReference(const QString &path);
    // 命名选区…: the range kept in the archive under a name the user gives.
    bool nameRange();
    // A shared archive on a server (empty: none): runs recorded here are
    // queued and sent off the window's thread; the server's runs come into
    // the local archive the 记录库 window shows.
    void setSharedArchive(const QString &url);
    zq::SharedLink *sharedArchive() const { return m_shared.get(); }
    int sharedPending() const { return m_sharedPending; }
    // 工艺报告…: the process report of the run shown against the analysis
    // window's recipe, range and reference, to the printer or a PDF file.
    void printProcessReport(bool readings);
    // What that report says; false (told) when a field the recipe requires is empty.
    bool gatherProcessReport(zq::ProcessReport *report);
    // Moves the view (through its bar) to where a reading stands.
    void showReading(int index);
    // The chart's menu.
    void fitToReadings();
    void copyChartImage();
    void saveChartImage();
    // The chart with its scale bar and captions, as one picture.
    QImage chartImage() const;
    int redrawCount() const { return m_redraws; }
    // The live reading's switch; off ends a running poll.
    void setLiveReading(bool on);
    // The status text, sized to fit its box, with the port in its tooltip.
    void showStatus(const QString &text);

    void redraw();
    void saveDataFile(const QString &path);
    void exportTo(const QString &path, bool csv = false, const zq::ReadingRange &range = {});
    // Where every download is kept as it ends; the default lies in the
    // user's data folder.
    void setKeepDir(const QString &dir);
    QString keepDir() const;
    // OPEN without the dialog: a file named on the command line.
    void openDataFile(const QString &path);
    // Settings kept across runs (ports, recent files, folders); tests give a
    // private file.
    void useSettingsFile(const QString &iniPath);
    QStringList recentFiles() const;
    QSettings &settings() { return *m_settings; }
    void printRecord();
    // The report through any printer, a PDF writer included.
    bool printReport(QPrinter &printer);
    zq::ReportParams reportParams() const;

    QPushButton *downloadButton = nullptr;
    QPushButton *openButton = nullptr;
    QPushButton *saveButton = nullptr;
    QPushButton *portButton = nullptr;
    QPushButton *exitButton = nullptr;
    QPushButton *printButton = nullptr;
    QPushButton *exportButton = nullptr;
    QPushButton *plugButton = nullptr;
    QPushButton *timeButton = nullptr;
    QPushButton *onlineSwitch = nullptr;
    QListWidget *readingList = nullptr;
    ChartBox *chartBox = nullptr;
    QScrollBar *viewBar = nullptr;
    QScrollBar *scaleBar = nullptr;
    QScrollBar *groupBar = nullptr;
    QLabel *groupLabel = nullptr;
    QLabel *styleLabel = nullptr;
    QLabel *styleCaption = nullptr;
    QLabel *statusLabel = nullptr;
    QLabel *progressCaption = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *hourLabel = nullptr;
    QLabel *titleLabel = nullptr;
    QLabel *summaryLine = nullptr;
    ClickLabel *makerLabel = nullptr;
    QFrame *commandFrame = nullptr;
    QFrame *listFrame = nullptr;
    QTimer *liveTimer = nullptr;

    // The shared file dialog's memory: the last name chosen or set.
    QString commonDialogFileName;

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createFrames();
    void createViews();
    void createKeys();
    void nameControls();
    void connectViewAids();
    void connectControls();
    void connectInstrument();
    void setView(const zq::ChartView &view);
    void listRecord();
    // Asks before held data goes; true when the caller may go on.
    bool confirmDiscard();
    void discardData();
    void downloadEnded(const DownloadResult &result);
    // Greys what cannot act while a transfer holds the port.
    void setTransferring(bool on);
    void loadFile(const QString &path);
    void rememberRecent(const QString &path);
    void showRecentMenu(const QPoint &at);
    void showPortTooltip();
    QString inFolder(const QString &kind, const QString &name) const;
    void rememberFolder(const QString &kind, const QString &path);
    void tellFailure(const QString &text);
    void printToPdf();
    void archiveRun(const zq::Record &record, const QString &path, const DownloadResult *download);
    void connectRangeAids();
    void connectAnalysis();
    // The verdict 工艺分析 gave, kept with the run shown (and queued for the server).
    void recordVerdict(const QString &verdict, const zq::Recipe &recipe);
    // The recipe 工艺分析 opens with: the last used for the run's equipment,
    // else the last used at all, else none.
    QString recipeToOpen();
    void rememberRecipe(const QString &name);
    void recordReportVerdict(const zq::ProcessReport &report);
    QString runEquipment();
    // 工艺分析 told the certificates the archive links the run shown to.
    void calibrateAnalysis();
    // 工艺分析 (when open) given the run shown, then its certificates.
    void analyzeRun();
    void drawRunOverlays(QPainter &p);
    QString referenceReadout(int x) const;
    void tellViewSpan();
    QImage rangeImage() const;
    void addRangeActions(QMenu *menu);
    void askSharedArchive();
    void queueForServer(const QByteArray &bytes, const QString &path, const DownloadResult *download);
    void queueEdit(const zq::Archive::Edit &edit);
    void openFetched(const QString &sha256, const QByteArray &bytes, const QString &error);
    QString askExportPath(const QString &name, bool *csv);

    zq::Record m_record;
    zq::ChartView m_view;
    QImage m_layer;
    QPixmap m_background;
    std::unique_ptr<UserDialogs> m_dialogs;
    Instrument *m_link = nullptr;
    QPointer<frmAbout> m_about;
    QPointer<AnalysisWindow> m_analysis;
    QPointer<ArchiveWindow> m_archiveWindow;
    zq::RecipeStore m_recipes;
    std::unique_ptr<zq::Archive> m_archive;
    QString m_archivePath;
    bool m_archiveTold = false;
    QString m_runSha; // the run shown, as the archive knows it
    QString m_runPath; // the file it was opened from or kept in; empty for none
    std::unique_ptr<zq::SharedLink> m_shared;
    int m_sharedPending = 0;
    QString m_sharedError;
    QVector<zq::RunNote> m_notes;
    zq::Recipe m_recipe;
    std::optional<std::pair<int, int>> m_range;
    int m_dragFrom = -1; // the reading a Shift drag on the chart started at
    zq::Curve m_runCurve; // the run on its axis, for laying the reference
    zq::Curve m_reference; // on the run's axis; empty for none
    QString m_keepDir;
    QString m_lastKept;
    std::unique_ptr<QSettings> m_settings;
    int m_redraws = 0;
};
