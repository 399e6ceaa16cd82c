// The README's zqcli examples, run as a newcomer would: every command in a
// fenced block that names a file in examples/ (or registers calibration) runs in a copy of the folder
// and ends as its comment says. A comment may say `exit N` (else 0 is
// meant), quote text the output holds ("PASS"), and name in backquotes a
// file or folder the command makes (`csv/soak.csv`).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Example
{
    int line = 0;
    QString command; // as the shell takes it, continuation lines joined
    QString comment;
};

QVector<Example> readmeExamples()
{
    QFile readme(QStringLiteral(ZQ_SOURCE_DIR "/README.md"));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(readme.readAll()).split(QLatin1Char('\n'));
    QVector<Example> out;
    bool inBlock = false;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1String("```"))) {
            inBlock = !inBlock && lines[i] == QLatin1String("```sh");
            continue;
        }
        if (!inBlock || !lines[i].startsWith(QLatin1String("zqcli ")))
            continue;
        Example e{i + 1, lines[i], {}};
        while (e.command.trimmed().endsWith(QLatin1Char('\\')) && i + 1 < lines.size())
            e.command += QLatin1Char('\n') + lines[++i];
        static const QRegularExpression comment(QStringLiteral("\\s#\\s(.*)$"));
        if (const QRegularExpressionMatch m = comment.match(e.command); m.hasMatch())
            e.comment = m.captured(1);
        // Registering a certificate needs no file, only the test's own archive.
        if (e.command.contains(QLatin1String("examples/")) || e.command.startsWith(QLatin1String("zqcli calibration ")))
            out.append(e);
    }
    return out;
}

bool copyFolder(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    for (const QString &name : QDir(from).entryList(QDir::Files))
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            return false;
    return true;
}
} // namespace

class TstReadme : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void examples_data();
    void examples();

private:
    QTemporaryDir m_dir;
};

void TstReadme::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The worked examples, the recipes, the exports, the reports and the archive at least.
    QVERIFY2(readmeExamples().size() >= 10, qPrintable(QString::number(readmeExamples().size())));
    QVERIFY(copyFolder(QStringLiteral(ZQ_SOURCE_DIR "/examples"), m_dir.filePath(QStringLiteral("examples"))));
    // `zqcli` as the README writes it, the build's own.
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("bin"))));
    QVERIFY(QFile::link(qEnvironmentVariable("ZQCLI_BIN"), m_dir.filePath(QStringLiteral("bin/zqcli"))));
}

void TstReadme::examples_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("comment");
    for (const Example &e : readmeExamples())
        QTest::addRow("README:%d %s", e.line, qPrintable(e.command.section(QLatin1Char(' '), 0, 2)))
            << e.command << e.comment;
}

void TstReadme::examples()
{
    QFETCH(QString, command);
    QFETCH(QString, comment);
    // In order, in one folder: an import comes before the range that uses it.
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), m_dir.filePath(QStringLiteral("bin:")) + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    QVERIFY(p.waitForFinished(60000));
    const QString output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    static const QRegularExpression exit(QStringLiteral("\\bexit (\\d+)"));
    const QRegularExpressionMatch code = exit.match(comment);
    QVERIFY2(p.exitCode() == (code.hasMatch() ? code.captured(1).toInt() : 0),
        qPrintable(QStringLiteral("exit %1\n%2").arg(p.exitCode()).arg(output)));
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
    for (auto it = quoted.globalMatch(comment); it.hasNext();) {
        const QString said = it.next().captured(1);
        QVERIFY2(output.contains(said), qPrintable(QStringLiteral("“%1” not in:\n%2").arg(said, output)));
    }
    static const QRegularExpression made(QStringLiteral("`([^`]+)`"));
    for (auto it = made.globalMatch(comment); it.hasNext();) {
        const QString path = it.next().captured(1);
        QVERIFY2(QFileInfo::exists(m_dir.filePath(path)), qPrintable(path + QStringLiteral(" was not made")));
    }
}

QTEST_GUILESS_MAIN(TstReadme)
#include "tst_readme.moc"
