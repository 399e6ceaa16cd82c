// 记录库's row for the shared archive: its state, its address, and pushing
// the archive here to it.
#include "window/archivewindow.h"
#include "window/calibrationwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QLayout *ArchiveWindow::buildSharedRow()
{
    sharedStatus = new QLabel(this);
    sharedStatus->setObjectName(QStringLiteral("sharedStatus"));
    sharedStatus->setWordWrap(true);
    sharedStatus->hide();
    auto *row = new QHBoxLayout;
    auto *server = new QPushButton(QStringLiteral("共享记录库…"), this);
    m_push = new QPushButton(QStringLiteral("推送本机记录库"), this);
    m_push->setObjectName(QStringLiteral("pushArchive"));
    m_push->setToolTip(
        QStringLiteral("把本机记录库的记录连同字段、结论、注释、选区和下载记录发送到共享记录库；重复推送不会重复添加"));
    m_push->setEnabled(false);
    row->addWidget(sharedStatus, 1);
    row->addWidget(CalibrationWindow::opener(m_archive, this));
    row->addWidget(m_push);
    row->addWidget(server);
    connect(server, &QPushButton::clicked, this, &ArchiveWindow::sharedSettingsWanted);
    connect(m_push, &QPushButton::clicked, this, [this] {
        m_push->setEnabled(false); // until the server has answered
        Q_EMIT pushWanted();
    });
    return row;
}

void ArchiveWindow::setShared(bool shared)
{
    m_shared = shared;
    sharedStatus->setVisible(shared);
    m_push->setEnabled(shared);
}

void ArchiveWindow::showSharedStatus(int pending, const QString &lastError)
{
    sharedStatus->setText(QStringLiteral("%1 条待上传").arg(pending)
        + (lastError.isEmpty() ? QStringLiteral("，已与服务器同步") : QStringLiteral("；最近错误：") + lastError));
}

void ArchiveWindow::showPushed(const QString &text)
{
    m_push->setEnabled(m_shared);
    sharedStatus->setText(text);
}
