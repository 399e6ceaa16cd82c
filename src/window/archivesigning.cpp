// 记录库's review and approval: 审核… and 批准…, the state filter, a run's
// history, and edits of a signed run, which ask for the reason.
#include "archive/archive.h"
#include "document/usecases.h"
#include "window/archivewindow.h"
#include "window/dialogs.h"
#include "window/historyview.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <tuple>

ArchiveWindow::~ArchiveWindow() = default;

void ArchiveWindow::setDialogs(UserDialogs *dialogs)
{
    m_dialogs = dialogs ? dialogs : m_ownDialogs.get();
}

void ArchiveWindow::addStateFilter(QBoxLayout *filters)
{
    state = new QComboBox(this);
    state->setObjectName(QStringLiteral("stateFilter"));
    state->addItem(QStringLiteral("全部状态"));
    for (zq::RunState s : {zq::RunState::Draft, zq::RunState::Reviewed, zq::RunState::Approved})
        state->addItem(zq::stateText(s));
    filters->insertWidget(filters->indexOf(verdict) + 1, state);
    connect(state, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
}

std::optional<zq::RunState> ArchiveWindow::stateChosen() const
{
    return state->currentIndex() > 0 ? std::optional(zq::RunState(state->currentIndex() - 1)) : std::nullopt;
}

void ArchiveWindow::addSigning(QBoxLayout *buttons)
{
    reviewButton = new QPushButton(QStringLiteral("审核…"), this);
    reviewButton->setObjectName(QStringLiteral("review"));
    approveButton = new QPushButton(QStringLiteral("批准…"), this);
    approveButton->setObjectName(QStringLiteral("approve"));
    buttons->addWidget(reviewButton);
    buttons->addWidget(approveButton);
    connect(reviewButton, &QPushButton::clicked, this, [this] { signSelected(false); });
    connect(approveButton, &QPushButton::clicked, this, [this] { signSelected(true); });
    history = new HistoryView(this);
}

void ArchiveWindow::signSelected(bool approve)
{
    const QString sha = selectedRun();
    if (sha.isEmpty()) {
        Q_EMIT problem(QStringLiteral("没有签名：没有选中记录"));
        return;
    }
    const std::optional<SignatureAnswer> answer
        = m_dialogs->askSignature(approve ? QStringLiteral("批准") : QStringLiteral("审核"), approve);
    if (!answer)
        return;
    QString error;
    const auto meaning = answer->approve ? zq::Archive::Meaning::Approve : zq::Archive::Meaning::Review;
    if (!m_archive.sign(sha, answer->name, meaning, answer->comment, &error))
        Q_EMIT problem(QStringLiteral("没有签名：%1").arg(error));
    refresh(sha);
}

bool ArchiveWindow::saveRun(const QString &sha, const zq::RunFields &f)
{
    return saveRun(sha, f, zq::DeviceChoice());
}

bool ArchiveWindow::saveRun(const QString &sha, const zq::RunFields &f, const zq::DeviceChoice &devices)
{
    QString error, reason;
    const std::optional<zq::RunRow> run = m_archive.run(sha, &error);
    const zq::RunFields &was = run ? run->fields : f;
    const bool changed = !devices.isEmpty()
        || std::tie(was.operatorName, was.equipment, was.load, was.thermocouple, was.comment)
            != std::tie(f.operatorName, f.equipment, f.load, f.thermocouple, f.comment);
    // A signed run changes only with a reason, and the change withdraws its signatures.
    if (changed && m_archive.signatures(sha, &error).state != zq::RunState::Draft) {
        reason = askChangeReason(*m_dialogs);
        // No reason, no change: what was typed below stays, to be saved with one.
        if (reason.isEmpty())
            return false;
    }
    QStringList warnings;
    const bool saved = m_archive.setFields(sha, f, &error, reason);
    const bool linked
        = !saved || !run || devices.isEmpty() || zq::linkDevices(m_archive, *run, devices, reason, &warnings, &error);
    if (saved)
        Q_EMIT fieldsSaved(sha);
    else
        Q_EMIT problem(QStringLiteral("字段没有保存：%1").arg(error));
    if (!linked)
        Q_EMIT problem(QStringLiteral("仪表和热电偶没有链接：%1").arg(error));
    // Told, never refused: the user decides, and the record shows it.
    m_toldOnSave = warnings;
    m_toldFor = sha;
    refresh(sha);
    return saved && linked;
}
