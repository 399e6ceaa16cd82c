#pragma once

#include <QWidget>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QSqlQueryModel;
class QTableView;
namespace zq {
class Archive;
}

// 记录库: every run in the archive as a table that fetches as it scrolls,
// sorted by any column, searched and filtered; a double-click opens a run,
// and the selected run's fields are edited below the table.
class ArchiveWindow : public QWidget
{
    Q_OBJECT
public:
    ArchiveWindow(zq::Archive &archive, QWidget *parent = nullptr);

    void refresh();
    QString selectedRun() const;
    bool saveFields();

    QTableView *table = nullptr;
    QLineEdit *search = nullptr;
    QComboBox *equipment = nullptr;
    QComboBox *verdict = nullptr;
    QDateEdit *since = nullptr;
    QDateEdit *until = nullptr;
    QLineEdit *operatorField = nullptr;
    QLineEdit *equipmentField = nullptr;
    QLineEdit *loadField = nullptr;
    QLineEdit *thermocoupleField = nullptr;
    QLineEdit *commentField = nullptr;

Q_SIGNALS:
    // A run to open in the main window, from a file that still holds its bytes.
    void openFile(const QString &path);
    void problem(const QString &text);

private:
    void buildFilters(class QBoxLayout *layout);
    void showSelected();
    void openRow(int row);

    zq::Archive &m_archive;
    QSqlQueryModel *m_model = nullptr;
    int m_order = -2; // newest first
};
