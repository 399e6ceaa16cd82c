#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>

// A signature as the signer gives it.
struct SignatureAnswer
{
    QString name;
    bool approve = false; // else a review
    QString comment;
};

// Every question and file choice the window puts to the user goes through
// here, so tests can answer them.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;
    virtual QMessageBox::StandardButton message(const QString &text, const QString &title,
        QMessageBox::StandardButtons buttons, QMessageBox::Icon icon, QMessageBox::StandardButton defaultButton)
        = 0;
    // Filters in the dialog's own syntax; returns the chosen path (empty on
    // cancel) and which filter was picked.
    virtual QString openFile(const QString &title, const QString &fileName, const QStringList &filters) = 0;
    virtual QString saveFile(
        const QString &title, const QString &fileName, const QStringList &filters, QString *selectedFilter)
        = 0;
    // A line of text from the user; empty when cancelled.
    virtual QString askText(const QString &title, const QString &label) = 0;
    // Who signs, meaning what (`approve` offered first), with what comment; none when cancelled.
    virtual std::optional<SignatureAnswer> askSignature(const QString &title, bool approve) = 0;
    // Folders every file dialog offers in its sidebar (where downloads are kept).
    QStringList places;
};

// Why a signed run is changed, asked before the change withdraws its signatures; empty: not changed.
QString askChangeReason(UserDialogs &dialogs);

class QtUserDialogs : public UserDialogs
{
public:
    explicit QtUserDialogs(QWidget *parent)
        : m_parent(parent)
    { }
    QMessageBox::StandardButton message(const QString &text, const QString &title, QMessageBox::StandardButtons buttons,
        QMessageBox::Icon icon, QMessageBox::StandardButton defaultButton) override;
    QString openFile(const QString &title, const QString &fileName, const QStringList &filters) override;
    QString saveFile(
        const QString &title, const QString &fileName, const QStringList &filters, QString *selectedFilter) override;
    QString askText(const QString &title, const QString &label) override;
    std::optional<SignatureAnswer> askSignature(const QString &title, bool approve) override;

private:
    QWidget *m_parent;
};
