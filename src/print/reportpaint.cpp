#include "print/reportpaint.h"

#include "chart/chart.h"
#include "print/printsurface.h"

#include "core/filewrite.h"
#include "print/texts.h"

#include <QBuffer>
#include <QDate>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace zq {
ReportParams reportParams(const ChartView &view)
{
    ReportParams params;
    params.view = view;
    params.groupColour = groupColour(view.group);
    params.date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    return params;
}

bool paintReport(QPagedPaintDevice &device, const Record &record, const ReportParams &params)
{
    QPainter p;
    if (!p.begin(&device))
        return false;
    const double dpi = device.logicalDpiX();
    p.scale(dpi / 1440.0, dpi / 1440.0);
    const QRectF page = printableTwips(device.pageLayout());
    PrintSurface surface(&p, page.height(), QStringLiteral("黑体"));
    surface.setPageWidth(page.width());
    surface.newPage = [&device] { return device.newPage(); };
    layoutReport(surface, record, params);
    return p.end();
}

bool writeReportPdf(const QString &path, const Record &record, const ReportParams &params, QString *error)
{
    // Painted into memory first, so a failed write leaves no half a report.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    writer.setTitle(sheet::kCurveDocument);
    writer.setCreator(QStringLiteral("zqtemp"));
    if (!paintReport(writer, record, params)) {
        *error = sheet::kPdfFailed;
        return false;
    }
    buffer.close();
    return writeFileWhole(path, pdf, error);
}
} // namespace zq
