// The download machine driven through a port in memory, with a clock the
// test turns: the timing rules no transfer over a real line can pin.
#include "link/download.h"
#include "link/fakeport.h"
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
    // Bytes during the watch: one notification per byte threshold of 1.
    void late(const QByteArray &bytes)
    {
        port.waiting.append(bytes);
        machine.receive();
    }
};

const QByteArray kRecordPacket = bytes({0, 0x09, 0x05, 0x13, 0x26, 0x07, 0x2C, 1});
const QByteArray kMonth13Packet = bytes({0, 0x09, 0x05, 0x13, 0x26, 0x13, 0x2C, 1});
} // namespace

class TstMachines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void packetsRestartTheSilence();
    void displaysAreThrottled();
    void shortTransfersAreJudged_data();
    void shortTransfersAreJudged();
    void watchGathersEveryLateByte_data();
    void watchGathersEveryLateByte();
};

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

void TstMachines::shortTransfersAreJudged_data()
{
    // Fewer packets than the judge takes, then silence: judged on what came.
    QTest::addColumn<int>("reply");
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("ending"); // 0 silence, 1 the line lost, 2 the window closed
    QTest::addColumn<int>("outcome");
    const int notARecord = ReadComMachine::NotARecord;
    const QByteArray failed = bytes({0x00, 0x09, 0x00, 0x09});
    const QByteArray good = bytes({0x10, 0x01, 0x20, 0x01});
    QTest::newRow("impossible months") << 0x01 << kMonth13Packet << 3 << 0 << notARecord;
    QTest::newRow("failed readings") << 0x00 << failed << 2 << 0 << notARecord;
    QTest::newRow("one impossible month") << 0x01 << kMonth13Packet << 1 << 0 << notARecord;
    QTest::newRow("impossible months, line lost") << 0x01 << kMonth13Packet << 3 << 1 << notARecord;
    QTest::newRow("failed readings, closed") << 0x00 << failed << 2 << 2 << notARecord;
    QTest::newRow("good time-stamped records") << 0x01 << kRecordPacket << 3 << 0 << int(ReadComMachine::Complete);
    QTest::newRow("good readings, cut") << 0x00 << good << 2 << 0 << int(ReadComMachine::Cut);
    QTest::newRow("good readings, line lost") << 0x00 << good << 2 << 1 << int(ReadComMachine::LineLost);
}

void TstMachines::shortTransfersAreJudged()
{
    QFETCH(int, reply);
    QFETCH(QByteArray, packet);
    QFETCH(int, count);
    QFETCH(int, ending);
    QFETCH(int, outcome);
    Line line;
    QString error;
    line.machine.start(&error);
    QSignalSpy done(&line.machine, &ReadComMachine::finished);
    line.reply(reply);
    for (int i = 0; i < count; ++i)
        line.packet(packet);
    if (ending == 1)
        line.machine.lineLost();
    else if (ending == 2)
        line.machine.abort();
    else
        line.after(2000);
    QCOMPARE(done.count(), 1);
    QCOMPARE(int(done.at(0).at(0).value<ReadComMachine::Outcome>()), outcome);
    QCOMPARE(line.machine.judgement().isEmpty(), outcome != ReadComMachine::NotARecord);
    QVERIFY(!line.port.portOpen() || outcome == ReadComMachine::Complete); // only a whole one is watched
}

void TstMachines::watchGathersEveryLateByte_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<int>("gapMs"); // between chunks, each under the silence
    QTest::newRow("one byte") << QList<QByteArray>{"\x01"} << 0;
    QTest::newRow("a burst") << QList<QByteArray>{"\x01\x02\x03"} << 0;
    QTest::newRow("over several ticks") << QList<QByteArray>{"\x01", "\x02\x03", "\x04"} << 100;
    QTest::newRow("a trickle longer than the silence")
        << QList<QByteArray>{"\x01", "\x02", "\x03", "\x04", "\x05", "\x06"} << 1900;
}

void TstMachines::watchGathersEveryLateByte()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(int, gapMs);
    Line line;
    QString error;
    line.machine.start(&error);
    QSignalSpy late(&line.machine, &ReadComMachine::lateBytes);
    QSignalSpy quiet(&line.machine, &ReadComMachine::watchEnded);
    line.reply(0x01);
    line.packet(kRecordPacket);
    line.after(2000);
    QVERIFY(line.machine.watching());
    line.after(1000);
    QByteArray all;
    for (const QByteArray &chunk : chunks) {
        line.late(chunk);
        all += chunk;
        line.after(gapMs);
        QVERIFY(late.isEmpty()); // not while they still come
    }
    line.after(2000 - gapMs);
    QCOMPARE(late.count(), 1);
    QCOMPARE(late.at(0).at(0).toByteArray(), all);
    QVERIFY(quiet.isEmpty() && !line.port.portOpen() && !line.machine.watching());
}

QTEST_GUILESS_MAIN(TstMachines)
#include "tst_machines.moc"
