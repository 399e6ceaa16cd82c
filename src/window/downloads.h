#pragma once

#include "link/porterrors.h"

#include <QObject>
#include <functional>

struct DownloadResult;
class CommandRow;
class Desk;
class Instrument;
class QMenu;
class QTimer;

// The instrument from the window: 接收数据, the port toggle and its menu,
// the live reading, the status box and the progress bar.
class DownloadControl : public QObject
{
    Q_OBJECT
public:
    DownloadControl(Desk &desk, CommandRow &row, QWidget *window);
    ~DownloadControl() override;

    Instrument &instrument() { return *m_link; }
    bool busy() const;
    void download();
    void togglePort();
    void liveTick();
    void setLive(bool on);
    void showStatus(const QString &text);
    void setPortDevices(const QString &com1, const QString &com2);
    // The devices at start: one given for this run, else the one remembered
    // (if it is there), else the default.
    void choosePorts(const QPair<QString, QString> &defaults, const QString &com1, const QString &com2);
    void showPortMenu(const QPoint &at, QWidget *over);
    // Where every download is kept as it ends; the default lies in the
    // user's data folder.
    void setKeepDir(const QString &dir);
    QString keepDir() const;
    // The newest kept download: the way back to a record not saved.
    QString lastKept() const;
    void stop();

    // The ports the menu offers; tests give their own.
    std::function<QList<zq::PortChoice>()> listPorts;
    // Asks before held data goes; true when the download may go on.
    std::function<bool()> confirmDiscard;

Q_SIGNALS:
    // A download ended: its record to show (empty when none came).
    void ended(const DownloadResult &result);
    // Settled: its final outcome and the name its kept copy finally has.
    void settled(const DownloadResult &result);
    void failed();

private:
    void connectInstrument();
    void downloadEnded(const DownloadResult &result);
    void showPortTooltip();
    void addInstrumentMenu(QMenu *over, int com);

    Desk &m_desk;
    CommandRow &m_row;
    Instrument *m_link = nullptr;
    QTimer *m_liveTimer = nullptr;
    QString m_keepDir;
    QString m_lastKept;
};
