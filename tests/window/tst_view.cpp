// Reading the record on the chart: the summary, the pointer readout, the
// wheel, the chart's menu and a double-click on the list.
#include "core/datafile.h"
#include "core/summary.h"
#include "support/window.h"
#include "window/chartbox.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>

class TstView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void summaryLineAfterOpen();
    void pointerReadout();
    void wheelAndFit();
    void savedImageAndDoubleClick();
};

void TstView::summaryLineAfterOpen()
{
    QTemporaryDir dir;
    QVector<WDREC> records = timeRecords(3, 9);
    records[1].wd = zq::kFailedReading;
    write(dir.filePath("t.ZQ"), zq::dataFileBytes(zq::Record::timeStamped(records)));
    TestWindow w;
    w.dialogs->paths = {dir.filePath("t.ZQ")};
    w->onOpenClicked();
    QCOMPARE(ui(w).summaryLine->text(),
        QStringLiteral("读数 3  失败 1  最低 200 (07-26 09:00:09)  最高 202 (07-26 09:02:09)"
                       "  平均 201.0  07-26 09:00:09 至 07-26 09:02:09"));
    ui(w).groupBar->setValue(1); // an empty group
    QCOMPARE(ui(w).summaryLine->text(), QStringLiteral("读数 0  失败 0"));
}

void TstView::pointerReadout()
{
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    QVector<int16_t> readings(3840);
    for (int i = 0; i < 3840; ++i)
        readings[i] = int16_t(i % 1000);
    readings[1207] = zq::kFailedReading;
    w.show(zq::Record::sequence(readings));
    ui(w).viewBar->setValue(120);
    const QImage picture = ui(w).chartBox->image();
    const int redraws = w->redrawCount();
    QTest::mouseMove(ui(w).chartBox, QPoint(6 * 5, 200));
    QTRY_COMPARE(ui(w).chartBox->readoutText(), QStringLiteral("1205  0205"));
    QTest::mouseMove(ui(w).chartBox, QPoint(6 * 7 + 2, 200)); // rounds to the nearest reading
    QTRY_COMPARE(ui(w).chartBox->readoutText(), QStringLiteral("1207  ERRDATA!!!"));
    QCOMPARE(w->redrawCount(), redraws); // the picture is not redrawn
    QCOMPARE(ui(w).chartBox->image(), picture);
    double painted = 0; // two thin bands and two small boxes, not the chart
    for (const QRect &r : ui(w).chartBox->lastOverlayRegion())
        painted += double(r.width()) * r.height();
    QVERIFY2(painted < 0.05 * 720 * 400, qPrintable(QString::number(painted)));
    QTest::mouseMove(ui(w).hourLabel); // leaving the chart removes both
    QTRY_COMPARE(ui(w).chartBox->pointerX(), -1);
    QVERIFY(ui(w).chartBox->readoutText().isEmpty());

    // Time view: the nearest record of the hour within two pixels, or nothing.
    w.show(timeData(5, 14)); // 14:00:09 ... 14:04:09, at x = 1, 13, 25 ...
    QTest::mouseMove(ui(w).chartBox, QPoint(15, 200));
    QTRY_COMPARE(ui(w).chartBox->readoutText(), QStringLiteral("07-26 14:01:09    0201"));
    QTest::mouseMove(ui(w).chartBox, QPoint(19, 200));
    QTRY_VERIFY(ui(w).chartBox->readoutText().isEmpty());
}

void TstView::wheelAndFit()
{
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    QVector<int16_t> readings(3840, 500);
    readings[30] = 1234; // the view's highest
    w.show(zq::Record::sequence(readings));
    auto wheel = [&](QPoint delta, Qt::KeyboardModifiers mods = {}) {
        const QPointF at(100, 100);
        QWheelEvent event(
            at, ui(w).chartBox->mapToGlobal(at), QPoint(), delta, Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(ui(w).chartBox, &event);
    };
    int redraws = w->redrawCount();
    wheel(QPoint(0, 120)); // up: higher readings come into view
    QCOMPARE(w->view().ybase, 900);
    QCOMPARE(w->redrawCount(), redraws + 1);
    wheel(QPoint(0, -240));
    QCOMPARE(w->view().ybase, 700);
    wheel(QPoint(0, -120), Qt::ShiftModifier); // sideways: the next ten readings
    QCOMPARE(w->view().seqStart(), 10);
    wheel(QPoint(120, 0));
    QCOMPARE(w->view().seqStart(), 0);

    // The chart's menu, by the pointer: 适合温度范围.
    QContextMenuEvent rightClick(
        QContextMenuEvent::Mouse, QPoint(200, 200), ui(w).chartBox->mapToGlobal(QPoint(200, 200)));
    QApplication::sendEvent(ui(w).chartBox, &rightClick);
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = ui(w).chartBox->findChild<QMenu *>()) && menu->isVisible());
    QCOMPARE(menu->actions().value(0)->text(), QStringLiteral("适合温度范围"));
    redraws = w->redrawCount();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions()[0]).center());
    QTRY_COMPARE(w->view().ybase, 1300); // 1234 at or below the top edge
    QCOMPARE(w->redrawCount(), redraws + 1);
    QCOMPARE(ui(w).scaleBar->value(), -1300);
}

void TstView::savedImageAndDoubleClick()
{
    QTemporaryDir dir;
    TestWindow w;
    w.show(sequenceData(3840, 500));
    w.dialogs->paths = {dir.filePath("chart")};
    w->saveChartImage();
    const QImage saved(dir.filePath("chart.png"));
    QCOMPARE(saved.size(), QSize(63 + 720, 400));
    QCOMPARE(saved.copy(63, 0, 720, 400).convertToFormat(QImage::Format_RGB32),
        ui(w).chartBox->image().convertToFormat(QImage::Format_RGB32));
    QCOMPARE(QColor(saved.pixel(20, 0)), QColor(255, 0, 0)); // the scale bar's top line

    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    QListWidgetItem *line = ui(w).readingList->item(1234);
    ui(w).readingList->scrollToItem(line);
    // A person's double-click: a click, then the second press.
    const QPoint at = ui(w).readingList->visualItemRect(line).center();
    QTest::mouseClick(ui(w).readingList->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(ui(w).readingList->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(ui(w).viewBar->value(), 123);
    QCOMPARE(w->view().seqStart(), 1230);
}

QTEST_MAIN(TstView)
#include "tst_view.moc"
