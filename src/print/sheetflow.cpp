#include "print/sheetflow.h"

#include <QHash>

namespace zq {
namespace {
// One paragraph: widths summed character by character (a character and its
// low surrogate together), each line then measured whole once, and shortened
// in the rare case shaping made it wider than the sum.
void wrapParagraph(
    const QString &text, const QFontMetricsF &m, double w, QHash<uint, double> &widths, QStringList &lines)
{
    auto step = [&text](qsizetype i) {
        return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
    };
    qsizetype start = 0, i = 0;
    double width = 0;
    while (i < text.size()) {
        const qsizetype n = step(i);
        const uint code = n == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        auto known = widths.find(code);
        if (known == widths.end())
            known = widths.insert(code, m.horizontalAdvance(text.mid(i, n)));
        if (width + *known > w && i > start) {
            qsizetype end = i;
            while (end - start > 1 && m.horizontalAdvance(text.mid(start, end - start)) > w)
                end -= text.at(end - 1).isLowSurrogate() && end - start > 2 ? 2 : 1;
            lines << text.mid(start, end - start);
            start = i = end;
            width = 0;
            continue;
        }
        width += *known;
        i += n;
    }
    lines << text.mid(start);
}
} // namespace

QStringList wrapText(const QString &text, const QFontMetricsF &m, double w)
{
    QStringList lines;
    QHash<uint, double> widths;
    for (const QString &paragraph : text.split(QLatin1Char('\n')))
        wrapParagraph(paragraph, m, w, widths, lines);
    return lines;
}
} // namespace zq
