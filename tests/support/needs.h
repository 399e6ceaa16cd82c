#pragma once

// What a suite needs beyond its own binary. It asks first and skips, saying
// what is missing, rather than failing after a timeout: the programs come
// from the variables ctest sets, so a suite run by hand without them skips.
#include <QFileInfo>
#include <QString>
#include <QtTest>
#include <initializer_list>
#include <unistd.h>

enum class Need { Simulator, Zqcli, Zqtemp, Postgres, Root };

// Why the need cannot be met; empty when it can.
inline QString missing(Need need)
{
    const auto program = [](const char *variable, const char *what) {
        const QString path = qEnvironmentVariable(variable);
        if (path.isEmpty())
            return QStringLiteral("%1 is not set: run the suite through ctest, or set it to %2").arg(variable, what);
        return QFileInfo(path).isExecutable() ? QString() : QStringLiteral("%1 is not built: %2").arg(what, path);
    };
    switch (need) {
    case Need::Simulator:
        return program("ZQ_INSTRUMENT", "the simulator (tools/zq-instrument)");
    case Need::Zqcli:
        return program("ZQCLI_BIN", "zqcli");
    case Need::Zqtemp:
        return program("ZQTEMP_BIN", "zqtemp");
    case Need::Postgres:
        if (!QFileInfo(QStringLiteral("/usr/lib/postgresql/15/bin/initdb")).isExecutable())
            return QStringLiteral("PostgreSQL 15 (initdb) is not installed");
        return ::geteuid() == 0 ? QStringLiteral("initdb refuses root") : QString();
    case Need::Root:
        return ::geteuid() == 0 ? QString() : QStringLiteral("this needs root");
    }
    return QString();
}

inline QString missing(std::initializer_list<Need> needs)
{
    QStringList why;
    for (Need need : needs)
        if (!missing(need).isEmpty())
            why.append(missing(need));
    return why.join(QStringLiteral("; "));
}

// In a test function, init() or initTestCase(): skips when a need is missing.
#define ZQ_SKIP_WITHOUT(...)                                                                                           \
    do {                                                                                                               \
        const QString zqMissing = missing({__VA_ARGS__});                                                              \
        if (!zqMissing.isEmpty())                                                                                      \
            QSKIP(qPrintable(zqMissing));                                                                              \
    } while (false)
