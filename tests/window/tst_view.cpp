// Reading the record on the chart: the summary, the pointer readout, the
// wheel, the chart's menu and a double-click on the list.
#include "core/datafile.h"
#include "core/summary.h"
#include "testsupport.h"
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
    void summary_data();
    void summary();
    void summaryLineAfterOpen();
    void pointerReadout();
    void wheelAndFit();
    void savedImageAndDoubleClick();
};

void TstView::summary_data()
{
    QTest::addColumn<QList<int>>("readings");
    QTest::addColumn<QString>("line");
    QTest::newRow("failed readings take no part")
        << QList<int>{500, 8888, 300, 700} << "读数 4  失败 1  最低 300 (0002)  最高 700 (0003)  平均 500.0";
    QTest::newRow("one reading") << QList<int>{42} << "读数 1  失败 0  最低 42 (0000)  最高 42 (0000)  平均 42.0";
    QTest::newRow("negative readings") << QList<int>{-5, -20, 10}
                                       << "读数 3  失败 0  最低 -20 (0001)  最高 10 (0002)  平均 -5.0";
    QTest::newRow("only failed") << QList<int>{8888, 8888} << "读数 2  失败 2";
    QTest::newRow("nothing came") << QList<int>{} << "读数 0  失败 0";
}

void TstView::summary()
{
    QFETCH(QList<int>, readings);
    QFETCH(QString, line);
    Workspace ws;
    ws.datatype = zq::SequenceData;
    for (int v : readings)
        ws.wdseq[ws.wdnum++] = int16_t(v);
    QCOMPARE(zq::summaryLine(zq::summarize(ws, 0)), line);
    ws.datatype = zq::NoData;
    QCOMPARE(zq::summaryLine(zq::summarize(ws, 0)), QString());
}

void TstView::summaryLineAfterOpen()
{
    QTemporaryDir dir;
    Workspace time = timeData(3, 9);
    time.wdtab[1][0].wd = zq::kFailedReading;
    QFile f(dir.filePath("t.ZQ"));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(zq::dataFileBytes(time)) > 0);
    f.close();
    TestWindow w;
    w.dialogs->paths = {f.fileName()};
    w->Command2_Click();
    QCOMPARE(w->summaryLine->text(),
        QStringLiteral("读数 3  失败 1  最低 200 (07-26 09:00:09)  最高 202 (07-26 09:02:09)"
                       "  平均 201.0  07-26 09:00:09 至 07-26 09:02:09"));
    w->VScroll2[0]->setValue(1); // an empty group
    QCOMPARE(w->summaryLine->text(), QStringLiteral("读数 0  失败 0"));
}

void TstView::pointerReadout()
{
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    w.ws() = sequenceData(3840, 0);
    for (int i = 0; i < 3840; ++i)
        w.ws().wdseq[i] = int16_t(i % 1000);
    w.ws().wdseq[1207] = zq::kFailedReading;
    w->loadwd(0);
    w->HScroll1->setValue(120);
    const QImage picture = w->LP1->image();
    const int redraws = w->redrawCount();
    QTest::mouseMove(w->LP1, QPoint(6 * 5, 200));
    QTRY_COMPARE(w->LP1->readoutText(), QStringLiteral("1205  0205"));
    QTest::mouseMove(w->LP1, QPoint(6 * 7 + 2, 200)); // rounds to the nearest reading
    QTRY_COMPARE(w->LP1->readoutText(), QStringLiteral("1207  ERRDATA!!!"));
    QCOMPARE(w->redrawCount(), redraws); // the picture is not redrawn
    QCOMPARE(w->LP1->image(), picture);
    double painted = 0; // two thin bands and two small boxes, not the chart
    for (const QRect &r : w->LP1->lastOverlayRegion())
        painted += double(r.width()) * r.height();
    QVERIFY2(painted < 0.05 * 720 * 400, qPrintable(QString::number(painted)));
    QTest::mouseMove(w->Label13); // leaving the chart removes both
    QTRY_COMPARE(w->LP1->pointerX(), -1);
    QVERIFY(w->LP1->readoutText().isEmpty());

    // Time view: the nearest record of the hour within two pixels, or nothing.
    w.ws() = timeData(5, 14); // 14:00:09 ... 14:04:09, at x = 1, 13, 25 ...
    w->loadwd(0);
    QTest::mouseMove(w->LP1, QPoint(15, 200));
    QTRY_COMPARE(w->LP1->readoutText(), QStringLiteral("07-26 14:01:09    0201"));
    QTest::mouseMove(w->LP1, QPoint(19, 200));
    QTRY_VERIFY(w->LP1->readoutText().isEmpty());
}

void TstView::wheelAndFit()
{
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    w.ws() = sequenceData(3840, 500);
    w.ws().wdseq[30] = 1234; // the view's highest
    w->loadwd(0);
    auto wheel = [&](QPoint delta, Qt::KeyboardModifiers mods = {}) {
        const QPointF at(100, 100);
        QWheelEvent event(at, w->LP1->mapToGlobal(at), QPoint(), delta, Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->LP1, &event);
    };
    int redraws = w->redrawCount();
    wheel(QPoint(0, 120)); // up: higher readings come into view
    QCOMPARE(w.ws().ybase, 900);
    QCOMPARE(w->redrawCount(), redraws + 1);
    wheel(QPoint(0, -240));
    QCOMPARE(w.ws().ybase, 700);
    wheel(QPoint(0, -120), Qt::ShiftModifier); // sideways: the next ten readings
    QCOMPARE(w.ws().seqstart, 10);
    wheel(QPoint(120, 0));
    QCOMPARE(w.ws().seqstart, 0);

    // The chart's menu, by the pointer: 适合温度范围.
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(200, 200), w->LP1->mapToGlobal(QPoint(200, 200)));
    QApplication::sendEvent(w->LP1, &rightClick);
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = w->LP1->findChild<QMenu *>()) && menu->isVisible());
    QCOMPARE(menu->actions().value(0)->text(), QStringLiteral("适合温度范围"));
    redraws = w->redrawCount();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions()[0]).center());
    QTRY_COMPARE(w.ws().ybase, 1300); // 1234 at or below the top edge
    QCOMPARE(w->redrawCount(), redraws + 1);
    QCOMPARE(w->VScroll1->value(), -1300);
}

void TstView::savedImageAndDoubleClick()
{
    QTemporaryDir dir;
    TestWindow w;
    w.ws() = sequenceData(3840, 500);
    w->loadwd(0);
    w.dialogs->paths = {dir.filePath("chart")};
    w->saveChartImage();
    const QImage saved(dir.filePath("chart.png"));
    QCOMPARE(saved.size(), QSize(63 + 720, 400));
    QCOMPARE(saved.copy(63, 0, 720, 400).convertToFormat(QImage::Format_RGB32),
        w->LP1->image().convertToFormat(QImage::Format_RGB32));
    QCOMPARE(QColor(saved.pixel(20, 0)), QColor(255, 0, 0)); // the scale bar's top line

    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    QListWidgetItem *line = w->List1->item(1234);
    w->List1->scrollToItem(line);
    // A person's double-click: a click, then the second press.
    const QPoint at = w->List1->visualItemRect(line).center();
    QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(int(w.ws().xstart), 123);
    QCOMPARE(w.ws().seqstart, 1230);
}

QTEST_MAIN(TstView)
#include "tst_view.moc"
