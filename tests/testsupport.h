#pragma once

#include "window/dialogs.h"
#include "window/form1.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <pty.h>
#include <unistd.h>

// Answers the window's questions from a script and remembers what was asked.
struct ScriptedDialogs : UserDialogs
{
    struct Shown
    {
        QString text, title;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton defaultButton;
    };
    QList<QMessageBox::StandardButton> answers; // in turn; none left: the default button
    QStringList paths; // in turn; none left: cancel
    QString pickFilter;
    QList<Shown> shown;
    QStringList offeredNames;
    QList<QStringList> offeredFilters;

    std::function<void()> whileAsking; // runs while a box is open, as the event loop would

    QMessageBox::StandardButton message(const QString &text, const QString &title, QMessageBox::StandardButtons,
        QMessageBox::Icon icon, QMessageBox::StandardButton def) override
    {
        shown.append({text, title, icon, def});
        if (whileAsking)
            whileAsking();
        return answers.isEmpty() ? def : answers.takeFirst();
    }
    QString openFile(const QString &, const QString &name, const QStringList &filters) override
    {
        return saveFile({}, name, filters, nullptr);
    }
    QString saveFile(const QString &, const QString &name, const QStringList &filters, QString *selected) override
    {
        offeredNames.append(name);
        offeredFilters.append(filters);
        if (selected && !pickFilter.isEmpty())
            *selected = pickFilter;
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
};

// A window whose questions the test answers.
struct TestWindow
{
    std::unique_ptr<Form1> form = std::make_unique<Form1>();
    ScriptedDialogs *dialogs = new ScriptedDialogs;
    QTemporaryDir settings;
    TestWindow()
    {
        form->setDialogs(std::unique_ptr<UserDialogs>(dialogs));
        form->useSettingsFile(settings.filePath("zqtemp.ini"));
    }
    explicit TestWindow(const QString &device)
        : TestWindow()
    {
        form->setPortDevices(device, device);
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
        if (QTest::qWaitFor([this] { return process.canReadLine(); }, 5000))
            device = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~Simulator()
    {
        process.terminate();
        process.waitForFinished(3000);
    }
};

// Time-stamped records 07-26 hour:i:09 reading 200 + i % 50, in group 0.
inline Workspace timeData(int n, uint8_t hour = 13)
{
    Workspace ws;
    ws.datatype = ws.havedata = zq::TimeData;
    ws.grpcount[0] = n;
    for (int i = 0; i < n; ++i)
        ws.wdtab[i][0] = WDREC{int16_t(200 + i % 50), 7, 26, hour, uint8_t(i % 60), 9};
    return ws;
}

inline Workspace sequenceData(int n, int value, int ybase = 800)
{
    Workspace ws;
    ws.datatype = ws.havedata = zq::SequenceData;
    ws.wdnum = n;
    ws.ybase = ybase;
    ws.wdseq.fill(int16_t(value));
    return ws;
}

// A right-click on a button, as the window system delivers it; the menu it opened.
inline QMenu *rightClick(QWidget *button)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), button->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(button, &event);
    return button->findChild<QMenu *>();
}

inline QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray a;
    for (int b : list)
        a.append(char(b));
    return a;
}
