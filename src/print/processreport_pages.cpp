// The process report's readings pages and every page's footer.
#include "core/format.h"
#include "core/listlines.h"
#include "print/sheetflow.h"
#include "print/texts.h"

namespace zq {
namespace {
QString entry(const Record &r, int group, int i)
{
    const bool failed = r.isFailed(i, group);
    const QString value = failed ? sheet::kFailedReading : formatPadded(r.reading(i, group), 4);
    return (r.isTimeStamped() ? timeStamp(r.at(i, group)) : formatPadded(i, 4)) + QStringLiteral("  ") + value;
}
} // namespace

void layoutReadings(Flow &f, const ProcessReport &r)
{
    const int n = r.record.count(r.group);
    if (n == 0)
        return;
    f.newPage();
    f.heading(sheet::readingsHeading(r.group, n));
    const double size = 7, h = size * kLine;
    const QFontMetricsF m = sheetMetrics(size);
    // Columns as wide as the widest entry a column can hold.
    const double column
        = m.horizontalAdvance(entry(r.record, r.group, 0)) + m.horizontalAdvance(sheet::kFailedReading) + 10;
    const int columns = qMax(1, int(f.width() / column));
    int i = 0;
    while (i < n) {
        const int rows = qMax(1, int(f.room() / h));
        const double top = f.y();
        for (int c = 0; c < columns && i < n; ++c)
            for (int k = 0; k < rows && i < n; ++k, ++i) {
                f.skip(top + k * h - f.y());
                f.cell(c * column, column - 4, entry(r.record, r.group, i), size,
                    r.record.isFailed(i, r.group) ? QColor(190, 0, 0) : QColor(Qt::black));
            }
        if (i < n)
            f.newPage();
    }
}

// A FAIL re-judged with a looser recipe stays in sight on every page.
QString checkHistory(const ProcessReport &r)
{
    return r.checks > 1 ? sheet::checksLine(r.checks, r.failedChecks) : QString();
}

void addFooters(Sheet &sheet, const ProcessReport &r)
{
    const double w = sheet.size.width(), bottom = sheet.size.height();
    const double size = 6.5, h = size * kLine;
    const QFontMetricsF m = sheetMetrics(size);
    for (int page = 0; page < sheet.pages; ++page) {
        const QString first
            = sheet::pageLine(page + 1, sheet.pages, printedAt(r.printed)) + calibrationFooter(r) + checkHistory(r);
        // The name gives way first: the fingerprint and the archive's word are what a reviewer checks.
        const QString tail = QStringLiteral("   SHA-256 %1   %2").arg(shortFingerprint(r.sha256), r.provenance);
        const QString name
            = m.elidedText(sheet::kFile + r.fileName, Qt::ElideMiddle, qMax(40.0, w - m.horizontalAdvance(tail) - 2));
        const QString second = m.elidedText(name + tail, Qt::ElideRight, w - 1);
        sheet.items.append(SheetItem::rule(QRectF(0, bottom - 2 * h - 3, w, 0), page));
        for (const auto &[line, y] : {std::pair{first, bottom - 2 * h}, std::pair{second, bottom - h}})
            sheet.items.append({SheetItem::Text, page, QRectF(0, y, qMin(w, m.horizontalAdvance(line) + 1), h), line,
                size, false, Qt::AlignLeft | Qt::AlignVCenter, QColor(60, 60, 60)});
    }
}
} // namespace zq
