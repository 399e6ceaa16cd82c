#pragma once

#include "support/needs.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <pty.h>
#include <unistd.h>
#include <vector>

// A lock file some other run left on this machine for a pseudo-terminal's
// name: a user who may not remove it cannot open the line. Not what a test
// is about, so a test takes another name.
inline bool leftLocked(const QString &device)
{
    return QFileInfo::exists(
        QStringLiteral("/var/lock/LCK..") + device.mid(5).replace(QLatin1Char('/'), QLatin1Char('_')));
}

// An instrument on the far side of a real pseudo-terminal, scripted by the test.
class PtyInstrument : public QObject
{
public:
    std::function<QByteArray(uint8_t request)> respond;
    QByteArray received;

    PtyInstrument()
    {
        char name[256] = {0};
        std::vector<int> locked; // held until another name is ours
        for (;;) {
            if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
                qFatal("openpty failed");
            if (locked.size() >= 16 || !leftLocked(QString::fromLocal8Bit(name)))
                break;
            locked.insert(locked.end(), {m_master, m_slave});
        }
        for (const int fd : locked)
            ::close(fd);
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
    QString device;
    explicit Simulator(const QStringList &args)
    {
        // Locked names stay taken, their simulators running, until one is free.
        std::vector<std::unique_ptr<QProcess>> locked;
        for (int tries = 0; tries < 16; ++tries) {
            if (m_process)
                locked.push_back(std::move(m_process));
            m_process = std::make_unique<QProcess>();
            m_process->start(qEnvironmentVariable("ZQ_INSTRUMENT"), QStringList{"--fast"} + args);
            // A simulator that cannot start is told at once, not after the wait.
            QProcess *p = m_process.get();
            device.clear();
            if (QTest::qWaitFor([p] { return p->canReadLine() || p->state() == QProcess::NotRunning; }, 5000)
                && p->canReadLine())
                device = QString::fromLocal8Bit(p->readLine()).trimmed();
            if (device.isEmpty() || !leftLocked(device))
                break;
        }
        for (const auto &p : locked)
            stop(p.get());
    }
    ~Simulator() { stop(m_process.get()); }

private:
    static void stop(QProcess *p)
    {
        p->terminate();
        p->waitForFinished(3000);
    }
    std::unique_ptr<QProcess> m_process;
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
