#include "list/listlines.h"

#include <QtTest>

class TstListLines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sequenceLine_data();
    void sequenceLine();
    void timeLine_data();
    void timeLine();
    void linesFollowDataType();
};

void TstListLines::sequenceLine_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("reading");
    QTest::addColumn<QString>("line");
    QTest::newRow("example") << 12 << 235 << "0012--------0235";
    QTest::newRow("failed reading as a value") << 0 << 8888 << "0000--------8888";
    QTest::newRow("last slot") << 3839 << 2303 << "3839--------2303";
    QTest::newRow("negative") << 5 << -5 << "0005---------0005";
}

void TstListLines::sequenceLine()
{
    QFETCH(int, index);
    QFETCH(int, reading);
    QFETCH(QString, line);
    QCOMPARE(zq::sequenceLine(index, reading), line);
}

void TstListLines::timeLine_data()
{
    QTest::addColumn<int>("wd");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("second");
    QTest::addColumn<QString>("line");
    QTest::newRow("example") << 235 << 7 << 9 << "07-26 13:05:09    0235";
    QTest::newRow("failed") << 8888 << 7 << 9 << "ERRDATA!!!";
    QTest::newRow("empty slot") << 0 << 0 << 0 << "00-26 13:05:00    0000";
}

void TstListLines::timeLine()
{
    QFETCH(int, wd);
    QFETCH(int, month);
    QFETCH(int, second);
    QFETCH(QString, line);
    QCOMPARE(zq::timeLine(WDREC{int16_t(wd), uint8_t(month), 26, 13, 5, uint8_t(second)}), line);
}

void TstListLines::linesFollowDataType()
{
    Workspace ws;
    QVERIFY(zq::readingLines(ws, 0).isEmpty());
    ws.datatype = zq::TimeData;
    ws.grpcount[0] = 3;
    ws.wdtab[1][0].wd = zq::kFailedReading;
    const QStringList lines = zq::readingLines(ws, 0);
    QCOMPARE(lines, (QStringList{"00-00 00:00:00    0000", "ERRDATA!!!", "00-00 00:00:00    0000"}));
    ws.grpcount[0] = 99999; // never read past the table
    QCOMPARE(zq::readingLines(ws, 0).size(), zq::kTabSlots);
    QVERIFY(zq::readingLines(ws, 7).isEmpty());
}

QTEST_MAIN(TstListLines)
#include "tst_listlines.moc"
