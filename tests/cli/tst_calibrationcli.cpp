// Certificates registered, runs linked to their instrument and thermocouple,
// and the process check on corrected readings, as a script drives zqcli.
#include "core/datafile.h"
#include "support/line.h"
#include "support/needs.h"
#include "support/records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {
// SN-1: +1 at 300, −1 at 900. TC-12: +3, its certificate out of date since February.
const QStringList kInstrument{"calibration", "add-instrument", "SN-1", "--cert", "CAL-I-77", "--calibrated",
    "2026-01-10", "--due", "2099-01-10", "--points", "300:+1.0,900:-1.0"};
const QStringList kThermocouple{"calibration", "add-thermocouple", "TC-12", "--type", "K", "--cert", "CAL-T-12",
    "--calibrated", "2026-01-10", "--due", "2026-02-10", "--points", "800:+3,900:+3"};

// 200 ℃, then an hour at a raw 846: 848.18 once corrected (−0.82 + 3).
QByteArray holdAt846(int day)
{
    QVector<WDREC> records{WDREC{200, 7, uint8_t(day), 9, 59, 0}};
    for (int i = 0; i <= 60; ++i)
        records.append(WDREC{846, 7, uint8_t(day), uint8_t(10 + i / 60), uint8_t(i % 60), 0});
    return zq::dataFileBytes(zq::Record::timeStamped(records));
}

QJsonObject check(const Run &run)
{
    return QJsonDocument::fromJson(run.out.toUtf8()).array().at(0).toObject();
}
} // namespace

class TstCalibrationCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ZQ_SKIP_WITHOUT(Need::Zqcli); }
    void correctedReadingsAreJudged();
    void reportShowsRawBesideCorrected();
    void downloadNamesItsInstrument();
};

void TstCalibrationCli::correctedReadingsAreJudged()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath("archive.sqlite");
    auto cli = [&](QStringList args) { return zqcli(args << "--archive" << archive); };
    QCOMPARE(cli(kInstrument).code, 0);
    // A successor calibrated after the runs: the runs keep the certificate they were measured under.
    QCOMPARE(cli({"calibration", "add-instrument", "SN-1", "--cert", "CAL-I-78", "--calibrated", "2098-01-10", "--due",
                     "2099-01-10", "--points", "300:+5,900:+5"})
                 .code,
        0);
    QCOMPARE(cli(kThermocouple + QStringList{"--max-uses", "1"}).code, 0);
    const Run untyped = cli({"calibration", "add-thermocouple", "TC-13", "--cert", "X", "--calibrated", "2026-01-10",
        "--due", "2026-02-10", "--points", "800:+3"});
    QCOMPARE(untyped.code, 2);
    QVERIFY2(untyped.err.contains("热电偶类型须为 K N S R B J T E"), qPrintable(untyped.err)); // as the window says
    const QString one = dir.filePath("one.ZQ"), two = dir.filePath("two.ZQ");
    write(one, holdAt846(26));
    write(two, holdAt846(27));
    QCOMPARE(cli({"archive", "import", one, two}).code, 0);
    QCOMPARE(cli({"archive", "set", one, "--instrument", "SN-1", "--thermocouple", "TC-12"}).code, 0);
    const Run worn = cli({"archive", "set", two, "--instrument", "SN-1", "--thermocouple", "TC-12"});
    QCOMPARE(worn.code, 0); // told, not refused
    QVERIFY2(worn.err.contains("超过上限 1"), qPrintable(worn.err));
    QCOMPARE(cli({"archive", "set", two, "--instrument", "SN-404"}).code, 1);

    const QStringList band{"analyze", one, "--setpoint", "850", "--tol", "2", "--min-soak", "30m", "--format", "json"};
    const Run corrected = cli(band);
    QCOMPARE(corrected.code, 0);
    const QJsonObject c = check(corrected);
    QCOMPARE(c.value("verdict").toString(), QStringLiteral("PASS"));
    QCOMPARE(c.value("corrections").toObject().value("instrument").toObject().value("certificate").toString(),
        QStringLiteral("CAL-I-77"));
    QCOMPARE(c.value("corrections").toObject().value("leftRaw").toInt(), 1); // the 200 below every point
    QVERIFY(qAbs(c.value("peak").toObject().value("value").toDouble() - 848.18) < 1e-9);
    QVERIFY2(corrected.err.contains("校准已过期") && corrected.err.contains("CAL-T-12"), qPrintable(corrected.err));

    const Run raw = cli(QStringList(band) << "--raw");
    QCOMPARE(raw.code, 3);
    QCOMPARE(check(raw).value("verdict").toString(), QStringLiteral("FAIL"));
    QVERIFY(check(raw).value("corrections").isNull());

    // Another thermocouple, not registered: TC-12's certificate no longer corrects the run, nor is it used.
    QVERIFY(cli({"archive", "set", two, "--thermocouple", "X-9"}).err.contains("热电偶 X-9 没有登记"));
    const Run list = cli({"calibration", "list", "--format", "json"});
    QCOMPARE(list.code, 0);
    const QJsonArray devices = QJsonDocument::fromJson(list.out.toUtf8()).array();
    QCOMPARE(devices.size(), 2);
    for (const QJsonValue &d : devices) {
        const QJsonObject o = d.toObject();
        if (o.value("id") == "TC-12") {
            QCOMPARE(o.value("uses").toInt(), 1);
            QCOMPARE(o.value("status").toString(), QStringLiteral("已过期"));
        } else {
            QCOMPARE(o.value("certificates").toArray().size(), 2); // the old one stays
        }
    }
}

void TstCalibrationCli::reportShowsRawBesideCorrected()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath("archive.sqlite"), run = dir.filePath("run.ZQ");
    auto cli = [&](QStringList args) { return zqcli(args << "--archive" << archive); };
    write(run, holdAt846(26));
    QCOMPARE(cli(kInstrument).code, 0);
    QCOMPARE(cli(kThermocouple).code, 0);
    QCOMPARE(cli({"archive", "import", run}).code, 0);
    QCOMPARE(cli({"archive", "set", run, "--instrument", "SN-1", "--thermocouple", "TC-12"}).code, 0);
    const QStringList report{"report", "--process", run, "--setpoint", "850", "--tol", "2", "--min-soak", "30m"};
    const Run corrected = cli(QStringList(report) << "-o" << dir.filePath("c.pdf"));
    QCOMPARE(corrected.code, 0);
    QVERIFY2(corrected.err.contains("校准已过期") && corrected.err.contains("CAL-T-12"), qPrintable(corrected.err));
    const QString c = pdfText(dir.filePath("c.pdf"), {"-layout"}).simplified();
    // At 850 the instrument's correction is 1 − 2·550/600; the thermocouple's +3.
    for (const char *says :
        {"已修正：仪表 CAL-I-77，热电偶 CAL-T-12", "仪表 SN-1 CAL-I-77 2026-01-10 2099-01-10 OK -0.83 ℃",
            "热电偶 TC-12 CAL-T-12 2026-01-10 2026-02-10 已过期 +3.00 ℃", "峰值 846.00 ℃ 848.18 ℃",
            "结论 FAIL：最短保温（未判定） PASS", "最长保温 未进入公差带 60.0 min", "欠调 未进入公差带 0.00 ℃",
            "≥ 30m PASS 校准", "校准已过期"})
        QVERIFY2(c.contains(QString::fromUtf8(says)), says);

    const Run raw = cli(QStringList(report) << "--raw"
                                            << "-o" << dir.filePath("r.pdf"));
    QCOMPARE(raw.code, 0);
    const QString r = pdfText(dir.filePath("r.pdf"), {"-layout"}).simplified();
    for (const char *says :
        {"≥ 30m FAIL：最短保温（未判定） 校准 按原始读数判定（未修正）", "结论 FAIL：最短保温（未判定） PASS"})
        QVERIFY2(r.contains(QString::fromUtf8(says)), says);
}

void TstCalibrationCli::downloadNamesItsInstrument()
{
    ZQ_SKIP_WITHOUT(Need::Simulator);
    QTemporaryDir dir;
    const QString archive = dir.filePath("archive.sqlite");
    const QString due = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
    QCOMPARE(zqcli({"calibration", "add-instrument", "SN-OLD", "--cert", "C-OLD", "--calibrated", "2020-01-01", "--due",
                       due, "--points", "300:+1", "--archive", archive})
                 .code,
        0);
    Simulator sim({});
    const Run got = zqcli({"download", "--port", sim.device, "-o", dir.filePath("got.ZQ"), "--instrument", "SN-OLD",
        "--archive", archive});
    QCOMPARE(got.code, 0);
    QVERIFY2(got.err.contains("zqcli: 校准已过期：证书 C-OLD 到期于 " + due), qPrintable(got.err));
    const Run shown = zqcli({"archive", "history", dir.filePath("got.ZQ"), "--archive", archive});
    QVERIFY2(shown.out.contains("linked_instrument\t -> SN-OLD"), qPrintable(shown.out));
}

QTEST_GUILESS_MAIN(TstCalibrationCli)
#include "tst_calibrationcli.moc"
