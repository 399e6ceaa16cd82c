#pragma once

#include "core/record.h"
#include "link/download.h"
#include "link/texts.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class CommPort;
class OnlinePollMachine;

// How a download ended, as both front ends tell it.
struct DownloadResult
{
    ReadComMachine::Outcome outcome = ReadComMachine::NoReply;
    zq::Record record;
    QByteArray raw; // the answer byte and the packets, exactly as they came
    QString device;
    QString instrument; // the serial number the user said is on that port; empty: not said
    QDateTime ended;
    QString keptPath; // the kept copy, when one was written
    QString rawPath; // the bytes as they came, beside it
    QString keepError; // why the kept copy could not be written
    QString note; // what to tell of how it ended; empty for a whole download
    // Kept, but short of what the instrument holds (or not whole): decided
    // by the outcome alone.
    bool partial() const;
};

// The instrument on its serial line: the port, the download and the live
// reading. Only this layer touches the port; what a download brings leaves
// as a finished record, kept on disk by one policy for every front end.
class Instrument : public QObject
{
    Q_OBJECT
public:
    enum StartResult { Started, Busy, Failed };

    explicit Instrument(QObject *parent = nullptr);
    ~Instrument() override;

    // COM 1 and COM 2 and the device behind each; a poll on the old one ends.
    void setDevices(const QString &com1, const QString &com2);
    void setDevice(int commPort, const QString &device);
    QString deviceFor(int commPort) const;
    // The instrument the user says is on each port, by serial number; a
    // download from there carries it.
    void setInstrumentFor(int commPort, const QString &serial) { m_serials[commPort == 2 ? 1 : 0] = serial; }
    QString instrumentFor(int commPort) const { return m_serials[commPort == 2 ? 1 : 0]; }
    int commPort() const;
    void setCommPort(int number);
    QString deviceName() const;
    bool portOpen() const;
    // The machines, for what they tell of a transfer under way; only this
    // layer drives them.
    ReadComMachine &download() { return *m_download; }
    OnlinePollMachine &poll() { return *m_poll; }
    bool downloading() const;
    bool polling() const;
    // After a download ended by a silence: still listening for late bytes.
    bool watching() const;

    // Where every download with a reading is kept as it ends (none when empty).
    void setKeepDir(const QString &dir) { m_keepDir = dir; }
    QString keepDir() const { return m_keepDir; }

    // Failed leaves the message to show in *message: which port, why, what to do.
    StartResult startDownload(QString *message);
    StartResult startPoll(QString *message);
    void stopPoll();
    // Closing: ends whatever runs; a download still ends with its record kept.
    void abort();

Q_SIGNALS:
    void status(const QString &text);
    void style(const QString &text);
    void progress(int value);
    void progressMaximum(int maximum);
    void downloadEnded(const DownloadResult &result);
    // Bytes came after a download ended by a silence: it was not whole. The
    // kept files now carry "-incomplete" in their names.
    void downloadIncomplete(const DownloadResult &result);
    // The watch after a download ended quietly; the port is free.
    void watchEnded();
    // The download as it stands for good: its final outcome and the names its
    // kept files finally have. Emitted once a download, after any watch (a
    // watch cut short by a new download or by closing settles it as it was).
    // What is recorded of a download is recorded from this.
    void downloadSettled(const DownloadResult &result);
    void pollEnded();
    // The line went away during a live reading.
    void pollLineLost(const QString &message);

private:
    void route(int commEvent);
    void onLineLost(const QString &reason);
    void onDownloadFinished(ReadComMachine::Outcome outcome);
    void onLateBytes(const QByteArray &bytes);
    void endWatch();
    // Another process that holds the device reads bytes meant for us.
    QString otherReaders() const;
    QString openFailure(const QString &reason) const;

    CommPort *m_port;
    ReadComMachine *m_download;
    OnlinePollMachine *m_poll;
    QString m_keepDir;
    QString m_serials[2];
    QString m_lostMessage;
    DownloadResult m_last;
};

namespace zq {
// The outcome in a word, as the run archive stores it.
QString outcomeName(ReadComMachine::Outcome outcome);
} // namespace zq
