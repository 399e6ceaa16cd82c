#pragma once
// The process report's page flow, shared by the pages it lays out.
#include "print/processreport.h"

#include <QFontMetricsF>

namespace zq {
// Text broken onto lines at most `w` wide (and at every line break), each as
// full as it can be; linear in the text's length, whatever it holds.
QStringList wrapText(const QString &text, const QFontMetricsF &m, double w);

constexpr double kFooter = 26; // two footer lines and the rule above them
constexpr double kLine = 1.3; // line height over font size
constexpr double kDraftMark = 20; // the band at each page's head that says 草稿

// Places items down the pages: a cursor that moves to the next page when
// what comes does not fit above the footer.
class Flow
{
public:
    // Every page's text starts `top` down, leaving its head to a mark.
    explicit Flow(Sheet &sheet, double top = 0)
        : m_sheet(sheet)
        , m_bottom(sheet.size.height() - kFooter)
        , m_top(top)
        , m_y(top)
    { }
    double width() const { return m_sheet.size.width(); }
    double y() const { return m_y; }
    void skip(double h) { m_y += h; }
    void need(double h)
    {
        if (m_y + h > m_bottom && m_y > m_top)
            newPage();
    }
    void newPage()
    {
        ++m_page;
        m_y = m_top;
        m_sheet.pages = m_page + 1;
    }
    double room() const { return m_bottom - m_y; }
    void add(SheetItem item)
    {
        item.page = m_page;
        m_sheet.items.append(item);
    }
    // Text from x, at most `w` wide, wrapped onto as many lines as it takes.
    void text(double x, double w, const QString &text, double size, bool bold = false, const QColor &c = Qt::black)
    {
        const QFontMetricsF m = sheetMetrics(size, bold);
        const double h = size * kLine;
        for (const QString &line : wrapText(text, m, w)) {
            need(h);
            add({SheetItem::Text, 0, QRectF(x, m_y, qMin(w, m.horizontalAdvance(line) + 1), h), line, size, bold,
                Qt::AlignLeft | Qt::AlignVCenter, c});
            m_y += h;
        }
    }
    // One line at the cursor, cut short with "…" if it would not fit; the cursor stays.
    void cell(double x, double w, const QString &text, double size, const QColor &c = Qt::black)
    {
        const QFontMetricsF m = sheetMetrics(size);
        const QString shown = m.elidedText(text, Qt::ElideRight, w - 1);
        add({SheetItem::Text, 0, QRectF(x, m_y, qMin(w, m.horizontalAdvance(shown) + 1), size * kLine), shown, size,
            false, Qt::AlignLeft | Qt::AlignVCenter, c});
    }
    void heading(const QString &title)
    {
        need(30);
        m_y += 6;
        text(0, width(), title, 10, true);
        add(SheetItem::rule(QRectF(0, m_y, width(), 0)));
        m_y += 3;
    }

private:
    Sheet &m_sheet;
    double m_bottom;
    double m_top;
    double m_y;
    int m_page = 0;
};

// The readings pages: every reading in compact columns, failed ones marked.
void layoutReadings(Flow &f, const ProcessReport &r);
// The certificates behind the figures and raw beside corrected; nothing
// for a run linked to none.
void layoutCalibration(Flow &f, const ProcessReport &r);
// The calibration's word in the footer: "校准已过期" when a certificate is past its due date.
QString calibrationFooter(const ProcessReport &r);
// The calibration's figures both ways (an empty correction: raw both).
ReportCalibration withFigures(ReportCalibration c, const Record &record, const Recipe &recipe, int group);
// Not approved: marked 草稿 on every page, with no signatures.
bool isDraft(const ProcessReport &r);
// Who reviewed and approved, when, and the verdict approved.
void layoutSignatures(Flow &f, const ProcessReport &r);
void addDraftMarks(Sheet &sheet, const ProcessReport &r);
// The footer on every page, once the number of pages is known.
void addFooters(Sheet &sheet, const ProcessReport &r);
} // namespace zq
