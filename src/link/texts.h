#pragma once

#include "link/download.h"

#include <QSerialPort>
#include <QString>
#include <QStringList>

// What the instrument's layer tells a person, in one place (ready for a
// translation): each text is made here and nowhere else.
namespace zq {
struct PortFacts;

// The message for a port that failed, in Chinese, naming the port and the
// device and saying what to do; the system's own reason only as a last resort.
QString portErrorText(int commPort, const QString &device, QSerialPort::SerialPortError error,
    const QString &systemReason, const PortFacts &facts);
// What is told of how a download ended: short of the instrument's memory,
// no record at all, or the line never quiet; empty when it is whole.
QString endingText(ReadComMachine::Outcome outcome, const ReadComMachine &download);
// Added to a short download's note: other programs that have the port open.
QString otherReadersText(const QStringList &holders);
// Bytes came after a download ended by a silence.
QString lateBytesText(int bytes);
// The status while a live reading waits for its answer.
QString liveOnText();
} // namespace zq
