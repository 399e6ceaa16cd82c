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
// The designed controls as data: where each stands, what it says and in
// which face. Creation order is stacking and tab order.
struct DesignedButton
{
    QPushButton *Form1::*control;
    const char *caption;
    const char *tip;
    QRect place; // twips
    const char *face; // empty: the window's own
    double points;
};

struct DesignedLabel
{
    QLabel *Form1::*control;
    const char *caption;
    QRect place; // twips
    const char *face;
    double points;
    bool bold;
    bool centred;
    QColor text;
    QColor background; // invalid: none of its own
};

const DesignedButton kButtons[] = {
    {&Form1::downloadButton, "接收数据", "读数据(请注意将测温仪设置为锁定)", {5160, 840, 2835, 945}, "华文细黑", 12},
    {&Form1::openButton, "OPEN", "打开一个温度数据文件", {8025, 840, 1155, 945}, "", 0},
    {&Form1::saveButton, "SAVE", "温度数据存盘", {9210, 840, 1140, 945}, "", 0},
    {&Form1::portButton, "COM 1", "通讯失败可改变COM口再试", {10365, 840, 1170, 945}, "", 0},
    {&Form1::exitButton, "EXIT", "退出", {11565, 840, 1125, 945}, "Arial", 12},
    {&Form1::printButton, "PRINT", "打印温度数据和曲线", {5775, 2010, 1080, 945}, "", 0},
    {&Form1::exportButton, "导出文本", "导出文本文件", {8865, 1875, 1140, 945}, "", 0},
    {&Form1::plugButton, "", "通讯失败可改变COM口再试", {9930, 1965, 690, 645}, "", 0},
    {&Form1::onlineSwitch, "在线测温", "每秒读取一次测温仪的当前温度", {12780, 2535, 1155, 360}, "宋体", 9},
};

const QColor kLight(224, 224, 224);
const QColor kDark(64, 64, 64);
const QColor kBand(40, 48, 64);
const DesignedLabel kLabels[] = {
    {&Form1::groupLabel, " - 点-位 - ", {2475, 1260, 1275, 390}, "Arial", 15.75, true, true, kLight, kDark},
    {&Form1::styleLabel, "STYLE", {1785, 2565, 1260, 375}, "", 0, true, true, QColor(255, 0, 0), kDark},
    {&Form1::styleCaption, "数据类型", {5775, 2115, 1095, 270}, "宋体", 9, true, false, QColor(), QColor()},
    {&Form1::statusLabel, "----", {13965, 2535, 1110, 360}, "Arial", 12, false, true, QColor(0, 255, 0), kDark},
    {&Form1::progressCaption, "读取进度", {5190, 2625, 1110, 255}, "宋体", 9, true, false, QColor(), QColor()},
    {&Form1::hourLabel, "---", {3135, 9465, 1635, 255}, "", 0, true, false, kLight, kBand},
    // The record's summary, in the free band under the chart.
    {&Form1::summaryLine, "", {4860, 9465, 10275, 270}, "宋体", 9, false, false, kLight, kBand},
    {&Form1::titleLabel, "Tem curve", {9270, 135, 1440, 390}, "Basemic Symbol", 14.25, false, false, QColor(0, 128, 0),
        QColor()},
};

QRect pixels(const QRect &t)
{
    return twips(t.x(), t.y(), t.width(), t.height());
}
} // namespace

void Form1::createControls()
{
    setWindowTitle(zq::kAppTitle);
    setFont(zq::designFont(QStringLiteral("Arial"), 12, true));
    setFixedSize(twips(0, 0, 15135 + 120, 10740 + 90).size());
    createFrames();
    for (const DesignedButton &design : kButtons) {
        auto *b = new QPushButton(QString::fromUtf8(design.caption), this);
        b->setToolTip(QString::fromUtf8(design.tip));
        b->setGeometry(pixels(design.place));
        b->setStyleSheet(kButtonStyle);
        b->setFocusPolicy(Qt::TabFocus);
        if (*design.face)
            b->setFont(zq::designFont(QString::fromUtf8(design.face), design.points, true));
        this->*design.control = b;
    }
    plugButton->setIcon(QIcon(QStringLiteral(":/plug.png")));
    plugButton->setIconSize(QSize(32, 32));
    plugButton->setStyleSheet(
        QStringLiteral("QPushButton { background: rgb(192, 192, 192); border: 1px solid gray; }"));
    onlineSwitch->setCheckable(true);
    timeButton = new QPushButton(QStringLiteral("time"), this);
    timeButton->setGeometry(twips(1710, 9435, 1320, 285));
    createViews();
    for (const DesignedLabel &design : kLabels) {
        auto *l = new QLabel(QString::fromUtf8(design.caption), this);
        l->setGeometry(pixels(design.place));
        if (*design.face)
            l->setFont(zq::designFont(QString::fromUtf8(design.face), design.points, design.bold));
        if (design.centred)
            l->setAlignment(Qt::AlignCenter);
        if (design.text.isValid())
            setColours(l, design.text, design.background);
        this->*design.control = l;
    }
    groupLabel->setToolTip(QStringLiteral("数据类型为STYLE1时有效"));
    // Its designed place lies under the PRINT button.
    styleCaption->stackUnder(printButton);
    progressBar = new QProgressBar(this);
    progressBar->setGeometry(twips(6360, 2580, 6375, 315));
    progressBar->setRange(0, zq::kProgressMax);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    makerLabel = new ClickLabel(QStringLiteral("LORVANT "), this);
    makerLabel->setGeometry(twips(12945, 10335, 2025, 405));
    makerLabel->setFont(zq::designFont(QStringLiteral("Arial Black"), 15));
    makerLabel->setCursor(Qt::PointingHandCursor);
    setColours(makerLabel, palette().color(QPalette::Active, QPalette::Highlight));
    createKeys();
    liveTimer = new QTimer(this);
    liveTimer->setInterval(1000);
    nameControls();
}

void Form1::createFrames()
{
    commandFrame = new QFrame(this);
    commandFrame->setGeometry(twips(5040, 720, 7800, 2340));
    commandFrame->setFrameShape(QFrame::Box);
    commandFrame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgba(60, 80, 120, 120); border-radius: 6px;"
                                               " background: rgba(255, 255, 255, 40); }"));
    listFrame = new QFrame(this);
    listFrame->setGeometry(twips(105, 3225, 2955, 6090));
    listFrame->setFrameShape(QFrame::Box);
    listFrame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgba(60, 80, 120, 120); }"));
}

void Form1::createViews()
{
    readingList = new QListWidget(this);
    readingList->setGeometry(twips(165, 3285, 2835, 5970));
    readingList->setFont(zq::designFont(QStringLiteral("宋体"), 9));
    readingList->setUniformItemSizes(true);
    readingList->setSelectionMode(QAbstractItemView::SingleSelection);
    chartBox = new ChartBox(this);
    chartBox->setGeometry(twips(4320, 3315, 10800, 6000));
    viewBar = new QScrollBar(Qt::Horizontal, this);
    viewBar->setGeometry(twips(4320, 9135, 10815, 210));
    viewBar->setRange(0, zq::ChartView::kSeqScrollMax);
    viewBar->setSingleStep(1);
    viewBar->setPageStep(51);
    // 2000 at the top, 400 at the bottom: moving it up raises the base. The
    // bar holds the negated base, so arrows, pages, keys, wheel and drag all
    // agree with where the handle goes.
    scaleBar = new QScrollBar(Qt::Vertical, this);
    scaleBar->setGeometry(twips(4110, 3315, 195, 6030));
    scaleBar->setRange(-zq::ChartView::kBaseMax, -zq::ChartView::kBaseMin);
    scaleBar->setSingleStep(100);
    scaleBar->setPageStep(200);
    scaleBar->setValue(-zq::ChartView::kDefaultBase);
    groupBar = new QScrollBar(Qt::Vertical, this);
    groupBar->setGeometry(twips(5070, 2055, 225, 420));
    groupBar->setRange(0, zq::kSelectorGroups - 1);
    groupBar->setSingleStep(1);
    groupBar->setPageStep(1);
}

void Form1::createKeys()
{
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
    auto *archive = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(archive, &QShortcut::activated, this, &Form1::showArchive);
    auto *analysis = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(analysis, &QShortcut::activated, this, &Form1::showAnalysis);
    makerLabel->setToolTip(QStringLiteral("关于  (F1)"));
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
