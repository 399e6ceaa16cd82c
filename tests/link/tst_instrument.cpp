// The instrument on a real line, against the simulator: how a download
// ended, as both front ends are handed it.
#include "core/datafile.h"
#include "link/instrument.h"
#include "support/line.h"
#include "support/records.h"

#include <QTemporaryDir>

class TstInstrument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void timeLimitEndsPartial_data();
    void timeLimitEndsPartial();
};

void TstInstrument::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
}

void TstInstrument::timeLimitEndsPartial_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<int>("memory"); // readings the instrument holds
    QTest::addColumn<QString>("told");
    // At line speed both take far longer than the limit the test sets, and the text names that limit.
    QTest::newRow("time-stamped") << "1" << 4033 << QStringLiteral("0.5 秒内没有传完");
    QTest::newRow("sequence") << "0" << 3840 << QStringLiteral("应为 3840 个");
}

void TstInstrument::timeLimitEndsPartial()
{
    QFETCH(QString, style);
    QFETCH(int, memory);
    QFETCH(QString, told);
    Simulator sim({"--style", style, "--byte-us", "2083"});
    QVERIFY(!sim.device.isEmpty());
    QTemporaryDir keep;
    Instrument instrument;
    instrument.setDevices(sim.device, sim.device);
    instrument.setKeepDir(keep.path());
    instrument.download().timeLimit = 0.5;
    QList<DownloadResult> ended;
    connect(&instrument, &Instrument::downloadEnded, this, [&](const DownloadResult &r) { ended.append(r); });
    QString message;
    QCOMPARE(instrument.startDownload(&message), Instrument::Started);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 10000);
    const DownloadResult &result = ended.first();
    QCOMPARE(result.outcome, ReadComMachine::TimedOut);
    QVERIFY(result.partial()); // zqcli exits 4 on it
    QVERIFY2(result.note.contains(told), qPrintable(result.note));
    QVERIFY(result.record.count() > 0 && result.record.count() < memory);
    QCOMPARE(readAll(result.keptPath), zq::dataFileBytes(result.record));
    QVERIFY(!instrument.portOpen() && !instrument.watching());
}

QTEST_GUILESS_MAIN(TstInstrument)
#include "tst_instrument.moc"
