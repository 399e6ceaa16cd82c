// The certificates behind the run shown, from the archive's registry, for
// 工艺分析's check and the process report.
#include "archive/registry.h"
#include "window/analysiswindow.h"
#include "window/form1.h"

void Form1::calibrateAnalysis()
{
    if (!m_analysis)
        return;
    zq::ReportCalibration c;
    QString error;
    if (zq::Archive *a = m_runSha.isEmpty() ? nullptr : archive()) {
        const zq::RunCalibration linked = zq::runCalibration(*a, m_runSha, &error);
        c.instrument = linked.devices.instrument;
        c.thermocouple = linked.devices.thermocouple;
        c.correction = linked.correction;
    }
    // A registry that cannot be read corrects nothing; the check then says raw.
    m_analysis->setCalibration(c);
}

void Form1::analyzeRun()
{
    if (!m_analysis)
        return;
    m_analysis->setRun(m_record, m_view.group);
    calibrateAnalysis();
}
