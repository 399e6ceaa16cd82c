// The shared archive: where a run came from travels with it (a download
// made on one PC is verified as one on another), push carries what the user
// recorded, and an import waits in the local queue for a server that is down.
#include "archive/archive.h"
#include "archive/sharedlink.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/needs.h"
#include "support/pgserver.h"
#include "support/records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <unistd.h>

class TstSharedProvenance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void downloadsTravelWithTheirRuns_data();
    void downloadsTravelWithTheirRuns();
    void pushCarriesWhatTheUserKnew();
    void anImportWaitsForAServerThatIsDown();
    void anImportWhileTheServerIsDownIsSentOnce();
    void aVersion4ServerIsBroughtUpTo5();
};

void TstSharedProvenance::downloadsTravelWithTheirRuns_data()
{
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says");
    QTest::newRow("a whole download") << "complete" << 0
                                      << "verified: downloaded 2026-12-06T21:30:05 from /dev/ttyUSB0";
    QTest::newRow("a cut one") << "cut" << 3 << QStringLiteral("下载不完整：传输中断");
}

void TstSharedProvenance::downloadsTravelWithTheirRuns()
{
    ZQ_SKIP_WITHOUT(Need::Postgres);
    QFETCH(QString, outcome);
    QFETCH(int, code);
    QFETCH(QString, says);
    PgServer server;
    QVERIFY(server.ok());
    qputenv("PGPASSWORD", "secret");
    QTemporaryDir dir;
    const QByteArray bytes = zq::dataFileBytes(timeData(90));
    // PC A downloads, and its queue reaches the server.
    {
        zq::Archive a;
        QString error;
        QVERIFY(a.open(dir.filePath("a.sqlite"), &error));
        QVERIFY(a.queue(
            {0, bytes, "/home/a/kept.ZQ", QDateTime(QDate(2026, 12, 6), QTime(21, 30, 5)), "/dev/ttyUSB0", outcome},
            &error));
    }
    for (const char *pc : {"a.sqlite", "b.sqlite"}) {
        zq::SharedLink link(server.url(), dir.filePath(QString::fromLatin1(pc)));
        QSignalSpy synced(&link, &zq::SharedLink::synced);
        QTRY_VERIFY_WITH_TIMEOUT(synced.count() > 0, 15000);
    }
    // PC B holds the same bytes: the archive there knows them as that download.
    write(dir.filePath("copy.ZQ"), bytes);
    const Run v = zqcli({"verify", "--archive", dir.filePath("b.sqlite"), dir.filePath("copy.ZQ")});
    QCOMPARE(v.code, code);
    QVERIFY2(v.out.contains(says), qPrintable(v.out));
    // And the PC it was made on, queued with it.
    const Run shown = zqcli({"archive", "show", "--archive", dir.filePath("b.sqlite"), dir.filePath("copy.ZQ")});
    const QJsonArray downloads = QJsonDocument::fromJson(shown.out.toUtf8()).object().value("downloads").toArray();
    QCOMPARE(downloads.size(), 1);
    QCOMPARE(downloads[0].toObject().value("host").toString(), QSysInfo::machineHostName());
}

void TstSharedProvenance::pushCarriesWhatTheUserKnew()
{
    ZQ_SKIP_WITHOUT(Need::Postgres);
    PgServer server;
    QVERIFY(server.ok());
    qputenv("PGPASSWORD", "secret");
    QTemporaryDir dir;
    const QString file = dir.filePath("run.ZQ"), local = dir.filePath("mine.sqlite");
    write(file, zq::dataFileBytes(timeData(90)));
    QString sha, error;
    {
        zq::Archive a;
        bool isNew = false;
        QVERIFY(a.open(local, &error));
        sha = a.addRun(readAll(file), file, &isNew, &error);
        QVERIFY(a.setFields(sha, {QStringLiteral("王"), "3", {}, "K", {}}, &error));
        QVERIFY(
            a.setVerdict(sha, "FAIL", QStringLiteral("淬火"), &error, QStringLiteral("已修正：仪表 C-1（300:+1）")));
        QVERIFY(a.addNote(sha, {12, QStringLiteral("炉门打开")}, &error));
        QVERIFY(a.saveRange(sha, {QStringLiteral("保温段"), 10, 40}, &error));
        // Brought here from PC A: pushed, it still names PC A.
        QVERIFY(a.recordDownload({sha, "2026-12-06T21:30:05", "/dev/ttyUSB0", "complete", file, "pc-a"}, &error));
    }
    const QStringList push{
        "archive", "--archive", server.url(), "--local", dir.filePath("queue.sqlite"), "push", "--from", local};
    Run run = zqcli(push);
    QVERIFY2(run.code == 0 && run.out.startsWith("1 new"), qPrintable(run.out + run.err));
    run = zqcli(push); // again: nothing twice
    QVERIFY2(run.code == 0 && run.out.startsWith("0 new on the server, 1 already"), qPrintable(run.out + run.err));
    zq::Archive shared;
    QVERIFY2(shared.open(server.url(), &error), qPrintable(error));
    const std::optional<zq::RunRow> there = shared.run(sha, &error);
    QVERIFY2(there, qPrintable(error));
    QCOMPARE(there->fields.operatorName, QStringLiteral("王"));
    QCOMPARE(there->verdict, QStringLiteral("FAIL"));
    QCOMPARE(there->checks, 1); // pushed twice, checked once
    const QVector<zq::HistoryRow> rows = shared.history(sha, &error);
    QCOMPARE(std::count_if(rows.begin(), rows.end(),
                 [](const zq::HistoryRow &r) { return r.reason == QStringLiteral("已修正：仪表 C-1（300:+1）"); }),
        1); // the check's row says what it was judged on there too
    QCOMPARE(shared.notes(sha, &error).size(), 1);
    QCOMPARE(shared.ranges(sha, &error).value(0).last, 40);
    const zq::Provenance p = shared.provenance(readAll(file), file, &error);
    QCOMPARE(p.kind, zq::Provenance::Downloaded);
    QCOMPARE(p.host, QStringLiteral("pc-a"));
}

void TstSharedProvenance::anImportWaitsForAServerThatIsDown()
{
    // Nothing listens on port 1: the server is down from the start.
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(timeData(40)));
    const QString local = dir.filePath("local.sqlite");
    const Run run = zqcli({"archive", "--archive", "postgresql://zq@127.0.0.1:1/zqarchive?sslmode=disable", "--local",
        local, "import", dir.filePath("run.ZQ")});
    QCOMPARE(run.code, 4); // kept, but not yet on the server
    QVERIFY2(run.out.contains("1 queued for the server") && run.err.contains(QStringLiteral("1 条待上传")),
        qPrintable(run.out + run.err));
    zq::Archive a;
    QString error;
    QVERIFY(a.open(local, &error));
    const QVector<zq::Archive::Queued> queued = a.queued(&error);
    QCOMPARE(queued.size(), 1);
    QCOMPARE(queued[0].bytes, readAll(dir.filePath("run.ZQ")));
}

void TstSharedProvenance::anImportWhileTheServerIsDownIsSentOnce()
{
    ZQ_SKIP_WITHOUT(Need::Postgres);
    PgServer server;
    QVERIFY(server.ok());
    qputenv("PGPASSWORD", "secret");
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(timeData(90)));
    const QStringList where{"--archive", server.url(), "--local", dir.filePath("local.sqlite")};
    server.stop();
    const Run queued = zqcli(QStringList{"archive"} + where + QStringList{"import", dir.filePath("run.ZQ")});
    QVERIFY2(queued.code == 4 && queued.err.contains(QStringLiteral("1 条待上传")), qPrintable(queued.err));
    QVERIFY(server.start());
    for (int round = 0; round < 2; ++round) {
        const Run sync = zqcli(QStringList{"archive"} + where + QStringList{"sync"});
        QVERIFY2(
            sync.code == 0 && sync.out.contains("0 runs and 0 edits still queued"), qPrintable(sync.out + sync.err));
    }
    zq::Archive shared;
    QString error;
    QVERIFY(shared.open(server.url(), &error));
    const QVector<zq::RunRow> runs = shared.list({}, &error);
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs[0].paths, QStringList{dir.filePath("run.ZQ")});
}

void TstSharedProvenance::aVersion4ServerIsBroughtUpTo5()
{
    ZQ_SKIP_WITHOUT(Need::Postgres);
    PgServer server;
    QVERIFY(server.ok());
    qputenv("PGPASSWORD", "secret");
    // The server as the version 4 schema left it, with a download recorded then.
    QVERIFY(server.psql("zqarchive",
        "ALTER TABLE downloads DROP COLUMN host; UPDATE schema_version SET version = 4;"
        " INSERT INTO runs (sha256, data_type, readings, failed, added_at)"
        " VALUES ('00aa11bb', 2, 720, 2, '2026-03-02T08:00:00');"
        " INSERT INTO downloads VALUES ('00aa11bb', '2026-03-02T07:59:00', '/dev/ttyUSB0', 'complete', NULL)"));
    QString error;
    {
        zq::Archive before;
        QVERIFY(!before.open(server.url(), &error));
        QVERIFY2(error.contains(QStringLiteral("第 4 版")), qPrintable(error));
    }
    QVERIFY(server.psqlFile(QStringLiteral(ZQ_SOURCE_DIR "/packaging/archive-postgresql-5.sql")));
    zq::Archive a;
    QVERIFY2(a.open(server.url(), &error), qPrintable(error));
    QVERIFY2(a.recordDownload(
                 "00aa11bb", QDateTime(QDate(2026, 3, 3), QTime(9, 0)), "/dev/ttyUSB1", "complete", QString(), &error),
        qPrintable(error));
    QStringList hosts;
    for (const zq::Archive::DownloadRow &d : a.downloads(&error, "00aa11bb"))
        hosts << d.host;
    QCOMPARE(hosts, (QStringList{QString(), QSysInfo::machineHostName()}));
    QVERIFY(!server.psqlFile(QStringLiteral(ZQ_SOURCE_DIR "/packaging/archive-postgresql-5.sql"))); // only once
}

int main(int argc, char *argv[])
{
    // initdb refuses root: the server, and the suite, run as an ordinary user.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    QCoreApplication app(argc, argv);
    TstSharedProvenance suite;
    return QTest::qExec(&suite, argc, argv);
}
#include "tst_sharedprovenance.moc"
