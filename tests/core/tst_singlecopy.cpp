#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TstSingleCopy : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondCopyIsRefusedAndStaleLockIsTakenOver();

private:
    QProcessEnvironment env(const QString &lockDir) const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("ZQTEMP_LOCK_DIR", lockDir);
        e.insert("ZQTEMP_AUTO_ANSWER_MS", "50");
        return e;
    }
    static qint64 lockOwner(const QString &dir)
    {
        const QStringList locks = QDir(dir).entryList({"zqtemp-*.lock"});
        if (locks.isEmpty())
            return -1;
        QFile f(QDir(dir).filePath(locks.first()));
        if (!f.open(QIODevice::ReadOnly))
            return -1;
        return f.readLine().trimmed().toLongLong();
    }
};

void TstSingleCopy::secondCopyIsRefusedAndStaleLockIsTakenOver()
{
    QTemporaryDir dir;
    const QString bin = qEnvironmentVariable("ZQTEMP_BIN");
    QProcess first, second, third;
    for (QProcess *p : {&first, &second, &third})
        p->setProcessEnvironment(env(dir.path()));

    first.start(bin);
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(dir.path()), first.processId(), 10000);

    second.start(bin);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(QString::fromUtf8(second.readAllStandardError()).contains(QStringLiteral("这个程序正在运行！")));
    QCOMPARE(first.state(), QProcess::Running);

    // A copy that dies leaves its lock behind; it must not block the next start.
    const qint64 firstPid = first.processId();
    first.kill();
    QVERIFY(first.waitForFinished(5000));
    QCOMPARE(lockOwner(dir.path()), firstPid);
    third.start(bin);
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(dir.path()), third.processId(), 10000);
    QCOMPARE(third.state(), QProcess::Running);
    third.terminate();
    QVERIFY(third.waitForFinished(5000));
}

QTEST_MAIN(TstSingleCopy)
#include "tst_singlecopy.moc"
