// History on the real PostgreSQL server: the same rows as on SQLite, the
// program's role may only read and add them, and no one may change them.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/line.h"
#include "support/pgserver.h"
#include "support/records.h"

#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>
#include <unistd.h>

class TstSharedHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void changesLeaveRowsOnTheServer();
    void rowsCannotBeChanged_data();
    void rowsCannotBeChanged();
    void twoWritersAppendToOneRun();

private:
    // A statement as the program's role; its error output, empty when it ran.
    QString asProgram(const QString &sql)
    {
        QProcess psql;
        psql.start("psql",
            {"-h", "127.0.0.1", "-p", QString::number(m_server->port()), "-U", "zq", "-d", "zqarchive", "-v",
                "ON_ERROR_STOP=1", "-c", sql});
        psql.waitForFinished();
        return psql.exitCode() == 0 ? QString() : QString::fromUtf8(psql.readAllStandardError());
    }
    std::unique_ptr<PgServer> m_server;
    QString m_sha;
};

void TstSharedHistory::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Postgres, Need::Zqcli);
    m_server = std::make_unique<PgServer>();
    QVERIFY(m_server->ok());
    qputenv("PGPASSWORD", "secret");
}

void TstSharedHistory::changesLeaveRowsOnTheServer()
{
    zq::Archive a;
    QString error;
    QVERIFY2(a.open(m_server->url(), &error), qPrintable(error));
    bool isNew = false;
    m_sha = a.addRun(zq::dataFileBytes(timeData(30)), QString(), &isNew, &error);
    QVERIFY2(!m_sha.isEmpty(), qPrintable(error));
    QVERIFY2(a.setFields(m_sha, {"王", {}, {}, {}, {}}, &error), qPrintable(error));
    QVERIFY(a.setVerdict(m_sha, "FAIL", "渗碳", &error));
    QVERIFY(a.setVerdict(m_sha, "PASS", "渗碳", &error));
    QCOMPARE(m_server->scalar(QStringLiteral(
                 "SELECT string_agg(what || ':' || COALESCE(old_value, '') || '>' || COALESCE(new_value, ''), ' '"
                 " ORDER BY position) FROM history WHERE sha256 = '%1'")
                                  .arg(m_sha)),
        QStringLiteral("added:> operator:>王 verdict:>FAIL recipe:>渗碳 verdict:FAIL>PASS"));
    const Run check = zqcli({"archive", "check", "--archive", m_server->url()}, QString(), {"PGPASSWORD=secret"});
    QCOMPARE(check.code, 0);
    const zq::RunRow run = *a.run(m_sha, &error);
    QCOMPARE((QList<int>{run.checks, run.failedChecks}), (QList<int>{2, 1}));
}

void TstSharedHistory::rowsCannotBeChanged_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("update") << "UPDATE history SET new_value = 'PASS'";
    QTest::newRow("delete") << "DELETE FROM history";
    QTest::newRow("truncate") << "TRUNCATE history";
}

void TstSharedHistory::rowsCannotBeChanged()
{
    QFETCH(QString, statement);
    QVERIFY(!m_sha.isEmpty());
    QVERIFY(asProgram(statement).contains("permission denied"));
    // Not even the owner: the trigger refuses.
    QString out;
    QVERIFY(!m_server->psql("zqarchive", statement, &out));
    QCOMPARE(m_server->scalar("SELECT COUNT(*) FROM history WHERE new_value = 'FAIL'"), QStringLiteral("1"));
}

void TstSharedHistory::twoWritersAppendToOneRun()
{
    QVERIFY(!m_sha.isEmpty());
    const QString rowsOf = "SELECT COUNT(*) FROM history WHERE sha256 = '" + m_sha + "'";
    const int before = m_server->scalar(rowsOf).toInt();
    // Two PCs' connections adding to one run's chain at the same moment.
    QMutex lock;
    QStringList errors;
    const auto writer = [&](const QString &who) {
        zq::Archive a;
        QString error;
        bool ok = a.open(m_server->url(), &error);
        for (int i = 0; ok && i < 25; ++i)
            ok = a.addNote(m_sha, {i, who}, &error);
        if (!ok) {
            const QMutexLocker locked(&lock);
            errors << who + ": " + error;
        }
    };
    std::thread first(writer, QStringLiteral("甲"));
    std::thread second(writer, QStringLiteral("乙"));
    first.join();
    second.join();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    QCOMPARE(m_server->scalar(rowsOf).toInt(), before + 50);
    const Run check = zqcli({"archive", "check", "--archive", m_server->url()}, QString(), {"PGPASSWORD=secret"});
    QVERIFY2(check.code == 0, qPrintable(check.out + check.err));
}

int main(int argc, char *argv[])
{
    // initdb refuses root: the server, and the suite, run as an ordinary user.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    QCoreApplication app(argc, argv);
    TstSharedHistory suite;
    return QTest::qExec(&suite, argc, argv);
}
#include "tst_sharedhistory.moc"
