// The run archive on real SQLite files: runs by content, fields and notes,
// filters, a version-1 archive migrated, two writers at once, a writer
// killed mid-import, a broken file moved aside, and a read-only archive.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/runs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <unistd.h>

class TstArchive : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void runsFieldsNotesAndFilters();
    void migratesVersionOne();
    void twoWritersLoseNothing();
    void killedMidImport();
    void brokenFileMovedAside();
    void readOnlyArchive();
    void namedRangesFromTheCommandLine();
    void listedCsvKeepsEveryCellWhole();
};

void TstArchive::runsFieldsNotesAndFilters()
{
    QTemporaryDir dir;
    zq::Archive a;
    QString error;
    QVERIFY2(a.open(dir.filePath("a.sqlite"), &error), qPrintable(error));
    bool isNew = false;
    const QString one = a.addRun(fileOf(10), dir.filePath("one.ZQ"), &isNew, &error);
    QVERIFY(isNew && one == zq::Archive::sha256Of(fileOf(10)));
    QCOMPARE(a.addRun(fileOf(10), dir.filePath("copy.ZQ"), &isNew, &error), one); // the same bytes: one run
    QVERIFY(!isNew);
    const QString two = a.addRun(fileOf(20, 11), QString(), &isNew, &error);
    QVERIFY(a.setFields(one,
        {QStringLiteral("王"), QStringLiteral("3"), QStringLiteral("齿轮"), QStringLiteral("K1"),
            QStringLiteral("第一炉")},
        &error));
    QVERIFY(a.setVerdict(one, "FAIL", QStringLiteral("淬火"), &error));
    QVERIFY(a.addNote(one, {1200, QStringLiteral("炉门打开")}, &error));
    QVERIFY(a.recordDownload(
        two, QDateTime(QDate(2026, 3, 1), QTime(8, 0)), "/dev/ttyUSB0", "complete", dir.filePath("kept.ZQ"), &error));
    const std::optional<zq::RunRow> run = a.run(one.left(12), &error);
    QVERIFY(run);
    QCOMPARE(run->fields.thermocouple, QStringLiteral("K1"));
    QCOMPARE(run->readings, 10);
    QCOMPARE(run->paths.size(), 2);
    QCOMPARE(a.notes(one, &error).value(0).text, QStringLiteral("炉门打开"));
    // Named ranges: a name given again moves its range; listed in reading order.
    QVERIFY(a.saveRange(one, {QStringLiteral("保温段"), 2, 8}, &error));
    QVERIFY(a.saveRange(one, {QStringLiteral("升温"), 0, 3}, &error));
    QVERIFY(a.saveRange(one, {QStringLiteral("保温段"), 4, 9}, &error));
    const QVector<zq::NamedRange> ranges = a.ranges(one, &error);
    QCOMPARE(ranges.size(), 2);
    QCOMPARE(ranges[0].name, QStringLiteral("升温"));
    QCOMPARE((std::pair{ranges[1].first, ranges[1].last}), (std::pair{4, 9}));
    QVERIFY(a.ranges(two, &error).isEmpty());
    auto count = [&](zq::RunFilter f) { return a.list(f, &error).size(); };
    QCOMPARE(count({}), 2);
    QCOMPARE(count({{}, {}, QStringLiteral("3"), {}, {}}), 1);
    QCOMPARE(count({{}, {}, {}, QStringLiteral("fail"), {}}), 1);
    QCOMPARE(count({{}, {}, {}, {}, QStringLiteral("炉门")}), 1); // notes are searched too
    QCOMPARE(count({QDate(2026, 3, 1), QDate(2026, 3, 1), {}, {}, {}}), 1); // by the download's day
    QVERIFY(error.isEmpty());
}

void TstArchive::migratesVersionOne()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("v1.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString &statement : sqlStatements(QFINDTESTDATA("v1.sql")))
            QVERIFY(QSqlQuery(db).exec(statement));
        db.close();
    }
    QSqlDatabase::removeDatabase("fixture");
    zq::Archive a;
    QString error;
    QVERIFY2(a.open(path, &error), qPrintable(error));
    const std::optional<zq::RunRow> run = a.run("00aa11bb", &error);
    QVERIFY(run);
    QCOMPARE(run->fields.equipment, QStringLiteral("3"));
    QCOMPARE(run->verdict, QStringLiteral("FAIL"));
    QCOMPARE(a.notes("00aa11bb", &error).value(0).text, QStringLiteral("炉门打开"));
    QVERIFY(a.setFields("00aa11bb", {"王", "3", "齿轮", "K2", "第一炉"}, &error)); // a column version 1 lacked
    QCOMPARE(a.run("00aa11bb", &error)->fields.thermocouple, QStringLiteral("K2"));
    QVERIFY(a.saveRange("00aa11bb", {QStringLiteral("保温段"), 10, 20}, &error)); // a table version 1 lacked
}

void TstArchive::twoWritersLoseNothing()
{
    ZQ_SKIP_WITHOUT(Need::Zqcli);
    // Two imports at once over overlapping folders: every distinct file once.
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("a"));
    QDir().mkpath(dir.filePath("b"));
    for (int i = 0; i < 60; ++i)
        write(dir.filePath(QStringLiteral("%1/f%2.ZQ").arg(i < 40 ? "a" : "b").arg(i)), fileOf(i + 1));
    for (int i = 20; i < 40; ++i) // the same bytes in both folders
        write(dir.filePath(QStringLiteral("b/copy%1.ZQ").arg(i)), fileOf(i + 1));
    const QString archive = dir.filePath("a.sqlite");
    QProcess first, second;
    first.start(qEnvironmentVariable("ZQCLI_BIN"), {"archive", "--archive", archive, "import", dir.filePath("a")});
    second.start(qEnvironmentVariable("ZQCLI_BIN"), {"archive", "--archive", archive, "import", dir.filePath("b")});
    QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
    QCOMPARE(first.exitCode() + second.exitCode(), 0);
    zq::Archive a;
    QString error;
    QVERIFY(a.open(archive, &error));
    QCOMPARE(a.list({}, &error).size(), 60);
}

void TstArchive::killedMidImport()
{
    ZQ_SKIP_WITHOUT(Need::Zqcli);
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("in"));
    for (int i = 0; i < 400; ++i)
        write(dir.filePath(QStringLiteral("in/f%1.ZQ").arg(i)), fileOf(1 + i % 4000, uint8_t(i % 24)));
    const QString archive = dir.filePath("a.sqlite");
    QProcess p;
    p.start(qEnvironmentVariable("ZQCLI_BIN"), {"archive", "--archive", archive, "import", dir.filePath("in")});
    QVERIFY(p.waitForStarted());
    // Killed once some runs are in.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(archive + "-wal").size() > 0 || QFileInfo(archive).size() > 8192, 20000);
    ::kill(pid_t(p.processId()), SIGKILL);
    p.waitForFinished();
    zq::Archive a;
    QString error, notice;
    QVERIFY2(a.open(archive, &error, &notice), qPrintable(error));
    QVERIFY2(notice.isEmpty(), qPrintable(notice)); // intact: nothing moved aside
    const int kept = int(a.list({}, &error).size());
    // The import again finds every committed run and adds only the rest.
    const Run again = zqcli({"archive", "--archive", archive, "import", dir.filePath("in")});
    QCOMPARE(again.code, 0);
    QVERIFY2(
        again.out.startsWith(QStringLiteral("%1 new, %2 already").arg(400 - kept).arg(kept)), qPrintable(again.out));
}

void TstArchive::brokenFileMovedAside()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite");
    write(path, QByteArray(8192, 'x'));
    zq::Archive a;
    QString error, notice;
    QVERIFY2(a.open(path, &error, &notice), qPrintable(error));
    QVERIFY2(notice.contains(QStringLiteral("已损坏")) && notice.contains("zqcli archive import"), qPrintable(notice));
    const QStringList aside = QDir(dir.path()).entryList({"a.sqlite.broken-*"});
    QCOMPARE(aside.size(), 1);
    QFile moved(dir.filePath(aside.value(0)));
    QVERIFY(moved.open(QIODevice::ReadOnly) && moved.readAll() == QByteArray(8192, 'x')); // never deleted
    bool isNew = false;
    QVERIFY(!a.addRun(fileOf(3), QString(), &isNew, &error).isEmpty());
}

void TstArchive::readOnlyArchive()
{
    ZQ_SKIP_WITHOUT(Need::Zqcli);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite");
    {
        zq::Archive a;
        QString error;
        QVERIFY(a.open(path, &error));
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    if (QFileInfo(path).isWritable())
        QSKIP("root may write any file");
    write(dir.filePath("run.ZQ"), fileOf(5));
    const Run cli = zqcli({"archive", "--archive", path, "import", dir.filePath("run.ZQ")});
    QCOMPARE(cli.code, 1);
    QVERIFY2(cli.err.contains(path) || cli.err.contains("readonly"), qPrintable(cli.err));
}

void TstArchive::namedRangesFromTheCommandLine()
{
    // Refusals (past the end, backwards, no name) are tst_clihelp's rangeOutsideTheRun.
    ZQ_SKIP_WITHOUT(Need::Zqcli);
    QTemporaryDir dir;
    const QString archive = dir.filePath("a.sqlite");
    write(dir.filePath("run.ZQ"), fileOf(10));
    QCOMPARE(zqcli({"archive", "--archive", archive, "import", dir.filePath("run.ZQ")}).code, 0);
    const Run set = zqcli({"archive", "--archive", archive, "range", dir.filePath("run.ZQ"), "--first", "2", "--last",
        "8", "--name", "保温段"});
    QVERIFY2(set.code == 0, qPrintable(set.err));
    const Run show = zqcli({"archive", "--archive", archive, "show", dir.filePath("run.ZQ")});
    const QJsonArray ranges = QJsonDocument::fromJson(show.out.toUtf8()).object().value("ranges").toArray();
    QCOMPARE(ranges, (QJsonArray{QJsonObject{{"name", QStringLiteral("保温段")}, {"first", 2}, {"last", 8}}}));
}

void TstArchive::listedCsvKeepsEveryCellWhole()
{
    ZQ_SKIP_WITHOUT(Need::Zqcli);
    QTemporaryDir dir;
    const QString archive = dir.filePath("a.sqlite");
    write(dir.filePath("run.ZQ"), fileOf(10));
    QCOMPARE(zqcli({"archive", "--archive", archive, "import", dir.filePath("run.ZQ")}).code, 0);
    QCOMPARE(zqcli({"archive", "--archive", archive, "set", dir.filePath("run.ZQ"), "--comment",
                       "炉门, \"半开\"\n第二行", "--load", "a\rb"})
                 .code,
        0);
    const Run list = zqcli({"archive", "--archive", archive, "list", "--format", "csv"});
    QCOMPARE(list.code, 0);
    // RFC 4180: such cells quoted, quotes doubled, the line break kept inside.
    QVERIFY2(
        list.out.endsWith(QStringLiteral(",\"a\rb\",,,\"炉门, \"\"半开\"\"\n第二行\",0,0\r\n")), qPrintable(list.out));
}

int main(int argc, char *argv[])
{
    // As an unprivileged user: root ignores a file's read-only mode.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    QCoreApplication app(argc, argv);
    TstArchive archive;
    return QTest::qExec(&archive, argc, argv);
}
#include "tst_archive.moc"
