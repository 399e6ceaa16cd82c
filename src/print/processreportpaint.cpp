// The process report onto paper or into a PDF/A file.
#include "core/filewrite.h"
#include "print/processreport.h"
#include "print/texts.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTimeZone>

namespace zq {
QString printedAt(const QDateTime &when)
{
    const int offset = when.offsetFromUtc();
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        + QStringLiteral(" UTC%1%2:%3")
              .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
              .arg(qAbs(offset) / 3600, 2, 10, QLatin1Char('0'))
              .arg(qAbs(offset) % 3600 / 60, 2, 10, QLatin1Char('0'));
}

void paintSheetPage(QPainter &p, const Sheet &sheet, int page, const ProcessReport &report)
{
    // The painter counts in points; a font's points would count the device's dots again.
    const double fonts = 72.0 / p.device()->logicalDpiY();
    for (const SheetItem &item : sheet.items) {
        if (item.page != page)
            continue;
        switch (item.kind) {
        case SheetItem::Text:
            p.setFont(sheetFont(item.size * fonts, item.bold));
            p.setPen(item.colour);
            p.drawText(item.rect, item.align, item.text);
            break;
        case SheetItem::Line:
            p.setPen(QPen(Qt::black, 0.5));
            p.drawLine(item.rect.topLeft(), item.rect.topRight());
            break;
        case SheetItem::Box:
            p.fillRect(item.rect, item.colour);
            p.setPen(QPen(item.colour.darker(160), 1));
            p.drawRect(item.rect);
            break;
        case SheetItem::Chart:
            p.save();
            p.setFont(sheetFont(6 * fonts));
            drawRunChart(p, item.rect, report.chart);
            p.restore();
            break;
        }
    }
}

bool printProcessReport(QPagedPaintDevice &device, const ProcessReport &report)
{
    const QRectF area = device.pageLayout().paintRect(QPageLayout::Point);
    const Sheet sheet = layoutProcessReport(report, area.size());
    QPainter p;
    if (!p.begin(&device))
        return false;
    // Points from the printable area's corner, whatever the device's resolution.
    const double scale = device.logicalDpiX() / 72.0;
    p.scale(scale, scale);
    for (int page = 0; page < sheet.pages; ++page) {
        if (page > 0 && !device.newPage())
            return false;
        paintSheetPage(p, sheet, page, report);
    }
    return p.end();
}

bool writeProcessReportPdf(const QString &path, const ProcessReport &report, QPageSize::PageSizeId size, QString *error)
{
    // Painted into memory first, so a failed write leaves no half a report.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        writer.setResolution(600);
        writer.setPageLayout(
            QPageLayout(QPageSize(size), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        writer.setTitle(sheet::documentTitle(report.fileName, report.sha256));
        writer.setCreator(QStringLiteral("zqtemp"));
        if (!printProcessReport(writer, report)) {
            *error = sheet::kPdfFailed;
            return false;
        }
    }
    buffer.close();
    return writeFileWhole(path, pdf, error);
}
} // namespace zq
