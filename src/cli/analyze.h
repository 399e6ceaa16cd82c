#pragma once
// zqcli analyze's pieces: what a run is held against, and its outputs.
#include "archive/archive.h"
#include "core/analysis.h"
#include "core/reference.h"
#include "core/textexport.h"

#include <QJsonArray>
#include <QStringList>
#include <memory>

namespace cli {
// What the run is held against: a file's readings or the recipe's
// schedule, on its own axis, and whether that axis is time.
struct Against
{
    bool wanted = false;
    zq::Curve curve;
    bool timed = false;
    zq::Alignment alignment;
};

struct Output
{
    QVector<QStringList> csv;
    QJsonArray json;
    QString text;
    // Verdicts of whole runs go to the archive, as the window's do; the
    // figures never wait on it, and a failure is told once.
    QString archivePath;
    std::unique_ptr<zq::Archive> archive;
    bool archiveFailed = false;
};

// One file's figures in every form; whether its verdict is FAIL.
bool add(const QString &file, const zq::Record &record, const zq::Recipe &recipe, const Against &against,
    const zq::ReadingRange &range, Output &out);
void print(const QString &format, const Output &out);
} // namespace cli
