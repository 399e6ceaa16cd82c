#include "core/datafile.h"
#include "core/texts.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zq {
namespace {
void putLe16(char *p, int16_t v)
{
    qToLittleEndian<int16_t>(v, p);
}
int16_t getLe16(const char *p)
{
    return qFromLittleEndian<int16_t>(p);
}
} // namespace

QByteArray dataFileBytes(const Record &record)
{
    QByteArray out;
    if (record.isSequence()) {
        out.resize(kSeqFileBytes);
        for (int k = 0; k < kSeqReadings; ++k)
            putLe16(out.data() + 2 * k, int16_t(record.reading(k)));
    } else if (record.isTimeStamped()) {
        out.resize(kTimeFileBytes);
        for (int k = 0; k < kFileRecords; ++k) {
            const WDREC &r = record.at(k);
            char *p = out.data() + k * kRecordBytes;
            putLe16(p, r.wd);
            p[2] = char(r.month);
            p[3] = char(r.day);
            p[4] = char(r.hour);
            p[5] = char(r.minute);
            p[6] = char(r.second);
        }
    }
    return out;
}

Record recordFromFileBytes(const QByteArray &bytes)
{
    if (bytes.size() == kSeqFileBytes) {
        QVector<int16_t> readings(kSeqReadings);
        int last = 0;
        for (int k = 0; k < kSeqReadings; ++k) {
            readings[k] = getLe16(bytes.constData() + 2 * k);
            if (readings[k] != 0)
                last = k + 1;
        }
        readings.resize(last);
        return Record::sequence(std::move(readings));
    }
    QVector<WDREC> records(kFileRecords);
    int last = 0;
    for (int k = 0; k < kFileRecords; ++k) {
        const qint64 at = qint64(k) * kRecordBytes;
        if (at + kRecordBytes > bytes.size())
            break;
        const char *p = bytes.constData() + at;
        WDREC &r = records[k];
        r.wd = getLe16(p);
        r.month = uint8_t(p[2]);
        r.day = uint8_t(p[3]);
        r.hour = uint8_t(p[4]);
        r.minute = uint8_t(p[5]);
        r.second = uint8_t(p[6]);
        if (!r.isEmpty())
            last = k + 1;
    }
    records.resize(last);
    return Record::timeStamped(std::move(records));
}

DataFileRead readDataFile(const QString &path)
{
    DataFileRead read;
    QByteArray bytes;
    if (!readFileHead(path, kTimeFileBytes, &bytes, &read.error))
        return read;
    read.ok = true;
    read.size = QFileInfo(path).size();
    read.record = recordFromFileBytes(bytes);
    read.implausible = implausibleRecords(read.record);
    return read;
}

QString DataFileRead::warning() const
{
    QStringList parts;
    if (noReadings())
        parts << words::kFileHasNoReadings;
    if (oddSize())
        parts << QStringLiteral(
            "文件大小为 %1 字节，而本程序的数据文件是 %2 或 %3 字节：它可能不完整，或不是温度数据文件。")
                     .arg(size)
                     .arg(kSeqFileBytes)
                     .arg(kTimeFileBytes);
    if (implausible > 0)
        parts << words::kImplausibleRecords.arg(implausible);
    if (parts.isEmpty())
        return QString();
    return parts.join(QLatin1Char('\n')) + words::kOpenedAsItIs;
}

KeptCopy keepDownload(const QString &dir, const Record &record, const QByteArray &raw, DataType type,
    const QDateTime &when, const QString &tag)
{
    KeptCopy kept;
    const QByteArray data = dataFileBytes(record);
    if (!QDir().mkpath(dir)) {
        kept.error = words::kCannotMakeFolder;
        return kept;
    }
    const QString stem = QDir(dir).filePath(when.toString(QStringLiteral("yyyyMMdd-HHmmss"))
        + (type == SequenceData ? QStringLiteral("-STYLE0") : QStringLiteral("-STYLE1")));
    auto name = [&](int n, const char *extension) {
        return stem + (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + tag + QLatin1String(extension);
    };
    // The data file claims the name; its raw bytes take the same one.
    for (int n = 1; n < 10000; ++n) {
        if (QFileInfo::exists(name(n, ".raw")) || QFileInfo::exists(name(n, ".ZQ")))
            continue;
        int code = 0;
        const QString claim = data.isEmpty() ? name(n, ".raw") : name(n, ".ZQ");
        const QByteArray &bytes = data.isEmpty() ? raw : data;
        if (!writeFileWhole(claim, bytes, &kept.error, WriteMode::NewOnly, &code)) {
            if (code == EEXIST)
                continue;
            return kept;
        }
        if (data.isEmpty()) {
            kept.rawPath = claim;
            return kept;
        }
        kept.dataPath = claim;
        if (writeFileWhole(name(n, ".raw"), raw, &kept.error, WriteMode::NewOnly))
            kept.rawPath = name(n, ".raw");
        return kept;
    }
    kept.error = systemReason(EEXIST);
    return kept;
}

int implausibleRecords(const Record &record)
{
    auto reading = [](int v, int top) { return v == kFailedReading || (v >= -999 && v <= top); };
    int damaged = 0;
    if (record.isSequence()) {
        for (int v : record.readings())
            damaged += !reading(v, 2303);
    } else if (record.isTimeStamped()) {
        for (const WDREC &r : record.records()) {
            if (r.isEmpty())
                continue;
            const bool time = r.month >= 1 && r.month <= 12 && r.day >= 1 && r.day <= 31 && r.hour <= 23
                && r.minute <= 59 && r.second <= 59;
            damaged += !(time && reading(r.wd, 2047));
        }
    }
    return damaged;
}

bool readFileHead(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error)
{
    // Opened without waiting, then looked at: a FIFO opened for reading
    // would block until a writer came.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = S_ISDIR(st.st_mode) ? words::kIsAFolder : words::kNotARegularFile;
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = file.errorString();
        return false;
    }
    *bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString sha256Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

bool readRunFile(const QString &path, RunFile *file, QString *error)
{
    if (!readFileHead(path, kMaxRunFileBytes + 1, &file->bytes, error))
        return false;
    if (file->bytes.size() > kMaxRunFileBytes) {
        *error = words::kFileTooLarge.arg(kMaxRunFileBytes);
        return false;
    }
    file->sha256 = sha256Hex(file->bytes);
    return true;
}
} // namespace zq
