// zqcli download's progress on stderr.
#include "cli/cli.h"
#include "link/instrument.h"

#include <cstdio>

namespace cli {
// What the download is doing, said in words on stderr: the answer, then the
// readings received (in place on a terminal, a line each otherwise); with
// `verbose` the window's status texts too. Shares the last count said.
std::shared_ptr<int> tellProgress(Instrument &instrument, bool terminal, bool verbose)
{
    auto shown = std::make_shared<int>(0);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(&instrument, &Instrument::style, &instrument, [answered](const QString &style) {
        *answered = true;
        std::fprintf(stderr, "the instrument answered (%s); receiving…\n", qPrintable(style));
    });
    QObject::connect(&instrument, &Instrument::status, &instrument, [=](const QString &text) {
        if (verbose)
            std::fprintf(stderr, "[%s]\n", qPrintable(text));
        // After the answer the window's count is the number alone (before it,
        // the bytes waiting); its other texts are for --verbose.
        bool isCount = false;
        const int count = text.toInt(&isCount);
        if (!*answered || !isCount || count == *shown)
            return;
        *shown = count;
        std::fprintf(stderr, terminal ? "\r%d readings received" : "%d readings received\n", count);
    });
    return shown;
}
} // namespace cli
