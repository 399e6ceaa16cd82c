#pragma once

#include "link/texts.h"

#include <QSerialPort>
#include <QString>
#include <QStringList>

namespace zq {
// What the system can tell about a serial device beyond Qt's error code.
struct PortFacts
{
    bool exists = true;
    bool accessible = true; // this user may read and write it
    QString owner; // the user who owns the device
    QString group; // the group that owns the device
    uint mode = 0; // its permission bits
    bool groupReadWrite = false; // members of its group may read and write it
    QStringList holders; // "1234 (minicom)" for each other process that has it open
    // The lock file a serial port takes before it opens the device, when one
    // is there: who took it, and whether that process still runs.
    QString lockFile;
    QString lockOwner; // the user the lock file belongs to
    QString lockHolder; // "1234 (minicom)" while that process runs
    qint64 lockPid = 0;
    QStringList present; // the serial ports there are
    bool brltty = false; // the braille service that takes USB serial adapters runs
    bool adapterWithoutNode = false; // a USB serial adapter without a /dev node
};

PortFacts gatherPortFacts(const QString &device);
// Where the serial port keeps the device's lock: the first lock folder this
// user may use, the device named as the port names it ("pts_3" for /dev/pts/3).
QString portLockFile(const QString &device);

// The serial ports there are, each with its stable /dev/serial/by-id name
// where it has one, and its description and maker.
struct PortChoice
{
    QString device; // what to open: the by-id name where there is one
    QString systemLocation;
    QString label; // for a menu
};
QList<PortChoice> availablePortChoices();
} // namespace zq
