// The file writer: every byte on the disk before the name is taken, and a
// file written over stays what it was apart from its bytes.
#include "core/filewrite.h"
#include "support/records.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// What the target name held and how many bytes the open file had when the
// sync step ran.
struct SyncSeen
{
    int calls = 0;
    qint64 sizeOnFd = -1;
    QByteArray atName;
    bool nameTaken = false;
};

mode_t modeOf(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(-1);
}

QStringList everything(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}
} // namespace

class TstFileWrite : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void syncedBeforePublished_data();
    void syncedBeforePublished();
    void writtenOverKeepsItsMode_data();
    void writtenOverKeepsItsMode();
};

void TstFileWrite::cleanup()
{
    zq::setDiskSync(nullptr);
}

void TstFileWrite::syncedBeforePublished_data()
{
    QTest::addColumn<QByteArray>("old"); // empty: the name is free
    QTest::addColumn<bool>("newOnly");
    QTest::addColumn<int>("syncError");
    QTest::newRow("over a file") << QByteArray("old bytes") << false << 0;
    QTest::newRow("a new name") << QByteArray() << false << 0;
    QTest::newRow("a name claimed") << QByteArray() << true << 0;
    QTest::newRow("sync fails over a file") << QByteArray("old bytes") << false << EIO;
    QTest::newRow("sync fails at a claimed name") << QByteArray() << true << ENOSPC;
}

void TstFileWrite::syncedBeforePublished()
{
    QFETCH(QByteArray, old);
    QFETCH(bool, newOnly);
    QFETCH(int, syncError);
    QTemporaryDir dir;
    const QString path = dir.filePath("run.ZQ");
    if (!old.isEmpty())
        write(path, old);
    const QByteArray data(28224, '\x5A');
    SyncSeen seen;
    zq::setDiskSync([&](int fd) {
        struct stat st
        {
        };
        seen.calls += 1;
        seen.sizeOnFd = ::fstat(fd, &st) == 0 ? st.st_size : -1;
        seen.nameTaken = QFileInfo::exists(path);
        seen.atName = readAll(path);
        return syncError;
    });
    QString error;
    const bool written
        = zq::writeFileWhole(path, data, &error, newOnly ? zq::WriteMode::NewOnly : zq::WriteMode::Replace);
    QCOMPARE(seen.calls, 1);
    QCOMPARE(seen.sizeOnFd, data.size()); // every byte written before the sync
    QCOMPARE(seen.nameTaken, !old.isEmpty()); // and the name not yet taken by them
    QCOMPARE(seen.atName, old);
    QCOMPARE(written, syncError == 0);
    QCOMPARE(readAll(path), syncError ? old : data);
    QCOMPARE(error, syncError ? zq::systemReason(syncError) : QString());
    QCOMPARE(everything(dir.path()), QFileInfo::exists(path) ? QStringList{"run.ZQ"} : QStringList());
}

void TstFileWrite::writtenOverKeepsItsMode_data()
{
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("mode"); // the old file's; -1: none there
    QTest::addColumn<int>("expected");
    QTest::newRow("group-writable") << 022 << 0664 << 0664;
    QTest::newRow("group-readable only") << 022 << 0640 << 0640;
    QTest::newRow("private") << 022 << 0600 << 0600;
    QTest::newRow("wider than a strict umask") << 077 << 0664 << 0664;
    QTest::newRow("a new file follows the umask") << 027 << -1 << 0640;
}

void TstFileWrite::writtenOverKeepsItsMode()
{
    QFETCH(int, umask);
    QFETCH(int, mode);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("run.ZQ");
    const QString link = dir.filePath("link.ZQ");
    if (mode >= 0) {
        write(path, "old");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    }
    const mode_t before = ::umask(mode_t(umask));
    QString error;
    const bool written = zq::writeFileWhole(path, "new", &error);
    // Written through a link, the file it names keeps its mode too.
    const bool throughLink = QFile::link(path, link) && zq::writeFileWhole(link, "newer", &error);
    ::umask(before);
    QVERIFY2(written && throughLink, qPrintable(error));
    QCOMPARE(readAll(path), QByteArray("newer"));
    QCOMPARE(QString::number(modeOf(path), 8), QString::number(expected, 8));
    QVERIFY(QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TstFileWrite)
#include "tst_filewrite.moc"
