// The process report's chart as the PDF holds it (pdftotext -bbox): every
// time label where its value is, the axes' units and the legend.
#include "print/fonts.h"
#include "print/processreport.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Word
{
    QString text;
    double x = 0; // the middle
    double y = 0; // the top
};

QVector<Word> words(const QString &pdf)
{
    QProcess p;
    p.start("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    if (!p.waitForFinished())
        return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QVector<Word> found;
    const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        found.append(
            {m.captured(4), (m.captured(1).toDouble() + m.captured(3).toDouble()) / 2, m.captured(2).toDouble()});
    }
    return found;
}

// A time-stamped run of `minutes` minutes, one reading a minute: a ramp to 850, then held.
zq::Record run(int minutes)
{
    QVector<WDREC> records;
    for (int i = 0; i <= minutes; ++i)
        records.append(WDREC{
            int16_t(qMin(850, 300 + i * 7)), 7, uint8_t(26 + i / 1440), uint8_t(i / 60 % 24), uint8_t(i % 60), 0});
    return zq::Record::timeStamped(records);
}
} // namespace

class TstReportChart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { zq::installFontSubstitutes(); }
    void timeLabelsWhereTheirValuesAre_data();
    void timeLabelsWhereTheirValuesAre();
};

void TstReportChart::timeLabelsWhereTheirValuesAre_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("273 min") << 273 << "h" << QStringList{"0", "1", "2", "3", "4"};
    QTest::newRow("183 min") << 183 << "min" << QStringList{"0", "30", "60", "90", "120", "150", "180"};
}

void TstReportChart::timeLabelsWhereTheirValuesAre()
{
    QFETCH(int, minutes);
    QFETCH(QString, unit);
    QFETCH(QStringList, labels);
    zq::Recipe recipe;
    recipe.hasBand = true;
    recipe.setpoint = 850;
    recipe.below = recipe.above = 10;
    recipe.thresholds = {500};
    zq::Placed reference;
    reference.curve = zq::runCurve(run(minutes), 0, 0);
    zq::ProcessReport r = zq::processFigures(run(minutes), 0, recipe, std::nullopt, reference, {});
    r.fileName = QStringLiteral("run.ZQ");
    r.sha256 = QString(64, QLatin1Char('0'));
    r.printed = QDateTime(QDate(2026, 12, 7), QTime(8, 30), QTimeZone(8 * 3600));
    QTemporaryDir dir;
    QString error;
    QVERIFY2(zq::writeProcessReportPdf(dir.filePath("r.pdf"), r, QPageSize::A4, &error), qPrintable(error));
    const QVector<Word> all = words(dir.filePath("r.pdf"));
    // The axis's unit, and on its line nothing but whole numbers right of it: the labels.
    const Word *axis = nullptr;
    QVector<Word> marks;
    for (const Word &u : all) {
        QVector<Word> line;
        for (const Word &w : all)
            if (u.text == unit && qAbs(w.y - u.y) < 1 && w.x > u.x)
                line.append(w);
        if (line.size() >= 3 && std::all_of(line.begin(), line.end(), [](const Word &w) {
                return QRegularExpression("^\\d+$").match(w.text).hasMatch();
            })) {
            axis = &u;
            marks = line;
        }
    }
    QVERIFY2(axis, qPrintable(unit));
    QStringList shown;
    for (const Word &w : marks)
        shown << w.text;
    QCOMPARE(shown, labels);
    // Each label as far along as its value: the distance per unit is the same for all.
    const double perUnit = (marks.last().x - marks.first().x) / (labels.last().toDouble() - labels.first().toDouble());
    for (const Word &w : marks)
        QVERIFY2(qAbs(marks.first().x + (w.text.toDouble() - labels.first().toDouble()) * perUnit - w.x) < 0.5,
            qPrintable(w.text));
    // ℃ above the temperatures, and the legend above the plot.
    for (const QString &text :
        {QStringLiteral("℃"), QStringLiteral("公差带"), QStringLiteral("阈值"), QStringLiteral("参考")})
        QVERIFY2(std::any_of(all.begin(), all.end(),
                     [&](const Word &w) { return w.text == text && w.y < axis->y && w.y > axis->y - 230; }),
            qPrintable(text));
}

QTEST_MAIN(TstReportChart)
#include "tst_reportchart.moc"
