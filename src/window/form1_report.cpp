// 工艺报告: the process report of the run shown, with the analysis window's
// recipe, range and reference, the archive's fields, notes and word on the file.
#include "archive/archive.h"
#include "core/datafile.h"
#include "core/filewrite.h"
#include "link/instrument.h"
#include "window/analysiswindow.h"
#include "window/dialogs.h"
#include "window/form1.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>

bool Form1::gatherProcessReport(zq::ProcessReport *report)
{
    AnalysisWindow *a = showAnalysis();
    // A field that does not parse would drop its criterion: no verdict, so no report.
    if (const QString problem = a->fieldProblem(); !problem.isEmpty()) {
        tellFailure(QStringLiteral("工艺分析中%1，没有结论，不生成工艺报告。").arg(problem));
        return false;
    }
    calibrateAnalysis(); // links made in 记录库 since
    zq::ProcessReport r = zq::processFigures(
        m_record, m_view.group, a->recipe(), m_range, a->placed(), a->alignment(), a->calibration());
    // The fingerprint is of the bytes the figures come from: the file's, if
    // it still holds this run, else the run as a data file would hold it.
    zq::RunFile file;
    QString error;
    const bool fromFile = !m_runPath.isEmpty() && zq::readRunFile(m_runPath, &file, &error)
        && zq::recordFromFileBytes(file.bytes) == m_record;
    if (!fromFile)
        file.sha256 = zq::sha256Hex(file.bytes = zq::dataFileBytes(m_record));
    const QByteArray &bytes = file.bytes;
    r.fileName = fromFile ? QFileInfo(m_runPath).fileName() : QStringLiteral("（未保存的记录）");
    r.sha256 = file.sha256;
    r.provenance = QStringLiteral("记录库不可用，无法核对");
    if (zq::Archive *archive = this->archive()) {
        if (const std::optional<zq::RunRow> run = archive->run(r.sha256, &error)) {
            r.fields = run->fields;
            r.checks = run->checks;
            r.failedChecks = run->failedChecks;
        }
        r.signatures = archive->signatures(r.sha256, &error);
        r.notes = archive->notes(r.sha256, &error);
        r.provenance = archive->provenanceWords(bytes, m_runPath, &error);
    }
    if (const QStringList missing = zq::missingFields(r.recipe, r.fields); !missing.isEmpty()) {
        tellFailure(QStringLiteral("配方要求填写：%1\n请在记录库（Ctrl+L）中填写后再生成工艺报告。")
                        .arg(missing.join(QStringLiteral("、"))));
        return false;
    }
    r.company = a->company();
    m_settings->setValue(QStringLiteral("report/company"), r.company);
    r.printed = QDateTime::currentDateTime();
    *report = r;
    return true;
}

void Form1::printProcessReport(bool readings)
{
    if (!m_record.holdsData() || m_link->downloading())
        return;
    zq::ProcessReport r;
    if (!gatherProcessReport(&r))
        return;
    r.readings = readings;
    // As PRINT: the default printer, or a PDF when there is none.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) {
        QPrinter printer(info, QPrinter::HighResolution);
        if (!zq::printProcessReport(printer, r) || printer.printerState() == QPrinter::Error)
            tellFailure(QStringLiteral("打印失败：打印机 %1 无法完成打印。").arg(info.printerName()));
        else
            recordReportVerdict(r);
        return;
    }
    const auto answer = m_dialogs->message(QStringLiteral("没有可用的打印机。\n是否将工艺报告保存为 PDF 文件？"),
        zq::kBoxTitle, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    QString path = m_dialogs->saveFile(
        QString(), inFolder(zq::kPdfFolder, QStringLiteral("工艺报告.pdf")), {zq::kPdfFilter}, nullptr);
    if (path.isEmpty())
        return;
    rememberFolder(zq::kPdfFolder, path);
    path = zq::withFilterExtension(path, zq::kPdfFilter, {zq::kPdfFilter});
    QString error;
    if (!zq::writeProcessReportPdf(path, r, QPageSize::A4, &error))
        tellFailure(zq::kSaveFailed.arg(QDir::toNativeSeparators(path), error));
    else
        recordReportVerdict(r);
}

void Form1::recordReportVerdict(const zq::ProcessReport &r)
{
    // The report made is a verdict given: it goes with the run, as 记录结论 does.
    if (r.check.pass)
        recordVerdict(*r.check.pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"), r.recipe);
}
