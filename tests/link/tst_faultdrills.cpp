// The link under faults: the program stays up, the port ends closed, data
// held is kept, and the user is told what failed.
#include "link/commport.h"
#include "link/onlinepoll.h"
#include "testsupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSerialPort>

class TstFaultDrills : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void simulatorFaults_data();
    void simulatorFaults();
    void busyPort();
    void closeDuringPoll();
};

void TstFaultDrills::simulatorFaults_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("readings");
    QTest::addColumn<QString>("status");
    QTest::newRow("junk before the reply") << QStringList{"--junk", "3"} << 3840 << "3840";
    // No checksum on the line: a garbled byte is stored as it came.
    QTest::newRow("garbled byte mid-transfer") << QStringList{"--garble", "1001"} << 3840 << "3840";
    QTest::newRow("no reply") << QStringList{"--no-reply"} << 0 << "COM ERR";
}

void TstFaultDrills::simulatorFaults()
{
    QFETCH(QStringList, args);
    QFETCH(int, readings);
    QFETCH(QString, status);
    Simulator sim;
    QVERIFY(sim.start(QStringList{"--fast"} + args));
    TestWindow w;
    w->setPortDevices(sim.device, sim.device);
    QSignalSpy done(&w->download(), &ReadComMachine::finished);
    w->Command5->click();
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
    QCOMPARE(w.ws().wdnum, readings);
    QCOMPARE(w->List1->count(), readings);
    QCOMPARE(w->Label6->text(), status);
    QVERIFY(!w->MyComm->portOpen());
}

void TstFaultDrills::busyPort()
{
    Simulator sim;
    QVERIFY(sim.start({"--fast"}));
    QSerialPort other(sim.device);
    QVERIFY(other.open(QIODevice::ReadWrite));
    TestWindow w;
    w->setPortDevices(sim.device, sim.device);
    w.ws().havedata = 1;
    w.ws().datatype = 1;
    w.ws().wdnum = 2;
    w.ws().wdseq[0] = 321;
    w.dialogs->answers = {QMessageBox::No};
    w->Command5->click(); // asked, answered No: nothing happens
    QCOMPARE(w.ws().wdseq[0], int16_t(321));
    w.ws().havedata = 0;
    w->Command5->click();
    QCOMPARE(w->Label6->text(), QStringLiteral("COM ERR"));
    QCOMPARE(w.dialogs->shown.size(), 2);
    QVERIFY(w.dialogs->shown.last().text.contains(sim.device));
    QVERIFY(!w->MyComm->portOpen());
    QCOMPARE(w.ws().wdseq[0], int16_t(321)); // nothing cleared for a port that never opened
}

void TstFaultDrills::closeDuringPoll()
{
    PtyInstrument inst;
    auto w = std::make_unique<TestWindow>();
    (*w)->setPortDevices(inst.path(), inst.path());
    (*w)->show();
    (*w)->onlineSwitch->click();
    (*w)->Timer1_Timer();
    QVERIFY((*w)->onlinePoll().active());
    QVERIFY((*w)->close());
    QVERIFY(!(*w)->MyComm->portOpen());
    QVERIFY(!(*w)->Timer1->isActive());
    w.reset();
    inst.send(bytes({0xC0, 0x05, 0x12, 0x21, 0x30})); // the late reply finds nobody
}

QTEST_MAIN(TstFaultDrills)
#include "tst_faultdrills.moc"
