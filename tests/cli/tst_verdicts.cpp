// zqcli analyze and export as a script runs them: verdicts a metallurgist
// would sign, ranges that hold readings, values that are numbers.
#include "core/datafile.h"
#include "support/line.h"
#include "support/runs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

class TstVerdicts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void verdicts_data();
    void verdicts();
    void ranges_data();
    void ranges();
    void recipesOfTheWrongShape();
    void notesStandAtAReading_data();
    void notesStandAtAReading();
};

void TstVerdicts::verdicts_data()
{
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("verdict"); // in the JSON; "-" for none
    const QStringList band{"--setpoint", "850", "--tol", "10", "--archive", "ARCHIVE"};
    QTest::newRow("900 for an hour never enters the band")
        << QVector<int>(61, 900) << band + QStringList{"--max-overshoot", "5"} << 3 << "FAIL";
    QTest::newRow("a jump over the band overshoots") << (QVector<int>{830, 880, 876, 870, 862} + QVector<int>(30, 850))
                                                     << band + QStringList{"--max-overshoot", "5"} << 3 << "FAIL";
    QTest::newRow("66 minutes meet 1.1h") << (QVector<int>{800} + QVector<int>(67, 850) + QVector<int>{800})
                                          << band + QStringList{"--min-soak", "1.1h"} << 0 << "PASS";
    QTest::newRow("nan as a tolerance") << QVector<int>(61, 900)
                                        << QStringList{"--setpoint", "850", "--tol", "nan", "--max-overshoot", "5"} << 2
                                        << "";
    QTest::newRow("inf as a limit") << QVector<int>(61, 900)
                                    << QStringList{"--setpoint", "850", "--tol", "5", "--max-overshoot", "inf"} << 2
                                    << "";
    QTest::newRow("nan as a threshold") << QVector<int>(61, 900) << QStringList{"--threshold", "nan"} << 2 << "";
    QTest::newRow("an unreadable file wins over a FAIL")
        << QVector<int>(61, 900) << band + QStringList{"--max-overshoot", "5", "MISSING.ZQ"} << 1 << "FAIL";
}

void TstVerdicts::verdicts()
{
    QFETCH(QVector<int>, values);
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(QString, verdict);
    QTemporaryDir dir;
    const QString file = fileOf(dir, "run.ZQ", everyMinute(values));
    options.replaceInStrings("ARCHIVE", dir.filePath("archive.sqlite"));
    const Run run = zqcli(QStringList{"analyze", "--format", "json", file} + options);
    QCOMPARE(run.code, code);
    if (verdict.isEmpty())
        return;
    const QJsonObject check = QJsonDocument::fromJson(run.out.toUtf8()).array().at(0).toObject();
    QCOMPARE(check.value("verdict").toString(), verdict);
}

void TstVerdicts::ranges_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("range");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said"); // on stderr
    QTest::addColumn<int>("lines"); // of the export, or the range's readings in the JSON
    // 407 readings, 0 … 406.
    for (const char *command : {"analyze", "export"}) {
        QTest::newRow(qPrintable(QString("%1: wholly past the end").arg(command)))
            << command << QStringList{"--first", "5000", "--last", "6000"} << 2 << "共 407 个读数" << 0;
        QTest::newRow(qPrintable(QString("%1: partly past the end").arg(command)))
            << command << QStringList{"--first", "400", "--last", "500"} << 0 << "截至最后一个读数 406" << 7;
        QTest::newRow(qPrintable(QString("%1: one reading").arg(command)))
            << command << QStringList{"--first", "17", "--last", "17"} << 0 << "" << 1;
    }
}

void TstVerdicts::ranges()
{
    QFETCH(QString, command);
    QFETCH(QStringList, range);
    QFETCH(int, code);
    QFETCH(QString, said);
    QFETCH(int, lines);
    QTemporaryDir dir;
    QVector<int> values(407);
    std::iota(values.begin(), values.end(), 100);
    const QString file = fileOf(dir, "run.ZQ", everyMinute(values));
    const QStringList how = command == "analyze"
        ? QStringList{"--format", "json", "--archive", dir.filePath("a.sqlite")}
        : QStringList{"--format", "csv", "-o", dir.filePath("run.csv")};
    const Run run = zqcli(QStringList{command, file} + how + range);
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    if (code != 0) {
        QVERIFY(!QFile::exists(dir.filePath("run.csv")));
        return;
    }
    if (command == "analyze") {
        const QJsonObject check = QJsonDocument::fromJson(run.out.toUtf8()).array().at(0).toObject();
        QCOMPARE(check.value("readings").toInt(), lines);
        QCOMPARE(check.value("range").toObject().value("cut").toBool(), !said.isEmpty());
    } else {
        // A header and a line a reading.
        QCOMPARE(QString::fromUtf8(readAll(dir.filePath("run.csv"))).trimmed().count('\n'), lines);
    }
}

void TstVerdicts::recipesOfTheWrongShape()
{
    QTemporaryDir dir;
    const QString file = fileOf(dir, "run.ZQ", everyMinute(QVector<int>(61, 900)));
    const QString recipe = dir.filePath("quench.json");
    // A criteria list would once have been dropped, and the run passed with no criteria at all.
    write(recipe, R"({"name": "quench", "band": {"setpoint": 850, "below": 10, "above": 10},
        "criteria": [{"maxOvershoot": 5}]})");
    const Run run = zqcli({"analyze", "--recipe", recipe, file, "--archive", dir.filePath("a.sqlite")});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains("quench.json") && run.err.contains("criteria"), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

void TstVerdicts::notesStandAtAReading_data()
{
    QTest::addColumn<QString>("at");
    QTest::addColumn<int>("code");
    // 61 readings, 0 … 60.
    QTest::newRow("before the run") << "-5" << 2;
    QTest::newRow("past the run") << "99999" << 2;
    QTest::newRow("just past the last") << "61" << 2;
    QTest::newRow("the last") << "60" << 0;
}

void TstVerdicts::notesStandAtAReading()
{
    QFETCH(QString, at);
    QFETCH(int, code);
    QTemporaryDir dir;
    const QString file = fileOf(dir, "run.ZQ", everyMinute(QVector<int>(61, 850)));
    const QString archive = dir.filePath("a.sqlite");
    QCOMPARE(zqcli({"archive", "import", file, "--archive", archive}).code, 0);
    const Run run = zqcli({"archive", "note", file, "--at", at, "--text", "炉门打开", "--archive", archive});
    QCOMPARE(run.code, code);
    const Run shown = zqcli({"archive", "show", file, "--archive", archive});
    QCOMPARE(shown.out.contains("炉门打开"), code == 0);
    if (code != 0)
        QVERIFY2(run.err.contains("it has 61 readings"), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TstVerdicts)
#include "tst_verdicts.moc"
