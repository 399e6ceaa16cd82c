// The process report of a run judged more than once counts its checks and
// failures on every page, prints who reviewed and approved it or marks it
// 草稿, as the PDF's text shows them; an approved verdict stands against
// later checks; each check's row says what its readings were corrected by,
// beside the links that decide it.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/records.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The PDF's text as a reader sees it, page by page.
QStringList pdfPages(const QString &pdf)
{
    QStringList pages = pdfText(pdf).split(QLatin1Char('\f'));
    pages.removeIf([](const QString &p) { return p.trimmed().isEmpty(); });
    return pages;
}

// A signature's time as the report prints it: local, to the minute.
QString localMinute(const QString &utc)
{
    return QDateTime::fromString(utc, Qt::ISODateWithMs).toLocalTime().toString("yyyy-MM-dd HH:mm");
}

const QStringList kPassing{"--setpoint", "220", "--tol", "30"};
} // namespace

class TstCheckCount : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reportCountsEveryCheck_data();
    void reportCountsEveryCheck();
    void calibrationInTheRunsChain();
    void reportSignsOrMarksDraft_data();
    void reportSignsOrMarksDraft();
    void approvedVerdictStands();
};

void TstCheckCount::reportCountsEveryCheck_data()
{
    QTest::addColumn<QStringList>("verdicts");
    QTest::addColumn<QString>("footer");
    QTest::newRow("FAIL then PASS") << QStringList{"FAIL", "PASS"} << QStringLiteral("此前检查 2 次，其中 FAIL 1 次");
    QTest::newRow("PASS, FAIL, PASS") << QStringList{"PASS", "FAIL", "PASS"}
                                      << QStringLiteral("此前检查 3 次，其中 FAIL 1 次");
    QTest::newRow("judged once") << QStringList{"PASS"} << QString();
}

void TstCheckCount::reportCountsEveryCheck()
{
    QFETCH(QStringList, verdicts);
    QFETCH(QString, footer);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite"), file = dir.filePath("run.ZQ");
    const QByteArray bytes = zq::dataFileBytes(timeData(600));
    write(file, bytes);
    {
        zq::Archive a;
        QString error;
        bool isNew = false;
        QVERIFY2(a.open(path, &error), qPrintable(error));
        const QString sha = a.addRun(bytes, file, &isNew, &error);
        for (const QString &v : verdicts)
            QVERIFY2(a.setVerdict(sha, v, "渗碳", &error), qPrintable(error));
    }
    const QString pdf = dir.filePath("r.pdf");
    const Run run = zqcli(
        {"report", file, "--process", "--readings", "--archive", path, "-o", pdf, "--setpoint", "220", "--tol", "30"});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QStringList pages = pdfPages(pdf);
    QVERIFY(pages.size() > 1);
    for (const QString &page : pages)
        QVERIFY2(footer.isEmpty() ? !page.contains("此前检查") : page.contains(footer), qPrintable(page));
}

void TstCheckCount::calibrationInTheRunsChain()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite"), file = dir.filePath("run.ZQ");
    write(file, zq::dataFileBytes(timeData(40))); // 200 … 239 ℃
    const QString sha = zq::Archive::sha256Of(readAll(file));
    const QStringList add{"calibration", "add-instrument", "--calibrated", "2026-01-10", "--due", "2099-01-10",
        "--points", "100:+1,300:+1", "--cert"};
    const QStringList check{"analyze", file, "--setpoint", "220", "--tol", "50", "--min-soak", "1m"};
    const QStringList set{"archive", "set", file, "--instrument"};
    // Another instrument changes the corrections: a signed run's link needs a reason.
    const QList<std::pair<QStringList, int>> steps{{add + QStringList{"C-SN-1", "SN-1"}, 0},
        {add + QStringList{"C-SN-2", "SN-2"}, 0}, {{"archive", "import", file}, 0}, {set + QStringList{"SN-1"}, 0},
        {check, 0}, {check + QStringList{"--raw"}, 0},
        {{"archive", "approve", sha, "--meaning", "review", "--as", "张"}, 0}, {set + QStringList{"SN-2"}, 1},
        {set + QStringList{"SN-2", "--reason", "换了仪表"}, 0}};
    for (const auto &[args, code] : steps) {
        const Run run = zqcli(args + QStringList{"--archive", path});
        QVERIFY2(run.code == code, qPrintable(args.join(' ') + ": " + run.err));
    }
    // The instrument's own chain: added with its certificate.
    const Run device = zqcli({"archive", "history", "instrument:SN-2", "--archive", path});
    QCOMPARE(device.out.count('\n'), 2);
    QVERIFY2(device.out.contains("\tdevice\t") && device.out.contains(R"("number":"C-SN-2")"), qPrintable(device.out));
    zq::Archive a;
    QString error;
    QVERIFY(a.open(path, &error, nullptr, zq::Archive::Access::ReadOnly));
    QStringList rows;
    for (const zq::HistoryRow &r : a.history(sha, &error))
        if (r.what != QLatin1String("recipe"))
            rows << QStringList{r.what, r.oldValue, r.newValue, r.reason}.join('|');
    QCOMPARE(rows,
        (QStringList{"added|||", "linked_instrument||SN-1|", "verdict||PASS|已修正：仪表 C-SN-1（100:+1,300:+1）",
            "verdict|PASS|PASS|按原始读数判定（未修正）", "review||已审核|", "linked_instrument|SN-1|SN-2|换了仪表",
            "withdrawn|已审核|草稿|换了仪表"}));
}

void TstCheckCount::reportSignsOrMarksDraft_data()
{
    QTest::addColumn<int>("steps"); // -1: not in the archive; 1 reviewed, 2 approved, 3 then edited
    QTest::addColumn<bool>("draft");
    QTest::newRow("not in the archive") << -1 << true;
    QTest::newRow("draft") << 0 << true;
    QTest::newRow("reviewed only") << 1 << true;
    QTest::newRow("approved") << 2 << false;
    QTest::newRow("approved, then edited with a reason") << 3 << true;
}

void TstCheckCount::reportSignsOrMarksDraft()
{
    QFETCH(int, steps);
    QFETCH(bool, draft);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite"), file = dir.filePath("run.ZQ");
    const QByteArray bytes = zq::dataFileBytes(timeData(600));
    write(file, bytes);
    QVector<zq::HistoryRow> rows;
    {
        zq::Archive a;
        QString error;
        bool isNew = false;
        QVERIFY2(a.open(path, &error), qPrintable(error));
        const QString sha = steps < 0 ? QString() : a.addRun(bytes, file, &isNew, &error);
        const bool ok = (steps < 1 || a.sign(sha, "张", zq::Archive::Meaning::Review, "曲线已看", &error))
            && (steps < 2 || a.sign(sha, "李", zq::Archive::Meaning::Approve, QString(), &error))
            && (steps < 3 || a.setFields(sha, {"赵", {}, {}, {}, {}}, &error, "操作者填错"));
        QVERIFY2(ok, qPrintable(error));
        rows = a.history(sha, &error);
    }
    const QString pdf = dir.filePath("r.pdf");
    const Run run
        = zqcli(QStringList{"report", file, "--process", "--readings", "--archive", path, "-o", pdf} + kPassing);
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QStringList pages = pdfPages(pdf);
    QVERIFY(pages.size() > 1);
    for (const QString &page : pages)
        QVERIFY2(page.contains("草稿") == draft, qPrintable(page));
    const QString all = pages.join('\f');
    QCOMPARE(all.contains("批准: "), !draft);
    if (!draft) {
        QVERIFY2(all.contains("审核: 张, " + localMinute(rows[1].at)) && all.contains("曲线已看")
                && all.contains("批准: 李, " + localMinute(rows[2].at)),
            qPrintable(all));
    }
}

void TstCheckCount::approvedVerdictStands()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite"), file = dir.filePath("run.ZQ");
    write(file, zq::dataFileBytes(timeData(600)));
    const QStringList archive{"--archive", path};
    const auto shown = [&] {
        return QJsonDocument::fromJson(zqcli(QStringList{"archive", "show", file} + archive).out.toUtf8()).object();
    };
    QCOMPARE(zqcli(QStringList{"analyze", file, "--min-peak", "240"} + archive).code, 0);
    QCOMPARE(zqcli(QStringList{"archive", "approve", file, "--meaning", "review", "--as", "张"} + archive).code, 0);
    QCOMPARE(zqcli(QStringList{"archive", "approve", file, "--meaning", "approve", "--as", "李"} + archive).code, 0);
    // Judged again, by a higher peak (249 ℃ reached): the check is kept, the approved PASS stands.
    QCOMPARE(zqcli(QStringList{"analyze", file, "--min-peak", "260"} + archive).code, 3);
    QCOMPARE(shown()["verdict"].toString(), QStringLiteral("PASS"));
    QCOMPARE(shown()["failed_checks"].toInt(), 1);
    QVERIFY(zqcli(QStringList{"archive", "list", "--verdict", "pass"} + archive)
                .out.startsWith(shown()["sha256"].toString().left(16)));
    const QString history = zqcli(QStringList{"archive", "history", file} + archive).out;
    QVERIFY2(history.contains("\tverdict\tPASS -> FAIL"), qPrintable(history));
    const QString pdf = dir.filePath("r.pdf");
    QCOMPARE(zqcli(QStringList{"report", file, "--process", "--archive", path, "-o", pdf} + kPassing).code, 0);
    QVERIFY(pdfPages(pdf).join('\f').contains("此前检查 2 次，其中 FAIL 1 次"));
    // A sync lays the server's copy of the run over this one: the approved verdict still stands.
    const QString recipe = shown()["recipe"].toString();
    {
        zq::Archive a;
        QString error;
        QVERIFY(a.open(path, &error));
        zq::RunRow fromServer = *a.run(shown()["sha256"].toString(), &error);
        fromServer.verdict = QStringLiteral("FAIL");
        fromServer.recipe = QStringLiteral("另一配方");
        QVERIFY2(a.merge({fromServer}, &error), qPrintable(error));
    }
    QCOMPARE(shown()["verdict"].toString() + shown()["recipe"].toString(), "PASS" + recipe);
    // An edit withdraws the approval: the latest check is the run's verdict again.
    QCOMPARE(zqcli(QStringList{"archive", "set", file, "--load", "齿轮", "--reason", "漏填"} + archive).code, 0);
    QCOMPARE(shown()["verdict"].toString(), QStringLiteral("FAIL"));
}

QTEST_GUILESS_MAIN(TstCheckCount)
#include "tst_checkcount.moc"
