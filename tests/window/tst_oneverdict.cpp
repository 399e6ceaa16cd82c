// One verdict for one run and recipe, whoever is asked: 工艺分析's banner,
// zqcli analyze and the process report zqcli writes.
#include "core/datafile.h"
#include "support/line.h"
#include "support/needs.h"
#include "support/runs.h"
#include "support/window.h"
#include "window/analysiswindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

class TstOneVerdict : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ZQ_SKIP_WITHOUT(Need::Zqcli); }
    void everyoneSaysTheSame_data();
    void everyoneSaysTheSame();
};

void TstOneVerdict::everyoneSaysTheSame_data()
{
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<QByteArray>("criteria");
    QTest::addColumn<QString>("verdict"); // worked out by hand
    const QVector<int> jumped = QVector<int>{830, 880, 876, 870, 862} + QVector<int>(30, 850);
    const QVector<int> exact = QVector<int>{800} + QVector<int>(67, 850) + QVector<int>{800};
    QTest::newRow("a jump over the band") << jumped << QByteArray(R"({"maxOvershoot": 5})") << "FAIL：最大超调";
    QTest::newRow("never in the band") << QVector<int>(61, 900)
                                       << QByteArray(R"({"maxOvershoot": 5, "minSoak": "10m"})")
                                       << "FAIL：最短保温（未判定）、最大超调（未判定）";
    QTest::newRow("66 minutes against 1.1h") << exact << QByteArray(R"({"minSoak": "1.1h"})") << "PASS";
    QTest::newRow("66 minutes against 67m") << exact << QByteArray(R"({"minSoak": "67m"})") << "FAIL：最短保温";
    QTest::newRow("peaks") << jumped << QByteArray(R"({"minPeak": 850, "maxPeak": 880})") << "PASS";
}

void TstOneVerdict::everyoneSaysTheSame()
{
    QFETCH(QVector<int>, values);
    QFETCH(QByteArray, criteria);
    QFETCH(QString, verdict);
    TestWindow w;
    const QString folder = w.settings.filePath("recipes");
    QVERIFY(QDir().mkpath(folder));
    write(folder + "/check.json",
        R"({"name": "check", "band": {"setpoint": 850, "below": 10, "above": 10}, "criteria": )" + criteria + "}");
    const QString run = w.settings.filePath("run.ZQ");
    write(run, zq::dataFileBytes(everyMinute(values)));

    w->setRecipeFolder(folder);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    w->openDataFile(run);
    AnalysisWindow *a = w->showAnalysis();
    QVERIFY(a->chooseRecipe("check"));
    QCOMPARE(a->verdictText(), verdict);

    const QStringList common{"--recipe", folder + "/check.json", "--archive", w.settings.filePath("cli.sqlite")};
    const Run analyzed = zqcli(QStringList{"analyze", run, "--format", "text"} + common);
    QVERIFY2(analyzed.out.contains(QStringLiteral("结论：") + verdict + "\n"), qPrintable(analyzed.out));
    const QString pdf = w.settings.filePath("run.pdf");
    const Run reported = zqcli(QStringList{"report", run, "--process", "-o", pdf} + common);
    QCOMPARE(reported.code, 0);
    const QString text = pdfText(pdf, {"-layout"}).simplified();
    QVERIFY2(text.contains(verdict), qPrintable(text.left(600)));
}

QTEST_MAIN(TstOneVerdict)
#include "tst_oneverdict.moc"
