// 审核… and 批准…: the signer's name, the meaning and a comment.
#include "window/dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

std::optional<SignatureAnswer> QtUserDialogs::askSignature(const QString &title, bool approve)
{
    QDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    auto *form = new QFormLayout(&dialog);
    auto *name = new QLineEdit(&dialog);
    auto *meaning = new QComboBox(&dialog);
    meaning->addItems({QStringLiteral("审核"), QStringLiteral("批准")});
    meaning->setCurrentIndex(approve ? 1 : 0);
    auto *comment = new QLineEdit(&dialog);
    comment->setPlaceholderText(QStringLiteral("可不填"));
    form->addRow(QStringLiteral("签名人"), name);
    form->addRow(QStringLiteral("含义"), meaning);
    form->addRow(QStringLiteral("意见"), comment);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    // No signature without a name.
    buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    QObject::connect(name, &QLineEdit::textChanged, &dialog,
        [&](const QString &text) { buttons->button(QDialogButtonBox::Ok)->setEnabled(!text.trimmed().isEmpty()); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return SignatureAnswer{name->text().trimmed(), meaning->currentIndex() == 1, comment->text().trimmed()};
}
