// 工艺分析's verdict as a person meets it: typed fields, a typo that leaves
// no verdict, the verdict recorded only when asked for (and then in the
// archive's file, with the recipe it was judged by), and the banner as drawn.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/runs.h"
#include "support/window.h"
#include "window/analysiswindow.h"
#include "window/runchartbox.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

namespace {
QLineEdit *field(QWidget *w, const QString &name)
{
    return w->findChild<QLineEdit *>(name);
}

void type(QWidget *w, const QString &name, const QString &text)
{
    QLineEdit *edit = field(w, name);
    QVERIFY2(edit, qPrintable(name));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// The run's row as the archive file holds it, read by a second connection.
zq::RunRow stored(const QString &archivePath, const QString &sha)
{
    zq::Archive archive;
    QString error;
    if (!archive.open(archivePath, &error))
        qWarning() << error;
    return archive.run(sha, &error).value_or(zq::RunRow{});
}

QColor bannerColour(AnalysisWindow *a)
{
    const QImage shot = a->grab().toImage();
    const QLabel *banner = a->findChild<QLabel *>(QStringLiteral("verdict"));
    const QPoint at = banner->mapTo(a, QPoint(2, banner->height() / 2)) * shot.devicePixelRatio();
    return shot.pixelColor(at);
}

struct Opened
{
    TestWindow w;
    QTemporaryDir dir;
    QString sha;
    AnalysisWindow *a = nullptr;
};

// The soak run opened from a file, 工艺分析 open with a band and a minimum soak it fails.
void open(Opened &o)
{
    write(o.dir.filePath("run.ZQ"), zq::dataFileBytes(soak()));
    o.sha = zq::Archive::sha256Of(readAll(o.dir.filePath("run.ZQ")));
    o.w->setRecipeFolder(o.dir.path());
    o.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(o.w.form.get()));
    o.w->openDataFile(o.dir.filePath("run.ZQ"));
    o.a = o.w->showAnalysis();
    QVERIFY(QTest::qWaitForWindowExposed(o.a));
    for (const auto &[name, text] :
        {std::pair{"setpoint", "850"}, {"below", "10"}, {"above", "10"}, {"maxOvershoot", "10"}, {"minSoak", "1m"}})
        type(o.a, name, text);
}
} // namespace

class TstVerdict : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typoLeavesNoVerdict_data();
    void typoLeavesNoVerdict();
    void recordedWhenAskedFor();
    void bannerAndFiguresAsDrawn();
};

void TstVerdict::typoLeavesNoVerdict_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mended");
    for (const auto &[row, name, text, mended] :
        {std::tuple{"minutes misspelt", "minSoak", "90min", "1m"}, {"overshoot in words", "maxOvershoot", "ten", "10"},
            {"overshoot not a number", "maxOvershoot", "nan", "10"},
            {"a threshold", "thresholds", "500, 8OO", "500, 800"}, {"setpoint with a letter", "setpoint", "85O", "850"},
            {"rate window", "rateWindow", "1 minute", "60s"}})
        QTest::newRow(row) << QString(name) << QString(text) << QString(mended);
}

void TstVerdict::typoLeavesNoVerdict()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, mended);
    Opened o;
    open(o);
    QCOMPARE(o.a->verdictText(), QStringLiteral("FAIL：最短保温"));
    type(o.a, name, text);
    // Marked where it stands, named in the banner, and nothing to record or print.
    const QImage shot = field(o.a, name)->grab().toImage();
    QCOMPARE(shot.pixelColor(shot.width() - 6, shot.height() / 2), QColor(255, 214, 214));
    QVERIFY2(o.a->verdictText().startsWith(QStringLiteral("无结论：")), qPrintable(o.a->verdictText()));
    QVERIFY2(o.a->verdictText().contains(text.trimmed()), qPrintable(o.a->verdictText()));
    QCOMPARE(bannerColour(o.a), QColor(110, 110, 110));
    auto *record = o.a->findChild<QPushButton *>(QStringLiteral("recordVerdict"));
    QVERIFY(record && !record->isEnabled());
    o.w.dialogs->answers = {QMessageBox::Yes};
    o.w.dialogs->paths = {o.dir.filePath("report.pdf")};
    QTest::mouseClick(o.a->findChild<QPushButton *>(QStringLiteral("processReport")), Qt::LeftButton);
    QVERIFY(!QFile::exists(o.dir.filePath("report.pdf")));
    QVERIFY2(o.w.dialogs->lastText().contains(QStringLiteral("没有结论")), qPrintable(o.w.dialogs->lastText()));
    QCOMPARE(stored(o.w.settings.filePath("archive.sqlite"), o.sha).verdict, QString());
    // Mended, the verdict is back and the mark gone.
    type(o.a, name, mended);
    const QImage good = field(o.a, name)->grab().toImage();
    QVERIFY(good.pixelColor(good.width() - 6, good.height() / 2) != QColor(255, 214, 214));
    QCOMPARE(o.a->verdictText(), QStringLiteral("FAIL：最短保温"));
    QVERIFY(record->isEnabled());
}

void TstVerdict::recordedWhenAskedFor()
{
    Opened o;
    open(o);
    const QString archive = o.w.settings.filePath("archive.sqlite");
    // Typing judges on screen but records nothing.
    QCOMPARE(o.a->verdictText(), QStringLiteral("FAIL：最短保温"));
    QCOMPARE(stored(archive, o.sha).verdict, QString());
    auto *button = o.a->findChild<QPushButton *>(QStringLiteral("recordVerdict"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->text(), QStringLiteral("已记录"));
    zq::RunRow row = stored(archive, o.sha);
    QCOMPARE(row.verdict, QStringLiteral("FAIL"));
    QVERIFY2(row.recipe.contains(QStringLiteral("\"minSoak\":\"1m\"")), qPrintable(row.recipe));
    // Edited afterwards, the record keeps what was asked for until asked again.
    type(o.a, "minSoak", "59s");
    QCOMPARE(o.a->verdictText(), QStringLiteral("PASS"));
    QCOMPARE(button->text(), QStringLiteral("记录结论"));
    QCOMPARE(stored(archive, o.sha).verdict, QStringLiteral("FAIL"));
    // Making the report records the verdict it prints.
    o.w.dialogs->answers = {QMessageBox::Yes};
    o.w.dialogs->paths = {o.dir.filePath("report.pdf")};
    QTest::mouseClick(o.a->findChild<QPushButton *>(QStringLiteral("processReport")), Qt::LeftButton);
    QVERIFY(QFile::exists(o.dir.filePath("report.pdf")));
    row = stored(archive, o.sha);
    QCOMPARE(row.verdict, QStringLiteral("PASS"));
    QVERIFY2(row.recipe.contains(QStringLiteral("\"minSoak\":\"59s\"")), qPrintable(row.recipe));
}

void TstVerdict::bannerAndFiguresAsDrawn()
{
    Opened o;
    open(o);
    AnalysisWindow *a = o.a;
    // First of all, above the chart and the form.
    const QLabel *banner = a->findChild<QLabel *>(QStringLiteral("verdict"));
    QVERIFY(banner->mapTo(a, QPoint(0, banner->height())).y() <= a->wholeRun->mapTo(a, QPoint(0, 0)).y());
    QCOMPARE(a->verdictText(), QStringLiteral("FAIL：最短保温"));
    QCOMPARE(bannerColour(a), QColor(190, 0, 0));
    type(a, "minSoak", "59s");
    QCOMPARE(a->verdictText(), QStringLiteral("PASS"));
    QCOMPARE(bannerColour(a), QColor(0, 128, 0));
    type(a, "schedule", "20; +10/min->850; 60m; -5/min->200");
    QLineEdit *schedule = field(a, "schedule");
    QVERIFY2(schedule->fontMetrics().horizontalAdvance(schedule->text()) + 12 <= schedule->width(),
        qPrintable(QString::number(schedule->width())));
    // Every figure whole in its cell (wrapped if need be), and every column in view.
    QTableWidget *t = a->figures;
    int total = 0;
    for (int c = 0; c < t->columnCount(); ++c) {
        const int room = t->columnWidth(c) - 6; // the delegate's margins
        for (int r = 0; r < t->rowCount(); ++r) {
            const QRect need
                = t->fontMetrics().boundingRect(QRect(0, 0, room, 10000), Qt::TextWordWrap, t->item(r, c)->text());
            QVERIFY2(need.width() <= room && need.height() <= t->rowHeight(r),
                qPrintable(QStringLiteral("%1: %2x%3 in %4x%5")
                               .arg(t->item(r, c)->text())
                               .arg(need.width())
                               .arg(need.height())
                               .arg(room)
                               .arg(t->rowHeight(r))));
        }
        QVERIFY(t->horizontalHeader()->fontMetrics().horizontalAdvance(t->horizontalHeaderItem(c)->text()) <= room);
        total += t->columnWidth(c);
    }
    QVERIFY2(
        total <= t->viewport()->width(), qPrintable(QStringLiteral("%1 in %2").arg(total).arg(t->viewport()->width())));
    QVERIFY(!t->horizontalScrollBar()->isVisible());
    // No text cut at the window's size.
    for (QWidget *w : a->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(a) || (!qobject_cast<QLabel *>(w) && !qobject_cast<QAbstractButton *>(w)))
            continue;
        const auto *label = qobject_cast<QLabel *>(w);
        if (label && label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
        else
            QVERIFY2(w->sizeHint().width() <= w->width(), qPrintable(w->objectName() + w->property("text").toString()));
    }
}

QTEST_MAIN(TstVerdict)
#include "tst_verdict.moc"
