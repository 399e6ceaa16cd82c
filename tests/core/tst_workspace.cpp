#include <QtTest>
class TstWorkspace : public QObject { Q_OBJECT private Q_SLOTS: void nothing() {} };
QTEST_MAIN(TstWorkspace)
#include "tst_workspace.moc"
