#include "link/commport.h"
#include "link/onlinepoll.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

class TstOnline : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replyShown_data();
    void replyShown();
    void noAnswer();
    void tickDuringDownloadChangesNothing();
    void liveReadingBesideHeldData();
    void switchDrivesTimer();
    void simulatorAnswers();
};

void TstOnline::replyShown_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QString>("shown");
    QTest::newRow("293") << bytes({0xC0, 0x05, 0x12, 0x21, 0x30}) << 0 << "0293";
    QTest::newRow("2000") << bytes({0xC0, 0x00, 0x1D, 0x23, 0x31}) << 0 << "2000";
    QTest::newRow("2001") << bytes({0xC0, 0x01, 0x1D, 0x23, 0x31}) << 0 << "Err DATAS";
    QTest::newRow("wrong first byte") << bytes({0x55, 0x05, 0x12, 0x21, 0x30}) << 0 << "Err DATAS";
    QTest::newRow("failure pair") << bytes({0xC0, 0x00, 0x10, 0x30, 0x20}) << 0 << "Err DATAS";
    QTest::newRow("a second late is still a reading") << bytes({0xC0, 0x05, 0x12, 0x21, 0x30}) << 1000 << "0293";
}

void TstOnline::replyShown()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, delayMs);
    QFETCH(QString, shown);
    PtyInstrument inst;
    inst.respond = [&](uint8_t req) {
        if (req == 0xC0)
            inst.sendLater(reply, delayMs);
        return QByteArray();
    };
    TestWindow w;
    w->setPortDevices(inst.path(), inst.path());
    w->Timer1_Timer();
    QCOMPARE(w->Label6->text(), QStringLiteral("在线测温开启"));
    QVERIFY(w->MyComm->portOpen());
    QTRY_COMPARE_WITH_TIMEOUT(w->Label6->text(), shown, 4000);
    QVERIFY(!w->MyComm->portOpen());
    QCOMPARE(inst.received, bytes({0xC0}));
}

void TstOnline::noAnswer()
{
    PtyInstrument inst;
    TestWindow w;
    w->setPortDevices(inst.path(), inst.path());
    QElapsedTimer clock;
    clock.start();
    w->Timer1_Timer();
    QTRY_COMPARE_WITH_TIMEOUT(w->Label6->text(), QStringLiteral("No DATAS"), 8000);
    QVERIFY2(clock.elapsed() <= 6000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!w->MyComm->portOpen());
    QCOMPARE(int(w.ws().livewd), -1);
}

void TstOnline::tickDuringDownloadChangesNothing()
{
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req == 0x00 ? bytes({0x00, 0x10, 0x01, 0x20, 0x01}) : QByteArray(); };
    TestWindow w;
    w->setPortDevices(inst.path(), inst.path());
    w->Command5->click();
    QTRY_COMPARE(w.ws().wdnum, 2);
    const QString status = w->Label6->text();
    w->Timer1_Timer();
    QCOMPARE(w->Label6->text(), status);
    QVERIFY(!w->onlinePoll().active());
    QCOMPARE(inst.received, bytes({0x00}));
    // Bytes arriving now belong to the download, whatever they look like.
    inst.send(bytes({0xC0, 0x05, 0x12, 0x21}));
    QTRY_COMPARE(w.ws().wdnum, 4);
    QCOMPARE(int(w.ws().wdseq[2]), 0x05C0);
    QCOMPARE(int(w.ws().wdseq[3]), 8888);
    QCOMPARE(w->Label6->text(), QStringLiteral("4"));
    w->download().abort();
}

void TstOnline::liveReadingBesideHeldData()
{
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req == 0xC0 ? bytes({0xC0, 0x05, 0x12, 0x21, 0x30}) : QByteArray(); };
    TestWindow w;
    w->setPortDevices(inst.path(), inst.path());
    Workspace &ws = w.ws();
    ws.datatype = ws.havedata = zq::SequenceData;
    ws.wdnum = 2;
    ws.wdseq[0] = 100;
    ws.wdseq[1] = 200;
    w->loadwd(0);
    const auto before = ws.wdseq;
    w->Timer1_Timer();
    QTRY_COMPARE(w->Label6->text(), QStringLiteral("0293"));
    QVERIFY(ws.wdseq == before);
    QCOMPARE(ws.wdnum, 2);
    QCOMPARE(ws.datatype, 1);
    QCOMPARE(w->List1->count(), 2);
}

void TstOnline::switchDrivesTimer()
{
    TestWindow w;
    QCOMPARE(w->onlineSwitch->text(), QStringLiteral("在线测温"));
    QVERIFY(!w->onlineSwitch->isChecked());
    w->onlineSwitch->click();
    QVERIFY(w->Timer1->isActive());
    w->onlineSwitch->click();
    QVERIFY(!w->Timer1->isActive());

    // A port that cannot open is told once and the live reading switches off.
    w->setPortDevices("/dev/zq-no-such-port", "/dev/zq-no-such-port");
    w->onlineSwitch->click();
    w->Timer1_Timer();
    QCOMPARE(w->Label6->text(), QStringLiteral("COM ERR"));
    QVERIFY(!w->onlineSwitch->isChecked());
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w.dialogs->shown.size(), 1);
}

void TstOnline::simulatorAnswers()
{
    Simulator sim;
    QVERIFY(sim.start({"--fast"}));
    TestWindow w;
    w->setPortDevices(sim.device, sim.device);
    w->Timer1_Timer();
    QTRY_VERIFY(!w->onlinePoll().active());
    const int value = w->Label6->text().toInt();
    QVERIFY2(w->Label6->text().size() == 4 && value >= 250 && value <= 350, qPrintable(w->Label6->text()));
}

QTEST_MAIN(TstOnline)
#include "tst_online.moc"
