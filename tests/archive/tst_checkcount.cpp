// The process report of a run judged more than once counts its checks and
// failures on every page, as the PDF's text shows them.
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

QTEST_GUILESS_MAIN(TstCheckCount)
#include "tst_checkcount.moc"
