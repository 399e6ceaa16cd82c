// The recipe 工艺分析 opens with: the last used for the run's equipment,
// else the last used at all, applied; else none, and said so.
#include "archive/archive.h"
#include "chart/guides.h"
#include "core/datafile.h"
#include "support/window.h"
#include "window/analysiswindow.h"
#include "window/runchartbox.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
QLineEdit *field(QWidget *w, const QString &name)
{
    return w->findChild<QLineEdit *>(name);
}
} // namespace

class TstRecipeOpen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opensWithARecipeApplied_data();
    void opensWithARecipeApplied();
};

void TstRecipeOpen::opensWithARecipeApplied_data()
{
    QTest::addColumn<QStringList>("saved"); // recipes in the store
    QTest::addColumn<QStringList>("used"); // chosen in an earlier session, in turn, on runs of these equipments
    QTest::addColumn<QStringList>("onEquipment");
    QTest::addColumn<QString>("equipment"); // of the run opened now
    QTest::addColumn<QString>("expected");
    const QStringList none;
    QTest::newRow("no recipes") << none << none << none << QString() << "（无配方）";
    QTest::newRow("recipes, none used yet") << QStringList{"A", "B"} << none << none << QString() << "（无配方）";
    QTest::newRow("the last used") << QStringList{"A", "B"} << QStringList{"A", "B"} << QStringList{"", ""} << ""
                                   << "B";
    QTest::newRow("the last used for this equipment")
        << QStringList{"A", "B"} << QStringList{"A", "B"} << QStringList{"3 号炉", "5 号炉"} << "3 号炉"
        << "A";
    QTest::newRow("equipment never seen: the last used")
        << QStringList{"A", "B"} << QStringList{"A", "B"} << QStringList{"3 号炉", "5 号炉"} << "7 号炉"
        << "B";
    QTest::newRow("the last used since deleted") << QStringList{"A"} << QStringList{"B"} << QStringList{""} << ""
                                                 << "（无配方）";
}

void TstRecipeOpen::opensWithARecipeApplied()
{
    QFETCH(QStringList, saved);
    QFETCH(QStringList, used);
    QFETCH(QStringList, onEquipment);
    QFETCH(QString, equipment);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    // Recipe A sets 850, B 860; each with a criterion, so each gives a verdict.
    for (const QString &name : QStringList{"A", "B"})
        write(dir.filePath(name + ".json"),
            QStringLiteral(R"({"name": "%1", "band": {"setpoint": %2, "below": 10, "above": 10},
                "criteria": {"maxOvershoot": 30}})")
                .arg(name, name == "A" ? "850" : "860")
                .toUtf8());
    for (const QString &name : QStringList{"A", "B"})
        if (!saved.contains(name))
            QFile::remove(dir.filePath(name + ".json"));
    // Runs told apart by their length, each of its equipment.
    auto session = [&dir](int readings, const QString &equipment) {
        auto w = std::make_unique<TestWindow>();
        (*w)->setRecipeFolder(dir.path());
        (*w)->useSettingsFile(dir.filePath("settings.ini"));
        (*w)->setArchivePath(dir.filePath("archive.sqlite"));
        const QString path = dir.filePath(QStringLiteral("run%1.ZQ").arg(readings));
        write(path, zq::dataFileBytes(timeData(readings, 9)));
        (*w)->openDataFile(path);
        QString error;
        if (!equipment.isEmpty())
            (*w)->archive()->setFields(zq::Archive::sha256Of(readAll(path)), {{}, equipment, {}, {}, {}}, &error);
        return w;
    };
    for (int k = 0; k < used.size(); ++k) {
        auto earlier = session(100 + k, onEquipment[k]);
        (*earlier)->showAnalysis()->chooseRecipe(used[k]);
    }
    auto now = session(300, equipment);
    AnalysisWindow *a = (*now)->showAnalysis();
    QCOMPARE(a->findChild<QComboBox *>(QStringLiteral("recipeBox"))->currentText(), expected);
    // Applied: the fields, the band on the chart and a verdict; or nothing at all.
    const QString setpoint = expected == "A" ? "850" : expected == "B" ? "860" : "";
    QCOMPARE(field(a, "setpoint")->text(), setpoint);
    QCOMPARE(field(a, "name")->text(), setpoint.isEmpty() ? QString() : expected);
    QCOMPARE(a->verdictText().startsWith(QStringLiteral("无结论")), setpoint.isEmpty());
    const QImage run = a->wholeRun->grab().toImage();
    bool band = false;
    for (int y = 0; y < run.height(); ++y)
        band = band || run.pixelColor(run.width() / 2, y) == zq::kBandColour;
    QCOMPARE(band, !setpoint.isEmpty());
}

QTEST_MAIN(TstRecipeOpen)
#include "tst_recipeopen.moc"
