#include "core/decode.h"
#include "support/records.h"

#include <QtTest>

class TstDecode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void packets_data();
    void packets();
    void capacity();
    void firstPacketsJudged_data();
    void firstPacketsJudged();
    void onlineReply_data();
    void onlineReply();
};

void TstDecode::packets_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QList<int>>(
        "stored"); // sequence: two readings; time-stamped: wd, month, day, hour, minute, second
    QTest::newRow("sequence example") << bytes({0x34, 0x02, 0x78, 0x05}) << QList<int>{564, 1400};
    QTest::newRow("high byte 8 is valid") << bytes({0xFF, 0x08, 0x00, 0x08}) << QList<int>{2303, 2048};
    QTest::newRow("9 fails the first only") << bytes({0x00, 0x09, 0x10, 0x01}) << QList<int>{8888, 272};
    QTest::newRow("second judged on its own") << bytes({0x10, 0x01, 0x00, 0x80}) << QList<int>{272, 8888};
    QTest::newRow("time example") << bytes({0x00, 0x30, 0x45, 0x13, 0x27, 0x06, 0xD2, 0x00})
                                  << QList<int>{210, 6, 27, 13, 45, 30};
    QTest::newRow("high byte 8 fails, time kept")
        << bytes({0x00, 0x30, 0x45, 0x13, 0x27, 0x06, 0xD2, 0x08}) << QList<int>{8888, 6, 27, 13, 45, 30};
    QTest::newRow("BCD halves above 9") << bytes({0x00, 0x1A, 0xFF, 0x00, 0x01, 0x01, 0xFF, 0x07})
                                        << QList<int>{2047, 1, 1, 0, 165, 20};
}

void TstDecode::packets()
{
    QFETCH(QByteArray, packet);
    QFETCH(QList<int>, stored);
    zq::RecordBuilder builder;
    const bool sequence = packet.size() == 4;
    builder.begin(sequence ? zq::SequenceData : zq::TimeData);
    QVERIFY(builder.add(sequence ? bytes({1, 0, 2, 0}) : bytes({0, 0, 0, 0, 1, 1, 5, 0})));
    QVERIFY(builder.add(packet));
    const zq::Record record = builder.record();
    if (sequence) {
        QCOMPARE(record.count(), 4);
        QCOMPARE((QList<int>{record.reading(2), record.reading(3)}), stored);
    } else {
        QCOMPARE(record.count(), 2);
        const WDREC &r = record.at(1);
        QCOMPARE((QList<int>{r.wd, r.month, r.day, r.hour, r.minute, r.second}), stored);
        QCOMPARE(builder.packets(), 2);
    }
}

void TstDecode::capacity()
{
    zq::RecordBuilder seq;
    seq.begin(zq::SequenceData);
    for (int i = 0; i < zq::kSeqReadings / 2; ++i)
        QVERIFY(seq.add(bytes({1, 0, 1, 0})));
    QVERIFY(!seq.add(bytes({1, 0, 1, 0})));
    QCOMPARE(seq.record().count(), zq::kSeqReadings);

    zq::RecordBuilder time;
    time.begin(zq::TimeData);
    for (int i = 0; i < zq::kTabSlots; ++i)
        QVERIFY(time.add(bytes({0, 0, 0, 0, 1, 1, 5, 0})));
    QVERIFY(!time.add(bytes({0, 0, 0, 0, 1, 1, 5, 0})));
    QVERIFY(!time.add(bytes({0, 0, 0}))); // short: ignored
    QCOMPARE(time.record().count(), zq::kTabSlots);
    QCOMPARE(time.packets(), zq::kTabSlots + 1); // still counted, so the transfer can end by its count

    // A record made is a value: a builder starting again leaves it alone.
    const zq::Record made = time.record();
    time.begin(zq::TimeData);
    QCOMPARE(made.count(), zq::kTabSlots);
    QCOMPARE(time.record().count(), 0);
}

void TstDecode::firstPacketsJudged_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("packets");
    QTest::addColumn<int>("badFrom"); // packets from here on have an impossible stamp, or a failed reading
    QTest::addColumn<bool>("record");
    QTest::newRow("16 good records") << 2 << 16 << 16 << true;
    QTest::newRow("3 of 16 stamps impossible") << 2 << 16 << 13 << true;
    QTest::newRow("4 of 16 stamps impossible") << 2 << 16 << 12 << false;
    QTest::newRow("1 of 3 stamps impossible") << 2 << 3 << 2 << false; // a short transfer, judged on what came
    QTest::newRow("15 of 32 readings failed") << 1 << 16 << 1 << true;
    QTest::newRow("16 of 32 readings failed") << 1 << 16 << 0 << false;
    QTest::newRow("only the first 16 packets count") << 1 << 40 << 16 << true;
}

void TstDecode::firstPacketsJudged()
{
    QFETCH(int, type);
    QFETCH(int, packets);
    QFETCH(int, badFrom);
    QFETCH(bool, record);
    zq::PacketJudge judge;
    judge.begin(zq::DataType(type));
    const QByteArray good = type == 2 ? bytes({0, 0x59, 0x59, 0x23, 0x31, 0x12, 0x2C, 1}) : bytes({0x2C, 1, 0x2C, 1});
    const QByteArray worse = type == 2 ? bytes({0, 0x60, 0x59, 0x23, 0x31, 0x12, 0x2C, 1}) // second 60
                                       : bytes({0x2C, 9, 0x2C, 1}); // the first reading failed
    for (int i = 0; i < packets; ++i)
        judge.add(i >= badFrom ? worse : good);
    QCOMPARE(judge.verdict().isEmpty(), record);
}

void TstDecode::onlineReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("value");
    QTest::newRow("293") << bytes({0xC0, 0x05, 0x12, 0x21, 0x30, 0x99}) << 293;
    QTest::newRow("2000 is valid") << bytes({0xC0, 0x00, 0x1D, 0x23, 0x31}) << 2000;
    QTest::newRow("2001 fails") << bytes({0xC0, 0x01, 0x1D, 0x23, 0x31}) << 8888;
    QTest::newRow("wrong first byte") << bytes({0xC1, 0x05, 0x12, 0x21, 0x30}) << 8888;
    QTest::newRow("failure pair") << bytes({0xC0, 0x00, 0x10, 0x30, 0x20}) << 8888;
    QTest::newRow("largest bytes stay wide") << bytes({0xC0, 0xFF, 0xFF, 0xFF, 0xFF}) << 8888;
    QTest::newRow("short reply") << bytes({0xC0, 0x05}) << 8888;
}

void TstDecode::onlineReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, value);
    QCOMPARE(int(zq::decodeOnlineReply(reply)), value);
}

QTEST_MAIN(TstDecode)
#include "tst_decode.moc"
