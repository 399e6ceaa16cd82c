// The command row at its designed places. Creation order is stacking and tab order.
#include "window/commandrow.h"

#include "core/record.h"
#include "print/fonts.h"
#include "window/designed.h"

#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

namespace {
// The row's corner in the window: the frame's, and the status box's right end.
const QPoint kOrigin = zq::twips(5040, 720, 0, 0).topLeft();
const QRect kRowPlace = QRect(kOrigin, zq::twips(0, 0, 15075, 3060).bottomRight());

const QString kButtonStyle = QStringLiteral(
    "QPushButton { color: rgb(20, 30, 60); border: 1px solid rgb(90, 100, 130); border-radius: 4px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(250, 251, 253), stop:1 rgb(200, 208, 222)); }"
    "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(255, 255, 255),"
    " stop:1 rgb(215, 226, 242)); }"
    "QPushButton:pressed, QPushButton:checked { background: rgb(180, 192, 214); }"
    "QPushButton:disabled { color: rgb(140, 140, 150); }");

struct DesignedButton
{
    QPushButton *CommandRow::*control;
    const char *name; // the designer's, by which tests and users' scripts find it
    const char *caption;
    const char *tip;
    QRect place; // twips
    const char *face; // empty: the window's own
    double points;
};
} // namespace

CommandRow::CommandRow(QWidget *window)
    : QWidget(window)
{
    setGeometry(kRowPlace);
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Shape1"));
    zq::placeIn(m_frame, zq::twips(5040, 720, 7800, 2340), kOrigin);
    m_frame->setFrameShape(QFrame::Box);
    m_frame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgba(60, 80, 120, 120); border-radius: 6px;"
                                          " background: rgba(255, 255, 255, 40); }"));
    createButtons();
    m_group = new QScrollBar(Qt::Vertical, this);
    m_group->setObjectName(QStringLiteral("VScroll2"));
    zq::placeIn(m_group, zq::twips(5070, 2055, 225, 420), kOrigin);
    m_group->setRange(0, zq::kSelectorGroups - 1);
    m_group->setSingleStep(1);
    m_group->setPageStep(1);
    auto label = [this](const char *name, const char *text, const QRect &place, double points, bool bold) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QString::fromUtf8(name));
        zq::placeIn(l, place, kOrigin);
        l->setFont(zq::designFont(points == 12 ? QStringLiteral("Arial") : QStringLiteral("宋体"), points, bold));
        return l;
    };
    m_styleCaption = label("Label19", "数据类型", zq::twips(5775, 2115, 1095, 270), 9, true);
    m_status = label("Label6", "----", zq::twips(13965, 2535, 1110, 360), 12, false);
    m_status->setAlignment(Qt::AlignCenter);
    zq::setColours(m_status, QColor(0, 255, 0), QColor(64, 64, 64));
    m_progressCaption = label("Label10", "读取进度", zq::twips(5190, 2625, 1110, 255), 9, true);
    // Its designed place lies under the PRINT button.
    m_styleCaption->stackUnder(m_print);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    zq::placeIn(m_progress, zq::twips(6360, 2580, 6375, 315), kOrigin);
    m_progress->setRange(0, zq::kProgressMax);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    createKeys();
    connectButtons();
}

void CommandRow::createButtons()
{
    const DesignedButton buttons[] = {
        {&CommandRow::m_download, "Command5", "接收数据", "读数据(请注意将测温仪设置为锁定)", {5160, 840, 2835, 945},
            "华文细黑", 12},
        {&CommandRow::m_open, "Command2", "OPEN", "打开一个温度数据文件", {8025, 840, 1155, 945}, "", 0},
        {&CommandRow::m_save, "Command1", "SAVE", "温度数据存盘", {9210, 840, 1140, 945}, "", 0},
        {&CommandRow::m_port, "Command6", "COM 1", "通讯失败可改变COM口再试", {10365, 840, 1170, 945}, "", 0},
        {&CommandRow::m_exit, "Command3", "EXIT", "退出", {11565, 840, 1125, 945}, "Arial", 12},
        {&CommandRow::m_print, "打印", "PRINT", "打印温度数据和曲线", {5775, 2010, 1080, 945}, "", 0},
        {&CommandRow::m_export, "Command4", "导出文本", "导出文本文件", {8865, 1875, 1140, 945}, "", 0},
        {&CommandRow::m_plug, "Command7", "", "通讯失败可改变COM口再试", {9930, 1965, 690, 645}, "", 0},
        {&CommandRow::m_live, "onlineSwitch", "在线测温", "每秒读取一次测温仪的当前温度", {12780, 2535, 1155, 360},
            "宋体", 9},
    };
    for (const DesignedButton &design : buttons) {
        auto *b = new QPushButton(QString::fromUtf8(design.caption), this);
        b->setObjectName(QString::fromUtf8(design.name));
        b->setToolTip(QString::fromUtf8(design.tip));
        const QRect &t = design.place;
        zq::placeIn(b, zq::twips(t.x(), t.y(), t.width(), t.height()), kOrigin);
        b->setStyleSheet(kButtonStyle);
        b->setFocusPolicy(Qt::TabFocus);
        if (*design.face)
            b->setFont(zq::designFont(QString::fromUtf8(design.face), design.points, true));
        this->*design.control = b;
    }
    m_plug->setIcon(QIcon(QStringLiteral(":/plug.png")));
    m_plug->setIconSize(QSize(32, 32));
    m_plug->setStyleSheet(QStringLiteral("QPushButton { background: rgb(192, 192, 192); border: 1px solid gray; }"));
    m_live->setCheckable(true);
}

void CommandRow::createKeys()
{
    // Keys for the commands; each button's tooltip ends with its key.
    const std::pair<QPushButton *, QKeySequence> keys[]
        = {{m_open, QKeySequence(Qt::CTRL | Qt::Key_O)}, {m_save, QKeySequence(Qt::CTRL | Qt::Key_S)},
            {m_export, QKeySequence(Qt::CTRL | Qt::Key_E)}, {m_print, QKeySequence(Qt::CTRL | Qt::Key_P)},
            {m_download, QKeySequence(Qt::CTRL | Qt::Key_R)}, {m_exit, QKeySequence(Qt::CTRL | Qt::Key_Q)}};
    for (const auto &[button, key] : keys) {
        button->setShortcut(key);
        button->setToolTip(button->toolTip() + QStringLiteral("  (%1)").arg(key.toString(QKeySequence::NativeText)));
    }
}

void CommandRow::connectButtons()
{
    connect(m_download, &QPushButton::clicked, this, &CommandRow::downloadClicked);
    connect(m_open, &QPushButton::clicked, this, &CommandRow::openClicked);
    connect(m_save, &QPushButton::clicked, this, &CommandRow::saveClicked);
    connect(m_port, &QPushButton::clicked, this, &CommandRow::portClicked);
    connect(m_exit, &QPushButton::clicked, this, &CommandRow::exitClicked);
    connect(m_print, &QPushButton::clicked, this, &CommandRow::printClicked);
    connect(m_export, &QPushButton::clicked, this, &CommandRow::exportClicked);
    connect(m_live, &QPushButton::toggled, this, &CommandRow::liveToggled);
    connect(m_group, &QScrollBar::valueChanged, this, &CommandRow::groupChosen);
    m_open->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_open, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &at) { Q_EMIT recentMenuWanted(m_open->mapToGlobal(at), m_open); });
    m_port->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_port, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &at) { Q_EMIT portMenuWanted(m_port->mapToGlobal(at), m_port); });
}

void CommandRow::setTransferring(bool on)
{
    for (QWidget *b : {m_download, m_open, m_save, m_export, m_print, m_port, m_live})
        b->setEnabled(!on);
}

void CommandRow::showStatus(const QString &text, const QString &tip)
{
    // Arial 12 as designed; a text too long for the box gets a smaller size
    // rather than losing its ends.
    QFont font = zq::designFont(QStringLiteral("Arial"), 12);
    const int room = m_status->contentsRect().width();
    for (double points = 12; points > 5 && QFontMetrics(font).horizontalAdvance(text) > room; points -= 0.5)
        font.setPointSizeF(points - 0.5);
    m_status->setFont(font);
    m_status->setText(text);
    m_status->setToolTip(tip);
}

void CommandRow::setProgress(int value)
{
    m_progress->setValue(value);
}

void CommandRow::setProgressMaximum(int maximum)
{
    m_progress->setMaximum(maximum);
}

void CommandRow::setLive(bool on)
{
    m_live->setChecked(on);
}

bool CommandRow::live() const
{
    return m_live->isChecked();
}

void CommandRow::setPort(int com, const QString &tip)
{
    m_port->setText(QStringLiteral("COM %1").arg(com));
    m_port->setToolTip(tip);
}

int CommandRow::group() const
{
    return m_group->value();
}
