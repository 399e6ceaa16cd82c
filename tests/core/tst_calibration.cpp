// Corrections from calibration certificates, worked out here by hand.
#include "core/analysis.h"
#include "core/calibration.h"
#include "support/runs.h"

#include <QtTest>

namespace {
zq::Certificate certificate(const QString &number, const QString &points, const QDate &calibrated = {2026, 1, 10},
    const QDate &due = {2027, 1, 10})
{
    QString error;
    return {number, calibrated, due, zq::parseCalPoints(points, &error).value()};
}

// The instrument reads 1 ℃ low at 300 and 1 ℃ high at 900; the thermocouple 3 ℃ low from 800 to 900.
zq::Correction instrumentAndThermocouple()
{
    return {certificate("CAL-I-77", "300:+1.0,900:-1.0"), certificate("CAL-T-12", "800:+3,900:+3")};
}

} // namespace

class TstCalibration : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void interpolation_data();
    void interpolation();
    void points_data();
    void points();
    void certificateProblems_data();
    void certificateProblems();
    void aHoldJudgedOnCorrectedReadings();
    void dueStates_data();
    void dueStates();
    void theCertificateInForce();
};

void TstCalibration::interpolation_data()
{
    QTest::addColumn<double>("reading");
    QTest::addColumn<double>("instrument"); // nan: outside its points
    QTest::addColumn<double>("corrected"); // nan: left raw
    QTest::newRow("at the lowest point") << 300.0 << 1.0 << qQNaN();
    QTest::newRow("half way") << 600.0 << 0.0 << qQNaN();
    QTest::newRow("846") << 846.0 << -0.82 << 848.18; // 1 − 2 · 546 / 600, then + 3
    QTest::newRow("at the highest point") << 900.0 << -1.0 << 902.0;
    QTest::newRow("below the lowest") << 299.0 << qQNaN() << qQNaN();
    QTest::newRow("above the highest") << 900.5 << qQNaN() << qQNaN();
}

void TstCalibration::interpolation()
{
    QFETCH(double, reading);
    QFETCH(double, instrument);
    QFETCH(double, corrected);
    const zq::Correction c = instrumentAndThermocouple();
    const std::optional<double> at = c.instrument->correctionAt(reading);
    QCOMPARE(at.has_value(), !qIsNaN(instrument));
    if (at)
        QVERIFY(qAbs(*at - instrument) < 1e-9);
    const std::optional<double> both = c.apply(reading);
    QCOMPARE(both.has_value(), !qIsNaN(corrected));
    if (both)
        QVERIFY(qAbs(*both - corrected) < 1e-9);
}

void TstCalibration::points_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count"); // 0: refused
    QTest::newRow("two points") << "300:+1.0,900:-1.0" << 2;
    QTest::newRow("out of order") << "900:-1, 300:1, 600:0" << 3;
    QTest::newRow("one temperature twice") << "300:+1,300:+2" << 0;
    QTest::newRow("not a pair") << "300" << 0;
    QTest::newRow("nothing") << "" << 0;
    QTest::newRow("nan") << "nan:1" << 0;
}

void TstCalibration::points()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QString error;
    const auto points = zq::parseCalPoints(text, &error);
    QCOMPARE(points.has_value(), count > 0);
    QCOMPARE(error.isEmpty(), count > 0);
    if (points) {
        QCOMPARE(points->size(), count);
        QVERIFY(std::is_sorted(points->begin(), points->end(),
            [](const zq::CalPoint &a, const zq::CalPoint &b) { return a.temperature < b.temperature; }));
    }
}

void TstCalibration::certificateProblems_data()
{
    QTest::addColumn<bool>("thermocouple");
    QTest::addColumn<QStringList>("idTypeNumber");
    QTest::addColumn<QDate>("due"); // calibrated 2026-01-10
    QTest::addColumn<QString>("problem");
    const QDate year(2027, 1, 10);
    const QString type = QStringLiteral("热电偶类型须为 K N S R B J T E");
    QTest::newRow("instrument") << false << QStringList{"SN-1", "", "C-1"} << year << QString();
    QTest::newRow("thermocouple N") << true << QStringList{"TC-1", "N", "C-1"} << year << QString();
    QTest::newRow("due the day calibrated")
        << false << QStringList{"SN-1", "", "C-1"} << QDate(2026, 1, 10) << QString();
    QTest::newRow("due before calibrated")
        << false << QStringList{"SN-1", "", "C-1"} << QDate(2026, 1, 9) << QStringLiteral("到期日早于校准日期");
    QTest::newRow("no due date") << false << QStringList{"SN-1", "", "C-1"} << QDate()
                                 << QStringLiteral("校准日期与到期日须为 YYYY-MM-DD");
    QTest::newRow("thermocouple X") << true << QStringList{"TC-1", "X", "C-1"} << year << type;
    QTest::newRow("thermocouple untyped") << true << QStringList{"TC-1", "", "C-1"} << year << type;
    QTest::newRow("no id") << false << QStringList{" ", "", "C-1"} << year << QStringLiteral("请填写编号");
    QTest::newRow("no number") << true << QStringList{"TC-1", "K", ""} << year << QStringLiteral("请填写证书编号");
}

void TstCalibration::certificateProblems()
{
    QFETCH(bool, thermocouple);
    QFETCH(QStringList, idTypeNumber);
    QFETCH(QDate, due);
    QFETCH(QString, problem);
    const zq::Certificate c = certificate(idTypeNumber[2], "300:+1", {2026, 1, 10}, due);
    QCOMPARE(zq::certificateProblem(thermocouple, idTypeNumber[0], idTypeNumber[1], c), problem);
}

void TstCalibration::aHoldJudgedOnCorrectedReadings()
{
    // 200 ℃ (below every point), then an hour at a raw 846.
    const zq::Record record = everyMinute(QVector<int>{200} + QVector<int>(61, 846));
    zq::Recipe r;
    r.hasBand = true;
    r.setpoint = 850;
    r.below = r.above = 2;
    r.minSoak = zq::parseSpan("30m");
    const zq::Correction c = instrumentAndThermocouple();
    const zq::Analysis corrected = zq::analyze(record, r, 0, 0, -1, &c);
    QVERIFY2(corrected.problem.isEmpty(), qPrintable(corrected.problem));
    QVERIFY(*corrected.pass);
    QCOMPARE(corrected.band->longestSoak, 3600.0);
    QVERIFY(qAbs(corrected.peak - 848.18) < 1e-9);
    QCOMPARE(corrected.leftRaw, 1); // the 200 stays 200
    QCOMPARE(corrected.lowest, 200.0);
    QCOMPARE(corrected.correctedBy, QStringLiteral("已修正：仪表 CAL-I-77，热电偶 CAL-T-12"));
    const zq::Analysis raw = zq::analyze(record, r);
    QVERIFY(!*raw.pass);
    QCOMPARE(raw.band->enteredAt, -1);
    // A band the certificates do not reach: no verdict.
    r.setpoint = 950;
    const zq::Analysis beyond = zq::analyze(record, r, 0, 0, -1, &c);
    QCOMPARE(beyond.problem, QStringLiteral("校准范围不覆盖设定温度"));
    QVERIFY(!beyond.pass);
}

void TstCalibration::dueStates_data()
{
    QTest::addColumn<QDate>("due");
    QTest::addColumn<int>("state");
    // Today is 2026-12-07.
    QTest::newRow("months ahead") << QDate(2027, 3, 1) << int(zq::DueState::Ok);
    QTest::newRow("31 days ahead") << QDate(2027, 1, 7) << int(zq::DueState::Ok);
    QTest::newRow("30 days ahead") << QDate(2027, 1, 6) << int(zq::DueState::DueSoon);
    QTest::newRow("due today") << QDate(2026, 12, 7) << int(zq::DueState::DueSoon);
    QTest::newRow("a day past") << QDate(2026, 12, 6) << int(zq::DueState::Expired);
}

void TstCalibration::dueStates()
{
    QFETCH(QDate, due);
    QFETCH(int, state);
    const zq::Certificate c = certificate("C", "0:0", {2026, 1, 1}, due);
    QCOMPARE(int(zq::dueState(c, QDate(2026, 12, 7))), state);
}

void TstCalibration::theCertificateInForce()
{
    const QVector<zq::Certificate> certificates{certificate("OLD", "0:0", {2025, 6, 1}),
        certificate("NEW", "0:0", {2026, 6, 1}), certificate("MID", "0:0", {2025, 12, 1})};
    QVERIFY(!zq::inForce(certificates, {2025, 5, 31}));
    QCOMPARE(zq::inForce(certificates, {2025, 6, 1})->number, QStringLiteral("OLD"));
    QCOMPARE(zq::inForce(certificates, {2026, 5, 31})->number, QStringLiteral("MID"));
    QCOMPARE(zq::inForce(certificates, {2026, 6, 1})->number, QStringLiteral("NEW"));
}

QTEST_GUILESS_MAIN(TstCalibration)
#include "tst_calibration.moc"
