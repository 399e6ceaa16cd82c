// Two windows, as on two PCs, pointed at one real PostgreSQL server: each
// sees the other's runs, opens them from the server's copy, and nothing is
// lost while the server is down.
#include "archive/archive.h"
#include "archive/sharedlink.h"
#include "core/datafile.h"
#include "support/pgserver.h"
#include "support/window.h"
#include "window/archivewindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QSqlQueryModel>
#include <QTableView>

namespace {
int rowOf(ArchiveWindow *a, const QString &sha)
{
    auto *model = qobject_cast<QSqlQueryModel *>(a->table->model());
    while (model->canFetchMore())
        model->fetchMore();
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->index(r, 0).data().toString() == sha)
            return r;
    return -1;
}
} // namespace

class TstSharedWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void twoWindowsOneServer();
    void pushFromTheArchiveWindow();
};

void TstSharedWindow::twoWindowsOneServer()
{
    ZQ_SKIP_WITHOUT(Need::Postgres);
    PgServer server;
    QVERIFY(server.ok());
    qputenv("PGPASSWORD", "secret");
    QTemporaryDir dir;
    TestWindow a, b;
    a->setKeepDir(dir.filePath("keep-a"));
    b->setKeepDir(dir.filePath("keep-b"));
    for (TestWindow *w : {&a, &b}) {
        (*w)->setSharedArchive(server.url());
        QSignalSpy first((*w)->sharedArchive(), &zq::SharedLink::synced);
        QVERIFY(first.wait(10000));
    }
    // A opens a run: it reaches the server off A's thread, and B's archive.
    write(dir.filePath("furnace3.ZQ"), zq::dataFileBytes(timeData(90, 8)));
    const QString sha = zq::Archive::sha256Of(readAll(dir.filePath("furnace3.ZQ")));
    a->openDataFile(dir.filePath("furnace3.ZQ"));
    QTRY_COMPARE_WITH_TIMEOUT(server.scalar("SELECT COUNT(*) FROM files"), QStringLiteral("1"), 10000);
    QSignalSpy pulled(b->sharedArchive(), &zq::SharedLink::synced);
    b->sharedArchive()->syncNow();
    QVERIFY(pulled.wait(10000));
    ArchiveWindow *browser = b->showArchive();
    QVERIFY(QTest::qWaitForWindowExposed(browser));
    const int row = rowOf(browser, sha);
    QVERIFY(row >= 0);
    // B has no file of it: a double-click brings the server's copy, kept and opened.
    const QPoint cell = browser->table->visualRect(browser->table->model()->index(row, 3)).center();
    QTest::mouseClick(browser->table->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(browser->table->viewport(), Qt::LeftButton, {}, cell);
    QTRY_VERIFY2_WITH_TIMEOUT(b->record() == timeData(90, 8), qPrintable(b.dialogs->lastText()), 10000);
    QCOMPARE(readAll(dir.filePath("keep-b/" + sha.left(16) + ".ZQ")), readAll(dir.filePath("furnace3.ZQ")));
    // B's fields reach the server, then A.
    browser->equipmentField->setText(QStringLiteral("3"));
    QVERIFY(browser->saveFields());
    QTRY_COMPARE_WITH_TIMEOUT(server.scalar("SELECT equipment FROM runs"), QStringLiteral("3"), 10000);
    // The server down: A's next run waits in A's queue, told in the browser, and is sent when it is back.
    server.stop();
    write(dir.filePath("furnace5.ZQ"), zq::dataFileBytes(timeData(120, 9)));
    QSignalSpy told(a->sharedArchive(), &zq::SharedLink::status);
    a.dialogs->answers = {QMessageBox::Yes}; // the run shown may go
    a->openDataFile(dir.filePath("furnace5.ZQ"));
    QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty() && told.last().at(0).toInt() == 1, 10000);
    QVERIFY(!told.last().at(1).toString().isEmpty());
    QVERIFY2(a->showArchive()->sharedStatus->text().startsWith(QStringLiteral("1 条待上传；最近错误：")),
        qPrintable(a->showArchive()->sharedStatus->text()));
    // B's edit made meanwhile waits in B's queue too, and reaches the server with A's run.
    QSignalSpy bTold(b->sharedArchive(), &zq::SharedLink::status);
    browser->table->selectRow(rowOf(browser, sha));
    browser->equipmentField->setText(QStringLiteral("5"));
    QVERIFY(browser->saveFields());
    QTRY_VERIFY_WITH_TIMEOUT(!bTold.isEmpty() && bTold.last().at(0).toInt() == 1, 10000);
    QVERIFY(server.start());
    a->sharedArchive()->syncNow();
    b->sharedArchive()->syncNow();
    QTRY_COMPARE_WITH_TIMEOUT(server.scalar("SELECT COUNT(*) FROM runs"), QStringLiteral("2"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(
        server.scalar("SELECT equipment FROM runs WHERE sha256 = '" + sha + "'"), QStringLiteral("5"), 10000);
    QTRY_COMPARE(a->sharedPending(), 0);
    QTRY_COMPARE(b->sharedPending(), 0);
}

// What was kept before the plant had a server goes there by a button in 记录库,
// with what the user knew of it, and pressing it again adds nothing.
void TstSharedWindow::pushFromTheArchiveWindow()
{
    ZQ_SKIP_WITHOUT(Need::Postgres);
    PgServer server;
    QVERIFY(server.ok());
    qputenv("PGPASSWORD", "secret");
    QTemporaryDir dir;
    TestWindow w;
    write(dir.filePath("kiln.ZQ"), zq::dataFileBytes(timeData(60, 9)));
    w->openDataFile(dir.filePath("kiln.ZQ"));
    const QString sha = zq::Archive::sha256Of(readAll(dir.filePath("kiln.ZQ")));
    zq::RunFields fields;
    fields.operatorName = QStringLiteral("王工");
    QString error;
    QVERIFY2(w->archive()->setFields(sha, fields, &error), qPrintable(error));
    ArchiveWindow *browser = w->showArchive();
    auto *push = browser->findChild<QPushButton *>(QStringLiteral("pushArchive"));
    QVERIFY(push && !push->isEnabled()); // no server yet
    w->setSharedArchive(server.url());
    QTRY_VERIFY(push->isEnabled());
    for (const char *said : {"已推送：服务器新增 1 个记录，已有 0 个", "已推送：服务器新增 0 个记录，已有 1 个"}) {
        QTest::mouseClick(push, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(browser->sharedStatus->text().startsWith(QString::fromUtf8(said)), 10000);
        QVERIFY(push->isEnabled());
    }
    QCOMPARE(server.scalar("SELECT COUNT(*) FROM runs"), QStringLiteral("1"));
    QCOMPARE(server.scalar("SELECT operator FROM runs"), QStringLiteral("王工"));
}

int main(int argc, char *argv[])
{
    // initdb refuses root: the server, and the suite, run as an ordinary user.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        qFatal("cannot drop root privileges");
    QApplication app(argc, argv);
    TstSharedWindow suite;
    return QTest::qExec(&suite, argc, argv);
}
#include "tst_sharedwindow.moc"
