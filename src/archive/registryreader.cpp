// The registry's reads on their own thread: the worker opens its twin of the
// archive there, and answers through queued signals.
#include "archive/registryreader.h"
#include "archive/texts.h"

#include <QSqlError>
#include <memory>

namespace zq {

bool Archive::openTwin(const Twin &twin, QString *error)
{
    QSqlDatabase db = QSqlDatabase::cloneDatabase(twin.connection, m_connection);
    m_path = twin.path;
    m_server = twin.server;
    if (db.open())
        return true;
    *error = words::kCannotOpen.arg(m_path, db.lastError().text());
    return false;
}

class RegistryWorker : public QObject
{
    Q_OBJECT
public:
    explicit RegistryWorker(const Archive::Twin &source)
        : m_source(source)
    { }
    void readDevices()
    {
        QString error;
        QVector<Device> devices;
        if (open(&error))
            devices = Registry(*m_archive).devices(&error);
        Q_EMIT devicesRead(devices, error);
    }
    void readCalibration(const QString &sha256)
    {
        QString error;
        RunCalibration calibration;
        if (open(&error))
            calibration = runCalibration(*m_archive, sha256, &error);
        Q_EMIT calibrationRead(sha256, calibration, error);
    }

Q_SIGNALS:
    // As RegistryReader's, which they are relayed to (names left to moc's own).
    void devicesRead(const QVector<zq::Device> &, const QString &);
    void calibrationRead(const QString &, const zq::RunCalibration &, const QString &);

private:
    // Opened on first use, on this thread; opened again after a failure.
    bool open(QString *error)
    {
        if (m_archive && m_archive->isOpen())
            return true;
        m_archive = std::make_unique<Archive>();
        return m_archive->openTwin(m_source, error);
    }

    const Archive::Twin m_source;
    std::unique_ptr<Archive> m_archive;
};

RegistryReader::RegistryReader(const Archive &archive, QObject *parent)
    : QObject(parent)
    , m_worker(new RegistryWorker(archive.twin()))
{
    qRegisterMetaType<QVector<zq::Device>>();
    qRegisterMetaType<zq::RunCalibration>();
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &RegistryWorker::devicesRead, this, &RegistryReader::devicesRead);
    connect(m_worker, &RegistryWorker::calibrationRead, this, &RegistryReader::calibrationRead);
    m_thread.start();
}

RegistryReader::~RegistryReader()
{
    m_thread.quit();
    m_thread.wait();
}

void RegistryReader::readDevices()
{
    QMetaObject::invokeMethod(m_worker, &RegistryWorker::readDevices);
}

void RegistryReader::readCalibration(const QString &sha256)
{
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, sha256] { worker->readCalibration(sha256); });
}
} // namespace zq

#include "registryreader.moc"
