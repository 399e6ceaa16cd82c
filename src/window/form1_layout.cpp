// The window's controls at their designed places. Positions are twips, 15 to a pixel.
#include "print/fonts.h"
#include "window/chartbox.h"
#include "window/clicklabel.h"
#include "window/form1.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>

namespace {
constexpr double kTwipsPerPixel = 15.0;

QRect twips(int left, int top, int width, int height)
{
    auto px = [](int t) { return qRound(t / kTwipsPerPixel); };
    return QRect(px(left), px(top), px(width), px(height));
}

const QString kButtonStyle = QStringLiteral(
    "QPushButton { color: rgb(20, 30, 60); border: 1px solid rgb(90, 100, 130); border-radius: 4px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(250, 251, 253), stop:1 rgb(200, 208, 222)); }"
    "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(255, 255, 255),"
    " stop:1 rgb(215, 226, 242)); }"
    "QPushButton:pressed, QPushButton:checked { background: rgb(180, 192, 214); }"
    "QPushButton:disabled { color: rgb(140, 140, 150); }");

void setColours(QWidget *w, const QColor &text, const QColor &background = QColor())
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Text, text);
    if (background.isValid()) {
        pal.setColor(QPalette::Window, background);
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
}
} // namespace

void Form1::createControls()
{
    setWindowTitle(zq::kAppTitle);
    setFont(zq::designFont(QStringLiteral("Arial"), 12, true));
    setFixedSize(twips(0, 0, 15135 + 120, 10740 + 90).size());

    commandFrame = new QFrame(this);
    commandFrame->setGeometry(twips(5040, 720, 7800, 2340));
    commandFrame->setFrameShape(QFrame::Box);
    commandFrame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgba(60, 80, 120, 120); border-radius: 6px;"
                                         " background: rgba(255, 255, 255, 40); }"));
    listFrame = new QFrame(this);
    listFrame->setGeometry(twips(105, 3225, 2955, 6090));
    listFrame->setFrameShape(QFrame::Box);
    listFrame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgba(60, 80, 120, 120); }"));

    auto button = [this](const QString &caption, const QString &tip, QRect geometry) {
        auto *b = new QPushButton(caption, this);
        b->setToolTip(tip);
        b->setGeometry(geometry);
        b->setStyleSheet(kButtonStyle);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    downloadButton = button(
        QStringLiteral("接收数据"), QStringLiteral("读数据(请注意将测温仪设置为锁定)"), twips(5160, 840, 2835, 945));
    downloadButton->setFont(zq::designFont(QStringLiteral("华文细黑"), 12, true));
    openButton = button(QStringLiteral("OPEN"), QStringLiteral("打开一个温度数据文件"), twips(8025, 840, 1155, 945));
    saveButton = button(QStringLiteral("SAVE"), QStringLiteral("温度数据存盘"), twips(9210, 840, 1140, 945));
    portButton = button(QStringLiteral("COM 1"), QStringLiteral("通讯失败可改变COM口再试"), twips(10365, 840, 1170, 945));
    exitButton = button(QStringLiteral("EXIT"), QStringLiteral("退出"), twips(11565, 840, 1125, 945));
    exitButton->setFont(zq::designFont(QStringLiteral("Arial"), 12, true));
    printButton = button(QStringLiteral("PRINT"), QStringLiteral("打印温度数据和曲线"), twips(5775, 2010, 1080, 945));
    exportButton = button(QStringLiteral("导出文本"), QStringLiteral("导出文本文件"), twips(8865, 1875, 1140, 945));
    plugButton = button(QString(), QStringLiteral("通讯失败可改变COM口再试"), twips(9930, 1965, 690, 645));
    plugButton->setIcon(QIcon(QStringLiteral(":/plug.png")));
    plugButton->setIconSize(QSize(32, 32));
    plugButton->setStyleSheet(QStringLiteral("QPushButton { background: rgb(192, 192, 192); border: 1px solid gray; }"));
    timeButton = new QPushButton(QStringLiteral("time"), this);
    timeButton->setGeometry(twips(1710, 9435, 1320, 285));

    readingList = new QListWidget(this);
    readingList->setGeometry(twips(165, 3285, 2835, 5970));
    readingList->setFont(zq::designFont(QStringLiteral("宋体"), 9));
    readingList->setUniformItemSizes(true);
    readingList->setSelectionMode(QAbstractItemView::SingleSelection);

    chartBox = new ChartBox(this);
    chartBox->setGeometry(twips(4320, 3315, 10800, 6000));

    viewBar = new QScrollBar(Qt::Horizontal, this);
    viewBar->setGeometry(twips(4320, 9135, 10815, 210));
    viewBar->setRange(0, 372);
    viewBar->setSingleStep(1);
    viewBar->setPageStep(51);

    // 2000 at the top, 400 at the bottom: moving it up raises the base. The
    // bar holds the negated base, so arrows, pages, keys, wheel and drag all
    // agree with where the handle goes.
    scaleBar = new QScrollBar(Qt::Vertical, this);
    scaleBar->setGeometry(twips(4110, 3315, 195, 6030));
    scaleBar->setRange(-2000, -400);
    scaleBar->setSingleStep(100);
    scaleBar->setPageStep(200);
    scaleBar->setValue(-800);

    groupBar = new QScrollBar(Qt::Vertical, this);
    groupBar->setGeometry(twips(5070, 2055, 225, 420));
    groupBar->setRange(0, 7);
    groupBar->setSingleStep(1);
    groupBar->setPageStep(1);

    auto label = [this](const QString &caption, QRect geometry) {
        auto *l = new QLabel(caption, this);
        l->setGeometry(geometry);
        return l;
    };
    groupLabel = label(QStringLiteral(" - 点-位 - "), twips(2475, 1260, 1275, 390));
    groupLabel->setToolTip(QStringLiteral("数据类型为STYLE1时有效"));
    groupLabel->setFont(zq::designFont(QStringLiteral("Arial"), 15.75, true));
    groupLabel->setAlignment(Qt::AlignCenter);
    setColours(groupLabel, QColor(224, 224, 224), QColor(64, 64, 64));

    styleLabel = label(QStringLiteral("STYLE"), twips(1785, 2565, 1260, 375));
    styleLabel->setAlignment(Qt::AlignCenter);
    setColours(styleLabel, QColor(255, 0, 0), QColor(64, 64, 64));
    styleCaption = label(QStringLiteral("数据类型"), twips(5775, 2115, 1095, 270));
    styleCaption->setFont(zq::designFont(QStringLiteral("宋体"), 9, true));
    // Its designed place lies under the PRINT button.
    styleCaption->stackUnder(printButton);

    statusLabel = label(QStringLiteral("----"), twips(13965, 2535, 1110, 360));
    statusLabel->setFont(zq::designFont(QStringLiteral("Arial"), 12));
    statusLabel->setAlignment(Qt::AlignCenter);
    setColours(statusLabel, QColor(0, 255, 0), QColor(64, 64, 64));
    onlineSwitch = button(
        QStringLiteral("在线测温"), QStringLiteral("每秒读取一次测温仪的当前温度"), twips(12780, 2535, 1155, 360));
    onlineSwitch->setCheckable(true);
    onlineSwitch->setFont(zq::designFont(QStringLiteral("宋体"), 9, true));

    progressCaption = label(QStringLiteral("读取进度"), twips(5190, 2625, 1110, 255));
    progressCaption->setFont(zq::designFont(QStringLiteral("宋体"), 9, true));
    progressBar = new QProgressBar(this);
    progressBar->setGeometry(twips(6360, 2580, 6375, 315));
    progressBar->setRange(0, zq::kProgressMax);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);

    hourLabel = label(QStringLiteral("---"), twips(3135, 9465, 1635, 255));
    setColours(hourLabel, QColor(224, 224, 224), QColor(40, 48, 64));
    // The record's summary, in the free band under the chart.
    summaryLine = label(QString(), twips(4860, 9465, 10275, 270));
    summaryLine->setFont(zq::designFont(QStringLiteral("宋体"), 9));
    setColours(summaryLine, QColor(224, 224, 224), QColor(40, 48, 64));
    titleLabel = label(QStringLiteral("Tem curve"), twips(9270, 135, 1440, 390));
    titleLabel->setFont(zq::designFont(QStringLiteral("Basemic Symbol"), 14.25));
    setColours(titleLabel, QColor(0, 128, 0));

    makerLabel = new ClickLabel(QStringLiteral("LORVANT "), this);
    makerLabel->setGeometry(twips(12945, 10335, 2025, 405));
    makerLabel->setFont(zq::designFont(QStringLiteral("Arial Black"), 15));
    makerLabel->setCursor(Qt::PointingHandCursor);
    setColours(makerLabel, palette().color(QPalette::Active, QPalette::Highlight));

    // Keys for the commands; each button's tooltip ends with its key.
    const std::pair<QPushButton *, QKeySequence> keys[]
        = {{openButton, QKeySequence(Qt::CTRL | Qt::Key_O)}, {saveButton, QKeySequence(Qt::CTRL | Qt::Key_S)},
            {exportButton, QKeySequence(Qt::CTRL | Qt::Key_E)}, {printButton, QKeySequence(Qt::CTRL | Qt::Key_P)},
            {downloadButton, QKeySequence(Qt::CTRL | Qt::Key_R)}, {exitButton, QKeySequence(Qt::CTRL | Qt::Key_Q)}};
    for (const auto &[button, key] : keys) {
        button->setShortcut(key);
        button->setToolTip(button->toolTip() + QStringLiteral("  (%1)").arg(key.toString(QKeySequence::NativeText)));
    }
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &Form1::showAbout);
    makerLabel->setToolTip(QStringLiteral("关于  (F1)"));

    liveTimer = new QTimer(this);
    liveTimer->setInterval(1000);
    nameControls();
}

void Form1::nameControls()
{
    // The designer's names, by which tests and users' scripts find the controls.
    const std::pair<QObject *, const char *> names[] = {{downloadButton, "Command5"}, {openButton, "Command2"},
        {saveButton, "Command1"}, {portButton, "Command6"}, {exitButton, "Command3"}, {printButton, "打印"},
        {exportButton, "Command4"}, {plugButton, "Command7"}, {timeButton, "Command8"}, {readingList, "List1"},
        {chartBox, "LP1"}, {viewBar, "HScroll1"}, {scaleBar, "VScroll1"}, {groupBar, "VScroll2"},
        {groupLabel, "Label4"}, {styleLabel, "Label2"}, {styleCaption, "Label19"}, {statusLabel, "Label6"},
        {progressCaption, "Label10"}, {progressBar, "ProgressBar1"}, {hourLabel, "Label13"}, {titleLabel, "Label18"},
        {makerLabel, "Label12"}, {commandFrame, "Shape1"}, {listFrame, "Shape6"}, {liveTimer, "Timer1"},
        {onlineSwitch, "onlineSwitch"}, {summaryLine, "summaryLine"}};
    for (const auto &[control, name] : names)
        control->setObjectName(QString::fromUtf8(name));
}
