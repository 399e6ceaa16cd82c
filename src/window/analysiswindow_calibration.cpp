// The analysis window's calibration: the certificates the run is corrected
// by, shown under the banner, and 用原始读数 to judge the raw readings.
#include "window/analysiswindow.h"

#include <QCheckBox>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>

QWidget *AnalysisWindow::buildCalibrationRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    calibrationLabel = new QLabel(row);
    calibrationLabel->setObjectName(QStringLiteral("calibration"));
    calibrationLabel->setWordWrap(true);
    rawBox = new QCheckBox(QStringLiteral("用原始读数"), row);
    rawBox->setObjectName(QStringLiteral("useRaw"));
    rawBox->setToolTip(QStringLiteral("按未经校准修正的读数判定"));
    layout->addWidget(calibrationLabel, 1);
    layout->addWidget(rawBox);
    connect(rawBox, &QCheckBox::toggled, this, [this] {
        showCalibration();
        update();
    });
    showCalibration();
    return row;
}

void AnalysisWindow::setCalibration(const zq::ReportCalibration &calibration)
{
    m_calibration = calibration;
    showCalibration();
    update();
}

zq::ReportCalibration AnalysisWindow::calibration() const
{
    zq::ReportCalibration c = m_calibration;
    c.judgedRaw = rawBox->isChecked();
    return c;
}

const zq::Correction *AnalysisWindow::correction() const
{
    return m_calibration.correction.isEmpty() || rawBox->isChecked() ? nullptr : &m_calibration.correction;
}

void AnalysisWindow::showCalibration()
{
    const zq::Correction &c = m_calibration.correction;
    rawBox->setVisible(!c.isEmpty());
    const QStringList expired = zq::expiryWarnings(c, QDate::currentDate());
    QStringList lines{c.isEmpty() ? QString()
            : rawBox->isChecked() ? QStringLiteral("按原始读数判定（未修正）")
                                  : c.text()};
    lines += expired;
    calibrationLabel->setText(lines.join(QLatin1Char('\n')));
    calibrationLabel->setVisible(!c.isEmpty());
    calibrationLabel->setStyleSheet(expired.isEmpty() ? QString() : QStringLiteral("color: rgb(180, 40, 40);"));
}
