// Where a run came from travels with it through the shared archive: a
// download made on one PC is verified as one on another.
#include "archive/archive.h"
#include "archive/sharedlink.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/pgserver.h"
#include "support/records.h"

#include <QSignalSpy>
#include <QTemporaryDir>

class TstSharedProvenance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void downloadsTravelWithTheirRuns_data();
    void downloadsTravelWithTheirRuns();
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
    if (!PgServer::available())
        QSKIP("PostgreSQL 15 (initdb) is not installed, or run as root");
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
}

QTEST_MAIN(TstSharedProvenance)
#include "tst_sharedprovenance.moc"
