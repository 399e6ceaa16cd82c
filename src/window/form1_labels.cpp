// The window's own labels at their designed places: the group number, the
// data type, the hour and summary under the chart, the title and the maker.
#include "print/fonts.h"
#include "window/clicklabel.h"
#include "window/designed.h"
#include "window/form1.h"

#include <QLabel>

namespace {
struct DesignedLabel
{
    QLabel *Form1::*control;
    const char *name;
    const char *caption;
    QRect place; // twips
    const char *face; // empty: the window's own
    double points;
    bool bold;
    bool centred;
    QColor text;
    QColor background; // invalid: none of its own
};
} // namespace

void Form1::createLabels()
{
    const QColor light(224, 224, 224), dark(64, 64, 64), band(40, 48, 64);
    const DesignedLabel labels[] = {
        {&Form1::m_groupLabel, "Label4", " - 点-位 - ", {2475, 1260, 1275, 390}, "Arial", 15.75, true, true, light,
            dark},
        {&Form1::m_styleLabel, "Label2", "STYLE", {1785, 2565, 1260, 375}, "", 0, true, true, QColor(255, 0, 0), dark},
        {&Form1::m_hourLabel, "Label13", "---", {3135, 9465, 1635, 255}, "", 0, true, false, light, band},
        // The record's summary, in the free band under the chart.
        {&Form1::m_summaryLine, "summaryLine", "", {4860, 9465, 10275, 270}, "宋体", 9, false, false, light, band},
        {nullptr, "Label18", "Tem curve", {9270, 135, 1440, 390}, "Basemic Symbol", 14.25, false, false,
            QColor(0, 128, 0), QColor()},
    };
    for (const DesignedLabel &design : labels) {
        auto *l = new QLabel(QString::fromUtf8(design.caption), this);
        l->setObjectName(QString::fromUtf8(design.name));
        const QRect &t = design.place;
        l->setGeometry(zq::twips(t.x(), t.y(), t.width(), t.height()));
        if (*design.face)
            l->setFont(zq::designFont(QString::fromUtf8(design.face), design.points, design.bold));
        if (design.centred)
            l->setAlignment(Qt::AlignCenter);
        zq::setColours(l, design.text, design.background);
        if (design.control)
            this->*design.control = l;
    }
    m_groupLabel->setToolTip(QStringLiteral("数据类型为STYLE1时有效"));
    auto *maker = new ClickLabel(QStringLiteral("LORVANT "), this);
    maker->setObjectName(QStringLiteral("Label12"));
    maker->setGeometry(zq::twips(12945, 10335, 2025, 405));
    maker->setFont(zq::designFont(QStringLiteral("Arial Black"), 15));
    maker->setCursor(Qt::PointingHandCursor);
    maker->setToolTip(QStringLiteral("关于  (F1)"));
    zq::setColours(maker, palette().color(QPalette::Active, QPalette::Highlight));
    connect(maker, &ClickLabel::clicked, this, &Form1::showAbout);
}
