// Both front ends write the same bytes for the same file: zqcli's export
// beside OPEN and 导出文本, whole and a range.
#include "core/datafile.h"
#include "core/textexport.h"
#include "support/line.h"
#include "support/window.h"

class TstBothEnds : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void exportMatchesTheWindow();
    void exportARange();
};

void TstBothEnds::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Zqcli);
}

void TstBothEnds::exportMatchesTheWindow()
{
    QTemporaryDir dir;
    write(dir.filePath("seq.ZQ"), zq::dataFileBytes(sequenceData(3840, 512)));
    QVector<WDREC> records = timeRecords(40);
    records[3].wd = zq::kFailedReading;
    write(dir.filePath("time.ZQ"), zq::dataFileBytes(zq::Record::timeStamped(records)));
    QDir().mkpath(dir.filePath("out"));
    for (const QString &format : {QStringLiteral("txt"), QStringLiteral("csv")}) {
        const Run run = zqcli({"export", dir.filePath("seq.ZQ"), dir.filePath("missing.ZQ"), dir.filePath("time.ZQ"),
            "--format", format, "--out-dir", dir.filePath("out")});
        QCOMPARE(run.code, 1); // one input failed, named; the others are done
        QVERIFY(run.err.contains("missing.ZQ"));
        const QString ext = format == "csv" ? ".csv" : ".Txt";
        for (const QString &name : {QStringLiteral("seq"), QStringLiteral("time")}) {
            // What the window writes for the same file: OPEN, then 导出文本.
            TestWindow w;
            w.dialogs->paths = {dir.filePath(name + ".ZQ"), dir.filePath("window" + ext)};
            w.dialogs->pickFilter = format == "csv" ? zq::kCsvFilter : zq::kTextFilter;
            w->onOpenClicked();
            w->onExportClicked();
            QCOMPARE(readAll(dir.filePath("out/" + name + ext)), readAll(dir.filePath("window" + ext)));
        }
    }
    // Nothing is written over an input.
    const QByteArray before = readAll(dir.filePath("seq.ZQ"));
    QCOMPARE(zqcli({"export", dir.filePath("seq.ZQ"), "-o", dir.filePath("seq.ZQ")}).code, 1);
    QCOMPARE(readAll(dir.filePath("seq.ZQ")), before);
}

void TstBothEnds::exportARange()
{
    // The window's 导出选区 and zqcli's range write the same bytes.
    QTemporaryDir dir;
    write(dir.filePath("seq.ZQ"), zq::dataFileBytes(sequenceData(300, 512)));
    for (const QString &format : {QStringLiteral("txt"), QStringLiteral("csv")}) {
        const QString ext = format == "csv" ? ".csv" : ".Txt";
        const Run run = zqcli({"export", dir.filePath("seq.ZQ"), "--format", format, "--first", "120", "--last", "179",
            "-o", dir.filePath("cli" + ext)});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        TestWindow w;
        w.dialogs->paths = {dir.filePath("seq.ZQ"), dir.filePath("window" + ext)};
        w.dialogs->pickFilter = format == "csv" ? zq::kCsvFilter : zq::kTextFilter;
        w->onOpenClicked();
        w->selectRange(120, 179);
        w->exportRange();
        QCOMPARE(readAll(dir.filePath("window" + ext)), readAll(dir.filePath("cli" + ext)));
        QCOMPARE(readAll(dir.filePath("cli" + ext)),
            (format == "csv" ? zq::exportCsv : zq::exportText)(sequenceData(300, 512), {0, 120, 179}));
    }
}

QTEST_MAIN(TstBothEnds)
#include "tst_bothends.moc"
