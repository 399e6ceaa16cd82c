// zqcli report's view: sequence data from a reading (--start), time-stamped
// data by the hour (--hour); the option of the other kind is refused, since
// it would number the axis from where the curve does not start.
#include "core/datafile.h"
#include "support/records.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TstReportView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void viewChosenByTheDataKind_data();
    void viewChosenByTheDataKind();
};

void TstReportView::viewChosenByTheDataKind_data()
{
    QTest::addColumn<bool>("timed");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("time-stamped, --start") << true << QStringList{"--start", "5"} << 2 << "--hour";
    QTest::newRow("time-stamped, --start 0") << true << QStringList{"--start", "0"} << 2 << "--hour";
    QTest::newRow("time-stamped, --hour 3") << true << QStringList{"--hour", "3"} << 0 << "";
    QTest::newRow("time-stamped, --hour 24") << true << QStringList{"--hour", "24"} << 2 << "0 to 23";
    QTest::newRow("time-stamped, no view") << true << QStringList{} << 0 << "";
    QTest::newRow("sequence, --hour") << false << QStringList{"--hour", "3"} << 2 << "--start";
    QTest::newRow("sequence, --start") << false << QStringList{"--start", "120"} << 0 << "";
    // At the window's limits: groups 0-7, the scale 400-2000, the hours 0-23,
    // sequence views from 0 to 3720 (tens 0-372, so readings up to 3729 land there).
    QTest::newRow("--group 0") << true << QStringList{"--group", "0"} << 0 << "";
    QTest::newRow("--group 7") << true << QStringList{"--group", "7"} << 0 << "";
    QTest::newRow("--group 8") << true << QStringList{"--group", "8"} << 2 << "--group";
    QTest::newRow("--group -1") << true << QStringList{"--group", "-1"} << 2 << "--group";
    QTest::newRow("--base 400") << true << QStringList{"--base", "400"} << 0 << "";
    QTest::newRow("--base 399") << true << QStringList{"--base", "399"} << 2 << "--base";
    QTest::newRow("--base 2000") << true << QStringList{"--base", "2000"} << 0 << "";
    QTest::newRow("--base 2001") << true << QStringList{"--base", "2001"} << 2 << "--base";
    QTest::newRow("--hour 0") << true << QStringList{"--hour", "0"} << 0 << "";
    QTest::newRow("--hour 23") << true << QStringList{"--hour", "23"} << 0 << "";
    QTest::newRow("--hour -1") << true << QStringList{"--hour", "-1"} << 2 << "0 to 23";
    QTest::newRow("--start 0") << false << QStringList{"--start", "0"} << 0 << "";
    QTest::newRow("--start 3729") << false << QStringList{"--start", "3729"} << 0 << "";
    QTest::newRow("--start 3730") << false << QStringList{"--start", "3730"} << 2 << "0 to 3729";
    QTest::newRow("--start -1") << false << QStringList{"--start", "-1"} << 2 << "0 to 3729";
}

void TstReportView::viewChosenByTheDataKind()
{
    QFETCH(bool, timed);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(timed ? timeData(720, 3) : sequenceData(600, 650)));
    QProcess p;
    p.start(qEnvironmentVariable("ZQCLI_BIN"),
        QStringList{"report", dir.filePath("run.ZQ"), "-o", dir.filePath("r.pdf")} + options);
    QVERIFY(p.waitForFinished(30000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), exitCode);
    QVERIFY2(err.contains(said), qPrintable(err));
    QCOMPARE(QFile::exists(dir.filePath("r.pdf")), exitCode == 0);
}

QTEST_MAIN(TstReportView)
#include "tst_reportview.moc"
