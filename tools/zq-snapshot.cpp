// Renders the main window to a PNG, empty or holding a simulated record, so
// the layout can be looked at without a display:
//   zq-snapshot out.png [empty|sequence|time]
// An output name ending in .pdf prints the report there instead.
#include "core/decode.h"
#include "print/fonts.h"
#include "simrecord.h"
#include "window/form1.h"

#include <QApplication>
#include <QByteArray>
#include <QPrinter>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const char *const kUsage = "usage: zq-snapshot OUT.png [empty|sequence|time]   the main window, as a PNG\n"
                           "       zq-snapshot OUT.pdf [sequence|time]         the report of a simulated record\n";
}

int main(int argc, char *argv[])
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    // It draws into an image, never onto a screen; a platform the user chose stands.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    zq::installFontSubstitutes();
    const QString kind = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("empty");
    Form1 w;
    if (kind != QLatin1String("empty")) {
        const bool timed = kind == QLatin1String("time");
        const SimRecord rec = generatedRecord(timed, timed ? 720 : 3840, 7);
        zq::RecordBuilder builder;
        builder.begin(timed ? zq::TimeData : zq::SequenceData);
        for (const auto &p : rec.packets)
            builder.add(QByteArray(reinterpret_cast<const char *>(p.data()), int(p.size())));
        w.showRecord(builder.record(), timed ? QStringLiteral("STYLE 1") : QStringLiteral("STYLE 0"));
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    if (out.endsWith(QLatin1String(".pdf"))) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out);
        return w.printReport(printer) ? 0 : 1;
    }
    w.show();
    QApplication::processEvents();
    return w.grab().save(out) ? 0 : 1;
}
