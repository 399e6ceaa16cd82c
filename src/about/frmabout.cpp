#include "about/frmabout.h"

#include "print/fonts.h"
#include "window/clicklabel.h"
#include "window/dialogs.h"
#include "window/resources.h"
#include "window/texts.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

const QString frmAbout::kWebAddress = QStringLiteral("http://www.lorvant.example.com");
const QStringList frmAbout::kSysInfoTools{QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor"),
    QStringLiteral("kinfocenter"), QStringLiteral("lshw-gtk")};

namespace {
QRect twips(int l, int t, int w, int h)
{
    auto px = [](int v) { return qRound(v / 15.0); };
    return QRect(px(l), px(t), px(w), px(h));
}

QLabel *whiteLabel(QWidget *parent, const QString &text, QRect geometry, const QFont &font)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    l->setFont(font);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
    return l;
}
} // namespace

frmAbout::frmAbout(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_dialogs(dialogs)
{
    initWindowResources();
    setWindowTitle(QStringLiteral("关于 ") + zq::kBoxTitle);
    setFixedSize(twips(0, 0, 10815, 6855).size());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(pal);
    setMouseTracking(true);

    Image3 = new QLabel(this);
    Image3->setGeometry(twips(-30, 930, 9855, 1005));
    Image3->setPixmap(QPixmap(QStringLiteral(":/banner.png")));
    Image3->setScaledContents(true);
    auto *shape1 = new QFrame(this);
    shape1->setGeometry(twips(-105, 705, 3765, 1560));
    shape1->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgb(128, 128, 128); }"));

    Label6 = whiteLabel(this, QStringLiteral("TQRM-ZQ1 数据处理软件"), twips(3780, 2070, 6435, 780),
        zq::designFont(QStringLiteral("Arial"), 26.25));
    Label12 = whiteLabel(this, QStringLiteral("Temperature Datas system"), twips(3780, 2625, 3765, 360),
        zq::designFont(QStringLiteral("Arial Narrow"), 14.25));
    Label3 = whiteLabel(this, QStringLiteral("洛凡特测温仪器有限公司"), twips(3810, 4095, 4125, 315),
        zq::designFont(QStringLiteral("幼圆"), 12, true));
    Label5 = whiteLabel(this,
        QStringLiteral("示例市科技园区示例路 1 号\n服务热线 000-0000-0000  Email service@lorvant.example.com"),
        twips(3765, 4740, 5925, 555), zq::designFont(QStringLiteral("Arial"), 10.5));
    Label2 = new ClickLabel(kWebAddress.mid(7), this);
    Label2->setGeometry(twips(3765, 5220, 3660, 285));
    QFont linkFont = zq::designFont(QStringLiteral("Arial"), 10.5, true);
    linkFont.setUnderline(true);
    Label2->setFont(linkFont);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->setMouseTracking(true);
    setLinkColour(QColor(64, 64, 64));
    connect(Label2, &ClickLabel::hovered, this, [this] { setLinkColour(QColor(255, 0, 0)); });
    connect(Label2, &ClickLabel::clicked, this, &frmAbout::Label2_Click);

    cmdSysInfo = new QPushButton(QStringLiteral("系统信息(&S)"), this);
    cmdSysInfo->setGeometry(twips(3780, 5880, 1485, 465));
    cmdSysInfo->setStyleSheet(QStringLiteral("QPushButton { background: rgb(128, 128, 128); }"));
    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setGeometry(twips(5385, 5880, 1500, 465));
    cmdOK->setStyleSheet(QStringLiteral("QPushButton { background: rgb(192, 192, 192); }"));
    cmdOK->setDefault(true);
    setTabOrder(cmdOK, cmdSysInfo);
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

void frmAbout::setLinkColour(const QColor &colour)
{
    QPalette pal = Label2->palette();
    pal.setColor(QPalette::WindowText, colour);
    Label2->setPalette(pal);
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmAbout::mouseMoveEvent(QMouseEvent *event)
{
    setLinkColour(QColor(64, 0, 0));
    QWidget::mouseMoveEvent(event);
}

void frmAbout::Label2_Click()
{
    if (!QDesktopServices::openUrl(QUrl(kWebAddress)))
        m_dialogs.message(QStringLiteral("无法打开网址 %1").arg(kWebAddress), zq::kBoxTitle, QMessageBox::Ok,
            QMessageBox::Warning, QMessageBox::Ok);
}

#ifdef Q_OS_WIN
bool GetKeyValue(void *rootKey, const QString &keyPath, const QString &valueName, QString &value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY(rootKey), reinterpret_cast<LPCWSTR>(keyPath.utf16()), 0, 0x2003F, &key) != ERROR_SUCCESS) {
        value.clear();
        RegCloseKey(key);
        return false;
    }
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    const LONG rc = RegQueryValueExW(
        key, reinterpret_cast<LPCWSTR>(valueName.utf16()), nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        value.clear();
        return false;
    }
    if (type == REG_SZ) {
        QString text = QString::fromWCharArray(buffer, int(size / sizeof(wchar_t)));
        if (text.endsWith(QChar(0)))
            text.chop(1);
        value = text;
    } else if (type == REG_DWORD) {
        const auto *bytes = reinterpret_cast<const unsigned char *>(buffer);
        for (int i = int(size) - 1; i >= 0; --i)
            value += QString::number(bytes[i], 16);
        value = QStringLiteral("&h") + value;
    }
    return true;
}
#endif

void frmAbout::StartSysInfo()
{
    QString path;
#ifdef Q_OS_WIN
    QString folder;
    if (!GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
            QStringLiteral("PATH"), path)) {
        if (GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                QStringLiteral("MSINFO"), folder)
            && QFileInfo::exists(folder + QStringLiteral("\\MSINFO32.EXE")))
            path = folder + QStringLiteral("\\MSINFO32.EXE");
        else
            path.clear();
    }
#else
    for (const QString &tool : kSysInfoTools) {
        path = QStandardPaths::findExecutable(tool);
        if (!path.isEmpty())
            break;
    }
#endif
    if (path.isEmpty() || !QProcess::startDetached(path, {}))
        m_dialogs.message(
            QStringLiteral("此时系统信息不可用"), zq::kBoxTitle, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok);
}
