// The window's controls at their designed places. Positions are twips, 15 to a pixel.
#include "link/commport.h"
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

    Shape1 = new QFrame(this);
    Shape1->setGeometry(twips(5040, 720, 7800, 2340));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgba(60, 80, 120, 120); border-radius: 6px;"
                                         " background: rgba(255, 255, 255, 40); }"));
    Shape6 = new QFrame(this);
    Shape6->setGeometry(twips(105, 3225, 2955, 6090));
    Shape6->setFrameShape(QFrame::Box);
    Shape6->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgba(60, 80, 120, 120); }"));

    auto button = [this](const QString &caption, const QString &tip, QRect geometry) {
        auto *b = new QPushButton(caption, this);
        b->setToolTip(tip);
        b->setGeometry(geometry);
        b->setStyleSheet(kButtonStyle);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    Command5 = button(
        QStringLiteral("接收数据"), QStringLiteral("读数据(请注意将测温仪设置为锁定)"), twips(5160, 840, 2835, 945));
    Command5->setFont(zq::designFont(QStringLiteral("华文细黑"), 12, true));
    Command2 = button(QStringLiteral("OPEN"), QStringLiteral("打开一个温度数据文件"), twips(8025, 840, 1155, 945));
    Command1 = button(QStringLiteral("SAVE"), QStringLiteral("温度数据存盘"), twips(9210, 840, 1140, 945));
    Command6 = button(QStringLiteral("COM 1"), QStringLiteral("通讯失败可改变COM口再试"), twips(10365, 840, 1170, 945));
    Command3 = button(QStringLiteral("EXIT"), QStringLiteral("退出"), twips(11565, 840, 1125, 945));
    Command3->setFont(zq::designFont(QStringLiteral("Arial"), 12, true));
    打印 = button(QStringLiteral("PRINT"), QStringLiteral("打印温度数据和曲线"), twips(5775, 2010, 1080, 945));
    Command4 = button(QStringLiteral("导出文本"), QStringLiteral("导出文本文件"), twips(8865, 1875, 1140, 945));
    Command7 = button(QString(), QStringLiteral("通讯失败可改变COM口再试"), twips(9930, 1965, 690, 645));
    Command7->setIcon(QIcon(QStringLiteral(":/plug.png")));
    Command7->setIconSize(QSize(32, 32));
    Command7->setStyleSheet(QStringLiteral("QPushButton { background: rgb(192, 192, 192); border: 1px solid gray; }"));
    Command8 = new QPushButton(QStringLiteral("time"), this);
    Command8->setGeometry(twips(1710, 9435, 1320, 285));

    List1 = new QListWidget(this);
    List1->setGeometry(twips(165, 3285, 2835, 5970));
    List1->setFont(zq::designFont(QStringLiteral("宋体"), 9));
    List1->setUniformItemSizes(true);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);

    // The group palette lives in these hidden labels' text colours.
    static const QColor groupPalette[8] = {{255, 0, 0}, {255, 192, 128}, {255, 255, 0}, {0, 255, 0}, {128, 128, 255},
        {255, 0, 255}, {192, 192, 192}, {255, 224, 192}};
    for (int g = 0; g < 8; ++g) {
        movewd[g] = new QLabel(QStringLiteral("Label4"), this);
        movewd[g]->setGeometry(twips(720, 3660 + g * 240, 630, 210));
        movewd[g]->setFont(zq::designFont(QStringLiteral("宋体"), 10.5));
        setColours(movewd[g], groupPalette[g]);
        movewd[g]->hide();
    }

    LP1 = new ChartBox(this);
    LP1->setGeometry(twips(4320, 3315, 10800, 6000));

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setGeometry(twips(4320, 9135, 10815, 210));
    HScroll1->setRange(0, 372);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(51);

    // 2000 at the top, 400 at the bottom: moving it up raises the base. The
    // bar holds the negated base, so arrows, pages, keys, wheel and drag all
    // agree with where the handle goes.
    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setGeometry(twips(4110, 3315, 195, 6030));
    VScroll1->setRange(-2000, -400);
    VScroll1->setSingleStep(100);
    VScroll1->setPageStep(200);
    VScroll1->setValue(-800);

    VScroll2[0] = new QScrollBar(Qt::Vertical, this);
    VScroll2[0]->setGeometry(twips(5070, 2055, 225, 420));
    VScroll2[0]->setRange(0, 7);
    VScroll2[0]->setSingleStep(1);
    VScroll2[0]->setPageStep(1);

    auto label = [this](const QString &caption, QRect geometry) {
        auto *l = new QLabel(caption, this);
        l->setGeometry(geometry);
        return l;
    };
    Label4[0] = label(QStringLiteral(" - 点-位 - "), twips(2475, 1260, 1275, 390));
    Label4[0]->setToolTip(QStringLiteral("数据类型为STYLE1时有效"));
    Label4[0]->setFont(zq::designFont(QStringLiteral("Arial"), 15.75, true));
    Label4[0]->setAlignment(Qt::AlignCenter);
    setColours(Label4[0], QColor(224, 224, 224), QColor(64, 64, 64));

    Label2 = label(QStringLiteral("STYLE"), twips(1785, 2565, 1260, 375));
    Label2->setAlignment(Qt::AlignCenter);
    setColours(Label2, QColor(255, 0, 0), QColor(64, 64, 64));
    Label19 = label(QStringLiteral("数据类型"), twips(5775, 2115, 1095, 270));
    Label19->setFont(zq::designFont(QStringLiteral("宋体"), 9, true));
    // Its designed place lies under the PRINT button.
    Label19->stackUnder(打印);

    Label6 = label(QStringLiteral("----"), twips(13965, 2535, 1110, 360));
    Label6->setFont(zq::designFont(QStringLiteral("Arial"), 12));
    Label6->setAlignment(Qt::AlignCenter);
    setColours(Label6, QColor(0, 255, 0), QColor(64, 64, 64));
    onlineSwitch = button(
        QStringLiteral("在线测温"), QStringLiteral("每秒读取一次测温仪的当前温度"), twips(12780, 2535, 1155, 360));
    onlineSwitch->setCheckable(true);
    onlineSwitch->setFont(zq::designFont(QStringLiteral("宋体"), 9, true));

    Label10 = label(QStringLiteral("读取进度"), twips(5190, 2625, 1110, 255));
    Label10->setFont(zq::designFont(QStringLiteral("宋体"), 9, true));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(twips(6360, 2580, 6375, 315));
    ProgressBar1->setRange(0, zq::kProgressMax);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Label13 = label(QStringLiteral("---"), twips(3135, 9465, 1635, 255));
    setColours(Label13, QColor(224, 224, 224), QColor(40, 48, 64));
    // The record's summary, in the free band under the chart.
    summaryLine = label(QString(), twips(4860, 9465, 10275, 270));
    summaryLine->setFont(zq::designFont(QStringLiteral("宋体"), 9));
    setColours(summaryLine, QColor(224, 224, 224), QColor(40, 48, 64));
    Label18 = label(QStringLiteral("Tem curve"), twips(9270, 135, 1440, 390));
    Label18->setFont(zq::designFont(QStringLiteral("Basemic Symbol"), 14.25));
    setColours(Label18, QColor(0, 128, 0));

    Label12 = new ClickLabel(QStringLiteral("LORVANT "), this);
    Label12->setGeometry(twips(12945, 10335, 2025, 405));
    Label12->setFont(zq::designFont(QStringLiteral("Arial Black"), 15));
    Label12->setCursor(Qt::PointingHandCursor);
    setColours(Label12, palette().color(QPalette::Active, QPalette::Highlight));

    // Keys for the commands; each button's tooltip ends with its key.
    const std::pair<QPushButton *, QKeySequence> keys[]
        = {{Command2, QKeySequence(Qt::CTRL | Qt::Key_O)}, {Command1, QKeySequence(Qt::CTRL | Qt::Key_S)},
            {Command4, QKeySequence(Qt::CTRL | Qt::Key_E)}, {打印, QKeySequence(Qt::CTRL | Qt::Key_P)},
            {Command5, QKeySequence(Qt::CTRL | Qt::Key_R)}, {Command3, QKeySequence(Qt::CTRL | Qt::Key_Q)}};
    for (const auto &[button, key] : keys) {
        button->setShortcut(key);
        button->setToolTip(button->toolTip() + QStringLiteral("  (%1)").arg(key.toString(QKeySequence::NativeText)));
    }
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &Form1::Label12_Click);
    Label12->setToolTip(QStringLiteral("关于  (F1)"));

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    MyComm = new CommPort(this);
}
