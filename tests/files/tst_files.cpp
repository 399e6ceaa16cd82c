#include "core/chartbox.h"
#include "files/datafile.h"
#include "files/textexport.h"
#include "testsupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

namespace {
Workspace timeData(int n)
{
    Workspace ws;
    ws.datatype = ws.havedata = zq::TimeData;
    ws.grpcount[0] = n;
    for (int i = 0; i < n; ++i)
        ws.wdtab[i][0] = WDREC{int16_t(200 + i), 7, 26, 13, uint8_t(i), 9};
    return ws;
}

Workspace sequenceData(std::initializer_list<int> readings)
{
    Workspace ws;
    ws.datatype = ws.havedata = zq::SequenceData;
    for (int v : readings)
        ws.wdseq[ws.wdnum++] = int16_t(v);
    return ws;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
} // namespace

class TstFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void timeLayoutBytesAndRoundTrip();
    void sequenceLayoutBytesAndRoundTrip();
    void lengthsDecideWhatIsRead_data();
    void lengthsDecideWhatIsRead();
    void textExport_data();
    void textExport();
    void csvExport();
    void defaultNameAndExtension();
    void saveReplacesWholeAndTellsFailure();
    void openAsksAndKeepsDialogName();
    void openFailuresLeaveEmptyWorkspace_data();
    void openFailuresLeaveEmptyWorkspace();
    void exportThroughWindow();
    void downloadedRecordSavesAndReopens();
};

void TstFiles::timeLayoutBytesAndRoundTrip()
{
    Workspace ws = timeData(10);
    ws.wdtab[4][0] = WDREC{-5, 12, 31, 23, 59, 58};
    ws.wdtab[5][0].wd = zq::kFailedReading;
    const QByteArray file = zq::dataFileBytes(ws);
    QCOMPARE(file.size(), 28224);
    QCOMPARE(file.left(7), bytes({200, 0, 7, 26, 13, 0, 9}));
    QCOMPARE(file.mid(4 * 7, 7), bytes({0xFB, 0xFF, 12, 31, 23, 59, 58}));
    QCOMPARE(file.mid(5 * 7, 2), bytes({0xB8, 0x22})); // 8888, low byte first
    QVERIFY(file.mid(10 * 7).count('\0') == file.size() - 70);

    Workspace back;
    zq::loadDataFileBytes(back, file);
    QCOMPARE(back.datatype, 2);
    QCOMPARE(int(back.havedata), 2);
    QCOMPARE(back.grpcount[0], 10); // trailing empty slots are not readings
    for (int i = 0; i < zq::kFileRecords; ++i)
        QVERIFY2(back.wdtab[i][0] == ws.wdtab[i][0], qPrintable(QString::number(i)));
}

void TstFiles::sequenceLayoutBytesAndRoundTrip()
{
    Workspace ws = sequenceData({564, 1400, 8888, -5});
    const QByteArray file = zq::dataFileBytes(ws);
    QCOMPARE(file.size(), 7680);
    QCOMPARE(file.left(8), bytes({0x34, 0x02, 0x78, 0x05, 0xB8, 0x22, 0xFB, 0xFF}));
    Workspace back;
    zq::loadDataFileBytes(back, file);
    QCOMPARE(back.datatype, 1);
    QCOMPARE(int(back.havedata), 1);
    QCOMPARE(back.wdnum, 4);
    QCOMPARE(back.wdseq[3], int16_t(-5));
}

void TstFiles::lengthsDecideWhatIsRead_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("datatype");
    QTest::addColumn<int>("count");
    QTest::newRow("empty file") << 0 << 2 << 0;
    QTest::newRow("short file: records up to its end") << 70 << 2 << 10;
    QTest::newRow("half record at the end ignored") << 73 << 2 << 10;
    QTest::newRow("exactly a sequence file") << 7680 << 1 << 3840;
    QTest::newRow("one byte more is time-stamped") << 7681 << 2 << 1097;
    QTest::newRow("longer than the layout") << 40000 << 2 << 4032;
}

void TstFiles::lengthsDecideWhatIsRead()
{
    QFETCH(int, length);
    QFETCH(int, datatype);
    QFETCH(int, count);
    const QByteArray file(length, char(0x11));
    Workspace ws;
    ws.wdtab[4032][0].wd = 77; // beyond the file's records: untouched
    zq::loadDataFileBytes(ws, file);
    QCOMPARE(ws.datatype, datatype);
    QCOMPARE(datatype == 1 ? ws.wdnum : ws.grpcount[0], count);
    QCOMPARE(ws.wdtab[4032][0].wd, int16_t(77));
    if (datatype == 2 && count < zq::kFileRecords)
        QVERIFY(ws.wdtab[count][0].isEmpty());
}

void TstFiles::textExport_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("sequence") << 1 << QByteArray("No. 1 --- 235 \r\nNo. 2 ----5 \r\nNo. 3 --- 8888 \r\n");
    const QByteArray header0 = QByteArray("\xD4\xC2-\xC8\xD5 \xCA\xB1:\xB7\xD6:\xC3\xEB---\xCE\xC2\xB6\xC8"
                                          "      \xD5\xE2\xCA\xC7\xB5\xDA 0 \xD7\xE9\xB5\xC4\xCE\xC2\xB6\xC8"
                                          "\xCA\xFD\xBE\xDD\r\n");
    QTest::newRow("time-stamped") << 2 << header0 + " 7  26  13  0  9 --- 200 \r\n";
}

void TstFiles::textExport()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, expected);
    const Workspace ws = kind == 1 ? sequenceData({235, -5, 8888}) : timeData(1);
    const QByteArray text = zq::exportText(ws);
    QVERIFY2(text.startsWith(expected), text.left(120).toHex(' ').constData());
    if (kind == 2) {
        QCOMPARE(text.count("\r\n"), 9); // 8 headers, 1 record
        QVERIFY(text.endsWith(
            QByteArray("\xD5\xE2\xCA\xC7\xB5\xDA 7 \xD7\xE9\xB5\xC4\xCE\xC2\xB6\xC8\xCA\xFD\xBE\xDD\r\n")));
        QCOMPARE(zq::exportText(timeData(3)).count("\r\n"), 11);
    }
    QVERIFY(zq::exportText(sequenceData({})).isEmpty());
}

void TstFiles::csvExport()
{
    QCOMPARE(zq::exportCsv(sequenceData({235, 8888})),
        QByteArray("\xEF\xBB\xBF") + QStringLiteral("序号,温度\r\n1,235\r\n2,\r\n").toUtf8());
    Workspace ws = timeData(2);
    ws.wdtab[1][0].wd = zq::kFailedReading;
    QCOMPARE(zq::exportCsv(ws),
        QByteArray("\xEF\xBB\xBF")
            + QStringLiteral("组,月,日,时,分,秒,温度\r\n0,7,26,13,0,9,200\r\n0,7,26,13,1,9,\r\n").toUtf8());
}

void TstFiles::defaultNameAndExtension()
{
    QCOMPARE(zq::defaultExportName(QDate(2006, 7, 5), QLocale(QLocale::English)), QStringLiteral("Jul20065"));
    QCOMPARE(zq::defaultExportName(QDate(2026, 12, 16), QLocale(QLocale::English)), QStringLiteral("Dec202616"));
    QCOMPARE(zq::withDefaultExtension("/tmp/a", ".ZQ"), QStringLiteral("/tmp/a.ZQ"));
    QCOMPARE(zq::withDefaultExtension("/tmp/a.zq", ".ZQ"), QStringLiteral("/tmp/a.zq"));
    QCOMPARE(zq::withDefaultExtension("/tmp/Jul20065", ".Txt"), QStringLiteral("/tmp/Jul20065.Txt"));
}

void TstFiles::saveReplacesWholeAndTellsFailure()
{
    QTemporaryDir dir;
    TestWindow w;
    w->Command1_Click();
    QCOMPARE(w.dialogs->texts(), QStringList{"缓冲区无温度数据"});
    QCOMPARE(w.dialogs->shown.first().icon, QMessageBox::NoIcon);
    QVERIFY(w.dialogs->offeredNames.isEmpty()); // no dialog without data

    w.ws() = sequenceData({100, 200});
    const QString path = dir.filePath("old.ZQ");
    write(path, QByteArray(28224, char(0x7F)));
    w.dialogs->paths = {path};
    w->Command1_Click();
    QCOMPARE(readAll(path), zq::dataFileBytes(w.ws())); // no tail of the longer old file
    QCOMPARE(w.dialogs->offeredFilters.last(), QStringList{zq::kDataFilter});

    w.dialogs->paths = {dir.filePath("typed")};
    w->Command1_Click();
    QVERIFY(QFile::exists(dir.filePath("typed.ZQ")));

    const QString bad = dir.filePath("missing/folder/x.ZQ");
    w.dialogs->paths = {bad};
    w->Command1_Click();
    QVERIFY(w.dialogs->texts().last().contains(bad));
    QCOMPARE(readAll(path), zq::dataFileBytes(w.ws()));
}

void TstFiles::openAsksAndKeepsDialogName()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.zq");
    write(path, zq::dataFileBytes(timeData(10)));
    TestWindow w;
    w.dialogs->paths = {path};
    w->Command2_Click();
    QCOMPARE(w->Label2->text(), QStringLiteral("STYLE ZQ"));
    QCOMPARE(w->List1->count(), 10);
    QCOMPARE(int(w.ws().havedata), 2);

    // No keeps everything.
    w.dialogs->answers = {QMessageBox::No};
    w->Command2_Click();
    QCOMPARE(w.dialogs->shown.last().text, QStringLiteral("是否删除电脑中的温度数据 ?"));
    QCOMPARE(w->List1->count(), 10);
    QCOMPARE(w.dialogs->offeredNames.size(), 1);

    // Yes then Cancel: nothing held and the chart area blank, not even its frame.
    w.dialogs->answers = {QMessageBox::Yes};
    w->Command2_Click();
    QCOMPARE(w.dialogs->offeredNames.last(), path); // the dialog remembers the last name
    QCOMPARE(int(w.ws().havedata), 0);
    QCOMPARE(w->List1->count(), 0);
    QCOMPARE(QColor(w->LP1->image().pixel(3, 4)), QColor(0, 64, 0));

    // A sequence file comes back as sequence data.
    const QString seq = dir.filePath("s.ZQ");
    write(seq, zq::dataFileBytes(sequenceData({1, 2, 3})));
    w.dialogs->paths = {seq};
    w->Command2_Click();
    QCOMPARE(w->Label2->text(), QStringLiteral("STYLE 0"));
    QCOMPARE(w->List1->count(), 3);
}

void TstFiles::openFailuresLeaveEmptyWorkspace_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("a folder") << "folder";
}

void TstFiles::openFailuresLeaveEmptyWorkspace()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = kind == "folder" ? dir.path() : dir.filePath("nope.ZQ");
    TestWindow w;
    w.ws() = timeData(5);
    w->loadwd(0);
    w.dialogs->answers = {QMessageBox::Yes};
    w.dialogs->paths = {path};
    w->Command2_Click();
    QCOMPARE(w.dialogs->shown.size(), 2);
    QVERIFY(w.dialogs->shown.last().text.contains(QDir::toNativeSeparators(path)));
    QCOMPARE(w.ws().datatype, 0);
    QCOMPARE(int(w.ws().havedata), 0);
    QCOMPARE(w->List1->count(), 0);
    QCOMPARE(QColor(w->LP1->image().pixel(3, 4)), QColor(1, 50, 1)); // frame drawn
}

void TstFiles::exportThroughWindow()
{
    QTemporaryDir dir;
    TestWindow w;
    w.ws() = timeData(3);
    w.dialogs->paths = {dir.filePath("out")};
    w->Command4_Click();
    QCOMPARE(w.dialogs->offeredNames.last(), zq::defaultExportName(QDate::currentDate(), QLocale()));
    QCOMPARE(w.dialogs->offeredFilters.last(), (QStringList{zq::kTextFilter, zq::kCsvFilter}));
    QCOMPARE(readAll(dir.filePath("out.Txt")), zq::exportText(w.ws()));

    w.dialogs->pickFilter = zq::kCsvFilter;
    w.dialogs->paths = {dir.filePath("sheet")};
    w->Command4_Click();
    QCOMPARE(readAll(dir.filePath("sheet.csv")), zq::exportCsv(w.ws()));
    QVERIFY(w.dialogs->shown.isEmpty());
}

void TstFiles::downloadedRecordSavesAndReopens()
{
    Simulator sim;
    QVERIFY(sim.start({"--fast", "--style", "1", "--count", "300"}));
    QTemporaryDir dir;
    TestWindow w;
    w->setPortDevices(sim.device, sim.device);
    double now = 0;
    w->download().timeOfDay = [&now] { return now; };
    w->Command5->click();
    QTRY_COMPARE_WITH_TIMEOUT(w.ws().grpcount[0], 300, 10000);
    now = 100;
    w->download().step();
    QCOMPARE(int(w.ws().havedata), 2);

    const QString path = dir.filePath("run.ZQ");
    w.dialogs->paths = {path, dir.filePath("run.Txt")};
    w->Command1_Click();
    w->Command4_Click();
    QVERIFY(readAll(dir.filePath("run.Txt")).count("\r\n") == 308);

    TestWindow again;
    again.dialogs->paths = {path};
    again->Command2_Click();
    QCOMPARE(again.ws().grpcount[0], 300);
    for (int i = 0; i < zq::kTabSlots; ++i)
        QVERIFY2(again.ws().wdtab[i][0] == w.ws().wdtab[i][0], qPrintable(QString::number(i)));
    QCOMPARE(again->List1->count(), w->List1->count());
    QCOMPARE(zq::exportCsv(again.ws()), zq::exportCsv(w.ws()));
}

QTEST_MAIN(TstFiles)
#include "tst_files.moc"
