// The process report: every item inside the printable area on A4 and
// Letter, every reading on its pages once, and the PDF holding the figures,
// the verdict and the file's fingerprint as pdftotext reads them.
#include "core/datafile.h"
#include "print/fonts.h"
#include "print/processreport.h"
#include "support/runs.h"

#include <QCryptographicHash>
#include <QGuiApplication>
#include <QPageLayout>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
zq::Recipe quench()
{
    zq::Recipe r;
    r.name = QStringLiteral("淬火 850℃");
    r.hasBand = true;
    r.setpoint = 850;
    r.below = r.above = 10;
    r.minSoak = zq::Span::ofSeconds(60);
    r.maxOvershoot = 10;
    return r;
}

zq::ProcessReport report(const zq::Record &record, bool readings)
{
    zq::ProcessReport r = zq::processFigures(record, 0, quench(), std::pair{5, 80}, {}, {});
    r.company = QStringLiteral("示例热处理有限公司");
    r.fileName = QStringLiteral("run.ZQ");
    r.sha256
        = QString::fromLatin1(QCryptographicHash::hash(zq::dataFileBytes(record), QCryptographicHash::Sha256).toHex());
    r.provenance = QStringLiteral("档案中无此文件");
    r.fields.equipment = QStringLiteral("3 号炉 — 一段很长的说明，") + QString(60, QChar(0x70B9));
    r.notes = {{12, QStringLiteral("炉门打开")}};
    r.readings = readings;
    r.printed = QDateTime(QDate(2026, 12, 7), QTime(8, 30), QTimeZone(8 * 3600));
    return r;
}

QSizeF printable(QPageSize::PageSizeId id)
{
    const QPageLayout layout(QPageSize(id), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    return layout.paintRect(QPageLayout::Point).size();
}
} // namespace

class TstProcessReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { zq::installFontSubstitutes(); }
    void everythingInsideThePage_data();
    void everythingInsideThePage();
    void pdfSaysWhatTheCheckSays();
};

void TstProcessReport::everythingInsideThePage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("readings");
    QTest::newRow("A4") << int(QPageSize::A4) << false;
    QTest::newRow("Letter") << int(QPageSize::Letter) << false;
    QTest::newRow("A4, every reading") << int(QPageSize::A4) << true;
    QTest::newRow("Letter, every reading") << int(QPageSize::Letter) << true;
}

void TstProcessReport::everythingInsideThePage()
{
    QFETCH(int, page);
    QFETCH(bool, readings);
    QVector<WDREC> records = timeRecords(4033, 0);
    for (int i = 0; i < records.size(); ++i)
        records[i] = WDREC{int16_t(300 + i % 500), 7, uint8_t(1 + i / 17280), uint8_t(i / 720 % 24),
            uint8_t(i / 12 % 60), uint8_t(i * 5 % 60)};
    records[7].wd = zq::kFailedReading;
    const zq::Record record = zq::Record::timeStamped(records);
    const QSizeF size = printable(QPageSize::PageSizeId(page));
    const zq::Sheet sheet = zq::layoutProcessReport(report(record, readings), size);
    const QRectF area(QPointF(0, 0), size);
    QStringList entries;
    QVector<int> numbered;
    for (const zq::SheetItem &item : sheet.items) {
        const QRectF inside = area.adjusted(-0.01, -0.01, 0.01, 0.01); // a rule has no height: its corners
        QVERIFY2(inside.contains(item.rect.topLeft()) && inside.contains(item.rect.bottomRight()),
            qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                           .arg(item.text)
                           .arg(item.rect.x())
                           .arg(item.rect.y())
                           .arg(item.rect.width())
                           .arg(item.rect.height())));
        QVERIFY(item.page >= 0 && item.page < sheet.pages);
        if (item.kind != zq::SheetItem::Text)
            continue;
        // Nothing cut off: each text as wide as its face sets it fits its box.
        QVERIFY2(zq::sheetMetrics(item.size, item.bold).horizontalAdvance(item.text) <= item.rect.width() + 0.5,
            qPrintable(item.text));
        const QRegularExpressionMatch n = QRegularExpression("^第 (\\d+) 页 / 共 (\\d+) 页").match(item.text);
        if (n.hasMatch()) {
            QCOMPARE(n.captured(1).toInt(), item.page + 1);
            QCOMPARE(n.captured(2).toInt(), sheet.pages);
            numbered.append(item.page);
        }
        if (QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  (\\d{4}|✗ 失败)$"))
                .match(item.text)
                .hasMatch())
            entries.append(item.text);
    }
    QCOMPARE(numbered.size(), sheet.pages); // a footer on every page
    // The readings pages hold each reading once, in order, the failed one marked.
    QCOMPARE(entries.size(), readings ? 4033 : 0);
    if (readings) {
        QCOMPARE(entries[7], QStringLiteral("07-01 00:00:35  ✗ 失败"));
        QCOMPARE(entries[4032], QStringLiteral("07-01 05:36:00  0332"));
        QVERIFY(sheet.pages > 2);
    }
}

void TstProcessReport::pdfSaysWhatTheCheckSays()
{
    QTemporaryDir dir;
    zq::ProcessReport r = report(soak(), false);
    r.sha256 = QStringLiteral("0123456789abcdef0011223344556677fedcba9876543210ffeeddccbbaa9988");
    QString error;
    QVERIFY2(zq::writeProcessReportPdf(dir.filePath("r.pdf"), r, QPageSize::A4, &error), qPrintable(error));
    QProcess info;
    info.start("pdfinfo", {dir.filePath("r.pdf")});
    QVERIFY(info.waitForFinished());
    const QString content = pdfText(dir.filePath("r.pdf"), {"-layout"});
    // Worked out by hand: 59 s of soak against 60 asked, 10 ℃ over against 10 allowed.
    for (const QString &expected : {QStringLiteral("工艺报告"), QStringLiteral("示例热处理有限公司"),
             QStringLiteral("判据：最短保温 ≥ 1m"), QStringLiteral("判据：最大超调 ≤ 10 ℃"), QStringLiteral("59 s"),
             QStringLiteral("炉门打开"), QStringLiteral("选区"), QStringLiteral("第 1 页 / 共"),
             QStringLiteral("2026-12-07 08:30:00 UTC+08:00"), QStringLiteral("档案中无此文件")})
        QVERIFY2(content.contains(expected), qPrintable(expected + "\n" + content));
    // The first 16 hex digits in fours, then the archive's word: no more of the digest.
    QVERIFY2(
        QRegularExpression(QStringLiteral("SHA-256 0123 4567 89ab cdef\\s+档案中无此文件")).match(content).hasMatch(),
        qPrintable(content));
    // The verdict box names the criterion that failed, and not the one met.
    const QRegularExpressionMatch box
        = QRegularExpression(QStringLiteral("^\\s*(FAIL.*)$"), QRegularExpression::MultilineOption).match(content);
    QCOMPARE(box.captured(1).trimmed(), QStringLiteral("FAIL：最短保温"));
    // The whole value in the metadata, and PDF/A-1b declared.
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(r.sha256));
    QVERIFY(readAll(dir.filePath("r.pdf")).contains("pdfaid:part=\"1\" pdfaid:conformance=\"B\""));
}

QTEST_MAIN(TstProcessReport)
#include "tst_processreport.moc"
