#pragma once

#include "core/workspace.h"
#include "link/download.h"
#include "link/porterrors.h"
#include "print/report.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class ChartBox;
class CommPort;
class OnlinePollMachine;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QSettings;
class QTimer;
class UserDialogs;
class frmAbout;

namespace zq {
const QString kAppTitle = QStringLiteral("TQRM_ZQ温度数据管理软件");
const QString kBoxTitle = QStringLiteral("ZQ软件");
const QString kDiscardQuestion = QStringLiteral("是否删除电脑中的温度数据 ?");
const QString kNoData = QStringLiteral("缓冲区无温度数据");
const QString kDataFilter = QStringLiteral("ZQ温度数据*.ZQ (*.ZQ *.zq)");
const QString kTextFilter = QStringLiteral("温度数据文本文件 (*.Txt *.txt)");
const QString kCsvFilter = QStringLiteral("CSV (*.csv)");
} // namespace zq

// A label that reports clicks (the maker label opens the About box).
class ClickLabel;

class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    Workspace &workspace() { return ws; }
    const QImage &drawingLayer() const { return m_layer; }
    void setDialogs(std::unique_ptr<UserDialogs> dialogs);
    UserDialogs &dialogs() { return *m_dialogs; }
    void setPortDevices(const QString &com1, const QString &com2);
    // The devices at start: one given for this run, else the one remembered
    // (if it is there), else the default.
    void choosePorts(const QPair<QString, QString> &defaults, const QString &com1, const QString &com2);
    void showPortMenu(const QPoint &at);
    // The ports the menu offers; tests give their own.
    std::function<QList<zq::PortChoice>()> listPorts;
    ReadComMachine &download() { return *m_download; }
    OnlinePollMachine &onlinePoll() { return *m_poll; }

    // Handlers, named after the window's controls.
    void Command5_Click();
    void Command6_Click();
    void Command2_Click();
    void Command1_Click();
    void Command4_Click();
    void Command3_Click();
    void 打印_Click();
    void List1_Click();
    void HScroll1_Change();
    void VScroll1_Change();
    void VScroll2_Change(int index);
    void MyComm_OnComm(int commEvent);
    void Timer1_Timer();
    void Label12_Click();
    void List1_DblClick(QListWidgetItem *item);
    // The chart's menu.
    void fitToReadings();
    void copyChartImage();
    void saveChartImage();
    // The chart with its scale bar and captions, as one picture.
    QImage chartImage() const;
    int redrawCount() const { return m_redraws; }
    // The live reading's switch; off ends a running poll.
    void setLiveReading(bool on);
    // Label6's text, sized to fit its box, with the port in its tooltip.
    void showStatus(const QString &text);

    void loadwd(int unused);
    void DRAWFEET();
    void DRAWline();
    void DRAWasTime();
    void SAVEfile(const QString &path);
    // Where every download is kept as it ends; the default lies in the
    // user's data folder.
    void setKeepDir(const QString &dir);
    QString keepDir() const;
    QString lastKeptCopy() const { return m_lastKept; }
    void OPENfile(const QString &path);
    // OPEN without the dialog: a file named on the command line.
    void openDataFile(const QString &path);
    // Settings kept across runs (ports, recent files, folders); tests give a
    // private file.
    void useSettingsFile(const QString &iniPath);
    QStringList recentFiles() const;
    void SAVEexcel(const QString &path, bool csv = false);
    void printfeetm();
    // The report through any printer, a PDF writer included.
    bool printReport(class QPrinter &printer);
    zq::ReportParams reportParams() const;

    // Controls, named as the window was designed.
    QPushButton *Command5 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *打印 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *onlineSwitch = nullptr;
    QListWidget *List1 = nullptr;
    ChartBox *LP1 = nullptr;
    QScrollBar *HScroll1 = nullptr;
    QScrollBar *VScroll1 = nullptr;
    std::array<QScrollBar *, 1> VScroll2{};
    std::array<QLabel *, 1> Label4{};
    QLabel *Label2 = nullptr;
    QLabel *Label19 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label10 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Label13 = nullptr;
    QLabel *Label18 = nullptr;
    QLabel *summaryLine = nullptr;
    ClickLabel *Label12 = nullptr;
    std::array<QLabel *, 8> movewd{};
    QFrame *Shape1 = nullptr;
    QFrame *Shape6 = nullptr;
    QTimer *Timer1 = nullptr;
    CommPort *MyComm = nullptr;

    // The shared file dialog's memory: the last name chosen or set.
    QString commonDialogFileName;

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void connectViewAids();
    void updateSummary();
    void connectControls();
    void Form_Load();
    int selectedGroup() const;
    QColor groupColour(int group) const;
    // Asks before held data goes; true when the caller may go on.
    bool confirmDiscard();
    void discardData();
    void downloadFinished(ReadComMachine::Outcome outcome);
    // Greys what cannot act while a transfer holds the port.
    void setTransferring(bool on);
    void keepCopy(bool tellFailureToUser);
    void loadFile(const QString &path);
    void rememberRecent(const QString &path);
    void showRecentMenu(const QPoint &at);
    void showPortTooltip();
    QString inFolder(const QString &kind, const QString &name) const;
    void rememberFolder(const QString &kind, const QString &path);
    void tellFailure(const QString &text);
    void printToPdf();

    Workspace ws;
    QImage m_layer;
    QPixmap m_background;
    std::unique_ptr<UserDialogs> m_dialogs;
    ReadComMachine *m_download = nullptr;
    OnlinePollMachine *m_poll = nullptr;
    QPointer<frmAbout> m_about;
    bool m_inHScroll = false;
    QString m_keepDir;
    QString m_lastKept;
    std::unique_ptr<QSettings> m_settings;
    int m_redraws = 0;
};
