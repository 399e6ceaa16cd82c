#include "core/datafile.h"
#include "link/commport.h"
#include "link/onlinepoll.h"
#include "support/line.h"
#include "support/window.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>

class TstDownload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fromSimulator_data();
    void fromSimulator();
    void timeLimit_data();
    void timeLimit();
    void replyBytesOnePerPass();
    void aPauseDoesNotEndTheTransfer();
    void portFaultsAreTold();
    void pressesThatMustChangeNothing();
    void commandsWaitForTheTransfer_data();
    void commandsWaitForTheTransfer();
    void liveReadingGivesWay();
};

namespace {
// Packets stored by the transfer under way.
int packetsIn(TestWindow &w)
{
    const ReadComMachine &m = w->instrument().download();
    return m.dataType() == zq::SequenceData ? m.received() / 2 : m.received();
}

// Every command a transfer holds back, as a person finds them.
QList<QAbstractButton *> commands(TestWindow &w)
{
    return {ui(w).downloadButton, ui(w).openButton, ui(w).saveButton, ui(w).exportButton, ui(w).printButton,
        ui(w).portButton, ui(w).onlineSwitch};
}

void allEnabled(TestWindow &w)
{
    for (QAbstractButton *b : commands(w))
        QVERIFY2(b->isEnabled(), qPrintable(b->text()));
}

QByteArray keptFile(const QString &dir)
{
    const QStringList names = QDir(dir).entryList({"*.ZQ"}, QDir::Files, QDir::Name);
    QFile f(QDir(dir).filePath(names.value(0)));
    return names.size() == 1 && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

void TstDownload::fromSimulator_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("readings");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("told");
    const int complete = ReadComMachine::Complete;
    QTest::newRow("complete") << QStringList{} << 3840 << complete << "";
    QTest::newRow("time-stamped, 300 records")
        << QStringList{"--style", "1", "--count", "300"} << 300 << complete << "";
    QTest::newRow("time-stamped, a full memory")
        << QStringList{"--style", "1", "--count", "4033"} << 4033 << complete << "";
    QTest::newRow("junk before the reply") << QStringList{"--junk", "3"} << 3840 << complete << "";
    // No checksum on the line: a garbled byte is stored as it came.
    QTest::newRow("garbled byte") << QStringList{"--garble", "1001"} << 3840 << complete << "";
    QTest::newRow("reply a second late") << QStringList{"--reply-delay", "1000"} << 3840 << complete << "";
    QTest::newRow("line cut") << QStringList{"--cut-after", "100"} << 200 << int(ReadComMachine::Cut)
                              << "只收到 200 个读数";
    QTest::newRow("no reply") << QStringList{"--no-reply"} << 0 << int(ReadComMachine::NoReply) << "";
}

void TstDownload::fromSimulator()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    QFETCH(QStringList, args);
    QFETCH(int, readings);
    QFETCH(int, outcome);
    QFETCH(QString, told);
    Simulator sim(args);
    TestWindow w(sim.device);
    QTemporaryDir keep;
    w->setKeepDir(keep.path());
    w->instrument().download().watchMs = 200; // the watch after a silence has a test of its own
    const bool timeStamped = args.contains("--style");
    // An earlier, longer record must leave nothing behind.
    w.show(sequenceData(3840, 777));
    w.dialogs->answers = {QMessageBox::Yes};
    auto received = [&] { return w->instrument().download().received(); };
    QSignalSpy done(&w->instrument().download(), &ReadComMachine::finished);
    QElapsedTimer clock;
    clock.start();
    ui(w).downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(received() == readings || done.count(), 20000);
    // It ends by itself: by its count, or two seconds after the line fell silent.
    QElapsedTimer afterLast;
    afterLast.start();
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 5000);
    const qint64 waited = afterLast.elapsed();
    QCOMPARE(int(qvariant_cast<ReadComMachine::Outcome>(done.at(0).at(0))), outcome);
    if (readings == 0)
        QVERIFY2(clock.elapsed() >= 1000 && clock.elapsed() <= 3000, qPrintable(QString::number(clock.elapsed())));
    else if (timeStamped || outcome == ReadComMachine::Cut)
        QVERIFY2(waited >= 1500 && waited <= 3000, qPrintable(QString::number(waited)));
    else
        QVERIFY2(waited <= 500, qPrintable(QString::number(waited)));

    QCOMPARE(received(), readings);
    QCOMPARE(ui(w).readingList->count(), readings);
    QCOMPARE(ui(w).statusLabel->text(), readings ? QString::number(readings) : QStringLiteral("COM ERR")); // exact
    const bool full = outcome == ReadComMachine::Complete;
    QCOMPARE(ui(w).progressBar->value(), full ? ui(w).progressBar->maximum() : readings);
    QCOMPARE(ui(w).progressBar->maximum(), timeStamped ? 4033 : 4032);
    QCOMPARE(ui(w).styleLabel->text(), QString(!readings ? "STYLE" : timeStamped ? "STYLE 1" : "STYLE 0"));
    QCOMPARE(int(w->record().type()), !readings ? 0 : timeStamped ? 2 : 1);
    QCOMPARE(w->record().count(), readings);
    w.dialogs->shown.removeFirst(); // the question before the download
    QCOMPARE(w.dialogs->shown.isEmpty(), told.isEmpty());
    if (!told.isEmpty())
        QVERIFY(w.dialogs->lastText().contains(told));
    // Every download with readings is kept, byte for byte as SAVE writes it.
    QCOMPARE(keptFile(keep.path()), readings ? zq::dataFileBytes(w->record()) : QByteArray());
    QTRY_VERIFY(!w->instrument().portOpen());
    allEnabled(w);
}

void TstDownload::timeLimit_data()
{
    QTest::addColumn<QList<double>>("clock"); // at detection, then at each later step
    QTest::addColumn<int>("stepsToEnd");
    QTest::newRow("85 s after the reply") << QList<double>{1000, 1085, 1085.5} << 2;
    QTest::newRow("restarted at midnight") << QList<double>{86390, 5, 89, 90.5} << 3;
}

void TstDownload::timeLimit()
{
    QFETCH(QList<double>, clock);
    QFETCH(int, stepsToEnd);
    PtyInstrument inst;
    inst.respond = [](uint8_t req) {
        return req ? QByteArray() : bytes({0x01, 0, 0, 0x03, 0x14, 0x26, 0x07, 0x2C, 1});
    };
    TestWindow w(inst.path());
    double now = clock.takeFirst();
    w->instrument().download().timeOfDay = [&now] { return now; };
    ui(w).downloadButton->click();
    QTRY_COMPARE(packetsIn(w), 1);
    for (int i = 0; i < clock.size(); ++i) {
        now = clock[i];
        w->instrument().download().step();
        QCOMPARE(w->instrument().download().active(), i + 1 < stepsToEnd);
    }
    QCOMPARE(ui(w).styleLabel->text(), QStringLiteral("STYLE 1"));
    QCOMPARE(ui(w).readingList->item(0)->text(), QStringLiteral("07-26 14:03:00    0300"));
    QVERIFY(w->record().isTimeStamped());
    // The limit, not a silence, ended it: the record may be short, and the user is told.
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("85 秒内没有传完")), qPrintable(w.dialogs->lastText()));
}

void TstDownload::replyBytesOnePerPass()
{
    PtyInstrument inst;
    inst.respond = [&inst](uint8_t req) {
        if (req == 0x00)
            inst.sendLater(bytes({0x55, 0x01}), 300);
        return QByteArray();
    };
    TestWindow w(inst.path());
    // The clock stands still once the request is out, so only the
    // notifications make passes: the first tick's pass finds nothing, 0x55
    // takes one and 0x01 the next.
    qint64 now = 0;
    w->instrument().download().clockNs = [&now] { return now; };
    ui(w).downloadButton->click();
    now = 300 * 1000000LL; // the line has been quiet long enough
    QTRY_COMPARE(inst.received, bytes({0x00}));
    QTRY_COMPARE(w->instrument().download().dataType(), zq::TimeData);
    QCOMPARE(w->instrument().download().passes(), 3);
    QCOMPARE(ui(w).styleLabel->text(), QStringLiteral("STYLE 1"));
    w->instrument().download().abort();
}

void TstDownload::aPauseDoesNotEndTheTransfer()
{
    const QByteArray record = bytes({0, 0, 0x03, 0x14, 0x26, 0x07, 0x2C, 1});
    PtyInstrument inst;
    inst.respond = [&](uint8_t req) {
        if (req == 0x00)
            inst.sendLater(record, 1000);
        return req ? QByteArray() : bytes({0x01}) + record;
    };
    TestWindow w(inst.path());
    QSignalSpy done(&w->instrument().download(), &ReadComMachine::finished);
    ui(w).downloadButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(packetsIn(w), 2, 3000);
    QVERIFY(done.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 4000);
    QCOMPARE(ui(w).readingList->count(), 2);
}

void TstDownload::portFaultsAreTold()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    // A port that cannot open: absent, then held by another program.
    Simulator sim({});
    QSerialPort other(sim.device);
    QVERIFY(other.open(QIODevice::ReadWrite));
    for (const QString &device : {QStringLiteral("/dev/zq-no-such-port"), sim.device}) {
        TestWindow w(device);
        ui(w).downloadButton->click();
        QCOMPARE(ui(w).statusLabel->text(), QStringLiteral("COM ERR"));
        QVERIFY(w.dialogs->lastText().contains("COM 1") && w.dialogs->lastText().contains(device));
        // In Chinese, saying what to do: check the cable, or close the other program (named).
        if (device == sim.device)
            QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("正被其他程序占用"))
                    && w.dialogs->lastText().contains("tst_download"),
                qPrintable(w.dialogs->lastText()));
        else
            QVERIFY(w.dialogs->lastText().startsWith(QStringLiteral("找不到串口 COM 1")));
        QVERIFY(!w->instrument().portOpen());
    }
    // The far end vanishes mid-transfer: the readings stay, the user is told.
    auto inst = std::make_unique<PtyInstrument>();
    inst->respond = [](uint8_t req) { return req ? QByteArray() : bytes({0x00, 0x10, 0x01, 0x10, 0x01}); };
    TestWindow w(inst->path());
    ui(w).downloadButton->click();
    QTRY_COMPARE(packetsIn(w), 1);
    inst.reset();
    QTRY_VERIFY(!w->instrument().download().active());
    QVERIFY(!w->instrument().portOpen());
    QCOMPARE(ui(w).readingList->count(), 2);
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("已断开")), qPrintable(w.dialogs->lastText()));
    allEnabled(w);
}

void TstDownload::pressesThatMustChangeNothing()
{
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req ? QByteArray() : bytes({0x00, 0x10, 0x01, 0x20, 0x01}); };
    auto w = std::make_unique<TestWindow>(inst.path());
    ui((*w)).downloadButton->click();
    QTRY_COMPARE(packetsIn(*w), 1);
    ui((*w)).downloadButton->click(); // ignored while the transfer holds the port
    ui((*w)).portButton->click(); // so is a change of port
    QCOMPARE((*w)->instrument().download().record().reading(0), 272);
    QCOMPARE(ui((*w)).portButton->text(), QStringLiteral("COM 1"));
    QVERIFY(w->dialogs->shown.isEmpty());
    (*w)->instrument().download().abort();

    // Data held: asked first, and No leaves the port alone.
    w->show(sequenceData(2, 100));
    w->dialogs->answers = {QMessageBox::No};
    ui((*w)).downloadButton->click();
    const ScriptedDialogs::Shown q = w->dialogs->shown.value(0);
    QCOMPARE(q.text, QStringLiteral("是否删除电脑中的温度数据 ?"));
    QCOMPARE(q.title, QStringLiteral("提示信息"));
    QCOMPARE(q.icon, QMessageBox::Critical);
    QCOMPARE(q.defaultButton, QMessageBox::No);
    QCOMPARE(inst.received, bytes({0x00}));
    QCOMPARE((*w)->record().count(), 2);

    // Closing the window mid-transfer closes the port and keeps what came.
    QTemporaryDir keep;
    (*w)->setKeepDir(keep.path());
    w->dialogs->answers = {QMessageBox::Yes};
    ui((*w)).downloadButton->click();
    QTRY_COMPARE(packetsIn(*w), 1);
    QVERIFY((*w)->close());
    QVERIFY(!(*w)->instrument().portOpen());
    allEnabled(*w);
    QCOMPARE(zq::recordFromFileBytes(keptFile(keep.path())), sequenceData({272, 288}));
    w.reset();
}

void TstDownload::commandsWaitForTheTransfer_data()
{
    QTest::addColumn<int>("reply");
    QTest::addColumn<QByteArray>("packet");
    QTest::newRow("time-stamped") << 0x01 << bytes({0, 0, 0x03, 0x14, 0x26, 0x07, 0x2C, 1});
    QTest::newRow("sequence") << 0x00 << bytes({0x10, 0x01, 0x20, 0x01});
}

void TstDownload::commandsWaitForTheTransfer()
{
    QFETCH(int, reply);
    QFETCH(QByteArray, packet);
    QTemporaryDir dir;
    const QString file = dir.filePath("other.ZQ");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(zq::dataFileBytes(timeData(50)));
    }
    PtyInstrument inst;
    inst.respond = [&](uint8_t req) { return req ? QByteArray() : bytes({reply}) + packet + packet; };
    TestWindow w(inst.path());
    // The sequence row keeps its copies below a file, where no folder can be made.
    const QString keep = reply ? dir.filePath("kept") : file + "/kept";
    w->setKeepDir(keep);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    double now = 0;
    w->instrument().download().timeOfDay = [&now] { return now; };
    w.dialogs->paths = {file, file, file};
    QTest::mouseClick(ui(w).downloadButton, Qt::LeftButton);
    QTRY_COMPARE(packetsIn(w), 2);
    for (QAbstractButton *b : commands(w)) {
        QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QVERIFY(w.dialogs->offeredNames.isEmpty() && w.dialogs->shown.isEmpty()); // nothing asked, nothing opened
    QVERIFY(!ui(w).onlineSwitch->isChecked() && !ui(w).liveTimer->isActive());
    inst.send(packet);
    QTRY_COMPARE(packetsIn(w), 3);
    now = 86;
    w->instrument().download().step();
    QVERIFY(!w->instrument().download().active());
    // One source only: the transfer's own three packets.
    QCOMPARE(ui(w).readingList->count(), reply ? 3 : 6);
    QCOMPARE(ui(w).portButton->text(), QStringLiteral("COM 1"));
    allEnabled(w);
    if (reply) {
        QCOMPARE(QDir(keep).entryList({"*.ZQ"}, QDir::Files).size(), 1);
        QCOMPARE(QDir(keep).entryList({"*.raw"}, QDir::Files).size(), 1); // the bytes as they came, beside it
        QCOMPARE(w.dialogs->shown.size(), 1); // the time limit ended it: told, nothing else
        QVERIFY(w.dialogs->lastText().contains(QStringLiteral("85 秒内没有传完")));
    } else {
        // Told, naming the folder and then the reason (beside the short transfer); the data stays.
        QVERIFY(std::any_of(w.dialogs->shown.begin(), w.dialogs->shown.end(), [&](const ScriptedDialogs::Shown &s) {
            return s.text.startsWith(QStringLiteral("接收的数据未能自动保存到 %1\n").arg(keep))
                && s.text.contains(QStringLiteral("无法创建文件夹"));
        }));
        QVERIFY(w->record().isSequence());
    }
}

void TstDownload::liveReadingGivesWay()
{
    // The instrument answers downloads only: each poll holds the port for seconds.
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req == 0x00 ? bytes({0x00, 0x10, 0x01, 0x20, 0x01}) : QByteArray(); };
    TestWindow w(inst.path());
    QTemporaryDir keep;
    w->setKeepDir(keep.path());
    QTest::mouseClick(ui(w).onlineSwitch, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w->instrument().poll().active(), 3000);
    // The poll's request is on the line before the download takes the port.
    QTRY_COMPARE(inst.received, bytes({0xC0}));
    QTest::mouseClick(ui(w).downloadButton, Qt::LeftButton);
    QVERIFY(!ui(w).onlineSwitch->isChecked() && !ui(w).liveTimer->isActive());
    QTRY_COMPARE(packetsIn(w), 1);
    QCOMPARE(inst.received, bytes({0xC0, 0x00}));
    w->instrument().download().abort();

    // A tick while the discard question is open must not keep the download out.
    w.show(sequenceData(2, 100));
    ui(w).onlineSwitch->setChecked(true);
    w.dialogs->answers = {QMessageBox::Yes};
    w.dialogs->whileAsking = [&] { w->onLiveTick(); };
    QTest::mouseClick(ui(w).downloadButton, Qt::LeftButton);
    QVERIFY(w->instrument().download().active());
    QTRY_COMPARE(packetsIn(w), 1);
    w->instrument().download().abort();

    // The port toggle ends a poll and takes effect at once.
    w.dialogs->whileAsking = nullptr;
    w->onLiveTick();
    QVERIFY(w->instrument().poll().active());
    QTest::mouseClick(ui(w).portButton, Qt::LeftButton);
    QCOMPARE(ui(w).portButton->text(), QStringLiteral("COM 2"));
    QVERIFY(!w->instrument().poll().active() && !w->instrument().portOpen());
}

QTEST_MAIN(TstDownload)
#include "tst_download.moc"
