// Data file layouts, exports and kept copies.
#include "core/datafile.h"
#include "core/listlines.h"
#include "core/summary.h"
#include "core/textexport.h"
#include "support/records.h"

#include <QTemporaryDir>
#include <QtTest>

class TstFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutsByteForByte();
    void lengthsDecideWhatIsRead_data();
    void lengthsDecideWhatIsRead();
    void exports();
    void implausible_data();
    void implausible();
    void listLines_data();
    void listLines();
    void summary_data();
    void summary();
    void keptCopiesNeverOverwrite();
};

void TstFiles::layoutsByteForByte()
{
    QVector<WDREC> records = timeRecords(10);
    records[4] = WDREC{-5, 12, 31, 23, 59, 58};
    records[5].wd = zq::kFailedReading;
    records[9].wd = 0; // a reading of 0 with its time is a record, not an empty slot
    const zq::Record time = zq::Record::timeStamped(records);
    const QByteArray file = zq::dataFileBytes(time);
    QCOMPARE(file.size(), 28224);
    QCOMPARE(file.left(7), bytes({200, 0, 7, 26, 13, 0, 9}));
    QCOMPARE(file.mid(28, 9), bytes({0xFB, 0xFF, 12, 31, 23, 59, 58, 0xB8, 0x22}));
    QCOMPARE(file.mid(70).count('\0'), file.size() - 70);
    QCOMPARE(zq::recordFromFileBytes(file), time); // trailing empty slots are not readings

    const zq::Record seq = sequenceData({564, 1400, 8888, -5});
    QCOMPARE(zq::dataFileBytes(seq).size(), 7680);
    QCOMPARE(zq::dataFileBytes(seq).left(8), bytes({0x34, 0x02, 0x78, 0x05, 0xB8, 0x22, 0xFB, 0xFF}));
    QCOMPARE(zq::recordFromFileBytes(zq::dataFileBytes(seq)), seq);
}

void TstFiles::lengthsDecideWhatIsRead_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("datatype");
    QTest::addColumn<int>("count");
    QTest::newRow("empty file") << 0 << 2 << 0;
    QTest::newRow("exactly ten records") << 70 << 2 << 10;
    QTest::newRow("half a record at the end") << 73 << 2 << 10;
    QTest::newRow("exactly a sequence file") << 7680 << 1 << 3840;
    QTest::newRow("one byte more") << 7681 << 2 << 1097;
    QTest::newRow("longer than the layout") << 40000 << 2 << 4032;
}

void TstFiles::lengthsDecideWhatIsRead()
{
    QFETCH(int, length);
    QFETCH(int, datatype);
    QFETCH(int, count);
    const zq::Record record = zq::recordFromFileBytes(QByteArray(length, char(0x11)));
    QCOMPARE(int(record.type()), datatype);
    QCOMPARE(record.count(), count); // never past the file's records
}

void TstFiles::exports()
{
    QCOMPARE(zq::exportText(sequenceData({235, -5, 8888})),
        QByteArray("No. 1 --- 235 \r\nNo. 2 ----5 \r\nNo. 3 --- 8888 \r\n"));
    QVERIFY(zq::exportText(sequenceData({})).isEmpty());
    const QByteArray head
        = "\xD4\xC2-\xC8\xD5 \xCA\xB1:\xB7\xD6:\xC3\xEB---\xCE\xC2\xB6\xC8      \xD5\xE2\xCA\xC7\xB5\xDA";
    const QByteArray tail = "\xD7\xE9\xB5\xC4\xCE\xC2\xB6\xC8\xCA\xFD\xBE\xDD\r\n";
    const QByteArray text = zq::exportText(timeData(3));
    QVERIFY(text.startsWith(head + " 0 " + tail + " 7  26  13  0  9 --- 200 \r\n"));
    QVERIFY(text.endsWith(head + " 7 " + tail));
    QCOMPARE(text.count("\r\n"), 11); // 8 headers, 3 records

    QVector<WDREC> two = timeRecords(2);
    two[1].wd = zq::kFailedReading;
    QCOMPARE(zq::exportCsv(zq::Record::timeStamped(two)),
        "\xEF\xBB\xBF" + QStringLiteral("组,月,日,时,分,秒,温度\r\n0,7,26,13,0,9,200\r\n0,7,26,13,1,9,\r\n").toUtf8());
    QCOMPARE(zq::exportCsv(sequenceData({235, 8888, -5})),
        "\xEF\xBB\xBF" + QStringLiteral("序号,温度\r\n1,235\r\n2,\r\n3,-5\r\n").toUtf8());
    QCOMPARE(zq::defaultExportName(QDate(2006, 7, 5), QLocale(QLocale::English)), QStringLiteral("Jul20065"));
}

void TstFiles::listLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("sequence") << zq::sequenceLine(12, 235) << "0012--------0235";
    QTest::newRow("failed sequence reading") << zq::sequenceLine(3839, 8888) << "3839--------8888";
    QTest::newRow("negative") << zq::sequenceLine(5, -5) << "0005---------0005";
    QTest::newRow("time-stamped") << zq::timeLine({235, 7, 26, 13, 5, 9}) << "07-26 13:05:09    0235";
    QTest::newRow("failed time-stamped") << zq::timeLine({8888, 7, 26, 13, 5, 9}) << "ERRDATA!!!";
    QTest::newRow("empty slot") << zq::timeLine({}) << "00-00 00:00:00    0000";
}

void TstFiles::listLines()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(line, expected);
}

void TstFiles::summary_data()
{
    QTest::addColumn<QList<int>>("readings");
    QTest::addColumn<QString>("line");
    QTest::newRow("failed readings take no part")
        << QList<int>{500, 8888, 300, 700} << "读数 4  失败 1  最低 300 (0002)  最高 700 (0003)  平均 500.0";
    QTest::newRow("one reading") << QList<int>{42} << "读数 1  失败 0  最低 42 (0000)  最高 42 (0000)  平均 42.0";
    QTest::newRow("negative readings") << QList<int>{-5, -20, 10}
                                       << "读数 3  失败 0  最低 -20 (0001)  最高 10 (0002)  平均 -5.0";
    QTest::newRow("only failed") << QList<int>{8888, 8888} << "读数 2  失败 2";
    // Where a value occurs again, its first place is named.
    QTest::newRow("repeated extremes") << QList<int>{500, 300, 700, 300, 700}
                                       << "读数 5  失败 0  最低 300 (0001)  最高 700 (0002)  平均 500.0";
    QTest::newRow("nothing came") << QList<int>{} << "读数 0  失败 0";
}

void TstFiles::summary()
{
    QFETCH(QList<int>, readings);
    QFETCH(QString, line);
    QVector<int16_t> values;
    for (int v : readings)
        values.append(int16_t(v));
    QCOMPARE(zq::summaryLine(zq::summarize(zq::Record::sequence(values), 0)), line);
    QCOMPARE(zq::summaryLine(zq::summarize(zq::Record(), 0)), QString());
}

void TstFiles::implausible_data()
{
    QTest::addColumn<int>("field"); // 0 reading, 1 month, 2 day, 3 hour, 4 minute, 5 second
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("damaged");
    QTest::newRow("December") << 1 << 12 << 0;
    QTest::newRow("month 13") << 1 << 13 << 1;
    QTest::newRow("month 0") << 1 << 0 << 1;
    QTest::newRow("day 31") << 2 << 31 << 0;
    QTest::newRow("day 32") << 2 << 32 << 1;
    QTest::newRow("23 o'clock") << 3 << 23 << 0;
    QTest::newRow("24 o'clock") << 3 << 24 << 1;
    QTest::newRow("second 60") << 5 << 60 << 1;
    QTest::newRow("reading 2047") << 0 << 2047 << 0;
    QTest::newRow("reading 2048") << 0 << 2048 << 1;
    QTest::newRow("failed reading") << 0 << 8888 << 0;
    QTest::newRow("reading -1000") << 0 << -1000 << 1;
}

void TstFiles::implausible()
{
    QFETCH(int, field);
    QFETCH(int, value);
    QFETCH(int, damaged);
    QVector<WDREC> records = timeRecords(20);
    WDREC &r = records[7];
    if (field == 0)
        r.wd = int16_t(value);
    else
        (field == 1          ? r.month
                : field == 2 ? r.day
                : field == 3 ? r.hour
                : field == 4 ? r.minute
                             : r.second)
            = uint8_t(value);
    QCOMPARE(zq::implausibleRecords(zq::Record::timeStamped(records)), damaged);
}

void TstFiles::keptCopiesNeverOverwrite()
{
    QTemporaryDir dir;
    const QDateTime when(QDate(2026, 12, 6), QTime(21, 30, 5));
    const QString folder = dir.filePath("downloads");
    const zq::Record time = timeData(300);
    const QByteArray raw = "\x01" + QByteArray(8 * 300, 'x');
    const zq::KeptCopy first = zq::keepDownload(folder, time, raw, zq::TimeData, when);
    const zq::KeptCopy second = zq::keepDownload(folder, time, raw, zq::TimeData, when);
    const zq::KeptCopy seq
        = zq::keepDownload(folder, sequenceData({1, 2}), "\x00\x01\x00\x02\x00", zq::SequenceData, when);
    QCOMPARE(QFileInfo(first.dataPath).fileName(), QStringLiteral("20261206-213005-STYLE1.ZQ"));
    QCOMPARE(QFileInfo(first.rawPath).fileName(), QStringLiteral("20261206-213005-STYLE1.raw"));
    QCOMPARE(QFileInfo(second.dataPath).fileName(), QStringLiteral("20261206-213005-STYLE1-2.ZQ"));
    QCOMPARE(QFileInfo(second.rawPath).fileName(), QStringLiteral("20261206-213005-STYLE1-2.raw"));
    QCOMPARE(QFileInfo(seq.dataPath).fileName(), QStringLiteral("20261206-213005-STYLE0.ZQ"));
    QCOMPARE(readAll(second.dataPath), zq::dataFileBytes(time));
    QCOMPARE(readAll(second.rawPath), raw);
    // A third and a fourth in the same second: -3, -4, never over -2.
    for (const char *name : {"20261206-213005-STYLE1-3.ZQ", "20261206-213005-STYLE1-4.ZQ"})
        QCOMPARE(QFileInfo(zq::keepDownload(folder, time, raw, zq::TimeData, when).dataPath).fileName(),
            QString::fromLatin1(name));
    QCOMPARE(readAll(second.dataPath), zq::dataFileBytes(time));
    // Bytes that are no record: only the raw file, under the same kind of name.
    const zq::KeptCopy junk = zq::keepDownload(folder, zq::Record(), "\x01junk", zq::TimeData, when);
    QVERIFY(junk.dataPath.isEmpty());
    QCOMPARE(QFileInfo(junk.rawPath).fileName(), QStringLiteral("20261206-213005-STYLE1-5.raw"));
    // Nothing of the writing is left behind: no temporary file, hidden or not.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 11);
    const zq::KeptCopy bad = zq::keepDownload(folder + "/20261206-213005-STYLE0.ZQ/sub", time, raw, zq::TimeData, when);
    QVERIFY(bad.dataPath.isEmpty() && !bad.error.isEmpty());
}

QTEST_GUILESS_MAIN(TstFiles)
#include "tst_files.moc"
