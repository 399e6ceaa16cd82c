// The whole run in 工艺分析, a range dragged across it or across the chart
// with Shift, and a reference behind the run, as a person works with them.
#include "chart/runchart.h"
#include "core/datafile.h"
#include "support/runs.h"
#include "support/window.h"
#include "window/analysiswindow.h"
#include "window/chartbox.h"
#include "window/runchartbox.h"

#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

namespace {
// Readings 300, 301, … one a reading.
zq::Record ramp(int n)
{
    QVector<int16_t> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = int16_t(300 + i);
    return zq::Record::sequence(v);
}

// The reading under pixel x of the whole-run chart, worked out from its
// frame: 48 px left margin, 8 right, readings 0…n−1 across.
int readingUnder(const RunChartBox *box, int x, int n)
{
    return qRound(double(x - 48) / (box->width() - 56) * (n - 1));
}

AnalysisWindow *openAnalysis(TestWindow &w)
{
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.form.get()))
        return nullptr;
    QTest::keyClick(w.form.get(), Qt::Key_F3);
    auto *a = w->findChild<AnalysisWindow *>();
    return a && QTest::qWaitForWindowExposed(a) ? a : nullptr;
}

// Background blended with the range's light, as the painter lays it.
QColor shaded(const QColor &under)
{
    auto mix = [](int c) { return c + (255 - c) * 40 / 255; };
    return QColor(mix(under.red()), mix(under.green()), mix(under.blue()));
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 1 && qAbs(a.green() - b.green()) <= 1 && qAbs(a.blue() - b.blue()) <= 1;
}
} // namespace

class TstWholeRun : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dragAcrossTheWholeRun();
    void clickMovesTheView();
    void shiftDragOnTheChartAfterAScroll();
    void oneRuleOnBothCharts_data();
    void oneRuleOnBothCharts();
    void referenceBehindTheRun();
};

void TstWholeRun::dragAcrossTheWholeRun()
{
    TestWindow w;
    w.show(ramp(1000));
    AnalysisWindow *a = openAnalysis(w);
    QVERIFY(a);
    RunChartBox *box = a->wholeRun;
    const int y = box->height() / 2, x0 = 48 + (box->width() - 56) / 4, x1 = 48 + (box->width() - 56) / 2;
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, QPoint(x0, y));
    QTest::mouseMove(box, QPoint((x0 + x1) / 2, y));
    QTest::mouseMove(box, QPoint(x1, y));
    QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, QPoint(x1, y));
    QVERIFY(w->range());
    const auto [first, last] = *w->range();
    QCOMPARE(first, readingUnder(box, x0, 1000));
    QCOMPARE(last, readingUnder(box, x1, 1000));
    // Reading i is 300 + i: ΔT is the span, the rate 1 ℃ a reading, the mean half-way.
    QCOMPARE(figure(a, "选区 Δ读数"), QStringLiteral("%1 读数").arg(last - first));
    QCOMPARE(figure(a, "选区 ΔT"), QString::number(last - first));
    QCOMPARE(figure(a, "选区 平均速率（最小二乘）"), QStringLiteral("1.00"));
    QCOMPARE(figure(a, "选区 平均"), QString::number(300 + (first + last) / 2.0, 'f', 1));
    QCOMPARE(figure(a, "峰值"), QStringLiteral("1299")); // the whole run's figures stay
    // Esc in either window clears it from both.
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(!w->range());
    QVERIFY(figure(a, "选区 ΔT").isEmpty());
}

void TstWholeRun::clickMovesTheView()
{
    TestWindow w;
    w.show(ramp(1000));
    AnalysisWindow *a = openAnalysis(w);
    QVERIFY(a);
    // Whole on the screen, whatever its size and where the main window stands.
    QVERIFY2(a->screen()->availableGeometry().contains(a->frameGeometry()),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(a->x()).arg(a->y()).arg(a->width()).arg(a->height())));
    const int x = 48 + (a->wholeRun->width() - 56) * 3 / 4;
    QTest::mouseClick(a->wholeRun, Qt::LeftButton, Qt::NoModifier, QPoint(x, 50));
    // Through the scroll bar: tens of readings.
    QCOMPARE(ui(w).viewBar->value(), readingUnder(a->wholeRun, x, 1000) / 10);
    QCOMPARE(w->view().start, ui(w).viewBar->value());
}

void TstWholeRun::shiftDragOnTheChartAfterAScroll()
{
    TestWindow w;
    w.show(sequenceData(600, 650));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    ui(w).viewBar->setValue(20); // readings 200 … 320
    const QImage before = ui(w).chartBox->image();
    // Columns 60 and 180: readings 210 and 230.
    QTest::mousePress(ui(w).chartBox, Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 300));
    QTest::mouseMove(ui(w).chartBox, QPoint(180, 300));
    QTest::mouseRelease(ui(w).chartBox, Qt::LeftButton, Qt::ShiftModifier, QPoint(180, 300));
    QCOMPARE(w->range(), (std::optional<std::pair<int, int>>{{210, 230}}));
    const QImage after = ui(w).chartBox->image();
    for (int x : {61, 123, 179})
        QVERIFY2(
            near(QColor(after.pixel(x, 300)), shaded(QColor(before.pixel(x, 300)))), qPrintable(QString::number(x)));
    for (int x : {58, 182, 400})
        QCOMPARE(QColor(after.pixel(x, 300)), QColor(before.pixel(x, 300)));
    // A cursor at each end.
    QCOMPARE(QColor(after.pixel(60, 300)), QColor(Qt::white));
    QCOMPARE(QColor(after.pixel(180, 300)), QColor(Qt::white));
    // Scrolled on, the range's rest still lies at the left edge.
    ui(w).viewBar->setValue(22); // readings 220 …: 230 at column 60
    QVERIFY(near(QColor(ui(w).chartBox->image().pixel(30, 300)), shaded(QColor(before.pixel(30, 300)))));
    QCOMPARE(QColor(ui(w).chartBox->image().pixel(60, 300)), QColor(Qt::white));
    QVERIFY(QColor(ui(w).chartBox->image().pixel(0, 300)) != QColor(Qt::white)); // its first end is out of view
    QCOMPARE(QColor(ui(w).chartBox->image().pixel(62, 300)), QColor(before.pixel(62, 300)));
    // A plain click outside lets it go.
    QTest::mouseClick(ui(w).chartBox, Qt::LeftButton, Qt::NoModifier, QPoint(400, 300));
    QVERIFY(!w->range());
}

void TstWholeRun::oneRuleOnBothCharts_data()
{
    QTest::addColumn<bool>("whole"); // on the whole run, else on the main chart (with Shift)
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("from"); // readings under the press and the release
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("pixels"); // the release this far right of the press
    QTest::addColumn<bool>("kept"); // readings 20 … 60 still chosen
    for (const bool whole : {false, true}) {
        const QString chart = whole ? "whole run, " : "main chart, ";
        QTest::newRow(qPrintable(chart + "click inside")) << whole << "mouse" << 40 << 40 << 0 << true;
        QTest::newRow(qPrintable(chart + "click outside")) << whole << "mouse" << 100 << 100 << 0 << false;
        // Fewer pixels than a drag takes are a click, on either chart.
        QTest::newRow(qPrintable(chart + "3 px outside")) << whole << "mouse" << 100 << 100 << 3 << false;
        QTest::newRow(qPrintable(chart + "drag")) << whole << "mouse" << 70 << 90 << 0 << false;
        QTest::newRow(qPrintable(chart + "Esc")) << whole << "Esc" << 0 << 0 << 0 << false;
    }
}

void TstWholeRun::oneRuleOnBothCharts()
{
    QFETCH(bool, whole);
    QFETCH(QString, gesture);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, pixels);
    QFETCH(bool, kept);
    TestWindow w;
    w.show(ramp(1000));
    AnalysisWindow *a = openAnalysis(w);
    QVERIFY(a);
    QWidget *chart = whole ? static_cast<QWidget *>(a->wholeRun) : ui(w).chartBox;
    // Six columns a reading on the main chart from reading 0; the whole run's frame as above.
    auto column
        = [&](int reading) { return whole ? 48 + qRound(reading * (a->wholeRun->width() - 56) / 999.0) : 6 * reading; };
    auto readingAt = [&](int x) { return whole ? readingUnder(a->wholeRun, x, 1000) : qRound(x / 6.0); };
    w->selectRange(20, 60);
    const Qt::KeyboardModifiers shift = whole ? Qt::NoModifier : Qt::ShiftModifier;
    const int y = chart->height() / 2, x0 = column(from), x1 = column(to) + pixels;
    if (gesture == "Esc") {
        QTest::keyClick(chart, Qt::Key_Escape);
    } else {
        QTest::mousePress(chart, Qt::LeftButton, shift, QPoint(x0, y));
        QTest::mouseMove(chart, QPoint(x1, y));
        QTest::mouseRelease(chart, Qt::LeftButton, shift, QPoint(x1, y));
    }
    std::optional<std::pair<int, int>> expected;
    if (kept)
        expected = std::pair{20, 60};
    else if (x1 - x0 >= 4)
        expected = std::pair{readingAt(x0), readingAt(x1)};
    QCOMPARE(w->range(), expected);
}

void TstWholeRun::referenceBehindTheRun()
{
    QTemporaryDir dir;
    write(dir.filePath("last-week.ZQ"), zq::dataFileBytes(sequenceData(600, 700)));
    TestWindow w;
    w.show(sequenceData(600, 650));
    AnalysisWindow *a = openAnalysis(w);
    QVERIFY(a);
    w.dialogs->paths = {dir.filePath("last-week.ZQ")};
    QMenu *menu = rightClick(ui(w).chartBox);
    QVERIFY(menu);
    for (QAction *action : menu->actions())
        if (action->text() == QStringLiteral("参考曲线…"))
            action->trigger();
    menu->close();
    ui(w).viewBar->setValue(20);
    // 700 at base 800 stands at row 100, faint, behind the run at 650 (row 150).
    const QImage chart = ui(w).chartBox->image();
    QCOMPARE(QColor(chart.pixel(123, 100)), zq::kReferenceColour);
    QCOMPARE(QColor(chart.pixel(123, 150)), QColor(255, 22, 22));
    QMouseEvent move(QEvent::MouseMove, QPointF(120, 200), ui(w).chartBox->mapToGlobal(QPointF(120, 200)), Qt::NoButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(ui(w).chartBox, &move);
    QTRY_VERIFY2(ui(w).chartBox->readoutText().endsWith(QStringLiteral("参考 700.0  差 -50.0")),
        qPrintable(ui(w).chartBox->readoutText()));
    QCOMPARE(figure(a, "参考 最大差（本次 − 参考）"), QStringLiteral("-50.0"));
    QCOMPARE(figure(a, "参考 比较的读数"), QStringLiteral("600"));
}

QTEST_MAIN(TstWholeRun)
#include "tst_wholerun.moc"
