#include "chart/chart.h"
#include "core/chartbox.h"
#include "core/clicklabel.h"
#include "link/commport.h"
#include "testsupport.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

namespace {
void fillSequence(Workspace &ws, int n, int value)
{
    ws.datatype = zq::SequenceData;
    ws.havedata = 1;
    ws.wdnum = n;
    for (int i = 0; i < n; ++i)
        ws.wdseq[i] = int16_t(value);
}

void fillTime(Workspace &ws, int n, uint8_t hour)
{
    ws.datatype = zq::TimeData;
    ws.havedata = 2;
    ws.grpcount[0] = n;
    for (int i = 0; i < n; ++i)
        ws.wdtab[i][0] = WDREC{int16_t(300 + i), 7, 26, hour, uint8_t(i % 60), 0};
}
} // namespace

class TstForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startupState();
    void layoutInTwips_data();
    void layoutInTwips();
    void pictureSurvivesAndRedrawLeavesNoTrace();
    void listOfSequenceData();
    void listOfTimeDataAndChartStart();
    void groupBeyondTableIsEmpty();
    void baseScrollMovesCaptions();
    void hourScrollMaximumFollowsDataType();
    void groupSelectorIgnoredForSequenceData();
    void portToggle();
};

void TstForm1::startupState()
{
    TestWindow w;
    QCOMPARE(w->windowTitle(), QStringLiteral("TQRM_ZQ温度数据管理软件"));
    QCOMPARE(w->Label4[0]->text(), QStringLiteral("0"));
    QCOMPARE(w->Label2->text(), QStringLiteral("STYLE"));
    QCOMPARE(w->Label6->text(), QStringLiteral("----"));
    QCOMPARE(w->Label13->text(), QStringLiteral("---"));
    QCOMPARE(w->List1->count(), 0);
    QCOMPARE(w.ws().ybase, 800);
    QCOMPARE(w.ws().datatype, 0);
    QCOMPARE(w.ws().havedata, 0);
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->Timer1->interval(), 1000);
    QVERIFY(w->width() * 15 >= 15135 && w->height() * 15 >= 10740);
    // The palette lives in the hidden labels.
    QCOMPARE(w->movewd[1]->palette().color(QPalette::WindowText), QColor(255, 192, 128));
    QVERIFY(!w->movewd[0]->isVisible());
}

void TstForm1::layoutInTwips_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("Command5") << "Command5" << QRect(5160, 840, 2835, 945) << "接收数据"
                              << "读数据(请注意将测温仪设置为锁定)";
    QTest::newRow("Command6") << "Command6" << QRect(10365, 840, 1170, 945) << "COM 1"
                              << "通讯失败可改变COM口再试";
    QTest::newRow("PRINT") << "print" << QRect(5775, 2010, 1080, 945) << "PRINT"
                           << "打印温度数据和曲线";
    QTest::newRow("Label12") << "Label12" << QRect(12945, 10335, 2025, 405) << "LORVANT "
                             << "";
    QTest::newRow("LP1") << "LP1" << QRect(4320, 3315, 10800, 6000) << ""
                         << "";
}

void TstForm1::layoutInTwips()
{
    QFETCH(QString, control);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    TestWindow w;
    QWidget *widget = control == "Command5" ? static_cast<QWidget *>(w->Command5)
        : control == "Command6"             ? static_cast<QWidget *>(w->Command6)
        : control == "print"                ? static_cast<QWidget *>(w->打印)
        : control == "Label12"              ? static_cast<QWidget *>(w->Label12)
                                            : static_cast<QWidget *>(w->LP1);
    const QRect px(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(widget->geometry(), px);
    QCOMPARE(widget->toolTip(), tooltip);
    if (auto *b = qobject_cast<QAbstractButton *>(widget))
        QCOMPARE(b->text(), caption);
    if (auto *l = qobject_cast<QLabel *>(widget))
        QCOMPARE(l->text(), caption);
}

void TstForm1::pictureSurvivesAndRedrawLeavesNoTrace()
{
    TestWindow fresh;
    TestWindow w;
    w->show();
    fillSequence(w.ws(), 200, 500);
    w->VScroll1->setValue(2000);
    w->loadwd(0);
    QVERIFY(w->LP1->image() != fresh->LP1->image());
    // What the widget shows is the retained picture, whatever covered it.
    const QImage shown = w->LP1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixel(100, 50), w->LP1->image().pixel(100, 50));

    w.ws().datatype = zq::NoData;
    w->VScroll1->setValue(800);
    QCOMPARE(w->LP1->image(), fresh->LP1->image());
    QCOMPARE(w->drawingLayer(), fresh->drawingLayer());
}

void TstForm1::listOfSequenceData()
{
    TestWindow w;
    fillSequence(w.ws(), zq::kSeqReadings, 235);
    w.ws().wdseq[7] = zq::kFailedReading;
    w->loadwd(0);
    QCOMPARE(w->List1->count(), 3840);
    QCOMPARE(w->List1->item(12)->text(), QStringLiteral("0012--------0235"));
    QCOMPARE(w->List1->item(7)->text(), QStringLiteral("0007--------8888"));
    QCOMPARE(w->List1->item(3839)->text().left(4), QStringLiteral("3839"));
    QCOMPARE(w->List1->palette().color(QPalette::Text), QColor(255, 0, 0));
    QVERIFY(w->HScroll1->isVisibleTo(w.form.get()));
}

void TstForm1::listOfTimeDataAndChartStart()
{
    TestWindow w;
    fillTime(w.ws(), 5, 14);
    w.ws().wdtab[2][0].wd = zq::kFailedReading;
    w->loadwd(0);
    QCOMPARE(w->List1->count(), 5);
    QCOMPARE(w->List1->item(0)->text(), QStringLiteral("07-26 14:00:00    0300"));
    QCOMPARE(w->List1->item(2)->text(), QStringLiteral("ERRDATA!!!"));
    QCOMPARE(w->List1->item(3)->text(), QStringLiteral("07-26 14:03:00    0303"));
    QCOMPARE(int(w.ws().xstart), 14);
    QCOMPARE(w->HScroll1->value(), 14);
    QCOMPARE(w->Label13->text(), QStringLiteral("07-26 14"));

    w->HScroll1->setValue(20);
    QCOMPARE(int(w.ws().xstart), 20);
    w->List1->setCurrentRow(3);
    w->List1_Click();
    QCOMPARE(int(w.ws().xstart), 14);
    QCOMPARE(w->HScroll1->value(), 20); // a list click does not move the bar
}

void TstForm1::groupBeyondTableIsEmpty()
{
    TestWindow w;
    fillTime(w.ws(), 5, 9);
    w->loadwd(0);
    for (int g : {1, 5, 7}) {
        w->VScroll2[0]->setValue(g);
        QCOMPARE(w->Label4[0]->text(), QString::number(g));
        QCOMPARE(w->List1->count(), 0);
        QCOMPARE(int(w.ws().xstart), 0);
        QCOMPARE(w->Label13->text(), QStringLiteral("00-00 00"));
    }
    w->VScroll2[0]->setValue(0);
    QCOMPARE(w->List1->count(), 5);
    QCOMPARE(w->List1->palette().color(QPalette::Text), QColor(255, 0, 0));
}

void TstForm1::baseScrollMovesCaptions()
{
    TestWindow w;
    QCOMPARE(w->VScroll1->minimum(), 400);
    QCOMPARE(w->VScroll1->maximum(), 2000);
    QVERIFY(w->VScroll1->invertedAppearance()); // 2000 at the top
    w->VScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(w.ws().ybase, 900);
    w->VScroll1->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(w.ws().ybase, 700);
    TestWindow other;
    other->VScroll1->setValue(700);
    QCOMPARE(w->drawingLayer(), other->drawingLayer());
}

void TstForm1::hourScrollMaximumFollowsDataType()
{
    TestWindow w;
    w->HScroll1->setValue(100); // nothing loaded: nothing changes but the picture
    QCOMPARE(int(w.ws().xstart), 0);
    fillSequence(w.ws(), 3840, 500);
    w->HScroll1->setValue(372);
    QCOMPARE(w.ws().seqstart, 3720);
    QCOMPARE(w->HScroll1->maximum(), 372);
    fillTime(w.ws(), 3, 9);
    w->HScroll1->setValue(371);
    QCOMPARE(w->HScroll1->maximum(), 23);
    QCOMPARE(w->HScroll1->value(), 23);
    QCOMPARE(int(w.ws().xstart), 23);
    QCOMPARE(w.ws().seqstart, 3720);
}

void TstForm1::groupSelectorIgnoredForSequenceData()
{
    TestWindow w;
    fillSequence(w.ws(), 100, 500);
    w->loadwd(0);
    w->VScroll2[0]->setValue(3);
    QCOMPARE(w->Label4[0]->text(), QStringLiteral("0"));
    QCOMPARE(w->List1->count(), 100);
}

void TstForm1::portToggle()
{
    TestWindow w;
    w->Command6->click();
    QCOMPARE(w->Command6->text(), QStringLiteral("COM 2"));
    QCOMPARE(w->MyComm->commPort(), 2);
    w->Command6->click();
    QCOMPARE(w->Command6->text(), QStringLiteral("COM 1"));
    QCOMPARE(w->MyComm->commPort(), 1);
}

QTEST_MAIN(TstForm1)
#include "tst_form1.moc"
