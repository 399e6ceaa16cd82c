// SAVE, OPEN and 导出文本 as a person uses them. Runs as an unprivileged user,
// since root ignores a folder's write protection and a file's read protection.
#include "core/datafile.h"
#include "core/textexport.h"
#include "print/fonts.h"
#include "support/window.h"
#include "window/chartbox.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>

class TstFileCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveFromWindow();
    void openFromWindow();
    void failuresAreTold_data();
    void failuresAreTold();
    void typedNameIsAskedAboutWithItsExtension();
    void typedNameOpensAsTyped_data();
    void typedNameOpensAsTyped();
    void printing();
    void extensionRules_data();
    void extensionRules();
};

void TstFileCommands::saveFromWindow()
{
    QTemporaryDir dir;
    TestWindow w;
    w->onSaveClicked();
    w->onExportClicked();
    QCOMPARE(w.dialogs->shown.size(), 2);
    QCOMPARE(w.dialogs->lastText(), QStringLiteral("缓冲区无温度数据"));
    QVERIFY(w.dialogs->offeredNames.isEmpty()); // no dialog without data

    w.show(timeData(3));
    const QString old = dir.filePath("old.ZQ");
    write(old, QByteArray(40000, char(0x7F)));
    w.dialogs->paths = {old, dir.filePath("typed"), dir.filePath("out")};
    w->onSaveClicked();
    w->onSaveClicked();
    w->onExportClicked();
    QCOMPARE(readAll(old), zq::dataFileBytes(w->record())); // no tail of the longer old file
    QCOMPARE(readAll(dir.filePath("typed.ZQ")), zq::dataFileBytes(w->record()));
    QCOMPARE(readAll(dir.filePath("out.Txt")), zq::exportText(w->record()));
    QCOMPARE(w.dialogs->offeredFilters.first(), QStringList{zq::kDataFilter});
    const QDate today = QDate::currentDate();
    QCOMPARE(w.dialogs->offeredNames.last(),
        QLocale().monthName(today.month(), QLocale::ShortFormat) + QString::number(today.year())
            + QString::number(today.day()));
    w.dialogs->pickFilter = zq::kCsvFilter;
    w.dialogs->paths = {dir.filePath("sheet"), dir.filePath("notes.txt")};
    w->onExportClicked();
    w->onExportClicked();
    QCOMPARE(readAll(dir.filePath("sheet.csv")), zq::exportCsv(w->record()));
    QCOMPARE(readAll(dir.filePath("notes.txt")), zq::exportText(w->record())); // the name decides the format
    w.dialogs->pickFilter = zq::kTextFilter;
    w.dialogs->paths = {dir.filePath("data.csv")};
    w->onExportClicked();
    QCOMPARE(readAll(dir.filePath("data.csv")), zq::exportCsv(w->record()));
    QCOMPARE(w.dialogs->shown.size(), 2);
}

void TstFileCommands::openFromWindow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.zq");
    write(path, zq::dataFileBytes(timeData(10)));
    TestWindow w;
    w.dialogs->paths = {path};
    w->onOpenClicked();
    QCOMPARE(ui(w).styleLabel->text(), QStringLiteral("STYLE ZQ"));
    QCOMPARE(ui(w).readingList->count(), 10);

    w.dialogs->answers = {QMessageBox::No};
    w->onOpenClicked(); // No keeps everything
    QCOMPARE(w.dialogs->lastText(), QStringLiteral("是否删除电脑中的温度数据 ?"));
    QCOMPARE(ui(w).readingList->count(), 10);

    w.dialogs->answers = {QMessageBox::Yes};
    w->onOpenClicked(); // Yes, then Cancel: nothing held, chart area blank
    QCOMPARE(w.dialogs->offeredNames.last(), path); // the dialog keeps the last name
    QVERIFY(!w->record().holdsData());
    QCOMPARE(ui(w).readingList->count(), 0);
    QCOMPARE(QColor(ui(w).chartBox->image().pixel(3, 4)), QColor(0, 64, 0));

    // A file named on the command line opens as OPEN would, asking first.
    w.show(timeData(4));
    w.dialogs->answers = {QMessageBox::Yes};
    w->openDataFile(path);
    QCOMPARE(w.dialogs->lastText(), QStringLiteral("是否删除电脑中的温度数据 ?"));
    QCOMPARE(ui(w).readingList->count(), 10);

    write(dir.filePath("s.ZQ"), zq::dataFileBytes(sequenceData({1, 2, 3})));
    write(dir.filePath("huge.ZQ"), zq::dataFileBytes(timeData(50)), qint64(1) << 30);
    w.dialogs->paths = {dir.filePath("s.ZQ"), dir.filePath("huge.ZQ")};
    w.dialogs->answers = {QMessageBox::Yes};
    w->onOpenClicked();
    QCOMPARE(ui(w).styleLabel->text(), QStringLiteral("STYLE 0"));
    QCOMPARE(ui(w).readingList->count(), 3);
    w.dialogs->answers = {QMessageBox::Yes};
    w->onOpenClicked();
    QCOMPARE(ui(w).readingList->count(), 50); // a 1 GiB file: only its layout's records are read
}

void TstFileCommands::failuresAreTold_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("save into a read-only folder") << "readonly";
    QTest::newRow("save onto a full disk") << "full";
    QTest::newRow("open a missing file") << "missing";
    QTest::newRow("open a folder") << "folder";
    QTest::newRow("open an unreadable file") << "unreadable";
}

void TstFileCommands::failuresAreTold()
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
    w.show(timeData(5));
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
    save ? w->onSaveClicked() : w->onOpenClicked();
    setrlimit(RLIMIT_FSIZE, &old);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(w.dialogs->lastText().contains(QDir::toNativeSeparators(path)), qPrintable(w.dialogs->lastText()));
    if (save) {
        QCOMPARE(ui(w).readingList->count(), 5); // the data held is untouched
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), fault == "full" ? QStringList{"x.ZQ"} : QStringList{});
        QVERIFY(fault != "full" || readAll(path) == "previous");
    } else {
        QVERIFY(!w->record().holdsData()); // an empty, consistent window
        QCOMPARE(ui(w).readingList->count(), 0);
        QCOMPARE(QColor(ui(w).chartBox->image().pixel(3, 4)), QColor(1, 50, 1));
    }
}

void TstFileCommands::typedNameIsAskedAboutWithItsExtension()
{
    QTemporaryDir dir;
    write(dir.filePath("out.ZQ"), "previous");
    TestWindow w;
    w->setDialogs(std::make_unique<QtUserDialogs>(w.form.get()));
    w.show(timeData(3));
    w->commonDialogFileName() = dir.filePath("first");
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
    w->onSaveClicked();
    person.stop();
    QVERIFY2(asked.contains("out.ZQ"), qPrintable(asked));
    QCOMPARE(readAll(dir.filePath("out.ZQ")), QByteArray("previous"));
}

void TstFileCommands::typedNameOpensAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("readings");
    QTest::newRow("an existing name without extension") << "data" << 10; // not data.ZQ beside it
    QTest::newRow("another extension") << "run.dat" << 7;
    QTest::newRow("a missing name gets .ZQ") << "only" << 3;
}

void TstFileCommands::typedNameOpensAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(int, readings);
    QTemporaryDir dir;
    write(dir.filePath("data"), zq::dataFileBytes(timeData(10)));
    write(dir.filePath("data.ZQ"), zq::dataFileBytes(timeData(5)));
    write(dir.filePath("run.dat"), zq::dataFileBytes(timeData(7)));
    write(dir.filePath("only.ZQ"), zq::dataFileBytes(timeData(3)));
    TestWindow w;
    w->setDialogs(std::make_unique<QtUserDialogs>(w.form.get()));
    w->commonDialogFileName() = dir.filePath("first");
    // A person at the open dialog types the full path and presses Enter.
    bool typedOnce = false;
    QTimer person;
    person.setInterval(20);
    connect(&person, &QTimer::timeout, &person, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        auto *edit = dialog ? dialog->findChild<QLineEdit *>("fileNameEdit") : nullptr;
        if (!edit)
            return;
        if (typedOnce) {
            dialog->reject(); // a second dialog: the name was refused
            return;
        }
        typedOnce = true;
        edit->setFocus();
        edit->setText(dir.filePath(typed));
        QMetaObject::invokeMethod(
            edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); }, Qt::QueuedConnection);
    });
    person.start();
    w->onOpenClicked();
    person.stop();
    QCOMPARE(ui(w).readingList->count(), readings);
    QVERIFY(w->recentFiles().value(0).endsWith(typed == "only" ? "only.ZQ" : typed));
}

void TstFileCommands::printing()
{
    TestWindow w;
    ui(w).printButton->click();
    QCOMPARE(w.dialogs->lastText(), QStringLiteral("没有温度数据供打印"));

    // The degree sign must print: some CJK fonts carry an empty glyph for it.
    zq::installFontSubstitutes();
    for (const QString &glyph : {QStringLiteral("℃"), QStringLiteral("温")}) {
        QPainterPath path;
        path.addText(0, 0, QFont(QStringLiteral("黑体"), 20), glyph);
        QVERIFY2(!path.isEmpty(), qPrintable(glyph));
    }

    // No printer here: the report goes to a PDF instead, through the real printing path.
    QTemporaryDir dir;
    w.show(timeData(1000, 10));
    w.dialogs->paths = {dir.filePath("report")};
    ui(w).printButton->click();
    QProcess info;
    info.start("pdfinfo", {dir.filePath("report.pdf")});
    QVERIFY(info.waitForFinished());
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Pages: +[2-9]")));
    const QString content = pdfText(dir.filePath("report.pdf"));
    QVERIFY(content.contains("No. 0") && content.contains("07-26 10:00:09 0200℃"));
}

void TstFileCommands::extensionRules_data()
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

void TstFileCommands::extensionRules()
{
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(zq::withFilterExtension(typed, filter, {zq::kTextFilter, zq::kCsvFilter}), expected);
}

int main(int argc, char *argv[])
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    TstFileCommands files;
    return QTest::qExec(&files, argc, argv);
}

#include "tst_filecommands.moc"
