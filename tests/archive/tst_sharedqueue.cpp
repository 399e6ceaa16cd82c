// The local queue for the shared archive, sent the one way the window and
// zqcli share: runs, then the user's edits of them; a row leaves the queue
// only once the real PostgreSQL server has it.
#include "archive/archive.h"
#include "archive/outbox.h"
#include "archive/registry.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/pgserver.h"
#include "support/records.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A run and two edits of it (fields, then a verdict) queued in a local archive.
QString queueRunAndEdits(zq::Archive &local, uint8_t hour)
{
    const QByteArray bytes = zq::dataFileBytes(timeData(40, hour));
    const QString sha = zq::Archive::sha256Of(bytes);
    QString error;
    zq::Archive::Edit fields{0, sha, false, {}, {}, {}};
    fields.fields.equipment = QStringLiteral("炉7");
    const zq::Archive::Edit verdict{0, sha, true, {}, QStringLiteral("FAIL"), QStringLiteral("淬火")};
    const bool queued = local.queue({0, bytes, QStringLiteral("/k/a.ZQ"), {}, {}, {}}, &error)
        && local.queueEdit(fields, &error) && local.queueEdit(verdict, &error);
    return queued ? sha : error;
}

const QString kJudgedOn = QStringLiteral("已修正：仪表 A1（证书 C-7）");

// A run kept here with every kind of change a person makes, approved; its SHA-256, or why not.
QString changedHere(zq::Archive &local, const QString &file, const QByteArray &bytes)
{
    write(file, bytes);
    bool isNew = false;
    QString error;
    const QString sha = local.addRun(bytes, file, &isNew, &error);
    const bool ok = !sha.isEmpty() && local.setFields(sha, {"王", "炉7", {}, {}, {}}, &error)
        && local.setVerdict(sha, "FAIL", "淬火", &error, kJudgedOn) && local.addNote(sha, {3, "炉门打开"}, &error)
        && local.saveRange(sha, {"保温段", 5, 20}, &error) && zq::Registry(local).link(sha, {"A1", {}}, &error)
        && local.sign(sha, "张", zq::Archive::Meaning::Review, {}, &error)
        && local.sign(sha, "李", zq::Archive::Meaning::Approve, {}, &error);
    return ok ? sha : error;
}

// A run's rows on the server as "what:old>new", in chain order.
QString chainOf(PgServer &server, const QString &sha)
{
    return server.scalar(QStringLiteral("SELECT string_agg(what || ':' || COALESCE(old_value, '') || '>'"
                                        " || COALESCE(new_value, ''), ' ' ORDER BY position) FROM history"
                                        " WHERE sha256 = '%1'")
                             .arg(sha));
}
} // namespace

class TstSharedQueue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void editWhileDownReachesServerBySync();
    void failedSendLeavesRowQueued();
    void historyReachesTheServerOnce_data();
    void historyReachesTheServerOnce();
    void twoPcsEditOneRun();
    void olderVersionsQueuedEditStillGoes();
    void serverHistoryComesBack();
    void approvalHereStandsUntilChangedElsewhere_data();
    void approvalHereStandsUntilChangedElsewhere();

private:
    std::unique_ptr<PgServer> m_server;
};

void TstSharedQueue::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Postgres, Need::Zqcli);
    m_server = std::make_unique<PgServer>();
    QVERIFY(m_server->ok());
    qputenv("PGPASSWORD", "secret");
}

void TstSharedQueue::editWhileDownReachesServerBySync()
{
    QTemporaryDir dir;
    const QString localFile = dir.filePath("l.sqlite");
    const QStringList sync{"archive", "--archive", m_server->url(), "--local", localFile, "sync"};
    m_server->stop();
    zq::Archive local;
    QString error;
    QVERIFY(local.open(localFile, &error));
    const QString sha = queueRunAndEdits(local, 9);
    QCOMPARE(sha.size(), 64);
    // Down: nothing sent, nothing lost, and the count names the edits too.
    const Run down = zqcli(sync);
    QCOMPARE(down.code, 1);
    QCOMPARE(zq::pendingFor(local, &error).total(), 3);
    QVERIFY(m_server->start());
    const Run up = zqcli(sync);
    QVERIFY2(
        up.code == 0 && up.out == QStringLiteral("0 runs and 0 edits still queued\n"), qPrintable(up.out + up.err));
    QVERIFY2(up.err.contains("1 runs and 2 edits sent"), qPrintable(up.err));
    QCOMPARE(
        m_server->scalar("SELECT equipment || ' ' || verdict || ' ' || recipe FROM runs WHERE sha256 = '" + sha + "'"),
        QStringLiteral("炉7 FAIL 淬火"));
    QCOMPARE(zq::pendingFor(local, &error).total(), 0);
}

void TstSharedQueue::failedSendLeavesRowQueued()
{
    QTemporaryDir dir;
    zq::Archive local, server;
    QString error;
    QVERIFY(local.open(dir.filePath("l.sqlite"), &error));
    QVERIFY2(server.open(m_server->url(), &error), qPrintable(error));
    const QString sha = queueRunAndEdits(local, 10);
    // The run goes; the server refuses the edits: both stay queued, in order.
    QVERIFY(m_server->psql("zqarchive", "REVOKE UPDATE ON runs FROM zq"));
    zq::Drained drained;
    QVERIFY(!zq::drainQueue(local, server, &drained, &error));
    QVERIFY2(error.contains("permission denied"), qPrintable(error));
    QCOMPARE(drained.sent.runs, 1);
    QCOMPARE(drained.sent.edits, 0);
    QCOMPARE(drained.left.runs, 0);
    QCOMPARE(drained.left.edits, 2);
    QCOMPARE(local.queuedEdits(&error).at(0).verdict, false);
    QVERIFY(m_server->psql("zqarchive", "GRANT UPDATE ON runs TO zq"));
    error.clear();
    QVERIFY2(zq::drainQueue(local, server, &drained, &error), qPrintable(error));
    QCOMPARE(drained.sent.edits, 2);
    QCOMPARE(drained.left.total(), 0);
    QCOMPARE(m_server->scalar("SELECT equipment || ' ' || verdict FROM runs WHERE sha256 = '" + sha + "'"),
        QStringLiteral("炉7 FAIL"));
}

void TstSharedQueue::historyReachesTheServerOnce_data()
{
    QTest::addColumn<bool>("push");
    QTest::newRow("queue") << false;
    QTest::newRow("push") << true;
}

void TstSharedQueue::historyReachesTheServerOnce()
{
    QFETCH(bool, push);
    QTemporaryDir dir;
    zq::Archive local, server;
    QString error;
    QVERIFY(local.open(dir.filePath("l.sqlite"), &error));
    QVERIFY2(server.open(m_server->url(), &error), qPrintable(error));
    const QByteArray bytes = zq::dataFileBytes(timeData(40, push ? 12 : 11));
    const QString sha = changedHere(local, dir.filePath("a.ZQ"), bytes);
    QCOMPARE(sha.size(), 64);
    QVERIFY(push || local.queue({0, bytes, dir.filePath("a.ZQ"), {}, {}, {}}, &error));
    // Every change is queued: the run and its nine rows.
    QCOMPARE(zq::pendingFor(local, &error).total(), push ? 9 : 10);
    const auto send = [&] {
        if (push)
            return local
                       .pushInto(
                           server, [](const QString &) {}, &error)
                       .skipped
                == 0;
        return zq::drainQueue(local, server, nullptr, &error);
    };
    QVERIFY2(send(), qPrintable(error));
    const QString chain = "added:> operator:>王 equipment:>炉7 verdict:>FAIL recipe:>淬火 note:>3: 炉门打开"
                          " range 保温段:>5-20 linked_instrument:>A1 review:>已审核 approve:>已批准";
    QCOMPARE(chainOf(*m_server, sha), chain);
    QCOMPARE(
        m_server->scalar("SELECT reason FROM history WHERE what = 'verdict' AND sha256 = '" + sha + "'"), kJudgedOn);
    QCOMPARE(m_server->scalar("SELECT operator || equipment || verdict || instrument FROM runs JOIN run_devices"
                              " USING (sha256) WHERE sha256 = '"
                 + sha + "'"),
        QStringLiteral("王炉7FAILA1"));
    QCOMPARE(server.notes(sha, &error).size(), 1);
    QCOMPARE(server.signatures(sha, &error).approval.name, QStringLiteral("李"));
    QCOMPARE(zq::pendingFor(local, &error).total(), 0);
    // Sent again, as a drain cut off after the server committed would: nothing is added twice.
    QList<bool> forgotten;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "behind");
        db.setDatabaseName(dir.filePath("l.sqlite"));
        forgotten << (db.open() && QSqlQuery(db).exec("DELETE FROM history_sent"));
    }
    QSqlDatabase::removeDatabase("behind");
    QCOMPARE(forgotten, QList<bool>{true});
    QVERIFY2(send(), qPrintable(error));
    QCOMPARE(chainOf(*m_server, sha), chain);
    QVERIFY(server.checkHistory(&error).isEmpty() && error.isEmpty());
}

void TstSharedQueue::twoPcsEditOneRun()
{
    QTemporaryDir dir;
    zq::Archive server, first, second;
    QString error;
    bool isNew = false;
    QVERIFY2(server.open(m_server->url(), &error), qPrintable(error));
    const QString sha = server.addRun(zq::dataFileBytes(timeData(40, 14)), QString(), &isNew, &error);
    QVERIFY(first.open(dir.filePath("1.sqlite"), &error) && second.open(dir.filePath("2.sqlite"), &error));
    const QVector<zq::RunRow> rows = server.list({}, &error);
    QVERIFY(first.merge(rows, &error) && second.merge(rows, &error));
    // The runs taken from the server start their chains here: `archive check` finds them intact.
    QVERIFY(first.checkHistory(&error).isEmpty() && error.isEmpty());
    // Both PCs off the network change the run (the second with a reason of its own); the first is back first.
    QVERIFY(first.setFields(sha, {"甲", {}, {}, {}, {}}, &error));
    QVERIFY(second.setFields(sha, {"乙", {}, "齿轮", {}, {}}, &error, "补填"));
    // Reviewed on the server before each comes back: a change made where the run was unsigned withdraws it.
    for (zq::Archive *pc : {&first, &second})
        QVERIFY2(server.sign(sha, "张", zq::Archive::Meaning::Review, QString(), &error)
                && zq::drainQueue(*pc, server, nullptr, &error),
            qPrintable(error));
    QCOMPARE(chainOf(*m_server, sha),
        QStringLiteral("added:> review:>已审核 operator:>甲 withdrawn:已审核>草稿 review:>已审核 operator:>乙"
                       " withdrawn:已审核>草稿 load:>齿轮"));
    QCOMPARE(server.history(sha, &error).at(3).reason, QStringLiteral("在另一台电脑上修改，那里当时未签名"));
    QCOMPARE(server.history(sha, &error).at(6).reason, QStringLiteral("补填"));
    QCOMPARE(server.run(sha, &error)->fields.operatorName, QStringLiteral("乙"));
    QVERIFY(server.checkHistory(&error).isEmpty() && error.isEmpty());
}

void TstSharedQueue::olderVersionsQueuedEditStillGoes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("l.sqlite");
    const QByteArray bytes = zq::dataFileBytes(timeData(40, 15));
    QString error, sha;
    {
        // Kept and edited by a version that queued the edit itself and knew no sent rows.
        zq::Archive local;
        bool isNew = false;
        QVERIFY(local.open(path, &error));
        sha = local.addRun(bytes, QString(), &isNew, &error);
        QVERIFY(local.setFields(sha, {"王", {}, {}, {}, {}}, &error)
            && local.queue({0, bytes, QString(), {}, {}, {}}, &error)
            && local.queueEdit({0, sha, false, {"王", {}, {}, {}, {}}, {}, {}}, &error));
        QVERIFY(QSqlQuery(QSqlDatabase::database(local.connectionName())).exec("DROP TABLE history_sent"));
    }
    zq::Archive local, server;
    QVERIFY(local.open(path, &error) && server.open(m_server->url(), &error));
    QCOMPARE(zq::pendingFor(local, &error).total(), 2);
    QVERIFY2(zq::drainQueue(local, server, nullptr, &error), qPrintable(error));
    QCOMPARE(chainOf(*m_server, sha), QStringLiteral("added:> operator:>王"));
}

void TstSharedQueue::serverHistoryComesBack()
{
    QTemporaryDir dir;
    zq::Archive server, a, b;
    QString error;
    bool isNew = false;
    QVERIFY2(server.open(m_server->url(), &error), qPrintable(error));
    const QString sha = server.addRun(zq::dataFileBytes(timeData(40, 16)), QString(), &isNew, &error);
    const QStringList sync{"archive", "--archive", m_server->url(), "--local", dir.filePath("b.sqlite"), "sync"};
    QVERIFY(a.open(dir.filePath("a.sqlite"), &error) && b.open(dir.filePath("b.sqlite"), &error));
    QVERIFY(a.merge(server.list({}, &error), &error));
    // PC A edits, judges (FAIL, then PASS) and reviews; PC B only syncs.
    QVERIFY2(a.setFields(sha, {"甲", {}, {}, {}, {}}, &error) && a.setVerdict(sha, "FAIL", "淬火", &error)
            && a.setVerdict(sha, "PASS", "淬火", &error) && a.sign(sha, "张", zq::Archive::Meaning::Review, {}, &error)
            && zq::drainQueue(a, server, nullptr, &error),
        qPrintable(error));
    const auto shown = [&] {
        QStringList whats;
        for (const zq::HistoryRow &r : b.history(sha, &error))
            whats << r.what;
        return whats.join(' ');
    };
    const QString fromA = "added operator verdict recipe verdict review";
    for (int again = 0; again < 2; ++again) {
        QCOMPARE(zqcli(sync).code, 0);
        QCOMPARE(shown(), fromA);
    }
    const std::optional<zq::RunRow> seen = b.run(sha, &error);
    QVERIFY(seen);
    QCOMPARE(QList<int>({seen->checks, seen->failedChecks}), QList<int>({2, 1}));
    QCOMPARE(b.signatures(sha, &error).review.name, QStringLiteral("张"));
    zq::RunFilter reviewed;
    reviewed.state = zq::RunState::Reviewed;
    QCOMPARE(b.list(reviewed, &error).size(), 1);
    // B's own approval goes up once and is shown once, before and after it went.
    QVERIFY2(b.sign(sha, "李", zq::Archive::Meaning::Approve, {}, &error), qPrintable(error));
    QCOMPARE(shown(), fromA + " approve");
    for (int again = 0; again < 2; ++again)
        QCOMPARE(zqcli(sync).code, 0);
    QCOMPARE(shown(), fromA + " approve");
    QCOMPARE(chainOf(*m_server, sha).count("approve:"), 1);
    QVERIFY(b.checkHistory(&error).isEmpty() && error.isEmpty());
    // The copy changed behind the program's back is found as the server's own chain would be.
    QSqlQuery tamper(QSqlDatabase::database(b.connectionName()));
    QVERIFY(tamper.exec("DROP TRIGGER server_history_no_update")
        && tamper.exec("UPDATE server_history SET signer = '王' WHERE what = 'review' AND sha256 = '" + sha + "'"));
    const QVector<zq::ChainBreak> broken = b.checkHistory(&error);
    QCOMPARE(broken.size(), 1);
    QCOMPARE(broken.at(0).position, 5);
}

void TstSharedQueue::approvalHereStandsUntilChangedElsewhere_data()
{
    QTest::addColumn<bool>("changedAfter");
    QTest::addColumn<QString>("operatorName");
    QTest::addColumn<zq::RunState>("state");
    QTest::newRow("changed before the approval went") << false << QString() << zq::RunState::Approved;
    QTest::newRow("changed after it went") << true << QStringLiteral("甲") << zq::RunState::Draft;
}

void TstSharedQueue::approvalHereStandsUntilChangedElsewhere()
{
    QFETCH(bool, changedAfter);
    QTemporaryDir dir;
    zq::Archive server, a, b;
    QString error;
    bool isNew = false;
    QVERIFY2(server.open(m_server->url(), &error), qPrintable(error));
    const QString sha
        = server.addRun(zq::dataFileBytes(timeData(40, changedAfter ? 18 : 17)), QString(), &isNew, &error);
    const QStringList sync{"archive", "--archive", m_server->url(), "--local", dir.filePath("b.sqlite"), "sync"};
    QVERIFY(a.open(dir.filePath("a.sqlite"), &error) && b.open(dir.filePath("b.sqlite"), &error));
    QVERIFY(a.merge(server.list({}, &error), &error) && b.merge(server.list({}, &error), &error));
    // PC A, which never saw B's approval, changes the run.
    const auto aEdits = [&] {
        return a.setFields(sha, {"甲", {}, {}, {}, {}}, &error) && zq::drainQueue(a, server, nullptr, &error);
    };
    QVERIFY(b.sign(sha, "张", zq::Archive::Meaning::Review, {}, &error)
        && b.sign(sha, "李", zq::Archive::Meaning::Approve, {}, &error));
    QVERIFY2(changedAfter || aEdits(), qPrintable(error));
    QCOMPARE(zqcli(sync).code, 0);
    QVERIFY2(!changedAfter || aEdits(), qPrintable(error));
    QCOMPARE(zqcli(sync).code, 0);
    QTEST(b.run(sha, &error)->fields.operatorName, "operatorName");
    QTEST(b.signatures(sha, &error).state, "state");
}

int main(int argc, char *argv[])
{
    // initdb refuses root: the server, and the suite, run as an ordinary user.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    QCoreApplication app(argc, argv);
    TstSharedQueue suite;
    return QTest::qExec(&suite, argc, argv);
}
#include "tst_sharedqueue.moc"
