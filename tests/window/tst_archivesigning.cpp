// 记录库's review and approval as a person uses them: 审核… and 批准…
// answered in their dialog, the 状态 column and its filter, the history
// under the fields, a signed run's edit that asks for the reason, and the
// instrument and thermocouple linked from the fields.
#include "archive/archive.h"
#include "archive/registry.h"
#include "core/datafile.h"
#include "support/window.h"
#include "window/archivewindow.h"
#include "window/historyview.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQueryModel>
#include <QTableView>

namespace {
// What the 状态 column shows for the run.
QString stateShown(ArchiveWindow *a, const QString &sha)
{
    const int row = runRow(a, sha);
    return row < 0 ? QString() : runModel(a)->index(row, 12).data().toString();
}

// The history's last row as shown: signer, what, the change, the reason.
QString lastHistory(ArchiveWindow *a)
{
    const int r = a->history->rowCount() - 1;
    QStringList cells;
    for (int c : {2, 3, 4, 5})
        cells << (r < 0 ? QString() : a->history->item(r, c)->text());
    return cells.join('|');
}
void clickRun(ArchiveWindow *a, const QString &sha, int column)
{
    QTest::mouseClick(a->table->viewport(), Qt::LeftButton, {}, runCell(a, sha, column));
}

// 记录库 opened with Ctrl+L on two runs, its questions answered by the test's script.
ArchiveWindow *openArchive(TestWindow &w, QStringList *shas)
{
    w->show();
    w->activateWindow();
    zq::Archive *archive = w->archive();
    if (!QTest::qWaitForWindowActive(w.form.get()) || !archive)
        return nullptr;
    QString error;
    bool isNew = false;
    for (int n : {20, 21})
        *shas << archive->addRun(zq::dataFileBytes(timeData(n)), QString(), &isNew, &error);
    archive->setFields(shas->constFirst(), {"王", "3", "齿轮", "K", ""}, &error);
    QTest::keyClick(w.form.get(), Qt::Key_L, Qt::ControlModifier);
    auto *a = w->findChild<ArchiveWindow *>();
    if (!a || !QTest::qWaitForWindowExposed(a))
        return nullptr;
    a->setDialogs(w.dialogs);
    clickRun(a, shas->constFirst(), 3);
    return a;
}

} // namespace

class TstArchiveSigning : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void signAndFilter();
    void signedEditAsksAReason();
    void signedRunsNoteAsksAReason();
    void devicesLinkedInTheFields();
};

void TstArchiveSigning::signAndFilter()
{
    TestWindow w;
    QStringList shas;
    ArchiveWindow *a = openArchive(w, &shas);
    QVERIFY(a);
    const QString sha = shas[0];
    QCOMPARE(a->selectedRun(), sha);
    QCOMPARE(stateShown(a, sha), QStringLiteral("草稿"));
    // Each click answered as the signer would; what the row and its history then show.
    const QList<std::tuple<QPushButton *, SignatureAnswer, QString, QString>> steps{
        {a->reviewButton, {"张", false, "曲线已看"}, "已审核", "张|review| → 已审核|曲线已看"},
        {a->approveButton, {"张", true, ""}, "已审核", "张|review| → 已审核|曲线已看"},
        {a->approveButton, {"李", true, ""}, "已批准", "李|approve| → 已批准|"}};
    for (const auto &[button, answer, state, history] : steps) {
        w.dialogs->signatures = {answer};
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(stateShown(a, sha), state);
        QCOMPARE(a->selectedRun(), sha);
        QCOMPARE(lastHistory(a), history);
    }
    // The reviewer's own approval was refused, said in a box.
    QVERIFY(std::any_of(w.dialogs->shown.cbegin(), w.dialogs->shown.cend(),
        [](const ScriptedDialogs::Shown &s) { return s.text.contains("审核人 张 不能再批准"); }));
    // The filter by state: 草稿, 已批准, then all.
    const QList<std::pair<int, QStringList>> filters{{1, {shas[1]}}, {3, {sha}}, {0, shas}};
    for (const auto &[index, shown] : filters) {
        a->state->setCurrentIndex(index);
        QCOMPARE(runModel(a)->rowCount(), shown.size());
        for (const QString &s : shown)
            QVERIFY(runRow(a, s) >= 0);
    }
}

void TstArchiveSigning::signedEditAsksAReason()
{
    TestWindow w;
    QStringList shas;
    ArchiveWindow *a = openArchive(w, &shas);
    QVERIFY(a);
    const QString sha = shas[0];
    zq::Archive *archive = w->archive();
    QString error;
    QVERIFY(archive->sign(sha, "张", zq::Archive::Meaning::Review, QString(), &error)
        && archive->sign(sha, "李", zq::Archive::Meaning::Approve, QString(), &error));
    a->refresh(sha);
    // Below the table: no reason given, nothing changes and what was typed stays; with one, back to 草稿.
    a->loadField->setText("轴"); // typed through an input method
    auto *save = a->findChild<QPushButton *>(QStringLiteral("saveFields"));
    QVERIFY(save);
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(archive->run(sha, &error)->fields.load, QStringLiteral("齿轮"));
    QCOMPARE(stateShown(a, sha), QStringLiteral("已批准"));
    QVERIFY(w.dialogs->lastText().contains("修改理由"));
    w.dialogs->texts = {QStringLiteral("工件填错")};
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(archive->run(sha, &error)->fields.load, QStringLiteral("轴"));
    QCOMPARE(stateShown(a, sha), QStringLiteral("草稿"));
    QCOMPARE(lastHistory(a), QStringLiteral("|withdrawn|已批准 → 草稿|工件填错"));
    // Reviewed again, then edited in its cell: the reason is asked once the editor has closed.
    QVERIFY(archive->sign(sha, "张", zq::Archive::Meaning::Review, QString(), &error));
    a->refresh(sha);
    w.dialogs->texts = {QStringLiteral("设备号错")};
    clickRun(a, sha, 5);
    QTest::keyClick(a->table, Qt::Key_F2);
    QLineEdit *editor = nullptr;
    QTRY_VERIFY((editor = a->table->findChild<QLineEdit *>()));
    editor->selectAll();
    QTest::keyClicks(editor, "7");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(archive->run(sha, &error)->fields.equipment, QStringLiteral("7"));
    QTRY_COMPARE(stateShown(a, sha), QStringLiteral("草稿"));
    QCOMPARE(lastHistory(a), QStringLiteral("|withdrawn|已审核 → 草稿|设备号错"));
}

void TstArchiveSigning::signedRunsNoteAsksAReason()
{
    QTemporaryDir dir;
    const QByteArray bytes = zq::dataFileBytes(sequenceData(400, 650));
    write(dir.filePath("run.ZQ"), bytes);
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    w->openDataFile(dir.filePath("run.ZQ"));
    zq::Archive *archive = w->archive();
    QString error;
    bool isNew = false;
    const QString sha = archive->addRun(bytes, QString(), &isNew, &error);
    w->selectRange(10, 50);
    // Each pinned as a person does it: no reason given, nothing is kept and the run stays signed.
    const QList<std::pair<QString, QString>> pins{{"添加注释…", "炉门打开"}, {"命名选区…", "保温段"}};
    for (const auto &[action, text] : pins) {
        QVERIFY(archive->sign(sha, "张", zq::Archive::Meaning::Review, QString(), &error));
        w.dialogs->texts = {text};
        QVERIFY(chartAction(w, action));
        QVERIFY2(w.dialogs->lastText().contains("修改理由"), qPrintable(w.dialogs->lastText()));
        QCOMPARE(archive->signatures(sha, &error).state, zq::RunState::Reviewed);
        w.dialogs->texts = {text, QStringLiteral("补记")};
        QVERIFY(chartAction(w, action));
        QCOMPARE(archive->signatures(sha, &error).state, zq::RunState::Draft);
        QCOMPARE(archive->history(sha, &error).constLast().reason, QStringLiteral("补记"));
    }
    QCOMPARE(archive->notes(sha, &error).size(), 1);
    QCOMPARE(archive->ranges(sha, &error).size(), 1);
}

void TstArchiveSigning::devicesLinkedInTheFields()
{
    TestWindow w;
    zq::Archive *archive = w->archive();
    QString error;
    zq::Device sn, tc;
    sn.id = "SN-1";
    tc.kind = zq::Device::Thermocouple;
    tc.id = "TC-12";
    tc.type = "K";
    tc.maxUses = 1;
    tc.maxTemp = 219.5;
    const zq::Certificate c{"C-1", QDate(2026, 1, 10), QDate(2099, 1, 10), {{100, 1}, {300, 1}}};
    zq::Registry registry(*archive);
    QVERIFY(registry.addCertificate(sn, c, &error) && registry.addCertificate(tc, c, &error));
    QStringList shas;
    ArchiveWindow *a = openArchive(w, &shas); // peaks 219 and 220 ℃
    QVERIFY(a);
    QVERIFY(archive->sign(shas[1], "张", zq::Archive::Meaning::Review, QString(), &error));
    struct Step
    {
        int run;
        QString instrument, thermocouple, reason, linked, warned;
    };
    // Chosen and typed as a person does; then the run's links and the warning under the fields.
    const QList<Step> steps{{0, "SN-1", "TC-12", "", "SN-1|TC-12", ""},
        {1, "", "TC-12", "", "|", ""}, // signed: no reason, no link
        {1, "", "TC-12", "换了热电偶", "|TC-12",
            "热电偶 TC-12 已用 2 次，超过上限 1\n这次运行的峰值 220 ℃ 超过热电偶 TC-12 的上限 219.5 ℃"},
        {0, "", "X-9", "", "|", "热电偶 X-9 没有登记：只记在字段里，读数不修正"}};
    for (const Step &s : steps) {
        clickRun(a, shas[s.run], 3);
        QTRY_VERIFY(a->instrumentField->isEnabled()); // the registry has answered
        a->instrumentField->setFocus();
        QTest::keyClicks(a->instrumentField, s.instrument);
        if (s.instrument.isEmpty())
            QTest::keyClick(a->instrumentField, Qt::Key_Home);
        a->thermocoupleField->lineEdit()->selectAll();
        QTest::keyClicks(a->thermocoupleField->lineEdit(), s.thermocouple);
        w.dialogs->texts = s.reason.isEmpty() ? QStringList() : QStringList{s.reason};
        QTest::mouseClick(a->findChild<QPushButton *>(QStringLiteral("saveFields")), Qt::LeftButton);
        const zq::RunDevices d = registry.linked(shas[s.run], &error);
        QCOMPARE(d.instrument + "|" + d.thermocouple, s.linked);
        QTRY_VERIFY(a->instrumentField->isEnabled());
        QCOMPARE(a->deviceWarning->text(), s.warned);
    }
    clickRun(a, shas[1], 3); // the record shows it, its thermocouple's one use since run 0 let it go
    QTRY_COMPARE(a->deviceWarning->text(), QStringLiteral("这次运行的峰值 220 ℃ 超过热电偶 TC-12 的上限 219.5 ℃"));
    QCOMPARE(stateShown(a, shas[1]), QStringLiteral("草稿"));
}

QTEST_MAIN(TstArchiveSigning)
#include "tst_archivesigning.moc"
