#pragma once
// The main window's controls found as a user's script finds them: by the
// designer's names. Tests reach nothing else of the window's insides.

#include "window/chartbox.h"
#include "window/form1.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

struct MainPage
{
    explicit MainPage(QWidget &w)
        : window(w)
    { }
    template <class T> T *find(const char *name) const
    {
        T *control = window.findChild<T *>(QString::fromUtf8(name));
        if (!control)
            qFatal("no control named %s", name);
        return control;
    }
    QWidget &window;
    QPushButton *downloadButton = find<QPushButton>("Command5");
    QPushButton *openButton = find<QPushButton>("Command2");
    QPushButton *saveButton = find<QPushButton>("Command1");
    QPushButton *portButton = find<QPushButton>("Command6");
    QPushButton *exitButton = find<QPushButton>("Command3");
    QPushButton *printButton = find<QPushButton>("打印");
    QPushButton *exportButton = find<QPushButton>("Command4");
    QPushButton *plugButton = find<QPushButton>("Command7");
    QPushButton *timeButton = find<QPushButton>("Command8");
    QPushButton *onlineSwitch = find<QPushButton>("onlineSwitch");
    QListWidget *readingList = find<QListWidget>("List1");
    ChartBox *chartBox = find<ChartBox>("LP1");
    QScrollBar *viewBar = find<QScrollBar>("HScroll1");
    QScrollBar *scaleBar = find<QScrollBar>("VScroll1");
    QScrollBar *groupBar = find<QScrollBar>("VScroll2");
    QLabel *groupLabel = find<QLabel>("Label4");
    QLabel *styleLabel = find<QLabel>("Label2");
    QLabel *styleCaption = find<QLabel>("Label19");
    QLabel *statusLabel = find<QLabel>("Label6");
    QLabel *progressCaption = find<QLabel>("Label10");
    QProgressBar *progressBar = find<QProgressBar>("ProgressBar1");
    QLabel *hourLabel = find<QLabel>("Label13");
    QLabel *titleLabel = find<QLabel>("Label18");
    QLabel *summaryLine = find<QLabel>("summaryLine");
    QLabel *makerLabel = find<QLabel>("Label12");
    QFrame *commandFrame = find<QFrame>("Shape1");
    QFrame *listFrame = find<QFrame>("Shape6");
    QTimer *liveTimer = find<QTimer>("Timer1");
};

inline MainPage ui(Form1 &form)
{
    return MainPage(form);
}
inline MainPage ui(Form1 *form)
{
    return MainPage(*form);
}
// A test window or a smart pointer to one.
template <class Holder> MainPage ui(Holder &holder)
{
    return MainPage(*holder.operator->());
}
