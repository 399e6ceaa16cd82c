// A download over a pseudo-terminal paced as a real 4800-baud line: how long
// after the last byte the program is done, and how much CPU it used
// meanwhile. Arguments after the first go to the simulator (--style 1
// --count 300 for a time-stamped log); the figures' names carry a label.
#include "link/instrument.h"
#include "print/fonts.h"
#include "support/page.h"
#include "window/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/resource.h>
#include <time.h>

namespace {
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}
} // namespace

int main(int argc, char *argv[])
{
    // Taken before QApplication, which would eat a "-style" of its own.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    QApplication app(argc, argv);
    zq::installFontSubstitutes();
    const QString label = args.isEmpty() ? QStringLiteral("sequence") : args.join(QString()).remove(QLatin1Char('-'));
    QProcess sim;
    sim.start(
        QString::fromLocal8Bit(qgetenv("ZQ_INSTRUMENT")), QStringList{QStringLiteral("--report-last-byte")} + args);
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000))
        return 1;
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

    Form1 w;
    w.setPortDevices(device, device);
    QTemporaryDir keep;
    w.setKeepDir(keep.path());
    w.show();
    double cpu0 = 0;
    QElapsedTimer wall;
    long long finishedNs = 0;
    QObject::connect(&w.instrument().download(), &ReadComMachine::finished, &app, [&] {
        finishedNs = monotonicNs();
        const double cpu = cpuSeconds() - cpu0;
        const double secs = wall.nsecsElapsed() / 1e9;
        // Let the simulator's report of its last byte arrive.
        QTimer::singleShot(300, &app, [&, cpu, secs] {
            const QString err = QString::fromLocal8Bit(sim.readAllStandardError());
            const long long lastNs = err.section(QStringLiteral("last byte at "), -1).trimmed().toLongLong();
            const QByteArray l = label.toUtf8();
            const int readings = w.instrument().download().received();
            std::printf("%s_download_wall_s\t%.2f\n", l.constData(), secs);
            std::printf("%s_result_after_last_byte_ms\t%.1f\n", l.constData(), (finishedNs - lastNs) / 1e6);
            std::printf("%s_download_cpu_share_pct\t%.2f\n", l.constData(), 100.0 * cpu / secs);
            std::printf("%s_download_readings\t%d\n", l.constData(), readings);
            std::printf("%s_resident_memory_after_download_mb\t%.1f\n", l.constData(), residentMb());
            app.quit();
        });
    });
    QTimer::singleShot(200, &app, [&] {
        cpu0 = cpuSeconds();
        wall.start();
        ui(w).downloadButton->click();
    });
    const int rc = QApplication::exec();
    sim.terminate();
    sim.waitForFinished();
    return rc;
}
