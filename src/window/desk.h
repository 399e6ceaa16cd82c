#pragma once

#include "window/dialogs.h"
#include "window/texts.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <functional>
#include <memory>

// What the main window's controllers share: the questions put to the user
// (tests answer them from a script) and the settings kept across runs.
class Desk
{
public:
    explicit Desk(QWidget *window)
        : m_dialogs(std::make_unique<QtUserDialogs>(window))
        , m_settings(std::make_unique<QSettings>())
    { }
    UserDialogs &dialogs() { return *m_dialogs; }
    QSettings &settings() { return *m_settings; }
    void setDialogs(std::unique_ptr<UserDialogs> dialogs) { m_dialogs = std::move(dialogs); }
    void useSettingsFile(const QString &iniPath)
    {
        m_settings = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
    }
    void tellFailure(const QString &text)
    {
        m_dialogs->message(text, zq::kBoxTitle, QMessageBox::Ok, QMessageBox::Warning, QMessageBox::Ok);
    }
    void tellNoData(const QString &text = zq::kNoData)
    {
        m_dialogs->message(text, zq::kBoxTitle, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
    }
    // Each kind of file dialog starts in the folder last used for it, across runs.
    QString inFolder(const QString &kind, const QString &name) const
    {
        const QString folder = m_settings->value(kind).toString();
        if (folder.isEmpty() || !QDir(folder).exists())
            return name;
        // No name yet: the dialog opens in the folder.
        return name.isEmpty() ? folder : QDir(folder).filePath(QFileInfo(name).fileName());
    }
    void rememberFolder(const QString &kind, const QString &path)
    {
        m_settings->setValue(kind, QFileInfo(path).absolutePath());
    }

    // What one controller offers the others, set by the one that owns it:
    // the status box (DownloadControl); the instruments in the registry,
    // read off the window's thread and handed to `answer` while `context`
    // lives (ArchiveControl; no answer without an archive).
    std::function<void(const QString &)> showStatus;
    std::function<void(QObject *context, const std::function<void(const QStringList &)> &answer)> askInstruments;

private:
    std::unique_ptr<UserDialogs> m_dialogs;
    std::unique_ptr<QSettings> m_settings;
};
