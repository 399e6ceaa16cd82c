// The local queue for the shared archive, sent the one way the window and
// zqcli share: runs, then the user's edits of them; a row leaves the queue
// only once the real PostgreSQL server has it.
#include "archive/archive.h"
#include "archive/outbox.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/pgserver.h"
#include "support/records.h"

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
} // namespace

class TstSharedQueue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void editWhileDownReachesServerBySync();
    void failedSendLeavesRowQueued();

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
