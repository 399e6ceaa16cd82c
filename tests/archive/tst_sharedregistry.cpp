// The calibration registry on a real PostgreSQL 15 server, as the role the
// schema grants, and on SQLite: the same certificates, links and corrections.
#include "archive/outbox.h"
#include "archive/registry.h"
#include "archive/registryreader.h"
#include "core/datafile.h"
#include "support/pgserver.h"
#include "support/records.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

class TstSharedRegistry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void certificatesLinksAndCorrections_data();
    void certificatesLinksAndCorrections();
    void registryTravelsBetweenPcs();

private:
    std::unique_ptr<PgServer> m_server;
};

void TstSharedRegistry::initTestCase()
{
    ZQ_SKIP_WITHOUT(Need::Postgres);
    m_server = std::make_unique<PgServer>();
    QVERIFY(m_server->ok());
    qputenv("PGPASSWORD", "secret");
}

void TstSharedRegistry::certificatesLinksAndCorrections_data()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("SQLite") << false;
    QTest::newRow("PostgreSQL") << true;
}

void TstSharedRegistry::certificatesLinksAndCorrections()
{
    QFETCH(bool, server);
    QTemporaryDir dir;
    zq::Archive a;
    QString error;
    QVERIFY2(a.open(server ? m_server->url(true) : dir.filePath("a.sqlite"), &error), qPrintable(error));
    zq::Registry registry(a);
    zq::Device instrument, thermocouple;
    instrument.id = QStringLiteral("SN-1");
    thermocouple.kind = zq::Device::Thermocouple;
    thermocouple.id = QStringLiteral("TC-12");
    thermocouple.type = QStringLiteral("K");
    thermocouple.maxUses = 5;
    const QDate jan(2026, 1, 10), today = QDate::currentDate();
    QVERIFY2(registry.addCertificate(instrument, {"CAL-I-77", jan, jan.addYears(1), {{300, 1}, {900, -1}}}, &error),
        qPrintable(error));
    // Its successor, from a day after the run: the run keeps CAL-I-77.
    QVERIFY2(registry.addCertificate(
                 instrument, {"CAL-I-78", today.addDays(1), today.addYears(1), {{300, 9}, {900, 9}}}, &error),
        qPrintable(error));
    QVERIFY2(registry.addCertificate(thermocouple, {"CAL-T-12", jan, jan.addMonths(1), {{800, 3}, {900, 3}}}, &error),
        qPrintable(error));
    QVERIFY(!registry.addCertificate(thermocouple, {"CAL-T-12", jan, jan, {{800, 0}}}, &error)); // one number, once

    bool isNew = false;
    const QString sha = a.addRun(zq::dataFileBytes(timeData(30)), QString(), &isNew, &error);
    QVERIFY2(!sha.isEmpty(), qPrintable(error));
    QVERIFY2(registry.link(sha, {"SN-1", "TC-12"}, &error), qPrintable(error));
    const zq::RunCalibration c = zq::runCalibration(a, sha, &error);
    QCOMPARE(c.devices.instrument, QStringLiteral("SN-1"));
    QCOMPARE(c.devices.thermocouple, QStringLiteral("TC-12"));
    QVERIFY(c.correction.instrument && c.correction.thermocouple);
    QCOMPARE(c.correction.instrument->number, QStringLiteral("CAL-I-77"));
    QCOMPARE(c.correction.thermocouple->due, jan.addMonths(1));
    // 846: 1 − 2·546/600 = −0.82 for the instrument, +3 for the thermocouple.
    QVERIFY(qAbs(*c.correction.apply(846) - 848.18) < 1e-9);
    QCOMPARE(zq::expiryWarnings(c.correction, today).size(), 1);
    // Read on a thread of its own, answered by signals in the order asked; one let go unanswered is no harm.
    zq::RegistryReader(a).readCalibration(sha);
    zq::RegistryReader reader(a);
    QSignalSpy calibrated(&reader, &zq::RegistryReader::calibrationRead);
    QSignalSpy listed(&reader, &zq::RegistryReader::devicesRead);
    reader.readCalibration(sha);
    reader.readDevices();
    QTRY_COMPARE(listed.size(), 1);
    QCOMPARE(calibrated.size(), 1);
    const auto read = calibrated.at(0).at(1).value<zq::RunCalibration>();
    QCOMPARE(read.devices.thermocouple + read.correction.instrument.value_or(zq::Certificate()).number,
        QStringLiteral("TC-12CAL-I-77"));
    QCOMPARE(listed.at(0).at(0).value<QVector<zq::Device>>().size(), 2);
    QCOMPARE(calibrated.at(0).at(2).toString() + listed.at(0).at(1).toString(), QString());

    const std::optional<zq::Device> tc = registry.device(zq::Device::Thermocouple, "TC-12", &error);
    QVERIFY2(tc, qPrintable(error));
    QCOMPARE(tc->uses, 1);
    QCOMPARE(tc->maxUses, 5);
    QCOMPARE(registry.device(zq::Device::Instrument, "SN-1", &error)->certificates.size(), 2);

    // Each registry change a row under the device's key, a link a row in the run's chain.
    QVERIFY2(registry.link(sha, {"SN-1", "TC-13"}, &error), qPrintable(error));
    QVERIFY2(a.setVerdict(sha, "PASS", "r", &error, zq::judgedOnText(&c.correction)), qPrintable(error));
    const auto rows = [&](const QString &key) {
        QStringList out;
        for (const zq::HistoryRow &r : a.history(key, &error))
            out << QStringList{r.what, r.oldValue, r.newValue, r.reason}.join('|');
        return out;
    };
    QCOMPARE(rows("instrument:SN-1"),
        (QStringList{R"(device||{"id":"SN-1","kind":"instrument"}|)",
            R"(certificate||{"calibrated":"2026-01-10","due":"2027-01-10","number":"CAL-I-77","points":"300:+1,900:-1"}|)",
            QStringLiteral(
                R"(certificate||{"calibrated":"%1","due":"%2","number":"CAL-I-78","points":"300:+9,900:+9"}|)")
                .arg(today.addDays(1).toString(Qt::ISODate), today.addYears(1).toString(Qt::ISODate))}));
    QCOMPARE(rows("thermocouple:TC-12").size(), 2); // the refused duplicate left none
    QCOMPARE(rows("thermocouple:TC-12").first(),
        QStringLiteral(R"(device||{"id":"TC-12","kind":"thermocouple","maxTemp":null,"maxUses":5,"type":"K"}|)"));
    QCOMPARE(rows(sha).mid(1),
        (QStringList{"linked_instrument||SN-1|", "linked_thermocouple||TC-12|", "linked_thermocouple|TC-12|TC-13|",
            "verdict||PASS|已修正：仪表 CAL-I-77（300:+1,900:-1），热电偶 CAL-T-12（800:+3,900:+3）", "recipe||r|"}));
    QVERIFY(a.checkHistory(&error).isEmpty());
}

void TstSharedRegistry::registryTravelsBetweenPcs()
{
    QTemporaryDir dir;
    zq::Archive server, a, b;
    QString error;
    bool isNew = false;
    QVERIFY2(server.open(m_server->url(true), &error), qPrintable(error));
    const QString sha = server.addRun(zq::dataFileBytes(timeData(31)), QString(), &isNew, &error);
    QVERIFY(a.open(dir.filePath("a.sqlite"), &error) && b.open(dir.filePath("b.sqlite"), &error));
    const auto sync = [&](zq::Archive &pc) {
        return zq::drainQueue(pc, server, nullptr, &error) && zq::pullFrom(pc, server, &error);
    };
    zq::Device instrument;
    instrument.id = QStringLiteral("SN-7");
    const QDate jan(2026, 1, 10);
    // Registered and linked on A; B, which saw neither, corrects the run by the same certificate.
    QVERIFY2(sync(a)
            && zq::Registry(a).addCertificate(instrument, {"CAL-A", jan, jan.addYears(1), {{300, 1}, {900, 1}}}, &error)
            && zq::Registry(a).link(sha, {"SN-7", {}}, &error) && sync(a) && sync(b),
        qPrintable(error));
    QCOMPARE(zq::runCalibration(b, sha, &error).correction.instrument.value_or(zq::Certificate()).number,
        QStringLiteral("CAL-A"));
    // B's successor reaches A; the old one stays, and nothing comes twice however often each syncs.
    QVERIFY2(zq::Registry(b).addCertificate(
                 instrument, {"CAL-B", jan.addMonths(6), jan.addYears(2), {{300, 2}, {900, 2}}}, &error),
        qPrintable(error));
    for (int again = 0; again < 2; ++again)
        QVERIFY2(sync(b) && sync(a), qPrintable(error));
    QStringList numbers;
    const std::optional<zq::Device> onA = zq::Registry(a).device(zq::Device::Instrument, "SN-7", &error);
    for (const zq::Certificate &c : onA.value_or(zq::Device()).certificates)
        numbers << c.number;
    QCOMPARE(numbers, QStringList({"CAL-A", "CAL-B"}));
    QCOMPARE(m_server->scalar("SELECT COUNT(*) FROM cal_certificates WHERE device_id = 'SN-7'"), QStringLiteral("2"));
    QCOMPARE(m_server->scalar(
                 "SELECT string_agg(what, ' ' ORDER BY position) FROM history WHERE sha256 = 'instrument:SN-7'"),
        QStringLiteral("device certificate certificate"));
    QVERIFY(a.checkHistory(&error).isEmpty() && b.checkHistory(&error).isEmpty() && error.isEmpty());
}

int main(int argc, char *argv[])
{
    // initdb refuses root: the server, and the suite, run as an ordinary user.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    QCoreApplication app(argc, argv);
    TstSharedRegistry suite;
    return QTest::qExec(&suite, argc, argv);
}
#include "tst_sharedregistry.moc"
