#include "core/decode.h"
#include "testsupport.h"

class TstDecode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void packets_data();
    void packets();
    void capacity();
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
    Workspace ws;
    ws.wdnum = 10;
    ws.grpcount[0] = 3;
    ws.recnum = 7;
    ws.wdseq[11] = 1234; // an earlier download's reading must not survive
    if (packet.size() == 4) {
        QVERIFY(zq::storeSequencePacket(ws, packet));
        QCOMPARE((QList<int>{ws.wdseq[10], ws.wdseq[11]}), stored);
        QCOMPARE(ws.wdnum, 12);
    } else {
        QVERIFY(zq::storeTimePacket(ws, packet));
        const WDREC &r = ws.wdtab[3][0];
        QCOMPARE((QList<int>{r.wd, r.month, r.day, r.hour, r.minute, r.second}), stored);
        QCOMPARE(ws.grpcount[0], 4);
        QCOMPARE(ws.recnum, 8);
    }
}

void TstDecode::capacity()
{
    Workspace ws;
    ws.wdnum = zq::kSeqReadings;
    ws.grpcount[0] = zq::kTabSlots;
    QVERIFY(!zq::storeSequencePacket(ws, bytes({1, 0, 1, 0})));
    QVERIFY(!zq::storeTimePacket(ws, bytes({0, 0, 0, 0, 1, 1, 5, 0})));
    QVERIFY(!zq::storeTimePacket(ws, bytes({0, 0, 0}))); // short: ignored
    QCOMPARE(ws.wdnum, zq::kSeqReadings);
    QCOMPARE(ws.grpcount[0], zq::kTabSlots);
    QCOMPARE(ws.recnum, 1); // still counted, so the transfer can end by its count
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
