// A full disk: nothing half-written is ever published, an old file at the
// name stays as it was, and the reason told is the system's. The disk is a
// small tmpfs the test mounts (it needs root; without root the file-size
// limit case in tst_filecommands stands in for it).
#include "core/datafile.h"
#include "core/textexport.h"
#include "support/line.h"
#include "support/window.h"

#include <QListWidget>
#include <QPushButton>
#include <sys/mount.h>

namespace {
// A 64 KiB tmpfs with one 4 KiB page left free.
struct FullDisk
{
    QTemporaryDir dir;
    bool mounted = false;
    FullDisk()
    {
        mounted = ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0, "size=64k") == 0;
        QFile filler(dir.filePath("filler"));
        if (mounted && filler.open(QIODevice::WriteOnly))
            filler.write(QByteArray(60 * 1024, 'f'));
    }
    ~FullDisk()
    {
        if (mounted)
            ::umount(QFile::encodeName(dir.path()).constData());
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

const QString kNoSpace = QStringLiteral("磁盘空间不足 (No space left on device)");
} // namespace

class TstFullDisk : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void saveAndExport();
    void keptCopy();
    void zqcliDownload();
};

void TstFullDisk::init()
{
    ZQ_SKIP_WITHOUT(Need::Root); // to mount the small disk
}

void TstFullDisk::saveAndExport()
{
    FullDisk disk;
    QVERIFY(disk.mounted);
    write(disk.path("old.ZQ"), "previous");
    TestWindow w;
    w.show(timeData(3));
    w.dialogs->paths = {disk.path("old.ZQ"), disk.path("new.ZQ"), disk.path("out.Txt")};
    w->onSaveClicked();
    QVERIFY2(w.dialogs->lastText().contains(kNoSpace), qPrintable(w.dialogs->lastText()));
    w->onSaveClicked();
    QVERIFY(w.dialogs->lastText().contains(disk.path("new.ZQ")) && w.dialogs->lastText().contains(kNoSpace));
    // An export larger than what is left.
    w.show(timeData(1000));
    w->onExportClicked();
    QVERIFY(w.dialogs->lastText().contains(disk.path("out.Txt")) && w.dialogs->lastText().contains(kNoSpace));
    QCOMPARE(readAll(disk.path("old.ZQ")), QByteArray("previous"));
    QCOMPARE(disk.files(), (QStringList{"filler", "old.ZQ"})); // nothing published, nothing left behind
    QCOMPARE(ui(w).readingList->count(), 1000); // the data held is untouched
}

void TstFullDisk::keptCopy()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    FullDisk disk;
    QVERIFY(disk.mounted);
    Simulator sim({});
    TestWindow w(sim.device);
    w->setKeepDir(disk.path("kept"));
    ui(w).downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->instrument().downloading() && w->record().holdsData(), 15000);
    // Told once, naming the folder and then the system's reason; the data stays.
    QVERIFY2(w.dialogs->lastText().startsWith(
                 QStringLiteral("接收的数据未能自动保存到 %1\n%2").arg(disk.path("kept"), kNoSpace)),
        qPrintable(w.dialogs->lastText()));
    QCOMPARE(w.dialogs->shown.size(), 1);
    QCOMPARE(w->record().count(), zq::kSeqReadings);
    QVERIFY(QDir(disk.path("kept")).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void TstFullDisk::zqcliDownload()
{
    ZQ_SKIP_WITHOUT(Need::Simulator, Need::Zqcli);
    FullDisk disk;
    QVERIFY(disk.mounted);
    Simulator sim({});
    const Run named = zqcli({"download", "--port", sim.device, "-o", disk.path("got.ZQ")});
    QCOMPARE(named.code, 1);
    QVERIFY2(named.err.contains(disk.path("got.ZQ")) && named.err.contains("No space left on device"),
        qPrintable(named.err));
    QVERIFY(!named.out.contains("got.ZQ")); // never said to be kept
    const Run here = zqcli({"download", "--port", sim.device}, disk.path(""));
    QCOMPARE(here.code, 1);
    QVERIFY2(here.err.contains(disk.dir.path()) && here.err.contains("No space left on device"), qPrintable(here.err));
    QCOMPARE(disk.files(), QStringList{"filler"});
}

QTEST_MAIN(TstFullDisk)
#include "tst_fulldisk.moc"
