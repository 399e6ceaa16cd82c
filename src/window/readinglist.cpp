#include "window/readinglist.h"

#include "chart/chart.h"
#include "core/listlines.h"
#include "print/fonts.h"
#include "window/designed.h"

#include <QFrame>
#include <QListWidget>

namespace {
const QRect kListPlace = zq::twips(105, 3225, 2955, 6090);
}

ReadingList::ReadingList(QWidget *window)
    : QWidget(window)
{
    setGeometry(kListPlace);
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Shape6"));
    m_frame->setGeometry(rect());
    m_frame->setFrameShape(QFrame::Box);
    m_frame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgba(60, 80, 120, 120); }"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    zq::placeIn(m_list, zq::twips(165, 3285, 2835, 5970), kListPlace.topLeft());
    m_list->setFont(zq::designFont(QStringLiteral("宋体"), 9));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(
        m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { Q_EMIT clicked(m_list->row(item)); });
    connect(m_list, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem *item) { Q_EMIT doubleClicked(m_list->row(item)); });
}

void ReadingList::showRecord(const zq::Record &record, int group)
{
    m_list->clear();
    QPalette pal = m_list->palette();
    pal.setColor(QPalette::Text, zq::groupColour(group));
    m_list->setPalette(pal);
    m_list->addItems(zq::readingLines(record, group));
}

void ReadingList::clear()
{
    m_list->clear();
}
