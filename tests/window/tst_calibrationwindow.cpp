// Calibration in the window: 工艺分析 on a linked run (用原始读数 ticked as a
// person does), 校准's certificates, and the instrument said to be on a port.
#include "archive/registry.h"
#include "core/datafile.h"
#include "document/usecases.h"
#include "support/line.h"
#include "support/window.h"
#include "window/analysiswindow.h"
#include "window/archivewindow.h"
#include "window/calibrationwindow.h"
#include "window/figurestable.h"
#include "window/runchartbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>

namespace {
// 200 ℃, then an hour at a raw 846: 848.18 once corrected (−0.82 + 3).
zq::Record holdAt846()
{
    QVector<WDREC> records{WDREC{200, 7, 26, 9, 59, 0}};
    for (int i = 0; i <= 60; ++i)
        records.append(WDREC{846, 7, 26, uint8_t(10 + i / 60), uint8_t(i % 60), 0});
    return zq::Record::timeStamped(records);
}

// The thermocouple's certificate ran out in February.
void registerAndLink(zq::Archive &archive, const QString &sha)
{
    zq::Registry registry(archive);
    QString error;
    const QDate calibrated(2026, 1, 10);
    zq::Device instrument, thermocouple;
    instrument.id = QStringLiteral("SN-1");
    thermocouple.kind = zq::Device::Thermocouple;
    thermocouple.id = QStringLiteral("TC-12");
    thermocouple.type = QStringLiteral("K");
    QVERIFY2(registry.addCertificate(instrument,
                 {QStringLiteral("CAL-I-77"), calibrated, QDate(2099, 1, 10), {{300, 1}, {900, -1}}}, &error),
        qPrintable(error));
    QVERIFY2(registry.addCertificate(thermocouple,
                 {QStringLiteral("CAL-T-12"), calibrated, QDate(2026, 2, 10), {{800, 3}, {900, 3}}}, &error),
        qPrintable(error));
    QVERIFY2(registry.link(sha, {QStringLiteral("SN-1"), QStringLiteral("TC-12")}, &error), qPrintable(error));
}

// SN-1 in date, SN-OLD's certificate ran out yesterday.
void registerInstruments(zq::Archive &archive)
{
    const QDate today = QDate::currentDate();
    QString error;
    for (const QString id : {"SN-1", "SN-OLD"}) {
        zq::Device d;
        d.id = id;
        const QDate due = id == "SN-1" ? QDate(2099, 1, 1) : today.addDays(-1);
        const zq::Certificate c{"C-" + id, today.addYears(-1), due, {{300, 1}}};
        QVERIFY2(zq::Registry(archive).addCertificate(d, c, &error), qPrintable(error));
    }
}

} // namespace

class TstCalibrationWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void analysisJudgesCorrectedReadings();
    void calibrationWindowTakesCertificates();
    void downloadLinksItsInstrument_data();
    void downloadLinksItsInstrument();
    void portMenuSaysWhichInstrument();
};

void TstCalibrationWindow::analysisJudgesCorrectedReadings()
{
    QTemporaryDir dir;
    write(dir.filePath("run.ZQ"), zq::dataFileBytes(holdAt846()));
    write(dir.filePath("q.json"),
        R"({"name": "q", "band": {"setpoint": 850, "below": 2, "above": 2}, "criteria": {"minSoak": "30m"}})");
    TestWindow w;
    w->setRecipeFolder(dir.path());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    w->openDataFile(dir.filePath("run.ZQ"));
    registerAndLink(*w->archive(), zq::Archive::sha256Of(readAll(dir.filePath("run.ZQ"))));
    AnalysisWindow *a = w->showAnalysis();
    QVERIFY(a->chooseRecipe(QStringLiteral("q")));
    auto *raw = a->findChild<QCheckBox *>(QStringLiteral("useRaw"));
    auto *said = a->findChild<QLabel *>(QStringLiteral("calibration"));
    QVERIFY(raw && said && !raw->isVisible()); // read off the window's thread: not here yet
    QTRY_VERIFY(raw->isVisible());
    QCOMPARE(a->verdictLabel->text(), QStringLiteral("PASS"));
    QCOMPARE(figure(a, "峰值"), QStringLiteral("848.18"));
    QVERIFY(qAbs(a->wholeRun->content().run.y.last() - 848.18) < 1e-9); // drawn as judged
    QVERIFY2(said->text().contains("已修正：仪表 CAL-I-77，热电偶 CAL-T-12")
            && said->text().contains("校准已过期：证书 CAL-T-12 到期于 2026-02-10"),
        qPrintable(said->text()));

    QTest::mouseClick(raw, Qt::LeftButton, {}, QPoint(4, raw->height() / 2));
    QVERIFY(raw->isChecked());
    QVERIFY2(a->verdictLabel->text().startsWith("FAIL"), qPrintable(a->verdictLabel->text()));
    QCOMPARE(figure(a, "峰值"), QStringLiteral("846"));
    QCOMPARE(a->wholeRun->content().run.y.last(), 846.0);
    QVERIFY2(said->text().startsWith("按原始读数判定（未修正）"), qPrintable(said->text()));
    // The report judges as the window does, and names the certificates all the same.
    w.dialogs->answers = {QMessageBox::Yes};
    w.dialogs->paths = {dir.filePath("report")};
    QTest::mouseClick(a->findChild<QPushButton *>(QStringLiteral("processReport")), Qt::LeftButton);
    const QString content = pdfText(dir.filePath("report.pdf"));
    for (const char *expected : {"按原始读数判定（未修正）", "CAL-T-12", "848.18", "校准已过期"})
        QVERIFY2(content.contains(QString::fromUtf8(expected)), expected);
}

void TstCalibrationWindow::calibrationWindowTakesCertificates()
{
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    QString error;
    zq::Device instrument;
    instrument.id = QStringLiteral("SN-1");
    const QDate today = QDate::currentDate();
    zq::Registry registry(*w->archive());
    QVERIFY(registry.addCertificate(instrument, {"OLD", today.addYears(-2), today.addDays(-1), {{300, 1}}}, &error));
    ArchiveWindow *archive = w->showArchive();
    QTest::mouseClick(archive->findChild<QPushButton *>(QStringLiteral("calibrationButton")), Qt::LeftButton);
    auto *c = archive->findChild<CalibrationWindow *>();
    QVERIFY(c && c->isVisible());
    auto status = [c](const QString &id) {
        for (int r = 0; r < c->table->rowCount(); ++r)
            if (c->table->item(r, 1)->text() == id)
                return c->table->item(r, 3)->text() + " " + c->table->item(r, 6)->text();
        return QString();
    };
    QTRY_COMPARE(status("SN-1"), QStringLiteral("OLD 已过期"));
    // A thermocouple's certificate that runs out in 30 days, typed in.
    QTest::keyClick(c->kind, Qt::Key_Down);
    QTest::keyClicks(c->deviceId, "TC-9");
    QTest::keyClicks(c->number, "C-9");
    QTest::keyClicks(c->points, "800:+3,900:x");
    c->due->setDate(today.addDays(30));
    auto *add = c->findChild<QPushButton *>(QStringLiteral("addCertificate"));
    QTest::mouseClick(add, Qt::LeftButton);
    QVERIFY2(c->problem->text().contains("900:x"), qPrintable(c->problem->text()));
    QCOMPARE(status("TC-9"), QString());
    QTest::keyClick(c->points, Qt::Key_Backspace);
    QTest::keyClicks(c->points, "3");
    c->number->clear();
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(c->problem->text(), QStringLiteral("证书没有添加：请填写证书编号")); // as zqcli says
    QTest::keyClicks(c->number, "C-9");
    QTest::mouseClick(add, Qt::LeftButton);
    QTRY_COMPARE(status("TC-9"), QStringLiteral("C-9 将到期"));
    QCOMPARE(registry.device(zq::Device::Thermocouple, "TC-9", &error)->type, QStringLiteral("K"));
    // A new certificate for the instrument supersedes the expired one; both stay.
    QTest::keyClick(c->kind, Qt::Key_Up);
    c->deviceId->clear();
    QTest::keyClicks(c->deviceId, "SN-1");
    c->number->clear();
    QTest::keyClicks(c->number, "NEW");
    c->due->setDate(today.addDays(31));
    QTest::mouseClick(add, Qt::LeftButton);
    QTRY_COMPARE(status("SN-1"), QStringLiteral("NEW OK"));
    QCOMPARE(registry.device(zq::Device::Instrument, "SN-1", &error)->certificates.size(), 2);
    c->refresh();
    delete c; // closed with a read under way
}

void TstCalibrationWindow::downloadLinksItsInstrument_data()
{
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("linked"); // once the same bytes came again from SN-1
    QTest::addColumn<QString>("warned");
    const QString expired
        = "校准已过期：证书 C-SN-OLD 到期于 " + QDate::currentDate().addDays(-1).toString("yyyy-MM-dd");
    const QStringList rows[]
        = {{"in date", "SN-1", "SN-1", ""}, {"expired, linked all the same", "SN-OLD", "SN-OLD", expired},
            {"not registered", "SN-404", "SN-1", "仪表 SN-404 没有登记"}, {"none said", "", "SN-1", ""}};
    for (const QStringList &r : rows)
        QTest::newRow(qPrintable(r[0])) << r[1] << r[2] << r[3];
}

void TstCalibrationWindow::downloadLinksItsInstrument()
{
    QFETCH(QString, said);
    QFETCH(QString, linked);
    QFETCH(QString, warned);
    QTemporaryDir dir;
    zq::Archive archive;
    QString error;
    QVERIFY(archive.open(dir.filePath("a.sqlite"), &error));
    registerInstruments(archive);
    DownloadResult download;
    download.outcome = ReadComMachine::Complete;
    download.record = timeData(5);
    download.instrument = said;
    download.ended = QDateTime::currentDateTime();
    QStringList warnings;
    const zq::RunFile run = zq::keptBytes(download.record, QString());
    QVERIFY2(!zq::keepRun(archive, run, QString(), &download, &error, &warnings).isEmpty(), qPrintable(error));
    QVERIFY2(warned.isEmpty() ? warnings.isEmpty() : warnings.join('\n').startsWith(warned),
        qPrintable(warnings.join('\n')));
    download.instrument = "SN-1"; // a run that names its instrument keeps it
    QVERIFY(!zq::keepRun(archive, run, QString(), &download, &error, &warnings).isEmpty());
    QStringList rows;
    for (const zq::HistoryRow &r : archive.history(run.sha256, &error))
        if (r.what.startsWith(QLatin1String("linked_")))
            rows << r.what + "|" + r.oldValue + "|" + r.newValue;
    QCOMPARE(rows, QStringList{"linked_instrument||" + linked});
}

void TstCalibrationWindow::portMenuSaysWhichInstrument()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    Simulator sim({});
    TestWindow w(sim.device);
    registerInstruments(*w->archive());
    w->downloads().listPorts = [&] { return QList<zq::PortChoice>{{sim.device, sim.device, sim.device}}; };
    w->show();
    QAction *choice = rightClick(ui(w).portButton)->actions().value(3);
    QMenu *instruments = choice->text() == QStringLiteral("COM 1 的仪表") ? choice->menu() : nullptr;
    QTRY_COMPARE(instruments ? instruments->actions().size() : 0, 3); // the registry's answer came
    QStringList offered;
    for (QAction *a : instruments->actions())
        offered << a->text() + (a->isChecked() ? "*" : "");
    QCOMPARE(offered, (QStringList{"（未指定）*", "SN-1", "SN-OLD"}));
    instruments->actions().value(2)->trigger();
    ui(w).downloadButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->instrument().downloading() && !w->document().sha256().isEmpty(), 15000);
    QString error;
    QCOMPARE(zq::Registry(*w->archive()).linked(w->document().sha256(), &error).instrument, QStringLiteral("SN-OLD"));
    QVERIFY2(ui(w).statusLabel->text().startsWith("校准已过期：证书 C-SN-OLD"), qPrintable(ui(w).statusLabel->text()));
    TestWindow later; // the next run remembers which instrument is on COM 1
    later->useSettingsFile(w.settings.filePath("zqtemp.ini"));
    later->choosePorts({sim.device, sim.device}, QString(), QString());
    QCOMPARE(later->instrument().instrumentFor(1) + later->instrument().instrumentFor(2), QStringLiteral("SN-OLD"));
}

QTEST_MAIN(TstCalibrationWindow)
#include "tst_calibrationwindow.moc"
