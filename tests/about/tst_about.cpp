#include "about/frmabout.h"
#include "core/clicklabel.h"
#include "testsupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

class TstAbout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oneBoxWithItsTexts();
    void linkColoursFollowTheMouse();
    void systemInformation();
};

static QList<frmAbout *> openBoxes()
{
    QList<frmAbout *> boxes;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *a = qobject_cast<frmAbout *>(w); a && a->isVisible())
            boxes.append(a);
    return boxes;
}

void TstAbout::oneBoxWithItsTexts()
{
    TestWindow w;
    w->Label12_Click();
    w->Label12_Click();
    QCOMPARE(openBoxes().size(), 1);
    frmAbout *box = openBoxes().first();
    QCOMPARE(box->windowTitle(), QStringLiteral("关于 TQRM_ZQ温度数据管理软件"));
    QCOMPARE(box->Label6->text(), QStringLiteral("TQRM-ZQ1 数据处理软件"));
    QCOMPARE(box->Label12->text(), QStringLiteral("Temperature Datas system"));
    QCOMPARE(box->cmdSysInfo->text(), QStringLiteral("系统信息(&S)"));
    QVERIFY(box->parentWidget() == nullptr); // modeless, no owner
    QVERIFY(w->isEnabled());
    box->cmdOK->click();
    QTRY_COMPARE(openBoxes().size(), 0);
    w->Label12_Click();
    QCOMPARE(openBoxes().size(), 1);
    openBoxes().first()->close();
}

void TstAbout::linkColoursFollowTheMouse()
{
    ScriptedDialogs dialogs;
    frmAbout box(dialogs);
    box.show();
    auto colour = [&] { return box.Label2->palette().color(QPalette::WindowText); };
    QCOMPARE(colour(), QColor(64, 64, 64));
    QTest::mouseMove(box.Label2, QPoint(5, 5));
    QTRY_COMPARE(colour(), QColor(255, 0, 0));
    QTest::mouseMove(&box, QPoint(5, 5));
    QTRY_COMPARE(colour(), QColor(64, 0, 0));
}

void TstAbout::systemInformation()
{
    QTemporaryDir bin;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    ScriptedDialogs dialogs;
    frmAbout box(dialogs);
    box.cmdSysInfo->click();
    QCOMPARE(dialogs.texts(), QStringList{"此时系统信息不可用"});

    // The first tool found on the PATH is started, without waiting for it.
    const QString marker = bin.filePath("started");
    QFile tool(bin.filePath("gnome-system-monitor"));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write(QStringLiteral("#!/bin/sh\n/usr/bin/touch '%1'\n").arg(marker).toLocal8Bit());
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::WriteOwner);
    box.cmdSysInfo->click();
    qputenv("PATH", oldPath);
    QTRY_VERIFY(QFile::exists(marker));
    QCOMPARE(dialogs.shown.size(), 1);
}

QTEST_MAIN(TstAbout)
#include "tst_about.moc"
