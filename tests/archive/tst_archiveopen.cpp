// Opening an archive file through zqcli: only a damaged file of ours is
// moved aside; one out of reach, another program's database and a newer
// version are told and left byte for byte as they were; reading commands
// write nothing.
#include "archive/archive.h"
#include "archive/outbox.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/records.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// zqcli as a user who does not own the files: run as root, as nobody (as
// after a `sudo zqcli …` the user's own program meets root's files).
Run asUser(const QStringList &args)
{
    if (::geteuid() != 0)
        return zqcli(args);
    QProcess p;
    p.start("setpriv",
        QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", qEnvironmentVariable("ZQCLI_BIN")} + args);
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// Runs a few statements on a SQLite file as another program would.
void sqlite(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString &s : statements)
            QVERIFY2(QSqlQuery(db).exec(s), qPrintable(s));
        db.close();
    }
    QSqlDatabase::removeDatabase("other");
}

// An archive of ours holding runs whose equipment are MARK-0000, MARK-0001 …
void makeArchive(const QString &path, int runs = 1)
{
    zq::Archive a;
    QString error;
    QVERIFY2(a.open(path, &error), qPrintable(error));
    for (int i = 0; i < runs; ++i) {
        bool isNew = false;
        const QString sha = a.addRun(zq::dataFileBytes(timeData(i + 5)), QString(), &isNew, &error);
        QVERIFY(a.setFields(sha, {{}, QStringLiteral("MARK-%1").arg(i, 4, 10, QLatin1Char('0')), {}, {}, {}}, &error));
    }
}
} // namespace

class TstArchiveOpen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void outOfReachIsLeftAlone_data();
    void outOfReachIsLeftAlone();
    void aDamagedDatabaseIsMovedAside();
    void notOursIsLeftUntouched_data();
    void notOursIsLeftUntouched();
    void aRunIsDatedByItsLatestDownload();
    void anEditWaitsWhileTheServerIsDown_data();
    void anEditWaitsWhileTheServerIsDown();
};

void TstArchiveOpen::outOfReachIsLeftAlone_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QString>("command");
    QTest::newRow("unreadable, list") << "unreadable" << QStringLiteral("无法读取") << "list";
    QTest::newRow("unreadable, import") << "unreadable" << QStringLiteral("无法读取") << "import";
    QTest::newRow("read-only folder, import") << "read-only folder" << QStringLiteral("没有被改动") << "import";
}

void TstArchiveOpen::outOfReachIsLeftAlone()
{
    QFETCH(QString, where);
    QFETCH(QString, command);
    QFETCH(QString, says);
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777); // nobody may look in
    QDir().mkpath(dir.filePath("data"));
    const QString path = dir.filePath("data/archive.sqlite");
    makeArchive(path);
    const QByteArray before = readAll(path);
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(timeData(40)));
    // Root's own files are out of nobody's reach as they are; a user's are made so.
    if (where == "unreadable")
        ::chmod(QFile::encodeName(path).constData(), ::geteuid() == 0 ? 0600 : 0);
    else if (::geteuid() != 0)
        ::chmod(QFile::encodeName(dir.filePath("data")).constData(), 0555);
    const QStringList args = command == "list"
        ? QStringList{"archive", "--archive", path, "list"}
        : QStringList{"archive", "--archive", path, "import", dir.filePath("run.ZQ")};
    const Run run = asUser(args);
    ::chmod(QFile::encodeName(dir.filePath("data")).constData(), 0755);
    ::chmod(QFile::encodeName(path).constData(), 0644);
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(path) && run.err.contains(says) && !run.err.contains(QStringLiteral("已损坏")),
        qPrintable(run.err));
    if (where == "unreadable")
        QVERIFY2(run.err.contains(QStringLiteral("权限 0")) && run.err.contains("chown"), qPrintable(run.err));
    QCOMPARE(QDir(dir.filePath("data")).entryList({"*.broken-*"}), QStringList());
    QCOMPARE(readAll(path), before);
}

void TstArchiveOpen::aDamagedDatabaseIsMovedAside()
{
    // A database SQLite opens, whose index no longer agrees with its table.
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite");
    makeArchive(path, 20);
    int root = 0, pageSize = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "look");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT rootpage FROM sqlite_master WHERE name = 'runs_equipment'") && q.next());
        root = q.value(0).toInt();
        QVERIFY(q.exec("PRAGMA page_size") && q.next());
        pageSize = q.value(0).toInt();
        db.close();
    }
    QSqlDatabase::removeDatabase("look");
    QByteArray bytes = readAll(path);
    const int at = bytes.indexOf("MARK-0007", qsizetype(root - 1) * pageSize);
    QVERIFY(at > 0 && at < root * pageSize);
    bytes[at + 8] = '9'; // the index now says MARK-0009 where the table says MARK-0007
    write(path, bytes);

    zq::Archive a;
    QString error, notice;
    QVERIFY2(a.open(path, &error, &notice), qPrintable(error));
    QVERIFY2(notice.contains(QStringLiteral("已损坏")), qPrintable(notice));
    const QStringList aside = QDir(dir.path()).entryList({"a.sqlite.broken-*"});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(readAll(dir.filePath(aside.value(0))), bytes); // never deleted
    QCOMPARE(a.list({}, &error).size(), 0); // a new archive in its place
}

void TstArchiveOpen::notOursIsLeftUntouched_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("says");
    const QStringList newer{QStringLiteral("第 %1 版").arg(zq::Archive::kSchemaVersion + 1),
        QStringLiteral("第 %1 版").arg(zq::Archive::kSchemaVersion)};
    const QStringList foreign{QStringLiteral("不是本程序的记录库"), "inventory"};
    QTest::newRow("a newer version, list") << "newer" << 1 << "list" << newer;
    QTest::newRow("a newer version, import") << "newer" << 1 << "import" << newer;
    QTest::newRow("another program's, import") << "foreign" << 1 << "import" << foreign;
    QTest::newRow("another program's, verify") << "foreign" << 1 << "verify" << foreign;
    QTest::newRow("version 1, list") << "v1" << 1 << "list" << QStringList{QStringLiteral("第 1 版"), "import"};
    QTest::newRow("ours, show") << "ours" << 0 << "show" << QStringList{};
    QTest::newRow("ours, verify") << "ours" << 3 << "verify" << QStringList{};
    QTest::newRow("none yet, list") << "none" << 0 << "list" << QStringList{};
    QTest::newRow("none yet, verify") << "none" << 3 << "verify" << QStringList{};
}

void TstArchiveOpen::notOursIsLeftUntouched()
{
    QFETCH(QString, kind);
    QFETCH(QString, command);
    QFETCH(int, code);
    QFETCH(QStringList, says);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite"), file = dir.filePath("run.ZQ");
    write(file, zq::dataFileBytes(timeData(5)));
    if (kind == "foreign") {
        sqlite(path, {"CREATE TABLE inventory (item TEXT, count INTEGER)", "INSERT INTO inventory VALUES ('bolt', 3)"});
    } else if (kind == "v1") {
        const QStringList statements = sqlStatements(QFINDTESTDATA("v1.sql"));
        QVERIFY(!statements.isEmpty());
        sqlite(path, statements);
    } else if (kind != "none") {
        makeArchive(path);
        if (kind == "newer")
            sqlite(
                path, {QStringLiteral("UPDATE schema_version SET version = %1").arg(zq::Archive::kSchemaVersion + 1)});
    }
    const QByteArray before = readAll(path);
    QStringList args{command == "verify" ? "verify" : "archive", "--archive", path};
    if (command != "verify")
        args << command;
    if (command != "list")
        args << file;
    if (kind == "ours" && command == "show")
        args.last() = zq::Archive::sha256Of(zq::dataFileBytes(timeData(5)));
    const Run run = zqcli(args);
    QVERIFY2(run.code == code, qPrintable(run.err));
    for (const QString &word : says)
        QVERIFY2(run.err.contains(word), qPrintable(run.err));
    QCOMPARE(readAll(path), before);
    QCOMPARE(QFile::exists(path), kind != "none");
    QVERIFY(!QFile::exists(path + "-wal") || readAll(path + "-wal").isEmpty());
}

void TstArchiveOpen::aRunIsDatedByItsLatestDownload()
{
    // A version-1 archive whose run was downloaded twice: the migration dates it by the later one.
    QTemporaryDir dir;
    const QString path = dir.filePath("v1.sqlite");
    const QStringList statements = sqlStatements(QFINDTESTDATA("v1.sql"));
    QVERIFY(!statements.isEmpty());
    sqlite(path,
        statements
            + QStringList{
                "INSERT INTO downloads VALUES ('00aa11bb', '2026-03-02T09:00:00', '/dev/ttyUSB0', 'complete', '/a.ZQ')",
                "INSERT INTO downloads VALUES ('00aa11bb', '2026-03-01T09:00:00', '/dev/ttyUSB0', 'complete', "
                "'/b.ZQ')"});
    zq::Archive a;
    QString error;
    QVERIFY2(a.open(path, &error), qPrintable(error));
    QCOMPARE(a.run("00aa11bb", &error)->downloadedAt, QStringLiteral("2026-03-02T09:00:00"));
    // The same bytes downloaded again: an earlier end changes nothing, a later one dates the run.
    const auto at = [](int day) { return QDateTime(QDate(2026, 3, day), QTime(9, 0)); };
    QVERIFY(a.recordDownload("00aa11bb", at(1).addSecs(60), "/dev/ttyUSB1", "complete", "/c.ZQ", &error));
    QCOMPARE(a.run("00aa11bb", &error)->downloadedAt, QStringLiteral("2026-03-02T09:00:00"));
    QVERIFY(a.recordDownload("00aa11bb", at(5), "/dev/ttyUSB1", "complete", "/d.ZQ", &error));
    QCOMPARE(a.run("00aa11bb", &error)->downloadedAt, QStringLiteral("2026-03-05T09:00:00"));
}

void TstArchiveOpen::anEditWaitsWhileTheServerIsDown_data()
{
    QTest::addColumn<QStringList>("args"); // after FILE
    QTest::addColumn<QString>("what"); // the history row it leaves
    QTest::newRow("set") << QStringList{"--operator", "王"} << "operator";
    QTest::newRow("note") << QStringList{"--at", "3", "--text", "炉门打开"} << "note";
    QTest::newRow("range") << QStringList{"--name", "保温", "--first", "2", "--last", "9"} << "range 保温";
    QTest::newRow("approve") << QStringList{"--as", "张", "--meaning", "review"} << "review";
}

void TstArchiveOpen::anEditWaitsWhileTheServerIsDown()
{
    ZQ_SKIP_WITHOUT(Need::Zqcli);
    QFETCH(QStringList, args);
    QFETCH(QString, what);
    // Nothing listens on port 1: the server cannot be reached, at once.
    const QString url = QStringLiteral("postgresql://zq@127.0.0.1:1/zqarchive");
    const QString command = QString::fromLatin1(QTest::currentDataTag());
    QTemporaryDir dir;
    const QString file = dir.filePath("run.ZQ"), local = dir.filePath("local.sqlite");
    write(file, zq::dataFileBytes(sequenceData(20, 600)));
    // A run this PC does not hold: told, nothing kept, as before.
    const Run unknown = zqcli(QStringList{"archive", command, file, "--archive", url, "--local", local} + args);
    QCOMPARE(unknown.code, 1);
    QVERIFY2(unknown.err.contains("does not hold this run"), qPrintable(unknown.err));
    QCOMPARE(zqcli({"archive", "import", file, "--archive", local}).code, 0);
    // A run it holds: the edit is made here and waits for the server, as the window's edits do.
    const Run run = zqcli(QStringList{"archive", command, file, "--archive", url, "--local", local} + args);
    QVERIFY2(run.code == 4, qPrintable(run.err));
    QVERIFY2(run.err.contains("cannot be reached") && run.err.contains("zqcli archive sync"), qPrintable(run.err));
    zq::Archive archive;
    QString error;
    QVERIFY(archive.open(local, &error));
    const QString sha = zq::sha256Hex(readAll(file));
    QCOMPARE(archive.history(sha, &error).constLast().what, what);
    QVERIFY(zq::pendingFor(archive, &error).total() > 0);
}

QTEST_MAIN(TstArchiveOpen)
#include "tst_archiveopen.moc"
