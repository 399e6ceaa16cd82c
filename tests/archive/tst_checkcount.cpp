// The process report of a run judged more than once counts its checks and
// failures on every page, as the PDF's text shows them; an approved
// verdict stands against later checks.
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
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    text.waitForFinished();
    QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'));
    pages.removeIf([](const QString &p) { return p.trimmed().isEmpty(); });
    return pages;
}

const QStringList kPassing{"--setpoint", "220", "--tol", "30"};
} // namespace

class TstCheckCount : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reportCountsEveryCheck_data();
    void reportCountsEveryCheck();
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
    // An edit withdraws the approval: the latest check is the run's verdict again.
    QCOMPARE(zqcli(QStringList{"archive", "set", file, "--load", "齿轮", "--reason", "漏填"} + archive).code, 0);
    QCOMPARE(shown()["verdict"].toString(), QStringLiteral("FAIL"));
}

QTEST_GUILESS_MAIN(TstCheckCount)
#include "tst_checkcount.moc"
