#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollBar;

// The command row: the designed buttons in their frame, the group selector,
// the live-reading switch, the status box and the download's progress. It
// says what the user asked for and shows what it is told.
class CommandRow : public QWidget
{
    Q_OBJECT
public:
    explicit CommandRow(QWidget *window);

    // Greys what cannot act while a transfer holds the port.
    void setTransferring(bool on);
    // The status text, sized to fit its box, with `tip` as its tooltip.
    void showStatus(const QString &text, const QString &tip);
    void setProgress(int value);
    void setProgressMaximum(int maximum);
    void setLive(bool on);
    bool live() const;
    void setPort(int com, const QString &tip);
    int group() const;

Q_SIGNALS:
    void downloadClicked();
    void openClicked();
    void saveClicked();
    void portClicked();
    void exitClicked();
    void printClicked();
    void exportClicked();
    void liveToggled(bool on);
    void groupChosen(int group);
    // A right click on OPEN or on the port button, at a global position.
    void recentMenuWanted(const QPoint &at, QWidget *over);
    void portMenuWanted(const QPoint &at, QWidget *over);

private:
    void createButtons();
    void createKeys();
    void connectButtons();

    QFrame *m_frame = nullptr;
    QPushButton *m_download = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_port = nullptr;
    QPushButton *m_exit = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_plug = nullptr;
    QPushButton *m_live = nullptr;
    QScrollBar *m_group = nullptr;
    QLabel *m_styleCaption = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_progressCaption = nullptr;
    QProgressBar *m_progress = nullptr;
};
