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
