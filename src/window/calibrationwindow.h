#pragma once

#include <QVector>
#include <QWidget>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableWidget;
namespace zq {
class Archive;
class RegistryReader;
struct Device;
} // namespace zq

// 校准: the instruments and thermocouples in the archive's registry, each
// with the certificate it has now and how it stands, and a form that adds a
// certificate (a new one supersedes the old from its date; the old stays).
class CalibrationWindow : public QWidget
{
    Q_OBJECT
public:
    CalibrationWindow(zq::Archive &archive, QWidget *parent = nullptr);
    // 校准…: a button that shows the window, made once, as a child of `parent`.
    static class QPushButton *opener(zq::Archive &archive, QWidget *parent);
    // The registry read again, off the window's thread.
    void refresh();
    // The form's certificate into the registry; false, said in the window, when it cannot be.
    bool addCertificate();

    QTableWidget *table = nullptr;
    QComboBox *kind = nullptr;
    QLineEdit *deviceId = nullptr;
    QComboBox *type = nullptr;
    QLineEdit *number = nullptr;
    QDateEdit *calibrated = nullptr;
    QDateEdit *due = nullptr;
    QLineEdit *points = nullptr;
    QLabel *problem = nullptr;

private:
    void buildForm(class QBoxLayout *layout);
    void showDevices(const QVector<zq::Device> &devices, const QString &error);
    zq::Archive &m_archive;
    zq::RegistryReader *m_reader = nullptr;
};
