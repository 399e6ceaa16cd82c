// 工艺分析 as a person uses it: opened with F3, a recipe typed in, the band on
// the chart, the verdict, the figures following the group, recipes saved
// and remembered.
#include "archive/archive.h"
#include "chart/guides.h"
#include "core/analysisformat.h"
#include "core/datafile.h"
#include "support/runs.h"
#include "support/window.h"
#include "window/analysiswindow.h"
#include "window/chartbox.h"

#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

namespace {
// The field after the form's label, as a person finds it.
QLineEdit *field(AnalysisWindow *w, const QString &label)
{
    for (QLabel *l : w->findChildren<QLabel *>())
        if (l->text() == label)
            return qobject_cast<QLineEdit *>(l->buddy());
    return nullptr;
}

void type(AnalysisWindow *w, const QString &label, const QString &text)
{
    QLineEdit *edit = field(w, label);
    QVERIFY2(edit, qPrintable(label));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // Chinese arrives from the input method as a committed string.
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClicks(edit, QString(c));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(edit, &commit);
        }
    }
}

bool rowHas(const QImage &chart, int y, const QColor &colour)
{
    for (int x = 0; x < chart.width(); ++x)
        if (QColor(chart.pixel(x, y)) == colour)
            return true;
    return false;
}

} // namespace

class TstAnalysisWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bandOnTheChart();
    void verdictAndCopy();
    void followsTheGroupAndTheRecord();
    void recipesSavedAndRemembered();
    void processReport();
};

void TstAnalysisWindow::bandOnTheChart()
{
    QTemporaryDir recipes;
    TestWindow w;
    w->setRecipeFolder(recipes.path());
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    w.show(sequenceData(3840, 710));
    QTest::keyClick(w.form.get(), Qt::Key_F3);
    auto *a = w->findChild<AnalysisWindow *>();
    QVERIFY(a && a->isVisible());
    type(a, "设定温度 ℃", "700");
    type(a, "下公差 ℃", "10");
    type(a, "上公差 ℃", "20");
    type(a, "温度阈值 ℃", "500");
    // At base 800: 690 at row 110, 720 at row 80, 500 at row 300; the curve at 710 (row 90) stays on top.
    const QImage chart = ui(w).chartBox->image();
    QVERIFY(rowHas(chart, 110, zq::kBandColour) && rowHas(chart, 80, zq::kBandColour));
    QVERIFY(rowHas(chart, 300, zq::kThresholdColour));
    QVERIFY(!rowHas(chart, 111, zq::kBandColour) && !rowHas(chart, 90, zq::kBandColour));
    // The scale raised a step with the keyboard: every line follows.
    ui(w).scaleBar->setFocus();
    QTest::keyClick(ui(w).scaleBar, Qt::Key_Up);
    QCOMPARE(w->view().ybase, 900);
    const QImage raised = ui(w).chartBox->image();
    QVERIFY(rowHas(raised, 210, zq::kBandColour) && rowHas(raised, 180, zq::kBandColour));
    QVERIFY(!rowHas(raised, 110, zq::kBandColour)); // nothing left where it stood
}

void TstAnalysisWindow::verdictAndCopy()
{
    QTemporaryDir recipes;
    TestWindow w;
    w->setRecipeFolder(recipes.path());
    w.show(soak());
    AnalysisWindow *a = w->showAnalysis();
    type(a, "设定温度 ℃", "850");
    type(a, "下公差 ℃", "10");
    type(a, "上公差 ℃", "10");
    type(a, "最大超调 ℃", "10");
    QCOMPARE(a->verdictText(), QStringLiteral("PASS"));
    type(a, "最短保温", "1m");
    QCOMPARE(a->verdictText(), QStringLiteral("FAIL：最短保温"));
    QCOMPARE(figure(a, "最长连续保温"), QStringLiteral("59 s"));
    // The same figures as the process check gives for this record and recipe.
    const zq::Recipe recipe = a->recipe();
    QCOMPARE(a->figuresTsv(), zq::figuresTsv(zq::figureRows(zq::analyze(soak(), recipe), soak())));
    a->copyFigures();
    QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("最长连续保温\t59 s")));
}

void TstAnalysisWindow::followsTheGroupAndTheRecord()
{
    QTemporaryDir recipes;
    TestWindow w;
    w->setRecipeFolder(recipes.path());
    w.show(timeData(720, 9));
    AnalysisWindow *a = w->showAnalysis();
    QCOMPARE(figure(a, "读数"), QStringLiteral("720"));
    ui(w).groupBar->setValue(1); // an empty group
    QCOMPARE(figure(a, "读数"), QString());
    QCOMPARE(a->figures->item(0, 1)->text(), QStringLiteral("没有读数"));
    ui(w).groupBar->setValue(0);
    QCOMPARE(figure(a, "读数"), QStringLiteral("720"));
    w.show(timeData(30, 9));
    QCOMPARE(figure(a, "读数"), QStringLiteral("30"));
}

void TstAnalysisWindow::recipesSavedAndRemembered()
{
    QTemporaryDir recipes;
    {
        TestWindow w;
        w->setRecipeFolder(recipes.path());
        w->useSettingsFile(recipes.filePath("settings.ini"));
        AnalysisWindow *a = w->showAnalysis();
        type(a, "名称", "淬火 850℃");
        type(a, "设定温度 ℃", "850");
        type(a, "下公差 ℃", "10");
        type(a, "上公差 ℃", "10");
        type(a, "最短保温", "55m");
        QVERIFY(a->saveRecipe());
        QVERIFY(QFile::exists(recipes.filePath("淬火 850℃.json")));
    }
    TestWindow later;
    later->setRecipeFolder(recipes.path());
    later->useSettingsFile(recipes.filePath("settings.ini"));
    AnalysisWindow *a = later->showAnalysis();
    QCOMPARE(a->recipe().name, QStringLiteral("淬火 850℃")); // the last one used
    QCOMPARE(field(a, "最短保温")->text(), QStringLiteral("55m"));
    QVERIFY(a->recipeBox->findText(QStringLiteral("淬火 850℃")) >= 0);
    // A file spoiled by hand is refused with its name and the reason.
    QFile spoiled(recipes.filePath("bad.json"));
    QVERIFY(spoiled.open(QIODevice::WriteOnly) && spoiled.write("{\"band\": ") > 0);
    spoiled.close();
    QVERIFY(!a->chooseRecipe(recipes.filePath("bad.json")));
    QVERIFY(a->problemLabel->text().contains("bad.json") && a->problemLabel->text().contains("JSON"));
}

void TstAnalysisWindow::processReport()
{
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(soak()));
    write(dir.filePath("需填.json"), R"({"name": "需填", "band": {"setpoint": 850, "below": 10, "above": 10},
        "criteria": {"minSoak": "59s"}, "required": ["operator"]})");
    TestWindow w;
    w->setRecipeFolder(dir.path());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    w->openDataFile(dir.filePath("run.ZQ"));
    AnalysisWindow *a = w->showAnalysis();
    QVERIFY(a->chooseRecipe(QStringLiteral("需填")));
    auto *button = a->findChild<QPushButton *>(QStringLiteral("processReport"));
    // The recipe asks for the operator, and nobody has said who it was.
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY2(w.dialogs->lastText().contains(QStringLiteral("操作员")), qPrintable(w.dialogs->lastText()));
    QString error;
    const QString sha = zq::Archive::sha256Of(readAll(dir.filePath("run.ZQ")));
    QVERIFY(w->archive()->setFields(sha, {QStringLiteral("王"), {}, {}, {}, {}}, &error));
    // No printer here: a PDF, as PRINT offers.
    QTest::keyClicks(a->findChild<QLineEdit *>(QStringLiteral("company")), "ACME");
    w.dialogs->answers = {QMessageBox::Yes};
    w.dialogs->paths = {dir.filePath("report")};
    QTest::mouseClick(button, Qt::LeftButton);
    const QString content = pdfText(dir.filePath("report.pdf"));
    for (const QString &expected :
        {QStringLiteral("ACME"), QStringLiteral("王"), QStringLiteral("PASS"), QStringLiteral("run.ZQ"),
            QStringLiteral("SHA-256 ") + zq::shortFingerprint(sha), QStringLiteral("档案中有此文件，非下载所得")})
        QVERIFY2(content.contains(expected), qPrintable(expected + "\n" + content));
}

QTEST_MAIN(TstAnalysisWindow)
#include "tst_analysiswindow.moc"
