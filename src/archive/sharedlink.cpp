#include "archive/sharedlink.h"

#include "archive/archive.h"
#include "archive/outbox.h"
#include "archive/texts.h"

#include <QTimer>
#include <memory>

namespace zq {
namespace {
constexpr int kSyncEveryMs = 3 * 60 * 1000;
}

// Lives on the link's thread: its archives' connections belong to it.
class SharedWorker : public QObject
{
    Q_OBJECT
public:
    SharedWorker(const QString &url, const QString &localPath)
        : m_url(url)
        , m_localPath(localPath)
    { }

    void start()
    {
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, &SharedWorker::sync);
        m_timer->start(kSyncEveryMs);
        sync();
    }

    void sync()
    {
        QString error;
        const bool answered
            = open(&error) && drainQueue(*m_local, *m_server, nullptr, &error) && pullFrom(*m_local, *m_server, &error);
        QString ignored;
        Q_EMIT status(
            m_local && m_local->isOpen() ? pendingFor(*m_local, &ignored).total() : 0, answered ? QString() : error);
        if (answered)
            Q_EMIT synced();
    }

    void fetch(const QString &sha256)
    {
        QString error;
        QByteArray bytes;
        if (open(&error))
            bytes = m_server->fileBytes(sha256, &error);
        if (bytes.isEmpty() && error.isEmpty())
            error = zq::words::kServerHasNoFile;
        Q_EMIT fetched(sha256, bytes, bytes.isEmpty() ? error : QString());
    }

    void push()
    {
        QString error;
        Archive::PushCount n;
        if (open(&error))
            n = m_local->pushInto(
                *m_server, [](const QString &) {}, &error);
        Q_EMIT pushed(n.added, n.known, n.skipped, error);
    }

Q_SIGNALS:
    // As SharedLink's, which they are relayed to (names left to moc's own).
    void status(int, const QString &);
    void synced();
    void fetched(const QString &, const QByteArray &, const QString &);
    void pushed(int, int, int, const QString &);

private:
    bool open(QString *error)
    {
        if (!m_local) {
            m_local = std::make_unique<Archive>();
            if (!m_local->open(m_localPath, error)) {
                m_local.reset();
                return false;
            }
        }
        if (m_server && m_server->isOpen())
            return m_server->reachable(error);
        m_server = std::make_unique<Archive>();
        if (m_server->open(m_url, error))
            return true;
        m_server.reset();
        return false;
    }

    QString m_url;
    QString m_localPath;
    std::unique_ptr<Archive> m_server;
    std::unique_ptr<Archive> m_local;
    QTimer *m_timer = nullptr;
};

SharedLink::SharedLink(const QString &url, const QString &localPath, QObject *parent)
    : QObject(parent)
    , m_url(url)
    , m_worker(new SharedWorker(url, localPath))
{
    m_worker->moveToThread(&m_thread);
    // Deleted on its own thread as that thread ends, so its connections close there.
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(&m_thread, &QThread::started, m_worker, &SharedWorker::start);
    connect(m_worker, &SharedWorker::status, this, &SharedLink::status);
    connect(m_worker, &SharedWorker::synced, this, &SharedLink::synced);
    connect(m_worker, &SharedWorker::fetched, this, &SharedLink::fetched);
    connect(m_worker, &SharedWorker::pushed, this, &SharedLink::pushed);
    m_thread.setObjectName(QStringLiteral("shared archive"));
    m_thread.start();
}

SharedLink::~SharedLink()
{
    m_thread.quit();
    m_thread.wait();
}

void SharedLink::syncNow()
{
    QMetaObject::invokeMethod(m_worker, &SharedWorker::sync, Qt::QueuedConnection);
}

void SharedLink::fetch(const QString &sha256)
{
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, sha256] { worker->fetch(sha256); }, Qt::QueuedConnection);
}
void SharedLink::push()
{
    QMetaObject::invokeMethod(m_worker, &SharedWorker::push, Qt::QueuedConnection);
}
} // namespace zq

#include "sharedlink.moc"
