// Any bytes as a data file, drawn and laid out: the chart of the view the
// input picks and the printed report, for at most a few hundred records so
// each input stays quick.
#include "chart/chart.h"
#include "core/datafile.h"
#include "print/fonts.h"
#include "print/printsurface.h"
#include "print/report.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_report";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    zq::installFontSubstitutes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    zq::Record record = zq::recordFromFileBytes(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    if (record.isTimeStamped())
        record = zq::Record::timeStamped(record.records().mid(0, 300));
    const uint8_t a = size ? data[0] : 0;
    const uint8_t b = size ? data[size - 1] : 0;
    zq::ChartView view;
    view.ybase = 400 + (b % 17) * 100;
    view.start = record.isSequence() ? qMin((a % 38) * 10, zq::ChartView::kSeqScrollMax) : a % 24;
    view.group = b % 8;

    QImage img(zq::kChartWidth, zq::kChartHeight, QImage::Format_RGB32);
    {
        QPainter p(&img);
        zq::drawChartFrame(p, record.type());
        zq::drawSequenceCurve(p, record, view);
        zq::drawTimePoints(p, record, view, Qt::red);
    }
    (void)zq::timeCaption(record, view.group);

    zq::PrintSurface surface(nullptr, 16000, QStringLiteral("黑体"));
    surface.setPageWidth(11000);
    surface.newPage = [] { return true; };
    zq::ReportParams params;
    params.view = view;
    params.groupColour = Qt::red;
    zq::layoutReport(surface, record, params);
    return 0;
}
