#pragma once

#include "core/record.h"

#include <QWidget>

class QFrame;
class QListWidget;

// The reading list in its frame: one line per reading of the group shown.
class ReadingList : public QWidget
{
    Q_OBJECT
public:
    explicit ReadingList(QWidget *window);
    void showRecord(const zq::Record &record, int group);
    void clear();

Q_SIGNALS:
    void clicked(int row);
    void doubleClicked(int row);

private:
    QFrame *m_frame = nullptr;
    QListWidget *m_list = nullptr;
};
