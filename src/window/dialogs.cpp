#include "window/dialogs.h"

#include "core/textexport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

namespace {
// Adds the selected filter's extension to a name that has none of the offered
// ones before the dialog checks the name, so its overwrite question sees the
// file that will really be written.
class ExtensionDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QString typed = selectedFiles().value(0);
        if (acceptMode() == AcceptOpen) {
            acceptToOpen(typed);
            return;
        }
        if (!typed.isEmpty()) {
            const QString fixed = zq::withFilterExtension(typed, selectedNameFilter(), nameFilters());
            // selectFile() leaves a focused name field alone, so the typed
            // text itself gets the extension.
            auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (fixed != typed && edit && fixed.startsWith(typed))
                edit->setText(edit->text() + fixed.mid(typed.size()));
            else if (fixed != typed)
                selectFile(fixed);
        }
        QFileDialog::accept();
    }

private:
    // A name that exists opens as typed; only a name with no extension that
    // does not exist gets the filter's, when that one exists.
    void acceptToOpen(const QString &typed)
    {
        const QFileInfo info(typed);
        if (!typed.isEmpty() && !info.exists() && !info.fileName().contains(QLatin1Char('.'))) {
            const QString ext = zq::filterExtensions(selectedNameFilter()).value(0);
            if (!ext.isEmpty() && QFileInfo::exists(typed + QLatin1Char('.') + ext)) {
                auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                if (edit && edit->hasFocus())
                    edit->setText(edit->text() + QLatin1Char('.') + ext);
                else
                    selectFile(typed + QLatin1Char('.') + ext);
            }
        }
        QFileDialog::accept();
    }
};

QString runDialog(QWidget *parent, QFileDialog::AcceptMode mode, const QString &title, const QString &fileName,
    const QStringList &filters, QString *selectedFilter, const QStringList &places)
{
    ExtensionDialog dialog(parent, title);
    // Qt's own dialog, so the sidebar and the extension rule work everywhere.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);
    QList<QUrl> sidebar = dialog.sidebarUrls();
    for (const QString &place : places)
        if (!sidebar.contains(QUrl::fromLocalFile(place)))
            sidebar.append(QUrl::fromLocalFile(place));
    dialog.setSidebarUrls(sidebar);
    dialog.resize(760, 480); // room for the sidebar's folder names
    if (QFileInfo(fileName).isDir())
        dialog.setDirectory(fileName);
    else if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().value(0);
}
} // namespace

QMessageBox::StandardButton QtUserDialogs::message(const QString &text, const QString &title,
    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, m_parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    box.exec();
    const QMessageBox::StandardButton answer = box.standardButton(box.clickedButton());
    return answer == QMessageBox::NoButton ? QMessageBox::Cancel : answer;
}

QString QtUserDialogs::askText(const QString &title, const QString &label)
{
    return QInputDialog::getText(m_parent, title, label).trimmed();
}

QString QtUserDialogs::openFile(const QString &title, const QString &fileName, const QStringList &filters)
{
    return runDialog(m_parent, QFileDialog::AcceptOpen, title, fileName, filters, nullptr, places);
}

QString QtUserDialogs::saveFile(
    const QString &title, const QString &fileName, const QStringList &filters, QString *selectedFilter)
{
    return runDialog(m_parent, QFileDialog::AcceptSave, title, fileName, filters, selectedFilter, places);
}

QString askChangeReason(UserDialogs &dialogs)
{
    return dialogs.askText(
        QStringLiteral("修改已签名的记录"), QStringLiteral("这个记录已签名，修改后退回草稿。修改理由："));
}
