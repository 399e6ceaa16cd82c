// The window knows a run by its file's bytes as they are on disk, as zqcli
// and sha256sum do: a copy with CR LF appended is one run, the same
// everywhere.
#include "archive/archive.h"
#include "core/datafile.h"
#include "support/window.h"

#include <QProcess>

class TstWindowIdentity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void anOpenedFileIsItsBytes();
};

void TstWindowIdentity::anOpenedFileIsItsBytes()
{
    TestWindow w;
    const QString file = w.settings.filePath("run.ZQ");
    write(file, zq::dataFileBytes(timeData(60)) + "\r\n");
    QProcess sum;
    sum.start("sha256sum", {file});
    QVERIFY(sum.waitForFinished());
    const QString sha = QString::fromLatin1(sum.readAllStandardOutput()).section(' ', 0, 0);
    w.dialogs->answers = {QMessageBox::Yes}; // the size warning
    w->openDataFile(file);
    QString error;
    const std::optional<zq::RunRow> run = w->archive()->run(sha, &error);
    QVERIFY2(run, qPrintable(error));
    QCOMPARE(run->paths, QStringList{file});
    QCOMPARE(w->archive()->list({}, &error).size(), 1);
}

QTEST_MAIN(TstWindowIdentity)
#include "tst_windowidentity.moc"
