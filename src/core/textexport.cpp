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

QString csvCell(const QString &s)
{
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n'))
        && !s.contains(QLatin1Char('\r')))
        return s;
    QString q = s;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString csvReading(int wd)
{
    return wd == kFailedReading ? QString() : QString::number(wd);
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
    QString out;
    if (ws.datatype == SequenceData) {
        out += QStringLiteral("序号,温度\r\n");
        const int n = qBound(0, ws.wdnum, kSeqSlots);
        for (int i = 0; i < n; ++i)
            out += QString::number(i + 1) + QLatin1Char(',') + csvReading(ws.wdseq[i]) + kCrLf;
    } else if (ws.datatype == TimeData) {
        out += QStringLiteral("组,月,日,时,分,秒,温度\r\n");
        for (int g = 0; g < kTabGroups; ++g) {
            const int n = ws.groupCount(g);
            for (int i = 0; i < n; ++i) {
                const WDREC &r = ws.record(i, g);
                const QStringList cells{QString::number(g), QString::number(r.month), QString::number(r.day),
                    QString::number(r.hour), QString::number(r.minute), QString::number(r.second), csvReading(r.wd)};
                QStringList quoted;
                for (const QString &c : cells)
                    quoted.append(csvCell(c));
                out += quoted.join(QLatin1Char(',')) + kCrLf;
            }
        }
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
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
