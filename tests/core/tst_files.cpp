// Data files and exports. Runs as an unprivileged user, since root ignores
// a folder's write protection and a file's read protection.
#include "core/datafile.h"
#include "core/textexport.h"
#include "testsupport.h"
#include "window/chartbox.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>

namespace {

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

void write(const QString &path, const QByteArray &data, qint64 size = -1)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
    QVERIFY(size < 0 || f.resize(size));
}
} // namespace

class TstFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutsByteForByte();
    void lengthsDecideWhatIsRead_data();
    void lengthsDecideWhatIsRead();
    void exports();
    void saveFromWindow();
    void openFromWindow();
    void failuresAreTold_data();
    void failuresAreTold();
    void extensionRules_data();
    void extensionRules();
    void typedNameIsAskedAboutWithItsExtension();
    void keptCopiesNeverOverwrite();
};

void TstFiles::layoutsByteForByte()
{
    Workspace ws = timeData(10);
    ws.wdtab[4][0] = WDREC{-5, 12, 31, 23, 59, 58};
    ws.wdtab[5][0].wd = zq::kFailedReading;
    ws.wdtab[9][0].wd = 0; // a reading of 0 with its time is a record, not an empty slot
    const QByteArray file = zq::dataFileBytes(ws);
    QCOMPARE(file.size(), 28224);
    QCOMPARE(file.left(7), bytes({200, 0, 7, 26, 13, 0, 9}));
    QCOMPARE(file.mid(28, 9), bytes({0xFB, 0xFF, 12, 31, 23, 59, 58, 0xB8, 0x22}));
    QCOMPARE(file.mid(70).count('\0'), file.size() - 70);
    Workspace back;
    zq::loadDataFileBytes(back, file);
    QCOMPARE(back.grpcount[0], 10); // trailing empty slots are not readings
    QVERIFY(back.wdtab == ws.wdtab);

    const Workspace seq = sequenceData({564, 1400, 8888, -5});
    QCOMPARE(zq::dataFileBytes(seq).size(), 7680);
    QCOMPARE(zq::dataFileBytes(seq).left(8), bytes({0x34, 0x02, 0x78, 0x05, 0xB8, 0x22, 0xFB, 0xFF}));
    zq::loadDataFileBytes(back, zq::dataFileBytes(seq));
    QCOMPARE(back.datatype, 1);
    QCOMPARE(back.wdnum, 4);
    QVERIFY(back.wdseq == seq.wdseq);
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
    Workspace ws;
    ws.wdtab[4032][0].wd = 77;
    zq::loadDataFileBytes(ws, QByteArray(length, char(0x11)));
    QCOMPARE(ws.datatype, datatype);
    QCOMPARE(datatype == 1 ? ws.wdnum : ws.grpcount[0], count);
    QCOMPARE(ws.wdtab[4032][0].wd, int16_t(77)); // never past the file's records
    QVERIFY(datatype == 1 || count == 4032 || ws.wdtab[count][0].isEmpty());
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

    Workspace ws = timeData(2);
    ws.wdtab[1][0].wd = zq::kFailedReading;
    QCOMPARE(zq::exportCsv(ws),
        "\xEF\xBB\xBF" + QStringLiteral("组,月,日,时,分,秒,温度\r\n0,7,26,13,0,9,200\r\n0,7,26,13,1,9,\r\n").toUtf8());
    QCOMPARE(zq::exportCsv(sequenceData({235, 8888})),
        "\xEF\xBB\xBF" + QStringLiteral("序号,温度\r\n1,235\r\n2,\r\n").toUtf8());
    QCOMPARE(zq::defaultExportName(QDate(2006, 7, 5), QLocale(QLocale::English)), QStringLiteral("Jul20065"));
}

void TstFiles::saveFromWindow()
{
    QTemporaryDir dir;
    TestWindow w;
    w->Command1_Click();
    w->Command4_Click();
    QCOMPARE(w.dialogs->shown.size(), 2);
    QCOMPARE(w.dialogs->lastText(), QStringLiteral("缓冲区无温度数据"));
    QVERIFY(w.dialogs->offeredNames.isEmpty()); // no dialog without data

    w.ws() = timeData(3);
    const QString old = dir.filePath("old.ZQ");
    write(old, QByteArray(40000, char(0x7F)));
    w.dialogs->paths = {old, dir.filePath("typed"), dir.filePath("out")};
    w->Command1_Click();
    w->Command1_Click();
    w->Command4_Click();
    QCOMPARE(readAll(old), zq::dataFileBytes(w.ws())); // no tail of the longer old file
    QCOMPARE(readAll(dir.filePath("typed.ZQ")), zq::dataFileBytes(w.ws()));
    QCOMPARE(readAll(dir.filePath("out.Txt")), zq::exportText(w.ws()));
    QCOMPARE(w.dialogs->offeredFilters.first(), QStringList{zq::kDataFilter});
    const QDate today = QDate::currentDate();
    QCOMPARE(w.dialogs->offeredNames.last(),
        QLocale().monthName(today.month(), QLocale::ShortFormat) + QString::number(today.year())
            + QString::number(today.day()));
    w.dialogs->pickFilter = zq::kCsvFilter;
    w.dialogs->paths = {dir.filePath("sheet"), dir.filePath("notes.txt")};
    w->Command4_Click();
    w->Command4_Click();
    QCOMPARE(readAll(dir.filePath("sheet.csv")), zq::exportCsv(w.ws()));
    QCOMPARE(readAll(dir.filePath("notes.txt")), zq::exportText(w.ws())); // the name decides the format
    w.dialogs->pickFilter = zq::kTextFilter;
    w.dialogs->paths = {dir.filePath("data.csv")};
    w->Command4_Click();
    QCOMPARE(readAll(dir.filePath("data.csv")), zq::exportCsv(w.ws()));
    QCOMPARE(w.dialogs->shown.size(), 2);
}

void TstFiles::openFromWindow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.zq");
    write(path, zq::dataFileBytes(timeData(10)));
    TestWindow w;
    w.dialogs->paths = {path};
    w->Command2_Click();
    QCOMPARE(w->Label2->text(), QStringLiteral("STYLE ZQ"));
    QCOMPARE(w->List1->count(), 10);

    w.dialogs->answers = {QMessageBox::No};
    w->Command2_Click(); // No keeps everything
    QCOMPARE(w.dialogs->lastText(), QStringLiteral("是否删除电脑中的温度数据 ?"));
    QCOMPARE(w->List1->count(), 10);

    w.dialogs->answers = {QMessageBox::Yes};
    w->Command2_Click(); // Yes, then Cancel: nothing held, chart area blank
    QCOMPARE(w.dialogs->offeredNames.last(), path); // the dialog keeps the last name
    QCOMPARE(int(w.ws().havedata), 0);
    QCOMPARE(w->List1->count(), 0);
    QCOMPARE(QColor(w->LP1->image().pixel(3, 4)), QColor(0, 64, 0));

    // A file named on the command line opens as OPEN would, asking first.
    w.ws() = timeData(4);
    w.dialogs->answers = {QMessageBox::Yes};
    w->openDataFile(path);
    QCOMPARE(w.dialogs->lastText(), QStringLiteral("是否删除电脑中的温度数据 ?"));
    QCOMPARE(w->List1->count(), 10);

    write(dir.filePath("s.ZQ"), zq::dataFileBytes(sequenceData({1, 2, 3})));
    write(dir.filePath("huge.ZQ"), zq::dataFileBytes(timeData(50)), qint64(1) << 30);
    w.dialogs->paths = {dir.filePath("s.ZQ"), dir.filePath("huge.ZQ")};
    w.dialogs->answers = {QMessageBox::Yes};
    w->Command2_Click();
    QCOMPARE(w->Label2->text(), QStringLiteral("STYLE 0"));
    QCOMPARE(w->List1->count(), 3);
    w.dialogs->answers = {QMessageBox::Yes};
    w->Command2_Click();
    QCOMPARE(w->List1->count(), 50); // a 1 GiB file: only its layout's records are read
}

void TstFiles::failuresAreTold_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("save into a read-only folder") << "readonly";
    QTest::newRow("save onto a full disk") << "full";
    QTest::newRow("open a missing file") << "missing";
    QTest::newRow("open a folder") << "folder";
    QTest::newRow("open an unreadable file") << "unreadable";
}

void TstFiles::failuresAreTold()
{
    QFETCH(QString, fault);
    QTemporaryDir dir;
    const QString path = fault == "folder" ? dir.path() : dir.filePath("x.ZQ");
    if (fault == "full" || fault == "unreadable")
        write(path, "previous");
    if (fault == "unreadable")
        QFile::setPermissions(path, QFileDevice::Permissions());
    if (fault == "readonly")
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    TestWindow w;
    w.ws() = timeData(5);
    w->loadwd(0);
    w.dialogs->answers = {QMessageBox::Yes};
    w.dialogs->paths = {path};
    const bool save = fault == "readonly" || fault == "full";
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    if (fault == "full") {
        // A file-size limit makes the write fail midway, as a full disk does.
        rlimit small = old;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    save ? w->Command1_Click() : w->Command2_Click();
    setrlimit(RLIMIT_FSIZE, &old);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(w.dialogs->lastText().contains(QDir::toNativeSeparators(path)), qPrintable(w.dialogs->lastText()));
    if (save) {
        QCOMPARE(w->List1->count(), 5); // the data held is untouched
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), fault == "full" ? QStringList{"x.ZQ"} : QStringList{});
        QVERIFY(fault != "full" || readAll(path) == "previous");
    } else {
        QCOMPARE(int(w.ws().havedata), 0); // an empty, consistent workspace
        QCOMPARE(w->List1->count(), 0);
        QCOMPARE(QColor(w->LP1->image().pixel(3, 4)), QColor(1, 50, 1));
    }
}

void TstFiles::extensionRules_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    const QString text = zq::kTextFilter, csv = zq::kCsvFilter;
    QTest::newRow("German default name") << "/d/Dez.20265" << text << "/d/Dez.20265.Txt";
    QTest::newRow("French default name") << "/d/déc.20265" << csv << "/d/déc.20265.csv";
    QTest::newRow("no extension, text") << "/d/out" << text << "/d/out.Txt";
    QTest::newRow("no extension, CSV") << "/d/out" << csv << "/d/out.csv";
    QTest::newRow("csv typed, text selected") << "/d/data.csv" << text << "/d/data.csv";
    QTest::newRow("txt typed, CSV selected") << "/d/data.TXT" << csv << "/d/data.TXT";
    QTest::newRow("a dot in the folder") << "/d.v2/out" << text << "/d.v2/out.Txt";
}

void TstFiles::extensionRules()
{
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(zq::withFilterExtension(typed, filter, {zq::kTextFilter, zq::kCsvFilter}), expected);
}

void TstFiles::typedNameIsAskedAboutWithItsExtension()
{
    QTemporaryDir dir;
    write(dir.filePath("out.ZQ"), "previous");
    TestWindow w;
    w->setDialogs(std::make_unique<QtUserDialogs>(w.form.get()));
    w.ws() = timeData(3);
    w->commonDialogFileName = dir.filePath("first");
    // A person at the dialogs: types "out", presses Enter, reads the
    // question, answers No, then cancels.
    QString asked;
    QTimer person;
    person.setInterval(20);
    connect(&person, &QTimer::timeout, &person, [&] {
        QWidget *top = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(top)) {
            asked = box->text();
            box->button(QMessageBox::No)->click();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(top)) {
            auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
            if (!asked.isEmpty() || !edit) {
                dialog->reject();
                return;
            }
            edit->setText("out");
            QMetaObject::invokeMethod(
                edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); }, Qt::QueuedConnection);
        }
    });
    person.start();
    w->Command1_Click();
    person.stop();
    QVERIFY2(asked.contains("out.ZQ"), qPrintable(asked));
    QCOMPARE(readAll(dir.filePath("out.ZQ")), QByteArray("previous"));
}

void TstFiles::keptCopiesNeverOverwrite()
{
    QTemporaryDir dir;
    const QDateTime when(QDate(2026, 12, 6), QTime(21, 30, 5));
    QString error;
    const Workspace time = timeData(300);
    const QString first = zq::keepDownload(dir.filePath("downloads"), time, when, &error);
    const QString second = zq::keepDownload(dir.filePath("downloads"), time, when, &error);
    const QString seq = zq::keepDownload(dir.filePath("downloads"), sequenceData({1, 2}), when, &error);
    QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("20261206-213005-STYLE1.ZQ"));
    QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("20261206-213005-STYLE1-2.ZQ"));
    QCOMPARE(QFileInfo(seq).fileName(), QStringLiteral("20261206-213005-STYLE0.ZQ"));
    QCOMPARE(readAll(second), zq::dataFileBytes(time));
    QVERIFY(zq::keepDownload(dir.filePath("downloads/20261206-213005-STYLE0.ZQ/sub"), time, when, &error).isEmpty());
    QVERIFY(!error.isEmpty());
}

int main(int argc, char *argv[])
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    TstFiles files;
    return QTest::qExec(&files, argc, argv);
}

#include "tst_files.moc"
