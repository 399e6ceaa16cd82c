// Files from the desktop: dropped on the window, recent files across runs,
// a failed open, and the warning for a file that cannot be a record.
#include "about/frmabout.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/window.h"
#include "window/language.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRandomGenerator>

namespace {
// A drop as a file manager makes it: enter, then drop, through the window's
// event path. Whether the window took the enter.
bool drop(QWidget *window, const QStringList &paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls.append(QUrl::fromLocalFile(p));
    mime.setUrls(urls);
    const QPoint at(500, 400);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &dropped);
    return enter.isAccepted();
}
} // namespace

class TstDesktop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void drops_data();
    void drops();
    void dropDuringTransfer();
    void recentFiles();
    void failedOpenAndImplausibleFiles();
    void keysLanguageAndFolders();
};

void TstDesktop::drops_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("listed");
    QTest::addColumn<QString>("told"); // empty: nothing said
    QTest::newRow("a data file") << QStringList{"a.ZQ"} << 10 << "";
    QTest::newRow("a text file") << QStringList{"notes.txt"} << 0 << "notes.txt";
    QTest::newRow("two data files") << QStringList{"a.ZQ", "b.zq"} << 10 << "b.zq";
}

void TstDesktop::drops()
{
    QFETCH(QStringList, names);
    QFETCH(int, listed);
    QFETCH(QString, told);
    QTemporaryDir dir;
    QStringList paths;
    for (const QString &name : names) {
        paths.append(dir.filePath(name));
        write(paths.last(), zq::dataFileBytes(timeData(name.startsWith("a") ? 10 : 20)));
    }
    TestWindow w;
    w->show();
    QVERIFY(drop(w.form.get(), paths));
    QCOMPARE(ui(w).readingList->count(), listed);
    QCOMPARE(w.dialogs->shown.size(), told.isEmpty() ? 0 : 1);
    QVERIFY(w.dialogs->lastText().contains(told));
    // With data held, a dropped file asks first, as OPEN does.
    if (listed) {
        w.dialogs->answers = {QMessageBox::No};
        QVERIFY(drop(w.form.get(), paths.mid(0, 1)));
        QVERIFY(w.dialogs->shown.last().text.contains(QStringLiteral("是否删除电脑中的温度数据")));
    }
}

void TstDesktop::dropDuringTransfer()
{
    QTemporaryDir dir;
    write(dir.filePath("a.ZQ"), zq::dataFileBytes(timeData(10)));
    PtyInstrument inst;
    inst.respond = [](uint8_t req) { return req ? QByteArray() : bytes({0x00, 0x10, 0x01, 0x20, 0x01}); };
    TestWindow w(inst.path());
    w->show();
    ui(w).downloadButton->click();
    QTRY_COMPARE(w->instrument().download().received(), 2);
    QVERIFY(!drop(w.form.get(), {dir.filePath("a.ZQ")}));
    QVERIFY(w.dialogs->shown.isEmpty()); // refused: nothing asked, nothing opened
    QVERIFY(w->instrument().downloading());
    QCOMPARE(ui(w).readingList->count(), 0);
    w->instrument().download().abort();
    QCOMPARE(ui(w).readingList->count(), 2); // the transfer's own readings, not the file's
}

void TstDesktop::recentFiles()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("settings.ini");
    for (const char *name : {"a.ZQ", "b.ZQ"})
        write(dir.filePath(name), zq::dataFileBytes(timeData(5)));
    {
        TestWindow first;
        first->useSettingsFile(ini);
        first->openDataFile(dir.filePath("a.ZQ"));
        first.dialogs->answers = {QMessageBox::Yes};
        first->openDataFile(dir.filePath("b.ZQ"));
        first.dialogs->paths = {dir.filePath("c.ZQ")};
        first->onSaveClicked();
    }
    TestWindow next; // a later run
    next->useSettingsFile(ini);
    next->setKeepDir(dir.filePath("kept"));
    QCOMPARE(next->recentFiles(), (QStringList{dir.filePath("c.ZQ"), dir.filePath("b.ZQ"), dir.filePath("a.ZQ")}));
    QFile::remove(dir.filePath("b.ZQ"));
    QDir().mkpath(dir.filePath("kept"));
    write(dir.filePath("kept/20261206-213005-STYLE1.ZQ"), zq::dataFileBytes(timeData(7)));
    next->show();
    QMenu *menu = rightClick(ui(next).openButton);
    QVERIFY(menu);
    QList<QAction *> actions = menu->actions();
    QVERIFY(actions.value(0)->text().startsWith(QStringLiteral("记录库")));
    actions.removeFirst(); // the archive, then the files
    QVERIFY(actions.value(1)->text().startsWith(QStringLiteral("最近一次接收")));
    QStringList enabled;
    for (QAction *a : actions)
        if (!a->isSeparator())
            enabled.append(a->isEnabled() ? "on" : "off");
    QCOMPARE(enabled, (QStringList{"on", "on", "off", "on"})); // kept, c, b (missing), a
    QCOMPARE(next->recentFiles(), (QStringList{dir.filePath("c.ZQ"), dir.filePath("a.ZQ")}));
    menu->close();
    actions.value(1)->trigger(); // opens as OPEN would
    QCOMPARE(ui(next).readingList->count(), 7);
    // A file opened again is listed once, at the top.
    next.dialogs->answers = {QMessageBox::Yes};
    next->openDataFile(dir.filePath("a.ZQ"));
    QCOMPARE(ui(next).readingList->count(), 5);
    QCOMPARE(next->recentFiles(),
        (QStringList{dir.filePath("a.ZQ"), dir.filePath("kept/20261206-213005-STYLE1.ZQ"), dir.filePath("c.ZQ")}));
}

void TstDesktop::failedOpenAndImplausibleFiles()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    QTemporaryDir dir;
    write(dir.filePath("real.ZQ"), zq::dataFileBytes(timeData(5)));
    TestWindow w;
    w->openDataFile(dir.filePath("real.ZQ"));
    QCOMPARE(ui(w).styleLabel->text(), QStringLiteral("STYLE ZQ"));
    w.dialogs->answers = {QMessageBox::Yes};
    w->openDataFile(dir.filePath("missing.ZQ"));
    QCOMPARE(ui(w).readingList->count(), 0);
    QCOMPARE(ui(w).styleLabel->text(), QStringLiteral("STYLE"));

    // One damaged record is enough to be told; a December stamp is no damage.
    for (const auto &[month, warned] : {std::pair{13, true}, std::pair{12, false}}) {
        QVector<WDREC> records = timeRecords(5);
        records[3].month = uint8_t(month);
        write(dir.filePath("one.ZQ"), zq::dataFileBytes(zq::Record::timeStamped(records)));
        w.dialogs->shown.clear();
        w.dialogs->answers = {QMessageBox::Yes};
        w->openDataFile(dir.filePath("one.ZQ"));
        QCOMPARE(ui(w).readingList->count(), 5);
        QCOMPARE(w.dialogs->lastText().contains(QStringLiteral("有 1 条记录看起来已损坏")), warned);
    }
    // A size neither layout has.
    write(dir.filePath("short.ZQ"), zq::dataFileBytes(timeData(5)).left(4096));
    w.dialogs->answers = {QMessageBox::Yes};
    w->openDataFile(dir.filePath("short.ZQ"));
    QVERIFY(w.dialogs->lastText().contains(QStringLiteral("文件大小为 4096 字节")));

    // Random bytes read as data, are kept as they are, and are said to be doubtful.
    QByteArray noise(28224, Qt::Uninitialized);
    QRandomGenerator gen(7);
    for (char &c : noise)
        c = char(gen.bounded(256));
    write(dir.filePath("noise.ZQ"), noise);
    w.dialogs->shown.clear();
    w.dialogs->answers = {QMessageBox::Yes};
    w->openDataFile(dir.filePath("noise.ZQ"));
    QCOMPARE(ui(w).readingList->count(), 4032);
    QCOMPARE(w.dialogs->shown.size(), 2); // the question before it, then the warning
    QVERIFY(w.dialogs->lastText().contains(QStringLiteral("可能不是本程序的温度数据文件")));

    // Records the program downloaded and saved never warn.
    for (const QStringList &args : {QStringList{}, QStringList{"--style", "1", "--count", "300"}}) {
        Simulator sim(args);
        TestWindow got(sim.device);
        got->setKeepDir(dir.filePath("kept"));
        ui(got).downloadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!got->instrument().downloading() && got->record().holdsData(), 20000);
        got.dialogs->paths = {dir.filePath("saved.ZQ")};
        got->onSaveClicked();
        TestWindow reader;
        reader->openDataFile(dir.filePath("saved.ZQ"));
        QVERIFY(ui(reader).readingList->count() > 0);
        QVERIFY2(reader.dialogs->shown.isEmpty(), qPrintable(reader.dialogs->lastText()));
    }
}

void TstDesktop::keysLanguageAndFolders()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("settings.ini");
    write(dir.filePath("a.ZQ"), zq::dataFileBytes(timeData(5)));
    {
        TestWindow w;
        w->useSettingsFile(ini);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        w.dialogs->paths = {dir.filePath("a.ZQ")};
        QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier); // OPEN
        QTRY_COMPARE(ui(w).readingList->count(), 5); // a button's key presses it visibly, a moment later
        QTest::keyClick(w.form.get(), Qt::Key_E, Qt::ControlModifier); // 导出文本, cancelled
        QTRY_COMPARE(w.dialogs->offeredNames.size(), 2);
        QVERIFY(ui(w).exportButton->toolTip().endsWith("(Ctrl+E)"));
        QTest::keyClick(w.form.get(), Qt::Key_F1);
        QTRY_VERIFY(w->findChild<frmAbout *>() && w->findChild<frmAbout *>()->isVisible());
    }
    // A later run starts each kind of dialog in the folder last used for it.
    TestWindow next;
    next->useSettingsFile(ini);
    next->onOpenClicked();
    QCOMPARE(next.dialogs->offeredNames.last(), dir.path());

    // Qt's own texts in Chinese.
    QVERIFY(installChineseTranslations());
    QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Yes | QMessageBox::No);
    QVERIFY2(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")),
        qPrintable(box.button(QMessageBox::Yes)->text()));
}

QTEST_MAIN(TstDesktop)
#include "tst_desktop.moc"
