#include "chart/chart.h"
#include "core/listlines.h"
#include "link/commport.h"
#include "testsupport.h"
#include "window/chartbox.h"
#include "window/clicklabel.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>

class TstForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startupState();
    void pictureSurvivesAndRedrawLeavesNoTrace();
    void listLines_data();
    void listLines();
    void listInWindow();
    void groupsBeyondTheTable();
    void scrollBars();
    void scaleBarByMouse_data();
    void scaleBarByMouse();
    void picturesShow();
    void statusTextsFit();
};

namespace {
// Where a person clicks on a part of a scroll bar, as its style draws it.
QPoint partOf(QScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.upsideDown = bar->invertedAppearance();
    if (bar->orientation() == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar).center();
}

// The window's drawing layer as it must look for a base of `ybase`.
QImage scaleLayer(Form1 &w, int ybase)
{
    QImage layer(w.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    zq::drawScale(p, w.LP1->pos(), ybase, w.font());
    return layer;
}

bool hasColourOtherThan(const QImage &img, const QColor &flat)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (QColor(img.pixel(x, y)) != flat)
                return true;
    return false;
}
} // namespace

void TstForm1::startupState()
{
    TestWindow w;
    QCOMPARE(w->windowTitle(), QStringLiteral("TQRM_ZQ温度数据管理软件"));
    const QStringList captions{w->Label4[0]->text(), w->Label2->text(), w->Label6->text(), w->Label13->text(),
        w->Command6->text(), w->Label12->text()};
    QCOMPARE(captions, (QStringList{"0", "STYLE", "----", "---", "COM 1", "LORVANT "}));
    QCOMPARE(w->List1->count(), 0);
    QCOMPARE(w.ws().ybase, 800);
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->size(), QSize(1017, 722)); // room for HScroll1 and Label12, and a margin
    QCOMPARE(w->LP1->geometry(), QRect(288, 221, 720, 400)); // 4320, 3315 twips at 15 a pixel
    QCOMPARE(w->Command5->toolTip(), QStringLiteral("读数据(请注意将测温仪设置为锁定)  (Ctrl+R)"));
    QCOMPARE(w->movewd[1]->palette().color(QPalette::WindowText), QColor(255, 192, 128));
}

void TstForm1::pictureSurvivesAndRedrawLeavesNoTrace()
{
    TestWindow fresh, w;
    w->show();
    w.ws() = sequenceData(200, 500);
    w->VScroll1->setValue(-2000);
    w->loadwd(0);
    QVERIFY(w->LP1->image() != fresh->LP1->image());
    // The widget shows the retained picture, whatever covered it.
    QCOMPARE(w->LP1->grab().toImage().pixel(100, 50), w->LP1->image().pixel(100, 50));
    w.ws().datatype = zq::NoData;
    w->VScroll1->setValue(-800);
    QCOMPARE(w->LP1->image(), fresh->LP1->image());
    QCOMPARE(w->drawingLayer(), fresh->drawingLayer());
}

void TstForm1::listLines_data()
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

void TstForm1::listLines()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(line, expected);
}

void TstForm1::listInWindow()
{
    TestWindow w;
    w.ws() = sequenceData(zq::kSeqReadings, 235);
    w->loadwd(0);
    QCOMPARE(w->List1->count(), 3840);
    QCOMPARE(w->List1->item(3839)->text(), QStringLiteral("3839--------0235"));
    QCOMPARE(w->List1->palette().color(QPalette::Text), QColor(255, 0, 0));

    w.ws() = timeData(5, 14);
    w.ws().wdtab[2][0].wd = zq::kFailedReading;
    w->loadwd(0);
    QCOMPARE(w->List1->item(2)->text(), QStringLiteral("ERRDATA!!!")); // keeps its place
    QCOMPARE(w->List1->item(3)->text(), QStringLiteral("07-26 14:03:09    0203"));
    QCOMPARE(w->HScroll1->value(), 14);
    QCOMPARE(w->Label13->text(), QStringLiteral("07-26 14"));
    w->HScroll1->setValue(20);
    QCOMPARE(int(w.ws().xstart), 20);
    w->List1_Click();
    QCOMPARE(int(w.ws().xstart), 14); // back to the group's first hour
    QCOMPARE(w->HScroll1->value(), 20);
    w.ws().grpcount[0] = 99999; // never read past the table
    w->loadwd(0);
    QCOMPARE(w->List1->count(), zq::kTabSlots);
}

void TstForm1::groupsBeyondTheTable()
{
    TestWindow w;
    w.ws() = timeData(5, 9);
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
}

void TstForm1::scrollBars()
{
    TestWindow w;
    w->HScroll1->setValue(100); // nothing loaded: only the picture is redrawn
    QCOMPARE(int(w.ws().xstart), 0);
    w.ws() = sequenceData(3840, 500);
    w->HScroll1->setValue(372);
    QCOMPARE(w.ws().seqstart, 3720);
    w.ws() = timeData(3, 9);
    w->HScroll1->setValue(371);
    QCOMPARE(w->HScroll1->maximum(), 23);
    QCOMPARE(int(w.ws().xstart), 23);

    w.ws() = sequenceData(100, 500);
    w->loadwd(0);
    w->VScroll2[0]->setValue(3); // the group selector does nothing for sequence data
    QCOMPARE(w->Label4[0]->text(), QStringLiteral("0"));
    QCOMPARE(w->List1->count(), 100);
    w->Command6->click();
    QCOMPARE(w->MyComm->commPort(), 2);
    w->Command6->click();
    QCOMPARE(w->Command6->text(), QStringLiteral("COM 1"));
}

void TstForm1::scaleBarByMouse_data()
{
    QTest::addColumn<int>("part");
    QTest::addColumn<int>("ybase");
    QTest::newRow("top arrow raises the base") << int(QStyle::SC_ScrollBarSubLine) << 900;
    QTest::newRow("bottom arrow lowers it") << int(QStyle::SC_ScrollBarAddLine) << 700;
    QTest::newRow("click above the handle") << int(QStyle::SC_ScrollBarSubPage) << 1000;
    QTest::newRow("click below the handle") << int(QStyle::SC_ScrollBarAddPage) << 600;
}

void TstForm1::scaleBarByMouse()
{
    QFETCH(int, part);
    QFETCH(int, ybase);
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    const QPoint handleBefore = partOf(w->VScroll1, QStyle::SC_ScrollBarSlider);
    QTest::mouseClick(w->VScroll1, Qt::LeftButton, {}, partOf(w->VScroll1, QStyle::SubControl(part)));
    QCOMPARE(w->drawingLayer(), scaleLayer(*w.form, ybase)); // the captions say so
    QCOMPARE(w.ws().ybase, ybase);
    // The handle moves towards the top as the base rises, like the arrows.
    const QPoint handleAfter = partOf(w->VScroll1, QStyle::SC_ScrollBarSlider);
    QCOMPARE(handleAfter.y() < handleBefore.y(), ybase > 800);
    // The keys agree with the arrows.
    QTest::keyClick(w->VScroll1, ybase > 800 ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(w.ws().ybase, ybase + (ybase > 800 ? 100 : -100));
}

void TstForm1::picturesShow()
{
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    // Below the chart lies only the background picture, never a flat colour.
    const QImage shot = w->grab().toImage();
    QVERIFY(hasColourOtherThan(shot.copy(400, 660, 300, 50), QColor(shot.pixel(400, 660))));
    const QImage plug = w->Command7->grab().toImage();
    QVERIFY(hasColourOtherThan(plug.copy(10, 10, plug.width() - 20, plug.height() - 20), QColor(192, 192, 192)));
}

void TstForm1::statusTextsFit()
{
    TestWindow w("/dev/zq-test-port");
    for (const char *utf8 :
        {"COM Test Begin", "在线测温开启", "COM ERR", "No DATAS", "Err DATAS", "3840", "0293", "----"}) {
        const QString text = QString::fromUtf8(utf8);
        w->showStatus(text);
        const QFontMetrics fm(w->Label6->font());
        QVERIFY2(fm.horizontalAdvance(w->Label6->text()) <= w->Label6->contentsRect().width(), qPrintable(text));
        QVERIFY(fm.height() <= w->Label6->contentsRect().height());
        QVERIFY(w->Label6->toolTip().contains(text) && w->Label6->toolTip().contains("/dev/zq-test-port"));
        if (text.size() <= 4)
            QCOMPARE(w->Label6->font().pointSizeF(), 12.0); // as designed where it fits
    }
}

QTEST_MAIN(TstForm1)
#include "tst_form1.moc"
