#pragma once

#include "archive/archive.h"
#include "core/analysis.h"
#include "document/document.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

struct DownloadResult;
class AnalysisWindow;
class ArchiveWindow;
class Desk;
namespace zq {
class RegistryReader;
class SharedLink;
struct ReportCalibration;
struct RunCalibration;
} // namespace zq

// The run archive from the window: runs opened and downloaded go in, notes,
// named ranges and verdicts are kept with the run shown, the shared archive
// is fed off the window's thread, and 记录库 is opened. The archive is opened
// when first needed and never stands in the way.
class ArchiveControl : public QObject
{
    Q_OBJECT
public:
    ArchiveControl(Desk &desk, zq::Document &document, QWidget *window);
    ~ArchiveControl() override;

    void setArchivePath(const QString &path);
    // Null when it cannot be opened (told once).
    zq::Archive *archive();
    ArchiveWindow *showArchive();
    // The run shown kept in the archive, from its file or a download.
    void keepRun(const zq::Record &record, const QString &path, const DownloadResult *download);
    // A note pinned to the reading at `at`, asked for and kept.
    bool addNote(int at);
    bool nameRange();
    QVector<zq::NamedRange> namedRanges();

    void setSharedArchive(const QString &url);
    zq::SharedLink *sharedArchive() const { return m_shared.get(); }
    int sharedPending() const { return m_sharedPending; }

    // 工艺分析, told the run's certificates; its verdicts are kept.
    void setAnalysis(AnalysisWindow *analysis);
    // Asks for the run's certificates; 工艺分析 is told when they come.
    void calibrateAnalysis();
    // The same, read at once: for a report, which reads the archive as it is made.
    zq::ReportCalibration calibrationNow();
    void recordVerdict(const zq::Analysis &check);
    // The recipe 工艺分析 opens with: the last used for the run's equipment,
    // else the last used at all, else none.
    QString recipeToOpen();
    void rememberRecipe(const QString &name);

    std::function<QString()> keepDir;

Q_SIGNALS:
    void openWanted(const QString &path);
    void referenceWanted(const QString &path);
    // What the archive knows of the run shown, for the summary's tooltip.
    void runDescribed(const QString &text);

private:
    // Asked when the run is signed; false: none given, so no change.
    bool reasonIfSigned(zq::Archive &archive, const QString &sha, QString *reason);
    QString ensureRun(QString *error);
    QString runEquipment();
    void askSharedArchive();
    void showPushed(int added, int known, int skipped, const QString &error);
    void openFetched(const QString &sha256, const QByteArray &bytes, const QString &error);
    void connectArchiveWindow();
    // The registry read off the window's thread, on the archive open now.
    zq::RegistryReader &registryReader(zq::Archive &archive);
    void askInstruments(zq::Archive &archive, QObject *context, const std::function<void(const QStringList &)> &answer);
    void calibrationRead(const QString &sha256, const zq::RunCalibration &linked);

    Desk &m_desk;
    zq::Document &m_doc;
    QWidget *m_window;
    std::unique_ptr<zq::Archive> m_archive;
    std::unique_ptr<zq::RegistryReader> m_registry; // goes before the archive it reads
    QString m_calibratedFor; // the run whose certificates 工艺分析 has
    QString m_archivePath;
    bool m_archiveTold = false;
    QPointer<ArchiveWindow> m_archiveWindow;
    QPointer<AnalysisWindow> m_analysis;
    std::unique_ptr<zq::SharedLink> m_shared;
    int m_sharedPending = 0;
    QString m_sharedError;
};
