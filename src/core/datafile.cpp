#include "core/datafile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

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

QByteArray dataFileBytes(const Workspace &ws)
{
    QByteArray out;
    if (ws.datatype == SequenceData) {
        out.resize(kSeqFileBytes);
        for (int k = 0; k < kSeqReadings; ++k)
            putLe16(out.data() + 2 * k, ws.wdseq[k]);
    } else if (ws.datatype == TimeData) {
        out.resize(kTimeFileBytes);
        for (int k = 0; k < kFileRecords; ++k) {
            const WDREC &r = ws.wdtab[k][0];
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

void loadDataFileBytes(Workspace &ws, const QByteArray &bytes)
{
    ws.clearCounts();
    if (bytes.size() == kSeqFileBytes) {
        int last = 0;
        for (int k = 0; k < kSeqReadings; ++k) {
            ws.wdseq[k] = getLe16(bytes.constData() + 2 * k);
            if (ws.wdseq[k] != 0)
                last = k + 1;
        }
        ws.wdnum = last;
        ws.datatype = SequenceData;
        ws.havedata = SequenceData;
        return;
    }
    int last = 0;
    for (int k = 0; k < kFileRecords; ++k) {
        WDREC r;
        const qint64 at = qint64(k) * kRecordBytes;
        if (at + kRecordBytes <= bytes.size()) {
            const char *p = bytes.constData() + at;
            r.wd = getLe16(p);
            r.month = uint8_t(p[2]);
            r.day = uint8_t(p[3]);
            r.hour = uint8_t(p[4]);
            r.minute = uint8_t(p[5]);
            r.second = uint8_t(p[6]);
        }
        ws.wdtab[k][0] = r;
        if (!r.isEmpty())
            last = k + 1;
    }
    ws.grpcount[0] = last;
    ws.datatype = TimeData;
    ws.havedata = TimeData;
}

QString keepDownload(const QString &dir, const Workspace &ws, const QDateTime &when, QString *error)
{
    const QByteArray bytes = dataFileBytes(ws);
    if (bytes.isEmpty()) {
        *error = QStringLiteral("没有数据");
        return QString();
    }
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("无法创建文件夹");
        return QString();
    }
    const QString stem = when.toString(QStringLiteral("yyyyMMdd-HHmmss"))
        + (ws.datatype == SequenceData ? QStringLiteral("-STYLE0") : QStringLiteral("-STYLE1"));
    QString path = QDir(dir).filePath(stem + QStringLiteral(".ZQ"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(dir).filePath(stem + QStringLiteral("-%1.ZQ").arg(n));
    return writeFileWhole(path, bytes, error) ? path : QString();
}

int implausibleRecords(const Workspace &ws)
{
    auto reading = [](int v, int top) { return v == kFailedReading || (v >= -999 && v <= top); };
    int damaged = 0;
    if (ws.datatype == SequenceData) {
        const int n = qBound(0, ws.wdnum, kSeqSlots);
        for (int i = 0; i < n; ++i)
            damaged += !reading(ws.wdseq[i], 2303);
    } else if (ws.datatype == TimeData) {
        const int n = ws.groupCount(0);
        for (int i = 0; i < n; ++i) {
            const WDREC &r = ws.wdtab[i][0];
            if (r.isEmpty())
                continue;
            const bool time = r.month >= 1 && r.month <= 12 && r.day >= 1 && r.day <= 31 && r.hour <= 23
                && r.minute <= 59 && r.second <= 59;
            damaged += !(time && reading(r.wd, 2047));
        }
    }
    return damaged;
}

bool writeFileWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool readFileHead(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *error = QStringLiteral("这是一个文件夹");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
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
} // namespace zq
