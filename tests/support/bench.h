#pragma once

#include "support/line.h"

#include "link/instrument.h"
#include "link/onlinepoll.h"

#include <QTemporaryDir>

// Packets stored by the transfer under way.
inline int packetsOf(const ReadComMachine &m)
{
    return m.dataType() == zq::SequenceData ? m.received() / 2 : m.received();
}

// The instrument's own layer on a device, as both front ends drive it, with
// what it told: every status and style text, and how each download ended.
struct Bench
{
    QTemporaryDir keep;
    QStringList status, style;
    QList<DownloadResult> ended, settled;
    int progressMaximum = 0;
    Instrument instrument; // last: it still tells as it closes

    explicit Bench(const QString &device)
    {
        instrument.setDevices(device, device);
        instrument.setKeepDir(keep.path());
        QObject::connect(&instrument, &Instrument::status, &instrument, [this](const QString &t) { status << t; });
        QObject::connect(&instrument, &Instrument::style, &instrument, [this](const QString &t) { style << t; });
        QObject::connect(
            &instrument, &Instrument::progressMaximum, &instrument, [this](int m) { progressMaximum = m; });
        QObject::connect(
            &instrument, &Instrument::downloadEnded, &instrument, [this](const DownloadResult &r) { ended << r; });
        QObject::connect(
            &instrument, &Instrument::downloadSettled, &instrument, [this](const DownloadResult &r) { settled << r; });
    }
    // Started, or what the user would be told.
    QString start()
    {
        QString message;
        const Instrument::StartResult r = instrument.startDownload(&message);
        return r == Instrument::Started ? QString() : r == Instrument::Busy ? QStringLiteral("busy") : message;
    }
    QString startPoll()
    {
        QString message;
        const Instrument::StartResult r = instrument.startPoll(&message);
        return r == Instrument::Started ? QString() : r == Instrument::Busy ? QStringLiteral("busy") : message;
    }
    int packets() { return packetsOf(instrument.download()); }
    bool idle() const { return !instrument.downloading() && !instrument.watching() && !instrument.portOpen(); }
};
