// The process report's long fields: wrapped onto lines that each fit the
// page, greedily, losing nothing and never splitting a character, however
// long the field (a comment of 8,000 zero-width spaces, 100 kB of text).
#include "print/fonts.h"
#include "print/processreport.h"

#include <QGuiApplication>
#include <QtTest>

class TstReportWrap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { zq::installFontSubstitutes(); }
    void longFieldsWrapWhole_data();
    void longFieldsWrapWhole();
};

void TstReportWrap::longFieldsWrapWhole_data()
{
    QTest::addColumn<QString>("comment");
    const QChar zwsp(0x200B);
    QTest::newRow("8,000 zero-width spaces") << QString(8000, zwsp) + QStringLiteral("炉门打开");
    QTest::newRow("100 kB of Chinese") << QString(34000, QChar(0x70B9));
    QTest::newRow("100 kB of words") << QStringLiteral("heat soak quench ").repeated(6000);
    QTest::newRow("lines of their own") << QStringLiteral("第一行\n第二行\n\n") + QString(300, QChar(0x70B9));
    QTest::newRow("characters beyond the basic plane") << QStringLiteral("炉😀").repeated(400);
}

void TstReportWrap::longFieldsWrapWhole()
{
    QFETCH(QString, comment);
    zq::ProcessReport r;
    r.record = zq::Record::sequence({300, 400, 500});
    r.fields.comment = comment;
    r.fileName = QStringLiteral("run.ZQ");
    const QSizeF page(523, 770);
    const zq::Sheet sheet = zq::layoutProcessReport(r, page);
    // The run's fields stand 64 pt in, one after another: the comment's lines
    // come after equipment, load, operator and thermocouple (all "—").
    QStringList lines;
    for (const zq::SheetItem &item : sheet.items)
        if (item.kind == zq::SheetItem::Text && item.rect.x() == 64)
            lines << item.text;
    lines = lines.mid(4, lines.size() - 4 - 2); // the file's name and the data follow
    QCOMPARE(lines.join(QLatin1Char('\n')).remove(QLatin1Char('\n')), QString(comment).remove(QLatin1Char('\n')));
    const QFontMetricsF m = zq::sheetMetrics(8);
    const double room = page.width() - 64;
    const QStringList paragraphs = comment.split(QLatin1Char('\n'));
    int paragraph = 0;
    QString rest = paragraphs[0];
    for (int k = 0; k < lines.size(); ++k) {
        const QString &line = lines[k];
        QVERIFY2(m.horizontalAdvance(line) <= room + 0.5, qPrintable(QString::number(k)));
        QVERIFY2(line.isEmpty() || !line.front().isLowSurrogate(), qPrintable(QString::number(k)));
        QVERIFY(rest.startsWith(line));
        rest = rest.mid(line.size());
        if (rest.isEmpty()) {
            rest = ++paragraph < paragraphs.size() ? paragraphs[paragraph] : QString();
            continue;
        }
        // Greedy: the next character would not have fitted on this line.
        const int next = rest.front().isHighSurrogate() ? 2 : 1;
        QVERIFY2(m.horizontalAdvance(line + rest.left(next)) > room - 0.5, qPrintable(QString::number(k)));
    }
    QVERIFY(rest.isEmpty() && paragraph >= paragraphs.size() - 1);
}

QTEST_MAIN(TstReportWrap)
#include "tst_reportwrap.moc"
