#include "core/dialogs.h"

#include <QFileDialog>
#include <QPushButton>
#include <QTimer>

QMessageBox::StandardButton QtUserDialogs::message(const QString &text, const QString &title,
    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, m_parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    // Lets a start-up check run unattended (the single-copy test): the box is
    // shown, then answered with its default after the given time.
    const int autoMs = qEnvironmentVariableIntValue("ZQTEMP_AUTO_ANSWER_MS");
    if (autoMs > 0) {
        QTimer::singleShot(autoMs, &box, [&box] {
            qWarning("%s", qPrintable(box.text()));
            QAbstractButton *b
                = box.defaultButton() ? static_cast<QAbstractButton *>(box.defaultButton()) : box.buttons().value(0);
            if (b)
                b->click();
        });
    }
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
