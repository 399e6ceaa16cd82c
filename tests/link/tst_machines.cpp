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
};

const QByteArray kRecordPacket = bytes({0, 0x09, 0x05, 0x13, 0x26, 0x07, 0x2C, 1});
} // namespace

class TstMachines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void packetsRestartTheSilence();
    void displaysAreThrottled();
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

QTEST_GUILESS_MAIN(TstMachines)
#include "tst_machines.moc"
