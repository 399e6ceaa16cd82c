#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class ClickLabel;
class QLabel;
class QPushButton;
class UserDialogs;

// Product and maker information, the system-information launcher and the web link.
class frmAbout : public QWidget
{
    Q_OBJECT
public:
    explicit frmAbout(UserDialogs &dialogs, QWidget *parent = nullptr);

    void StartSysInfo();
    void Label2_Click();

    QLabel *Image3 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label5 = nullptr;
    ClickLabel *Label2 = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    QPushButton *cmdOK = nullptr;

    static const QString kWebAddress;
    // Where there is no registry: the first of these found on the PATH.
    static const QStringList kSysInfoTools;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setLinkColour(const QColor &colour);
    UserDialogs &m_dialogs;
};

#ifdef Q_OS_WIN
bool GetKeyValue(void *rootKey, const QString &keyPath, const QString &valueName, QString &value);
#endif
