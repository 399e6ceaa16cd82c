// The live reading on the instrument's own layer: one request, one answer
// told as the status, the port closed after.
#include "link/commport.h"
#include "support/bench.h"
#include "support/records.h"

#include <QElapsedTimer>

class TstOnline : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replyShown_data();
    void replyShown();
    void fromSimulatorAndFaults();
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
    Bench line(inst.path());
    QSignalSpy ended(&line.instrument, &Instrument::pollEnded);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(line.startPoll(), QString());
    QCOMPARE(line.status.value(0), QStringLiteral("在线测温开启"));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 8000);
    QVERIFY(clock.elapsed() <= 6000);
    QCOMPARE(line.status.value(line.status.size() - 1), shown);
    QVERIFY(!line.instrument.portOpen());
    QCOMPARE(inst.received, bytes({0xC0}));
}

void TstOnline::fromSimulatorAndFaults()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    Simulator sim({});
    Bench line(sim.device);
    QCOMPARE(line.startPoll(), QString());
    QTRY_VERIFY(line.status.value(line.status.size() - 1).toInt() >= 250); // the simulator's live value
    QTRY_VERIFY(!line.instrument.portOpen());
    // Ending a poll closes the port.
    QCOMPARE(line.startPoll(), QString());
    line.instrument.abort();
    QVERIFY(!line.instrument.polling() && !line.instrument.portOpen());
    // A port that cannot open is told, saying which.
    Bench absent("/dev/zq-no-such-port");
    QVERIFY(absent.startPoll().startsWith(QStringLiteral("找不到串口 COM 1")));
}

QTEST_GUILESS_MAIN(TstOnline)
#include "tst_online.moc"
