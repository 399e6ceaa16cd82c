#include "window/dialogs.h"

#include <QFileDialog>
#include <QPushButton>

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

QString QtUserDialogs::openFile(const QString &title, const QString &fileName, const QStringList &filters)
{
    return QFileDialog::getOpenFileName(m_parent, title, fileName, filters.join(QStringLiteral(";;")));
}

QString QtUserDialogs::saveFile(
    const QString &title, const QString &fileName, const QStringList &filters, QString *selectedFilter)
{
    return QFileDialog::getSaveFileName(m_parent, title, fileName, filters.join(QStringLiteral(";;")), selectedFilter);
}
