// A download is what the instrument holds: never the rest of an earlier
// stream, never junk read as a record, never a paused stream passed off as
// whole, never two downloads under one name, never bytes shared with
// another reader. The window and zqcli against the simulator.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/window.h"

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>

namespace {
QStringList filesIn(const QString &dir, const QString &pattern)
{
    return QDir(dir).entryList({pattern}, QDir::Files, QDir::Name);
}

bool ended(TestWindow &w)
{
    return !w->instrument().downloading() && !w->instrument().watching();
}
} // namespace

class TstWholeDownload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void restOfAnEarlierStreamIsDropped();
    void instrumentStillSending();
    void junkBeforeTheAnswer_data();
    void junkBeforeTheAnswer();
    void aPauseMeansIncomplete();
    void anotherReaderIsNamed();
    void concurrentDownloadsNeverShareAName();
    void downloadsGoToTheArchive();
};

void TstWholeDownload::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Simulator, Need::Zqcli);
}

void TstWholeDownload::restOfAnEarlierStreamIsDropped()
{
    // An instrument that streams its memory to the end, deaf meanwhile: the
    // window is closed mid-transfer, and a new one asks again at once.
    const QStringList args{"--busy-ignores-requests", "--byte-us", "150"};
    QTemporaryDir keep;
    Simulator sim(args);
    {
        TestWindow first(sim.device);
        first->setKeepDir(keep.filePath("first"));
        ui(first).downloadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(first->instrument().download().received() >= 400, 5000);
    }
    TestWindow w(sim.device);
    w->setKeepDir(keep.filePath("second"));
    ui(w).downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(ended(w), 15000);
    // What a fresh instrument sends, byte for byte.
    Simulator fresh(args);
    const Run reference = zqcli({"download", "--port", fresh.device, "-o", keep.filePath("fresh.ZQ")});
    QCOMPARE(reference.code, 0);
    QCOMPARE(w->record().count(), zq::kSeqReadings);
    QCOMPARE(zq::dataFileBytes(w->record()),
        zq::readDataFile(keep.filePath("fresh.ZQ")).ok
            ? zq::dataFileBytes(zq::readDataFile(keep.filePath("fresh.ZQ")).record)
            : QByteArray());
    QVERIFY2(w.dialogs->shown.isEmpty(), qPrintable(w.dialogs->lastText()));
}

void TstWholeDownload::instrumentStillSending()
{
    // At the line's own pace the stream outlasts the five seconds a request waits for quiet.
    Simulator sim({"--busy-ignores-requests", "--byte-us", "2083"});
    QTemporaryDir keep;
    {
        TestWindow first(sim.device);
        first->setKeepDir(keep.filePath("first"));
        ui(first).downloadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(first->instrument().download().received() > 0, 5000);
    }
    TestWindow w(sim.device);
    w->setKeepDir(keep.filePath("second"));
    ui(w).downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(ended(w), 8000);
    QCOMPARE(ui(w).statusLabel->text(), QStringLiteral("COM BUSY"));
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("测温仪仍在发送上一次的数据")),
        qPrintable(w.dialogs->lastText()));
    QVERIFY(!w->record().holdsData());
    QVERIFY(!QDir(keep.filePath("second")).exists() || filesIn(keep.filePath("second"), "*").isEmpty());
    const Run cli = zqcli({"download", "--port", sim.device, "-o", keep.filePath("cli.ZQ")});
    QCOMPARE(cli.code, 1);
    QVERIFY2(cli.err.contains(QStringLiteral("测温仪仍在发送上一次的数据")), qPrintable(cli.err));
    QVERIFY(!QFile::exists(keep.filePath("cli.ZQ")));
}

void TstWholeDownload::junkBeforeTheAnswer_data()
{
    QTest::addColumn<QStringList>("args");
    // The 00 passes for a sequence answer; the time-stamped stream behind it, misread.
    QTest::newRow("ff 00 before a time-stamped answer") << QStringList{"--junk-bytes", "ff00", "--style", "1"};
    // The 01 passes for a time-stamped answer; the readings behind it, misread as stamps.
    QTest::newRow("01 before a sequence answer") << QStringList{"--junk-bytes", "01"};
}

void TstWholeDownload::junkBeforeTheAnswer()
{
    QFETCH(QStringList, args);
    QTemporaryDir keep;
    Simulator sim(args);
    TestWindow w(sim.device);
    w->setKeepDir(keep.path());
    ui(w).downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(ended(w), 10000);
    QVERIFY(!w->record().holdsData());
    QCOMPARE(ui(w).readingList->count(), 0);
    QCOMPARE(ui(w).statusLabel->text(), QStringLiteral("DATA ERR"));
    QCOMPARE(ui(w).styleLabel->text(), QStringLiteral("STYLE"));
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("不是测温仪的记录")), qPrintable(w.dialogs->lastText()));
    // Nothing kept as a download; the bytes kept to be looked at.
    QVERIFY(filesIn(keep.path(), "*.ZQ").isEmpty());
    QCOMPARE(filesIn(keep.path(), "*.raw").size(), 1);
    QVERIFY(w.dialogs->lastText().contains(filesIn(keep.path(), "*.raw").value(0)));

    Simulator again(args);
    const Run cli = zqcli({"download", "--port", again.device, "-o", keep.filePath("cli.ZQ")});
    QCOMPARE(cli.code, 1);
    QVERIFY2(cli.err.contains(QStringLiteral("不是测温仪的记录")), qPrintable(cli.err));
    QVERIFY(!QFile::exists(keep.filePath("cli.ZQ")));
}

void TstWholeDownload::aPauseMeansIncomplete()
{
    // 720 records with a pause of 2.5 s after 300: the silence ends the
    // transfer, and the records after the pause show it was not whole.
    const QStringList args{"--style", "1", "--count", "720", "--pause-after", "300", "--pause-ms", "2500"};
    QTemporaryDir keep;
    Simulator sim(args);
    TestWindow w(sim.device);
    w->setKeepDir(keep.path());
    ui(w).downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->instrument().downloading(), 10000);
    QCOMPARE(w->record().count(), 300);
    QVERIFY(ui(w).downloadButton->isEnabled()); // the window is usable while the line is watched
    QTRY_VERIFY_WITH_TIMEOUT(!w->instrument().watching(), 8000);
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("不完整")), qPrintable(w.dialogs->lastText()));
    QCOMPARE(ui(w).progressBar->value(), 300); // no longer full
    const QStringList kept = filesIn(keep.path(), "*");
    QCOMPARE(kept.size(), 2);
    QVERIFY2(kept.value(0).endsWith("-incomplete.ZQ") && kept.value(1).endsWith("-incomplete.raw"),
        qPrintable(kept.join(' ')));
    QVERIFY(w.dialogs->lastText().contains(kept.value(0)));
    QFile raw(QDir(keep.path()).filePath(kept.value(1)));
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QCOMPARE(raw.size(), 1 + 8 * 720); // the answer and every packet, the late ones too
    // The archive holds the download as it ended: paused, under the name that exists.
    const QString incomplete = QDir(keep.path()).filePath(kept.value(0));
    QString error;
    const zq::Provenance p = w->archive()->provenance(readAll(incomplete), incomplete, &error);
    QCOMPARE(p.kind, zq::Provenance::IncompleteDownload);
    QCOMPARE(p.outcome, QStringLiteral("paused"));
    QCOMPARE(w->archive()->findFile(zq::sha256Hex(readAll(incomplete)), &error), incomplete);

    Simulator again(args);
    QTemporaryDir here;
    const Run cli = zqcli({"download", "--port", again.device}, here.path());
    QCOMPARE(cli.code, 4);
    // Told as the window tells it.
    QVERIFY2(cli.err.contains("partial record kept") && cli.err.contains(QStringLiteral("测温仪中途停顿过"))
            && cli.out.contains("-incomplete.ZQ"),
        qPrintable(cli.err));
    QVERIFY(QFile::exists(QDir(here.path()).filePath(cli.out.trimmed())));
}

void TstWholeDownload::anotherReaderIsNamed()
{
    Simulator sim({});
    QProcess reader;
    reader.start("cat", {sim.device});
    QVERIFY(reader.waitForStarted());
    QTRY_VERIFY(!zq::gatherPortFacts(sim.device).holders.isEmpty());
    TestWindow w(sim.device);
    ui(w).downloadButton->click();
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("正被其他程序占用"))
            && w.dialogs->lastText().contains(QStringLiteral("(cat)")),
        qPrintable(w.dialogs->lastText()));
    QVERIFY(!w->instrument().portOpen());
    const Run cli = zqcli({"download", "--port", sim.device, "-o", "/dev/null/never"});
    QCOMPARE(cli.code, 1);
    QVERIFY2(cli.err.contains(QStringLiteral("(cat)")), qPrintable(cli.err));
    reader.kill();
    reader.waitForFinished();
}

void TstWholeDownload::concurrentDownloadsNeverShareAName()
{
    // Two instruments, two scripts, one folder: fifty rounds, every file its own.
    QTemporaryDir here;
    Simulator a({}), b({});
    for (int round = 0; round < 50; ++round) {
        QProcess first, second;
        for (auto [p, device] : {std::pair{&first, a.device}, std::pair{&second, b.device}}) {
            p->setWorkingDirectory(here.path());
            p->start(qEnvironmentVariable("ZQCLI_BIN"), {"download", "--port", device});
        }
        QVERIFY(first.waitForFinished(20000) && second.waitForFinished(20000));
        QCOMPARE(first.exitCode() + second.exitCode(), 0);
        QVERIFY(first.readAllStandardOutput() != second.readAllStandardOutput());
    }
    QCOMPARE(filesIn(here.path(), "*.ZQ").size(), 100);
    QCOMPARE(filesIn(here.path(), "*.raw").size(), 100);
}

void TstWholeDownload::downloadsGoToTheArchive()
{
    QTemporaryDir keep;
    Simulator sim({"--style", "1", "--count", "120"});
    TestWindow w(sim.device);
    w->setKeepDir(keep.path());
    w->instrument().download().watchMs = 200;
    ui(w).downloadButton->click();
    // Recorded once settled: after the watch for late bytes.
    QTRY_VERIFY_WITH_TIMEOUT(!w->instrument().portOpen() && w->record().holdsData(), 10000);
    zq::Archive *archive = w->archive();
    QVERIFY(archive);
    QString error;
    const QVector<zq::RunRow> runs = archive->list({}, &error);
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs[0].readings, 120);
    QVERIFY(!runs[0].downloadedAt.isEmpty());
    const QString kept = QDir(keep.path()).filePath(filesIn(keep.path(), "*.ZQ").value(0));
    QCOMPARE(archive->run(runs[0].sha256, &error)->paths, QStringList{kept});
    // Its fields, once filled, show beside the summary when the file is opened.
    QVERIFY(archive->setFields(runs[0].sha256, {"王", "3号炉", "齿轮", "K", ""}, &error));
    w.dialogs->answers = {QMessageBox::Yes};
    w->openDataFile(kept);
    QVERIFY2(
        ui(w).summaryLine->toolTip().contains(QStringLiteral("设备：3号炉")), qPrintable(ui(w).summaryLine->toolTip()));

    // An archive that cannot be opened (its folder is a file) is told once; downloads go on.
    QTRY_VERIFY(!w->instrument().portOpen());
    QFile blocker(keep.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TestWindow other(sim.device);
    other->setKeepDir(keep.filePath("other"));
    other->setArchivePath(keep.filePath("blocker/archive.sqlite"));
    for (int round = 0; round < 2; ++round) {
        other->instrument().download().watchMs = 200;
        other.dialogs->answers = {QMessageBox::Yes};
        ui(other).downloadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!other->instrument().downloading() && other->record().holdsData(), 10000);
        QTRY_VERIFY(!other->instrument().portOpen());
    }
    QCOMPARE(std::count_if(other.dialogs->shown.begin(), other.dialogs->shown.end(),
                 [](const ScriptedDialogs::Shown &s) { return s.text.startsWith(QStringLiteral("记录库无法打开")); }),
        1);
    QCOMPARE(filesIn(keep.filePath("other"), "*.ZQ").size(), 2);
}

QTEST_MAIN(TstWholeDownload)
#include "tst_wholedownload.moc"
