#pragma once

// A real PostgreSQL 15 server for a test: initdb and pg_ctl in a temporary
// folder, listening on a Unix socket there and on 127.0.0.1 at a free port,
// the shared archive's schema loaded for a role with only the rights it
// grants. Stopped and removed with the object. Needs an unprivileged user
// (initdb refuses root).
#include "support/needs.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

class PgServer
{
public:
    static QString bin(const QString &tool) { return QStringLiteral("/usr/lib/postgresql/15/bin/") + tool; }
    static bool available() { return missing(Need::Postgres).isEmpty(); }

    PgServer()
    {
        m_port = freePort();
        const QString data = m_dir.filePath("data");
        run(bin("initdb"),
            {"-D", data, "-U", "admin", "--auth-local=trust", "--auth-host=scram-sha-256", "--encoding=UTF8",
                "--locale=C"});
        QFile conf(data + "/postgresql.conf");
        if (conf.open(QIODevice::Append))
            conf.write(QStringLiteral("\nlisten_addresses = '127.0.0.1'\nport = %1\nunix_socket_directories = '%2'\n"
                                      "fsync = off\n")
                           .arg(m_port)
                           .arg(m_dir.path())
                           .toUtf8());
        conf.close();
        m_ok = start();
        m_ok = m_ok && psql("postgres", "CREATE ROLE zq LOGIN PASSWORD 'secret'")
            && psql("postgres", "CREATE DATABASE zqarchive")
            && run(QStringLiteral("psql"),
                {"-h", m_dir.path(), "-p", QString::number(m_port), "-U", "admin", "-d", "zqarchive", "-v", "role=zq",
                    "-q", "-f", QStringLiteral(ZQ_SOURCE_DIR "/packaging/archive-postgresql.sql")});
    }
    ~PgServer() { stop(); }
    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    bool ok() const { return m_ok; }
    bool start()
    {
        return run(
            bin("pg_ctl"), {"-D", m_dir.filePath("data"), "-l", m_dir.filePath("log"), "-w", "-t", "30", "start"});
    }
    void stop() { run(bin("pg_ctl"), {"-D", m_dir.filePath("data"), "-m", "fast", "-w", "stop"}); }
    // The program's role over TCP (password from PGPASSWORD), or the socket folder.
    QString url(bool socket = false) const
    {
        return socket ? QStringLiteral("postgresql://zq@/zqarchive?host=%1&port=%2").arg(m_dir.path()).arg(m_port)
                      : QStringLiteral("postgresql://zq@127.0.0.1:%1/zqarchive?sslmode=disable").arg(m_port);
    }
    int port() const { return m_port; }
    // A statement as the administrator; its first column's values.
    bool psql(const QString &db, const QString &sql, QString *out = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral("psql"),
            {"-h", m_dir.path(), "-p", QString::number(m_port), "-U", "admin", "-d", db, "-At", "-v", "ON_ERROR_STOP=1",
                "-c", sql});
        p.waitForFinished(30000);
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
    // A script as the administrator, as its header says to run it.
    bool psqlFile(const QString &path)
    {
        return run(QStringLiteral("psql"),
            {"-h", m_dir.path(), "-p", QString::number(m_port), "-U", "admin", "-d", "zqarchive", "-q", "-f", path});
    }
    QString scalar(const QString &sql)
    {
        QString out;
        psql(QStringLiteral("zqarchive"), sql, &out);
        return out;
    }

private:
    static int freePort()
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &length);
        const int port = ntohs(a.sin_port);
        ::close(s);
        return port;
    }
    bool run(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        const bool done = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (!done)
            qWarning("%s: %s", qPrintable(program), p.readAll().constData());
        return done;
    }

    QTemporaryDir m_dir;
    int m_port = 0;
    bool m_ok = false;
    bool m_running = false;
};
