#pragma once

#include "archive/registry.h"
#include "archive/rows.h"
#include "core/runinfo.h"

#include <QWidget>
#include <memory>
#include <optional>

class HistoryView;
class QPushButton;
class QtUserDialogs;
class UserDialogs;
class QComboBox;
class QDateEdit;
class QFormLayout;
class QLabel;
class QLineEdit;
class QSqlQueryModel;
class QTableView;
namespace zq {
class Archive;
class RegistryReader;
struct DeviceChoice;
} // namespace zq

// 记录库: every run in the archive as a table that fetches as it scrolls,
// sorted by any column, searched and filtered; a double-click opens a run,
// 作为参考 lays it behind the run in the main window; equipment, load,
// operator and comment are edited in place (F2, or a click on a selected
// cell), every field below the table (仪表 and 热电偶 linked from the
// calibration registry), a signed run's only with a reason;
// 审核… and 批准… sign the run, whose history shows below its fields.
class ArchiveWindow : public QWidget
{
    Q_OBJECT
public:
    ArchiveWindow(zq::Archive &archive, QWidget *parent = nullptr);
    ~ArchiveWindow() override;
    // Where its questions go (the main window's); by default, Qt's dialogs.
    void setDialogs(UserDialogs *dialogs);

    // The query again; `keep` stays selected.
    void refresh(const QString &keep = QString());
    // With a shared archive: runs whose bytes are not here come from the
    // server, and the line under the table says what waits and why.
    void setShared(bool shared);
    void showSharedStatus(int pending, const QString &lastError);
    // What a push brought the server, or why it did not.
    void showPushed(const QString &text);
    QLabel *sharedStatus = nullptr;
    QString selectedRun() const;
    bool saveFields();

    QTableView *table = nullptr;
    QLineEdit *search = nullptr;
    QComboBox *equipment = nullptr;
    QComboBox *verdict = nullptr;
    QComboBox *state = nullptr;
    QDateEdit *since = nullptr;
    QDateEdit *until = nullptr;
    QLineEdit *operatorField = nullptr;
    QLineEdit *equipmentField = nullptr;
    QLineEdit *loadField = nullptr;
    // A registered instrument, or none; the thermocouple's text links a registered one.
    QComboBox *instrumentField = nullptr;
    QComboBox *thermocoupleField = nullptr;
    // What is wrong with the run's thermocouple: worn, or run hotter than it may.
    QLabel *deviceWarning = nullptr;
    QLineEdit *commentField = nullptr;
    QPushButton *reviewButton = nullptr;
    QPushButton *approveButton = nullptr;
    HistoryView *history = nullptr;

Q_SIGNALS:
    // A run to open in the main window, from a file that still holds its bytes.
    void openFile(const QString &path);
    // A run to lay behind the one in the main window (作为参考).
    void referenceFile(const QString &path);
    void problem(const QString &text);
    // A run with no file here, to fetch from the shared archive.
    void fetchRun(const QString &sha256);
    // Fields saved (in place or below the table), for the shared archive too.
    void fieldsSaved(const QString &sha256);
    // 共享记录库…: the user wants to set the server's address.
    void sharedSettingsWanted();
    // 推送本机记录库: every run here, with all it holds, to the shared archive.
    void pushWanted();

private:
    QLayout *buildSharedRow();
    void buildFilters(class QBoxLayout *layout);
    // The selected run's fields, its buttons, and the shared archive's line.
    void buildFields(QBoxLayout *layout);
    void showSelected();
    void openRow(int row);
    // The file that still holds the run's bytes; said when none does.
    QString fileOf(int row);
    void showRowMenu(const QPoint &at);
    void addStateFilter(QBoxLayout *filters);
    std::optional<zq::RunState> stateChosen() const;
    // 审核…, 批准… and the history they and every change add to.
    void addSigning(QBoxLayout *buttons);
    void signSelected(bool approve);
    // The run's fields saved, and its devices linked, asking for the reason
    // when it is signed; told when they are not.
    bool saveRun(const QString &sha, const zq::RunFields &fields);
    bool saveRun(const QString &sha, const zq::RunFields &fields, const zq::DeviceChoice &devices);
    // 仪表 and 热电偶 among the fields, from the registry.
    void buildDeviceFields(QFormLayout *form);
    void showDevices(const std::optional<zq::RunRow> &run);
    void devicesRead(const QVector<zq::Device> &devices, const QString &error);
    // The devices the fields name where they differ from the run's links.
    zq::DeviceChoice devicesChosen(const zq::RunRow &run) const;

    zq::Archive &m_archive;
    QSqlQueryModel *m_model = nullptr;
    int m_order = -2; // newest first
    bool m_shared = false;
    class QPushButton *m_push = nullptr;
    std::unique_ptr<QtUserDialogs> m_ownDialogs;
    UserDialogs *m_dialogs = nullptr;
    zq::RegistryReader *m_registry = nullptr;
    std::optional<zq::RunRow> m_devicesFor; // the run whose devices are shown
    zq::RunDevices m_linked;
    int m_devicesAsked = 0; // reads of the devices not answered yet
    QStringList m_toldOnSave; // what linking told of m_toldFor
    QString m_toldFor;
};
