// 记录库 as a person uses it: Ctrl+L, a search typed, a filter chosen with
// the keyboard, a run opened by a double-click, a field edited and saved.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/window.h"
#include "window/analysiswindow.h"
#include "window/archivewindow.h"
#include "window/chartbox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>

class TstArchiveWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findOpenAndEdit();
    void notesAndRangesGoWithTheRun();
    void editedInPlaceAndLaidAsReference();
    void closedWithTheArchiveLetGo();
};

void TstArchiveWindow::findOpenAndEdit()
{
    QTemporaryDir dir;
    TestWindow w;
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    zq::Archive *archive = w->archive();
    QVERIFY(archive);
    QString error;
    bool isNew = false;
    QStringList shas;
    for (int i = 0; i < 3; ++i) {
        const QString path = dir.filePath(QStringLiteral("run%1.ZQ").arg(i));
        write(path, zq::dataFileBytes(timeData(10 + i)));
        shas << archive->addRun(zq::dataFileBytes(timeData(10 + i)), path, &isNew, &error);
        QVERIFY(archive->setFields(shas[i], {"王", i == 1 ? "5" : "3", "齿轮", "K", i == 2 ? "炉门未关" : ""}, &error));
        QVERIFY(archive->setVerdict(shas[i], i == 0 ? "PASS" : "FAIL", "淬火", &error));
    }
    QFile::remove(dir.filePath("run2.ZQ")); // its file gone
    QTest::keyClick(w.form.get(), Qt::Key_L, Qt::ControlModifier);
    auto *a = w->findChild<ArchiveWindow *>();
    QVERIFY(a && a->isVisible());
    QCOMPARE(runModel(a)->rowCount(), 3);
    // Furnace 3, failed: the equipment and the verdict chosen with the keyboard.
    a->equipment->setFocus();
    QTest::keyClick(a->equipment, Qt::Key_Down); // 全部设备 → 3
    QCOMPARE(a->equipment->currentText(), QStringLiteral("3"));
    QCOMPARE(runModel(a)->rowCount(), 2);
    QTest::keyClick(a->verdict, Qt::Key_Down);
    QTest::keyClick(a->verdict, Qt::Key_Down); // → FAIL
    QCOMPARE(runModel(a)->rowCount(), 1);
    a->verdict->setCurrentIndex(0);
    a->equipment->setCurrentIndex(0);
    QTest::keyClicks(a->search, "dat"); // nothing holds it
    QCOMPARE(runModel(a)->rowCount(), 0);
    a->search->clear();
    QCOMPARE(runModel(a)->rowCount(), 3);
    // A double-click opens the run in the main window, from where its bytes still are.
    QTest::mouseClick(a->table->viewport(), Qt::LeftButton, {}, runCell(a, shas[1], 3));
    QTest::mouseDClick(a->table->viewport(), Qt::LeftButton, {}, runCell(a, shas[1], 3));
    QCOMPARE(ui(w).readingList->count(), 11);
    // The selected run's fields, edited and saved.
    QCOMPARE(a->selectedRun(), shas[1]);
    a->loadField->clear();
    QTest::keyClicks(a->loadField, "shaft");
    QVERIFY(a->saveFields());
    QCOMPARE(archive->run(shas[1], &error)->fields.load, QStringLiteral("shaft"));
    // A run whose files are all gone is said so.
    const QPoint gone = runCell(a, shas[2], 3);
    QTest::mouseClick(a->table->viewport(), Qt::LeftButton, {}, gone);
    QTest::mouseDClick(a->table->viewport(), Qt::LeftButton, {}, gone);
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("找不到这个记录的文件")), qPrintable(w.dialogs->lastText()));
}

void TstArchiveWindow::notesAndRangesGoWithTheRun()
{
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(sequenceData(400, 650)));
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    w->openDataFile(dir.filePath("run.ZQ"));
    // A right-click at column 10: the note goes to reading 2 (10 / 6, rounded).
    QMenu *menu = rightClick(ui(w).chartBox);
    QVERIFY(menu);
    QAction *note = nullptr;
    for (QAction *a : menu->actions())
        if (a->text() == QStringLiteral("添加注释…"))
            note = a;
    QVERIFY(note && note->isEnabled());
    w.dialogs->texts = {QStringLiteral("炉门打开")};
    note->trigger();
    menu->close();
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QString error;
    const QString sha = zq::Archive::sha256Of(zq::dataFileBytes(sequenceData(400, 650)));
    QCOMPARE(w->archive()->notes(sha, &error).value(0).atReading, 2);
    // A marker at its column, and its text under the pointer.
    QCOMPARE(QColor(ui(w).chartBox->image().pixel(12, 1)), QColor(255, 255, 255));
    // The pointer over the marker, as the window system reports a move.
    QMouseEvent move(QEvent::MouseMove, QPointF(12, 200), ui(w).chartBox->mapToGlobal(QPointF(12, 200)), Qt::NoButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(ui(w).chartBox, &move);
    QTRY_VERIFY2(ui(w).chartBox->readoutText().contains(QStringLiteral("▸ 炉门打开")),
        qPrintable(ui(w).chartBox->readoutText()));
    // A range named from the chart's menu.
    w->selectRange(10, 50);
    w.dialogs->texts = {QStringLiteral("保温段")};
    QVERIFY(chartAction(w, QStringLiteral("命名选区…")));
    // The run opened again brings its notes back, and its range to choose.
    w.dialogs->answers = {QMessageBox::Yes};
    w->openDataFile(dir.filePath("run.ZQ"));
    QCOMPARE(w->notes().size(), 1);
    QVERIFY(!w->range());
    QVERIFY(chartAction(w, QStringLiteral("保温段（10 至 50）")));
    QCOMPARE(w->range(), (std::optional<std::pair<int, int>>{{10, 50}}));
    {
        // Data let go (OPEN agreed to, then cancelled) take their notes and
        // named ranges with them: nothing of the old run's stays on offer.
        TestWindow other;
        other->setArchivePath(w.settings.filePath("archive.sqlite"));
        other->openDataFile(dir.filePath("run.ZQ"));
        QCOMPARE(other->notes().size(), 1);
        other.dialogs->answers = {QMessageBox::Yes};
        other->onOpenClicked();
        QVERIFY(other->notes().isEmpty() && !other->record().holdsData() && other->document().sha256().isEmpty());
    }
}

void TstArchiveWindow::editedInPlaceAndLaidAsReference()
{
    QTemporaryDir dir;
    TestWindow w;
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    zq::Archive *archive = w->archive();
    QVERIFY(archive);
    write(dir.filePath("now.ZQ"), zq::dataFileBytes(sequenceData(300, 650)));
    write(dir.filePath("before.ZQ"), zq::dataFileBytes(sequenceData(300, 700)));
    QString error;
    bool isNew = false;
    const QString before
        = archive->addRun(zq::dataFileBytes(sequenceData(300, 700)), dir.filePath("before.ZQ"), &isNew, &error);
    QVERIFY(archive->setFields(before, {"王", "3", "齿轮", "K", ""}, &error));
    w->openDataFile(dir.filePath("now.ZQ"));
    QTest::keyClick(w.form.get(), Qt::Key_L, Qt::ControlModifier);
    auto *a = w->findChild<ArchiveWindow *>();
    QVERIFY(a && QTest::qWaitForWindowExposed(a));
    QVERIFY(runRow(a, before) >= 0);
    // The equipment cell: selected, F2, typed over, Enter.
    const QPoint cell = runCell(a, before, 5);
    QTest::mouseClick(a->table->viewport(), Qt::LeftButton, {}, cell);
    QTest::keyClick(a->table, Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(qobject_cast<QLineEdit *>(editor));
    qobject_cast<QLineEdit *>(editor)->selectAll();
    QTest::keyClicks(editor, "7");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(archive->run(before, &error)->fields.equipment, QStringLiteral("7"));
    QCOMPARE(archive->run(before, &error)->fields.operatorName, QStringLiteral("王")); // the others stay
    QTRY_COMPARE(a->selectedRun(), before);
    QTRY_COMPARE(a->equipmentField->text(), QStringLiteral("7"));
    // 作为参考: last time's run behind this one.
    QTest::mouseClick(a->findChild<QPushButton *>(QStringLiteral("asReference")), Qt::LeftButton);
    auto *analysis = w->findChild<AnalysisWindow *>();
    QVERIFY(analysis && analysis->isVisible());
    QCOMPARE(analysis->referenceBox->currentText(), QStringLiteral("before.ZQ"));
    QCOMPARE(analysis->placedReference().y.value(0), 700.0);
    QCOMPARE(ui(w).readingList->count(), 300); // the run shown is still this one
    QCOMPARE(w->record().reading(0), 650);
}

void TstArchiveWindow::closedWithTheArchiveLetGo()
{
    QTemporaryDir dir;
    write(dir.filePath("a.ZQ"), zq::dataFileBytes(timeData(5)));
    TestWindow w;
    const QPointer<ArchiveWindow> browser = w->showArchive();
    {
        // Another program's trigger refuses every new run: the window lets the archive go.
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
        other.setDatabaseName(w.settings.filePath("archive.sqlite"));
        QVERIFY(other.open()
            && QSqlQuery(other).exec("CREATE TRIGGER no BEFORE INSERT ON runs BEGIN SELECT RAISE(ABORT, 'no'); END"));
    }
    QSqlDatabase::removeDatabase("other");
    w->openDataFile(dir.filePath("a.ZQ"));
    QVERIFY2(w.dialogs->lastText().startsWith("记录库没有更新"), qPrintable(w.dialogs->lastText()));
    QVERIFY(!browser); // 记录库 goes with it, rather than read what is no longer there
}

QTEST_MAIN(TstArchiveWindow)
#include "tst_archivewindow.moc"
