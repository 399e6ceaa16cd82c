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
#include <memory>

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
    auto ws = std::make_unique<Workspace>();
    zq::loadDataFileBytes(*ws, QByteArray(reinterpret_cast<const char *>(data), int(size)));
    ws->grpcount[0] = qMin(ws->grpcount[0], 300);
    const uint8_t a = size ? data[0] : 0;
    const uint8_t b = size ? data[size - 1] : 0;
    ws->ybase = 400 + (b % 17) * 100;
    ws->seqstart = qMin((a % 38) * 100, zq::kSeqStartMax);
    ws->xstart = int16_t(a % 24);
    const int group = b % 8;

    QImage img(zq::kChartWidth, zq::kChartHeight, QImage::Format_RGB32);
    {
        QPainter p(&img);
        zq::drawChartFrame(p, ws->datatype);
        zq::drawSequenceCurve(p, *ws);
        zq::drawTimePoints(p, *ws, Qt::red);
    }
    (void)zq::timeCaption(*ws, group);

    zq::PrintSurface surface(nullptr, 16000, QStringLiteral("黑体"));
    surface.setPageWidth(11000);
    surface.newPage = [] { return true; };
    zq::ReportParams params;
    params.group = group;
    params.groupColour = Qt::red;
    zq::layoutReport(surface, *ws, params);
    return 0;
}
