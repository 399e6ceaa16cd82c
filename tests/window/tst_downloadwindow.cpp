// What the window adds to the instrument's layer: what a download shows and
// tells, the commands it holds back, the live reading's switch, the port
// menu, and the archive a download goes to.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/bench.h"
#include "support/window.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

class TstDownloadWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void shown_data();
    void shown();
    void faultsAreTold();
    void aPauseIsTold();
    void pressesThatMustChangeNothing();
    void commandsWaitForTheTransfer_data();
    void commandsWaitForTheTransfer();
    void liveReadingGivesWay();
    void menuChoosesAndRemembers();
    void downloadsGoToTheArchive();
};

namespace {
int packetsIn(TestWindow &w)
{
    return packetsOf(w->instrument().download());
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

QStringList filesIn(const QString &dir, const QString &pattern)
{
    return QDir(dir).entryList({pattern}, QDir::Files, QDir::Name);
}

QByteArray keptFile(const QString &dir)
{
    const QStringList names = filesIn(dir, "*.ZQ");
    return names.size() == 1 ? readAll(QDir(dir).filePath(names[0])) : QByteArray();
}
} // namespace

void TstDownloadWindow::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
}

void TstDownloadWindow::shown_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("readings");
    QTest::addColumn<QString>("told");
    QTest::newRow("sequence") << QStringList{} << 3840 << "";
    QTest::newRow("time-stamped") << QStringList{"--style", "1", "--count", "300"} << 300 << "";
    QTest::newRow("line cut") << QStringList{"--cut-after", "100"} << 200 << "只收到 200 个读数";
    QTest::newRow("no reply") << QStringList{"--no-reply"} << 0 << "";
}

void TstDownloadWindow::shown()
{
    QFETCH(QStringList, args);
    QFETCH(int, readings);
    QFETCH(QString, told);
    Simulator sim(args);
    TestWindow w(sim.device);
    QTemporaryDir keep;
    w->setKeepDir(keep.path());
    w->instrument().download().watchMs = 200;
    const bool timeStamped = args.contains("--style");
    // An earlier, longer record must leave nothing behind.
    w.show(sequenceData(3840, 777));
    w.dialogs->answers = {QMessageBox::Yes};
    ui(w).downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->instrument().downloading() && !w->instrument().portOpen(), 20000);
    QCOMPARE(ui(w).readingList->count(), readings);
    QCOMPARE(ui(w).statusLabel->text(), readings ? QString::number(readings) : QStringLiteral("COM ERR")); // exact
    const bool whole = told.isEmpty() && readings;
    QCOMPARE(ui(w).progressBar->value(), whole ? ui(w).progressBar->maximum() : readings);
    QCOMPARE(ui(w).progressBar->maximum(), timeStamped ? 4033 : 4032);
    QCOMPARE(ui(w).styleLabel->text(), QString(!readings ? "STYLE" : timeStamped ? "STYLE 1" : "STYLE 0"));
    QCOMPARE(w->record().count(), readings);
    w.dialogs->shown.removeFirst(); // the question before the download
    QCOMPARE(w.dialogs->shown.isEmpty(), told.isEmpty());
    QVERIFY(w.dialogs->lastText().contains(told));
    QCOMPARE(keptFile(keep.path()), readings ? zq::dataFileBytes(w->record()) : QByteArray());
    allEnabled(w);
}

void TstDownloadWindow::faultsAreTold()
{
    // A port that cannot open: told, and the status says so.
    TestWindow absent("/dev/zq-no-such-port");
    ui(absent).downloadButton->click();
    QCOMPARE(ui(absent).statusLabel->text(), QStringLiteral("COM ERR"));
    QVERIFY(absent.dialogs->lastText().startsWith(QStringLiteral("找不到串口 COM 1")));
    // The live reading on it is told once, and switches itself off.
    ui(absent).onlineSwitch->click();
    absent->onLiveTick();
    QVERIFY(!ui(absent).liveTimer->isActive() && !ui(absent).onlineSwitch->isChecked());
    QCOMPARE(absent.dialogs->shown.size(), 2);

    // The far end vanishes mid-transfer: the readings stay, the user is told.
    auto inst = std::make_unique<PtyInstrument>();
    inst->respond = [](uint8_t req) { return req ? QByteArray() : bytes({0x00, 0x10, 0x01, 0x10, 0x01}); };
    TestWindow w(inst->path());
    ui(w).downloadButton->click();
    QTRY_COMPARE(packetsIn(w), 1);
    inst.reset();
    QTRY_VERIFY(!w->instrument().download().active());
    QCOMPARE(ui(w).readingList->count(), 2);
    QCOMPARE(ui(w).statusLabel->text(), QStringLiteral("COM ERR"));
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("已断开")), qPrintable(w.dialogs->lastText()));
    allEnabled(w);

    // A live reading leaves the data held alone.
    Simulator sim({});
    TestWindow live(sim.device);
    live.show(sequenceData({100}));
    live->onLiveTick();
    QCOMPARE(ui(live).statusLabel->text(), QStringLiteral("在线测温开启"));
    QTRY_VERIFY(ui(live).statusLabel->text().toInt() >= 250); // the simulator's live value
    QCOMPARE(live->record(), sequenceData({100}));
    QCOMPARE(ui(live).readingList->count(), 1);
    // Closing the window during a poll closes the port.
    live->onLiveTick();
    QVERIFY(live->instrument().poll().active());
    QVERIFY(live->close());
    QVERIFY(!live->instrument().portOpen());
}

void TstDownloadWindow::aPauseIsTold()
{
    const QStringList args{"--style", "1", "--count", "720", "--pause-after", "300", "--pause-ms", "2500"};
    QTemporaryDir keep;
    Simulator sim(args);
    TestWindow w(sim.device);
    w->setKeepDir(keep.path());
    ui(w).downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->instrument().downloading(), 10000);
    QVERIFY(ui(w).downloadButton->isEnabled()); // the window is usable while the line is watched
    QTRY_VERIFY_WITH_TIMEOUT(!w->instrument().watching(), 8000);
    const QString incomplete = QDir(keep.path()).filePath(filesIn(keep.path(), "*.ZQ").value(0));
    QVERIFY(incomplete.endsWith("-incomplete.ZQ"));
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("不完整"))
            && w.dialogs->lastText().contains(QFileInfo(incomplete).fileName()),
        qPrintable(w.dialogs->lastText()));
    QCOMPARE(ui(w).progressBar->value(), 300); // no longer full
    // The archive holds the download as it ended: paused, under the name that exists.
    QString error;
    const zq::Provenance p = w->archive()->provenance(readAll(incomplete), incomplete, &error);
    QCOMPARE(p.kind, zq::Provenance::IncompleteDownload);
    QCOMPARE(p.outcome, QStringLiteral("paused"));
    QCOMPARE(w->archive()->findFile(zq::sha256Hex(readAll(incomplete)), &error), incomplete);
}

void TstDownloadWindow::pressesThatMustChangeNothing()
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

void TstDownloadWindow::commandsWaitForTheTransfer_data()
{
    QTest::addColumn<int>("reply");
    QTest::addColumn<QByteArray>("packet");
    QTest::newRow("time-stamped") << 0x01 << bytes({0, 0, 0x03, 0x14, 0x26, 0x07, 0x2C, 1});
    QTest::newRow("sequence") << 0x00 << bytes({0x10, 0x01, 0x20, 0x01});
}

void TstDownloadWindow::commandsWaitForTheTransfer()
{
    QFETCH(int, reply);
    QFETCH(QByteArray, packet);
    QTemporaryDir dir;
    const QString file = dir.filePath("other.ZQ");
    write(file, zq::dataFileBytes(timeData(50)));
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

void TstDownloadWindow::liveReadingGivesWay()
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

void TstDownloadWindow::menuChoosesAndRemembers()
{
    PtyInstrument first, second;
    QTemporaryDir dir;
    const QString ini = dir.filePath("settings.ini");
    auto ptys = [&] {
        return QList<zq::PortChoice>{{first.path(), first.path(), first.path() + "  —  test line A"},
            {second.path(), second.path(), second.path() + "  —  test line B"}};
    };
    {
        TestWindow w;
        w->useSettingsFile(ini);
        w->downloads().listPorts = ptys;
        w->choosePorts({first.path(), first.path()}, QString(), QString());
        w->show();
        QMenu *menu = rightClick(ui(w).portButton);
        QVERIFY(menu);
        QMenu *com2 = menu->actions().value(1)->menu();
        QCOMPARE(menu->actions().value(1)->text(), QStringLiteral("COM 2"));
        QCOMPARE(com2->actions().size(), 2);
        QVERIFY(com2->actions()[0]->isChecked() && !com2->actions()[1]->isChecked());
        QVERIFY(com2->actions()[1]->text().contains("test line B"));
        com2->actions()[1]->trigger();
        QCOMPARE(w->instrument().deviceFor(2), second.path());
        QVERIFY(ui(w).portButton->toolTip().contains("COM 2: " + second.path()));
        QVERIFY(ui(w).portButton->toolTip().startsWith(QStringLiteral("通讯失败可改变COM口再试")));
    }
    TestWindow later; // the next run remembers it
    later->useSettingsFile(ini);
    later->choosePorts({first.path(), first.path()}, QString(), QString());
    QCOMPARE(later->instrument().deviceFor(2), second.path());
    later->choosePorts({first.path(), first.path()}, QString(), "/dev/given"); // --com2 wins for one run
    QCOMPARE(later->instrument().deviceFor(2), QStringLiteral("/dev/given"));
    QSettings(ini, QSettings::IniFormat).setValue("ports/com2", "/dev/zq-unplugged");
    TestWindow unplugged;
    unplugged->useSettingsFile(ini);
    unplugged->choosePorts({first.path(), first.path()}, QString(), QString());
    QCOMPARE(unplugged->instrument().deviceFor(2), first.path()); // back to the default, quietly
    QVERIFY(unplugged.dialogs->shown.isEmpty());
}

void TstDownloadWindow::downloadsGoToTheArchive()
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
QTEST_MAIN(TstDownloadWindow)
#include "tst_downloadwindow.moc"
