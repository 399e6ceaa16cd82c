// The window on the desktop: settings kept across runs, recent files, files
// dropped from a file manager.
#include "link/instrument.h"
#include "window/dialogs.h"
#include "window/form1.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>

namespace {
const QString kRecentKey = QStringLiteral("files/recent");
constexpr int kRecentMax = 8;

bool isDataFileName(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("ZQ"), Qt::CaseInsensitive) == 0;
}

QStringList localFiles(const QMimeData *mime)
{
    QStringList files;
    if (mime && mime->hasUrls())
        for (const QUrl &url : mime->urls())
            if (url.isLocalFile())
                files.append(url.toLocalFile());
    return files;
}
} // namespace

void Form1::useSettingsFile(const QString &iniPath)
{
    m_settings = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}

QStringList Form1::recentFiles() const
{
    return m_settings->value(kRecentKey).toStringList();
}

void Form1::rememberRecent(const QString &path)
{
    QStringList files = recentFiles();
    const QString full = QFileInfo(path).absoluteFilePath();
    files.removeAll(full);
    files.prepend(full);
    m_settings->setValue(kRecentKey, files.mid(0, kRecentMax));
}

void Form1::showRecentMenu(const QPoint &at)
{
    if (m_link->downloading())
        return;
    auto *menu = new QMenu(openButton);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto addFile = [this, menu](const QString &text, const QString &path) {
        QAction *action = menu->addAction(text, this, [this, path] { openDataFile(path); });
        action->setEnabled(QFileInfo::exists(path));
        action->setToolTip(QDir::toNativeSeparators(path));
    };
    menu->addAction(QStringLiteral("记录库…  (Ctrl+L)"), this, &Form1::showArchive);
    menu->addSeparator();
    // The newest kept download first: the way back to a record not saved.
    QString kept = m_lastKept;
    if (kept.isEmpty()) {
        const QFileInfoList newest = QDir(keepDir()).entryInfoList({QStringLiteral("*.ZQ")}, QDir::Files, QDir::Time);
        if (!newest.isEmpty())
            kept = newest.first().absoluteFilePath();
    }
    if (!kept.isEmpty() && QFileInfo::exists(kept)) {
        addFile(QStringLiteral("最近一次接收  %1").arg(QFileInfo(kept).fileName()), kept);
        menu->addSeparator();
    }
    QStringList files = recentFiles();
    for (const QString &path : files) {
        const QFileInfo info(path);
        addFile(QStringLiteral("%1  —  %2").arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath())), path);
    }
    if (menu->isEmpty())
        menu->addAction(QStringLiteral("没有最近的文件"))->setEnabled(false);
    // Shown this once, disabled; gone from the list from now on.
    files.erase(std::remove_if(files.begin(), files.end(), [](const QString &p) { return !QFileInfo::exists(p); }),
        files.end());
    m_settings->setValue(kRecentKey, files);
    menu->popup(openButton->mapToGlobal(at));
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_link->downloading() && !localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty() || m_link->downloading())
        return;
    event->acceptProposedAction();
    const QString &first = files.first();
    if (!isDataFileName(first)) {
        tellFailure(QStringLiteral("不是温度数据文件（.ZQ），没有打开：\n%1").arg(QDir::toNativeSeparators(first)));
        return;
    }
    openDataFile(first);
    if (files.size() > 1) {
        QStringList others;
        for (const QString &f : files.mid(1))
            others.append(QDir::toNativeSeparators(f));
        tellFailure(QStringLiteral("一次只能打开一个文件。已打开 %1，以下文件没有打开：\n%2")
                        .arg(QFileInfo(first).fileName(), others.join(QLatin1Char('\n'))));
    }
}
