#include "about/frmabout.h"
#include "testsupport.h"
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
    auto boxes = [] {
        const QWidgetList all = QApplication::topLevelWidgets();
        return std::count_if(
            all.begin(), all.end(), [](QWidget *t) { return qobject_cast<frmAbout *>(t) && t->isVisible(); });
    };
    w->Label12_Click();
    w->Label12_Click();
    QCOMPARE(boxes(), 1);
    frmAbout *box = nullptr;
    for (QWidget *t : QApplication::topLevelWidgets())
        if (auto *a = qobject_cast<frmAbout *>(t); a && a->isVisible())
            box = a;
    QCOMPARE(box->windowTitle(), QStringLiteral("关于 TQRM_ZQ温度数据管理软件"));
    QVERIFY(!box->parentWidget()); // modeless, without an owner

    auto colour = [&] { return box->Label2->palette().color(QPalette::WindowText); };
    QCOMPARE(colour(), QColor(64, 64, 64));
    QTest::mouseMove(box->Label2, QPoint(5, 5));
    QTRY_COMPARE(colour(), QColor(255, 0, 0));
    QTest::mouseMove(box, QPoint(5, 5));
    QTRY_COMPARE(colour(), QColor(64, 0, 0));
    box->cmdOK->click();
    QTRY_COMPARE(boxes(), 0);
}

void TstAbout::systemInformation()
{
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    ScriptedDialogs dialogs;
    frmAbout box(dialogs);
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
