#pragma once

#include "support/needs.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <pty.h>
#include <unistd.h>

// An instrument on the far side of a real pseudo-terminal, scripted by the test.
class PtyInstrument : public QObject
{
public:
    std::function<QByteArray(uint8_t request)> respond;
    QByteArray received;

    PtyInstrument()
    {
        char name[256] = {0};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            qFatal("openpty failed");
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = QString::fromLocal8Bit(name);
        auto *notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            char buf[256];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i) {
                received.append(buf[i]);
                if (respond)
                    send(respond(uint8_t(buf[i])));
            }
        });
    }
    ~PtyInstrument() override
    {
        ::close(m_slave);
        ::close(m_master);
    }
    QString path() const { return m_path; }
    void send(const QByteArray &bytes) { QVERIFY(::write(m_master, bytes.constData(), bytes.size()) == bytes.size()); }
    void sendLater(const QByteArray &bytes, int ms)
    {
        QTimer::singleShot(ms, this, [this, bytes] { send(bytes); });
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

// The simulator tool; its first line is the device path.
struct Simulator
{
    QProcess process;
    QString device;
    explicit Simulator(const QStringList &args)
    {
        process.start(qEnvironmentVariable("ZQ_INSTRUMENT"), QStringList{"--fast"} + args);
        // A simulator that cannot start is told at once, not after the wait.
        if (QTest::qWaitFor([this] { return process.canReadLine() || process.state() == QProcess::NotRunning; }, 5000)
            && process.canReadLine())
            device = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~Simulator()
    {
        process.terminate();
        process.waitForFinished(3000);
    }
};

// zqcli as a script runs it, with no display.
struct Run
{
    int code = -1;
    QString out, err;
    qint64 ms = 0;
};

inline Run zqcli(const QStringList &args, const QString &dir = QString(), const QStringList &extraEnv = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &pair : extraEnv)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.isEmpty() ? QDir::currentPath() : dir);
    QElapsedTimer clock;
    clock.start();
    p.start(qEnvironmentVariable("ZQCLI_BIN"), args);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
        QString::fromUtf8(p.readAllStandardError()), clock.elapsed()};
}
