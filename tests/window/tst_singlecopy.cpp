#include "support/line.h"
#include "support/window.h"
#include "window/singleinstance.h"

#include <QProcess>
#include <QTemporaryDir>

class TstSingleCopy : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondCopyIsRefused();
    void lockOfADeadCopyIsTakenOver();
    void helpNeedsNoDisplay();
};

void TstSingleCopy::secondCopyIsRefused()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath("zqtemp.lock");
    SingleInstance first(lock);
    SingleInstance second(lock);
    QVERIFY(!first.anotherCopyRuns());
    QVERIFY(second.anotherCopyRuns());
    TestWindow w;
    QVERIFY(!showAsSingleCopy(*w.form, second));
    QVERIFY(!w->isVisible());
    QCOMPARE(w.dialogs->shown.size(), 1);
    QCOMPARE(w.dialogs->lastText(), QStringLiteral("这个程序正在运行！"));
    QCOMPARE(w.dialogs->shown[0].title, QStringLiteral("ZQ软件"));
    QCOMPARE(w.dialogs->shown[0].icon, QMessageBox::Warning);
    TestWindow only;
    SingleInstance alone(dir.filePath("other.lock"));
    QVERIFY(showAsSingleCopy(*only.form, alone));
    QVERIFY(only->isVisible());
}

void TstSingleCopy::lockOfADeadCopyIsTakenOver()
{
    ZQ_SKIP_WITHOUT(Need::Zqtemp);
    // The lock lives in the user's runtime folder.
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    auto lockOwner = [&] {
        QFile f(runtime.filePath("zqtemp.lock"));
        return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed().toLongLong() : -1;
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess first, next;
    for (QProcess *p : {&first, &next}) {
        p->setProcessEnvironment(env);
        p->setProgram(qEnvironmentVariable("ZQTEMP_BIN"));
    }
    first.start();
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first.processId(), 10000);
    first.kill();
    QVERIFY(first.waitForFinished(5000));
    next.start();
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), next.processId(), 10000);
    QCOMPARE(next.state(), QProcess::Running);
    next.terminate();
    QVERIFY(next.waitForFinished(5000));
}

void TstSingleCopy::helpNeedsNoDisplay()
{
    ZQ_SKIP_WITHOUT(Need::Zqtemp);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    for (const QStringList &args : {QStringList{"--help"}, QStringList{"--version"}, QStringList{"--no-such"}}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("ZQTEMP_BIN"), args);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), args[0] == "--no-such" ? 2 : 0);
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        QVERIFY(args[0] != "--help" || (out.contains("--keep-dir") && out.contains("--com1")));
        QVERIFY(args[0] != "--version" || out.startsWith("zqtemp "));
    }
}

QTEST_MAIN(TstSingleCopy)
#include "tst_singlecopy.moc"
