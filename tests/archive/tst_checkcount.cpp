// The process report of a run judged more than once counts its checks and
// failures on every page, as the PDF's text shows them; each check's row says
// what its readings were corrected by, beside the links that decide it.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/records.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The PDF's text as a reader sees it, page by page.
QStringList pdfPages(const QString &pdf)
{
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    text.waitForFinished();
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'));
    pages.removeIf([](const QString &p) { return p.trimmed().isEmpty(); });
    return pages;
}

} // namespace

class TstCheckCount : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reportCountsEveryCheck_data();
    void reportCountsEveryCheck();
    void calibrationInTheRunsChain();
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

QTEST_GUILESS_MAIN(TstCheckCount)
#include "tst_checkcount.moc"
