#include "link/commport.h"
#include "link/onlinepoll.h"
#include "support/line.h"
#include "support/window.h"

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
    void tickDuringDownloadChangesNothing();
    void switchAndFaults();
};

void TstOnline::replyShown_data()
{
    QTest::addColumn<QByteArray>("reply"); // empty: the instrument stays silent
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QString>("shown");
    QTest::newRow("293") << bytes({0xC0, 0x05, 0x12, 0x21, 0x30}) << 0 << "0293";
    QTest::newRow("0") << bytes({0xC0, 0x00, 0x10, 0x20, 0x30}) << 0 << "0000";
    QTest::newRow("100, below 256") << bytes({0xC0, 0x04, 0x16, 0x20, 0x30}) << 0 << "0100";
    QTest::newRow("2000") << bytes({0xC0, 0x00, 0x1D, 0x23, 0x31}) << 0 << "2000";
    QTest::newRow("2001") << bytes({0xC0, 0x01, 0x1D, 0x23, 0x31}) << 0 << "Err DATAS";
    QTest::newRow("wrong first byte") << bytes({0x55, 0x05, 0x12, 0x21, 0x30}) << 0 << "Err DATAS";
    QTest::newRow("failure pair") << bytes({0xC0, 0x00, 0x10, 0x30, 0x20}) << 0 << "Err DATAS";
    QTest::newRow("a second late") << bytes({0xC0, 0x05, 0x12, 0x21, 0x30}) << 1000 << "0293";
    QTest::newRow("no answer") << QByteArray() << 0 << "No DATAS";
}

void TstOnline::replyShown()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, delayMs);
    QFETCH(QString, shown);
    PtyInstrument inst;
    inst.respond = [&](uint8_t req) {
        if (req == 0xC0 && !reply.isEmpty())
            inst.sendLater(reply, delayMs);
        return QByteArray();
    };
    TestWindow w(inst.path());
    // Held data is neither used nor changed by the poll.
    w.show(sequenceData({100}));
    QElapsedTimer clock;
    clock.start();
    w->onLiveTick();
    QCOMPARE(ui(w).statusLabel->text(), QStringLiteral("在线测温开启"));
    QTRY_COMPARE_WITH_TIMEOUT(ui(w).statusLabel->text(), shown, 8000);
    QVERIFY(clock.elapsed() <= 6000);
    QVERIFY(!w->instrument().portOpen());
    QCOMPARE(inst.received, bytes({0xC0}));
    QCOMPARE(w->record(), sequenceData({100}));
    QCOMPARE(ui(w).readingList->count(), 1);
}

void TstOnline::tickDuringDownloadChangesNothing()
{
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req ? QByteArray() : bytes({0x00, 0x10, 0x01, 0x20, 0x01}); };
    TestWindow w(inst.path());
    ui(w).downloadButton->click();
    QTRY_COMPARE(w->instrument().download().received(), 2);
    w->onLiveTick();
    QTRY_COMPARE(ui(w).statusLabel->text(), QStringLiteral("2"));
    QCOMPARE(inst.received, bytes({0x00}));
    // Bytes arriving now belong to the download, whatever they look like.
    inst.send(bytes({0xC0, 0x05, 0x12, 0x21}));
    QTRY_COMPARE(w->instrument().download().received(), 4);
    QCOMPARE(w->instrument().download().record().reading(2), 0x05C0);
    w->instrument().download().abort();
}

void TstOnline::switchAndFaults()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    Simulator sim({});
    auto w = std::make_unique<TestWindow>(sim.device);
    QVERIFY(!ui((*w)).onlineSwitch->isChecked());
    ui((*w)).onlineSwitch->click();
    QVERIFY(ui((*w)).liveTimer->isActive());
    QTRY_VERIFY(ui((*w)).statusLabel->text().toInt() >= 250); // the simulator's live value
    ui((*w)).onlineSwitch->click();
    QVERIFY(!ui((*w)).liveTimer->isActive());

    // Closing the window during a poll closes the port.
    (*w)->onLiveTick();
    QVERIFY((*w)->instrument().poll().active());
    QVERIFY((*w)->close());
    QVERIFY(!(*w)->instrument().portOpen());

    // A port that cannot open is told once, and the live reading switches off.
    w = std::make_unique<TestWindow>("/dev/zq-no-such-port");
    ui((*w)).onlineSwitch->click();
    (*w)->onLiveTick();
    QCOMPARE(ui((*w)).statusLabel->text(), QStringLiteral("COM ERR"));
    QVERIFY(!ui((*w)).liveTimer->isActive() && !ui((*w)).onlineSwitch->isChecked());
    QCOMPARE(w->dialogs->shown.size(), 1);
}

QTEST_MAIN(TstOnline)
#include "tst_online.moc"
