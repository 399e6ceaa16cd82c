#include "about/frmabout.h"
#include "support/line.h"
#include "support/window.h"
#include "window/clicklabel.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

class TstAbout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oneBoxAndItsLink();
    void systemInformation();
};

void TstAbout::oneBoxAndItsLink()
{
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    auto boxes = [] {
        const QWidgetList all = QApplication::topLevelWidgets();
        return std::count_if(
            all.begin(), all.end(), [](QWidget *t) { return qobject_cast<frmAbout *>(t) && t->isVisible(); });
    };
    w->showAbout();
    w->showAbout();
    QCOMPARE(boxes(), 1);
    frmAbout *box = nullptr;
    for (QWidget *t : QApplication::topLevelWidgets())
        if (auto *a = qobject_cast<frmAbout *>(t); a && a->isVisible())
            box = a;
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QCOMPARE(box->windowTitle(), QStringLiteral("关于 ZQ软件"));
    QCOMPARE(box->parentWidget(), w.form.get()); // owned, so it stays above the window
    QVERIFY(!box->isModal());
    QVERIFY((box->frameGeometry().center() - w->frameGeometry().center()).manhattanLength() <= 4);
    const QImage banner = box->Image3->grab().toImage();
    QVERIFY(banner.pixel(banner.width() / 2, banner.height() / 2) != box->grab().toImage().pixel(5, 5));
    box->cmdOK->click();
    QTRY_COMPARE(boxes(), 0);
    w->showAbout(); // opens afresh, and Esc closes it like OK
    QTRY_COMPARE(boxes(), 1);
    for (QWidget *t : QApplication::topLevelWidgets())
        if (auto *a = qobject_cast<frmAbout *>(t); a && a->isVisible())
            QTest::keyClick(a, Qt::Key_Escape);
    QTRY_COMPARE(boxes(), 0);
}

void TstAbout::systemInformation()
{
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    ScriptedDialogs dialogs;
    frmAbout box(dialogs);
    // The link's colour follows the mouse (on a box of its own: the pointer
    // of the offscreen platform finds the topmost window by position).
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    auto colour = [&] { return box.Label2->palette().color(QPalette::WindowText); };
    QCOMPARE(colour(), QColor(64, 64, 64));
    QTest::mouseMove(box.Label2, QPoint(5, 5));
    QTRY_COMPARE(colour(), QColor(255, 0, 0));
    QTest::mouseMove(&box, QPoint(5, 5));
    QTRY_COMPARE(colour(), QColor(64, 0, 0));

    box.cmdSysInfo->click();
    QCOMPARE(dialogs.lastText(), QStringLiteral("此时系统信息不可用"));

    // The first tool found on the PATH is started, without waiting for it.
    QFile tool(bin.filePath("gnome-system-monitor"));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write(QStringLiteral("#!/bin/sh\n/usr/bin/touch '%1/started'\n").arg(bin.path()).toLocal8Bit());
    tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    tool.close();
    box.cmdSysInfo->click();
    qputenv("PATH", path);
    QTRY_VERIFY(QFile::exists(bin.filePath("started")));
    QCOMPARE(dialogs.shown.size(), 1);
}

QTEST_MAIN(TstAbout)
#include "tst_about.moc"
