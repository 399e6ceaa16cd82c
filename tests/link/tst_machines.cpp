// The download and live-reading machines driven through a port in memory,
// with a clock the test turns: every wait and every limit without waiting.
#include "link/download.h"
#include "link/fakeport.h"
#include "link/onlinepoll.h"
#include "support/records.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr qint64 kMs = 1000000;

struct Line
{
    FakePort port;
    qint64 now = 0;
    ReadComMachine machine{port};
    Line()
    {
        machine.clockNs = [this] { return now; };
        machine.timeOfDay = [this] { return 1000 + now / 1e9; };
    }
    // The line quiet long enough for the request, then the instrument's answer.
    void reply(int byte)
    {
        after(300);
        port.waiting.append(char(byte));
        machine.receive();
    }
    void packet(const QByteArray &bytes)
    {
        port.waiting.append(bytes);
        while (port.notifications() > 0 && machine.active())
            machine.receive();
    }
    void after(qint64 ms)
    {
        now += ms * kMs;
        machine.step();
    }
};

const QByteArray kRecordPacket = bytes({0, 0x09, 0x05, 0x13, 0x26, 0x07, 0x2C, 1});
} // namespace

class TstMachines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void recordAsItCame();
    void packetsRestartTheSilence();
    void displaysAreThrottled();
    void noReplyAfterItsPasses();
    void liveReading_data();
    void liveReading();
};

void TstMachines::recordAsItCame()
{
    Line line;
    QString error;
    QCOMPARE(line.machine.start(&error), ReadComMachine::Started);
    QSignalSpy done(&line.machine, &ReadComMachine::finished);
    line.reply(0x00);
    QCOMPARE(line.port.written, QList<QByteArray>{bytes({0x00})});
    line.packet(bytes({0x34, 0x02, 0x78, 0x05, 0x00, 0x09, 0x10, 0x01}));
    line.after(2000);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).value<ReadComMachine::Outcome>(), ReadComMachine::Cut);
    QCOMPARE(line.machine.record(), sequenceData({564, 1400, 8888, 272}));
    QVERIFY(!line.port.portOpen());
}

void TstMachines::packetsRestartTheSilence()
{
    // A transfer that streams far longer than the silence limit, with gaps
    // just under it, is not ended early.
    Line line;
    QString error;
    line.machine.start(&error);
    QSignalSpy done(&line.machine, &ReadComMachine::finished);
    line.reply(0x01);
    for (int i = 0; i < 6; ++i) {
        line.packet(kRecordPacket);
        line.after(1900);
        QVERIFY2(done.isEmpty(), qPrintable(QString::number(i)));
    }
    line.after(100);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).value<ReadComMachine::Outcome>(), ReadComMachine::Complete);
    QCOMPARE(line.machine.record().count(), 6);
}

void TstMachines::displaysAreThrottled()
{
    // 100 packets over one second: at most ten changes a second, then the exact count once at the end.
    Line line;
    QString error;
    line.machine.start(&error);
    line.reply(0x01);
    QSignalSpy status(&line.machine, &ReadComMachine::status);
    QSignalSpy progress(&line.machine, &ReadComMachine::progress);
    for (int i = 0; i < 100; ++i) {
        line.packet(kRecordPacket);
        line.now += 10 * kMs;
        if (i % 10 == 9)
            line.machine.step();
    }
    QVERIFY2(status.count() >= 9 && status.count() <= 11, qPrintable(QString::number(status.count())));
    QCOMPARE(progress.count(), status.count());
    line.after(2000);
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("100"));
    QCOMPARE(progress.last().at(0).toInt(), 4033); // complete: the bar full
}

void TstMachines::noReplyAfterItsPasses()
{
    Line line;
    QString error;
    line.machine.start(&error);
    QSignalSpy done(&line.machine, &ReadComMachine::finished);
    line.after(300); // the request goes out
    line.after(1000);
    QVERIFY(done.isEmpty());
    line.port.waiting.append(char(0x55)); // not a reply: dropped, one pass
    line.machine.receive();
    line.after(1100); // 10000 passes of 200 µs
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).value<ReadComMachine::Outcome>(), ReadComMachine::NoReply);
    QCOMPARE(line.machine.passes(), ReadComMachine::kReplyPasses);
    QVERIFY(!line.machine.record().holdsData());
}

void TstMachines::liveReading_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("afterMs");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a reading") << bytes({0xC0, 0x05, 0x12, 0x21, 0x30}) << 100 << "0293";
    QTest::newRow("zero is a reading") << bytes({0xC0, 0x00, 0x10, 0x20, 0x30}) << 100 << "0000";
    QTest::newRow("failed") << bytes({0xC1, 0x05, 0x12, 0x21, 0x30}) << 100 << "Err DATAS";
    QTest::newRow("too late counts as none") << bytes({0xC0, 0x05, 0x12, 0x21, 0x30}) << 2700 << "No DATAS";
    QTest::newRow("no reply") << QByteArray() << 5100 << "No DATAS";
}

void TstMachines::liveReading()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, afterMs);
    QFETCH(QString, shown);
    FakePort port;
    qint64 now = 0;
    OnlinePollMachine poll(port);
    poll.clockNs = [&now] { return now; };
    QSignalSpy status(&poll, &OnlinePollMachine::status);
    QString error;
    QCOMPARE(poll.start(&error), OnlinePollMachine::Started);
    QCOMPARE(port.written, QList<QByteArray>{bytes({0xC0})});
    now = qint64(afterMs) * kMs;
    port.waiting = reply;
    if (reply.isEmpty())
        poll.step();
    else
        poll.receive();
    QVERIFY(!poll.active() && !port.portOpen());
    QCOMPARE(status.last().at(0).toString(), shown);
}

QTEST_GUILESS_MAIN(TstMachines)
#include "tst_machines.moc"
