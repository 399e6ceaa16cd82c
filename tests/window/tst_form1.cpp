#include "chart/chart.h"
#include "core/listlines.h"
#include "link/commport.h"
#include "link/instrument.h"
#include "support/window.h"
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
    zq::drawScale(p, ui(w).chartBox->mapTo(&w, QPoint()), ybase, w.font());
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
    const QStringList captions{ui(w).groupLabel->text(), ui(w).styleLabel->text(), ui(w).statusLabel->text(),
        ui(w).hourLabel->text(), ui(w).portButton->text(), ui(w).makerLabel->text()};
    QCOMPARE(captions, (QStringList{"0", "STYLE", "----", "---", "COM 1", "LORVANT "}));
    QCOMPARE(ui(w).readingList->count(), 0);
    QCOMPARE(w->view().ybase, 800);
    QVERIFY(!ui(w).liveTimer->isActive());
    QCOMPARE(w->size(), QSize(1017, 722)); // room for viewBar and makerLabel, and a margin
    QCOMPARE(QRect(ui(w).chartBox->mapTo(w.form.get(), QPoint()), ui(w).chartBox->size()),
        QRect(288, 221, 720, 400)); // 4320, 3315 twips at 15 a pixel
    QCOMPARE(ui(w).downloadButton->toolTip(), QStringLiteral("读数据(请注意将测温仪设置为锁定)  (Ctrl+R)"));
    QCOMPARE(zq::groupColour(1), QColor(255, 192, 128));
    QCOMPARE(w->findChild<QPushButton *>("Command5"), ui(w).downloadButton); // found by the designed names
    QCOMPARE(w->findChild<QLabel *>("Label6"), ui(w).statusLabel);
}

void TstForm1::pictureSurvivesAndRedrawLeavesNoTrace()
{
    TestWindow fresh, w;
    w->show();
    ui(w).scaleBar->setValue(-2000);
    w.show(sequenceData(200, 500));
    QVERIFY(ui(w).chartBox->image() != ui(fresh).chartBox->image());
    // The widget shows the retained picture, whatever covered it.
    QCOMPARE(ui(w).chartBox->grab().toImage().pixel(100, 50), ui(w).chartBox->image().pixel(100, 50));
    w.show(zq::Record());
    ui(w).scaleBar->setValue(-800);
    QCOMPARE(ui(w).chartBox->image(), ui(fresh).chartBox->image());
    QCOMPARE(w->drawingLayer(), fresh->drawingLayer());
}

void TstForm1::listInWindow()
{
    TestWindow w;
    w.show(sequenceData(zq::kSeqReadings, 235));
    QCOMPARE(ui(w).readingList->count(), 3840);
    QCOMPARE(ui(w).readingList->item(3839)->text(), QStringLiteral("3839--------0235"));
    QCOMPARE(ui(w).readingList->palette().color(QPalette::Text), QColor(255, 0, 0));

    QVector<WDREC> records = timeRecords(5, 14);
    records[2].wd = zq::kFailedReading;
    w.show(zq::Record::timeStamped(records));
    QCOMPARE(ui(w).readingList->item(2)->text(), QStringLiteral("ERRDATA!!!")); // keeps its place
    QCOMPARE(ui(w).readingList->item(3)->text(), QStringLiteral("07-26 14:03:09    0203"));
    QCOMPARE(ui(w).viewBar->value(), 14);
    QCOMPARE(ui(w).hourLabel->text(), QStringLiteral("07-26 14"));
    ui(w).viewBar->setValue(20);
    QCOMPARE(w->view().hour(), 20);
    QTest::mouseClick(ui(w).readingList->viewport(), Qt::LeftButton, {},
        ui(w).readingList->visualItemRect(ui(w).readingList->item(0)).center());
    QCOMPARE(w->view().hour(), 14); // back to the group's first hour
    QCOMPARE(ui(w).viewBar->value(), 14); // and the bar says so
}

void TstForm1::groupsBeyondTheTable()
{
    TestWindow w;
    w.show(timeData(5, 9));
    for (int g : {1, 5, 7}) {
        ui(w).groupBar->setValue(g);
        QCOMPARE(ui(w).groupLabel->text(), QString::number(g));
        QCOMPARE(ui(w).readingList->count(), 0);
        QCOMPARE(w->view().hour(), 0);
        QCOMPARE(ui(w).hourLabel->text(), QStringLiteral("00-00 00"));
    }
    ui(w).groupBar->setValue(0);
    QCOMPARE(ui(w).readingList->count(), 5);
}

void TstForm1::scrollBars()
{
    TestWindow w;
    ui(w).viewBar->setValue(100); // nothing loaded: only the picture is redrawn
    QCOMPARE(w->view().start, 0);
    w.show(sequenceData(3840, 500));
    ui(w).viewBar->setValue(372);
    QCOMPARE(w->view().seqStart(), 3720);
    w.show(timeData(3, 9));
    ui(w).viewBar->setValue(371);
    QCOMPARE(ui(w).viewBar->maximum(), 23);
    QCOMPARE(w->view().hour(), 23);

    w.show(sequenceData(100, 500));
    ui(w).groupBar->setValue(3); // the group selector does nothing for sequence data
    QCOMPARE(ui(w).groupLabel->text(), QStringLiteral("0"));
    QCOMPARE(ui(w).readingList->count(), 100);
    ui(w).portButton->click();
    QCOMPARE(w->instrument().commPort(), 2);
    ui(w).portButton->click();
    QCOMPARE(ui(w).portButton->text(), QStringLiteral("COM 1"));
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
    const QPoint handleBefore = partOf(ui(w).scaleBar, QStyle::SC_ScrollBarSlider);
    QTest::mouseClick(ui(w).scaleBar, Qt::LeftButton, {}, partOf(ui(w).scaleBar, QStyle::SubControl(part)));
    QCOMPARE(w->drawingLayer(), scaleLayer(*w.form, ybase)); // the captions say so
    QCOMPARE(w->view().ybase, ybase);
    // The handle moves towards the top as the base rises, like the arrows.
    const QPoint handleAfter = partOf(ui(w).scaleBar, QStyle::SC_ScrollBarSlider);
    QCOMPARE(handleAfter.y() < handleBefore.y(), ybase > 800);
    // The keys agree with the arrows.
    QTest::keyClick(ui(w).scaleBar, ybase > 800 ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(w->view().ybase, ybase + (ybase > 800 ? 100 : -100));
}

void TstForm1::picturesShow()
{
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    // Below the chart lies only the background picture, never a flat colour.
    const QImage shot = w->grab().toImage();
    QVERIFY(hasColourOtherThan(shot.copy(400, 660, 300, 50), QColor(shot.pixel(400, 660))));
    const QImage plug = ui(w).plugButton->grab().toImage();
    QVERIFY(hasColourOtherThan(plug.copy(10, 10, plug.width() - 20, plug.height() - 20), QColor(192, 192, 192)));
}

void TstForm1::statusTextsFit()
{
    TestWindow w("/dev/zq-test-port");
    for (const char *utf8 :
        {"COM Test Begin", "在线测温开启", "COM ERR", "No DATAS", "Err DATAS", "3840", "0293", "----"}) {
        const QString text = QString::fromUtf8(utf8);
        w->showStatus(text);
        const QFontMetrics fm(ui(w).statusLabel->font());
        QVERIFY2(fm.horizontalAdvance(ui(w).statusLabel->text()) <= ui(w).statusLabel->contentsRect().width(),
            qPrintable(text));
        QVERIFY(fm.height() <= ui(w).statusLabel->contentsRect().height());
        QVERIFY(
            ui(w).statusLabel->toolTip().contains(text) && ui(w).statusLabel->toolTip().contains("/dev/zq-test-port"));
        if (text.size() <= 4)
            QCOMPARE(ui(w).statusLabel->font().pointSizeF(), 12.0); // as designed where it fits
    }
}

QTEST_MAIN(TstForm1)
#include "tst_form1.moc"
