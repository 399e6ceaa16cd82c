#pragma once

#include "core/record.h"

#include <QByteArray>
#include <QFile>
#include <QtTest>
#include <initializer_list>

// Time-stamped records 07-26 hour:i:09 reading 200 + i % 50, to edit before use.
inline QVector<WDREC> timeRecords(int n, uint8_t hour = 13)
{
    QVector<WDREC> records(n);
    for (int i = 0; i < n; ++i)
        records[i] = WDREC{int16_t(200 + i % 50), 7, 26, hour, uint8_t(i % 60), 9};
    return records;
}

inline zq::Record timeData(int n, uint8_t hour = 13)
{
    return zq::Record::timeStamped(timeRecords(n, hour));
}

inline zq::Record sequenceData(int n, int value)
{
    return zq::Record::sequence(QVector<int16_t>(n, int16_t(value)));
}

inline zq::Record sequenceData(std::initializer_list<int> readings)
{
    QVector<int16_t> v;
    for (int r : readings)
        v.append(int16_t(r));
    return zq::Record::sequence(v);
}

inline QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray a;
    for (int b : list)
        a.append(char(b));
    return a;
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The statements of an SQL fixture, each ending its line with ";" (a trigger's
// body may hold more of them within a line); empty when it cannot be read.
inline QStringList sqlStatements(const QString &path)
{
    QStringList statements = QString::fromUtf8(readAll(path)).split(QStringLiteral(";\n"), Qt::SkipEmptyParts);
    statements.removeIf([](const QString &s) { return s.trimmed().isEmpty(); });
    return statements;
}

// What pdftotext reads in a PDF, with its options (-layout, …) first.
inline QString pdfText(const QString &pdf, const QStringList &options = {})
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A file of these bytes, at the given size when one is given.
inline void write(const QString &path, const QByteArray &bytes, qint64 size = -1)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    QVERIFY(size < 0 || f.resize(size));
}
