// The run archive's figures: importing 1,000 files, and listing and
// filtering 10,000 runs.
#include "archive/archive.h"
#include "core/datafile.h"

#include "median.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
QByteArray fileBytes(int i)
{
    QVector<WDREC> records(4032);
    for (int k = 0; k < records.size(); ++k)
        records[k] = WDREC{int16_t(300 + (k + i) % 500), 7, uint8_t(1 + i % 28), uint8_t(k / 720 % 24),
            uint8_t(k / 12 % 60), uint8_t(k * 5 % 60)};
    return zq::dataFileBytes(zq::Record::timeStamped(records));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    {
        zq::Archive archive;
        QString error;
        archive.open(dir.filePath("import.sqlite"), &error);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 1000; ++i) {
            bool isNew = false;
            archive.addRun(fileBytes(i), dir.filePath(QStringLiteral("f%1.ZQ").arg(i)), &isNew, &error);
        }
        std::printf("archive_import_1000_files_s\t%.2f s\n", t.nsecsElapsed() / 1e9);
    }
    zq::Archive archive;
    QString error;
    archive.open(dir.filePath("list.sqlite"), &error);
    {
        // 10,000 runs written in one go: the listing is what is measured.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(dir.filePath("list.sqlite"));
        db.open();
        db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO runs (sha256, data_type, readings, failed, peak, equipment, verdict,"
                                 " comment, added_at) VALUES (?, 2, 4032, 0, ?, ?, ?, ?, '2026-12-01T08:00:00')"));
        for (int i = 0; i < 10000; ++i) {
            q.addBindValue(zq::Archive::sha256Of(QByteArray::number(i)));
            q.addBindValue(500 + i % 400);
            q.addBindValue(QString::number(i % 12));
            q.addBindValue(i % 7 ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
            q.addBindValue(QStringLiteral("炉次 %1").arg(i));
            q.exec();
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    // What the window pays once, at the first run it records: opening with the integrity check.
    std::printf("archive_open_10000_runs_ms\t%.1f ms\n", medianMs([&] {
        zq::Archive again;
        QString ignored;
        again.open(dir.filePath("list.sqlite"), &ignored);
    }));
    std::printf("archive_list_10000_runs_ms\t%.1f ms\n", medianMs([&] { (void)archive.list({}, &error); }, 11));
    zq::RunFilter filter;
    filter.equipment = QStringLiteral("3");
    filter.verdict = QStringLiteral("fail");
    std::printf("archive_filter_10000_runs_ms\t%.1f ms\n", medianMs([&] { (void)archive.list(filter, &error); }));
    filter = {};
    filter.search = QStringLiteral("炉次 99");
    std::printf("archive_search_10000_runs_ms\t%.1f ms\n", medianMs([&] { (void)archive.list(filter, &error); }));
    // A shared archive's address as the argument: the same listing over the network.
    if (argc > 1) {
        zq::Archive server;
        if (!server.open(QString::fromLocal8Bit(argv[1]), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const double n = double(server.list({}, &error).size());
        std::printf(
            "archive_server_list_%.0f_runs_ms\t%.1f ms\n", n, medianMs([&] { (void)server.list({}, &error); }, 11));
    }
    return 0;
}
