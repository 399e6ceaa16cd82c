#include "link/commport.h"
#include "link/decode.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace {
QByteArray timePackets(int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += bytes({0x00, 0x00, i, 0x14, 0x26, 0x07, 0x2C, 0x01}); // 14:0i:00, reading 300
    return out;
}
} // namespace

class TstDownload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void completeSequenceDownloadFromSimulator();
    void timeStampedDownloadEndsByTimeLimit();
    void timeLimitRestartsAtMidnight();
    void noAnswerShowsComErr();
    void junkBeforeReplyUsesAPass();
    void cutLineKeepsData();
    void lostDeviceIsTold();
    void portThatCannotOpen();
    void secondPressAndDiscardQuestion();
    void closingDuringDownload();
};

void TstDownload::completeSequenceDownloadFromSimulator()
{
    Simulator sim;
    QVERIFY(sim.start({"--fast"}));
    TestWindow w;
    w->setPortDevices(sim.device, "/dev/null/none");
    QSignalSpy done(&w->download(), &ReadComMachine::finished);
    w->Command5->click();
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
    QCOMPARE(done.at(0).at(0).value<ReadComMachine::Outcome>(), ReadComMachine::Complete);
    QCOMPARE(w.ws().wdnum, 3840);
    QCOMPARE(w->List1->count(), 3840);
    QCOMPARE(w->Label2->text(), QStringLiteral("STYLE 0"));
    QCOMPARE(w->Label6->text(), QStringLiteral("3840"));
    QCOMPARE(w->ProgressBar1->value(), 3840);
    QCOMPARE(w.ws().havedata, 1);
    QVERIFY(!w->MyComm->portOpen());
}

void TstDownload::timeStampedDownloadEndsByTimeLimit()
{
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req == 0x00 ? bytes({0x01}) + timePackets(10) : QByteArray(); };
    TestWindow w;
    w->setPortDevices(inst.path(), inst.path());
    double now = 1000;
    w->download().timeOfDay = [&now] { return now; };
    w->Command5->click();
    QTRY_COMPARE(w.ws().grpcount[0], 10);
    QCOMPARE(w->Label2->text(), QStringLiteral("STYLE 1"));
    QVERIFY(w->download().active());
    now = 1085;
    w->download().step();
    QVERIFY(w->download().active());
    now = 1085.5;
    w->download().step();
    QVERIFY(!w->download().active());
    QCOMPARE(w.ws().havedata, 2);
    QCOMPARE(w->List1->count(), 10);
    QCOMPARE(w->List1->item(3)->text(), QStringLiteral("07-26 14:03:00    0300"));
    QVERIFY(!w->MyComm->portOpen());
}

void TstDownload::timeLimitRestartsAtMidnight()
{
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req == 0x00 ? bytes({0x00, 0x10, 0x01, 0x10, 0x01}) : QByteArray(); };
    TestWindow w;
    w->setPortDevices(inst.path(), inst.path());
    double now = 86390;
    w->download().timeOfDay = [&now] { return now; };
    w->Command5->click();
    QTRY_COMPARE(w.ws().wdnum, 2);
    now = 5; // past midnight: the limit counts from here
    w->download().step();
    now = 89;
    w->download().step();
    QVERIFY(w->download().active());
    now = 90.5;
    w->download().step();
    QVERIFY(!w->download().active());
    QCOMPARE(w.ws().havedata, 1);
}

void TstDownload::noAnswerShowsComErr()
{
    PtyInstrument inst;
    TestWindow w;
    w->setPortDevices(inst.path(), inst.path());
    QSignalSpy done(&w->download(), &ReadComMachine::finished);
    QElapsedTimer clock;
    clock.start();
    w->Command5->click();
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 5000);
    QVERIFY2(clock.elapsed() <= 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(clock.elapsed() >= 1000, "a reply up to 1 s late must still be taken");
    QCOMPARE(w->Label6->text(), QStringLiteral("COM ERR"));
    QCOMPARE(w.ws().workidx, 10000);
    QCOMPARE(w.ws().havedata, 0);
    QCOMPARE(w->List1->count(), 0);
    QVERIFY(!w->MyComm->portOpen());
    QCOMPARE(inst.received, bytes({0x00}));
}

void TstDownload::junkBeforeReplyUsesAPass()
{
    PtyInstrument inst;
    // A late reply: 0x55 then 0x01 together, each taken in its own pass.
    inst.respond = [&inst](uint8_t req) {
        if (req == 0x00)
            inst.sendLater(bytes({0x55, 0x01}), 900);
        return QByteArray();
    };
    TestWindow w;
    w->setPortDevices(inst.path(), inst.path());
    w->Command5->click();
    QTRY_COMPARE_WITH_TIMEOUT(w.ws().datatype, 2, 5000);
    QCOMPARE(w->Label2->text(), QStringLiteral("STYLE 1"));
    QVERIFY(w.ws().workidx >= 2);
    // Packets that were already waiting are taken as soon as the type is known.
    inst.send(timePackets(2));
    QTRY_COMPARE(w.ws().grpcount[0], 2);
    QCOMPARE(w.ws().recnum, 2);
    w->download().abort();
}

void TstDownload::cutLineKeepsData()
{
    Simulator sim;
    QVERIFY(sim.start({"--fast", "--cut-after", "100"}));
    TestWindow w;
    w->setPortDevices(sim.device, sim.device);
    double now = 0;
    w->download().timeOfDay = [&now] { return now; };
    w->Command5->click();
    QTRY_COMPARE_WITH_TIMEOUT(w.ws().wdnum, 200, 10000);
    now = 86;
    w->download().step();
    QVERIFY(!w->download().active());
    QCOMPARE(w.ws().havedata, 1);
    QCOMPARE(w->List1->count(), 200);
    QVERIFY(!w->MyComm->portOpen());
    QCOMPARE(w.dialogs->shown.size(), 1);
    QVERIFY(w.dialogs->shown.first().text.contains(QStringLiteral("只收到 200 个读数")));
}

void TstDownload::lostDeviceIsTold()
{
    auto inst = std::make_unique<PtyInstrument>();
    inst->respond = [](uint8_t req) { return req == 0x00 ? bytes({0x00, 0x10, 0x01, 0x10, 0x01}) : QByteArray(); };
    TestWindow w;
    w->setPortDevices(inst->path(), inst->path());
    w->Command5->click();
    QTRY_COMPARE(w.ws().wdnum, 2);
    inst.reset(); // the far end disappears
    QTRY_VERIFY_WITH_TIMEOUT(!w->download().active(), 5000);
    QVERIFY(!w->MyComm->portOpen());
    QCOMPARE(w.ws().havedata, 1);
    QCOMPARE(w->List1->count(), 2);
    QCOMPARE(w.dialogs->shown.size(), 1);
    QVERIFY(w.dialogs->shown.first().text.contains(QStringLiteral("通讯中断")));
}

void TstDownload::portThatCannotOpen()
{
    TestWindow w;
    w->setPortDevices("/dev/zq-no-such-port", "/dev/zq-no-such-port");
    w->Command5->click();
    QCOMPARE(w->Label6->text(), QStringLiteral("COM ERR"));
    QCOMPARE(w.dialogs->shown.size(), 1);
    QVERIFY(w.dialogs->shown.first().text.contains(QStringLiteral("COM 1")));
    QVERIFY(w.dialogs->shown.first().text.contains(QStringLiteral("/dev/zq-no-such-port")));
    QVERIFY(!w->MyComm->portOpen());
    QCOMPARE(w.ws().havedata, 0);
}

void TstDownload::secondPressAndDiscardQuestion()
{
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req == 0x00 ? bytes({0x00}) : QByteArray(); };
    TestWindow w;
    w->setPortDevices(inst.path(), inst.path());
    w->Command5->click();
    QTRY_COMPARE(w.ws().datatype, 1);
    inst.send(bytes({0x10, 0x01, 0x20, 0x01}));
    QTRY_COMPARE(w.ws().wdnum, 2);
    w->Command5->click(); // ignored while the transfer holds the port
    QCOMPARE(w.ws().wdnum, 2);
    QCOMPARE(w.ws().wdseq[0], int16_t(272));
    QVERIFY(w.dialogs->shown.isEmpty());
    w->download().abort();
    QVERIFY(!w->MyComm->portOpen());

    // Data held: the question comes first, and No changes nothing.
    w.ws().havedata = 1;
    w.dialogs->answers = {QMessageBox::No};
    inst.received.clear();
    w->Command5->click();
    QCOMPARE(w.dialogs->shown.size(), 1);
    const ScriptedDialogs::Shown q = w.dialogs->shown.first();
    QCOMPARE(q.text, QStringLiteral("是否删除电脑中的温度数据 ?"));
    QCOMPARE(q.title, QStringLiteral("提示信息"));
    QCOMPARE(q.icon, QMessageBox::Critical);
    QCOMPARE(q.defaultButton, QMessageBox::No);
    QVERIFY(!w->MyComm->portOpen());
    QCOMPARE(w.ws().wdnum, 2);
    QTest::qWait(50); // nothing may reach the instrument
    QVERIFY(inst.received.isEmpty());
}

void TstDownload::closingDuringDownload()
{
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req == 0x00 ? bytes({0x00}) : QByteArray(); };
    auto w = std::make_unique<TestWindow>();
    (*w)->setPortDevices(inst.path(), inst.path());
    (*w)->show();
    (*w)->Command5->click();
    QTRY_COMPARE(w->ws().datatype, 1);
    QVERIFY((*w)->close());
    QVERIFY(!(*w)->MyComm->portOpen());
    w.reset();
    inst.send(bytes({0x10, 0x01, 0x20, 0x01})); // nobody listens; nothing breaks
}

QTEST_MAIN(TstDownload)
#include "tst_download.moc"
