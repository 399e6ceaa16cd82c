#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TstSingleCopy : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondCopyIsRefusedAndStaleLockIsTakenOver();
};

void TstSingleCopy::secondCopyIsRefusedAndStaleLockIsTakenOver()
{
    QTemporaryDir dir;
    auto lockOwner = [&] {
        QFile f(dir.filePath(QDir(dir.path()).entryList({"zqtemp-*.lock"}).value(0)));
        return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed().toLongLong() : -1;
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZQTEMP_LOCK_DIR", dir.path());
    env.insert("ZQTEMP_AUTO_ANSWER_MS", "50");
    QProcess first, second, third;
    for (QProcess *p : {&first, &second, &third}) {
        p->setProcessEnvironment(env);
        p->setProgram(qEnvironmentVariable("ZQTEMP_BIN"));
    }
    first.start();
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first.processId(), 10000);
    second.start();
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(QString::fromUtf8(second.readAllStandardError()).contains(QStringLiteral("这个程序正在运行！")));
    QCOMPARE(first.state(), QProcess::Running);

    // A copy that dies leaves its lock behind; it must not block the next start.
    first.kill();
    QVERIFY(first.waitForFinished(5000));
    third.start();
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), third.processId(), 10000);
    QCOMPARE(third.state(), QProcess::Running);
    third.terminate();
    QVERIFY(third.waitForFinished(5000));
}

QTEST_MAIN(TstSingleCopy)
#include "tst_singlecopy.moc"
