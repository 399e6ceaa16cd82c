// The window's side of the run archive: downloads and opened files go in;
// the archive is opened when first needed and never stands in the way.
#include "archive/archive.h"
#include "archive/sharedlink.h"
#include "core/datafile.h"
#include "core/view.h"
#include "link/instrument.h"
#include "window/archivewindow.h"
#include "window/dialogs.h"
#include "window/form1.h"

#include <QDir>
#include <QLabel>

ArchiveWindow *Form1::showArchive()
{
    if (!m_archiveWindow) {
        zq::Archive *a = archive();
        if (!a)
            return nullptr;
        m_archiveWindow = new ArchiveWindow(*a, this);
        connect(m_archiveWindow, &ArchiveWindow::openFile, this, &Form1::openDataFile);
        connect(m_archiveWindow, &ArchiveWindow::referenceFile, this, &Form1::useReference);
        connect(m_archiveWindow, &ArchiveWindow::fetchRun, this, [this](const QString &sha) {
            if (m_shared)
                m_shared->fetch(sha);
        });
        connect(m_archiveWindow, &ArchiveWindow::fieldsSaved, this, [this](const QString &sha) {
            QString error;
            if (const std::optional<zq::RunRow> run = archive() ? archive()->run(sha, &error) : std::nullopt)
                queueEdit({0, sha, false, run->fields, {}, {}});
        });
        connect(m_archiveWindow, &ArchiveWindow::sharedSettingsWanted, this, &Form1::askSharedArchive);
        m_archiveWindow->setShared(m_shared != nullptr);
        m_archiveWindow->showSharedStatus(m_sharedPending, m_sharedError);
        if (m_shared)
            m_shared->syncNow();
        connect(m_archiveWindow, &ArchiveWindow::problem, this, &Form1::tellFailure);
    }
    m_archiveWindow->refresh();
    m_archiveWindow->show();
    m_archiveWindow->raise();
    return m_archiveWindow;
}

bool Form1::addNote(int x)
{
    const int at = zq::readingAt(m_record, m_view, x);
    zq::Archive *a = at >= 0 ? archive() : nullptr;
    if (!a)
        return false;
    const QString text = m_dialogs->askText(QStringLiteral("添加注释"), QStringLiteral("第 %1 个读数的注释：").arg(at));
    if (text.isEmpty())
        return false;
    QString error;
    bool isNew = false;
    // A record shown but never kept or opened from a file goes in now.
    if (m_runSha.isEmpty())
        m_runSha = a->addRun(zq::dataFileBytes(m_record), QString(), &isNew, &error);
    if (m_runSha.isEmpty() || !a->addNote(m_runSha, {at, text}, &error)) {
        tellFailure(QStringLiteral("注释没有保存：%1").arg(error));
        return false;
    }
    m_notes = a->notes(m_runSha, &error);
    redraw();
    return true;
}

void Form1::setArchivePath(const QString &path)
{
    m_archivePath = path;
    delete m_archiveWindow;
    m_archive.reset();
    m_archiveTold = false;
}

zq::Archive *Form1::archive()
{
    if (m_archive && m_archive->isOpen())
        return m_archive.get();
    if (m_archiveTold)
        return nullptr;
    auto archive = std::make_unique<zq::Archive>();
    QString error, notice;
    const QString path = m_archivePath.isEmpty() ? zq::Archive::defaultPath() : m_archivePath;
    if (!archive->open(path, &error, &notice)) {
        // Said once; downloads, files and exports go on without it.
        m_archiveTold = true;
        tellFailure(QStringLiteral("记录库无法打开：%1\n程序不使用记录库继续运行。").arg(error));
        return nullptr;
    }
    if (!notice.isEmpty())
        tellFailure(notice);
    m_archive = std::move(archive);
    return m_archive.get();
}

void Form1::archiveRun(const zq::Record &record, const QString &path, const DownloadResult *download)
{
    zq::Archive *a = archive();
    if (!a || !record.holdsData())
        return;
    QString error;
    bool isNew = false;
    // The run is the file's bytes as they are on disk (a copy with a line end
    // appended is its own run, as sha256sum says); a record with no file is
    // taken as SAVE would write it.
    zq::RunFile file;
    if (path.isEmpty() || !zq::readRunFile(path, &file, &error))
        file.bytes = zq::dataFileBytes(record);
    error.clear();
    const QString sha = a->addRun(file.bytes, path, &isNew, &error);
    if (!sha.isEmpty() && download)
        a->recordDownload(sha, download->ended, download->device, zq::outcomeName(download->outcome), path, &error);
    if (sha.isEmpty() || !error.isEmpty()) {
        m_archiveTold = true;
        m_archive.reset();
        tellFailure(
            QStringLiteral("记录库没有更新：%1\n%2").arg(QDir::toNativeSeparators(a ? path : QString()), error));
        return;
    }
    queueForServer(file.bytes, path, download);
    // A download settled after the user opened another run: recorded, not shown.
    if (!(record == m_record))
        return;
    m_runSha = sha;
    calibrateAnalysis();
    m_notes = a->notes(sha, &error);
    redraw();
    // The run's fields, where a user filled them, beside its summary.
    const std::optional<zq::RunRow> run = a->run(sha, &error);
    if (!run)
        return;
    const zq::RunFields &f = run->fields;
    summaryLine->setToolTip(QStringLiteral("设备：%1\n工件：%2\n操作员：%3\n热电偶：%4\n备注：%5\nSHA-256：%6")
                                .arg(f.equipment, f.load, f.operatorName, f.thermocouple, f.comment, sha));
}
