#include "core/textexport.h"

#include "core/format.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringEncoder>

namespace zq {
namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString timeHeader(int group)
{
    return QStringLiteral("月-日 时:分:秒---温度      这是第") + numberItem(group) + QStringLiteral("组的温度数据");
}

QString timeRecordLine(const WDREC &r)
{
    return numberItem(r.month) + numberItem(r.day) + numberItem(r.hour) + numberItem(r.minute) + numberItem(r.second)
        + QStringLiteral("---") + numberItem(r.wd);
}

} // namespace

QString exportTextUnicode(const Workspace &ws)
{
    QString out;
    if (ws.datatype == SequenceData) {
        const int n = qBound(0, ws.wdnum, kSeqSlots);
        for (int i = 1; i <= n; ++i)
            out += QStringLiteral("No.") + numberItem(i) + QStringLiteral("---") + numberItem(ws.wdseq[i - 1]) + kCrLf;
    } else if (ws.datatype == TimeData) {
        for (int g = 0; g < kSelectorGroups; ++g) {
            out += timeHeader(g) + kCrLf;
            const int n = ws.groupCount(g);
            for (int i = 0; i < n; ++i)
                out += timeRecordLine(ws.record(i, g)) + kCrLf;
        }
    }
    return out;
}

QByteArray toGbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QByteArray exportText(const Workspace &ws)
{
    return toGbk(exportTextUnicode(ws));
}

QByteArray exportCsv(const Workspace &ws)
{
    // Every cell is a number or empty, so none needs quoting.
    QByteArray out("\xEF\xBB\xBF");
    auto number = [&out](int v) { out += QByteArray::number(v); };
    auto reading = [&out](int wd) {
        if (wd != kFailedReading)
            out += QByteArray::number(wd);
    };
    if (ws.datatype == SequenceData) {
        out += QStringLiteral("序号,温度\r\n").toUtf8();
        const int n = qBound(0, ws.wdnum, kSeqSlots);
        out.reserve(out.size() + n * 12);
        for (int i = 0; i < n; ++i) {
            number(i + 1);
            out += ',';
            reading(ws.wdseq[i]);
            out += "\r\n";
        }
    } else if (ws.datatype == TimeData) {
        out += QStringLiteral("组,月,日,时,分,秒,温度\r\n").toUtf8();
        for (int g = 0; g < kTabGroups; ++g) {
            const int n = ws.groupCount(g);
            out.reserve(out.size() + n * 24);
            for (int i = 0; i < n; ++i) {
                const WDREC &r = ws.record(i, g);
                for (int v : {g, int(r.month), int(r.day), int(r.hour), int(r.minute), int(r.second)}) {
                    number(v);
                    out += ',';
                }
                reading(r.wd);
                out += "\r\n";
            }
        }
    }
    return out;
}

QString defaultExportName(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, QStringLiteral("MMMyyyyd"));
}

QStringList filterExtensions(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const int open = filter.lastIndexOf(QLatin1Char('('));
    QStringList out;
    auto it = pattern.globalMatch(open < 0 ? filter : filter.mid(open));
    while (it.hasNext())
        out.append(it.next().captured(1));
    return out;
}

QString withFilterExtension(const QString &path, const QString &selectedFilter, const QStringList &filters)
{
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty())
        return path;
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
        const QString suffix = name.mid(dot + 1);
        for (const QString &f : filters)
            if (filterExtensions(f).contains(suffix, Qt::CaseInsensitive))
                return path;
    }
    const QString ext = filterExtensions(selectedFilter).value(0);
    return ext.isEmpty() ? path : path + QLatin1Char('.') + ext;
}
} // namespace zq
