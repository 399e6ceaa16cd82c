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

void appendTimeRecordLine(QString &out, const WDREC &r)
{
    for (int v : {int(r.month), int(r.day), int(r.hour), int(r.minute), int(r.second)})
        appendNumberItem(out, v);
    out += QLatin1String("---");
    appendNumberItem(out, r.wd);
}

} // namespace

QString exportTextUnicode(const Record &record, const ReadingRange &range)
{
    QString out;
    if (record.isSequence()) {
        const int n = record.count();
        out.reserve(n * 20);
        for (int i = 1; i <= n; ++i) {
            if (!range.holds(0, i - 1))
                continue;
            out += QLatin1String("No.");
            appendNumberItem(out, i);
            out += QLatin1String("---");
            appendNumberItem(out, record.reading(i - 1));
            out += kCrLf;
        }
    } else if (record.isTimeStamped()) {
        out.reserve(record.count() * 30 + 400);
        for (int g = 0; g < kSelectorGroups; ++g) {
            if (range.group >= 0 && g != range.group)
                continue;
            out += timeHeader(g) + kCrLf;
            const int n = record.count(g);
            for (int i = 0; i < n; ++i) {
                if (!range.holds(g, i))
                    continue;
                appendTimeRecordLine(out, record.at(i, g));
                out += kCrLf;
            }
        }
    }
    return out;
}

QByteArray toGbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QByteArray exportText(const Record &record, const ReadingRange &range)
{
    return toGbk(exportTextUnicode(record, range));
}

QByteArray exportCsv(const Record &record, const ReadingRange &range)
{
    // Every cell is a number or empty, so none needs quoting.
    QByteArray out("\xEF\xBB\xBF");
    auto number = [&out](int v) {
        char buf[12];
        char *end = buf + sizeof buf;
        char *p = end;
        unsigned u = v < 0 ? 0U - unsigned(v) : unsigned(v);
        do {
            *--p = char('0' + u % 10);
            u /= 10;
        } while (u);
        if (v < 0)
            *--p = '-';
        out.append(p, end - p);
    };
    auto reading = [&](int wd) {
        if (wd != kFailedReading)
            number(wd);
    };
    if (record.isSequence()) {
        out += QStringLiteral("序号,温度\r\n").toUtf8();
        const int n = record.count();
        out.reserve(out.size() + n * 12);
        for (int i = 0; i < n; ++i) {
            if (!range.holds(0, i))
                continue;
            number(i + 1);
            out += ',';
            reading(record.reading(i));
            out += "\r\n";
        }
    } else if (record.isTimeStamped()) {
        out += QStringLiteral("组,月,日,时,分,秒,温度\r\n").toUtf8();
        for (int g = 0; g < kSelectorGroups; ++g) {
            const int n = record.count(g);
            out.reserve(out.size() + n * 24);
            for (int i = 0; i < n; ++i) {
                if (!range.holds(g, i))
                    continue;
                const WDREC &r = record.at(i, g);
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
