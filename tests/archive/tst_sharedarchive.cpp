// The run archive on a real PostgreSQL 15 server, started here for the
// suite: the same cases as on SQLite, writers at once, the server going
// away mid-import, a wrong password and a host that does not answer, and a
// role with only the rights the schema grants.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/pgserver.h"
#include "support/runs.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// Files f<first>…f<last> (each its own run) in a folder.
void files(const QString &dir, int first, int last)
{
    QDir().mkpath(dir);
    for (int i = first; i <= last; ++i)
        write(QStringLiteral("%1/f%2.ZQ").arg(dir).arg(i), fileOf(1 + i % 4000, uint8_t(i / 4000)));
}
} // namespace

class TstSharedArchive : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void sameCasesOnBothBackends_data();
    void sameCasesOnBothBackends();
    void fourImportersAtOnce();
    void serverGoneMidImport();
    void wrongPasswordAndNoServer();
    void onlyTheGrantedRights();

private:
    std::unique_ptr<PgServer> m_server;
};

void TstSharedArchive::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Postgres, Need::Zqcli);
    m_server = std::make_unique<PgServer>();
    QVERIFY(m_server->ok());
    qputenv("PGPASSWORD", "secret");
}

void TstSharedArchive::sameCasesOnBothBackends_data()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("SQLite") << false;
    QTest::newRow("PostgreSQL") << true;
}

void TstSharedArchive::sameCasesOnBothBackends()
{
    QFETCH(bool, server);
    QTemporaryDir dir;
    if (server)
        QVERIFY(m_server->psql("zqarchive", "TRUNCATE runs, paths, downloads, notes, ranges, files"));
    const QString where = server ? m_server->url(true) : dir.filePath("a.sqlite");
    zq::Archive a;
    QString error;
    QVERIFY2(a.open(where, &error), qPrintable(error));
    QCOMPARE(a.isServer(), server);
    bool isNew = false;
    const QString one = a.addRun(fileOf(10), dir.filePath("one.ZQ"), &isNew, &error);
    QVERIFY2(isNew && one == zq::Archive::sha256Of(fileOf(10)), qPrintable(error));
    QCOMPARE(a.addRun(fileOf(10), dir.filePath("copy.ZQ"), &isNew, &error), one);
    QVERIFY(!isNew);
    const QString two = a.addRun(fileOf(20, 11), QString(), &isNew, &error);
    QVERIFY(a.setFields(one, {"王", "Furnace 3", "齿轮", "K1", "第一炉"}, &error));
    QVERIFY(a.setVerdict(one, "FAIL", "淬火", &error));
    QVERIFY(a.addNote(one, {7, "炉门打开"}, &error));
    QVERIFY(a.saveRange(one, {"保温段", 2, 8}, &error));
    QVERIFY(a.recordDownload(
        two, QDateTime(QDate(2026, 3, 1), QTime(8, 0)), "/dev/ttyUSB0", "complete", dir.filePath("kept.ZQ"), &error));
    QCOMPARE(a.run(one.left(12), &error)->paths.size(), 2);
    QCOMPARE(a.notes(one, &error).value(0).text, QStringLiteral("炉门打开"));
    QCOMPARE(a.ranges(one, &error).value(0).last, 8);
    auto count = [&](zq::RunFilter f) { return a.list(f, &error).size(); };
    QCOMPARE(count({}), 2);
    QCOMPARE(count({{}, {}, "Furnace 3", {}, {}}), 1);
    QCOMPARE(count({{}, {}, {}, "fail", {}}), 1);
    QCOMPARE(count({{}, {}, {}, {}, "furnace"}), 1); // whatever the case
    QCOMPARE(count({{}, {}, {}, {}, "炉门"}), 1); // notes are searched too
    QCOMPARE(count({QDate(2026, 3, 1), QDate(2026, 3, 1), {}, {}, {}}), 1);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // The bytes themselves are on the server, for any PC to open.
    QCOMPARE(a.fileBytes(one, &error), server ? fileOf(10) : QByteArray());
    // zqcli sees the same rows.
    const Run list = zqcli({"archive", "--archive", where, "--local", dir.filePath("l.sqlite"), "list", "--verdict",
        "fail", "--format", "csv"});
    QVERIFY2(list.code == 0, qPrintable(list.err));
    QCOMPARE(list.out.count("\r\n"), 2);
    QVERIFY(list.out.contains(one.left(16)));
}

void TstSharedArchive::fourImportersAtOnce()
{
    QTemporaryDir dir;
    QVERIFY(m_server->psql("zqarchive", "TRUNCATE runs, paths, downloads, notes, ranges, files"));
    // 0–59, 30–89, 60–119 and 0–119: 120 runs, every one in two folders or more.
    files(dir.filePath("a"), 0, 59);
    files(dir.filePath("b"), 30, 89);
    files(dir.filePath("c"), 60, 119);
    files(dir.filePath("d"), 0, 119);
    QList<QProcess *> importers;
    for (const char *folder : {"a", "b", "c", "d"}) {
        auto *p = new QProcess(this);
        p->start(qEnvironmentVariable("ZQCLI_BIN"),
            {"archive", "--archive", m_server->url(), "--local", dir.filePath("l.sqlite"), "import",
                dir.filePath(folder)});
        importers << p;
    }
    int added = 0, known = 0;
    for (QProcess *p : importers) {
        QVERIFY(p->waitForFinished(60000));
        const QString out = QString::fromUtf8(p->readAllStandardOutput());
        QVERIFY2(p->exitCode() == 0, qPrintable(out + p->readAllStandardError()));
        added += out.section(' ', 0, 0).toInt();
        known += out.section(", ", 1, 1).section(' ', 0, 0).toInt();
    }
    QCOMPARE(added, 120); // each run new to exactly one of them
    QCOMPARE(known, 60 + 60 + 60 + 120 - 120);
    QCOMPARE(m_server->scalar("SELECT COUNT(*) FROM runs"), QStringLiteral("120"));
    QCOMPARE(m_server->scalar("SELECT COUNT(*) FROM files"), QStringLiteral("120"));
    QCOMPARE(m_server->scalar("SELECT COUNT(*) FROM paths"), QStringLiteral("300"));
}

void TstSharedArchive::serverGoneMidImport()
{
    QTemporaryDir dir;
    QVERIFY(m_server->psql("zqarchive", "TRUNCATE runs, paths, downloads, notes, ranges, files"));
    files(dir.filePath("in"), 0, 1499);
    QProcess import;
    import.start(qEnvironmentVariable("ZQCLI_BIN"),
        {"archive", "--archive", m_server->url(), "--local", dir.filePath("l.sqlite"), "import", dir.filePath("in")});
    QTRY_VERIFY_WITH_TIMEOUT(m_server->scalar("SELECT COUNT(*) FROM runs").toInt() > 20, 30000);
    m_server->stop();
    QVERIFY(import.waitForFinished(60000));
    const QString out = QString::fromUtf8(import.readAllStandardOutput());
    const QString err = QString::fromUtf8(import.readAllStandardError());
    QCOMPARE(import.exitCode(), 4); // kept, some of it waiting for the server
    QVERIFY2(err.count(QStringLiteral("cannot be reached")) == 1, qPrintable(err)); // told once
    zq::Archive local;
    QString error;
    QVERIFY(local.open(dir.filePath("l.sqlite"), &error));
    const int queued = local.queuedCount(&error);
    QVERIFY2(queued > 0 && out.contains(QStringLiteral("%1 queued").arg(queued)), qPrintable(out));
    // Back again: the queue drains, and every run is there once.
    QVERIFY(m_server->start());
    const Run sync = zqcli({"archive", "--archive", m_server->url(), "--local", dir.filePath("l.sqlite"), "sync"});
    QVERIFY2(sync.code == 0 && sync.out.startsWith("0 runs and 0 edits still queued"), qPrintable(sync.out + sync.err));
    QCOMPARE(local.queuedCount(&error), 0);
    QCOMPARE(m_server->scalar("SELECT COUNT(*) FROM runs"), QStringLiteral("1500"));
    QCOMPARE(m_server->scalar("SELECT COUNT(*) FROM files"), QStringLiteral("1500"));
}

void TstSharedArchive::wrongPasswordAndNoServer()
{
    QTemporaryDir dir;
    const Run wrong = zqcli({"archive", "--archive", m_server->url(), "--local", dir.filePath("l.sqlite"), "list"},
        QString(), {"PGPASSWORD=not-it"});
    QCOMPARE(wrong.code, 1);
    QVERIFY2(
        wrong.err.contains("password authentication failed") && wrong.err.count("zqcli:") == 1, qPrintable(wrong.err));
    // A download with nobody answering at the archive's address: kept here,
    // queued for the server, told once; the download itself succeeded.
    Simulator sim({"--style", "1", "--count", "30", "--fast"});
    const QString nowhere = QStringLiteral("postgresql://zq@127.0.0.1:%1/zqarchive").arg(m_server->port() + 1);
    const Run download = zqcli({"download", "--port", sim.device, "-o", dir.filePath("got.ZQ"), "--archive", nowhere,
        "--local", dir.filePath("l.sqlite")});
    QVERIFY2(download.code == 0, qPrintable(download.err));
    QVERIFY(QFile::exists(dir.filePath("got.ZQ")));
    QVERIFY2(download.err.count("queued") == 1, qPrintable(download.err));
    zq::Archive local;
    QString error;
    QVERIFY(local.open(dir.filePath("l.sqlite"), &error));
    const QVector<zq::Archive::Queued> waiting = local.queued(&error);
    QCOMPARE(waiting.size(), 1);
    QCOMPARE(waiting[0].bytes, readAll(dir.filePath("got.ZQ")));
    QCOMPARE(waiting[0].device, sim.device);
}

void TstSharedArchive::onlyTheGrantedRights()
{
    // The program's role reads, adds and updates; it deletes and creates nothing.
    QProcess psql;
    psql.start("psql",
        {"-h", "127.0.0.1", "-p", QString::number(m_server->port()), "-U", "zq", "-d", "zqarchive", "-v",
            "ON_ERROR_STOP=1", "-c", "DELETE FROM runs"});
    QVERIFY(psql.waitForFinished());
    QVERIFY(psql.exitCode() != 0 && psql.readAllStandardError().contains("permission denied"));
    psql.start("psql",
        {"-h", "127.0.0.1", "-p", QString::number(m_server->port()), "-U", "zq", "-d", "zqarchive", "-v",
            "ON_ERROR_STOP=1", "-c", "CREATE TABLE mine (i integer)"});
    QVERIFY(psql.waitForFinished());
    QVERIFY(psql.exitCode() != 0);
    // An empty database is refused, and left empty.
    QVERIFY(m_server->psql("postgres", "CREATE DATABASE empty"));
    zq::Archive a;
    QString error;
    QVERIFY(!a.open(QStringLiteral("postgresql://zq@127.0.0.1:%1/empty").arg(m_server->port()), &error));
    QVERIFY2(error.contains("archive-postgresql.sql"), qPrintable(error));
    QString tables;
    QVERIFY(m_server->psql("empty", "SELECT COUNT(*) FROM pg_tables WHERE schemaname = 'public'", &tables));
    QCOMPARE(tables, QStringLiteral("0"));
}

int main(int argc, char *argv[])
{
    // initdb refuses root: the server, and the suite, run as an ordinary user.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    QCoreApplication app(argc, argv);
    TstSharedArchive suite;
    return QTest::qExec(&suite, argc, argv);
}
#include "tst_sharedarchive.moc"
