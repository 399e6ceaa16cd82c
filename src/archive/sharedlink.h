#pragma once

#include <QObject>
#include <QThread>

namespace zq {
class SharedWorker;

// The shared archive seen from the window: everything that may wait on the
// server happens on a thread of its own. A sync sends what the local
// archive queued (runs, then edits) and lays the server's runs into the
// local archive, which the window browses; it runs at start, when asked,
// and every few minutes. Nothing here blocks the thread that owns it.
class SharedLink : public QObject
{
    Q_OBJECT
public:
    SharedLink(const QString &url, const QString &localPath, QObject *parent = nullptr);
    // Waits for the statement in hand (a connection gives up within 3 s).
    ~SharedLink() override;
    SharedLink(const SharedLink &) = delete;
    SharedLink &operator=(const SharedLink &) = delete;

    QString url() const { return m_url; }
    void syncNow();
    // A run's bytes from the server; fetched() answers.
    void fetch(const QString &sha256);
    // Every run of the local archive, with all it holds, to the server; pushed() answers.
    void push();

Q_SIGNALS:
    // After each sync: what still waits, and why if the server failed (empty when it answered).
    void status(int pending, const QString &lastError);
    void synced();
    void fetched(const QString &sha256, const QByteArray &bytes, const QString &error);
    void pushed(int added, int known, int skipped, const QString &error);

private:
    QString m_url;
    QThread m_thread;
    SharedWorker *m_worker = nullptr;
};
} // namespace zq
