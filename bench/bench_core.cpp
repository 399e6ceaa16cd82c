// Times the program's own work on full-size data: median of several runs each.
#include "chart/chart.h"
#include "chart/runchart.h"
#include "core/analysis.h"
#include "core/datafile.h"
#include "core/decode.h"
#include "core/summary.h"
#include "core/textexport.h"
#include "print/fonts.h"
#include "print/printsurface.h"
#include "print/processreport.h"
#include "print/report.h"
#include "print/reportpaint.h"
#include "support/page.h"
#include "window/chartbox.h"
#include "window/form1.h"

#include "median.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void row(const char *name, double value, const char *unit)
{
    std::printf("%s\t%.3f %s\n", name, value, unit);
}

zq::Record timeRecord(int n)
{
    QVector<WDREC> records(n);
    for (int i = 0; i < n; ++i) {
        const int s = i * 5;
        records[i]
            = WDREC{int16_t(300 + i % 400), 7, 26, uint8_t(14 + s / 3600 % 10), uint8_t(s / 60 % 60), uint8_t(s % 60)};
    }
    return zq::Record::timeStamped(records);
}

zq::Record sequenceRecord()
{
    QVector<int16_t> readings(zq::kSeqReadings);
    for (int i = 0; i < zq::kSeqReadings; ++i)
        readings[i] = int16_t(500 + (i * 37) % 300);
    return zq::Record::sequence(readings);
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
        zq::RecordBuilder builder;
        const double ms = medianMs([&] {
            builder.begin(zq::SequenceData);
            for (int i = 0; i < 1920; ++i)
                builder.add(stream.mid(i * 4, 4));
        });
        row("decode_sequence_packets_per_s", 1920 / (ms / 1000), "packets/s");
        const QByteArray tp = QByteArray::fromHex("0030451327 06D200");
        const double tms = medianMs([&] {
            builder.begin(zq::TimeData);
            for (int i = 0; i < 4032; ++i)
                builder.add(tp);
        });
        row("decode_time_packets_per_s", 4032 / (tms / 1000), "packets/s");
    }

    Form1 w;
    w.show();
    const zq::Record full = timeRecord(4033);
    row("loadwd_4033_records_ms", medianMs([&] { w.showRecord(full, QString()); }), "ms");
    w.showRecord(timeRecord(720), QString()); // one reading every 5 s: a full hour of points
    row("drawfeet_full_hour_of_points_ms", medianMs([&] { w.redraw(); }), "ms");
    w.showRecord(sequenceRecord(), QString());
    ui(w).viewBar->setValue(100);
    ui(w).scaleBar->setValue(-900);
    row("drawfeet_full_sequence_view_ms", medianMs([&] { w.redraw(); }), "ms");

    const zq::Record time = timeRecord(4032);
    row("report_layout_4032_records_ms", medianMs([&] {
        zq::PrintSurface s(nullptr, 16000, QStringLiteral("黑体"));
        s.newPage = [] { return true; };
        zq::layoutReport(s, time, zq::reportParams(zq::ChartView{}));
    }),
        "ms");
    w.showRecord(time, QString());
    const QString timeFile = dir.filePath("t.ZQ");
    row("save_time_layout_ms", medianMs([&] { w.saveDataFile(timeFile); }), "ms");
    row("open_time_layout_ms", medianMs([&] { (void)zq::readDataFile(timeFile); }), "ms");
    row("export_text_4032_records_ms", medianMs([&] { w.exportTo(dir.filePath("t.Txt"), false); }), "ms");
    row("export_csv_4032_records_ms", medianMs([&] { w.exportTo(dir.filePath("t.csv"), true); }), "ms");
    w.showRecord(sequenceRecord(), QString());
    const QString seqFile = dir.filePath("s.ZQ");
    row("save_sequence_layout_ms", medianMs([&] { w.saveDataFile(seqFile); }), "ms");
    row("open_sequence_layout_ms", medianMs([&] { (void)zq::readDataFile(seqFile); }), "ms");
    row("export_text_3840_readings_ms", medianMs([&] { w.exportTo(dir.filePath("s.Txt"), false); }), "ms");

    row("summary_4033_records_ms", medianMs([&] { (void)zq::summarize(full, 0); }, 51), "ms");
    {
        zq::Recipe recipe;
        recipe.thresholds = {200, 400, 500, 650};
        recipe.hasBand = true;
        recipe.setpoint = 500;
        recipe.below = recipe.above = 20;
        recipe.maxOvershoot = 10;
        row("analysis_4033_records_4_thresholds_band_ms", medianMs([&] { (void)zq::analyze(full, recipe); }, 51), "ms");
        // The whole run as 工艺分析 draws it, a reference behind it and a range on it.
        zq::RunChartContent c;
        c.run = zq::runCurve(full, 0, 0);
        c.reference = c.run;
        c.recipe = recipe;
        c.timeAxis = true;
        c.range = std::pair{c.run.x[1000], c.run.x[2000]};
        QImage canvas(1000, 300, QImage::Format_RGB32);
        row("whole_run_4033_records_with_reference_draw_ms",
            medianMs(
                [&] {
                    QPainter p(&canvas);
                    zq::drawRunChart(p, canvas.rect(), c);
                },
                51),
            "ms");
    }
    {
        // A pointer move over the chart, painted: the overlay's cost and area.
        Form1 shown;
        shown.showRecord(full, QString());
        shown.show();
        QCoreApplication::processEvents();
        int x = 0;
        const double ms = medianMs(
            [&] {
                x = (x + 37) % 700;
                QMouseEvent move(QEvent::MouseMove, QPointF(x, 200), ui(shown).chartBox->mapToGlobal(QPointF(x, 200)),
                    Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(ui(shown).chartBox, &move);
                ui(shown).chartBox->repaint(ui(shown).chartBox->lastOverlayRegion());
            },
            101);
        row("pointer_move_with_paint_ms", ms, "ms");
        double area = 0;
        for (const QRect &r : ui(shown).chartBox->lastOverlayRegion())
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
    {
        // Long report fields: a comment of zero-width spaces, and 100 kB of text.
        zq::ProcessReport r;
        r.record = full;
        for (const auto &[name, comment] :
            {std::pair{"process_report_layout_8000_zero_width_spaces_ms", QString(8000, QChar(0x200B))},
                std::pair{"process_report_layout_100kB_comment_ms", QString(34000, QChar(0x70B9))}}) {
            r.fields.comment = comment;
            row(name, medianMs([&] { (void)zq::layoutProcessReport(r, QSizeF(523, 770)); }, 5), "ms");
        }
    }
    return 0;
}
