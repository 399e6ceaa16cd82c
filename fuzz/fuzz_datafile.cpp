// Any bytes as a data file: read it, then list, export, draw and lay out the
// report of whatever it gave, with views taken from the input as well.
#include "chart/chart.h"
#include "core/datafile.h"
#include "core/listlines.h"
#include "core/textexport.h"
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
    static char name[] = "fuzz_datafile";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    zq::installFontSubstitutes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto ws = std::make_unique<Workspace>();
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    zq::loadDataFileBytes(*ws, bytes);
    const uint8_t a = size ? data[0] : 0;
    const uint8_t b = size ? data[size - 1] : 0;
    ws->ybase = 400 + (b % 17) * 100;
    ws->seqstart = (a % 38) * 100 < zq::kSeqStartMax ? (a % 38) * 100 : zq::kSeqStartMax;
    ws->xstart = int16_t(a % 24);
    const int group = b % 8;

    (void)zq::readingLines(*ws, group);
    (void)zq::exportText(*ws);
    (void)zq::exportCsv(*ws);
    (void)zq::dataFileBytes(*ws);

    QImage img(zq::kChartWidth, zq::kChartHeight, QImage::Format_RGB32);
    {
        QPainter p(&img);
        zq::drawChartFrame(p, ws->datatype);
        zq::drawSequenceCurve(p, *ws);
        zq::drawTimePoints(p, *ws, Qt::red);
    }
    (void)zq::timeCaption(*ws, group);

    zq::PrintSurface surface(nullptr, 16000, QStringLiteral("黑体"));
    surface.newPage = [] { return true; };
    zq::ReportParams params;
    params.group = group;
    params.groupColour = Qt::red;
    zq::layoutReport(surface, *ws, params);
    return 0;
}
