#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace zq {
// How a write may treat the name it is given.
enum class WriteMode {
    Replace, // an existing regular file is replaced whole; nothing else is written over
    NewOnly, // the name must be free; an existing file is never touched
};

// Writes bytes so that the file is whole or not there at all: it is
// published under its name only after every byte reached the disk and its
// size was checked, and an old file at that name stays as it was on any
// failure. A device, pipe, socket or folder at the name is refused. *error
// says why, in Chinese with the system's own words; *code is the errno
// (EEXIST for a taken name in NewOnly mode), 0 for a refusal of our own.
bool writeFileWhole(const QString &path, const QByteArray &bytes, QString *error, WriteMode mode = WriteMode::Replace,
    int *code = nullptr);

// Writes bytes under the first free name that nameAt(n) gives for n = 1, 2,
// …, claiming it atomically, so writers in other processes get the next one.
// Returns the name, or empty with *error.
QString writeNewFile(const std::function<QString(int n)> &nameAt, const QByteArray &bytes, QString *error);

// Brings an open file's bytes to the disk (fdatasync), before the file may
// take its name. A test puts its own step in to see that it runs, and when;
// an empty one restores the system's. Returns 0 or the errno.
void setDiskSync(std::function<int(int fd)> sync);

// A system error as the program tells it: "磁盘空间不足 (No space left on device)".
QString systemReason(int code);
} // namespace zq
