#pragma once

#include "core/dialogs.h"
#include "core/form1.h"

#include <QByteArray>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// Answers the window's questions from a script and remembers what was asked.
class ScriptedDialogs : public UserDialogs
{
public:
    struct Shown
    {
        QString text, title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton defaultButton;
    };
    QList<QMessageBox::StandardButton> answers; // taken in turn; empty: the default button
    QStringList paths; // taken in turn; empty: cancel
    QString pickFilter;
    QList<Shown> shown;
    QStringList offeredNames;
    QList<QStringList> offeredFilters;

    QMessageBox::StandardButton message(const QString &text, const QString &title, QMessageBox::StandardButtons buttons,
        QMessageBox::Icon icon, QMessageBox::StandardButton def) override
    {
        shown.append({text, title, buttons, icon, def});
        return answers.isEmpty() ? def : answers.takeFirst();
    }
    QString openFile(const QString &, const QString &name, const QStringList &filters) override
    {
        offeredNames.append(name);
        offeredFilters.append(filters);
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
    QString saveFile(const QString &, const QString &name, const QStringList &filters, QString *selected) override
    {
        offeredNames.append(name);
        offeredFilters.append(filters);
        if (selected && !pickFilter.isEmpty())
            *selected = pickFilter;
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
    QStringList texts() const
    {
        QStringList t;
        for (const Shown &s : shown)
            t.append(s.text);
        return t;
    }
};

// A window whose questions the test answers.
struct TestWindow
{
    std::unique_ptr<Form1> form = std::make_unique<Form1>();
    ScriptedDialogs *dialogs = nullptr;
    TestWindow()
    {
        auto d = std::make_unique<ScriptedDialogs>();
        dialogs = d.get();
        form->setDialogs(std::move(d));
    }
    Form1 *operator->() { return form.get(); }
    Workspace &ws() { return form->workspace(); }
};

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
        termios t{};
        tcgetattr(m_slave, &t);
        cfmakeraw(&t);
        tcsetattr(m_slave, TCSANOW, &t);
        tcsetattr(m_master, TCSANOW, &t);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = QString::fromLocal8Bit(name);
        m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
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
        delete m_notifier;
        if (m_slave >= 0)
            ::close(m_slave);
        ::close(m_master);
    }
    QString path() const { return m_path; }
    void send(const QByteArray &bytes)
    {
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t w = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (w <= 0) {
                QTest::qWait(1); // the pty buffer is full; let the program read
                continue;
            }
            done += w;
        }
    }
    void sendLater(const QByteArray &bytes, int ms)
    {
        QTimer::singleShot(ms, this, [this, bytes] { send(bytes); });
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QSocketNotifier *m_notifier = nullptr;
};

// The simulator tool, started for a test; its first line is the device path.
struct Simulator
{
    QProcess process;
    QString device;
    bool start(const QStringList &args)
    {
        process.start(qEnvironmentVariable("ZQ_INSTRUMENT"), args);
        if (!process.waitForStarted(5000))
            return false;
        if (!QTest::qWaitFor([this] { return process.canReadLine(); }, 5000))
            return false;
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
        return !device.isEmpty();
    }
    ~Simulator()
    {
        process.terminate();
        process.waitForFinished(3000);
    }
};

inline QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray a;
    for (int b : list)
        a.append(char(b));
    return a;
}
