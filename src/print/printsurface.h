#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <QVector>
#include <functional>

class QPageLayout;
class QPainter;

namespace zq {
// The printable area of a page in twips, from its top-left corner.
QRectF printableTwips(const QPageLayout &layout);

// What a report put on paper, kept so the layout can be checked without a printer.
struct PrintOp
{
    enum Kind { Text, Line };
    Kind kind = Text;
    int page = 0;
    QString text;
    double x = 0;
    double y = 0;
    double fontSize = 0;
    double width = 0; // a text's advance and line height, in twips
    double height = 0;
    QLineF line;
    QColor colour;
    int penWidth = 1;
    bool dashed = false;
};

// A printer as the report sees it: twips from the top-left of the printable
// area, a pen position that text output moves on, a current font size, line
// style and width. It paints onto `painter` when one is given and records
// every operation either way.
class PrintSurface
{
public:
    PrintSurface(QPainter *painter, double pageHeightTwips, const QString &fontFace);

    void setFontSize(double points);
    // The printable width; texts are narrowed to fit it (0: no limit).
    void setPageWidth(double twips) { m_pageWidth = twips; }
    double pageWidth() const { return m_pageWidth; }
    double pageHeight() const { return m_pageHeight; }
    // Narrows the current face, keeping its height, until `sample` fits in
    // `room` twips: the designed positions hold on any page and with any face.
    void fitWidth(const QString &sample, double room);
    void setPos(double x, double y);
    void setX(double x) { m_x = x; }
    void setDashed(bool dashed) { m_dashed = dashed; }
    void setPenWidth(int width) { m_penWidth = width; }
    void line(double x1, double y1, double x2, double y2, const QColor &colour = Qt::black);
    void print(const QString &text, bool lineEnd);
    void endLine() { print(QString(), true); }

    double x() const { return m_x; }
    double y() const { return m_y; }
    double lineHeight() const;
    int pages() const { return m_page + 1; }
    const QVector<PrintOp> &ops() const { return m_ops; }

    // Called before a line would run past the page; returns false to stop.
    std::function<bool()> newPage;
    static constexpr double kTopMargin = 1000;

private:
    QPainter *m_painter;
    double m_pageHeight;
    double m_pageWidth = 0;
    QFont m_font;
    QFontMetricsF m_metrics;
    double m_fontSize = 10;
    double m_x = 0;
    double m_y = 0;
    bool m_dashed = false;
    int m_penWidth = 1;
    int m_page = 0;
    QVector<PrintOp> m_ops;
};
} // namespace zq
