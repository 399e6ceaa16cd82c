// What the archive vouches for, through zqcli as a script runs it: a paused
// download kept and recorded as partial, one identity for one file in every
// command, one answer from verify and the report, and inputs that are no
// regular file refused at once.
#include "archive/archive.h"
#include "core/datafile.h"
#include "core/runinfo.h"
#include "support/line.h"
#include "support/records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {
// What sha256sum says of a file: the plain second opinion.
QString sha256sum(const QString &path)
{
    QProcess p;
    p.start("sha256sum", {path});
    p.waitForFinished();
    return QString::fromLatin1(p.readAllStandardOutput()).section(QLatin1Char(' '), 0, 0);
}

QString reportOf(const QString &file, const QString &archive, const QString &pdf)
{
    const Run run
        = zqcli({"report", file, "--process", "--archive", archive, "-o", pdf, "--setpoint", "220", "--tol", "30"});
    return run.code == 0 ? pdfText(pdf).simplified() : QStringLiteral("report failed: ") + run.err;
}
} // namespace

class TstProvenance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aPausedDownloadIsNotVouchedFor();
    void oneFileIsOneRunEverywhere();
    void verifyAndTheReportAgree_data();
    void verifyAndTheReportAgree();
    void notARegularFileIsRefusedAtOnce_data();
    void notARegularFileIsRefusedAtOnce();
    void aDownloadNamesThePcItWasMadeOn();
};

void TstProvenance::aPausedDownloadIsNotVouchedFor()
{
    ZQ_SKIP_WITHOUT(Need::Simulator, Need::Zqcli);
    // 720 records with a pause after 300: the transfer ends at the silence and
    // the records after the pause show it was not whole.
    Simulator sim({"--style", "1", "--count", "720", "--pause-after", "300", "--pause-ms", "2500"});
    QTemporaryDir here;
    const QString archive = here.filePath("a.sqlite");
    const Run got = zqcli({"download", "--port", sim.device, "--archive", archive}, here.path());
    QCOMPARE(got.code, 4);
    // One name on stdout, the one that exists.
    const QStringList named = got.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(named.size(), 1);
    const QString kept = QDir(here.path()).absoluteFilePath(named.value(0));
    QVERIFY2(kept.endsWith("-incomplete.ZQ") && QFile::exists(kept), qPrintable(got.out));

    {
        // The download as stored: its final outcome, the name that exists.
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "look");
        db.setDatabaseName(archive);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT sha256, outcome, kept_path FROM downloads") && q.next());
        QCOMPARE(q.value(0).toString(), sha256sum(kept));
        QCOMPARE(q.value(1).toString(), QStringLiteral("paused"));
        QCOMPARE(q.value(2).toString(), kept);
        QVERIFY(!q.next());
        QVERIFY(q.exec("SELECT path FROM paths") && q.next());
        QCOMPARE(q.value(0).toString(), kept);
        QVERIFY(!q.next());
    }
    QSqlDatabase::removeDatabase("look");

    const Run v = zqcli({"verify", "--archive", archive, kept});
    QCOMPARE(v.code, 3);
    QVERIFY2(v.out.contains(QStringLiteral("下载不完整：测温仪中途停顿过")), qPrintable(v.out));
    const QString report = reportOf(kept, archive, here.filePath("r.pdf"));
    QVERIFY2(
        report.contains(QStringLiteral("下载不完整：测温仪中途停顿过")) && !report.contains(QStringLiteral("未改动")),
        qPrintable(report));
}

void TstProvenance::oneFileIsOneRunEverywhere()
{
    // A data file as a text-mode transfer leaves it, CR LF appended: one run,
    // known by sha256sum's hash in every command.
    QTemporaryDir dir;
    const QString file = dir.filePath("run.ZQ"), archive = dir.filePath("a.sqlite");
    write(file, zq::dataFileBytes(timeData(60)) + "\r\n");
    const QString sha = sha256sum(file);
    QCOMPARE(sha.size(), 64);
    QCOMPARE(zqcli({"archive", "--archive", archive, "import", file}).code, 0);
    QCOMPARE(zqcli({"archive", "--archive", archive, "set", file, "--operator", "王"}).code, 0);
    QCOMPARE(
        zqcli({"analyze", file, "--archive", archive, "--setpoint", "220", "--tol", "30", "--max-overshoot", "100"})
            .code,
        0);
    const Run show = zqcli({"archive", "--archive", archive, "show", file});
    QCOMPARE(show.code, 0);
    const QJsonObject shown = QJsonDocument::fromJson(show.out.toUtf8()).object();
    QCOMPARE(shown.value("sha256").toString(), sha);
    QCOMPARE(shown.value("operator").toString(), QStringLiteral("王"));
    QCOMPARE(shown.value("verdict").toString(), QStringLiteral("PASS"));
    const Run list = zqcli({"archive", "--archive", archive, "list", "--format", "json"});
    const QJsonArray listed = QJsonDocument::fromJson(list.out.toUtf8()).array();
    QCOMPARE(listed.size(), 1);
    // The paths as show gives them.
    QCOMPARE(shown.value("paths").toArray(), QJsonArray{QFileInfo(file).absoluteFilePath()});
    QCOMPARE(listed[0].toObject().value("paths"), shown.value("paths"));
    const QString report = reportOf(file, archive, dir.filePath("r.pdf"));
    QVERIFY2(report.contains(QStringLiteral("SHA-256 ") + zq::shortFingerprint(sha)) && report.contains("王"),
        qPrintable(report));
}

void TstProvenance::verifyAndTheReportAgree_data()
{
    QTest::addColumn<QString>("history");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QString>("prints");
    QTest::newRow("a whole download") << "complete" << 0
                                      << "verified: downloaded 2026-12-06T21:30:05 from /dev/ttyUSB0 on "
            + QSysInfo::machineHostName()
                                      << QStringLiteral("下载于 2026-12-06 21:30:05 自 /dev/ttyUSB0，未改动");
    QTest::newRow("a copy of a whole download elsewhere")
        << "copy" << 0 << "verified: downloaded 2026-12-06T21:30:05 from /dev/ttyUSB0"
        << QStringLiteral("下载于 2026-12-06 21:30:05 自 /dev/ttyUSB0，未改动");
    QTest::newRow("a cut download") << "cut" << 3 << QStringLiteral("下载不完整：传输中断")
                                    << QStringLiteral("下载不完整：传输中断");
    QTest::newRow("changed since") << "changed" << 3 << "changed since it was downloaded"
                                   << QStringLiteral("下载后已改动");
    QTest::newRow("imported, never downloaded")
        << "imported" << 3 << "not from a download" << QStringLiteral("档案中有此文件，非下载所得");
    QTest::newRow("unknown") << "none" << 3 << "unknown to the archive" << QStringLiteral("档案中无此文件");
}

void TstProvenance::verifyAndTheReportAgree()
{
    QFETCH(QString, history);
    QFETCH(int, code);
    QFETCH(QString, says);
    QFETCH(QString, prints);
    QTemporaryDir dir;
    const QString file = dir.filePath("run.ZQ"), archive = dir.filePath("a.sqlite");
    write(file, zq::dataFileBytes(timeData(60)));
    {
        zq::Archive a;
        QString error;
        bool isNew = false;
        QVERIFY(a.open(archive, &error));
        if (history != "none") {
            const QString sha = a.addRun(readAll(file), file, &isNew, &error);
            QVERIFY2(!sha.isEmpty(), qPrintable(error));
            if (history != "imported")
                QVERIFY(a.recordDownload(sha, QDateTime(QDate(2026, 12, 6), QTime(21, 30, 5)), "/dev/ttyUSB0",
                    history == "changed" || history == "copy" ? "complete" : history, file, &error));
        }
    }
    if (history == "changed")
        write(file, zq::dataFileBytes(timeData(61)));
    const QString checked = history == "copy" ? dir.filePath("copy.ZQ") : file;
    write(checked, readAll(file));
    const Run v = zqcli({"verify", "--archive", archive, checked});
    QCOMPARE(v.code, code);
    QVERIFY2(v.out.contains(says), qPrintable(v.out));
    const QString report = reportOf(checked, archive, dir.filePath("r.pdf"));
    QVERIFY2(report.contains(prints), qPrintable(report));
    // The fingerprint of the bytes the figures came from, as sha256sum has it.
    QVERIFY2(
        report.contains(QStringLiteral("SHA-256 ") + zq::shortFingerprint(sha256sum(checked))), qPrintable(report));
}

void TstProvenance::notARegularFileIsRefusedAtOnce_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("import") << QStringList{"archive", "--archive", "A", "import", "FIFO"};
    QTest::newRow("analyze") << QStringList{"analyze", "FIFO", "--archive", "A", "--setpoint", "220", "--tol", "30"};
    QTest::newRow("verify") << QStringList{"verify", "--archive", "A", "FIFO"};
    QTest::newRow("info") << QStringList{"info", "FIFO"};
    QTest::newRow("report") << QStringList{"report", "FIFO", "--process", "--archive", "A", "-o", "OUT"};
}

void TstProvenance::notARegularFileIsRefusedAtOnce()
{
    // A pipe nobody writes to would be waited on for ever.
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.ZQ");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (QString &a : args)
        a = a == "FIFO" ? fifo : a == "OUT" ? dir.filePath("r.pdf") : a == "A" ? dir.filePath("a.sqlite") : a;
    const Run run = zqcli(args);
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(fifo) && run.err.contains(QStringLiteral("不是普通文件")), qPrintable(run.err));
}

void TstProvenance::aDownloadNamesThePcItWasMadeOn()
{
    // A version 4 file, made by that version's own statements.
    QTemporaryDir dir;
    const QString path = dir.filePath("v4.sqlite");
    const QStringList statements = sqlStatements(QFINDTESTDATA("v4.sql"));
    QVERIFY(!statements.isEmpty());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "v4");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString &statement : statements)
            QVERIFY2(QSqlQuery(db).exec(statement), qPrintable(statement));
    }
    QSqlDatabase::removeDatabase("v4");
    const QStringList show{"archive", "--archive", path, "show", "00aa11bb"};
    QVERIFY2(zqcli(show).err.contains("第 5 版"), "a read-only command does not bring it up to date");
    {
        zq::Archive a;
        QString error;
        QVERIFY2(a.open(path, &error), qPrintable(error));
        QVERIFY(a.recordDownload(
            "00aa11bb", QDateTime(QDate(2026, 3, 3), QTime(9, 0)), "/dev/ttyUSB1", "complete", QString(), &error));
    }
    const Run shown = zqcli(show);
    QCOMPARE(shown.code, 0);
    const QJsonArray downloads = QJsonDocument::fromJson(shown.out.toUtf8()).object().value("downloads").toArray();
    QCOMPARE(downloads.size(), 2);
    QCOMPARE(downloads[0].toObject().value("device").toString(), QStringLiteral("/dev/ttyUSB0"));
    QVERIFY(downloads[0].toObject().value("host").isNull()); // recorded before: not known, never made up
    QCOMPARE(downloads[1].toObject().value("host").toString(), QSysInfo::machineHostName());
}

QTEST_MAIN(TstProvenance)
#include "tst_provenance.moc"
