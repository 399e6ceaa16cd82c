// Files under faults. Runs as an unprivileged user, since root ignores a
// folder's write protection and a file's read protection.
#include "core/chartbox.h"
#include "files/datafile.h"
#include "testsupport.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

namespace {
Workspace held()
{
    Workspace ws;
    ws.datatype = ws.havedata = zq::TimeData;
    ws.grpcount[0] = 50;
    for (int i = 0; i < 50; ++i)
        ws.wdtab[i][0] = WDREC{int16_t(400 + i), 7, 26, 13, uint8_t(i), 0};
    return ws;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TstFileDrills : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveIntoReadOnlyFolder();
    void saveOntoFullDisk();
    void openUnreadableFile();
    void openHugeFile();
};

void TstFileDrills::saveIntoReadOnlyFolder()
{
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    TestWindow w;
    w.ws() = held();
    const QString path = dir.filePath("x.ZQ");
    w.dialogs->paths = {path};
    w->Command1_Click();
    QCOMPARE(w.dialogs->shown.size(), 1);
    QVERIFY(w.dialogs->shown.first().text.contains(path));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(w.ws().grpcount[0], 50);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TstFileDrills::saveOntoFullDisk()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("old.ZQ");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous contents");
    }
    TestWindow w;
    w.ws() = held();
    w.dialogs->paths = {path};
    // A file-size limit makes writes fail midway, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{}, limit{};
    getrlimit(RLIMIT_FSIZE, &old);
    limit = old;
    limit.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
    w->Command1_Click();
    setrlimit(RLIMIT_FSIZE, &old);
    QCOMPARE(w.dialogs->shown.size(), 1);
    QVERIFY(w.dialogs->shown.first().text.contains(path));
    QCOMPARE(contents(path), QByteArray("previous contents"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.ZQ"}); // no half file left
}

void TstFileDrills::openUnreadableFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("locked.ZQ");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(zq::dataFileBytes(held()));
    }
    QFile::setPermissions(path, QFileDevice::Permissions());
    TestWindow w;
    w.dialogs->paths = {path};
    w->Command2_Click();
    QCOMPARE(w.dialogs->shown.size(), 1);
    QVERIFY(w.dialogs->shown.first().text.contains(path));
    QCOMPARE(int(w.ws().havedata), 0);
    QCOMPARE(w->List1->count(), 0);
}

void TstFileDrills::openHugeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.ZQ");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(zq::dataFileBytes(held()));
        QVERIFY(f.resize(qint64(1) << 30)); // sparse: cheap to make
    }
    TestWindow w;
    w.dialogs->paths = {path};
    w->Command2_Click();
    QVERIFY(w.dialogs->shown.isEmpty());
    QCOMPARE(w.ws().grpcount[0], 50); // only the layout's records are read
    QCOMPARE(w->List1->count(), 50);
}

int main(int argc, char *argv[])
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        std::fprintf(stderr, "cannot drop root privileges\n");
        return 1;
    }
    QApplication app(argc, argv);
    TstFileDrills drills;
    return QTest::qExec(&drills, argc, argv);
}

#include "tst_filedrills.moc"
