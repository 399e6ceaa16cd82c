// Corrected readings in the window: 工艺分析 on a run linked to its
// instrument and thermocouple, and 用原始读数 as a person ticks it.
#include "archive/registry.h"
#include "core/datafile.h"
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
} // namespace

class TstCalibrationWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void analysisJudgesCorrectedReadings();
    void calibrationWindowTakesCertificates();
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
    QVERIFY(raw && raw->isVisible() && said);
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
    QProcess text;
    text.start("pdftotext", {dir.filePath("report.pdf"), "-"});
    QVERIFY(text.waitForFinished());
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
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
    QCOMPARE(status("SN-1"), QStringLiteral("OLD 已过期"));

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
    QCOMPARE(status("TC-9"), QStringLiteral("C-9 将到期"));
    QCOMPARE(registry.device(zq::Device::Thermocouple, "TC-9", &error)->type, QStringLiteral("K"));

    // A new certificate for the instrument supersedes the expired one; both stay.
    QTest::keyClick(c->kind, Qt::Key_Up);
    c->deviceId->clear();
    QTest::keyClicks(c->deviceId, "SN-1");
    c->number->clear();
    QTest::keyClicks(c->number, "NEW");
    c->due->setDate(today.addDays(31));
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(status("SN-1"), QStringLiteral("NEW OK"));
    QCOMPARE(registry.device(zq::Device::Instrument, "SN-1", &error)->certificates.size(), 2);
}

QTEST_MAIN(TstCalibrationWindow)
#include "tst_calibrationwindow.moc"
