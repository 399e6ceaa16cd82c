// Times the program's own work on full-size data: median of several runs each.
#include "chart/chart.h"
#include "core/datafile.h"
#include "core/decode.h"
#include "core/summary.h"
#include "core/textexport.h"
#include "print/fonts.h"
#include "print/printsurface.h"
#include "print/report.h"
#include "window/chartbox.h"
#include "window/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
double medianMs(const std::function<void()> &work, int runs = 9)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void row(const char *name, double value, const char *unit)
{
    std::printf("%s\t%.3f %s\n", name, value, unit);
}

void fillTime(Workspace &ws, int n)
{
    ws.datatype = ws.havedata = zq::TimeData;
    ws.grpcount[0] = n;
    for (int i = 0; i < n; ++i) {
        const int s = i * 5;
        ws.wdtab[i][0]
            = WDREC{int16_t(300 + i % 400), 7, 26, uint8_t(14 + s / 3600 % 10), uint8_t(s / 60 % 60), uint8_t(s % 60)};
    }
    ws.xstart = 14;
}

void fillSequence(Workspace &ws)
{
    ws.datatype = ws.havedata = zq::SequenceData;
    ws.wdnum = zq::kSeqReadings;
    for (int i = 0; i < zq::kSeqReadings; ++i)
        ws.wdseq[i] = int16_t(500 + (i * 37) % 300);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    zq::installFontSubstitutes();
    QTemporaryDir dir;

    {
        QByteArray stream;
        for (int i = 0; i < 1920; ++i)
            stream += QByteArray::fromHex("34027805");
        auto ws = std::make_unique<Workspace>();
        const double ms = medianMs([&] {
            ws->wdnum = 0;
            for (int i = 0; i < 1920; ++i)
                zq::storeSequencePacket(*ws, stream.mid(i * 4, 4));
        });
        row("decode_sequence_packets_per_s", 1920 / (ms / 1000), "packets/s");
        const QByteArray tp = QByteArray::fromHex("0030451327 06D200");
        const double tms = medianMs([&] {
            ws->grpcount[0] = 0;
            for (int i = 0; i < 4032; ++i)
                zq::storeTimePacket(*ws, tp);
        });
        row("decode_time_packets_per_s", 4032 / (tms / 1000), "packets/s");
    }

    Form1 w;
    w.show();
    fillTime(w.workspace(), 4033);
    row("loadwd_4033_records_ms", medianMs([&] { w.loadwd(0); }), "ms");
    fillTime(w.workspace(), 720); // one reading every 5 s: a full hour of points
    w.workspace().xstart = 14;
    row("drawfeet_full_hour_of_points_ms", medianMs([&] { w.DRAWFEET(); }), "ms");
    fillSequence(w.workspace());
    w.workspace().seqstart = 1000;
    w.workspace().ybase = 900;
    row("drawfeet_full_sequence_view_ms", medianMs([&] { w.DRAWFEET(); }), "ms");

    Workspace &ws = w.workspace();
    fillTime(ws, 4032);
    row("report_layout_4032_records_ms", medianMs([&] {
        zq::PrintSurface s(nullptr, 16000, QStringLiteral("黑体"));
        s.newPage = [] { return true; };
        zq::layoutReport(s, ws, zq::ReportParams{0, Qt::red, QStringLiteral("2026/12/6")});
    }),
        "ms");
    const QString timeFile = dir.filePath("t.ZQ");
    row("save_time_layout_ms", medianMs([&] { w.SAVEfile(timeFile); }), "ms");
    row("open_time_layout_ms", medianMs([&] { w.OPENfile(timeFile); }), "ms");
    fillTime(ws, 4032);
    row("export_text_4032_records_ms", medianMs([&] { w.SAVEexcel(dir.filePath("t.Txt"), false); }), "ms");
    row("export_csv_4032_records_ms", medianMs([&] { w.SAVEexcel(dir.filePath("t.csv"), true); }), "ms");
    fillSequence(ws);
    const QString seqFile = dir.filePath("s.ZQ");
    row("save_sequence_layout_ms", medianMs([&] { w.SAVEfile(seqFile); }), "ms");
    row("open_sequence_layout_ms", medianMs([&] { w.OPENfile(seqFile); }), "ms");
    row("export_text_3840_readings_ms", medianMs([&] { w.SAVEexcel(dir.filePath("s.Txt"), false); }), "ms");

    fillTime(ws, 4033);
    row("summary_4033_records_ms", medianMs([&] { (void)zq::summarize(ws, 0); }, 51), "ms");
    {
        // A pointer move over the chart, painted: the overlay's cost and area.
        Form1 shown;
        shown.workspace() = ws;
        shown.loadwd(0);
        shown.show();
        QCoreApplication::processEvents();
        int x = 0;
        const double ms = medianMs(
            [&] {
                x = (x + 37) % 700;
                QMouseEvent move(QEvent::MouseMove, QPointF(x, 200), shown.LP1->mapToGlobal(QPointF(x, 200)),
                    Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(shown.LP1, &move);
                shown.LP1->repaint(shown.LP1->lastOverlayRegion());
            },
            101);
        row("pointer_move_with_paint_ms", ms, "ms");
        double area = 0;
        for (const QRect &r : shown.LP1->lastOverlayRegion())
            area += double(r.width()) * r.height();
        row("pointer_move_painted_share_of_chart_pct", 100.0 * area / (720.0 * 400.0), "%");
    }
    row("window_built_and_shown_ms",
        medianMs(
            [] {
                Form1 shown;
                shown.show();
                QCoreApplication::processEvents();
            },
            5),
        "ms");
    return 0;
}
