// A run's history on real SQLite files: every change a row with its old and
// new value, rows that cannot be changed or deleted, chains that show a row
// rewritten behind the program's back, and an older archive's runs started
// with the values found.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/records.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <pwd.h>
#include <unistd.h>

namespace {
// The chain's hash worked out apart from the archive's code.
QString expectedHash(const QJsonObject &row, const QString &sha)
{
    QByteArray bytes;
    for (const QString &part : {sha, QString::number(row["position"].toInt()), row["at"].toString(),
             row["user"].toString(), row["signer"].toString(), row["what"].toString(), row["old"].toString(),
             row["new"].toString(), row["reason"].toString(), row["previous_hash"].toString()})
        bytes += QByteArray::number(part.toUtf8().size()) + ':' + part.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// Statements run on the file as another program would, each one's success.
QList<bool> behindTheBack(const QString &path, const QStringList &statements)
{
    QList<bool> ran;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "behind");
        db.setDatabaseName(path);
        db.open();
        for (const QString &s : statements)
            ran << QSqlQuery(db).exec(s);
    }
    QSqlDatabase::removeDatabase("behind");
    return ran;
}

// An archive with one run that had every kind of change.
QString changedRun(const QString &path)
{
    zq::Archive a;
    QString error;
    bool isNew = false;
    if (!a.open(path, &error))
        return QString();
    const QString sha = a.addRun(zq::dataFileBytes(timeData(40)), QString(), &isNew, &error);
    const bool ok = a.setFields(sha, {"王", "3", {}, {}, {}}, &error)
        && a.setFields(sha, {"李", "3", "齿轮", {}, {}}, &error, "填错了人")
        && a.setVerdict(sha, "FAIL", "渗碳 A", &error) && a.setVerdict(sha, "PASS", "渗碳 B", &error)
        && a.addNote(sha, {12, "炉门打开"}, &error) && a.saveRange(sha, {"保温段", 5, 20}, &error)
        && a.saveRange(sha, {"保温段", 6, 30}, &error);
    return ok ? sha : QString();
}
} // namespace

class TstHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyChangeLeavesItsRow();
    void rowsCannotBeChanged_data();
    void rowsCannotBeChanged();
    void checkNamesTheBrokenRow_data();
    void checkNamesTheBrokenRow();
    void olderArchiveStartsWithTheValuesFound();
    void reviewAndApproval();
};

void TstHistory::everyChangeLeavesItsRow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite");
    const QString sha = changedRun(path);
    QVERIFY(!sha.isEmpty());
    const Run run = zqcli({"archive", "history", sha.left(12), "--format", "json", "--archive", path});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QJsonArray rows = QJsonDocument::fromJson(run.out.toUtf8()).array();
    const QList<QStringList> expected{{"added", "", "", ""}, {"operator", "", "王", ""}, {"equipment", "", "3", ""},
        {"operator", "王", "李", "填错了人"}, {"load", "", "齿轮", "填错了人"}, {"verdict", "", "FAIL", ""},
        {"recipe", "", "渗碳 A", ""}, {"verdict", "FAIL", "PASS", ""}, {"recipe", "渗碳 A", "渗碳 B", ""},
        {"note", "", "12: 炉门打开", ""}, {"range 保温段", "", "5-20", ""}, {"range 保温段", "5-20", "6-30", ""}};
    QCOMPARE(rows.size(), expected.size());
    QString previous;
    for (int i = 0; i < rows.size(); ++i) {
        const QJsonObject row = rows.at(i).toObject();
        QCOMPARE((QStringList{
                     row["what"].toString(), row["old"].toString(), row["new"].toString(), row["reason"].toString()}),
            expected.at(i));
        QCOMPARE(row["position"].toInt(), i);
        QCOMPARE(row["user"].toString(), QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name));
        QVERIFY(QDateTime::fromString(row["at"].toString(), Qt::ISODateWithMs).timeSpec() == Qt::UTC);
        QCOMPARE(row["previous_hash"].toString(), previous);
        QCOMPARE(row["hash"].toString(), expectedHash(row, sha));
        previous = row["hash"].toString();
    }
    const Run check = zqcli({"archive", "check", "--archive", path});
    QCOMPARE(check.code, 0);
    // The FAIL re-judged PASS stays counted.
    const Run list = zqcli({"archive", "list", "--format", "json", "--archive", path});
    const QJsonObject listed = QJsonDocument::fromJson(list.out.toUtf8()).array().at(0).toObject();
    QCOMPARE((QList<QVariant>{listed["verdict"].toString(), listed["checks"].toInt(), listed["failed_checks"].toInt()}),
        (QList<QVariant>{"PASS", 2, 1}));
}

void TstHistory::rowsCannotBeChanged_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("update") << "UPDATE history SET new_value = 'PASS' WHERE what = 'verdict'";
    QTest::newRow("delete") << "DELETE FROM history WHERE what = 'verdict'";
}

void TstHistory::rowsCannotBeChanged()
{
    QFETCH(QString, statement);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite");
    QVERIFY(!changedRun(path).isEmpty());
    QCOMPARE(behindTheBack(path, {statement}), QList<bool>{false});
    QCOMPARE(zqcli({"archive", "check", "--archive", path}).code, 0);
}

void TstHistory::checkNamesTheBrokenRow_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("named");
    QTest::newRow("rewritten") << "UPDATE history SET new_value = 'PASS' WHERE position = 5"
                               << "第 5 行的内容已被改动";
    QTest::newRow("deleted") << "DELETE FROM history WHERE position = 3"
                             << "第 3 行缺失";
    QTest::newRow("all gone") << "DELETE FROM history"
                              << "第 0 行缺失";
}

void TstHistory::checkNamesTheBrokenRow()
{
    QFETCH(QString, statement);
    QFETCH(QString, named);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite");
    const QString sha = changedRun(path);
    QVERIFY(!sha.isEmpty());
    QCOMPARE(behindTheBack(path, {"DROP TRIGGER history_no_update", "DROP TRIGGER history_no_delete", statement}),
        (QList<bool>{true, true, true}));
    const Run check = zqcli({"archive", "check", "--archive", path});
    QCOMPARE(check.code, 3);
    QCOMPARE(check.out.trimmed(), sha + ": " + named);
}

void TstHistory::olderArchiveStartsWithTheValuesFound()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("v1.sqlite");
    const QStringList statements = sqlStatements(QFINDTESTDATA("v1.sql"));
    QVERIFY(!statements.isEmpty());
    QVERIFY(!behindTheBack(path, statements).contains(false));
    zq::Archive a;
    QString error;
    QVERIFY2(a.open(path, &error), qPrintable(error));
    QVERIFY(a.setVerdict("00aa11bb", "PASS", "淬火 850℃", &error));
    const QVector<zq::HistoryRow> rows = a.history("00aa11bb", &error);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].what, QStringLiteral("found"));
    const QJsonObject found = QJsonDocument::fromJson(rows[0].newValue.toUtf8()).object();
    QCOMPARE(found["operator"].toString(), QStringLiteral("王"));
    QCOMPARE(found["verdict"].toString(), QStringLiteral("FAIL"));
    QCOMPARE(found["notes"].toArray().at(0).toObject()["text"].toString(), QStringLiteral("炉门打开"));
    QCOMPARE((QStringList{rows[1].what, rows[1].oldValue, rows[1].newValue}), (QStringList{"verdict", "FAIL", "PASS"}));
    QVERIFY(a.checkHistory(&error).isEmpty());
}

void TstHistory::reviewAndApproval()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.sqlite");
    const QString sha = changedRun(path);
    QVERIFY(!sha.isEmpty());
    const QStringList approve{"archive", "--archive", path, "approve", sha, "--meaning"};
    const QStringList set{"archive", "--archive", path, "set", sha, "--operator", "赵"};
    // Each step as a person types it, and what zqcli answers.
    const QList<std::pair<QStringList, int>> steps{{approve + QStringList{"approve", "--as", "李"}, 1},
        {approve + QStringList{"review", "--as", "张", "--comment", "曲线已看"}, 0},
        {approve + QStringList{"approve", "--as", "张"}, 1}, {approve + QStringList{"approve", "--as", "李"}, 0},
        {set, 1}, {set + QStringList{"--reason", "操作者填错"}, 0},
        {approve + QStringList{"approve", "--as", "李"}, 1}};
    for (const auto &[args, code] : steps) {
        const Run run = zqcli(args);
        QVERIFY2(run.code == code, qPrintable(args.join(' ') + ": " + run.err));
    }
    zq::Archive a;
    QString error;
    QVERIFY(a.open(path, &error, nullptr, zq::Archive::Access::ReadOnly));
    QCOMPARE(a.run(sha, &error)->fields.operatorName, QStringLiteral("赵"));
    const QVector<zq::HistoryRow> rows = a.history(sha, &error);
    QStringList tail;
    for (const zq::HistoryRow &r : rows.mid(rows.size() - 4))
        tail << QStringList{r.what, r.signer, r.oldValue, r.newValue, r.reason}.join('|');
    QCOMPARE(tail,
        (QStringList{"review|张||已审核|曲线已看", "approve|李||已批准|", "operator||李|赵|操作者填错",
            "withdrawn||已批准|草稿|操作者填错"}));
    QCOMPARE(zq::signaturesOf(rows).state, zq::RunState::Draft);
    const QStringList list{"archive", "--archive", path, "list", "--state"};
    QCOMPARE(zqcli(list + QStringList{"draft"}).out.left(16), sha.left(16));
    QCOMPARE(zqcli(list + QStringList{"approved"}).out, QString());
    QCOMPARE(zqcli(approve + QStringList{"review", "--as", "张"}).code, 0);
    QCOMPARE(zqcli(list + QStringList{"reviewed"}).out.left(16), sha.left(16));
    QCOMPARE(zqcli(list + QStringList{"draft"}).out, QString());
    QCOMPARE(zqcli(list + QStringList{"signed"}).code, 1);
    // A note or a named range pinned to a signed run needs a reason too, and withdraws the signature.
    const QStringList note{"archive", "--archive", path, "note", sha, "--at", "3", "--text", "补记"};
    const QStringList range{
        "archive", "--archive", path, "range", sha, "--name", "保温段", "--first", "5", "--last", "9"};
    const QList<std::pair<QStringList, int>> pinned{{note, 1}, {note + QStringList{"--reason", "漏记"}, 0},
        {approve + QStringList{"review", "--as", "张"}, 0}, {range, 1}, {range + QStringList{"--reason", "选错"}, 0}};
    for (const auto &[args, code] : pinned) {
        const Run run = zqcli(args);
        QVERIFY2(run.code == code, qPrintable(args.join(' ') + ": " + run.err));
    }
    tail.clear();
    const QVector<zq::HistoryRow> after = a.history(sha, &error);
    for (const zq::HistoryRow &r : after.mid(after.size() - 5))
        tail << QStringList{r.what, r.signer, r.oldValue, r.newValue, r.reason}.join('|');
    QCOMPARE(tail,
        (QStringList{"note|||3: 补记|漏记", "withdrawn||已审核|草稿|漏记", "review|张||已审核|",
            "range 保温段||6-30|5-9|选错", "withdrawn||已审核|草稿|选错"}));
}

QTEST_GUILESS_MAIN(TstHistory)
#include "tst_history.moc"
