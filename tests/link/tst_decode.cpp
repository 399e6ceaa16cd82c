#include "link/decode.h"
#include "testsupport.h"

class TstDecode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bcd_data();
    void bcd();
    void sequencePacket_data();
    void sequencePacket();
    void timePacket_data();
    void timePacket();
    void capacity();
    void onlineReply_data();
    void onlineReply();
};

void TstDecode::bcd_data()
{
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::newRow("0x59") << 0x59 << 59;
    QTest::newRow("0x00") << 0x00 << 0;
    QTest::newRow("0x1A half above 9") << 0x1A << 20;
    QTest::newRow("0xFF") << 0xFF << 165;
}

void TstDecode::bcd()
{
    QFETCH(int, in);
    QFETCH(int, out);
    uint8_t b = uint8_t(in);
    QCOMPARE(int(DECtoHEX(b)), out);
    QCOMPARE(int(b), out); // written back
}

void TstDecode::sequencePacket_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::newRow("example") << bytes({0x34, 0x02, 0x78, 0x05}) << 564 << 1400;
    QTest::newRow("high byte 8 is valid") << bytes({0xFF, 0x08, 0x00, 0x08}) << 2303 << 2048;
    QTest::newRow("high byte 9 fails the first only") << bytes({0x00, 0x09, 0x10, 0x01}) << 8888 << 272;
    QTest::newRow("second judged on its own") << bytes({0x10, 0x01, 0x00, 0x09}) << 272 << 8888;
    QTest::newRow("0x80 cannot overflow") << bytes({0x00, 0x80, 0xFF, 0xFF}) << 8888 << 8888;
}

void TstDecode::sequencePacket()
{
    QFETCH(QByteArray, packet);
    QFETCH(int, first);
    QFETCH(int, second);
    Workspace ws;
    ws.wdnum = 10;
    ws.wdseq[11] = 1234; // an earlier download's reading must not survive
    QVERIFY(zq::storeSequencePacket(ws, packet));
    QCOMPARE(int(ws.wdseq[10]), first);
    QCOMPARE(int(ws.wdseq[11]), second);
    QCOMPARE(ws.wdnum, 12);
}

void TstDecode::timePacket_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<int>("wd");
    QTest::addColumn<QList<int>>("time"); // month, day, hour, minute, second
    QTest::newRow("example") << bytes({0x00, 0x30, 0x45, 0x13, 0x27, 0x06, 0xD2, 0x00}) << 210
                             << QList<int>{6, 27, 13, 45, 30};
    QTest::newRow("high byte 8 fails, time still decoded")
        << bytes({0x00, 0x30, 0x45, 0x13, 0x27, 0x06, 0xD2, 0x08}) << 8888 << QList<int>{6, 27, 13, 45, 30};
    QTest::newRow("high byte 7 is valid")
        << bytes({0x00, 0x00, 0x00, 0x00, 0x01, 0x12, 0xFF, 0x07}) << 2047 << QList<int>{12, 1, 0, 0, 0};
    QTest::newRow("BCD halves above 9") << bytes({0x00, 0x1A, 0xFF, 0x00, 0x01, 0x01, 0x01, 0x00}) << 1
                                        << QList<int>{1, 1, 0, 165, 20};
}

void TstDecode::timePacket()
{
    QFETCH(QByteArray, packet);
    QFETCH(int, wd);
    QFETCH(QList<int>, time);
    Workspace ws;
    ws.grpcount[0] = 3;
    QVERIFY(zq::storeTimePacket(ws, packet));
    const WDREC &r = ws.wdtab[3][0];
    QCOMPARE(int(r.wd), wd);
    QCOMPARE((QList<int>{r.month, r.day, r.hour, r.minute, r.second}), time);
    QCOMPARE(ws.grpcount[0], 4);
    QCOMPARE(ws.recnum, 1);
}

void TstDecode::capacity()
{
    Workspace ws;
    ws.wdnum = zq::kSeqReadings;
    QVERIFY(!zq::storeSequencePacket(ws, bytes({1, 0, 1, 0})));
    QCOMPARE(ws.wdnum, zq::kSeqReadings);
    QVERIFY(!zq::storeSequencePacket(ws, bytes({1, 0})));

    ws.grpcount[0] = zq::kTabSlots;
    QVERIFY(!zq::storeTimePacket(ws, bytes({0, 0, 0, 0, 1, 1, 5, 0})));
    QCOMPARE(ws.grpcount[0], zq::kTabSlots);
    QCOMPARE(ws.recnum, 1); // still counted, so the transfer can end by its count
    QVERIFY(!zq::storeTimePacket(ws, bytes({0, 0, 0})));
    QCOMPARE(ws.recnum, 1);
}

void TstDecode::onlineReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("value");
    QTest::newRow("293") << bytes({0xC0, 0x05, 0x12, 0x21, 0x30}) << 293;
    QTest::newRow("2000 is valid") << bytes({0xC0, 0x00, 0x1D, 0x23, 0x31}) << 2000;
    QTest::newRow("2001 fails") << bytes({0xC0, 0x01, 0x1D, 0x23, 0x31}) << 8888;
    QTest::newRow("wrong first byte") << bytes({0xC1, 0x05, 0x12, 0x21, 0x30}) << 8888;
    QTest::newRow("failure pair") << bytes({0xC0, 0x00, 0x10, 0x30, 0x20}) << 8888;
    QTest::newRow("largest combination stays wide") << bytes({0xC0, 0xFF, 0xFF, 0xFF, 0xFF}) << 8888;
    QTest::newRow("short reply") << bytes({0xC0, 0x05}) << 8888;
    QTest::newRow("extra bytes ignored") << bytes({0xC0, 0x05, 0x12, 0x21, 0x30, 0x99}) << 293;
}

void TstDecode::onlineReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, value);
    QCOMPARE(int(zq::decodeOnlineReply(reply)), value);
}

QTEST_MAIN(TstDecode)
#include "tst_decode.moc"
