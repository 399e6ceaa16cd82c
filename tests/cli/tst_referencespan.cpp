// zqcli analyze and zqcli report --process compare a reference over the
// same span, the range when one is given, and say which.
#include "core/datafile.h"
#include "support/records.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString run(const QStringList &arguments)
{
    QProcess p;
    p.start(qEnvironmentVariable("ZQCLI_BIN"), arguments);
    if (!p.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class TstReferenceSpan : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameSpanInBoth_data();
    void sameSpanInBoth();
};

void TstReferenceSpan::sameSpanInBoth_data()
{
    QTest::addColumn<QStringList>("range");
    QTest::addColumn<QString>("span");
    QTest::addColumn<int>("compared"); // readings, counted by hand
    QTest::newRow("a range") << QStringList{"--first", "10", "--last", "50"} << "选区 0010 至 0050" << 41;
    QTest::newRow("the whole run") << QStringList{} << "全程" << 600;
}

void TstReferenceSpan::sameSpanInBoth()
{
    QFETCH(QStringList, range);
    QFETCH(QString, span);
    QFETCH(int, compared);
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(sequenceData(600, 650)));
    write(dir.filePath("ref.ZQ"), zq::dataFileBytes(sequenceData(600, 700)));
    const QStringList common = QStringList{dir.filePath("run.ZQ"), "--reference", dir.filePath("ref.ZQ"), "--archive",
                                   dir.filePath("a.sqlite")}
        + range;
    const QString analyzed = run(QStringList{"analyze"} + common);
    QVERIFY2(analyzed.contains(QStringLiteral("参考 比较范围：") + span), qPrintable(analyzed));
    QVERIFY2(analyzed.contains(QStringLiteral("参考 比较的读数：%1\n").arg(compared)), qPrintable(analyzed));
    run(QStringList{"report", "--process", "-o", dir.filePath("r.pdf")} + common);
    const QString report = pdfText(dir.filePath("r.pdf"), {"-layout"});
    QVERIFY2(
        QRegularExpression(QStringLiteral("参考 比较范围\\s+") + span).match(report).hasMatch(), qPrintable(report));
    QVERIFY2(QRegularExpression(QStringLiteral("参考 比较的读数\\s+%1\\b").arg(compared)).match(report).hasMatch(),
        qPrintable(report));
}

QTEST_MAIN(TstReferenceSpan)
#include "tst_referencespan.moc"
