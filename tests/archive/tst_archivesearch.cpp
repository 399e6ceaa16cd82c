// zqcli archive list's search and dates: a term matches the text fields
// letter for letter, a hash only by eight or more of its first digits, and
// a date that is not one is refused.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

class TstArchiveSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void search_data();
    void search();

private:
    QTemporaryDir m_dir;
    QString m_archive;
    QStringList m_sha; // the runs, in the order made
};

void TstArchiveSearch::initTestCase()
{
    m_archive = m_dir.filePath("a.sqlite");
    zq::Archive a;
    QString error;
    QVERIFY(a.open(m_archive, &error));
    const QList<zq::RunFields> fields{{QStringLiteral("王"), "A_1", {}, {}, QStringLiteral("50% 完成")},
        {QStringLiteral("李"), "B1", {}, {}, QStringLiteral("正常")}, {QStringLiteral("张"), "C1", {}, {}, {}}};
    for (int i = 0; i < fields.size(); ++i) {
        bool isNew = false;
        m_sha << a.addRun(zq::dataFileBytes(timeData(10 + i)), QString(), &isNew, &error);
        QVERIFY(a.setFields(m_sha.last(), fields[i], &error));
    }
}

void TstArchiveSearch::search_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<int>>("runs"); // which of the three, in the order made
    QTest::newRow("an underscore is an underscore") << QStringList{"--search", "_"} << 0 << QList<int>{0};
    QTest::newRow("a percent sign is a percent sign") << QStringList{"--search", "%"} << 0 << QList<int>{0};
    QTest::newRow("a field's text") << QStringList{"--search", QStringLiteral("正常")} << 0 << QList<int>{1};
    QTest::newRow("eight hex digits: the hash's beginning") << QStringList{"--search", "HASH8"} << 0 << QList<int>{2};
    QTest::newRow("seven hex digits: text only") << QStringList{"--search", "HASH7"} << 0 << QList<int>{};
    QTest::newRow("a date to come") << QStringList{"--since", "2099-01-01"} << 0 << QList<int>{};
    QTest::newRow("a date without its zeros") << QStringList{"--since", "2099-1-1"} << 2 << QList<int>{};
    QTest::newRow("no such day") << QStringList{"--until", "2026-02-30"} << 2 << QList<int>{};
}

void TstArchiveSearch::search()
{
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(QList<int>, runs);
    for (QString &o : options)
        o = o == "HASH8" ? m_sha[2].left(8) : o == "HASH7" ? m_sha[2].left(7) : o;
    const Run run = zqcli(QStringList{"archive", "--archive", m_archive, "list", "--format", "json"} + options);
    QVERIFY2(run.code == code, qPrintable(run.err));
    if (code != 0)
        return;
    QStringList found, wanted;
    for (const QJsonValue &v : QJsonDocument::fromJson(run.out.toUtf8()).array())
        found << v.toObject().value("sha256").toString();
    for (int i : runs)
        wanted << m_sha[i];
    found.sort();
    wanted.sort();
    QCOMPARE(found, wanted);
}

QTEST_MAIN(TstArchiveSearch)
#include "tst_archivesearch.moc"
