#include "window/archivecontrol.h"

#include "archive/registry.h"
#include "archive/registryreader.h"
#include "archive/sharedlink.h"
#include "document/usecases.h"
#include "window/analysiswindow.h"
#include "window/archivewindow.h"
#include "window/desk.h"

ArchiveControl::ArchiveControl(Desk &desk, zq::Document &document, QWidget *window)
    : QObject(window)
    , m_desk(desk)
    , m_doc(document)
    , m_window(window)
{
    m_desk.askInstruments = [self = QPointer<ArchiveControl>(this)](QObject *context, const auto &answer) {
        if (zq::Archive *a = self ? self->archive() : nullptr)
            self->askInstruments(*a, context, answer);
    };
}

void ArchiveControl::askInstruments(
    zq::Archive &archive, QObject *context, const std::function<void(const QStringList &)> &answer)
{
    zq::RegistryReader &reader = registryReader(archive);
    // One answer, then the connection goes: the next question makes its own.
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = connect(
        &reader, &zq::RegistryReader::devicesRead, context, [once, answer](const QVector<zq::Device> &devices) {
            QObject::disconnect(*once);
            QStringList serials;
            for (const zq::Device &d : devices)
                if (d.kind == zq::Device::Instrument)
                    serials << d.id;
            answer(serials);
        });
    reader.readDevices();
}

ArchiveControl::~ArchiveControl() = default;

void ArchiveControl::setArchivePath(const QString &path)
{
    m_archivePath = path;
    delete m_archiveWindow;
    m_registry.reset();
    m_archive.reset();
    m_archiveTold = false;
}

zq::Archive *ArchiveControl::archive()
{
    if (m_archive && m_archive->isOpen())
        return m_archive.get();
    if (m_archiveTold)
        return nullptr;
    QString error, notice;
    m_registry.reset();
    m_archive = zq::openArchive(m_archivePath, zq::Archive::Access::ReadWrite, &error, &notice);
    if (!m_archive) {
        // Said once; downloads, files and exports go on without it.
        m_archiveTold = true;
        m_desk.tellFailure(QStringLiteral("记录库无法打开：%1\n程序不使用记录库继续运行。").arg(error));
        return nullptr;
    }
    if (!notice.isEmpty())
        m_desk.tellFailure(notice);
    return m_archive.get();
}

ArchiveWindow *ArchiveControl::showArchive()
{
    if (!m_archiveWindow) {
        zq::Archive *a = archive();
        if (!a)
            return nullptr;
        m_archiveWindow = new ArchiveWindow(*a, m_window);
        m_archiveWindow->setDialogs(&m_desk.dialogs());
        connectArchiveWindow();
        m_archiveWindow->setShared(m_shared != nullptr);
        m_archiveWindow->showSharedStatus(m_sharedPending, m_sharedError);
        if (m_shared)
            m_shared->syncNow();
    }
    m_archiveWindow->refresh();
    m_archiveWindow->show();
    m_archiveWindow->raise();
    return m_archiveWindow;
}

void ArchiveControl::connectArchiveWindow()
{
    connect(m_archiveWindow, &ArchiveWindow::openFile, this, &ArchiveControl::openWanted);
    connect(m_archiveWindow, &ArchiveWindow::referenceFile, this, &ArchiveControl::referenceWanted);
    connect(m_archiveWindow, &ArchiveWindow::fetchRun, this, [this](const QString &sha) {
        if (m_shared)
            m_shared->fetch(sha);
    });
    // The change's history rows are what the shared archive is sent.
    connect(m_archiveWindow, &ArchiveWindow::fieldsSaved, this, [this] {
        if (m_shared)
            m_shared->syncNow();
    });
    connect(m_archiveWindow, &ArchiveWindow::sharedSettingsWanted, this, &ArchiveControl::askSharedArchive);
    connect(m_archiveWindow, &ArchiveWindow::pushWanted, this, [this] {
        if (m_shared)
            m_shared->push();
    });
    connect(m_archiveWindow, &ArchiveWindow::problem, this, [this](const QString &text) { m_desk.tellFailure(text); });
}

void ArchiveControl::keepRun(const zq::Record &record, const QString &path, const DownloadResult *download)
{
    zq::Archive *a = archive();
    if (!a || !record.holdsData())
        return;
    QString error;
    const zq::RunFile file = zq::keptBytes(record, path);
    QStringList warnings;
    const QString sha = zq::keepRun(*a, file, path, download, &error, &warnings);
    if (sha.isEmpty() || !error.isEmpty()) {
        m_archiveTold = true;
        delete m_archiveWindow; // it reads the archive let go here
        m_registry.reset();
        m_archive.reset();
        m_desk.tellFailure(QStringLiteral("记录库没有更新：%1\n%2").arg(QDir::toNativeSeparators(path), error));
        return;
    }
    if (!warnings.isEmpty() && m_desk.showStatus)
        m_desk.showStatus(warnings.join(QStringLiteral("；")));
    if (m_shared) {
        if (a->queue(zq::queuedRun(file, path, download), &error))
            m_shared->syncNow();
        else
            m_desk.tellFailure(QStringLiteral("没有排入共享记录库的上传队列：%1").arg(error));
    }
    // A download settled after the user opened another run: recorded, not shown.
    if (!(record == m_doc.record()))
        return;
    m_doc.setIdentity(sha, path);
    calibrateAnalysis();
    m_doc.setNotes(a->notes(sha, &error));
    // The run's fields, where a user filled them, beside its summary.
    if (const std::optional<zq::RunRow> run = a->run(sha, &error)) {
        const zq::RunFields &f = run->fields;
        Q_EMIT runDescribed(QStringLiteral("设备：%1\n工件：%2\n操作员：%3\n热电偶：%4\n备注：%5\nSHA-256：%6")
                                .arg(f.equipment, f.load, f.operatorName, f.thermocouple, f.comment, sha));
    }
}

QString ArchiveControl::ensureRun(QString *error)
{
    // A record shown but never kept or opened from a file goes in now.
    if (m_doc.sha256().isEmpty()) {
        bool isNew = false;
        const QString sha = m_archive->addRun(zq::dataFileBytes(m_doc.record()), QString(), &isNew, error);
        if (!sha.isEmpty())
            m_doc.setIdentity(sha, QString());
    }
    return m_doc.sha256();
}

bool ArchiveControl::reasonIfSigned(zq::Archive &archive, const QString &sha, QString *reason)
{
    QString error;
    // A signed run changes only with a reason, and the change withdraws its signatures.
    if (archive.signatures(sha, &error).state == zq::RunState::Draft)
        return true;
    *reason = askChangeReason(m_desk.dialogs());
    return !reason->isEmpty();
}

bool ArchiveControl::addNote(int at)
{
    zq::Archive *a = at >= 0 ? archive() : nullptr;
    if (!a)
        return false;
    const QString text
        = m_desk.dialogs().askText(QStringLiteral("添加注释"), QStringLiteral("第 %1 个读数的注释：").arg(at));
    if (text.isEmpty())
        return false;
    QString error, reason;
    const QString sha = ensureRun(&error);
    if (!sha.isEmpty() && !reasonIfSigned(*a, sha, &reason))
        return false;
    if (sha.isEmpty() || !a->addNote(sha, {at, text}, &error, reason)) {
        m_desk.tellFailure(QStringLiteral("注释没有保存：%1").arg(error));
        return false;
    }
    m_doc.setNotes(a->notes(sha, &error));
    return true;
}

bool ArchiveControl::nameRange()
{
    const zq::Document::Range range = m_doc.range();
    zq::Archive *a = range ? archive() : nullptr;
    if (!a)
        return false;
    const QString name = m_desk.dialogs().askText(
        QStringLiteral("命名选区"), QStringLiteral("读数 %1 至 %2 的名称：").arg(range->first).arg(range->second));
    if (name.trimmed().isEmpty())
        return false;
    QString error, reason;
    const QString sha = ensureRun(&error);
    if (!sha.isEmpty() && !reasonIfSigned(*a, sha, &reason))
        return false;
    if (sha.isEmpty() || !a->saveRange(sha, {name.trimmed(), range->first, range->second}, &error, reason)) {
        m_desk.tellFailure(QStringLiteral("选区没有保存：%1").arg(error));
        return false;
    }
    return true;
}

QVector<zq::NamedRange> ArchiveControl::namedRanges()
{
    QString error;
    return m_doc.sha256().isEmpty() || !m_archive ? QVector<zq::NamedRange>()
                                                  : m_archive->ranges(m_doc.sha256(), &error);
}
